#include "tags/SafeSave.h"

#include "tags/Journal.h"
#include "tags/SaveGroup.h"
#include "tags/TagError.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <linux/openat2.h>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace cvtags {

struct PendingPatch {
    std::filesystem::path given, path;
    FileDescriptor owned;                 // in a group the change holds the file open
    int fd = -1;
    struct stat st {};
    std::uint64_t offset = 0, newSize = 0;
    std::string oldBytes, newBytes;
    std::string entry;                    // as the record holds it
};

namespace {

constexpr std::uint32_t kTagSaveKind = 0x54414753;     // "TAGS"
constexpr std::string_view kPrefix = "tagsave-";
constexpr std::string_view kSlotPrefix = "tagsave-slot";
constexpr std::string_view kKeptPrefix = "tagsave-kept";
constexpr std::string_view kBackupPrefix = "tagsave-backup";
constexpr std::size_t kBuffer = 1u << 20;
constexpr std::uint64_t kContextBefore = 4096;

enum EntryType : std::uint64_t { PatchEntry = 1, ReplaceEntry = 2, ShiftEntry = 3 };

SaveObserver g_observer = nullptr;
thread_local SaveGroup *g_group = nullptr;

void Observe(SaveStep step, const std::filesystem::path &file)
{
    if (g_observer)
        g_observer(step, file);
}

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

std::uint64_t FsType(int fd, dev_t device)
{
    // Asked once per file system.
    thread_local dev_t lastDevice = 0;
    thread_local std::uint64_t lastType = 0;
    if (device != 0 && device == lastDevice)
        return lastType;
    struct statfs fs {};
    const std::uint64_t type = ::fstatfs(fd, &fs) == 0 ? static_cast<std::uint64_t>(fs.f_type) : 0;
    lastDevice = device;
    lastType = type;
    return type;
}

bool SameTime(const struct stat &a, const struct stat &b)
{
    return a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
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

// ---- Entries of a record ----

struct Segment {                           // bytes of a new content: its own, or of a file
    std::string_view bytes;
    int fd = -1;
    std::uint64_t offset = 0, size = 0;
    std::uint64_t Size() const { return fd < 0 ? bytes.size() : size; }
};

struct Entry {
    std::uint64_t type = 0;
    std::string_view path, name, temp, oldBytes, newBytes;
    std::uint64_t ino = 0, fsType = 0, oldSize = 0, newSize = 0, offset = 0;
    std::uint64_t contextBegin = 0, contextEnd = 0, digest = 0, tempIno = 0, tail = 0;
    struct Piece {
        std::string_view bytes;
        std::uint64_t offset = 0, size = 0;
    };
    std::vector<Piece> pieces;
};

std::optional<Entry> ParseEntry(std::string_view bytes)
{
    RecordReader r(bytes);
    Entry e;
    if (!r.U64(e.type))
        return std::nullopt;
    bool ok = false;
    switch (e.type) {
    case PatchEntry:
        ok = r.Bytes(e.path, 1 << 16) && r.U64(e.ino) && r.U64(e.fsType) && r.U64(e.oldSize) && r.U64(e.newSize)
             && r.U64(e.offset) && r.Bytes(e.oldBytes) && r.Bytes(e.newBytes) && r.U64(e.contextBegin)
             && r.U64(e.contextEnd) && r.U64(e.digest)
             // Bounded: the region lies within both sizes, the context around it.
             && e.offset <= e.oldSize && e.oldBytes.size() <= e.oldSize - e.offset && e.offset <= e.newSize
             && e.newBytes.size() <= e.newSize - e.offset && e.contextBegin <= e.offset && e.contextEnd >= e.offset
             && e.contextEnd - e.contextBegin <= Journal::kMaxRecordBytes;
        break;
    case ReplaceEntry:
        ok = r.Bytes(e.path, 1 << 16) && r.Bytes(e.name, 4096) && r.Bytes(e.temp, 4096) && r.U64(e.tempIno)
             && r.U64(e.ino) && !e.name.empty() && !e.temp.empty() && e.temp.find('/') == std::string_view::npos
             && e.name.find('/') == std::string_view::npos && e.temp != "." && e.temp != "..";
        break;
    case ShiftEntry: {
        std::uint64_t count = 0, headSize = 0;
        ok = r.Bytes(e.path, 1 << 16) && r.U64(e.ino) && r.U64(e.fsType) && r.U64(e.oldSize) && r.U64(e.newSize)
             && r.Bytes(e.temp, 4096) && r.U64(e.tail) && r.U64(count) && count <= (1u << 20) && e.tail <= e.oldSize;
        for (std::uint64_t i = 0; ok && i < count; ++i) {
            Entry::Piece piece;
            std::uint64_t isRange = 0;
            ok = r.U64(isRange) && (isRange ? r.U64(piece.offset) && r.U64(piece.size) && piece.offset <= e.oldSize
                                                  && piece.size <= e.oldSize - piece.offset
                                            : r.Bytes(piece.bytes));
            headSize += isRange ? piece.size : piece.bytes.size();
            e.pieces.push_back(piece);
        }
        ok = ok && e.newSize == headSize + (e.oldSize - e.tail);
        break;
    }
    default:
        break;
    }
    if (!ok || !r.AtEnd() || e.path.empty() || e.path[0] != '/' || e.path.find('\0') != std::string_view::npos)
        return std::nullopt;
    return e;
}

// Reads `size` bytes at `offset` of the new content `segments` describes.
bool ReadSegments(const std::vector<Segment> &segments, std::uint64_t offset, std::size_t size, std::string &out)
{
    out.clear();
    std::uint64_t at = 0;
    std::string part;
    for (const Segment &s : segments) {
        const std::uint64_t n = s.Size();
        if (offset < at + n && out.size() < size) {
            const std::uint64_t from = std::max(offset, at) - at;
            const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n - from, size - out.size()));
            if (s.fd < 0) {
                out.append(s.bytes.substr(static_cast<std::size_t>(from), take));
            } else {
                if (!ReadUpTo(s.fd, s.offset + from, take, part) || part.size() != take)
                    return false;
                out += part;
            }
            offset = at + n;
        }
        at += n;
    }
    return true;
}

