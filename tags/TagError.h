#pragma once

// Why the last file operation of the tag library failed on this thread. Every call that
// returns false leaves its reason here: the system's error (std::generic_category, the errno
// of the call that failed) or one of the library's own below. A call that succeeds leaves
// the last reason as it was.

#include <system_error>

namespace cvtags {

enum class TagError {
    FileChanged = 1,    // the file was changed or replaced between reading and writing
    UnreadableTag,      // the tag's frames cannot be walked to their end: it is kept as it is
    UnconvertibleFrame, // a frame of an old tag version has no counterpart in the version written
    NoTag,              // a removal found no tag of that version
    TooLarge,           // the tag is larger than a header can state or a save may hold in memory
    NotRegularFile,     // a folder, a device, a pipe or a link to nothing
    TooShort,           // the file is shorter than a tag header
    NoJournal,          // the journal of saves in progress cannot be used, and the save needs it
};

const std::error_category &TagErrorCategory();
inline std::error_code make_error_code(TagError error) { return {static_cast<int>(error), TagErrorCategory()}; }

// The reason of this thread's last failed call; empty before the first failure.
std::error_code LastError();
void SetLastError(std::error_code error);
// SetLastError with the errno of the system call that just failed; returns false, so that a
// failing path can end in `return FailWithErrno();`.
bool FailWithErrno();
bool Fail(TagError error);

} // namespace cvtags

template <>
struct std::is_error_code_enum<cvtags::TagError> : std::true_type {};
