// Mass assignment: one value into one field of every listed file, the copies between the two
// versions for every file, and the removal of one version from every file.
#include "main/main.h"

#include "main/fileprogress.h"
#include "main/massrules.h"
#include "main/tagreport.h"
#include "platform/dialogs.h"
#include "widgets/radiogroup.h"

#include <QComboBox>
#include <QSignalBlocker>

#include <functional>

void TfUtilities::RefillValueChoices()
{
    // The text stays; the choice does not, so a choice picked before is now typed words.
    const QString text = cbValores->currentText();
    const QSignalBlocker block(cbValores);
    cbValores->clear();
    cbValores->addItems(MassValueChoices());
    cbValores->setCurrentIndex(-1);
    cbValores->setEditText(text);
}

// Cancelling leaves the records not reached as they were.
void TfUtilities::ForEveryRecord(const QString &label, const std::function<Failures(const Progress &)> &operation)
{
    if (TagList.empty())
        return;
    const Failures failed = WithFileProgress(this, label, int(TagList.size()), operation);
    ShowRecord(0);
    ReportUnsavedFiles(this, failed);
}

void TfUtilities::SpeedButton29Click()
{
    const int fieldItem = cbCampo->currentIndex();
    if (fieldItem < 0 || fieldItem >= MassFieldChoices().size()) {
        Dialogs::Current().Message(this, QStringLiteral("Atención"),
                                   QStringLiteral("Debes elegir un campo para asignar el valor."),
                                   Dialogs::Icon::Information);
        return;
    }
    const auto field = MassField(fieldItem);
    const QString value = cbValores->currentText();
    const TagVersion version = rgID3->ItemIndex() == 1 ? TagVersion::V2 : TagVersion::V1;
    ForEveryRecord(QStringLiteral("Guardando los valores…"), [&](const Progress &progress) {
        return tagEditor_.AssignToAll(version, field, value, progress);
    });
}

// The files without a tag to copy from are told after the failures.
void TfUtilities::CopyToAll(TagVersion from, const QString &label)
{
    int withoutSource = 0;
    ForEveryRecord(label, [&](const Progress &progress) {
        TagEditorCore::CopyOutcome outcome = tagEditor_.CopyToAll(from, progress);
        withoutSource = outcome.withoutSource;
        return outcome.failed;
    });
    if (withoutSource > 0)
        Dialogs::Current().Message(this, QStringLiteral("Atención"), WithoutSourceTagText(from, withoutSource),
                                   Dialogs::Icon::Information);
}

void TfUtilities::SpeedButton25Click()
{
    CopyToAll(TagVersion::V1, QStringLiteral("Traspasando los valores del ID3v1 al ID3v2…"));
}

void TfUtilities::SpeedButton26Click()
{
    CopyToAll(TagVersion::V2, QStringLiteral("Traspasando los valores del ID3v2 al ID3v1…"));
}

void TfUtilities::SpeedButton27Click()
{
    ForEveryRecord(QStringLiteral("Eliminando los tags ID3v1…"),
                   [this](const Progress &progress) { return tagEditor_.RemoveFromAll(TagVersion::V1, progress); });
}

void TfUtilities::SpeedButton28Click()
{
    ForEveryRecord(QStringLiteral("Eliminando los tags ID3v2…"),
                   [this](const Progress &progress) { return tagEditor_.RemoveFromAll(TagVersion::V2, progress); });
}