bool WriteSegments(const std::vector<Segment> &segments, int fd)
{
    std::uint64_t at = 0;
    for (const Segment &s : segments) {
        if (s.fd < 0 ? !WriteAt(fd, at, s.bytes) : !CopyRange(s.fd, s.offset, static_cast<std::int64_t>(s.size), fd, at))
            return false;
        at += s.Size();
    }
    return true;
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

// ---- The state of this process ----

struct KeptRecord {
    std::string path;
    std::uint64_t ino = 0;
};

class SaveState {
public:
    static SaveState &Get()
    {
        static SaveState state;
        return state;
    }

    std::mutex mutex;
    std::atomic<bool> anyPending{false};

    Journal *JournalNow()
    {
        Journal *journal = Journal::User();
        if (journal != journal_) {
            journal_ = journal;
            slot_.reset();
            mark_ = 0;
        }
        return journal_;
    }

    // This process's record, made once and written again for every save.
    JournalRecord *Slot()
    {
        if (!JournalNow())
            return nullptr;
        // A child process made by fork shares the parent's slot and its lock: it needs its own.
        if (slot_ && slotPid_ == ::getpid() && (!journalChanged_ || !slot_->Orphaned())) {
            journalChanged_ = false;
            return slot_.get();
        }
        journalChanged_ = false;
        slot_ = journal_->Create(kSlotPrefix);
        slotPid_ = ::getpid();
        // Room written once, so that later syncs carry data only.
        if (slot_ && (!WriteAt(slot_->Fd(), 0, std::string(64u << 10, '\0')) || ::fsync(slot_->Fd()) != 0
                      || !journal_->Sync()))
            slot_.reset();
        return slot_.get();
    }
    // A slot whose record must outlive it (a change that could not be undone) is left to recovery.
    void AbandonSlot() { slot_.reset(); }
    std::string SlotName() const { return slot_ && slotPid_ == ::getpid() ? slot_->Name() : std::string(); }

    // Finishes the records of processes that are gone, now and then, and when the journal
    // changed or a process that held a record ended.
    void BeforeWrite()
    {
        if (!JournalNow())
            return;
        // Looked at no more than every few milliseconds: a save is much shorter than that.
        const auto now = std::chrono::steady_clock::now();
        if (now - lastLook_ < std::chrono::milliseconds(20))
            return;
        lastLook_ = now;
        const std::uint64_t mark = journal_->ChangeMark();
        bool scan = mark != mark_ || now - lastScan_ > std::chrono::seconds(10);
        journalChanged_ = journalChanged_ || mark != mark_;
        for (std::size_t i = 0; !scan && i < liveForeign_.size(); ++i)
            if (journal_->Claim(liveForeign_[i]))
                scan = true;
        if (scan)
            Recover();
    }

    // The records whose files could not be reached stay known, so that a read of one of them
    // finishes it.
    void BeforeRead(const std::filesystem::path &file, const struct stat &st)
    {
        for (const KeptRecord &kept : pending_)
            if (kept.ino == static_cast<std::uint64_t>(st.st_ino) || kept.path == file.native()) {
                Recover();
                return;
            }
    }

    void Recover();

private:
    Journal *journal_ = nullptr;
    std::unique_ptr<JournalRecord> slot_;
    pid_t slotPid_ = 0;
    bool journalChanged_ = true;
    std::chrono::steady_clock::time_point lastLook_{};
    std::uint64_t mark_ = 0;
    std::chrono::steady_clock::time_point lastScan_{};
    std::vector<std::string> liveForeign_;
    std::vector<KeptRecord> pending_;
};

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
        RecordReader reader(claimed.chunks.front());
        std::uint64_t count = 0;
        std::vector<std::string_view> keep;
        std::string_view bytes;
        if (reader.U64(count))
            for (std::uint64_t i = 0; i < count && reader.Bytes(bytes); ++i) {
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
            std::string head;
            PutU64(head, keep.size());
            std::vector<std::string_view> pieces{head};
            std::vector<std::string> sized;
            sized.reserve(keep.size());
            for (std::string_view entry : keep) {
                std::string length;
                PutU64(length, entry.size());
                sized.push_back(std::move(length));
                pieces.push_back(sized.back());
                pieces.push_back(entry);
            }
            if (!kept || !kept->Write(kTagSaveKind, pieces, true))
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

std::string PatchEntryBytes(const std::string &path, const struct stat &st, std::uint64_t fsType,
                            std::uint64_t offset, std::string_view oldBytes, std::string_view newBytes,
                            std::uint64_t newSize, std::uint64_t contextBegin, std::uint64_t contextEnd,
                            std::uint64_t digest)
{
    std::string e;
    PutU64(e, PatchEntry);
    PutBytes(e, path);
    PutU64(e, static_cast<std::uint64_t>(st.st_ino));
    PutU64(e, fsType);
    PutU64(e, static_cast<std::uint64_t>(st.st_size));
    PutU64(e, newSize);
    PutU64(e, offset);
    PutBytes(e, oldBytes);
    PutBytes(e, newBytes);
    PutU64(e, contextBegin);
    PutU64(e, contextEnd);
    PutU64(e, digest);
    return e;
}

// One record holding `entries`, made durable in this process's slot.
bool WriteRecord(JournalRecord &slot, const std::vector<std::string_view> &entries)
{
    std::string head;
    PutU64(head, entries.size());
    std::vector<std::string> lengths(entries.size());
    std::vector<std::string_view> pieces{head};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        PutU64(lengths[i], entries[i].size());
        pieces.push_back(lengths[i]);
        pieces.push_back(entries[i]);
    }
    return slot.Write(kTagSaveKind, pieces, true);
}

bool SyncFileSystems(const std::vector<std::unique_ptr<PendingPatch>> &batch, bool single)
{
    if (single)
        return batch.empty() || ::fdatasync(batch.front()->fd) == 0 || FailWithErrno();
    std::vector<dev_t> done;
    for (const auto &patch : batch) {
        if (std::find(done.begin(), done.end(), patch->st.st_dev) != done.end())
            continue;
        if (::syncfs(patch->fd) != 0)
            return FailWithErrno();
        done.push_back(patch->st.st_dev);
    }
    return true;
}

// Writes the prepared changes through the journal: one record, the bytes, one sync of each
// file system (or of the one file), the record cleared. `failed` gets the files that failed.
bool CommitPatches(std::vector<std::unique_ptr<PendingPatch>> &batch, bool single,
                   std::vector<std::pair<std::filesystem::path, std::error_code>> &failed)
{
    if (batch.empty())
        return true;
    SaveState &state = SaveState::Get();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const auto failAll = [&](std::error_code why) {
        for (const auto &patch : batch)
            failed.emplace_back(patch->given, why);
        SetLastError(why);
        batch.clear();
        return false;
    };
    JournalRecord *slot = state.Slot();
    if (!slot)
        return failAll(std::error_code(TagError::NoJournal));
    std::vector<std::string_view> entries;
    for (const auto &patch : batch) {
        entries.push_back(patch->entry);
        Observe(SaveStep::Prepared, patch->path);
    }
    if (!WriteRecord(*slot, entries))
        return failAll(LastError());
    for (const auto &patch : batch)
        Observe(SaveStep::RecordDurable, patch->path);
    bool allOk = true, undone = true;
    std::vector<std::unique_ptr<PendingPatch>> written;
    for (auto &patch : batch) {
        struct stat now {};
        const int fd = patch->fd;
        // Through the descriptor that was read: the same file, unchanged by anyone else, and
        // still under its name (else the save would go into a file no one sees any more).
        struct stat named {};
        if (::fstat(fd, &now) != 0 || now.st_ino != patch->st.st_ino || now.st_size != patch->st.st_size
            || !SameTime(now, patch->st) || ::stat(patch->path.c_str(), &named) != 0 || named.st_ino != now.st_ino
            || named.st_dev != now.st_dev) {
            failed.emplace_back(patch->given, std::error_code(TagError::FileChanged));
            SetLastError(TagError::FileChanged);
            allOk = false;
            continue;
        }
        const bool ok = WriteAt(fd, patch->offset, patch->newBytes)
                        && (patch->newSize == static_cast<std::uint64_t>(now.st_size)
                            || ::ftruncate(fd, static_cast<off_t>(patch->newSize)) == 0 || FailWithErrno());
        if (!ok) {
            const std::error_code why = LastError();
            failed.emplace_back(patch->given, why);
            allOk = false;
            // The old bytes back; when even that fails the record finishes the save later.
            undone = WriteAt(fd, patch->offset, patch->oldBytes) && ::ftruncate(fd, now.st_size) == 0
                     && ::fdatasync(fd) == 0 && undone;
            SetLastError(why);
            continue;
        }
        Observe(SaveStep::TagWritten, patch->path);
        written.push_back(std::move(patch));
    }
    batch.clear();
    if (!SyncFileSystems(written, single)) {
        // Whether the bytes reached the disk is not known: the record stays to finish them.
        state.AbandonSlot();
        batch = std::move(written);
        return failAll(LastError());
    }
    for (const auto &patch : written)
        Observe(SaveStep::TagDurable, patch->path);
    if (undone) {
        slot->Clear(false);
        for (const auto &patch : written)
            Observe(SaveStep::RecordCleared, patch->path);
    } else {
        state.AbandonSlot();
    }
    return allOk;
}

} // namespace

