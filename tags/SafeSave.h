#pragma once

// Saving a tag in place without ever leaving a torn tag. First a mark goes into the tag's
// header (a bit of the revision byte, which readers ignore); then the new bytes, with the
// old ones and the file's identity, go into a small record beside the file ("intent
// record"); both reach the disk before the tag is touched. A read that finds the mark, and
// any write or removal, finishes the save from a complete record (the write is idempotent)
// or, when the file is no longer the one the record names, drops the record. Reads of an
// unmarked file never look beside it, so they cost no more than the reads themselves.
// A rewrite's temporary file takes the record's name for the moment between getting a name
// and the rename, marked as ours, so that a killed rewrite leaves nothing behind once the
// next write or removal of the file has run.

#include "tags/FileOps.h"

#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>

namespace cvtags {

// The steps of a save, in the order they happen.
enum class SaveStep {
    Read,              // the old tag was read; nothing written yet
    Marked,            // the tag's header carries the mark, on disk
    RecordWritten,     // the intent record is on disk, still unnamed
    RecordNamed,       // the intent record has its name
    TagHalfWritten,    // half of the new tag bytes are in the file
    TagWritten,        // the new tag is in the file and on disk
    RecordRemoved,     // the intent record is gone; the mark goes next
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

// True when `head`, the first bytes of a file, carries the mark of a save in place that
// may not have finished.
bool SaveMarked(std::string_view head);

// Finishes or drops what an interrupted save of `file` left behind. Cheap when there is
// nothing (one failed stat). Never touches a file it cannot prove it created.
void Recover(const std::filesystem::path &file);

// Opens `file` for reading and returns what `read(fd, size, marked)` returns. The first
// time, `marked` points to a flag that `read` sets, without reading further, when the
// start of the file carries the mark: the interrupted save is then finished and `read`
// runs again with a null `marked`, to take the file as it is.
template <class Read>
bool ReadFinished(const std::filesystem::path &file, Read read)
{
    for (bool first = true;; first = false) {
        FileDescriptor fd;
        struct stat st {};
        if (!OpenRegular(file, O_RDONLY, fd, st))
            return false;
        bool marked = false;
        const bool ok = read(fd.Get(), static_cast<std::int64_t>(st.st_size), first ? &marked : nullptr);
        if (!marked)
            return ok;
        fd.Close();
        // The record lies beside the real file, not beside a link to it.
        std::error_code error;
        const std::filesystem::path real = std::filesystem::canonical(file, error);
        Recover(error ? file : real);
    }
}

enum class InPlace { Done, Failed, NotPossible };
// Overwrites the first `oldBytes.size()` bytes of the open, locked file `fd` (the file
// `file`, as `st` describes it) with `newBytes` of the same length, a tag with its header,
// through the mark and an intent record. NotPossible when no record can be made (the
// folder cannot be written, a file holds the record's name): the file keeps its bytes and
// the caller may rewrite instead.
InPlace OverwriteStart(const std::filesystem::path &file, int fd, const struct stat &st,
                       std::string_view oldBytes, std::string_view newBytes);

// Marks an open temporary file of a rewrite as ours (an extended attribute), so that the
// next call on the file may remove it should the process die while it has a name. False
// where the file system keeps no such attributes: such a file is then left alone.
bool MarkTemporary(int fd);

} // namespace cvtags
