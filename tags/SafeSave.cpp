#include "tags/SafeSave.h"

#include "tags/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace cvtags {
namespace {

SaveHook g_hook = nullptr;

constexpr std::string_view kMagic = "CVTAGREC";
constexpr std::uint8_t kInPlace = 1;
constexpr const char *kTemporaryMark = "user.carvento.temporary";
// Larger tags are rewritten instead; a larger file of this name is not ours.
constexpr std::uint64_t kMaxRecord = 64u << 20;
// The mark of a save in place: the top bit of the header's revision byte, which no tag
// sets and readers ignore.
constexpr std::size_t kMarkAt = 4;
constexpr std::uint8_t kMarkBit = 0x80;

std::string Marked(std::string_view bytes)
{
    std::string out(bytes);
    out[kMarkAt] = static_cast<char>(static_cast<std::uint8_t>(out[kMarkAt]) | kMarkBit);
    return out;
}

// Writes the revision byte of `bytes` with or without the mark.
bool WriteMark(int fd, std::string_view bytes, bool marked)
{
    const auto byte = static_cast<std::uint8_t>(bytes[kMarkAt]);
    const char mark = static_cast<char>(marked ? byte | kMarkBit : byte & ~kMarkBit);
    return WriteAt(fd, kMarkAt, std::string_view(&mark, 1));
}

void Put64(std::string &out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>(v >> (8 * i));
}

std::uint64_t Get64(std::string_view s, std::size_t at)
{
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

std::uint64_t Checksum(std::string_view bytes)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;           // FNV-1a
    for (char c : bytes)
        h = (h ^ static_cast<std::uint8_t>(c)) * 0x100000001b3ULL;
    return h;
}

std::string Header(std::uint8_t kind, const struct stat &st)
{
    std::string out(kMagic);
    out += static_cast<char>(kind);
    Put64(out, static_cast<std::uint64_t>(st.st_dev));
    Put64(out, static_cast<std::uint64_t>(st.st_ino));
    Put64(out, static_cast<std::uint64_t>(st.st_size));
    return out;
}

std::string Sealed(std::string record)
{
    Put64(record, Checksum(record));
    return record;
}

struct Record {
    std::uint8_t kind = 0;
    std::uint64_t dev = 0, ino = 0, size = 0;
    std::string_view oldBytes, newBytes;    // in place
};

constexpr std::size_t kHeader = 8 + 1 + 24;

// nullopt for a torn or damaged record.
std::optional<Record> Parse(std::string_view bytes)
{
    if (bytes.size() < kHeader + 16 || Checksum(bytes.substr(0, bytes.size() - 8)) != Get64(bytes, bytes.size() - 8))
        return std::nullopt;
    Record r;
    r.kind = static_cast<std::uint8_t>(bytes[8]);
    r.dev = Get64(bytes, 9);
    r.ino = Get64(bytes, 17);
    r.size = Get64(bytes, 25);
    const std::string_view rest = bytes.substr(kHeader, bytes.size() - kHeader - 8);
    if (r.kind == kInPlace) {
        const std::uint64_t length = Get64(rest, 0);
        if (rest.size() != 8 + 2 * length)
            return std::nullopt;
        r.oldBytes = rest.substr(8, length);
        r.newBytes = rest.substr(8 + length, length);
        return r;
    }
    return std::nullopt;
}

bool SameFile(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// True when every byte is the old or the new one at its place: the file holds this
// save's bytes, possibly torn, and nothing written by anyone else.
bool OldOrNew(std::string_view now, std::string_view oldBytes, std::string_view newBytes)
{
    for (std::size_t i = 0; i < now.size(); ++i)
        if (now[i] != oldBytes[i] && now[i] != newBytes[i])
            return false;
    return true;
}

} // namespace

bool SaveMarked(std::string_view head)
{
    return head.size() > kMarkAt && head.substr(0, 3) == "ID3" && (static_cast<std::uint8_t>(head[kMarkAt]) & kMarkBit);
}

void SetSaveHook(SaveHook hook) { g_hook = hook; }
bool ContinueAfter(SaveStep step) { return g_hook == nullptr || g_hook(step); }

std::filesystem::path RecordPath(const std::filesystem::path &file)
{
    return FolderOf(file) / ("." + file.filename().string() + ".cvtag");
}

namespace {

// Opens the record beside `file` if there is one; the usual answer is no.
bool OpenRecord(const std::filesystem::path &file, FileDescriptor &record, struct stat &st)
{
    // Built by hand on the stack, and asked about with a stat before any open: this runs
    // before every read and usually finds nothing, which a failed stat tells at about half
    // the cost of a failed open.
    const std::string &path = file.native();
    const std::size_t slash = path.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    constexpr std::string_view kSuffix = ".cvtag";
    if (nameAt == path.size() || path.size() - nameAt + 1 + kSuffix.size() > NAME_MAX
        || path.size() + 2 + kSuffix.size() > PATH_MAX)
        return false;
    char recordPath[PATH_MAX];
    char *end = std::copy_n(path.data(), nameAt, recordPath);
    *end++ = '.';
    end = std::copy(path.begin() + static_cast<std::ptrdiff_t>(nameAt), path.end(), end);
    end = std::copy(kSuffix.begin(), kSuffix.end(), end);
    *end = '\0';
    if (::fstatat(AT_FDCWD, recordPath, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return false;
    record.Reset(::open(recordPath, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (record.Get() < 0 || ::fstat(record.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        record.Reset(-1);
        return false;
    }
    return true;
}

} // namespace

void Recover(const std::filesystem::path &file)
{
    FileDescriptor record;
    struct stat recordStat {};
    if (!OpenRecord(file, record, recordStat))
        return;                                     // the usual case: nothing to do
    const std::filesystem::path recordPath = RecordPath(file);
    FileDescriptor target;
    struct stat st {};
    // A save holds the lock for as long as its record matters.
    if (!OpenRegular(file, O_RDWR, target, st) || ::flock(target.Get(), LOCK_EX | LOCK_NB) != 0)
        return;
    struct stat named {};
    std::string bytes;
    if (::lstat(recordPath.c_str(), &named) != 0 || !SameFile(named, recordStat)
        || !ReadUpTo(record.Get(), 0, kMagic.size(), bytes))
        return;                                     // gone meanwhile
    if (bytes != kMagic) {
        // A rewrite's temporary file whose process died before the rename, or not ours.
        char mark = 0;
        if (::fgetxattr(record.Get(), kTemporaryMark, &mark, 1) == 1 && mark == '1' && !SameFile(named, st))
            ::unlink(recordPath.c_str());
        return;
    }
    if (static_cast<std::uint64_t>(named.st_size) > kMaxRecord
        || !ReadUpTo(record.Get(), 0, static_cast<std::size_t>(named.st_size), bytes))
        return;
    const auto parsed = Parse(bytes);
    bool unmark = false;
    if (parsed && parsed->kind == kInPlace && static_cast<std::uint64_t>(st.st_dev) == parsed->dev
               && static_cast<std::uint64_t>(st.st_ino) == parsed->ino
               && static_cast<std::uint64_t>(st.st_size) == parsed->size) {
        // The record holds the marked bytes, so a file without the mark is not this save's.
        std::string now;
        const std::size_t length = parsed->newBytes.size();
        if (ReadUpTo(target.Get(), 0, length, now) && now.size() == length
            && OldOrNew(now, parsed->oldBytes, parsed->newBytes)) {
            if (now != parsed->newBytes
                && !(WriteAt(target.Get(), 0, parsed->newBytes) && ::fdatasync(target.Get()) == 0))
                return;                             // keep the record for the next try
            unmark = SaveMarked(parsed->newBytes);
        }
    }
    // Done, torn before the file was touched, or naming another file: the record goes.
    ::unlink(recordPath.c_str());
    if (unmark)
        WriteMark(target.Get(), parsed->newBytes, false);
}

InPlace OverwriteStart(const std::filesystem::path &file, int fd, const struct stat &st,
                       std::string_view oldBytes, std::string_view newBytes)
{
    if (oldBytes.size() != newBytes.size() || oldBytes.size() <= kMarkAt || 2 * oldBytes.size() + 256 > kMaxRecord)
        return InPlace::NotPossible;
    // Someone may have changed the file since it was read, or put another in its place.
    const auto unchanged = [&] {
        struct stat now {}, named {};
        return ::fstat(fd, &now) == 0 && now.st_size == st.st_size && SameFile(now, st)
               && ::stat(file.c_str(), &named) == 0 && SameFile(named, st);
    };
    if (!unchanged())
        return InPlace::Failed;

    // The mark reaches the disk first: from then on a reader looks beside the file.
    const std::string oldMarked = Marked(oldBytes), newMarked = Marked(newBytes);
    if (!WriteMark(fd, oldBytes, true) || ::fdatasync(fd) != 0) {
        WriteAt(fd, kMarkAt, oldBytes.substr(kMarkAt, 1));
        return InPlace::Failed;
    }
    if (!ContinueAfter(SaveStep::Marked))
        return InPlace::Failed;
    // Nothing of the save happened: the mark goes, and a reader that sees it meanwhile
    // finds no record and reads the old tag.
    const auto giveUp = [&](InPlace result) {
        WriteAt(fd, kMarkAt, oldBytes.substr(kMarkAt, 1));
        return result;
    };

    std::string record = Header(kInPlace, st);
    Put64(record, oldMarked.size());
    record += oldMarked;
    record += newMarked;
    record = Sealed(std::move(record));

    const std::filesystem::path recordPath = RecordPath(file);
    FileDescriptor out;
    out.Reset(::open(FolderOf(file).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    const bool unnamed = out.Get() >= 0;
    if (!unnamed)                                   // a torn record then fails its checksum
        out.Reset(::open(recordPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.Get() < 0)
        return giveUp(InPlace::NotPossible);
    bool ok = WriteAt(out.Get(), 0, record) && ::fdatasync(out.Get()) == 0;
    if (ok && !ContinueAfter(SaveStep::RecordWritten))
        return InPlace::Failed;
    ok = ok && (!unnamed || LinkUnnamed(out.Get(), recordPath));
    ok = out.Close() && ok;
    if (ok && !SyncFolderOf(file)) {
        ::unlink(recordPath.c_str());
        ok = false;
    }
    if (!ok) {
        if (!unnamed)
            ::unlink(recordPath.c_str());
        return giveUp(InPlace::NotPossible);
    }
    if (!ContinueAfter(SaveStep::RecordNamed))
        return InPlace::Failed;

    if (!unchanged()) {
        ::unlink(recordPath.c_str());
        return giveUp(InPlace::Failed);
    }
    if (g_hook && !(WriteAt(fd, 0, std::string_view(newMarked).substr(0, newMarked.size() / 2))
                    && ContinueAfter(SaveStep::TagHalfWritten)))
        return InPlace::Failed;
    if (!WriteAt(fd, 0, newMarked) || ::fdatasync(fd) != 0) {
        // Put the old bytes back; if even that fails, the record finishes the save later.
        if (WriteAt(fd, 0, oldMarked) && ::fdatasync(fd) == 0) {
            ::unlink(recordPath.c_str());
            giveUp(InPlace::Failed);
        }
        return InPlace::Failed;
    }
    if (!ContinueAfter(SaveStep::TagWritten))
        return InPlace::Failed;
    // The record goes before the mark: a mark without a record costs a reader one look,
    // while a record without the mark would stay until the next write.
    ::unlink(recordPath.c_str());
    if (!ContinueAfter(SaveStep::RecordRemoved))
        return InPlace::Done;
    WriteMark(fd, newBytes, false);
    return InPlace::Done;
}

bool MarkTemporary(int fd)
{
    return ::fsetxattr(fd, kTemporaryMark, "1", 1, 0) == 0;
}

} // namespace cvtags
