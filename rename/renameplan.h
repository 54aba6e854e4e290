#pragma once

// Operations that rename many entries: each is planned whole before anything is renamed,
// then applied, and the entries that could not be renamed are reported once.
//
// Applying a plan orders its renames so that a name another entry of the same operation
// leaves is taken after that entry left it (chains: 1→2, 2→3), and breaks every cycle (swaps,
// rotations) with one temporary name in the folder of one of its entries. A new name held by
// an entry that the operation does not move away is never replaced: that entry fails.

#include "platform/failure.h"
#include "platform/fileentry.h"
#include "platform/paths.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <system_error>
#include <vector>

// One entry of a rename. Empty paths mean the entry cannot be renamed (the parent entry, a
// drive, a name that could leave the folder, no name for it): `refusal` says why; it is
// reported like any other failure and never handed to the file system.
struct RenameStep {
    QString name;       // as listed; the failure list names the entry so ("": its present name)
    QString newName;    // as given, for a preview
    QByteArray oldPath; // full paths as the file system names them
    QByteArray newPath;
    std::optional<Refusal> refusal;
};

// Where a new name comes from, which decides what is refused besides names that leave the
// folder: typed names may hold no control character; names made from tags neither, and may
// not start with "." (the file would be hidden).
enum class NameSource { Derived, Typed, FromTags };

// The step that renames a listed entry to `newName` inside the list's folder (its bytes,
// ending in "/"; "" for the drives). Only files and folders have paths; the parent entry and
// drives fail. A new name that is not made from tags keeps the bytes of the old one where its
// text keeps the old text.
RenameStep RenameInFolder(const QByteArray &folder, const SelectedEntry &entry, const QString &newName,
                          NameSource source = NameSource::Derived);

// Pairs entry i with typed name i inside the folder. Entries without a name of their own are
// paired with an empty name.
std::vector<RenameStep> PlanRenames(const QByteArray &folder, const std::vector<SelectedEntry> &entries,
                                    const QStringList &newNames);

// Why a step without both paths cannot be renamed.
Refusal RefusalOf(const RenameStep &step);

// Which file an entry is: its device and inode numbers, and when it was made, so that a new
// file given the number of a removed one is not taken for it (0 where the file system keeps
// no such time).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t born = 0; // nanoseconds since the epoch
    bool operator==(const FileIdentity &) const = default;
};
// Whether two identities are of the same file (a time missing on either side is not asked).
bool SameFile(const FileIdentity &a, const FileIdentity &b);
// The identity of the entry `name` in the folder of the handle `folder` (AT_FDCWD for a whole
// path), the entry itself when it is a link; false, with errno, when there is none.
bool IdentityAt(int folder, const char *name, FileIdentity &file);

// One entry that an operation moves, as its record keeps it: where it is, where it goes, the
// temporary name it passes through when it breaks a cycle ("" otherwise), and which file it is.
struct RenameMove {
    std::size_t step = 0; // its step in the plan
    QByteArray from, to, temp;
    FileIdentity file;
};

// Keeps a durable record of an operation while it runs, so that a crash can be finished or
// undone at the next start (the journal).
class RenameRecord {
public:
    virtual ~RenameRecord() = default;
    // Before the first rename, with every entry that will move. After an error the entries
    // are renamed without a record, each rename whole on its own, except those of a cycle
    // (a swap, a rotation), which fail with that error.
    virtual std::error_code Begin(const std::vector<RenameMove> &moves) = 0;
    // The entry's outcome is final: under its new name (`done`) or under its old one.
    virtual void Settled(std::size_t move, bool done) = 0;
    // After the last rename.
    virtual void End() = 0;
};

// Renames every step of the plan, never replacing an entry that the plan does not move away;
// a failure does not stop the steps after it. `progress`, when given, is asked with the
// number of steps settled so far before each rename, or before a whole cycle, and can stop
// the work there. `expected`, when not empty, holds for each step the file that must be
// under its old name (an empty identity: any); another file there fails (undo). Gives the
// steps that failed, by their listed names, in plan order, each with its reason.
Failures ApplyRenames(const std::vector<RenameStep> &plan, const Progress &progress = {},
                      RenameRecord *record = nullptr, const std::vector<FileIdentity> &expected = {});

// What "Vista previa" marks on a line of the plan before anything is renamed: the reason the
// step will fail ("" for none): its new name is held by an entry that the plan does not move
// away, an earlier step has the same new name, the name is longer than the file system
// allows, or the step is refused.
QStringList PreviewMarks(const std::vector<RenameStep> &plan);

inline const QString RenameFailureHeading = QStringLiteral("No se han podido renombrar los siguientes ficheros:");
