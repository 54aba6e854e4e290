// Advanced renaming of the entries selected in the renamer list.
#include "main/main.h"

#include "platform/busycursor.h"
#include "platform/dialogs.h"
#include "platform/failurelist.h"
#include "rename/VistaPrevia.h"
#include "rename/avanzado.h"
#include "rename/renamejournal.h"
#include "rename/renameplan.h"
#include "widgets/filelistview.h"

namespace {
// Shows the old names beside the new ones; true when the user accepts them.
bool PreviewAccepted(QWidget *parent, const std::vector<RenameStep> &plan)
{
    TfVistaPrevia preview(parent);
    QStringList oldNames;
    QStringList newNames;
    oldNames.reserve(qsizetype(plan.size()));
    newNames.reserve(qsizetype(plan.size()));
    for (const RenameStep &step : plan) {
        oldNames.append(step.name);
        newNames.append(step.newName);
    }
    preview.ShowNames(oldNames, newNames);
    preview.MarkLines(PreviewMarks(plan));
    return Dialogs::Current().Exec(preview) == QDialog::Accepted;
}
} // namespace

void TfUtilities::sbAvanzadasClick()
{
    const std::vector<FileListView::SelectedEntry> selected = Ficheros->SelectedEntries();
    if (selected.empty()) {
        Dialogs::Current().Message(this, QStringLiteral("Atención"),
                                   QStringLiteral("No hay ningún fichero seleccionado."), Dialogs::Icon::Warning);
        return;
    }
    // The names come from the list, so the list's folder is the one that holds them.
    const QByteArray folder = Ficheros->NativeDirectory();

    TfAvanzado avanzado(selected, this);
    std::vector<RenameStep> plan;
    // Leaving the preview without accepting it goes back to the names as they were.
    do {
        if (Dialogs::Current().Exec(avanzado) != QDialog::Accepted)
            return;
        plan = PlanRenames(folder, avanzado.Entries(), avanzado.Lines());
    } while (!PreviewAccepted(this, plan));

    Failures failed;
    {
        BusyCursor busy;
        RenameJournal journal(RenamePage::Renamer, folder);
        failed = ApplyRenames(plan, {}, &journal);
    }
    RereadRenamedFolder(folder);
    ReportFailureList(this, RenameFailureHeading, failed);
}
