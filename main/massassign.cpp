// Mass assignment: one value into one field of every listed file, the copies between the two
// versions for every file, and the removal of one version from every file.
#include "main/main.h"

#include "main/fileprogress.h"
#include "core/massrules.h"
#include "core/paths.h"
#include "main/tagreport.h"
#include "core/tagsave.h"
#include "core/tagvalues.h"
#include "platform/busycursor.h"
#include "platform/dialogs.h"
#include "core/windows1252.h"
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

// Runs `work` on every record with the busy pointer and the progress dialog, then shows the
// first record and lists the files `work` could not write. Cancelling leaves the rest as is.
void TfUtilities::ForEveryRecord(const QString &label, const std::function<bool(TID3 &, int)> &work)
{
    if (TagList.empty())
        return;
    QStringList failed;
    {
        BusyCursor busy;
        FileProgress progress(this, label, int(TagList.size()));
        failed = WorkOnRecords(TagList, work, [&progress](int i) { return progress.Continue(i); });
    }
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
    const int chosen = cbValores->currentIndex();
    const MassValue choice = chosen >= 0 && chosen < MassValueChoices().size() ? MassValue(chosen) : MassValue::Typed;
    const QString typed = cbValores->currentText();
    const bool toV2 = rgID3->ItemIndex() == 1;
    const int count = int(TagList.size());
    ForEveryRecord(QStringLiteral("Guardando los valores…"), [&](TID3 &record, int i) {
        const std::string value = ToWindows1252(MassValueFor(choice, typed, record.FilePath, i, count));
        if (toV2) {
            SetMassField(record.V2, field, value);
            return SaveV2(i);
        }
        SetMassField(record.V1, field, value);
        return SaveV1(i);
    });
}

void TfUtilities::SpeedButton25Click()
{
    ForEveryRecord(QStringLiteral("Traspasando los valores del ID3v1 al ID3v2…"), [this](TID3 &record, int i) {
        CopyV1ToV2(record.V1, record.V2);
        return SaveV2(i);
    });
}

void TfUtilities::SpeedButton26Click()
{
    ForEveryRecord(QStringLiteral("Traspasando los valores del ID3v2 al ID3v1…"), [this](TID3 &record, int i) {
        CopyV2ToV1(record.V2, record.V1);
        return SaveV1(i);
    });
}

void TfUtilities::SpeedButton27Click()
{
    ForEveryRecord(QStringLiteral("Eliminando los tags ID3v1…"), [](TID3 &record, int) {
        if (!record.V1.Present())
            return true;
        record.V1.ClearFields();
        return record.V1.DeleteTag(TagFilePath(record.FilePath));
    });
}

void TfUtilities::SpeedButton28Click()
{
    ForEveryRecord(QStringLiteral("Eliminando los tags ID3v2…"), [](TID3 &record, int) {
        if (!record.V2.Present())
            return true;
        record.V2.ClearFields();
        return record.V2.DeleteTag(TagFilePath(record.FilePath));
    });
}
