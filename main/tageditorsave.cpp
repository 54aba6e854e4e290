// The tag editor's buttons that write: "Actual", the field buttons, the copies, the removal.
#include "main/main.h"

#include "main/fileprogress.h"
#include "main/tagreport.h"
#include "main/tagvalues.h"
#include "platform/busycursor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>

namespace {
int Spin(const QSpinBox *box) { return SpinText(box->cleanText()); }

const QString SavingLabel = QStringLiteral("Guardando el valor en los ficheros seleccionados…");
} // namespace

TagSheets TfUtilities::EnteredSheets() const
{
    TagSheets sheets;
    sheets.v1.title = edTituloV1->text();
    sheets.v1.artist = edArtistaV1->text();
    sheets.v1.album = edAlbumV1->text();
    sheets.v1.comment = edComentarioV1->text();
    sheets.v1.track = Spin(sePistaV1);
    sheets.v1.year = Spin(seAnoV1);
    sheets.v1.genreItem = cbGeneroV1->currentIndex();
    sheets.v2.title = edTituloV2->text();
    sheets.v2.artist = edArtistaV2->text();
    sheets.v2.album = edAlbumV2->text();
    sheets.v2.genre = cbGeneroV2->currentText();
    sheets.v2.comment = mComentarioV2->toPlainText();
    sheets.v2.track = Spin(sePistaV2);
    sheets.v2.year = Spin(seAnoV2);
    return sheets;
}

TagVersion TfUtilities::ShownVersion() const
{
    return pcID3->currentWidget() == tsID3v1 ? TagVersion::V1 : TagVersion::V2;
}

// Nothing when another sheet is active.
void TfUtilities::SaveToAll(QWidget *sheet, QWidget *box, const QString &label,
                            const std::function<Failures(const Progress &)> &operation)
{
    if (pcID3->currentWidget() != sheet)
        return;
    const Failures failed = WithFileProgress(this, label, int(TagList.size()), operation);
    ShowSavedValue(box);
    ReportUnsavedFiles(this, failed);
}

bool TfUtilities::SaveV1(int position) { return tagEditor_.SaveV1(position); }

bool TfUtilities::SaveV2(int position) { return tagEditor_.SaveV2(position); }

void TfUtilities::sbActualClick()
{
    Failures failed;
    {
        BusyCursor busy;
        failed = tagEditor_.SaveCurrent(EnteredSheets(), shownCommentV2);
    }
    // The boxes show what the file now holds, not what was typed ('?' where version 1 has
    // no letter for a character).
    if (CurrentIndex != -1)
        ShowRecord(CurrentIndex);
    ReportUnsavedFiles(this, failed);
}

void TfUtilities::SpeedButton6Click()
{
    const QString text = edTituloV1->text();
    SaveToAll(tsID3v1, edTituloV1, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V1, TagField::Title, text, p); });
}

void TfUtilities::SpeedButton7Click()
{
    const QString text = edArtistaV1->text();
    SaveToAll(tsID3v1, edArtistaV1, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V1, TagField::Artist, text, p); });
}

void TfUtilities::SpeedButton8Click()
{
    const QString text = edAlbumV1->text();
    SaveToAll(tsID3v1, edAlbumV1, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V1, TagField::Album, text, p); });
}

void TfUtilities::SpeedButton11Click()
{
    SaveToAll(tsID3v1, sePistaV1, QStringLiteral("Numerando los ficheros seleccionados…"),
              [&](const Progress &p) { return tagEditor_.NumberTracks(TagVersion::V1, p); });
}

void TfUtilities::SpeedButton12Click()
{
    const int year = Spin(seAnoV1);
    SaveToAll(tsID3v1, seAnoV1, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveYearToAll(TagVersion::V1, year, p); });
}

void TfUtilities::SpeedButton9Click()
{
    const int item = cbGeneroV1->currentIndex();
    SaveToAll(tsID3v1, cbGeneroV1, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveGenreItemToAll(item, p); });
}

void TfUtilities::SpeedButton10Click()
{
    const QString text = edComentarioV1->text();
    SaveToAll(tsID3v1, edComentarioV1, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V1, TagField::Comment, text, p); });
}

void TfUtilities::SpeedButton18Click()
{
    const QString text = edTituloV2->text();
    SaveToAll(tsID3v2, edTituloV2, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V2, TagField::Title, text, p); });
}

void TfUtilities::SpeedButton19Click()
{
    const QString text = edArtistaV2->text();
    SaveToAll(tsID3v2, edArtistaV2, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V2, TagField::Artist, text, p); });
}

void TfUtilities::SpeedButton20Click()
{
    const QString text = edAlbumV2->text();
    SaveToAll(tsID3v2, edAlbumV2, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V2, TagField::Album, text, p); });
}

void TfUtilities::SpeedButton23Click()
{
    SaveToAll(tsID3v2, sePistaV2, QStringLiteral("Numerando los ficheros seleccionados…"),
              [&](const Progress &p) { return tagEditor_.NumberTracks(TagVersion::V2, p); });
}

void TfUtilities::SpeedButton24Click()
{
    const int year = Spin(seAnoV2);
    SaveToAll(tsID3v2, seAnoV2, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveYearToAll(TagVersion::V2, year, p); });
}

void TfUtilities::SpeedButton21Click()
{
    const QString text = cbGeneroV2->currentText();
    SaveToAll(tsID3v2, cbGeneroV2, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V2, TagField::Genre, text, p); });
}

void TfUtilities::SpeedButton22Click()
{
    const QString text = mComentarioV2->toPlainText();
    SaveToAll(tsID3v2, mComentarioV2, SavingLabel,
              [&](const Progress &p) { return tagEditor_.SaveTextToAll(TagVersion::V2, TagField::Comment, text, p); });
}

void TfUtilities::sbV1aV2Click()
{
    BusyCursor busy;
    if (tagEditor_.CopyCurrentV1ToV2(cbGeneroV1->currentText()))
        ShowRecord(CurrentIndex);
}

void TfUtilities::sbV2aV1Click()
{
    BusyCursor busy;
    if (tagEditor_.CopyCurrentV2ToV1(cbGeneroV2->currentText()))
        ShowRecord(CurrentIndex);
}

void TfUtilities::SpeedButton17Click()
{
    Failures failed;
    if (!tagEditor_.RemoveCurrent(ShownVersion(), failed))
        return;
    ShowRecord(CurrentIndex);
    ReportUnsavedFiles(this, failed);
}
