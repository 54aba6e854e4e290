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
    int Release() { const int fd = fd_; fd_ = -1; return fd; }
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
// Sets the file's size.
bool Resize(int fd, std::uint64_t size);
// Keeps other programs of ours out while a file changes.
bool LockExclusive(int fd);

// Copies `in` from `offset` on (`length` bytes, or to its end when `length` is -1) to `out`
// at `outOffset`: the kernel copies where that pays, otherwise a fixed buffer, so memory
// never grows with the file. False on an error, or when `in` ends before `length` bytes.
bool CopyRange(int in, std::uint64_t offset, std::int64_t length, int out, std::uint64_t outOffset);

// Gives `to` the owner, group and extended attributes (the ACL among them) of `from`, then
// `mode`. False when any of them cannot be reproduced.
bool CopyProperties(int from, int to, mode_t mode);

// The type of file system the descriptor's file lies on (statfs's f_type), asked once per
// device; 0 when unknown.
std::uint64_t FsType(int fd, dev_t device);
// Whether two stats of a file show the same modification time.
bool SameTime(const struct stat &a, const struct stat &b);

// The path the descriptor's file has now (its folder's path resolved, no link in it).
bool PathOf(int fd, std::filesystem::path &path);

// Gives an unnamed (O_TMPFILE) file the name `name` in the folder `folderFd`; never replaces.
bool LinkUnnamed(int fd, int folderFd, const std::string &name);

// A 64-bit random number.
std::uint64_t RandomNumber();

} // namespace cvtags
