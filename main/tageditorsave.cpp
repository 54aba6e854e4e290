// The tag editor's buttons that write: "Actual", the field buttons, the copies, the removal.
#include "main/main.h"

#include "core/extensionrules.h"
#include "main/fileprogress.h"
#include "core/massrules.h"
#include "main/tagreport.h"
#include "core/tagsave.h"
#include "core/tagvalues.h"
#include "platform/busycursor.h"
#include "core/windows1252.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>


namespace {

int Spin(const QSpinBox *box) { return SpinText(box->cleanText()); }

// One field of every record, from the sheet the button stands on; nothing when another
// sheet is active. The numbering buttons show the current record again.
void SaveToAll(TfUtilities &w, QWidget *sheet, TagVersion version, const std::function<void(TID3 &, int)> &assign,
               bool numbering = false)
{
    if (w.pcID3->currentWidget() != sheet)
        return;
    QStringList failed;
    {
        BusyCursor busy;
        FileProgress progress(&w,
                              numbering ? QStringLiteral("Numerando los ficheros seleccionados…")
                                        : QStringLiteral("Guardando el valor en los ficheros seleccionados…"),
                              int(w.TagList.size()));
        failed = SaveFieldToAll(w.TagList, version, assign, [&progress](int i) { return progress.Continue(i); });
        if (numbering && w.CurrentIndex != -1)
            w.ShowRecord(w.CurrentIndex);
    }
    ReportUnsavedFiles(&w, failed);
}

} // namespace

bool TfUtilities::SaveV1(int position)
{
    if (position < 0 || position >= int(TagList.size()))
        return false;
    return WriteRecord(*TagList[std::size_t(position)], TagVersion::V1);
}

bool TfUtilities::SaveV2(int position)
{
    if (position < 0 || position >= int(TagList.size()))
        return false;
    return WriteRecord(*TagList[std::size_t(position)], TagVersion::V2);
}

void TfUtilities::sbActualClick()
{
    QStringList failed;
    {
        BusyCursor busy;
        if (CurrentIndex == -1)
            return;
        TID3 &record = *TagList[std::size_t(CurrentIndex)];
        TID3v1 &v1 = record.V1;
        v1.SetTitle(V1TextToSave(edTituloV1->text(), FromWindows1252(v1.Title()), v1.Title()));
        v1.SetArtist(V1TextToSave(edArtistaV1->text(), FromWindows1252(v1.Artist()), v1.Artist()));
        v1.SetAlbum(V1TextToSave(edAlbumV1->text(), FromWindows1252(v1.Album()), v1.Album()));
        v1.SetTrack(TrackToSave(Spin(sePistaV1), v1.Track()));
        v1.SetYear(YearToSave(Spin(seAnoV1), v1.Year()));
        v1.SetGenreIndex(GenreIndexToSave(cbGeneroV1->currentIndex(), v1.GenreIndex()));
        v1.SetComment(V1TextToSave(edComentarioV1->text(), FromWindows1252(v1.Comment()), v1.Comment()));
        if (!SaveV1(CurrentIndex))
            failed.append(FileNamePart(record.FilePath));

        TID3v2 &v2 = record.V2;
        v2.SetTitle(V2TextToSave(edTituloV2->text(), FromWindows1252(v2.Title()), v2.Title()));
        v2.SetArtist(V2TextToSave(edArtistaV2->text(), FromWindows1252(v2.Artist()), v2.Artist()));
        v2.SetAlbum(V2TextToSave(edAlbumV2->text(), FromWindows1252(v2.Album()), v2.Album()));
        v2.SetTrack(TrackToSave(Spin(sePistaV2), v2.Track()));
        v2.SetYear(YearToSave(Spin(seAnoV2), v2.Year()));
        v2.SetGenre(V2TextToSave(cbGeneroV2->currentText(), FromWindows1252(v2.Genre()), v2.Genre()));
        v2.SetComment(V2TextToSave(mComentarioV2->toPlainText(), shownCommentV2, v2.Comment()));
        if (!SaveV2(CurrentIndex) && failed.isEmpty())
            failed.append(FileNamePart(record.FilePath));
    }
    ReportUnsavedFiles(this, failed);
}

void TfUtilities::SpeedButton6Click()
{
    const std::string value = V1Text(edTituloV1->text());
    SaveToAll(*this, tsID3v1, TagVersion::V1, [&](TID3 &r, int) { r.V1.SetTitle(value); });
}

void TfUtilities::SpeedButton7Click()
{
    const std::string value = V1Text(edArtistaV1->text());
    SaveToAll(*this, tsID3v1, TagVersion::V1, [&](TID3 &r, int) { r.V1.SetArtist(value); });
}

