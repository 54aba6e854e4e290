#include "rename/renameplan.h"

#include "platform/files.h"

RenameStep RenameInFolder(const QString &folder, const SelectedEntry &entry, const QString &newName)
{
    using Kind = FileEntry::Kind;
    RenameStep step{entry.name, newName, {}, {}};
    if (entry.kind == Kind::File || entry.kind == Kind::Folder) {
        step.oldPath = PathInFolder(folder, entry.name);
        step.newPath = PathInFolder(folder, newName);
    }
    return step;
}

std::vector<RenameStep> PlanRenames(const QString &folder, const std::vector<SelectedEntry> &entries,
                                    const QStringList &newNames)
{
    std::vector<RenameStep> plan;
    plan.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        plan.push_back(
            RenameInFolder(folder, entries[i], qsizetype(i) < newNames.size() ? newNames.at(qsizetype(i)) : QString()));
    return plan;
}

Refusal RefusalOf(const RenameStep &step)
{
    if (step.oldPath.isEmpty())
        return Refusal::NotAnEntry;
    if (step.newName.isEmpty())
        return Refusal::NoNewName;
    if (NameLeavesFolder(step.newName))
        return Refusal::InvalidName;
    return Refusal::NoFolder;
}

Failures ApplyRenames(const std::vector<RenameStep> &plan, const Progress &progress)
{
    Failures failed;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (progress && !progress(int(i)))
            break;
        const RenameStep &step = plan[i];
        if (step.oldPath.isEmpty() || step.newPath.isEmpty()) {
            failed.append({step.name, ReasonText(RefusalOf(step))});
            continue;
        }
        std::error_code error;
        if (!RenameEntry(step.oldPath, step.newPath, error))
            failed.append({step.name, ReasonText(error)});
    }
    return failed;
}
