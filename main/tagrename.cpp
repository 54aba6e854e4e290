// Renaming the listed files from their tags: the preview and its options, and the rename.
#include "main/main.h"

#include "main/fileprogress.h"
#include "core/tagrenamerules.h"
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
    const bool fromV2 = rgID3Renombrar->ItemIndex() == 1;
    std::vector<RenameSource> sources;
    sources.reserve(TagList.size());
    for (const auto &record : TagList)
        sources.push_back(fromV2 ? RenameSourceOf(record->V2) : RenameSourceOf(record->V1));
    renameNames_ = RenameLines(sources, checked, edCadenaSeparacion->text());
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
    QStringList oldPaths;
    oldPaths.reserve(qsizetype(TagList.size()));
    for (const auto &record : TagList)
        oldPaths.append(record->FilePath);
    const std::vector<RenameStep> plan = PlanTagRename(oldPaths, renameNames_, CarpetasTag->SelectedPath());
    QStringList failed;
    {
        BusyCursor busy;
        FileProgress progress(this, QStringLiteral("Renombrando los ficheros…"), int(plan.size()));
        failed = ApplyRenames(plan, [&progress](int done) { return progress.Continue(done); });
    }
    ReportFailureList(this, RenameFailureHeading, failed);
    FicherosTag->RereadFolder();
    mPrevioRenombre->clear();
    renameNames_.clear();
    ClearTagList();
}