void SetSaveObserver(SaveObserver observer) { g_observer = observer; }

SaveGroup *CurrentGroup() { return g_group; }

std::size_t CountSaveEntries(std::string_view chunk)
{
    RecordReader reader(chunk);
    std::uint64_t count = 0;
    std::size_t parsed = 0;
    std::string_view bytes;
    if (reader.U64(count))
        for (std::uint64_t i = 0; i < count && reader.Bytes(bytes); ++i)
            parsed += ParseEntry(bytes) ? 1 : 0;
    return parsed;
}

// ---- TagFile ----

TagFile::~TagFile()
{
    // Owner write added for a change that did not happen goes again.
    if (modeAdded_ && fd_.Get() >= 0)
        ::fchmod(fd_.Get(), st_.st_mode & 07777);
}

bool TagFile::OpenRead(const std::filesystem::path &file)
{
    headWanted_ = kReadHead;
    if (!OpenRegular(file, O_RDONLY, fd_, st_))
        return false;
    SaveState &state = SaveState::Get();
    if (state.anyPending) {
        const std::lock_guard<std::mutex> lock(state.mutex);
        std::filesystem::path real;
        if (PathOf(fd_.Get(), real))
            state.BeforeRead(real, st_);
    }
    return true;
}

bool TagFile::OpenWrite(const std::filesystem::path &file)
{
    given_ = file;
    headWanted_ = kWriteHead;
    {
        SaveState &state = SaveState::Get();
        const std::lock_guard<std::mutex> lock(state.mutex);
        state.BeforeWrite();
    }
    fd_.Reset(::open(file.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (fd_.Get() < 0 && errno == EACCES) {
        // A file without owner write: the owner may add it ("reset its attributes").
        FileDescriptor reader;
        if (!OpenRegular(file, O_RDONLY, reader, st_))
            return false;
        if (st_.st_uid != ::geteuid() || (st_.st_mode & S_IWUSR) || ::fchmod(reader.Get(), (st_.st_mode & 07777) | S_IWUSR) != 0)
            return SetLastError(std::error_code(EACCES, std::generic_category())), false;
        const std::string self = "/proc/self/fd/" + std::to_string(reader.Get());
        fd_.Reset(::open(self.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
        struct stat again {};
        if (fd_.Get() < 0 || ::fstat(fd_.Get(), &again) != 0 || again.st_ino != st_.st_ino || again.st_dev != st_.st_dev) {
            FailWithErrno();
            ::fchmod(reader.Get(), st_.st_mode & 07777);
            fd_.Reset(-1);
            return false;
        }
        modeAdded_ = true;
    }
    if (fd_.Get() < 0)
        return FailWithErrno();
    struct stat now {};
    if (::fstat(fd_.Get(), &now) != 0)
        return FailWithErrno();
    if (!modeAdded_)
        st_ = now;
    if (!S_ISREG(st_.st_mode))
        return Fail(TagError::NotRegularFile);
    // A change of this file waiting in the thread's group holds its lock: it goes first.
    if (SaveGroup *group = CurrentGroup(); group && group->CommitIfHolding(st_) && ::fstat(fd_.Get(), &st_) != 0)
        return FailWithErrno();
    // Someone who may write it anyway still makes it writable for its owner, as the program
    // resets a file's attributes before changing it.
    if (!modeAdded_ && !(st_.st_mode & S_IWUSR)) {
        if (::fchmod(fd_.Get(), (st_.st_mode & 07777) | S_IWUSR) != 0)
            return FailWithErrno();
        modeAdded_ = true;
    }
    if (!LockExclusive(fd_.Get()) || !PathOf(fd_.Get(), path_))
        return false;
    writable_ = true;
    return true;
}

void TagFile::Succeeded() { modeAdded_ = false; }

std::string_view TagFile::Head()
{
    if (!headRead_) {
        headRead_ = true;
        const std::int64_t got = ReadUpTo(fd_.Get(), 0, head_.data(), headWanted_);
        headSize_ = got < 0 ? 0 : static_cast<std::size_t>(got);
    }
    return std::string_view(head_.data(), headSize_);
}

bool TagFile::JournalMissing() { return Journal::User() == nullptr; }

namespace {

// A write within one 512-byte sector reaches the disk whole or not at all (the unit a disk
// writes atomically, which file systems and databases rely on too), and a kill cannot cut a
// write this small: such a change needs no record, only its own sync.
constexpr std::uint64_t kSector = 512;

bool WriteAtomic(PendingPatch &patch)
{
    Observe(SaveStep::Prepared, patch.path);
    struct stat now {}, named {};
    if (::fstat(patch.fd, &now) != 0 || now.st_size != patch.st.st_size || !SameTime(now, patch.st)
        || ::stat(patch.path.c_str(), &named) != 0 || named.st_ino != now.st_ino || named.st_dev != now.st_dev)
        return Fail(TagError::FileChanged);
    if (!WriteAt(patch.fd, patch.offset, patch.newBytes)) {
        const std::error_code why = LastError();
        WriteAt(patch.fd, patch.offset, patch.oldBytes);
        SetLastError(why);
        return false;
    }
    Observe(SaveStep::TagWritten, patch.path);
    if (::fdatasync(patch.fd) != 0)
        return FailWithErrno();
    Observe(SaveStep::TagDurable, patch.path);
    return true;
}

} // namespace

bool TagFile::Patch(std::uint64_t offset, std::string oldBytes, std::string newBytes, std::uint64_t newSize,
                    std::uint64_t contextBegin, std::uint64_t contextEnd, std::string_view newContext)
{
    if (!writable_)
        return Fail(TagError::FileChanged);
    // The context as it will read: the file's bytes with the new ones in.
    const std::uint64_t end = std::min(contextEnd, newSize);
    std::string context;
    if (newContext.size() != (end > contextBegin ? end - contextBegin : 0)) {
        if (end > contextBegin
            && !ReadUpTo(fd_.Get(), contextBegin, static_cast<std::size_t>(end - contextBegin), context))
            return false;
        context.resize(static_cast<std::size_t>(end > contextBegin ? end - contextBegin : 0), '\0');
        for (std::size_t i = 0; i < newBytes.size(); ++i)
            if (offset + i >= contextBegin && offset + i < end)
                context[static_cast<std::size_t>(offset + i - contextBegin)] = newBytes[i];
        newContext = context;
    }
    auto patch = std::make_unique<PendingPatch>();
    patch->given = given_;
    patch->path = path_;
    patch->st = st_;
    patch->offset = offset;
    patch->newSize = newSize;
    patch->entry = PatchEntryBytes(path_.native(), st_, FsType(fd_.Get(), st_.st_dev), offset, oldBytes, newBytes,
                                   newSize, contextBegin, contextEnd, Digest64(newContext));
    patch->oldBytes = std::move(oldBytes);
    patch->newBytes = std::move(newBytes);
    if (JournalMissing()) {
        // No journal: the bytes go straight in, as a plain in-place write would.
        const bool ok = WriteAt(fd_.Get(), patch->offset, patch->newBytes)
                        && (newSize == Size() || ::ftruncate(fd_.Get(), static_cast<off_t>(newSize)) == 0)
                        && ::fdatasync(fd_.Get()) == 0;
        if (!ok) {
            const std::error_code why(errno ? errno : EIO, std::generic_category());
            // Best effort: the old bytes and size back where the write stopped.
            WriteAt(fd_.Get(), patch->offset, patch->oldBytes);
            Resize(fd_.Get(), static_cast<std::uint64_t>(st_.st_size));
            SetLastError(why);
            return false;
        }
        Succeeded();
        return true;
    }
    patch->fd = fd_.Get();
    SaveGroup *group = CurrentGroup();
    if (!group && newSize == Size() && !patch->newBytes.empty()
        && offset / kSector == (offset + patch->newBytes.size() - 1) / kSector)
        return WriteAtomic(*patch) && (Succeeded(), true);
    if (group) {
        // The descriptor and its lock go with the change until the group commits.
        Succeeded();
        patch->owned.Reset(fd_.Release());
        patch->fd = patch->owned.Get();
        return group->Add(std::move(patch));
    }
    patch->fd = fd_.Get();
    std::vector<std::unique_ptr<PendingPatch>> batch;
    batch.push_back(std::move(patch));
    std::vector<std::pair<std::filesystem::path, std::error_code>> failed;
    if (!CommitPatches(batch, true, failed))
        return false;
    Succeeded();
    return true;
}

namespace {

std::string TemporaryName(const std::string &name)
{
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(RandomNumber()));
    return "." + name.substr(0, 200) + "." + hex + ".cvtmp";
}

std::string ReplaceEntryBytes(const std::string &folder, const std::string &name, const std::string &temp,
                              std::uint64_t tempIno, std::uint64_t ino)
{
    std::string e;
    PutU64(e, ReplaceEntry);
    PutBytes(e, folder);
    PutBytes(e, name);
    PutBytes(e, temp);
    PutU64(e, tempIno);
    PutU64(e, ino);
    return e;
}

bool RecordAlone(std::string_view entry)
{
    SaveState &state = SaveState::Get();
    const std::lock_guard<std::mutex> lock(state.mutex);
    JournalRecord *slot = state.Slot();
    return slot ? WriteRecord(*slot, {entry}) : Fail(TagError::NoJournal);
}

void ClearAlone()
{
    SaveState &state = SaveState::Get();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (JournalRecord *slot = state.Slot())
        slot->Clear(false);
}

enum class ReplaceResult { Done, Failed, PropertiesLost };

// The new content into a temporary file of the folder that then takes the file's place.
ReplaceResult Replace(int source, const struct stat &st, const std::filesystem::path &path,
                      const std::vector<TagFile::Piece> &head, std::uint64_t tailOffset)
{
    const std::string name = path.filename().native();
    const std::filesystem::path folderPath = path.parent_path();
    FileDescriptor folder;
    folder.Reset(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat named {};
    if (folder.Get() < 0)
        return FailWithErrno(), ReplaceResult::Failed;
    if (::fstatat(folder.Get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_ino != st.st_ino
        || named.st_dev != st.st_dev)
        return Fail(TagError::FileChanged), ReplaceResult::Failed;
    Observe(SaveStep::Prepared, path);
    const bool journal = !TagFile::JournalMissing();
    std::string temp;
    bool recorded = false;
    FileDescriptor out;
    out.Reset(::openat(folder.Get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (out.Get() < 0) {
        if (errno == EACCES || errno == EPERM)
            return FailWithErrno(), ReplaceResult::PropertiesLost;      // in place instead
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
            return FailWithErrno(), ReplaceResult::Failed;
        // No unnamed files here: the name goes into the journal before the file exists.
        if (!journal)
            return Fail(TagError::NoJournal), ReplaceResult::Failed;
        temp = TemporaryName(name);
        if (!RecordAlone(ReplaceEntryBytes(folderPath.native(), name, temp, 0, static_cast<std::uint64_t>(st.st_ino))))
            return ReplaceResult::Failed;
        recorded = true;
        Observe(SaveStep::RecordDurable, path);
        out.Reset(::openat(folder.Get(), temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.Get() < 0) {
            const std::error_code why(errno, std::generic_category());
            ClearAlone();
            SetLastError(why);
            return errno == EACCES ? ReplaceResult::PropertiesLost : ReplaceResult::Failed;
        }
    }
    const auto discard = [&](ReplaceResult result) {
        const std::error_code why = LastError();
        out.Reset(-1);
        if (!temp.empty()) {
            struct stat t {};
            if (::fstatat(folder.Get(), temp.c_str(), &t, AT_SYMLINK_NOFOLLOW) == 0 && t.st_uid == ::geteuid())
                ::unlinkat(folder.Get(), temp.c_str(), 0);
        }
        if (recorded)
            ClearAlone();
        SetLastError(why);
        return result;
    };
    std::uint64_t at = 0;
    for (const TagFile::Piece &piece : head) {
        if (piece.bytes.empty() ? !CopyRange(source, piece.offset, static_cast<std::int64_t>(piece.size), out.Get(), at)
                                : !WriteAt(out.Get(), at, piece.bytes))
            return discard(ReplaceResult::Failed);
        at += piece.bytes.empty() ? piece.size : piece.bytes.size();
    }
    if (!CopyRange(source, tailOffset, -1, out.Get(), at))
        return discard(ReplaceResult::Failed);
    if (!CopyProperties(source, out.Get(), (st.st_mode & 07777) | S_IWUSR))
        return discard(ReplaceResult::PropertiesLost);
    if (::fsync(out.Get()) != 0)
        return FailWithErrno(), discard(ReplaceResult::Failed);
    Observe(SaveStep::TempWritten, path);
    if (temp.empty()) {
        struct stat t {};
        ::fstat(out.Get(), &t);
        for (int attempt = 0; attempt < 8 && temp.empty(); ++attempt) {
            std::string candidate = TemporaryName(name);
            if (journal) {
                if (!RecordAlone(ReplaceEntryBytes(folderPath.native(), name, candidate,
                                                   static_cast<std::uint64_t>(t.st_ino), static_cast<std::uint64_t>(st.st_ino))))
                    return discard(ReplaceResult::Failed);
                recorded = true;
                Observe(SaveStep::RecordDurable, path);
            }
            if (LinkUnnamed(out.Get(), folder.Get(), candidate))
                temp = std::move(candidate);
            else if (LastError() != std::errc::file_exists)
                return discard(ReplaceResult::Failed);
        }
        if (temp.empty())
            return discard(ReplaceResult::Failed);
    }
    Observe(SaveStep::TempNamed, path);
    // The file must still be the one that was read, unchanged, under its name.
    struct stat now {};
    if (::fstat(source, &now) != 0 || now.st_size != st.st_size || !SameTime(now, st)
        || ::fstatat(folder.Get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_ino != st.st_ino
        || named.st_dev != st.st_dev)
        return Fail(TagError::FileChanged), discard(ReplaceResult::Failed);
    if (::renameat2(folder.Get(), temp.c_str(), folder.Get(), name.c_str(), RENAME_EXCHANGE) == 0) {
        // What came out must be the file that was read; someone may have put another there.
        struct stat out2 {};
        if (::fstatat(folder.Get(), temp.c_str(), &out2, AT_SYMLINK_NOFOLLOW) != 0 || out2.st_ino != st.st_ino
            || out2.st_dev != st.st_dev) {
            ::renameat2(folder.Get(), temp.c_str(), folder.Get(), name.c_str(), RENAME_EXCHANGE);
            return Fail(TagError::FileChanged), discard(ReplaceResult::Failed);
        }
        ::unlinkat(folder.Get(), temp.c_str(), 0);
    } else if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
        if (::renameat(folder.Get(), temp.c_str(), folder.Get(), name.c_str()) != 0)
            return FailWithErrno(), discard(ReplaceResult::Failed);
    } else {
        return FailWithErrno(), discard(ReplaceResult::Failed);
    }
    Observe(SaveStep::Renamed, path);
    (void)::fsync(folder.Get());          // the rename is done either way; its lasting is best effort
    if (recorded)
        ClearAlone();
    return ReplaceResult::Done;
}

// The new content written into the file itself, from a copy of it kept in the journal: the
// file keeps its inode, so every hard link sees the new tag, and all its properties.
bool Shift(int fd, const struct stat &st, const std::filesystem::path &path, const std::vector<TagFile::Piece> &head,
           std::uint64_t tailOffset)
{
    SaveState &state = SaveState::Get();
    const std::lock_guard<std::mutex> lock(state.mutex);
    JournalRecord *slot = state.Slot();
    Journal *journal = state.JournalNow();
    if (!slot || !journal)
        return Fail(TagError::NoJournal);
    Observe(SaveStep::Prepared, path);
    auto backup = journal->Create(kBackupPrefix);
    const auto oldSize = static_cast<std::uint64_t>(st.st_size);
    if (!backup || !CopyRange(fd, 0, static_cast<std::int64_t>(oldSize), backup->Fd(), 0) || ::fdatasync(backup->Fd()) != 0
        || !journal->Sync()) {
        const std::error_code why = errno ? std::error_code(errno, std::generic_category()) : LastError();
        if (backup)
            backup->Remove(false);
        SetLastError(why);
        return false;
    }
    Observe(SaveStep::BackupDurable, path);
    std::vector<Segment> segments;
    std::string entry;
    PutU64(entry, ShiftEntry);
    PutBytes(entry, path.native());
    PutU64(entry, static_cast<std::uint64_t>(st.st_ino));
    PutU64(entry, FsType(fd, st.st_dev));
    PutU64(entry, oldSize);
    std::uint64_t headSize = 0;
    for (const TagFile::Piece &piece : head)
        headSize += piece.bytes.empty() ? piece.size : piece.bytes.size();
    const std::uint64_t newSize = headSize + oldSize - tailOffset;
    PutU64(entry, newSize);
    PutBytes(entry, backup->Name());
    PutU64(entry, tailOffset);
    PutU64(entry, head.size());
    for (const TagFile::Piece &piece : head) {
        PutU64(entry, piece.bytes.empty() ? 1 : 0);
        if (piece.bytes.empty()) {
            PutU64(entry, piece.offset);
            PutU64(entry, piece.size);
            segments.push_back({{}, backup->Fd(), piece.offset, piece.size});
        } else {
            PutBytes(entry, piece.bytes);
            segments.push_back({piece.bytes});
        }
    }
    segments.push_back({{}, backup->Fd(), tailOffset, oldSize - tailOffset});
    if (!WriteRecord(*slot, {entry})) {
        backup->Remove(false);
        return false;
    }
    Observe(SaveStep::RecordDurable, path);
    struct stat now {};
    if (::fstat(fd, &now) != 0 || now.st_size != st.st_size || !SameTime(now, st)) {
        slot->Clear(false);
        backup->Remove(false);
        return Fail(TagError::FileChanged);
    }
    if (!WriteSegments(segments, fd) || (newSize < oldSize && ::ftruncate(fd, static_cast<off_t>(newSize)) != 0)) {
        const std::error_code why = errno ? std::error_code(errno, std::generic_category()) : LastError();
        // The old content back from the copy; when even that fails the record finishes later.
        if (CopyRange(backup->Fd(), 0, static_cast<std::int64_t>(oldSize), fd, 0)
            && ::ftruncate(fd, static_cast<off_t>(oldSize)) == 0 && ::fdatasync(fd) == 0) {
            slot->Clear(false);
            backup->Remove(false);
        } else {
            state.AbandonSlot();
        }
        SetLastError(why);
        return false;
    }
    Observe(SaveStep::TagWritten, path);
    if (::fdatasync(fd) != 0) {
        state.AbandonSlot();
        return FailWithErrno();
    }
    Observe(SaveStep::TagDurable, path);
    slot->Clear(false);
    backup->Remove(false);
    Observe(SaveStep::RecordCleared, path);
    return true;
}

} // namespace

bool TagFile::Rewrite(const std::vector<Piece> &head, std::uint64_t tailOffset)
{
    if (!writable_)
        return Fail(TagError::FileChanged);
    if (st_.st_nlink == 1) {
        switch (Replace(fd_.Get(), st_, path_, head, tailOffset)) {
        case ReplaceResult::Done:
            Succeeded();
            return true;
        case ReplaceResult::Failed:
            return false;
        case ReplaceResult::PropertiesLost:
            if (JournalMissing())
                return false;
            break;
        }
    }
    if (!Shift(fd_.Get(), st_, path_, head, tailOffset))
        return false;
    Succeeded();
    return true;
}

// ---- SaveGroup ----

SaveGroup::SaveGroup() : outer_(g_group)
{
    if (!g_group)
        g_group = this;
}

SaveGroup::~SaveGroup()
{
    Commit();
    if (g_group == this)
        g_group = outer_;
}

bool SaveGroup::Add(std::unique_ptr<PendingPatch> patch)
{
    for (const auto &pending : batch_)
        if (pending->st.st_ino == patch->st.st_ino && pending->st.st_dev == patch->st.st_dev) {
            Commit();
            break;
        }
    bytes_ += patch->oldBytes.size() + patch->newBytes.size();
    batch_.push_back(std::move(patch));
    if (batch_.size() >= kMaxFiles || bytes_ >= kMaxBytes)
        Commit();
    return true;
}

bool SaveGroup::CommitIfHolding(const struct ::stat &st)
{
    for (const auto &pending : batch_)
        if (pending->st.st_ino == st.st_ino && pending->st.st_dev == st.st_dev) {
            Commit();
            return true;
        }
    return false;
}

bool SaveGroup::Commit()
{
    if (g_group != this && outer_) {
        const std::size_t before = outer_->failures_.size();
        const bool ok = outer_->Commit();
        failures_.insert(failures_.end(), outer_->failures_.begin() + static_cast<std::ptrdiff_t>(before),
                         outer_->failures_.end());
        return ok;
    }
    bytes_ = 0;
    return CommitPatches(batch_, false, failures_);
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
