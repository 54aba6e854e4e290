#pragma once

// Operations that rename many entries: each is planned whole before anything is renamed,
// then applied in order, and the entries that could not be renamed are reported once.

#include "platform/failure.h"
#include "platform/fileentry.h"
#include "platform/paths.h"

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

// Why a step without both paths cannot be renamed.
Refusal RefusalOf(const RenameStep &step);

// Renames in plan order, never replacing an existing entry; a failure does not stop the steps
// after it. `progress`, when given, can stop the work before a step. Gives the steps that
// failed, by their listed names, in plan order, each with its reason.
Failures ApplyRenames(const std::vector<RenameStep> &plan, const Progress &progress = {});

inline const QString RenameFailureHeading = QStringLiteral("No se han podido renombrar los siguientes ficheros:");
