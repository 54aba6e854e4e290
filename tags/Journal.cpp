#include "tags/Journal.h"

#include "tags/FileOps.h"
#include "tags/TagError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <atomic>
#include <mutex>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace cvtags {
namespace {

constexpr char kMagic[8] = {'C', 'V', 'J', 'O', 'U', 'R', 'N', '1'};
constexpr std::size_t kHeader = 32;
constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;

std::uint64_t Mix(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

std::uint64_t Load64(const unsigned char *p)
{
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

void Store64(unsigned char *p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint64_t Now()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<std::uint64_t>(now.tv_nsec);
}

bool WriteAllAt(int fd, std::vector<iovec> parts, std::uint64_t offset)
{
    std::size_t first = 0;
    while (first < parts.size()) {
        const ssize_t n = ::pwritev(fd, parts.data() + first, static_cast<int>(parts.size() - first),
                                    static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return FailWithErrno();
        offset += static_cast<std::uint64_t>(n);
        std::size_t done = static_cast<std::size_t>(n);
        while (first < parts.size() && done >= parts[first].iov_len)
            done -= parts[first++].iov_len;
        if (first < parts.size()) {
            parts[first].iov_base = static_cast<char *>(parts[first].iov_base) + done;
            parts[first].iov_len -= done;
        }
    }
    return true;
}

bool ReadExactly(int fd, std::uint64_t offset, void *data, std::size_t size)
{
    auto *out = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ValidName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
           && name.find('\0') == std::string_view::npos;
}

// The user's own, and no one else may write it.
bool Trusted(const struct stat &st) { return st.st_uid == ::geteuid() && (st.st_mode & 022) == 0; }

std::uint64_t ChunkSeed(std::uint64_t nonce, std::uint32_t index) { return nonce ^ Mix(index + 1); }

} // namespace

std::uint64_t Digest64(std::string_view bytes, std::uint64_t seed)
{
    Digester d(seed);
    d.Update(bytes);
    return d.Value();
}

void Digester::Update(std::string_view bytes)
{
    length_ += bytes.size();
    auto take = [this](std::uint64_t word) { state_ = Mix(state_ ^ word) * kMul + 0x632BE59BD9B4E019ULL; };
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    std::size_t left = bytes.size();
    while (pendingSize_ > 0 && pendingSize_ < 8 && left > 0) {
        pending_[pendingSize_++] = *p++;
        --left;
    }
    if (pendingSize_ == 8) {
        take(Load64(pending_));
        pendingSize_ = 0;
    }
    for (; left >= 8; p += 8, left -= 8)
        take(Load64(p));
    while (left-- > 0)
        pending_[pendingSize_++] = *p++;
}

std::uint64_t Digester::Value() const
{
    unsigned char last[8] = {};
    std::memcpy(last, pending_, pendingSize_);
    return Mix(Mix(state_ ^ Load64(last)) ^ length_);
}

void PutU64(std::string &out, std::uint64_t value)
{
    unsigned char bytes[8];
    Store64(bytes, value);
    out.append(reinterpret_cast<const char *>(bytes), 8);
}

void PutBytes(std::string &out, std::string_view bytes)
{
    PutU64(out, bytes.size());
    out += bytes;
}

bool RecordReader::U64(std::uint64_t &value)
{
    if (bytes_.size() < 8)
        return false;
    value = Load64(reinterpret_cast<const unsigned char *>(bytes_.data()));
    bytes_.remove_prefix(8);
    return true;
}

bool RecordReader::Bytes(std::string_view &value, std::uint64_t maxSize)
{
    std::uint64_t size = 0;
    if (!U64(size) || size > maxSize || size > bytes_.size())
        return false;
    value = bytes_.substr(0, static_cast<std::size_t>(size));
    bytes_.remove_prefix(static_cast<std::size_t>(size));
    return true;
}

std::filesystem::path Journal::UserFolder()
{
    const char *state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::filesystem::path(state) / "CarventoUtilities";
    const char *home = std::getenv("HOME");
    std::string homeFolder = home && home[0] == '/' ? home : "";
    if (homeFolder.empty())
        if (const passwd *pw = ::getpwuid(::geteuid()); pw && pw->pw_dir)
            homeFolder = pw->pw_dir;
    if (homeFolder.empty())
        return {};
    return std::filesystem::path(homeFolder) / ".local" / "state" / "CarventoUtilities";
}

Journal *Journal::User()
{
    static std::mutex mutex;
    static std::vector<std::unique_ptr<Journal>> opened;  // earlier ones stay valid for their users
    static Journal *current = nullptr;
    static std::string stateSeen, homeSeen;
    const std::lock_guard<std::mutex> lock(mutex);
    // The folder follows the environment; it is worked out again only when that changes,
    // or after a failure.
    const char *state = std::getenv("XDG_STATE_HOME"), *home = std::getenv("HOME");
    if (current && stateSeen == (state ? state : "") && homeSeen == (home ? home : ""))
        return current;
    stateSeen = state ? state : "";
    homeSeen = home ? home : "";
    current = nullptr;
    const std::filesystem::path folder = UserFolder();
    for (const auto &journal : opened)
        if (journal->Folder() == folder)
            return current = journal.get();
    if (folder.empty()) {
        Fail(TagError::NoJournal);
        return nullptr;
    }
    auto journal = Open(folder);
    if (!journal)
        return nullptr;
    opened.push_back(std::move(journal));
    return current = opened.back().get();
}

std::unique_ptr<Journal> Journal::Open(const std::filesystem::path &folder)
{
    if (!folder.is_absolute()) {
        Fail(TagError::NoJournal);
        return nullptr;
    }
    // Missing parents are made private too, as the state folder's own rules ask.
    std::filesystem::path partial;
    for (const auto &part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            FailWithErrno();
            return nullptr;
        }
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        FailWithErrno();
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !Trusted(st)) {
        ::close(fd);
        SetLastError(std::error_code(EPERM, std::generic_category()));
        return nullptr;
    }
    if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        FailWithErrno();
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<Journal>(new Journal(folder, fd));
}

Journal::~Journal()
{
    if (folderFd_ >= 0)
        ::close(folderFd_);
}

std::unique_ptr<JournalRecord> Journal::Create(std::string_view prefix)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        char suffix[20];
        std::snprintf(suffix, sizeof suffix, "-%016llx", static_cast<unsigned long long>(RandomNumber()));
        std::string name = std::string(prefix) + suffix;
        const int fd = ::openat(folderFd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            FailWithErrno();
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
            FailWithErrno();
            ::unlinkat(folderFd_, name.c_str(), 0);
            ::close(fd);
            return nullptr;
        }
        return std::unique_ptr<JournalRecord>(new JournalRecord(*this, std::move(name), fd));
    }
    SetLastError(std::error_code(EEXIST, std::generic_category()));
    return nullptr;
}