void TfUtilities::SpeedButton8Click()
{
    const std::string value = V1Text(edAlbumV1->text());
    SaveToAll(*this, tsID3v1, TagVersion::V1, [&](TID3 &r, int) { r.V1.SetAlbum(value); });
}

void TfUtilities::SpeedButton11Click()
{
    SaveToAll(
        *this, tsID3v1, TagVersion::V1, [](TID3 &r, int i) { r.V1.SetTrack(std::uint8_t(i + 1)); }, true);
}

void TfUtilities::SpeedButton12Click()
{
    const std::string value = YearText(Spin(seAnoV1));
    SaveToAll(*this, tsID3v1, TagVersion::V1, [&](TID3 &r, int) { r.V1.SetYear(value); });
}

void TfUtilities::SpeedButton9Click()
{
    const std::uint8_t value = GenreIndexOfItem(cbGeneroV1->currentIndex());
    SaveToAll(*this, tsID3v1, TagVersion::V1, [&](TID3 &r, int) { r.V1.SetGenreIndex(value); });
}

void TfUtilities::SpeedButton10Click()
{
    const std::string value = V1Text(edComentarioV1->text());
    SaveToAll(*this, tsID3v1, TagVersion::V1, [&](TID3 &r, int) { r.V1.SetComment(value); });
}

void TfUtilities::SpeedButton18Click()
{
    const std::string value = V2Text(edTituloV2->text());
    SaveToAll(*this, tsID3v2, TagVersion::V2, [&](TID3 &r, int) { r.V2.SetTitle(value); });
}

void TfUtilities::SpeedButton19Click()
{
    const std::string value = V2Text(edArtistaV2->text());
    SaveToAll(*this, tsID3v2, TagVersion::V2, [&](TID3 &r, int) { r.V2.SetArtist(value); });
}

void TfUtilities::SpeedButton20Click()
{
    const std::string value = V2Text(edAlbumV2->text());
    SaveToAll(*this, tsID3v2, TagVersion::V2, [&](TID3 &r, int) { r.V2.SetAlbum(value); });
}

void TfUtilities::SpeedButton23Click()
{
    SaveToAll(
        *this, tsID3v2, TagVersion::V2, [](TID3 &r, int i) { r.V2.SetTrack(std::uint8_t(i + 1)); }, true);
}

void TfUtilities::SpeedButton24Click()
{
    const std::string value = YearText(Spin(seAnoV2));
    SaveToAll(*this, tsID3v2, TagVersion::V2, [&](TID3 &r, int) { r.V2.SetYear(value); });
}

void TfUtilities::SpeedButton21Click()
{
    const std::string value = V2Text(cbGeneroV2->currentText());
    SaveToAll(*this, tsID3v2, TagVersion::V2, [&](TID3 &r, int) { r.V2.SetGenre(value); });
}

void TfUtilities::SpeedButton22Click()
{
    const std::string value = V2Text(mComentarioV2->toPlainText());
    SaveToAll(*this, tsID3v2, TagVersion::V2, [&](TID3 &r, int) { r.V2.SetComment(value); });
}

// The genre is the one the source sheet's box shows; every other value comes from the object.
void TfUtilities::sbV1aV2Click()
{
    BusyCursor busy;
    if (CurrentIndex == -1)
        return;
    TID3 &record = *TagList[std::size_t(CurrentIndex)];
    CopyV1ToV2(record.V1, record.V2, V2Text(cbGeneroV1->currentText()));
    ShowRecord(CurrentIndex);
}

void TfUtilities::sbV2aV1Click()
{
    BusyCursor busy;
    if (CurrentIndex == -1)
        return;
    TID3 &record = *TagList[std::size_t(CurrentIndex)];
    CopyV2ToV1(record.V2, record.V1, GenreIndexOfItem(FindGenreItem(cbGeneroV2->currentText())));
    ShowRecord(CurrentIndex);
}

void TfUtilities::SpeedButton17Click()
{
    if (CurrentIndex == -1)
        return;
    TID3 &record = *TagList[std::size_t(CurrentIndex)];
    const std::filesystem::path path = TagFilePath(record.FilePath);
    bool removed = true;
    if (pcID3->currentWidget() == tsID3v1) {
        if (!record.V1.Present())
            return;
        record.V1.ClearFields();
        removed = record.V1.DeleteTag(path);
    } else {
        if (!record.V2.Present())
            return;
        record.V2.ClearFields();
        removed = record.V2.DeleteTag(path);
    }
    ShowRecord(CurrentIndex);
    if (!removed)
        ReportUnsavedFiles(this, {FileNamePart(record.FilePath)});
}
