// The tag editor's two edit sheets and the bottom panel under them.
#include "main/tageditorlayout.h"

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
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
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

void BuildV1Sheet(TfUtilities &w)
{
    QWidget *sheet = w.tsID3v1;
    w.edTituloV1 = Named(new QLineEdit(sheet), "edTituloV1");
    w.edArtistaV1 = Named(new QLineEdit(sheet), "edArtistaV1");
    w.edAlbumV1 = Named(new QLineEdit(sheet), "edAlbumV1");
    w.sePistaV1 = NumberBox(sheet, "sePistaV1", 99);
    w.seAnoV1 = NumberBox(sheet, "seAnoV1", 9999);
    w.cbGeneroV1 = GenreBox(sheet, "cbGeneroV1", false);
    w.edComentarioV1 = Named(new QLineEdit(sheet), "edComentarioV1");
    for (QLineEdit *edit : {w.edTituloV1, w.edArtistaV1, w.edAlbumV1, w.edComentarioV1})
        edit->setMaxLength(30);

    w.SpeedButton6 = SaveButton(sheet, "SpeedButton6");
    w.SpeedButton7 = SaveButton(sheet, "SpeedButton7");
    w.SpeedButton8 = SaveButton(sheet, "SpeedButton8");
    w.SpeedButton11 = NumberButton(sheet, "SpeedButton11");
    w.SpeedButton12 = SaveButton(sheet, "SpeedButton12");
    w.SpeedButton9 = SaveButton(sheet, "SpeedButton9");
    w.SpeedButton10 = SaveButton(sheet, "SpeedButton10");

    // Thirty characters need no more than this; a wide window leaves the rest empty.
    auto *content = new QWidget(sheet);
    const QFontMetrics metrics(w.edTituloV1->font());
    content->setMaximumWidth(metrics.averageCharWidth() * 40 + 260);
    auto *outer = new QHBoxLayout(sheet);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(content, 1);
    outer->addStretch(0);
    QGridLayout *grid = SheetGrid(content);
    sheet = content;
    grid->addWidget(Caption(sheet, QStringLiteral("Título :"), w.edTituloV1), 0, 0);
    grid->addLayout(Row({{W(w.edTituloV1), 1}, {W(w.SpeedButton6), 0}}), 0, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Artista :"), w.edArtistaV1), 1, 0);
    grid->addLayout(Row({{W(w.edArtistaV1), 1}, {W(w.SpeedButton7), 0}}), 1, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Álbum :"), w.edAlbumV1), 2, 0);
    grid->addLayout(Row({{W(w.edAlbumV1), 1}, {W(w.SpeedButton8), 0}}), 2, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Pista :"), w.sePistaV1), 3, 0);
    grid->addLayout(Row({{W(w.sePistaV1), 0},
                         {W(w.SpeedButton11), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Año :"), w.seAnoV1)), 0},
                         {W(w.seAnoV1), 0},
                         {W(w.SpeedButton12), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Género :"), w.cbGeneroV1)), 0},
                         {W(w.cbGeneroV1), 1},
                         {W(w.SpeedButton9), 0}}),
                    3, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Comentario :"), w.edComentarioV1), 4, 0);
    grid->addLayout(Row({{W(w.edComentarioV1), 1}, {W(w.SpeedButton10), 0}}), 4, 1);
    grid->setRowStretch(5, 1);

    QWidget::setTabOrder(w.edTituloV1, w.edArtistaV1);
    QWidget::setTabOrder(w.edArtistaV1, w.edAlbumV1);
    QWidget::setTabOrder(w.edAlbumV1, w.sePistaV1);
    QWidget::setTabOrder(w.sePistaV1, w.seAnoV1);
    QWidget::setTabOrder(w.seAnoV1, w.cbGeneroV1);
    QWidget::setTabOrder(w.cbGeneroV1, w.edComentarioV1);
}

void BuildV2Sheet(TfUtilities &w)
{
    QWidget *sheet = w.tsID3v2;
    w.edTituloV2 = Named(new QLineEdit(sheet), "edTituloV2");
    w.edArtistaV2 = Named(new QLineEdit(sheet), "edArtistaV2");
    w.edAlbumV2 = Named(new QLineEdit(sheet), "edAlbumV2");
    w.sePistaV2 = NumberBox(sheet, "sePistaV2", 99);
    w.seAnoV2 = NumberBox(sheet, "seAnoV2", 9999);
    w.cbGeneroV2 = GenreBox(sheet, "cbGeneroV2", true);
    w.mComentarioV2 = Named(new QPlainTextEdit(sheet), "mComentarioV2");
    w.mComentarioV2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.mComentarioV2->setTabChangesFocus(true);
    // Breaking only between words: looking for a break inside a word of megabytes (a tag
    // stuffed with one long run of characters) takes minutes.
    w.mComentarioV2->setWordWrapMode(QTextOption::WordWrap);
    // Version 2 texts have no length limit of their own.
    for (QLineEdit *edit : {w.edTituloV2, w.edArtistaV2, w.edAlbumV2})
        edit->setMaxLength(INT_MAX);
    w.cbGeneroV2->lineEdit()->setMaxLength(INT_MAX);

    w.SpeedButton18 = SaveButton(sheet, "SpeedButton18");
    w.SpeedButton19 = SaveButton(sheet, "SpeedButton19");
    w.SpeedButton20 = SaveButton(sheet, "SpeedButton20");
    w.SpeedButton23 = NumberButton(sheet, "SpeedButton23");
    w.SpeedButton24 = SaveButton(sheet, "SpeedButton24");
    w.SpeedButton21 = SaveButton(sheet, "SpeedButton21");
    w.SpeedButton22 = SaveButton(sheet, "SpeedButton22");

    QGridLayout *grid = SheetGrid(sheet);
    grid->addWidget(Caption(sheet, QStringLiteral("Título :"), w.edTituloV2), 0, 0);
    grid->addLayout(Row({{W(w.edTituloV2), 1}, {W(w.SpeedButton18), 0}}), 0, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Artista :"), w.edArtistaV2), 1, 0);
    grid->addLayout(Row({{W(w.edArtistaV2), 1},
                         {W(w.SpeedButton19), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Álbum :"), w.edAlbumV2)), 0},
                         {W(w.edAlbumV2), 1},
                         {W(w.SpeedButton20), 0}}),
                    1, 1);
    grid->addWidget(Caption(sheet, QStringLiteral("Pista :"), w.sePistaV2), 2, 0);
    grid->addLayout(Row({{W(w.sePistaV2), 0},
                         {W(w.SpeedButton23), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Año :"), w.seAnoV2)), 0},
                         {W(w.seAnoV2), 0},
                         {W(w.SpeedButton24), 0},
                         {Gap(12), 0},
                         {W(Caption(sheet, QStringLiteral("Género :"), w.cbGeneroV2)), 0},
                         {W(w.cbGeneroV2), 0},
                         {W(w.SpeedButton21), 0},
                         {new QSpacerItem(0, 1, QSizePolicy::Expanding, QSizePolicy::Minimum), 1}}),
                    2, 1);
    auto *commentLabel = Caption(sheet, QStringLiteral("Comentario :"), w.mComentarioV2);
    grid->addWidget(commentLabel, 3, 0, Qt::AlignTop);
    auto *commentRow = Row({{W(w.mComentarioV2), 1}, {W(w.SpeedButton22), 0}});
    commentRow->setAlignment(w.SpeedButton22, Qt::AlignTop);
    grid->addLayout(commentRow, 3, 1);
    grid->setRowStretch(3, 1);
    // Two lines of comment at least; more when the window is high.
    const QFontMetrics metrics(w.mComentarioV2->font());
    w.mComentarioV2->setMinimumHeight(metrics.lineSpacing() * 2 + 10);
    w.mComentarioV2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);

    QWidget::setTabOrder(w.edTituloV2, w.edArtistaV2);
    QWidget::setTabOrder(w.edArtistaV2, w.edAlbumV2);
    QWidget::setTabOrder(w.edAlbumV2, w.sePistaV2);
    QWidget::setTabOrder(w.sePistaV2, w.seAnoV2);
    QWidget::setTabOrder(w.seAnoV2, w.cbGeneroV2);
    QWidget::setTabOrder(w.cbGeneroV2, w.mComentarioV2);
}

QWidget *BuildBottomPanel(TfUtilities &w, QWidget *parent)
{
    auto *panel = Named(new QWidget(parent), "pAbajoTag");
    w.pAbajoTag = panel;
    w.SpeedButton13 =
        FlatButton(panel, "SpeedButton13", QStringLiteral("Muestra los datos del primer fichero seleccionado"),
                   Picture("go-first", QStyle::SP_MediaSkipBackward));
    w.SpeedButton14 =
        FlatButton(panel, "SpeedButton14", QStringLiteral("Muestra los datos del anterior fichero seleccionado"),
                   Picture("go-previous", QStyle::SP_MediaSeekBackward));
    w.SpeedButton16 =
        FlatButton(panel, "SpeedButton16", QStringLiteral("Muestra los datos del siguiente fichero seleccionado"),
                   Picture("go-next", QStyle::SP_MediaSeekForward));
    w.SpeedButton15 =
        FlatButton(panel, "SpeedButton15", QStringLiteral("Muestra los datos del último fichero seleccionado"),
                   Picture("go-last", QStyle::SP_MediaSkipForward));
    w.sbActual = FlatButton(panel, "sbActual", QStringLiteral("Guarda todos los valores del fichero actual"),
                            Picture("document-save", QStyle::SP_DialogSaveButton), QStringLiteral("Actual"));
    w.sbV1aV2 =
        FlatButton(panel, "sbV1aV2", QStringLiteral("Traspasa los valores del ID3v1 al ID3v2 del fichero actual"),
                   CopyPicture(QStringLiteral("1→2")));
    w.sbV2aV1 =
        FlatButton(panel, "sbV2aV1", QStringLiteral("Traspasa los valores del ID3v2 al ID3v1 del fichero actual"),
                   CopyPicture(QStringLiteral("2→1")));
    for (QToolButton *copy : {w.sbV1aV2, w.sbV2aV1})
        copy->setIconSize(QSize(32, 16));
    w.SpeedButton17 = FlatButton(panel, "SpeedButton17", QStringLiteral("Elimina el tag"),
                                 Picture("edit-delete", QStyle::SP_TrashIcon));
    w.lbTantoDeTanto = Named(new QLabel(QStringLiteral("Fichero actual (0 de 0) :"), panel), "lbTantoDeTanto");
    w.lbFichero = Named(new QLineEdit(panel), "lbFichero");
    w.lbFichero->setReadOnly(true);
    w.lbFichero->setFocusPolicy(Qt::ClickFocus);
    w.lbFichero->setToolTip(QStringLiteral("Fichero actual"));
    w.lbFichero->setMinimumWidth(80);

    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    for (QToolButton *button : {w.SpeedButton13, w.SpeedButton14, w.SpeedButton16, w.SpeedButton15})
        row->addWidget(button);
    row->addSpacing(8);
    row->addWidget(w.sbActual);
    row->addWidget(w.sbV1aV2);
    row->addWidget(w.sbV2aV1);
    row->addWidget(w.SpeedButton17);
    row->addSpacing(8);
    row->addWidget(w.lbTantoDeTanto);
    row->addSpacing(4);
    row->addWidget(w.lbFichero, 1);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return panel;
}

} // namespace

QWidget *BuildTagEditor(TfUtilities &w)
{
    BuildV1Sheet(w);
    BuildV2Sheet(w);
    QWidget *panel = BuildBottomPanel(w, w.pcID3->parentWidget());

    using T = TfUtilities;
    const auto click = [&w](QToolButton *button, void (T::*slot)()) {
        QObject::connect(button, &QToolButton::clicked, &w, slot);
    };
    click(w.SpeedButton13, &T::SpeedButton13Click);
    click(w.SpeedButton14, &T::SpeedButton14Click);
    click(w.SpeedButton16, &T::SpeedButton16Click);
    click(w.SpeedButton15, &T::SpeedButton15Click);
    click(w.sbActual, &T::sbActualClick);
    click(w.sbV1aV2, &T::sbV1aV2Click);
    click(w.sbV2aV1, &T::sbV2aV1Click);
    click(w.SpeedButton17, &T::SpeedButton17Click);
    click(w.SpeedButton6, &T::SpeedButton6Click);
    click(w.SpeedButton7, &T::SpeedButton7Click);
    click(w.SpeedButton8, &T::SpeedButton8Click);
    click(w.SpeedButton11, &T::SpeedButton11Click);
    click(w.SpeedButton12, &T::SpeedButton12Click);
    click(w.SpeedButton9, &T::SpeedButton9Click);
    click(w.SpeedButton10, &T::SpeedButton10Click);
    click(w.SpeedButton18, &T::SpeedButton18Click);
    click(w.SpeedButton19, &T::SpeedButton19Click);
    click(w.SpeedButton20, &T::SpeedButton20Click);
    click(w.SpeedButton23, &T::SpeedButton23Click);
    click(w.SpeedButton24, &T::SpeedButton24Click);
    click(w.SpeedButton21, &T::SpeedButton21Click);
    click(w.SpeedButton22, &T::SpeedButton22Click);
    for (QSpinBox *spin : {w.sePistaV1, w.seAnoV1, w.sePistaV2, w.seAnoV2})
        QObject::connect(spin, &QSpinBox::valueChanged, &w, &T::sePistaV1Change);
    QObject::connect(w.pcID3, &QTabWidget::currentChanged, &w, &T::pcID3Change);
    QObject::connect(w.FicherosTag, &FileListView::Click, &w, &T::FicherosTagClick);
    return panel;
}
