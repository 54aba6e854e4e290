#include "core/renameplan.h"

#include "core/files.h"

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

QStringList ApplyRenames(const std::vector<RenameStep> &plan, const std::function<bool(int)> &next)
{
    QStringList failed;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (next && !next(int(i)))
            break;
        const RenameStep &step = plan[i];
        if (step.oldPath.isEmpty() || step.newPath.isEmpty() || !RenameEntry(step.oldPath, step.newPath))
            failed.append(step.name);
    }
    return failed;
}
