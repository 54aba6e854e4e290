#pragma once

// The small POSIX layer that puts tag bytes into files. Every function reports failure
// as false; none throws.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace cvtags {

class FileDescriptor {
public:
    FileDescriptor() = default;
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor();
    int Get() const { return fd_; }
    void Reset(int fd);
    bool Close();                     // false when closing reports an error

private:
    int fd_ = -1;
};

// Opens a regular file only: a folder, device or pipe fails without blocking.
bool OpenRegular(const std::filesystem::path &file, int flags, FileDescriptor &fd, struct stat &st);
// Reads exactly `size` bytes at `offset`.
bool ReadAt(int fd, std::uint64_t offset, char *data, std::size_t size);
// Reads up to `size` bytes at `offset`; the bytes that arrived, or false on an error.
bool ReadUpTo(int fd, std::uint64_t offset, std::size_t size, std::string &out);
// The same into `data`: how many bytes arrived, or -1 on an error.
std::int64_t ReadUpTo(int fd, std::uint64_t offset, char *data, std::size_t size);
bool WriteAt(int fd, std::uint64_t offset, std::string_view data);
// Keeps other programs of ours out while a file changes.
bool LockExclusive(int fd);

// Gives the file owner write permission for as long as the guard lives; the old mode
// comes back unless Keep() was called.
class WritableGuard {
public:
    explicit WritableGuard(const std::filesystem::path &file);
    WritableGuard(const WritableGuard &) = delete;
    WritableGuard &operator=(const WritableGuard &) = delete;
    ~WritableGuard();
    bool Ok() const { return ok_; }
    void Keep() { keep_ = true; }

private:
    std::filesystem::path file_;
    mode_t oldMode_ = 0;
    bool ok_ = false, changed_ = false, keep_ = false;
};

std::filesystem::path FolderOf(const std::filesystem::path &file);
// Gives an unnamed (O_TMPFILE) file a name; never replaces an existing entry.
bool LinkUnnamed(int fd, const std::filesystem::path &name);
// Makes the entries of the file's folder (a new name, a rename) reach the disk.
bool SyncFolderOf(const std::filesystem::path &file);
// A hidden name beside `file` that no one is likely to hold: ".name.<random><suffix>".
std::filesystem::path HiddenSibling(const std::filesystem::path &file, std::string_view suffix);
inline constexpr std::string_view kTemporarySuffix = ".cvtmp";

// The new content of a file, written beside it. It is unnamed while it is written, so a
// killed process leaves nothing; Commit() gives it a fresh name that no file held (the
// record's name when free, so that the next call on the file can tidy it should the process
// die before the rename) and renames it over the file. Only a name this object created is
// ever removed.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;
    ~TemporaryFile();
    bool Create(const std::filesystem::path &file);
    int Get() const { return fd_.Get(); }
    bool Name();                      // links the unnamed file to its fresh name
    bool Commit();                    // Name(), then the rename over the file
    void Discard();
    // Forgets the file without removing anything, as a power cut would.
    void Abandon();

private:
    std::filesystem::path file_, name_;
    FileDescriptor fd_;
};

// Makes `file` hold `head` followed by the bytes of `source` from `offset` to its end.
// The new content goes to a temporary file beside it, reaches the disk and then takes the
// file's place in one rename, with the old permission bits plus owner write. On failure
// nothing is left behind and `file` is untouched.
bool ReplaceContent(const std::filesystem::path &file, int source, const struct stat &sourceStat,
                    std::string_view head, std::uint64_t offset);

} // namespace cvtags
