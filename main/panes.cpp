// The folder and file panes of both pages: desktop and view buttons, refresh, selection.
#include "main/main.h"

#include "main/extensionrules.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "widgets/filelistview.h"
#include "widgets/foldertree.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

namespace {
void OpenDesktop(FolderTree *tree, FileListView *list)
{
    const QString desktop = DesktopFolder();
    if (desktop.isEmpty())
        return;
    tree->OpenFolder(desktop);
    list->SetDirectory(desktop);
}

void Refresh(FolderTree *tree, FileListView *list)
{
    const QString path = tree->SelectedPath();
    tree->RebuildTree();
    tree->OpenFolder(path);
    list->RereadFolder();
}
} // namespace

void TfUtilities::sbEscritorioClick() { OpenDesktop(Carpetas, Ficheros); }
void TfUtilities::SpeedButton1Click() { OpenDesktop(CarpetasTag, FicherosTag); }

void TfUtilities::sbIconosGrandesClick() { Ficheros->SetViewStyle(ViewStyle::vsIcon); }
void TfUtilities::sbIconosPequenosClick() { Ficheros->SetViewStyle(ViewStyle::vsSmallIcon); }
void TfUtilities::sbListaClick() { Ficheros->SetViewStyle(ViewStyle::vsList); }
void TfUtilities::sbDetallesClick() { Ficheros->SetViewStyle(ViewStyle::vsReport); }
void TfUtilities::SpeedButton2Click() { FicherosTag->SetViewStyle(ViewStyle::vsIcon); }
void TfUtilities::SpeedButton3Click() { FicherosTag->SetViewStyle(ViewStyle::vsSmallIcon); }
void TfUtilities::SpeedButton4Click() { FicherosTag->SetViewStyle(ViewStyle::vsList); }
void TfUtilities::SpeedButton5Click() { FicherosTag->SetViewStyle(ViewStyle::vsReport); }

void TfUtilities::RefreshRenamerPanes() { Refresh(Carpetas, Ficheros); }
void TfUtilities::RefreshTagPanes() { Refresh(CarpetasTag, FicherosTag); }

void TfUtilities::RereadRenamedFolder(const QByteArray &folder)
{
    for (FolderTree *tree : {Carpetas, CarpetasTag})
        tree->RereadSubfolders(folder);
    const QByteArray shown = CleanNativePath(folder);
    for (FileListView *list : {Ficheros, FicherosTag})
        if (CleanNativePath(list->NativeDirectory()) == shown)
            list->RereadFolder();
}

// F5, whatever modifiers are held, refreshes the page of the pane; other keys stay the pane's.
void TfUtilities::CarpetasKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_F5)
        return;
    RefreshRenamerPanes();
    event->accept();
}

void TfUtilities::FicherosKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_F5)
        return;
    RefreshRenamerPanes();
    event->accept();
}

void TfUtilities::CarpetasTagKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_F5)
        return;
    RefreshTagPanes();
    event->accept();
}

void TfUtilities::Refrescar1Click() { RefreshRenamerPanes(); }

QString TfUtilities::SelectedFileExtension() const
{
    return ExtensionOf(FileNamePart(Ficheros->SelectedItem()));
}

void TfUtilities::SelectByExtension(const QString &extension)
{
    if (extension.isEmpty())
        return;
    for (int i = 0; i < Ficheros->Count(); ++i)
        if (ExtensionOf(Ficheros->Caption(i)) == extension)
            Ficheros->SetSelected(i, true);
}

void TfUtilities::Todoslosficheros1Click()
{
    for (int i = 0; i < Ficheros->Count(); ++i)
        Ficheros->SetSelected(i, true);
}

void TfUtilities::pmExtensionClick() { SelectByExtension(SelectedFileExtension()); }

void TfUtilities::Marcartodoslosficherosconestaextensin1Click()
{
    const QString extension = SelectedFileExtension();
    if (!extension.isEmpty())
        pmExtension->setText(QStringLiteral("Todos los ficheros con la extensión: ") + MenuCaption(extension));
    pmExtension->setEnabled(!extension.isEmpty());
}

void TfUtilities::pmFicherosPopup()
{
    const bool anySelected = Ficheros->SelCount() > 0;
    pmCambiarExtension->setEnabled(anySelected);
    pmAnhadirExtension->setEnabled(anySelected);
    const QString extension = SelectedFileExtension();
    pmAnadir->setEnabled(anySelected && !extension.isEmpty());
    RebuildExtensionMenus();
    pmAnadir->setText(QStringLiteral("Añadir '") + MenuCaption(extension)
                      + QStringLiteral("' a la lista de extensiones"));
}

void TfUtilities::ShowPanePopup(QMenu *menu, QWidget *pane, const QPoint &pos)
{
    if (menu && !menu->isEmpty())
        menu->popup(pane->mapToGlobal(pos));
}
