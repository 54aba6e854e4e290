// Renaming the listed files from their tags: the preview and its options, and the rename.
#include "main/main.h"

#include "main/fileprogress.h"
#include "main/tagrenamerules.h"
#include "platform/busycursor.h"
#include "platform/failurelist.h"
#include "widgets/filelistview.h"
#include "widgets/foldertree.h"
#include "widgets/radiogroup.h"

#include <QListWidget>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

void TfUtilities::UpdateRenamePreview()
{
    mPrevioRenombre->clear();
    BusyCursor busy;
    QStringList checked;
    for (int i = 0; i < clbCampos->count(); ++i)
        if (clbCampos->item(i)->checkState() == Qt::Checked)
            checked.append(clbCampos->item(i)->text());
    const TagVersion version = rgID3Renombrar->ItemIndex() == 1 ? TagVersion::V2 : TagVersion::V1;
    renameNames_ = tagEditor_.RenameNames(version, checked, edCadenaSeparacion->text());
    mPrevioRenombre->setPlainText(RenamePreviewText(renameNames_));
}

void TfUtilities::clbCamposClickCheck() { UpdateRenamePreview(); }
void TfUtilities::edCadenaSeparacionChange() { UpdateRenamePreview(); }
void TfUtilities::rgID3RenombrarClick() { UpdateRenamePreview(); }

void TfUtilities::MoveRenameField(int step)
{
    QListWidgetItem *item = clbCampos->currentItem();
    const int row = item && item->isSelected() ? clbCampos->row(item) : -1;
    const int target = row + step;
    if (row >= 0 && target >= 0 && target < clbCampos->count()) {
        // The item travels whole, check mark included, and stays the selected one.
        const QSignalBlocker block(clbCampos);
        clbCampos->takeItem(row);
        clbCampos->insertItem(target, item);
        clbCampos->setCurrentItem(item);
        item->setSelected(true);
    }
    UpdateRenamePreview();
}

void TfUtilities::SpeedButton30Click() { MoveRenameField(-1); }
void TfUtilities::SpeedButton31Click() { MoveRenameField(+1); }

void TfUtilities::SpeedButton32Click()
{
    // The names the preview shows, built afresh from the same options, so that a list rebuilt
    // while another sheet was shown can never be paired with older names.
    UpdateRenamePreview();
    const QByteArray folder = CarpetasTag->NativeSelectedPath();
    RenameJournal journal(RenamePage::Tags, FicherosTag->NativeDirectory());
    const Failures failed =
        WithFileProgress(this, QStringLiteral("Renombrando los ficheros…"), int(TagList.size()), [&](const Progress &progress) {
            return tagEditor_.RenameFiles(renameNames_, folder, progress, &journal);
        });
    ReportFailureList(this, RenameFailureHeading, failed);
    RereadRenamedFolder(folder);
    mPrevioRenombre->clear();
    renameNames_.clear();
}