std::vector<std::string> Journal::List(std::string_view prefix) const
{
    std::vector<std::string> names;
    const int fd = ::openat(folderFd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        FailWithErrno();
        return names;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (ValidName(name) && name.substr(0, prefix.size()) == prefix)
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::unique_ptr<JournalRecord> Journal::Claim(std::string_view name)
{
    if (!ValidName(name)) {
        SetLastError(std::error_code(EINVAL, std::generic_category()));
        return nullptr;
    }
    const std::string file(name);
    const int fd = ::openat(folderFd_, file.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        FailWithErrno();
        return nullptr;
    }
    auto record = std::unique_ptr<JournalRecord>(new JournalRecord(*this, file, fd));
    struct stat st {}, named {};
    if (::fstat(fd, &st) != 0) {
        FailWithErrno();
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        Fail(TagError::NotRegularFile);
        return nullptr;
    }
    if (!Trusted(st)) {
        SetLastError(std::error_code(EPERM, std::generic_category()));
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
        FailWithErrno();
        return nullptr;
    }
    // Another process may have removed it between our open and the lock.
    if (::fstatat(folderFd_, file.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_ino != st.st_ino
        || named.st_dev != st.st_dev) {
        SetLastError(std::error_code(ENOENT, std::generic_category()));
        return nullptr;
    }
    return record;
}

bool Journal::Sync() { return ::fsync(folderFd_) == 0 || FailWithErrno(); }

std::uint64_t Journal::ChangeMark() const
{
    struct stat st {};
    if (::fstat(folderFd_, &st) != 0)
        return 0;
    return Mix(static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000ULL + static_cast<std::uint64_t>(st.st_mtim.tv_nsec))
           ^ static_cast<std::uint64_t>(st.st_ctim.tv_nsec) ^ static_cast<std::uint64_t>(st.st_size) << 1;
}

JournalRecord::~JournalRecord()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool JournalRecord::Write(std::uint32_t kind, const std::vector<std::string_view> &pieces, bool durable)
{
    unsigned char header[kHeader + 8] = {};
    std::memcpy(header, kMagic, sizeof kMagic);
    // A nonce per content: a random start, then counted (no system call per record).
    static std::atomic<std::uint64_t> counter{RandomNumber()};
    const std::uint64_t stamp = std::max(Now(), stamp_ + 1), nonce = Mix(counter.fetch_add(1) + kMul);
    Store64(header + 8, kind);
    Store64(header + 16, stamp);
    Store64(header + 24, nonce);
    std::uint64_t length = 0;
    Digester digest(ChunkSeed(nonce, 0));
    for (const std::string_view piece : pieces) {
        length += piece.size();
        digest.Update(piece);
    }
    Store64(header + kHeader, length);
    unsigned char tail[8];
    Store64(tail, digest.Value());
    std::vector<iovec> parts;
    parts.push_back({header, sizeof header});
    for (const std::string_view piece : pieces)
        if (!piece.empty())
            parts.push_back({const_cast<char *>(piece.data()), piece.size()});
    parts.push_back({tail, sizeof tail});
    if (!WriteAllAt(fd_, std::move(parts), 0) || (durable && ::fdatasync(fd_) != 0 && !FailWithErrno()))
        return false;
    kind_ = kind;
    stamp_ = stamp;
    nonce_ = nonce;
    end_ = kHeader + 8 + length + 8;
    chunks_ = 1;
    return true;
}

bool JournalRecord::Append(std::string_view chunk, bool durable)
{
    if (end_ < kHeader) {
        SetLastError(std::error_code(EINVAL, std::generic_category()));
        return false;
    }
    unsigned char head[8], tail[8];
    Store64(head, chunk.size());
    Store64(tail, Digest64(chunk, ChunkSeed(nonce_, chunks_)));
    std::vector<iovec> parts{{head, 8}, {const_cast<char *>(chunk.data()), chunk.size()}, {tail, 8}};
    if (!WriteAllAt(fd_, std::move(parts), end_) || (durable && ::fdatasync(fd_) != 0 && !FailWithErrno()))
        return false;
    end_ += 16 + chunk.size();
    ++chunks_;
    return true;
}

bool JournalRecord::Read(std::vector<std::string> &chunks, std::uint64_t maxBytes)
{
    chunks.clear();
    kind_ = 0;
    struct stat st {};
    unsigned char header[kHeader];
    if (::fstat(fd_, &st) != 0)
        return FailWithErrno();
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size < kHeader || !ReadExactly(fd_, 0, header, kHeader) || std::memcmp(header, kMagic, sizeof kMagic) != 0) {
        SetLastError(std::error_code(ENODATA, std::generic_category()));
        return false;
    }
    const std::uint64_t kind = Load64(header + 8);
    if (kind == 0 || kind > 0xFFFFFFFFu) {
        SetLastError(std::error_code(ENODATA, std::generic_category()));
        return false;
    }
    kind_ = static_cast<std::uint32_t>(kind);
    stamp_ = Load64(header + 16);
    nonce_ = Load64(header + 24);
    std::uint64_t pos = kHeader, total = 0;
    chunks_ = 0;
    for (;;) {
        unsigned char word[8];
        if (size - pos < 16 || !ReadExactly(fd_, pos, word, 8))
            break;
        const std::uint64_t length = Load64(word);
        // Checked without overflow: a length near 2^64 is simply too long.
        if (length > size - pos - 16 || length > maxBytes - total)
            break;
        std::string chunk(static_cast<std::size_t>(length), '\0');
        if (!ReadExactly(fd_, pos + 8, chunk.data(), chunk.size()) || !ReadExactly(fd_, pos + 8 + length, word, 8)
            || Load64(word) != Digest64(chunk, ChunkSeed(nonce_, chunks_)))
            break;
        total += length;
        pos += 16 + length;
        ++chunks_;
        chunks.push_back(std::move(chunk));
    }
    end_ = pos;
    return true;
}

bool JournalRecord::Clear(bool durable)
{
    static const char zeros[8] = {};
    kind_ = 0;
    end_ = 0;
    chunks_ = 0;
    if (::pwrite(fd_, zeros, sizeof zeros, 0) != sizeof zeros)
        return FailWithErrno();
    return !durable || ::fdatasync(fd_) == 0 || FailWithErrno();
}

bool JournalRecord::Remove(bool durable)
{
    struct stat mine {}, named {};
    bool ok = true;
    if (::fstat(fd_, &mine) == 0 && ::fstatat(journal_.FolderFd(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && named.st_ino == mine.st_ino && named.st_dev == mine.st_dev)
        ok = ::unlinkat(journal_.FolderFd(), name_.c_str(), 0) == 0 || FailWithErrno();
    ::close(fd_);
    fd_ = -1;
    return ok && (!durable || journal_.Sync());
}

bool JournalRecord::Orphaned() const
{
    struct stat st {};
    return ::fstat(fd_, &st) != 0 || st.st_nlink == 0;
}

} // namespace cvtags
