// Undoing the last rename operation of each page from its file list's context menu, and
// putting right at start-up what a crash interrupted.
#include "main/main.h"

#include "main/fileprogress.h"
#include "platform/dialogs.h"
#include "platform/failurelist.h"
#include "rename/renamejournal.h"
#include "rename/renameplan.h"
#include "widgets/filelistview.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>

namespace {
const QString UndoCaption = QStringLiteral("Deshacer el último renombrado");

QString UndoQuestion(int count)
{
    return count == 1 ? QStringLiteral("¿Deshacer el último renombrado?\n1 fichero recuperará su nombre anterior.")
                      : QStringLiteral("¿Deshacer el último renombrado?\n%1 ficheros recuperarán su nombre anterior.")
                            .arg(count);
}

// Whether the page's last operation left something to undo in the folder its list shows.
bool CanUndoIn(RenamePage page, const FileListView *list)
{
    const LastRename last = LastRenameOf(page);
    return last.count > 0 && !list->NativeDirectory().isEmpty() && last.folder == list->NativeDirectory();
}
} // namespace

void TfUtilities::BuildUndoMenus()
{
    pmFicheros->addSeparator();
    pmDeshacerRenombrado = pmFicheros->addAction(UndoCaption);
    pmDeshacerRenombrado->setObjectName(QStringLiteral("pmDeshacerRenombrado"));
    connect(pmDeshacerRenombrado, &QAction::triggered, this, &TfUtilities::pmDeshacerRenombradoClick);
    connect(pmFicheros, &QMenu::aboutToShow, this,
            [this] { pmDeshacerRenombrado->setEnabled(CanUndoIn(RenamePage::Renamer, Ficheros)); });

    pmDeshacerRenombradoTag = pmFicherosTag->addAction(UndoCaption);
    pmDeshacerRenombradoTag->setObjectName(QStringLiteral("pmDeshacerRenombradoTag"));
    connect(pmDeshacerRenombradoTag, &QAction::triggered, this, &TfUtilities::pmDeshacerRenombradoTagClick);
    connect(pmFicherosTag, &QMenu::aboutToShow, this,
            [this] { pmDeshacerRenombradoTag->setEnabled(CanUndoIn(RenamePage::Tags, FicherosTag)); });
}

void TfUtilities::pmDeshacerRenombradoClick() { UndoRename(RenamePage::Renamer); }

void TfUtilities::pmDeshacerRenombradoTagClick() { UndoRename(RenamePage::Tags); }

void TfUtilities::UndoRename(RenamePage page)
{
    const LastRename last = LastRenameOf(page);
    if (last.count == 0)
        return;
    if (!Dialogs::Current().Ask(this, QStringLiteral("Confirmación"), UndoQuestion(last.count),
                                Dialogs::Icon::Question))
        return;
    const Failures failed =
        WithFileProgress(this, QStringLiteral("Deshaciendo el renombrado…"), last.count,
                         [page](const Progress &progress) { return UndoLastRename(page, progress); });
    if (page == RenamePage::Tags) {
        // The records name the files by the names they had.
        tagEditor_.ClearTagList();
        mPrevioRenombre->clear();
        renameNames_.clear();
    }
    RereadRenamedFolder(last.folder);
    ReportFailureList(this, RenameFailureHeading, failed);
}

void ReportRenameRecovery(QWidget *parent, const RenameRecovery &recovery)
{
    if (!recovery.failed.isEmpty()) {
        ReportFailureList(parent,
                          QStringLiteral("Un renombrado quedó interrumpido y estos ficheros no han podido "
                                         "recuperar ni su nombre nuevo ni el anterior:"),
                          recovery.failed);
        return;
    }
    if (recovery.finished > 0)
        Dialogs::Current().Message(parent, QStringLiteral("Información"),
                                   QStringLiteral("Se ha terminado un renombrado que quedó interrumpido."),
                                   Dialogs::Icon::Information);
    else if (recovery.undone > 0)
        Dialogs::Current().Message(parent, QStringLiteral("Información"),
                                   QStringLiteral("Un renombrado quedó interrumpido y se ha deshecho: cada "
                                                  "fichero tiene de nuevo su nombre anterior."),
                                   Dialogs::Icon::Information);
}
