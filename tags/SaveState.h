#pragma once

// This process's part in the journal of saves, shared by the units that save and the one that
// recovers: its one record (the slot), written again for every save; the look, now and then,
// for records that processes which ended left behind; and the observer of the steps. For the
// save units of the tag library only; others use SafeSave.h.

#include "tags/Journal.h"
#include "tags/SafeSave.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace cvtags {

// Tells the observer SetSaveObserver set, when there is one.
void Observe(SaveStep step, const std::filesystem::path &file);

struct KeptRecord {
    std::string path;
    std::uint64_t ino = 0;
};

class SaveState {
public:
    static SaveState &Get();

    std::mutex mutex;
    std::atomic<bool> anyPending{false};

    Journal *JournalNow();
    // This process's record, made once and written again for every save.
    JournalRecord *Slot();
    // A slot whose record must outlive it (a change that could not be undone) is left to recovery.
    void AbandonSlot() { slot_.reset(); }
    std::string SlotName() const { return slot_ && slotPid_ == ::getpid() ? slot_->Name() : std::string(); }

    // Finishes the records of processes that are gone, now and then, and when the journal
    // changed or a process that held a record ended.
    void BeforeWrite();
    // The records whose files could not be reached stay known, so that a read of one of them
    // finishes it.
    void BeforeRead(const std::filesystem::path &file, const struct stat &st);

    // Finishes or drops the records that no running process holds (SaveRecovery.cpp).
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

} // namespace cvtags
