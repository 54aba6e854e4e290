// The extension list and the three extension operations of the renamer page.
#include "main/main.h"

#include "main/extensionrules.h"
#include "platform/busycursor.h"
#include "platform/dialogs.h"
#include "platform/failurelist.h"
#include "rename/renamejournal.h"
#include "rename/renameplan.h"
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

// Plans on a snapshot of the selection, asking the questions first, then renames, reports
// every entry that could not be renamed in one message and re-reads the list. The list may
// be re-read while a question is open; the snapshot is not.
void RunExtensionOperation(TfUtilities *window, FileListView *list, ExtensionOperation operation,
                           const QString &extension)
{
    const QByteArray folder = list->NativeDirectory();
    std::vector<RenameStep> plan;
    for (const FileListView::SelectedEntry &entry : list->SelectedEntries()) {
        const ExtensionStep step = PlanExtensionStep(operation, entry.kind, entry.name, extension);
        if (step.action == ExtensionStep::Action::Skip)
            continue;
        if (step.action == ExtensionStep::Action::AskFirst
            && !Dialogs::Current().Ask(window, LongExtensionCaption, step.question, Dialogs::Icon::Question))
            continue;
        plan.push_back(RenameInFolder(folder, entry, step.newName));
    }
    Failures failed;
    {
        BusyCursor busy;
        RenameJournal journal(RenamePage::Renamer, folder);
        failed = ApplyRenames(plan, {}, &journal);
    }
    ReportFailureList(window, ExtensionFailureHeading(operation), failed);
    window->RereadRenamedFolder(folder);
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
        // The entry keeps its extension apart from the caption, where "&" marks an accelerator.
        const QString caption = MenuCaption(extension);
        QAction *change = pmCambiarExtension->addAction(caption);
        change->setData(extension);
        connect(change, &QAction::triggered, this, [this, change] { ChangeExtension(change->data().toString()); });
        QAction *add = pmAnhadirExtension->addAction(caption);
        add->setData(extension);
        connect(add, &QAction::triggered, this, [this, add] { AddExtension(add->data().toString()); });
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

void TfUtilities::SortExtensionList()
{
    const QStringList items = Items(cbExtensiones);
    const QStringList sorted = SortedExtensionList(items);
    if (sorted == items)
        return;
    const QString chosen = Chosen(cbExtensiones);
    cbExtensiones->clear();
    cbExtensiones->addItems(sorted);
    cbExtensiones->setCurrentIndex(chosen.isEmpty() ? -1 : cbExtensiones->findText(chosen, Qt::MatchExactly));
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
