// The tag editor's list of records: building it from the selection, showing and stepping.
#include "main/main.h"

#include "core/extensionrules.h"
#include "core/tagvalues.h"
#include "core/windows1252.h"
#include "widgets/filelistview.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>

void TfUtilities::FicherosTagClick()
{
    const std::vector<FileListView::SelectedEntry> entries = FicherosTag->SelectedEntries();
    if (entries.empty())
        return;
    const QString folder = FicherosTag->Directory();
    ClearTagList();
    TagList.reserve(entries.size());
    for (const FileListView::SelectedEntry &entry : entries)
        if (entry.kind == FileListView::EntryKind::File)
            AddTagFile(folder + entry.name);
    ShowRecord(0);
    if (pcID3->currentWidget() == tsRenombrar)
        UpdateRenamePreview();
}

void TfUtilities::ClearTagList()
{
    TagList.clear();
    CurrentIndex = -1;
}

void TfUtilities::AddTagFile(const QString &path)
{
    if (QFileInfo(path).isFile())
        TagList.push_back(std::make_unique<TID3>(path));
}

void TfUtilities::ShowRecord(int position)
{
    if (position < 0 || position >= int(TagList.size())) {
        lbFichero->clear();
        lbTantoDeTanto->setText(PositionCaption(-1, 0));
        CurrentIndex = -1;
        for (QLineEdit *edit : {edTituloV1, edArtistaV1, edAlbumV1, edComentarioV1, edTituloV2, edArtistaV2,
                                edAlbumV2})
            edit->clear();
        for (QSpinBox *spin : {sePistaV1, seAnoV1, sePistaV2, seAnoV2})
            spin->setValue(0);
        mComentarioV2->clear();
        shownCommentV2.clear();
        cbGeneroV1->setCurrentIndex(0);
        cbGeneroV2->setCurrentIndex(0);
        return;
    }
    const TID3 &record = *TagList[std::size_t(position)];
    lbFichero->setText(FileNamePart(record.FilePath));
    lbFichero->setCursorPosition(0);
    lbTantoDeTanto->setText(PositionCaption(position, int(TagList.size())));
    CurrentIndex = position;

    const auto setText = [](QLineEdit *edit, const std::string &value) {
        edit->setText(FromWindows1252(value));
        edit->setCursorPosition(0);
    };
    setText(edTituloV1, record.V1.Title());
    setText(edArtistaV1, record.V1.Artist());
    setText(edAlbumV1, record.V1.Album());
    sePistaV1->setValue(TrackToShow(record.V1.Track()));
    seAnoV1->setValue(YearToShow(record.V1.Year()));
    setText(edComentarioV1, record.V1.Comment());
    cbGeneroV1->setCurrentIndex(GenreItemOfIndex(record.V1.GenreIndex()));

    setText(edTituloV2, record.V2.Title());
    setText(edArtistaV2, record.V2.Artist());
    setText(edAlbumV2, record.V2.Album());
    sePistaV2->setValue(TrackToShow(record.V2.Track()));
    seAnoV2->setValue(YearToShow(record.V2.Year()));
    mComentarioV2->setPlainText(FromWindows1252(record.V2.Comment()));
    shownCommentV2 = mComentarioV2->toPlainText();
    const QString genre = FromWindows1252(record.V2.Genre());
    cbGeneroV2->setCurrentIndex(FindGenreItem(genre));
    cbGeneroV2->setEditText(genre);
}

void TfUtilities::SpeedButton13Click()
{
    if (!TagList.empty())
        ShowRecord(0);
}

void TfUtilities::SpeedButton14Click()
{
    if (CurrentIndex > 0)
        ShowRecord(CurrentIndex - 1);
}

void TfUtilities::SpeedButton16Click()
{
    if (CurrentIndex + 1 < int(TagList.size()))
        ShowRecord(CurrentIndex + 1);
}

void TfUtilities::SpeedButton15Click()
{
    if (!TagList.empty())
        ShowRecord(int(TagList.size()) - 1);
}

void TfUtilities::pcID3Change()
{
    QWidget *sheet = pcID3->currentWidget();
    pAbajoTag->setVisible(sheet == tsID3v1 || sheet == tsID3v2);
    if (sheet == tsMasivo)
        RefillValueChoices();
    else if (sheet == tsRenombrar)
        UpdateRenamePreview();
}

void TfUtilities::sePistaV1Change()
{
    for (QSpinBox *spin : {sePistaV1, seAnoV1, sePistaV2, seAnoV2})
        if (spin->value() < 0)
            spin->setValue(0);
}
