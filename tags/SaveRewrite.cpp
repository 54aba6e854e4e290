// The two rewrites of a file whose tag changes size (a tag that grows, a removal, a first
// tag). Usually the new content goes into a temporary file of the folder that takes the
// file's place in one rename, with its owner, group, mode and extended attributes. A file with
// other hard links, or whose properties a copy cannot keep, is rewritten in place instead, from
// a copy of it kept in the journal, so that every name sees the new tag.

#include "tags/SafeSave.h"

#include "tags/Journal.h"
#include "tags/SaveRecord.h"
#include "tags/SaveState.h"
#include "tags/TagError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace cvtags {
namespace {

std::string TemporaryName(const std::string &name)
{
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(RandomNumber()));
    return "." + name.substr(0, 200) + "." + hex + ".cvtmp";
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
    std::uint64_t headSize = 0;
    for (const TagFile::Piece &piece : head)
        headSize += piece.bytes.empty() ? piece.size : piece.bytes.size();
    const std::uint64_t newSize = headSize + oldSize - tailOffset;
    const std::string entry = ShiftEntryBytes(path.native(), st, FsType(fd, st.st_dev), newSize, backup->Name(), tailOffset, head);
    std::vector<Segment> segments;
    for (const TagFile::Piece &piece : head)
        segments.push_back(piece.bytes.empty() ? Segment{{}, backup->Fd(), piece.offset, piece.size} : Segment{piece.bytes});
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

} // namespace cvtags
