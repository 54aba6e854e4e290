#pragma once

// Rename operations in the user's journal (the tag library's, under $XDG_STATE_HOME): the plan
// is on disk before the first rename, each entry's outcome is added as it is settled, and an
// operation that has ended stays as its page's last operation, which can be undone, also after
// a restart. A plan a crash interrupted is finished, or undone, at the next start.

#include "platform/failure.h"
#include "rename/renameplan.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cvtags {
class JournalRecord;
}

// Each page keeps its own last operation.
enum class RenamePage : std::uint8_t { Renamer = 0, Tags = 1 };

// The record of one operation. Give it to ApplyRenames; the operation fails with the
// journal's reason when its plan cannot be written.
class RenameJournal final : public RenameRecord {
public:
    // `folder`: the folder the page's list showed (its bytes), where the undo is offered.
    RenameJournal(RenamePage page, const QByteArray &folder);
    ~RenameJournal() override;
    RenameJournal(const RenameJournal &) = delete;
    RenameJournal &operator=(const RenameJournal &) = delete;

    std::error_code Begin(const std::vector<RenameMove> &moves) override;
    void Settled(std::size_t move, bool done) override;
    void End() override;

    // How many entries the operation renamed (known once it has ended).
    int Renamed() const { return renamed_; }

private:
    friend class RenameUndo;
    RenameJournal(RenamePage page, const QByteArray &folder, std::string undoes);
    void Flush(bool durable);

    RenamePage page_;
    QByteArray folder_;
    std::string undoes_; // the record this operation undoes, "" for none
    std::unique_ptr<cvtags::JournalRecord> record_;
    std::string marks_;
    int renamed_ = 0;
    std::size_t moves_ = 0, settled_ = 0;
    std::vector<std::size_t> steps_;     // the plan's step of each move
    std::vector<std::size_t> doneSteps_; // the plan's steps whose entries were renamed
    bool beginFailed_ = false;
};

// What the last operation of a page left that can be undone: the folder its list showed and
// how many entries would get their old names back. Count 0 when there is nothing to undo.
struct LastRename {
    QByteArray folder;
    int count = 0;
};
LastRename LastRenameOf(RenamePage page);

// Undoes the page's last operation as a rename operation of its own (the same plan and
// safety): every entry it renamed gets its old name back, except those renamed, removed or
// replaced since, which fail with their reason, listed by their present names. Afterwards
// the page has nothing to undo. `undone` gives how many entries got their old names back.
Failures UndoLastRename(RenamePage page, const Progress &progress = {}, int *undone = nullptr);

// Run at start-up before any window: every plan a crash interrupted is finished when every
// move left can still be made, else the moves done are undone; either way no temporary name
// stays. Plans another running instance of the program holds are left to it.
struct RenameRecovery {
    int finished = 0;   // operations finished
    int undone = 0;     // operations undone
    Failures failed;    // entries that could be put neither under their old nor their new name
};
RenameRecovery RecoverInterruptedRenames();
