#include "main/extensionrules.h"

#include "rename/renameplan.h"

#include <QStringList>

#include <algorithm>

QString MenuCaption(const QString &text)
{
    QString caption = text;
    return caption.replace(u'&', QStringLiteral("&&"));
}

int InvalidSymbolPos(const QString &text)
{
    for (qsizetype i = text.size() - 1; i >= 0; --i)
        if (ForbiddenNameChars.contains(text.at(i)))
            return int(i) + 1;
    return -1;
}

ExtensionStep PlanExtensionStep(ExtensionOperation operation, const QString &name, const QString &extension)
{
    using Action = ExtensionStep::Action;
    const qsizetype dot = name.lastIndexOf(u'.');
    ExtensionStep step;
    switch (operation) {
    case ExtensionOperation::Add:
        step.action = Action::Rename;
        step.newName = name + u'.' + extension;
        break;
    case ExtensionOperation::Change:
        if (dot < 0) {
            step.action = Action::Rename;
            step.newName = name + u'.' + extension;
            break;
        }
        step.newName = name.left(dot + 1) + extension;
        if (name.size() - dot - 1 > 3) {
            step.action = Action::AskFirst;
            step.question = QStringLiteral("¿Estás seguro de querer cambiar la extensión '") + name.mid(dot + 1)
                + QStringLiteral("' por '") + extension + QStringLiteral("'?");
        } else {
            step.action = Action::Rename;
        }
        break;
    case ExtensionOperation::Remove:
        if (dot < 0)
            break;
        step.newName = name.left(dot);
        if (name.size() - dot - 1 > 3) {
            step.action = Action::AskFirst;
            step.question = QStringLiteral("¿Estás seguro de querer eliminar la extensión '") + name.mid(dot + 1)
                + QStringLiteral("'?");
        } else {
            step.action = Action::Rename;
        }
        break;
    }
    return step;
}

ExtensionStep PlanExtensionStep(ExtensionOperation operation, FileEntry::Kind kind, const QString &name,
                                const QString &extension)
{
    ExtensionStep step = PlanExtensionStep(operation, name, extension);
    const bool onDisk = kind == FileEntry::Kind::File || kind == FileEntry::Kind::Folder;
    if (!onDisk && step.action != ExtensionStep::Action::Skip)
        step = {ExtensionStep::Action::Fail, {}, {}};
    return step;
}

QString ExtensionFailureHeading(ExtensionOperation operation)
{
    return operation == ExtensionOperation::Remove
        ? QStringLiteral("No se ha podido eliminar la extensión de los siguientes ficheros:")
        : RenameFailureHeading;
}

int SortedInsertPosition(const QStringList &items, const QString &item)
{
    const auto at = std::upper_bound(items.begin(), items.end(), item, [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return int(at - items.begin());
}

QStringList SortedExtensionList(const QStringList &items)
{
    QStringList sorted;
    for (const QString &item : items)
        if (!sorted.contains(item, Qt::CaseInsensitive))
            sorted.append(item);
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return sorted;
}
