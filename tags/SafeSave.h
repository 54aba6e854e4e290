#pragma once

// Saves that no crash can tear, through the per-user journal (tags/Journal.h). Nothing is
// written beside the user's files but a rewrite's temporary file, and the tag's header is
// never marked.
//
// - A change in place (a version 2 tag that fits, any version 1 trailer) first puts a record
//   into this process's journal slot: the file's path and identity (inode, size, a digest of
//   its tag region), the old and the new bytes. Then the bytes go into the file through the
//   descriptor that was checked, and the record is cleared without a sync: after a power cut
//   a stale record finds the new bytes there and is dropped. A change within one 512-byte
//   sector needs no record: a disk writes a sector whole or not at all. Many changes share
//   one record, one journal sync and one sync of each file system (SaveGroup).
// - A rewrite (a tag that grows, a removal, a first tag) copies the file into a temporary
//   file of its folder that takes its place in one rename, with the owner, group, mode and
//   extended attributes (the ACL among them) of the file. A temporary file that needs a name
//   is named in the journal first. A file with other hard links, or whose properties a copy
//   cannot keep, is rewritten in place instead, from a copy of it kept in the journal.
// - Recovery applies a record only through a descriptor whose identity and content it checked,
//   when every byte of the region is the old or the new one, and only within that region.
//
// Where it lives: TagFile.cpp (opening, the change in place), SaveRewrite.cpp (the two
// rewrites), SaveCommit.* (changes written through the journal), SaveGroup.cpp, SaveRecord.*
// (the entries of a record), SaveState.* (this process's slot), SaveRecovery.cpp.

#include "tags/FileOps.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace cvtags {

// The steps of a save, in the order they happen.
enum class SaveStep {
    Prepared,          // the new bytes are ready; nothing is written yet
    RecordDurable,     // the journal record of the change is on disk
    TagWritten,        // the new bytes are in the file, maybe not yet on disk
    TagDurable,        // they are on disk
    RecordCleared,     // the record no longer counts (not synced)
    BackupDurable,     // a rewrite in place: the copy of the old file is on disk
    TempWritten,       // a rewrite: the new content is in the temporary file, on disk
    TempNamed,         // the temporary file has its name
    Renamed,           // it took the file's place
};

// Test seam: called after each step of a save with the file it concerns. It only observes:
// what a save writes is the same with or without it.
using SaveObserver = void (*)(SaveStep step, const std::filesystem::path &file);
void SetSaveObserver(SaveObserver observer);

// A file opened for a tag operation: one descriptor, its identity, its first bytes.
class TagFile {
public:
    // A read needs the frames only, which in most tags end within the first kilobyte; a
    // save reads the whole tag of a usual file at once.
    static constexpr std::size_t kReadHead = 1024, kWriteHead = 4096;

    TagFile() = default;
    TagFile(const TagFile &) = delete;
    TagFile &operator=(const TagFile &) = delete;
    ~TagFile();

    // For reading. Finishes first an interrupted save that a pending record names.
    bool OpenRead(const std::filesystem::path &file);
    // For writing: owner write added when missing (kept only when the change succeeds), the
    // lock taken, interrupted saves of the journal finished first.
    bool OpenWrite(const std::filesystem::path &file);

    int Fd() const { return fd_.Get(); }
    const struct stat &Stat() const { return st_; }
    std::uint64_t Size() const { return static_cast<std::uint64_t>(st_.st_size); }
    const std::filesystem::path &Path() const { return path_; }
    // The first bytes of the file (kReadHead or kWriteHead of them), read once.
    std::string_view Head();

    // Replaces [offset, offset + oldBytes.size()) by `newBytes` and gives the file `newSize`
    // bytes (a trailer appended or cut off changes the size; a tag that fits does not).
    // The region of the tag, [contextBegin, contextEnd), identifies the file in the record.
    // In a SaveGroup the change joins its batch.
    // `newContext`, when given, is what the context will hold (else it is read).
    bool Patch(std::uint64_t offset, std::string oldBytes, std::string newBytes, std::uint64_t newSize,
               std::uint64_t contextBegin, std::uint64_t contextEnd, std::string_view newContext = {});
    // True when a Patch cannot go through the journal (the caller may rewrite instead).
    static bool JournalMissing();

    // Makes the file hold `head` pieces followed by its bytes from `tailOffset` on.
    struct Piece {
        std::string bytes;
        std::uint64_t offset = 0, size = 0;      // a range of this file, when `bytes` is empty
    };
    bool Rewrite(const std::vector<Piece> &head, std::uint64_t tailOffset);

private:
    void Succeeded();
    FileDescriptor fd_;
    struct stat st_ {};
    std::filesystem::path path_, given_;
    std::array<char, kWriteHead> head_;
    std::size_t headSize_ = 0, headWanted_ = kReadHead;
    bool headRead_ = false, writable_ = false, modeAdded_ = false;
};

// How many entries of a tag-save record's chunk parse, as recovery parses them (for the
// fuzzer: the parser is bounded and never trusts a length).
std::size_t CountSaveEntries(std::string_view chunk);

// The group of the calling thread, when one lives (SaveGroup.h).
class SaveGroup;
SaveGroup *CurrentGroup();

} // namespace cvtags
