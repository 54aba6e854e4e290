#pragma once

// The entries of a tag-save record in the journal, in one place: what each kind holds, its
// bytes as a save writes them and as recovery parses them (bounded, never trusting a length),
// and the new content a rewrite in place describes. For the save units of the tag library
// only; others use SafeSave.h.

#include "tags/Journal.h"
#include "tags/SafeSave.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace cvtags {

inline constexpr std::uint32_t kTagSaveKind = 0x54414753;     // "TAGS"
inline constexpr std::string_view kPrefix = "tagsave-";
inline constexpr std::string_view kSlotPrefix = "tagsave-slot";
inline constexpr std::string_view kKeptPrefix = "tagsave-kept";
inline constexpr std::string_view kBackupPrefix = "tagsave-backup";

enum EntryType : std::uint64_t { PatchEntry = 1, ReplaceEntry = 2, ShiftEntry = 3 };

struct Entry {
    std::uint64_t type = 0;
    std::string_view path, name, temp, oldBytes, newBytes;
    std::uint64_t ino = 0, fsType = 0, oldSize = 0, newSize = 0, offset = 0;
    std::uint64_t contextBegin = 0, contextEnd = 0, digest = 0, tempIno = 0, tail = 0;
    struct Piece {
        std::string_view bytes;
        std::uint64_t offset = 0, size = 0;
    };
    std::vector<Piece> pieces;
};

std::optional<Entry> ParseEntry(std::string_view bytes);

// A change in place: the file's old and new bytes at `offset`, and its identity.
std::string PatchEntryBytes(const std::string &path, const struct stat &st, std::uint64_t fsType,
                            std::uint64_t offset, std::string_view oldBytes, std::string_view newBytes,
                            std::uint64_t newSize, std::uint64_t contextBegin, std::uint64_t contextEnd,
                            std::uint64_t digest);
// A rewrite through the temporary file `temp` of `folder` that takes the place of `name`.
std::string ReplaceEntryBytes(const std::string &folder, const std::string &name, const std::string &temp,
                              std::uint64_t tempIno, std::uint64_t ino);
// A rewrite in place from the copy `backup` in the journal: `head`, then the copy from `tailOffset` on.
std::string ShiftEntryBytes(const std::string &path, const struct stat &st, std::uint64_t fsType, std::uint64_t newSize,
                            std::string_view backup, std::uint64_t tailOffset, const std::vector<TagFile::Piece> &head);

// One record holding `entries`, made durable in `record`.
bool WriteRecord(JournalRecord &record, const std::vector<std::string_view> &entries);
// The entries of a record's chunk as far as they parse as bytes; `count` gets the number it names.
std::vector<std::string_view> RecordEntries(std::string_view chunk, std::uint64_t &count);

struct Segment {                           // bytes of a new content: its own, or of a file
    std::string_view bytes;
    int fd = -1;
    std::uint64_t offset = 0, size = 0;
    std::uint64_t Size() const { return fd < 0 ? bytes.size() : size; }
};

// Reads `size` bytes at `offset` of the new content `segments` describes.
bool ReadSegments(const std::vector<Segment> &segments, std::uint64_t offset, std::size_t size, std::string &out);
bool WriteSegments(const std::vector<Segment> &segments, int fd);

} // namespace cvtags
