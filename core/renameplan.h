#pragma once

// Operations that rename many entries: each is planned whole before anything is renamed,
// then applied in order, and the entries that could not be renamed are reported once.

#include "core/fileentry.h"
#include "core/paths.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// One entry of a rename. Empty paths mean the entry cannot be renamed (the parent entry, a
// drive, a name that could leave the folder, no name for it); it is reported like any other
// failure and never handed to the file system.
struct RenameStep {
    QString name;       // as listed; the failure list names the entry so
    QString newName;    // as given, for a preview
    QString oldPath;
    QString newPath;
};

// The step that renames a listed entry to `newName` inside the list's folder. Only files and
// folders have paths; the parent entry and drives fail.
RenameStep RenameInFolder(const QString &folder, const SelectedEntry &entry, const QString &newName);

// Pairs entry i with name i inside the folder (a path ending in "/", or "Drives"). Entries
// without a name of their own are paired with an empty name.
std::vector<RenameStep> PlanRenames(const QString &folder, const std::vector<SelectedEntry> &entries,
                                    const QStringList &newNames);

// Renames in plan order, never replacing an existing entry; a failure does not stop the steps
// after it. `next`, when given, is asked before each step with the count done so far and stops
// the work when it returns false (what is left undone is no failure). Gives the listed names
// of the steps that failed, in plan order.
QStringList ApplyRenames(const std::vector<RenameStep> &plan, const std::function<bool(int)> &next = {});

inline const QString RenameFailureHeading = QStringLiteral("No se han podido renombrar los siguientes ficheros:");
