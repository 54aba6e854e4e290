#pragma once

#include <QString>

#include <vector>

class QWidget;

// One entry of an operation that renames many entries, planned before anything is renamed.
struct PlannedRename {
    QString name;       // as listed; the failure list names it so
    QString oldPath;    // both "" when the entry cannot be renamed: it then fails
    QString newPath;
};

// Renames the planned entries in order, with the busy pointer shown meanwhile, and returns
// the failure list: the name of each entry that could not be renamed, each followed by a
// line break. A failure does not stop the entries after it.
QString ApplyRenames(const std::vector<PlannedRename> &plan);

// Shows a failure list after its heading and an empty line ("Atención", warning); nothing
// when the list is empty.
void ReportFailures(QWidget *parent, const QString &heading, const QString &failures);
