#include "rename/renameplan.h"

#include "main/extensionrules.h"
#include "platform/files.h"

std::vector<RenameStep> PlanRenames(const QString &folder, const std::vector<FileListView::SelectedEntry> &entries,
                                    const QStringList &newNames)
{
    using Kind = FileListView::EntryKind;
    const bool realFolder = folder.startsWith(u'/');
    std::vector<RenameStep> plan;
    plan.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        RenameStep step;
        step.oldName = entries[i].name;
        step.newName = qsizetype(i) < newNames.size() ? newNames.at(qsizetype(i)) : QString();
        const Kind kind = entries[i].kind;
        if (realFolder && (kind == Kind::File || kind == Kind::Folder)) {
            step.oldPath = PathInFolder(folder, step.oldName);
            step.newPath = PathInFolder(folder, step.newName);
            if (step.oldPath.isEmpty() || step.newPath.isEmpty()) {
                step.oldPath.clear();
                step.newPath.clear();
            }
        }
        plan.push_back(std::move(step));
    }
    return plan;
}

QStringList ApplyRenames(const std::vector<RenameStep> &plan)
{
    QStringList failed;
    for (const RenameStep &step : plan)
        if (step.oldPath.isEmpty() || !RenameEntry(step.oldPath, step.newPath))
            failed.append(step.oldName);
    return failed;
}

QString RenameFailureMessage(const QStringList &failedNames)
{
    QString message = QStringLiteral("No se han podido renombrar los siguientes ficheros:\n\n");
    for (const QString &name : failedNames)
        message += name + u'\n';
    return message;
}
