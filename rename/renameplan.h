#pragma once

#include "widgets/filelistview.h"

#include <QString>
#include <QStringList>

#include <vector>

// One entry of an advanced rename: the old name as listed and the paths to rename between.
// An empty path means the entry cannot be renamed (the parent entry, a drive, a name that
// could leave the folder); it is reported like any other failure.
struct RenameStep {
    QString oldName;
    QString newName;
    QString oldPath;
    QString newPath;
};

// Pairs entry i with name i inside the folder (a path ending in "/", or "Drives"). Entries
// without a name of their own are paired with an empty name.
std::vector<RenameStep> PlanRenames(const QString &folder, const std::vector<FileListView::SelectedEntry> &entries,
                                    const QStringList &newNames);

// Renames in plan order, never replacing an existing entry; gives the old names that failed.
QStringList ApplyRenames(const std::vector<RenameStep> &plan);

// The message listing the entries that could not be renamed.
QString RenameFailureMessage(const QStringList &failedNames);
