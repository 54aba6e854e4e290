// The extension list and the three extension operations of the renamer page.
#include "main/main.h"

#include "main/extensionrules.h"
#include "platform/busycursor.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "widgets/filelistview.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

namespace {
QString Chosen(const QComboBox *box) { return box->currentIndex() < 0 ? QString() : box->currentText(); }

QStringList Items(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

QString WithoutFirstAmpersand(QString caption)
{
    const qsizetype amp = caption.indexOf(u'&');
    if (amp >= 0)
        caption.remove(amp, 1);
    return caption;
}

// Walks the selected entries of the list, renames each by the operation's rule and reports
// every entry that could not be renamed in one message at the end.
void RunExtensionOperation(QWidget *window, FileListView *list, ExtensionOperation operation,
                           const QString &extension)
{
    const QString folder = list->Directory();
    const bool isFolder = folder.compare(FileListView::DrivesValue, Qt::CaseInsensitive) != 0;
    QString failures;
    {
        BusyCursor busy;
        for (int i = 0; i < list->Count(); ++i) {
            if (!list->Selected(i))
                continue;
            const QString name = list->Caption(i);
            const ExtensionStep step = PlanExtensionStep(operation, name, extension);
            if (step.action == ExtensionStep::Action::Skip)
                continue;
            if (step.action == ExtensionStep::Action::AskFirst
                && !Dialogs::Current().Ask(window, LongExtensionCaption, step.question, Dialogs::Icon::Question))
                continue;
            const QString oldPath = isFolder ? PathInFolder(folder, name) : QString();
            const QString newPath = isFolder ? PathInFolder(folder, step.newName) : QString();
            if (oldPath.isEmpty() || newPath.isEmpty() || !RenameEntry(oldPath, newPath))
                failures += name + u'\n';
        }
    }
    if (!failures.isEmpty())
        Dialogs::Current().Message(window, QStringLiteral("Atención"),
                                   ExtensionFailureHeading(operation) + QStringLiteral("\n\n") + failures,
                                   Dialogs::Icon::Warning);
    list->RereadFolder();
}
} // namespace

void TfUtilities::ChangeExtension(const QString &newExtension)
{
    RunExtensionOperation(this, Ficheros, ExtensionOperation::Change, newExtension);
}

void TfUtilities::AddExtension(const QString &extension)
{
    RunExtensionOperation(this, Ficheros, ExtensionOperation::Add, extension);
}

void TfUtilities::RemoveExtension() { RunExtensionOperation(this, Ficheros, ExtensionOperation::Remove, {}); }

void TfUtilities::sbCambiarExtensionClick()
{
    const QString extension = Chosen(cbExtensiones);
    if (!extension.isEmpty())
        ChangeExtension(extension);
}

void TfUtilities::sbAnhadirExtensionAFicherosClick()
{
    const QString extension = Chosen(cbExtensiones);
    if (!extension.isEmpty())
        AddExtension(extension);
}

void TfUtilities::sbEliminaExtensionClick() { RemoveExtension(); }
void TfUtilities::Eliminaextensin1Click() { RemoveExtension(); }

void TfUtilities::RebuildExtensionMenus()
{
    pmCambiarExtension->clear();
    pmAnhadirExtension->clear();
    for (const QString &extension : Items(cbExtensiones)) {
        // The text as shown may gain an accelerator marker; the extension is kept apart.
        QAction *change = pmCambiarExtension->addAction(extension);
        connect(change, &QAction::triggered, this,
                [this, change] { ChangeExtension(WithoutFirstAmpersand(change->text())); });
        QAction *add = pmAnhadirExtension->addAction(extension);
        connect(add, &QAction::triggered, this, [this, add] { AddExtension(WithoutFirstAmpersand(add->text())); });
    }
}

bool TfUtilities::AddToExtensionList(const QString &extension)
{
    const QStringList items = Items(cbExtensiones);
    if (items.contains(extension, Qt::CaseInsensitive))
        return false;
    const int position = InvalidSymbolPos(extension);
    if (position > 0) {
        Dialogs::Current().Message(this, QStringLiteral("Atención"),
                                   QStringLiteral("El símbolo '") + extension.at(position - 1)
                                       + QStringLiteral("' no es válido."),
                                   Dialogs::Icon::Warning);
        return false;
    }
    // Inserting must not change which extension is chosen.
    const QString chosen = Chosen(cbExtensiones);
    cbExtensiones->insertItem(SortedInsertPosition(items, extension), extension);
    cbExtensiones->setCurrentIndex(chosen.isEmpty() ? -1 : cbExtensiones->findText(chosen, Qt::MatchExactly));
    RebuildExtensionMenus();
    return true;
}

void TfUtilities::sbAnhadirExtensionClick()
{
    QString text = SelectedFileExtension();
    if (!Dialogs::Current().PromptText(this, QStringLiteral("Añadir extensión"),
                                       QStringLiteral("Escribe la extensión (sin punto) que deseas añadir"), text)
        || text.isEmpty())
        return;
    AddToExtensionList(text);
}

void TfUtilities::pmAnadirClick()
{
    const QString extension = SelectedFileExtension();
    if (!extension.isEmpty())
        AddToExtensionList(extension);
}

void TfUtilities::sbBorrarExtensionClick()
{
    const QString extension = Chosen(cbExtensiones);
    if (extension.isEmpty())
        return;
    if (!Dialogs::Current().Ask(this, QStringLiteral("Confirmación"),
                                QStringLiteral("¿Estás seguro de que quieres borrar la extensión '") + extension
                                    + QStringLiteral("' de la lista?"),
                                Dialogs::Icon::Question))
        return;
    cbExtensiones->removeItem(cbExtensiones->currentIndex());
    cbExtensiones->setCurrentIndex(-1);
}
