// TagFile: the one descriptor of a tag operation (opened for reading or writing, its identity
// checked, its first bytes read once) and the change in place, which goes straight in, into
// the thread's group, or through the journal on its own. Its rewrites are in SaveRewrite.cpp.

#include "tags/SafeSave.h"

#include "tags/Journal.h"
#include "tags/SaveCommit.h"
#include "tags/SaveGroup.h"
#include "tags/SaveRecord.h"
#include "tags/SaveState.h"
#include "tags/TagError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace cvtags {

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

} // namespace cvtags
