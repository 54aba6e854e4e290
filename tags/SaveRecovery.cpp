// The recovery of saves that a crash or a kill interrupted: the records of the journal that no
// running process holds are finished or undone, each entry only through a descriptor whose
// identity and content were checked, and only within the region it names. What cannot be
// reached now (media not mounted) is kept for a later start.

#include "tags/FileOps.h"
#include "tags/Journal.h"
#include "tags/SaveGroup.h"
#include "tags/SaveRecord.h"
#include "tags/SaveState.h"
#include "tags/TagError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace cvtags {
namespace {

constexpr std::size_t kBuffer = 1u << 20;

// File systems whose inode numbers are made up at each mount: there the record's inode
// cannot tell the file, and its size and content must.
bool StableInodes(std::uint64_t fsType)
{
    switch (fsType) {
    case 0x4d44:            // FAT
    case 0x2011BAB0:        // exFAT
    case 0x65735546:        // FUSE
        return false;
    default:
        return true;
    }
}

// Opens a path that a record names, following no link anywhere in it.
int OpenNoLinks(const std::string &path, int flags)
{
    open_how how {};
    how.flags = static_cast<std::uint64_t>(flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    how.resolve = RESOLVE_NO_SYMLINKS;
    const long fd = ::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM))
        return static_cast<int>(fd);
    return ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

enum class Outcome { Done, Inapplicable, Unreachable };

// Whether a file that cannot be opened is on media not mounted now: its folder is missing,
// or lies on another kind of file system than the file did.
Outcome Missing(const std::string &path, std::uint64_t fsType)
{
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0)
        return Outcome::Unreachable;
    return fsType != 0 && static_cast<std::uint64_t>(fs.f_type) != fsType ? Outcome::Unreachable : Outcome::Inapplicable;
}

// Opens the file a record names and checks its identity: inode (where the file system keeps
// them), a size the save could have left, not locked by a live save.
Outcome OpenNamed(const Entry &e, FileDescriptor &fd, struct stat &st)
{
    fd.Reset(OpenNoLinks(std::string(e.path), O_RDWR));
    if (fd.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? Missing(std::string(e.path), e.fsType) : Outcome::Inapplicable;
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Outcome::Inapplicable;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if ((StableInodes(e.fsType) && static_cast<std::uint64_t>(st.st_ino) != e.ino)
        || size < std::min(e.oldSize, e.newSize) || size > std::max(e.oldSize, e.newSize))
        return Outcome::Inapplicable;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return Outcome::Unreachable;
    return Outcome::Done;
}

// A change in place: applied when every byte of the region is the old or the new one and the
// rest of the tag region is as the save left it.
Outcome ApplyPatch(const Entry &e)
{
    FileDescriptor fd;
    struct stat st {};
    if (const Outcome opened = OpenNamed(e, fd, st); opened != Outcome::Done)
        return opened;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t regionEnd = e.offset + std::max(e.oldBytes.size(), e.newBytes.size());
    std::string now;
    if (!ReadUpTo(fd.Get(), e.offset, static_cast<std::size_t>(std::min(regionEnd, size) - std::min(e.offset, size)), now))
        return Outcome::Unreachable;
    bool isNew = size == e.newSize && now.size() == e.newBytes.size();
    for (std::size_t i = 0; i < now.size(); ++i) {
        const bool old = i < e.oldBytes.size() && now[i] == e.oldBytes[i];
        const bool fresh = i < e.newBytes.size() && now[i] == e.newBytes[i];
        if (!old && !fresh)
            return Outcome::Inapplicable;
        isNew = isNew && fresh;
    }
    // The context as it must read once the new bytes are in.
    Digester digest;
    const std::uint64_t contextEnd = std::min(e.contextEnd, e.newSize);
    std::string chunk;
    for (std::uint64_t at = e.contextBegin; at < contextEnd;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBuffer, contextEnd - at));
        if (!ReadUpTo(fd.Get(), at, n, chunk))
            return Outcome::Unreachable;
        chunk.resize(n, '\0');
        for (std::size_t i = 0; i < n; ++i)
            if (at + i >= e.offset && at + i < e.offset + e.newBytes.size())
                chunk[i] = e.newBytes[static_cast<std::size_t>(at + i - e.offset)];
        digest.Update(chunk);
        at += n;
    }
    if (digest.Value() != e.digest)
        return Outcome::Inapplicable;
    if (isNew)
        return Outcome::Done;
    if (!WriteAt(fd.Get(), e.offset, e.newBytes)
        || (size != e.newSize && ::ftruncate(fd.Get(), static_cast<off_t>(e.newSize)) != 0)
        || ::fdatasync(fd.Get()) != 0)
        return Outcome::Unreachable;
    return Outcome::Done;
}

