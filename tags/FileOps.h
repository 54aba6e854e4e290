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

// Makes `file` hold `head` followed by the bytes of `source` from `offset` to its end.
// The new content goes to file + "~", reaches the disk and then takes the file's place
// in one rename, with the old permission bits plus owner write. On failure the
// temporary file is removed and `file` is untouched.
bool ReplaceContent(const std::filesystem::path &file, int source, const struct stat &sourceStat,
                    std::string_view head, std::uint64_t offset);

} // namespace cvtags
