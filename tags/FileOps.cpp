#include "tags/FileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace cvtags {
namespace {

constexpr std::size_t kCopyBuffer = 1 << 20;

bool WriteAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies `in` from `offset` to its end onto the current position of `out`. The kernel
// copies where it can; otherwise a fixed buffer, so memory never grows with the file.
bool CopyToEnd(int in, std::uint64_t offset, int out)
{
    loff_t inOffset = static_cast<loff_t>(offset);
    bool copiedAny = false;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, &inOffset, out, nullptr, kCopyBuffer * 8, 0);
        if (n == 0 && copiedAny)
            return true;
        if (n == 0)
            break;                    // some file systems report 0 instead of refusing: check by reading
        if (n > 0) {
            copiedAny = true;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP && errno != EPERM)
            return false;
        break;
    }
    std::vector<char> buffer(kCopyBuffer);
    for (;;) {
        const ssize_t n = ::pread(in, buffer.data(), buffer.size(), inOffset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(n)))
            return false;
        inOffset += n;
    }
}

// Creates the temporary file; never follows a link or opens anything but a new regular
// file. A stale regular file of that name is replaced.
int CreateTemporary(const std::filesystem::path &temp)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
        struct stat st {};
        if (::lstat(temp.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::unlink(temp.c_str()) != 0)
            return -1;
    }
    return -1;
}

void SyncFolderOf(const std::filesystem::path &file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);                  // the rename itself reaches the disk; best effort
        ::close(fd);
    }
}

} // namespace

FileDescriptor::~FileDescriptor() { Reset(-1); }

void FileDescriptor::Reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

bool FileDescriptor::Close()
{
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
}

bool OpenRegular(const std::filesystem::path &file, int flags, FileDescriptor &fd, struct stat &st)
{
    // O_NONBLOCK keeps a pipe of that name from blocking the open; regular files ignore it.
    fd.Reset(::open(file.c_str(), flags | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        fd.Reset(-1);
        return false;
    }
    return true;
}

bool ReadAt(int fd, std::uint64_t offset, char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadUpTo(int fd, std::uint64_t offset, std::size_t size, std::string &out)
{
    out.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, out.data() + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            out.clear();
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return true;
}

bool WriteAt(int fd, std::uint64_t offset, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::pwrite(fd, data.data(), data.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool LockExclusive(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        // Only a lock held elsewhere refuses; file systems without locks are not a reason to fail.
        return errno != EWOULDBLOCK;
    }
    return true;
}

WritableGuard::WritableGuard(const std::filesystem::path &file) : file_(file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    oldMode_ = st.st_mode & 07777;
    if ((oldMode_ & S_IWUSR) == 0) {
        if (::chmod(file.c_str(), oldMode_ | S_IWUSR) != 0)
            return;
        changed_ = true;
    }
    ok_ = true;
}

WritableGuard::~WritableGuard()
{
    if (changed_ && !keep_)
        ::chmod(file_.c_str(), oldMode_);
}

bool ReplaceContent(const std::filesystem::path &file, int source, const struct stat &sourceStat,
                    std::string_view head, std::uint64_t offset)
{
    std::filesystem::path temp = file;
    temp += "~";
    FileDescriptor out;
    out.Reset(CreateTemporary(temp));
    if (out.Get() < 0)
        return false;
    bool ok = WriteAll(out.Get(), head.data(), head.size()) && CopyToEnd(source, offset, out.Get());
    if (ok) {
        // Ownership first: changing it may clear set-id bits that the mode then restores.
        if (::fchown(out.Get(), sourceStat.st_uid, sourceStat.st_gid) != 0)
            (void)::fchown(out.Get(), static_cast<uid_t>(-1), sourceStat.st_gid);
        ok = ::fchmod(out.Get(), (sourceStat.st_mode & 07777) | S_IWUSR) == 0
             && ::fsync(out.Get()) == 0;
    }
    ok = out.Close() && ok;
    if (ok && ::rename(temp.c_str(), file.c_str()) == 0) {
        SyncFolderOf(file);
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

} // namespace cvtags
