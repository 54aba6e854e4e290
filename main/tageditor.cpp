// The tag editor's list of records: building it from the selection, showing and stepping.
#include "main/main.h"

#include "main/tagvalues.h"
#include "platform/paths.h"
#include "widgets/filelistview.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>

void TfUtilities::FicherosTagClick()
{
    const std::vector<SelectedEntry> entries = FicherosTag->SelectedEntries();
    if (entries.empty())
        return;
    tagEditor_.BuildTagList(FicherosTag->NativeDirectory(), entries);
    ShowRecord(0);
    if (pcID3->currentWidget() == tsRenombrar)
        UpdateRenamePreview();
}

void TfUtilities::ClearTagList() { tagEditor_.ClearTagList(); }

void TfUtilities::AddTagFile(const QString &path) { tagEditor_.AddTagFile(path); }

void TfUtilities::ShowRecord(int position)
{
    const TID3 *record = tagEditor_.ShowRecord(position);
    lbTantoDeTanto->setText(PositionCaption(CurrentIndex, int(TagList.size())));
    if (!record) {
        lbFichero->clear();
        ShowSheets(TagSheets(), nullptr);
        return;
    }
    lbFichero->setText(FileNamePart(record->FilePath));
    lbFichero->setCursorPosition(0);
    ShowSheets(TagEditorCore::SheetsOf(*record), nullptr);
}

void TfUtilities::ShowSavedValue(QWidget *box)
{
    if (const TID3 *record = tagEditor_.Current())
        ShowSheets(TagEditorCore::SheetsOf(*record), box);
}

void TfUtilities::ShowSheets(const TagSheets &sheets, QWidget *only)
{
    const auto setText = [only](QLineEdit *edit, const QString &text) {
        if (only && only != edit)
            return;
        edit->setText(text);
        edit->setCursorPosition(0);
    };
    const auto setValue = [only](QSpinBox *spin, int value) {
        if (!only || only == spin)
            spin->setValue(value);
    };
    setText(edTituloV1, sheets.v1.title);
    setText(edArtistaV1, sheets.v1.artist);
    setText(edAlbumV1, sheets.v1.album);
    setValue(sePistaV1, sheets.v1.track);
    setValue(seAnoV1, sheets.v1.year);
    setText(edComentarioV1, sheets.v1.comment);
    if (!only || only == cbGeneroV1)
        cbGeneroV1->setCurrentIndex(sheets.v1.genreItem);

    setText(edTituloV2, sheets.v2.title);
    setText(edArtistaV2, sheets.v2.artist);
    setText(edAlbumV2, sheets.v2.album);
    setValue(sePistaV2, sheets.v2.track);
    setValue(seAnoV2, sheets.v2.year);
    if (!only || only == mComentarioV2) {
        mComentarioV2->setPlainText(sheets.v2.comment);
        shownCommentV2 = mComentarioV2->toPlainText();
    }
    if (!only || only == cbGeneroV2) {
        cbGeneroV2->setCurrentIndex(FindGenreItem(sheets.v2.genre));
        cbGeneroV2->setEditText(sheets.v2.genre);
    }
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
