#include "tags/SaveState.h"

#include "tags/FileOps.h"
#include "tags/SaveRecord.h"

#include <unistd.h>

namespace cvtags {
namespace {

SaveObserver g_observer = nullptr;

} // namespace

void SetSaveObserver(SaveObserver observer) { g_observer = observer; }

void Observe(SaveStep step, const std::filesystem::path &file)
{
    if (g_observer)
        g_observer(step, file);
}

SaveState &SaveState::Get()
{
    static SaveState state;
    return state;
}

Journal *SaveState::JournalNow()
{
    Journal *journal = Journal::User();
    if (journal != journal_) {
        journal_ = journal;
        slot_.reset();
        mark_ = 0;
    }
    return journal_;
}

JournalRecord *SaveState::Slot()
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

void SaveState::BeforeWrite()
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

void SaveState::BeforeRead(const std::filesystem::path &file, const struct stat &st)
{
    for (const KeptRecord &kept : pending_)
        if (kept.ino == static_cast<std::uint64_t>(st.st_ino) || kept.path == file.native()) {
            Recover();
            return;
        }
}

} // namespace cvtags