// A rewrite cut short: its temporary file goes, whether or not it took the file's place.
Outcome ApplyReplace(const Entry &e)
{
    FileDescriptor folder;
    folder.Reset(OpenNoLinks(std::string(e.path), O_RDONLY | O_DIRECTORY));
    if (folder.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? Outcome::Unreachable : Outcome::Inapplicable;
    const std::string temp(e.temp), name(e.name);
    struct stat st {}, named {};
    if (::fstatat(folder.Get(), temp.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Outcome::Done;
    const bool mine = S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
    const bool unused = e.tempIno != 0 ? static_cast<std::uint64_t>(st.st_ino) == e.tempIno : st.st_nlink == 1;
    // After an exchange the old file lies under the temporary name, the new one under its own.
    const bool swapped = static_cast<std::uint64_t>(st.st_ino) == e.ino && e.tempIno != 0
                         && ::fstatat(folder.Get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
                         && static_cast<std::uint64_t>(named.st_ino) == e.tempIno;
    if (mine && (unused || swapped))
        ::unlinkat(folder.Get(), temp.c_str(), 0);
    return Outcome::Done;
}

// A rewrite in place from the copy in the journal: finished when every byte is the old or
// the new one.
Outcome ApplyShift(Journal &journal, const Entry &e)
{
    auto backup = journal.Claim(e.temp);
    if (!backup)
        return Outcome::Inapplicable;
    FileDescriptor fd;
    struct stat st {};
    if (const Outcome opened = OpenNamed(e, fd, st); opened != Outcome::Done)
        return opened;
    struct stat copy {};
    if (::fstat(backup->Fd(), &copy) != 0 || static_cast<std::uint64_t>(copy.st_size) != e.oldSize)
        return Outcome::Inapplicable;
    std::vector<Segment> segments;
    for (const Entry::Piece &p : e.pieces)
        segments.push_back(p.bytes.empty() ? Segment{{}, backup->Fd(), p.offset, p.size} : Segment{p.bytes});
    segments.push_back({{}, backup->Fd(), e.tail, e.oldSize - e.tail});
    const auto size = static_cast<std::uint64_t>(st.st_size);
    std::string now, old, fresh;
    bool isNew = size == e.newSize;
    for (std::uint64_t at = 0; at < size; at += kBuffer) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBuffer, size - at));
        if (!ReadUpTo(fd.Get(), at, n, now) || !ReadUpTo(backup->Fd(), at, n, old) || !ReadSegments(segments, at, n, fresh))
            return Outcome::Unreachable;
        for (std::size_t i = 0; i < now.size(); ++i) {
            const bool o = i < old.size() && now[i] == old[i], f = i < fresh.size() && now[i] == fresh[i];
            if (!o && !f)
                return Outcome::Inapplicable;
            isNew = isNew && f;
        }
    }
    if (!isNew && (!WriteSegments(segments, fd.Get()) || ::ftruncate(fd.Get(), static_cast<off_t>(e.newSize)) != 0
                   || ::fdatasync(fd.Get()) != 0))
        return Outcome::Unreachable;
    backup->Remove(false);
    return Outcome::Done;
}

} // namespace

void SaveState::Recover()
{
    if (!journal_)
        return;
    struct Claimed {
        std::unique_ptr<JournalRecord> record;
        std::vector<std::string> chunks;
    };
    std::vector<Claimed> records;
    std::vector<std::string> backups;
    liveForeign_.clear();
    const std::string mine = SlotName();
    bool removed = false;
    for (const std::string &name : journal_->List(kPrefix)) {
        if (name == mine)
            continue;
        if (name.starts_with(kBackupPrefix)) {
            backups.push_back(name);
            continue;
        }
        auto record = journal_->Claim(name);
        if (!record) {
            if (LastError() == std::errc::operation_would_block)
                liveForeign_.push_back(name);
            continue;                       // live elsewhere, or not ours to trust
        }
        Claimed claimed{std::move(record), {}};
        if (!claimed.record->Read(claimed.chunks) || claimed.record->Kind() != kTagSaveKind || claimed.chunks.empty()) {
            // An empty slot of a process that ended, or a record torn before it counted.
            removed = claimed.record->Remove(false) || removed;
            continue;
        }
        records.push_back(std::move(claimed));
    }
    // Oldest first: a later save of the same file then has the last word.
    std::sort(records.begin(), records.end(),
              [](const Claimed &a, const Claimed &b) { return a.record->Stamp() < b.record->Stamp(); });
    pending_.clear();
    std::vector<std::string> keptBackups;
    for (Claimed &claimed : records) {
        std::uint64_t count = 0;
        std::vector<std::string_view> keep;
        for (std::string_view bytes : RecordEntries(claimed.chunks.front(), count)) {
            const auto entry = ParseEntry(bytes);
            if (!entry)
                continue;
            const Outcome outcome = entry->type == PatchEntry    ? ApplyPatch(*entry)
                                    : entry->type == ReplaceEntry ? ApplyReplace(*entry)
                                                                  : ApplyShift(*journal_, *entry);
            if (outcome != Outcome::Unreachable)
                continue;
            keep.push_back(bytes);
            pending_.push_back({std::string(entry->path), entry->ino});
            if (entry->type == ShiftEntry)
                keptBackups.emplace_back(entry->temp);
        }
        const bool sameAsBefore = claimed.record->Name().starts_with(kKeptPrefix) && keep.size() == count;
        if (!keep.empty() && !sameAsBefore) {
            auto kept = journal_->Create(kKeptPrefix);
            if (!kept || !WriteRecord(*kept, keep))
                continue;                   // the old record stays for the next try
        }
        if (!sameAsBefore)
            removed = claimed.record->Remove(false) || removed;
    }
    for (const std::string &name : backups) {
        if (std::find(keptBackups.begin(), keptBackups.end(), name) != keptBackups.end())
            continue;
        if (auto backup = journal_->Claim(name))
            removed = backup->Remove(false) || removed;
    }
    if (removed)
        journal_->Sync();
    anyPending = !pending_.empty();
    journalChanged_ = true;
    mark_ = journal_->ChangeMark();
    lastScan_ = std::chrono::steady_clock::now();
}

bool RecoverInterruptedSaves()
{
    SaveState &state = SaveState::Get();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.JournalNow())
        return false;
    state.Recover();
    return true;
}

} // namespace cvtags
