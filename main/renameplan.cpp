#include "main/renameplan.h"

#include "platform/busycursor.h"
#include "platform/dialogs.h"
#include "platform/files.h"

QString ApplyRenames(const std::vector<PlannedRename> &plan)
{
    BusyCursor busy;
    QString failures;
    for (const PlannedRename &rename : plan) {
        if (rename.oldPath.isEmpty() || rename.newPath.isEmpty() || !RenameEntry(rename.oldPath, rename.newPath))
            failures += rename.name + u'\n';
    }
    return failures;
}

void ReportFailures(QWidget *parent, const QString &heading, const QString &failures)
{
    if (failures.isEmpty())
        return;
    Dialogs::Current().Message(parent, QStringLiteral("Atención"), heading + QStringLiteral("\n\n") + failures,
                               Dialogs::Icon::Warning);
}
