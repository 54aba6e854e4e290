#include "tags/SaveCommit.h"

#include "tags/SaveRecord.h"
#include "tags/SaveState.h"
#include "tags/TagError.h"

#include <algorithm>
#include <mutex>
#include <unistd.h>

namespace cvtags {
namespace {

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

// Through the descriptor that was read: the same file, unchanged by anyone else, and still
// under its name (else the save would go into a file no one sees any more). `now` gets its stat.
bool Unchanged(const PendingPatch &patch, struct stat &now)
{
    struct stat named {};
    return ::fstat(patch.fd, &now) == 0 && now.st_ino == patch.st.st_ino && now.st_size == patch.st.st_size
           && SameTime(now, patch.st) && ::stat(patch.path.c_str(), &named) == 0 && named.st_ino == now.st_ino
           && named.st_dev == now.st_dev;
}

} // namespace

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
        if (!Unchanged(*patch, now)) {
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

bool WriteAtomic(PendingPatch &patch)
{
    Observe(SaveStep::Prepared, patch.path);
    struct stat now {};
    if (!Unchanged(patch, now))
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

} // namespace cvtags
