#pragma once

// Saving a tag in place without ever leaving a torn tag: the new bytes first go, with the
// old ones and the file's identity, into a small record beside the file ("intent record"),
// which reaches the disk before the file is touched. Any later call on the file that finds
// a complete record for it finishes the write (it is idempotent) or, when the file is no
// longer the one the record names, drops the record. A rewrite's temporary file takes the
// record's name for the moment between getting a name and the rename, marked as ours, so
// that a killed rewrite leaves nothing behind once the next call has run.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>

namespace cvtags {

// The steps of a save, in the order they happen.
enum class SaveStep {
    Read,              // the old tag was read; nothing written yet
    RecordWritten,     // the intent record is on disk, still unnamed
    RecordNamed,       // the intent record has its name
    TagHalfWritten,    // half of the new tag bytes are in the file
    TagWritten,        // the new tag is in the file and on disk
    RecordRemoved,     // the intent record is gone
    TempWritten,       // a rewrite's new content is on disk, unnamed
    TempNamed,         // it has its hidden name
    Renamed,           // it has taken the file's place
};

// Test seam: called after each step of a save; returning false stops the save right there,
// as a power cut would (nothing is cleaned up). Null (the default) never stops.
using SaveHook = bool (*)(SaveStep step);
void SetSaveHook(SaveHook hook);
bool ContinueAfter(SaveStep step);

// The record's name beside `file`.
std::filesystem::path RecordPath(const std::filesystem::path &file);

// Finishes or drops what an interrupted save of `file` left behind. Cheap when there is
// nothing (one failed stat). Never touches a file it cannot prove it created.
void Recover(const std::filesystem::path &file);

enum class InPlace { Done, Failed, NotPossible };
// Overwrites the first `oldBytes.size()` bytes of the open, locked file `fd` (the file
// `file`, as `st` describes it) with `newBytes` of the same length, through an intent
// record. NotPossible when no record can be made (the folder cannot be written, a file
// holds the record's name): the file is untouched and the caller may rewrite instead.
InPlace OverwriteStart(const std::filesystem::path &file, int fd, const struct stat &st,
                       std::string_view oldBytes, std::string_view newBytes);

// Marks an open temporary file of a rewrite as ours (an extended attribute), so that the
// next call on the file may remove it should the process die while it has a name. False
// where the file system keeps no such attributes: such a file is then left alone.
bool MarkTemporary(int fd);

} // namespace cvtags
