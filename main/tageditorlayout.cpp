// The tag editor's two edit sheets and the bottom panel under them.
#include "main/main.h"

#include "widgets/buttons.h"
#include "widgets/filelistview.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

#include <climits>

namespace {

const QString kSaveAll = QStringLiteral("Guardar este valor en todos los ficheros seleccionados");
const QString kNumber = QStringLiteral("Guardar el índice dentro de la lista de ficheros seleccionados");

// A picture that says what a copy does ("1→2"), where no stock picture would.
QIcon CopyPicture(const QString &text)
{
    QIcon icon;
    for (const int side : {16, 24, 32}) {
        QPixmap pixmap(side * 2, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font = QApplication::font();
        font.setBold(true);
        font.setPixelSize(side * 3 / 4);
        painter.setFont(font);
        painter.setPen(QApplication::palette().color(QPalette::ButtonText));
        painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The field buttons leave the focus in the edits, so a typed value is read as it stands.
QToolButton *SaveButton(QWidget *parent, const char *name, const QString &hint = kSaveAll)
{
    return FlatButton(parent, name, hint, Picture("document-save", QStyle::SP_DialogSaveButton));
}

QToolButton *NumberButton(QWidget *parent, const char *name)
{
    return FlatButton(parent, name, kNumber, Picture("format-list-ordered", QStyle::SP_FileDialogListView));
}

QSpinBox *NumberBox(QWidget *parent, const char *name, int maximum)
{
    auto *box = Named(new QSpinBox(parent), name);
    box->setRange(0, maximum);
    box->setAlignment(Qt::AlignRight);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return box;
}

QComboBox *GenreBox(QWidget *parent, const char *name, bool editable)
{
    auto *box = Named(new QComboBox(parent), name);
    box->setEditable(editable);
    if (editable) {
        box->setInsertPolicy(QComboBox::NoInsert);
        // A typed genre is saved as it stands: never complete it unasked.
        box->setCompleter(nullptr);
    }
    box->setMaxVisibleItems(20);
    // A scrolling list of twenty rows, not a menu as high as the screen.
    box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    box->setMinimumContentsLength(18);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

QLabel *Caption(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// One row of fields after a label: the widgets in order, the stretching ones marked.
QHBoxLayout *Row(std::initializer_list<std::pair<QLayoutItem *, int>> items)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(2);
    for (const auto &[item, stretch] : items) {
        row->addItem(item);
        if (stretch)
            row->setStretch(row->count() - 1, stretch);
    }
    return row;
}

QLayoutItem *W(QWidget *widget) { return new QWidgetItem(widget); }
QLayoutItem *Gap(int width) { return new QSpacerItem(width, 1, QSizePolicy::Fixed, QSizePolicy::Minimum); }

QGridLayout *SheetGrid(QWidget *sheet)
{
    auto *grid = new QGridLayout(sheet);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

void TfUtilities::BuildV1Sheet()
{
    QWidget *sheet = tsID3v1;
    edTituloV1 = Named(new QLineEdit(sheet), "edTituloV1");
    edArtistaV1 = Named(new QLineEdit(sheet), "edArtistaV1");
    edAlbumV1 = Named(new QLineEdit(sheet), "edAlbumV1");
    sePistaV1 = NumberBox(sheet, "sePistaV1", 99);
    seAnoV1 = NumberBox(sheet, "seAnoV1", 9999);
    cbGeneroV1 = GenreBox(sheet, "cbGeneroV1", false);
    edComentarioV1 = Named(new QLineEdit(sheet), "edComentarioV1");
    for (QLineEdit *edit : {edTituloV1, edArtistaV1, edAlbumV1, edComentarioV1})
        edit->setMaxLength(30);

    SpeedButton6 = SaveButton(sheet, "SpeedButton6");
    SpeedButton7 = SaveButton(sheet, "SpeedButton7");
    SpeedButton8 = SaveButton(sheet, "SpeedButton8");
    SpeedButton11 = NumberButton(sheet, "SpeedButton11");
    SpeedButton12 = SaveButton(sheet, "SpeedButton12");
    SpeedButton9 = SaveButton(sheet, "SpeedButton9");
    SpeedButton10 = SaveButton(sheet, "SpeedButton10");

    // Thirty characters need no more than this; a wide window leaves the rest empty.
    auto *content = new QWidget(sheet);
    const QFontMetrics metrics(edTituloV1->font());
    content->setMaximumWidth(metrics.averageCharWidth() * 40 + 260);
    auto *outer = new QHBoxLayout(sheet);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(content, 1);
    outer->addStretch(0);
    QGridLayout *grid = SheetGrid(content);
    sheet = content;
    grid->addWidget(Caption(sheet, QStringLiteral("Título :"), edTituloV1), 0, 0);
    grid->addLayout(Row({{W(edTituloV1), 1}, {W(SpeedButton6), 0}}), 0, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Artista :"), edArtistaV1), 1, 0);
    grid->addLayout(Row({{W(edArtistaV1), 1}, {W(SpeedButton7), 0}}), 1, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Álbum :"), edAlbumV1), 2, 0);
    grid->addLayout(Row({{W(edAlbumV1), 1}, {W(SpeedButton8), 0}}), 2, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Pista :"), sePistaV1), 3, 0);
    grid->addLayout(Row({{W(sePistaV1), 0},
                         {W(SpeedButton11), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Año :"), seAnoV1)), 0},
                         {W(seAnoV1), 0},
                         {W(SpeedButton12), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Género :"), cbGeneroV1)), 0},
                         {W(cbGeneroV1), 1},
                         {W(SpeedButton9), 0}}),
                    3, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Comentario :"), edComentarioV1), 4, 0);
    grid->addLayout(Row({{W(edComentarioV1), 1}, {W(SpeedButton10), 0}}), 4, 1);
    grid->setRowStretch(5, 1);

    QWidget::setTabOrder(edTituloV1, edArtistaV1);
    QWidget::setTabOrder(edArtistaV1, edAlbumV1);
    QWidget::setTabOrder(edAlbumV1, sePistaV1);
    QWidget::setTabOrder(sePistaV1, seAnoV1);
    QWidget::setTabOrder(seAnoV1, cbGeneroV1);
    QWidget::setTabOrder(cbGeneroV1, edComentarioV1);
}

void TfUtilities::BuildV2Sheet()
{
    QWidget *sheet = tsID3v2;
    edTituloV2 = Named(new QLineEdit(sheet), "edTituloV2");
    edArtistaV2 = Named(new QLineEdit(sheet), "edArtistaV2");
    edAlbumV2 = Named(new QLineEdit(sheet), "edAlbumV2");
    sePistaV2 = NumberBox(sheet, "sePistaV2", 99);
    seAnoV2 = NumberBox(sheet, "seAnoV2", 9999);
    cbGeneroV2 = GenreBox(sheet, "cbGeneroV2", true);
    mComentarioV2 = Named(new QPlainTextEdit(sheet), "mComentarioV2");
    mComentarioV2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mComentarioV2->setTabChangesFocus(true);
    // Breaking only between words: looking for a break inside a word of megabytes (a tag
    // stuffed with one long run of characters) takes minutes.
    mComentarioV2->setWordWrapMode(QTextOption::WordWrap);
    // Version 2 texts have no length limit of their own.
    for (QLineEdit *edit : {edTituloV2, edArtistaV2, edAlbumV2})
        edit->setMaxLength(INT_MAX);
    cbGeneroV2->lineEdit()->setMaxLength(INT_MAX);

    SpeedButton18 = SaveButton(sheet, "SpeedButton18");
    SpeedButton19 = SaveButton(sheet, "SpeedButton19");
    SpeedButton20 = SaveButton(sheet, "SpeedButton20");
    SpeedButton23 = NumberButton(sheet, "SpeedButton23");
    SpeedButton24 = SaveButton(sheet, "SpeedButton24");
    SpeedButton21 = SaveButton(sheet, "SpeedButton21");
    SpeedButton22 = SaveButton(sheet, "SpeedButton22");

    QGridLayout *grid = SheetGrid(sheet);
    grid->addWidget(Caption(sheet, QStringLiteral("Título :"), edTituloV2), 0, 0);
    grid->addLayout(Row({{W(edTituloV2), 1}, {W(SpeedButton18), 0}}), 0, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Artista :"), edArtistaV2), 1, 0);
    grid->addLayout(Row({{W(edArtistaV2), 1},
                         {W(SpeedButton19), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Álbum :"), edAlbumV2)), 0},
                         {W(edAlbumV2), 1},
                         {W(SpeedButton20), 0}}),
                    1, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Pista :"), sePistaV2), 2, 0);
    grid->addLayout(Row({{W(sePistaV2), 0},
                         {W(SpeedButton23), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Año :"), seAnoV2)), 0},
                         {W(seAnoV2), 0},
                         {W(SpeedButton24), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Género :"), cbGeneroV2)), 0},
                         {W(cbGeneroV2), 0},
                         {W(SpeedButton21), 0},
                         {new QSpacerItem(0, 1, QSizePolicy::Expanding, QSizePolicy::Minimum), 1}}),
                    2, 1);
    auto *commentLabel = Caption(sheet, QStringLiteral("Comentario :"), mComentarioV2);
    grid->addWidget(commentLabel, 3, 0, Qt::AlignTop);
    auto *commentRow = Row({{W(mComentarioV2), 1}, {W(SpeedButton22), 0}});
    commentRow->setAlignment(SpeedButton22, Qt::AlignTop);
    grid->addLayout(commentRow, 3, 1);
    grid->setRowStretch(3, 1);
    // Two lines of comment at least; more when the window is high.
    const QFontMetrics metrics(mComentarioV2->font());
    mComentarioV2->setMinimumHeight(metrics.lineSpacing() * 2 + 10);
    mComentarioV2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);

    QWidget::setTabOrder(edTituloV2, edArtistaV2);
    QWidget::setTabOrder(edArtistaV2, edAlbumV2);
    QWidget::setTabOrder(edAlbumV2, sePistaV2);
    QWidget::setTabOrder(sePistaV2, seAnoV2);
    QWidget::setTabOrder(seAnoV2, cbGeneroV2);
    QWidget::setTabOrder(cbGeneroV2, mComentarioV2);
}

QWidget *TfUtilities::BuildBottomPanel(QWidget *parent)
{
    auto *panel = Named(new QWidget(parent), "pAbajoTag");
    pAbajoTag = panel;
    SpeedButton13 =
        FlatButton(panel, "SpeedButton13", QStringLiteral("Muestra los datos del primer fichero seleccionado"),
                   Picture("go-first", QStyle::SP_MediaSkipBackward));
    SpeedButton14 =
        FlatButton(panel, "SpeedButton14", QStringLiteral("Muestra los datos del anterior fichero seleccionado"),
                   Picture("go-previous", QStyle::SP_MediaSeekBackward));
    SpeedButton16 =
        FlatButton(panel, "SpeedButton16", QStringLiteral("Muestra los datos del siguiente fichero seleccionado"),
                   Picture("go-next", QStyle::SP_MediaSeekForward));
    SpeedButton15 =
        FlatButton(panel, "SpeedButton15", QStringLiteral("Muestra los datos del último fichero seleccionado"),
                   Picture("go-last", QStyle::SP_MediaSkipForward));
    sbActual = FlatButton(panel, "sbActual", QStringLiteral("Guarda todos los valores del fichero actual"),
                            Picture("document-save", QStyle::SP_DialogSaveButton), QStringLiteral("Actual"));
    sbV1aV2 =
        FlatButton(panel, "sbV1aV2", QStringLiteral("Traspasa los valores del ID3v1 al ID3v2 del fichero actual"),
                   CopyPicture(QStringLiteral("1→2")));
    sbV2aV1 =
        FlatButton(panel, "sbV2aV1", QStringLiteral("Traspasa los valores del ID3v2 al ID3v1 del fichero actual"),
                   CopyPicture(QStringLiteral("2→1")));
    for (QToolButton *copy : {sbV1aV2, sbV2aV1})
        copy->setIconSize(QSize(32, 16));
    SpeedButton17 = FlatButton(panel, "SpeedButton17", QStringLiteral("Elimina el tag"),
                                 Picture("edit-delete", QStyle::SP_TrashIcon));
    lbTantoDeTanto = Named(new QLabel(QStringLiteral("Fichero actual (0 de 0) :"), panel), "lbTantoDeTanto");
    lbFichero = Named(new QLineEdit(panel), "lbFichero");
    lbFichero->setReadOnly(true);
    lbFichero->setFocusPolicy(Qt::ClickFocus);
    lbFichero->setToolTip(QStringLiteral("Fichero actual"));
    lbFichero->setMinimumWidth(80);

    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    for (QToolButton *button : {SpeedButton13, SpeedButton14, SpeedButton16, SpeedButton15})
        row->addWidget(button);
    row->addSpacing(8);
    row->addWidget(sbActual);
    row->addWidget(sbV1aV2);
    row->addWidget(sbV2aV1);
    row->addWidget(SpeedButton17);
    row->addSpacing(8);
    row->addWidget(lbTantoDeTanto);
    row->addSpacing(4);
    row->addWidget(lbFichero, 1);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return panel;
}

QWidget *TfUtilities::BuildTagEditor()
{
    BuildV1Sheet();
    BuildV2Sheet();
    QWidget *panel = BuildBottomPanel(pcID3->parentWidget());

    using T = TfUtilities;
    const auto click = [this](QToolButton *button, void (T::*slot)()) {
        QObject::connect(button, &QToolButton::clicked, this, slot);
    };
    click(SpeedButton13, &T::SpeedButton13Click);
    click(SpeedButton14, &T::SpeedButton14Click);
    click(SpeedButton16, &T::SpeedButton16Click);
    click(SpeedButton15, &T::SpeedButton15Click);
    click(sbActual, &T::sbActualClick);
    click(sbV1aV2, &T::sbV1aV2Click);
    click(sbV2aV1, &T::sbV2aV1Click);
    click(SpeedButton17, &T::SpeedButton17Click);
    click(SpeedButton6, &T::SpeedButton6Click);
    click(SpeedButton7, &T::SpeedButton7Click);
    click(SpeedButton8, &T::SpeedButton8Click);
    click(SpeedButton11, &T::SpeedButton11Click);
    click(SpeedButton12, &T::SpeedButton12Click);
    click(SpeedButton9, &T::SpeedButton9Click);
    click(SpeedButton10, &T::SpeedButton10Click);
    click(SpeedButton18, &T::SpeedButton18Click);
    click(SpeedButton19, &T::SpeedButton19Click);
    click(SpeedButton20, &T::SpeedButton20Click);
    click(SpeedButton23, &T::SpeedButton23Click);
    click(SpeedButton24, &T::SpeedButton24Click);
    click(SpeedButton21, &T::SpeedButton21Click);
    click(SpeedButton22, &T::SpeedButton22Click);
    for (QSpinBox *spin : {sePistaV1, seAnoV1, sePistaV2, seAnoV2})
        QObject::connect(spin, &QSpinBox::valueChanged, this, &T::sePistaV1Change);
    QObject::connect(pcID3, &QTabWidget::currentChanged, this, &T::pcID3Change);
    QObject::connect(FicherosTag, &FileListView::Click, this, &T::FicherosTagClick);
    return panel;
}
