// Builds the controls of the tag editor's "Masivo" and "Renombrar ficheros" sheets.
#include "main/main.h"

#include "main/massrules.h"
#include "main/tagrenamerules.h"
#include "widgets/buttons.h"
#include "widgets/radiogroup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// A raised button that does not take the focus, so a value being typed is read as typed.
QToolButton *Button(QWidget *parent, const char *name, const QString &hint, const QIcon &icon,
                    const QString &caption = {})
{
    QToolButton *button = PictureButton(parent, name, hint, icon, caption);
    button->setIconSize(QSize(20, 20));
    return button;
}

QLabel *Label(QWidget *parent, const char *name, const QString &caption)
{
    return Named(new QLabel(caption, parent), name);
}
} // namespace

// "Masivo": the assignment above, the transfers (left) and the removals (right) below.
void TfUtilities::BuildMassSheet()
{
    QWidget *sheet = tsMasivo;
    auto *layout = new QVBoxLayout(sheet);
    auto *assign = new QGridLayout;
    rgID3 = Named(new RadioGroup(QStringLiteral(" A la versión de tag "),
                                 {QStringLiteral("ID3v1"), QStringLiteral("ID3v2")}, 2, sheet),
                  "rgID3");
    rgID3->SetItemIndex(0);
    Label10 = Label(sheet, "Label10", QStringLiteral("Asignar el valor :"));
    cbValores = Named(new QComboBox(sheet), "cbValores");
    cbValores->setEditable(true);
    cbValores->setInsertPolicy(QComboBox::NoInsert);
    // A typed value is written into every file as it stands: never complete it unasked.
    cbValores->setCompleter(nullptr);
    cbValores->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    cbValores->setMinimumContentsLength(22);
    cbValores->setMaximumWidth(cbValores->fontMetrics().averageCharWidth() * 60);
    Label10->setBuddy(cbValores);
    Label12 = Label(sheet, "Label12", QStringLiteral("En el campo :"));
    cbCampo = Named(new QComboBox(sheet), "cbCampo");
    cbCampo->setEditable(false);
    cbCampo->addItems(MassFieldChoices());
    cbCampo->setCurrentIndex(-1);
    Label12->setBuddy(cbCampo);
    SpeedButton29 = Button(sheet, "SpeedButton29",
                           QStringLiteral("Guardar los valores en todos los ficheros seleccionados"),
                           Picture("document-save-all", QStyle::SP_DialogSaveButton), QStringLiteral("Todos"));
    assign->addWidget(rgID3, 0, 0, 2, 1);
    assign->addWidget(Label10, 0, 1);
    assign->addWidget(cbValores, 1, 1);
    assign->addWidget(Label12, 0, 2);
    assign->addWidget(cbCampo, 1, 2);
    assign->addWidget(SpeedButton29, 1, 3);
    assign->setColumnStretch(1, 1);
    assign->setColumnStretch(4, 1); // a wide window does not stretch the value endlessly
    layout->addLayout(assign);

    auto *lower = new QGridLayout;
    Label11 = Label(sheet, "Label11", QStringLiteral("Traspasar datos entre versiones :"));
    SpeedButton25 = Button(
        sheet, "SpeedButton25",
        QStringLiteral("Traspasa los valores del ID3v1 al ID3v2 de todos los ficheros seleccionados"),
        Picture("go-next", QStyle::SP_ArrowForward), QStringLiteral("ID3v1 → ID3v2"));
    SpeedButton26 = Button(
        sheet, "SpeedButton26",
        QStringLiteral("Traspasa los valores del ID3v2 al ID3v1 de todos los ficheros seleccionados"),
        Picture("go-previous", QStyle::SP_ArrowBack), QStringLiteral("ID3v2 → ID3v1"));
    Label13 = Label(sheet, "Label13", QStringLiteral("Borrar todos los tag de los ficheros :"));
    SpeedButton27 = Button(sheet, "SpeedButton27",
                           QStringLiteral("Elimina el tag versión 1 de todos los ficheros seleccionados"),
                           Picture("edit-delete", QStyle::SP_TrashIcon), QStringLiteral("ID3v1"));
    SpeedButton28 = Button(sheet, "SpeedButton28",
                           QStringLiteral("Elimina el tag versión 2 de todos los ficheros seleccionados"),
                           Picture("edit-delete", QStyle::SP_TrashIcon), QStringLiteral("ID3v2"));
    lower->addWidget(Label11, 0, 0, 1, 3);
    lower->addWidget(SpeedButton25, 1, 0);
    lower->addWidget(SpeedButton26, 1, 1);
    lower->setColumnStretch(2, 1);
    lower->addWidget(Label13, 0, 3, 1, 3);
    lower->addWidget(SpeedButton27, 1, 3);
    lower->addWidget(SpeedButton28, 1, 4);
    lower->setColumnStretch(5, 1);
    layout->addSpacing(8);
    layout->addLayout(lower);
    layout->addStretch();

    connect(SpeedButton29, &QToolButton::clicked, this, &TfUtilities::SpeedButton29Click);
    connect(SpeedButton25, &QToolButton::clicked, this, &TfUtilities::SpeedButton25Click);
    connect(SpeedButton26, &QToolButton::clicked, this, &TfUtilities::SpeedButton26Click);
    connect(SpeedButton27, &QToolButton::clicked, this, &TfUtilities::SpeedButton27Click);
    connect(SpeedButton28, &QToolButton::clicked, this, &TfUtilities::SpeedButton28Click);
}

// "Renombrar ficheros": options on the left, the preview filling the right.
void TfUtilities::BuildRenameSheet()
{
    QWidget *sheet = tsRenombrar;
    Label15 = Label(sheet, "Label15", QStringLiteral("Versión de tag :"));
    rgID3Renombrar = Named(new RadioGroup(QString(), {QStringLiteral("ID3v1"), QStringLiteral("ID3v2")}, 2, sheet),
                           "rgID3Renombrar");
    rgID3Renombrar->SetItemIndex(0);
    rgID3Renombrar->setFlat(true); // its label stands beside it
    rgID3Renombrar->layout()->setContentsMargins(0, 0, 0, 0);
    rgID3Renombrar->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    Label14 = Label(sheet, "Label14", QStringLiteral("Campos :"));
    clbCampos = Named(new QListWidget(sheet), "clbCampos");
    for (const QString &field : RenameFields()) {
        auto *item = new QListWidgetItem(field, clbCampos);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    Label18 = Label(sheet, "Label18", QStringLiteral("Cadena separación entre campos :"));
    edCadenaSeparacion = Named(new QLineEdit(sheet), "edCadenaSeparacion");
    SpeedButton30 = Button(sheet, "SpeedButton30", QStringLiteral("Subir campo"),
                           Picture("go-up", QStyle::SP_ArrowUp));
    SpeedButton31 = Button(sheet, "SpeedButton31", QStringLiteral("Bajar campo"),
                           Picture("go-down", QStyle::SP_ArrowDown));
    Label17 = Label(sheet, "Label17", QStringLiteral("Vista previa :"));
    mPrevioRenombre = Named(new QPlainTextEdit(sheet), "mPrevioRenombre");
    mPrevioRenombre->setReadOnly(true);
    mPrevioRenombre->setLineWrapMode(QPlainTextEdit::NoWrap);
    mPrevioRenombre->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mPrevioRenombre->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mPrevioRenombre->setTabChangesFocus(true);
    Label17->setBuddy(mPrevioRenombre);
    SpeedButton32 = Button(sheet, "SpeedButton32",
                           QStringLiteral("Renombra todos los ficheros seleccionados a partir de las opciones"),
                           Picture("edit-rename", QStyle::SP_FileDialogDetailedView),
                           QStringLiteral("Renombrar todos los ficheros"));
    SpeedButton32->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    clbCampos->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    // All four fields in view, no more, each row a check box beside a line of text, with room
    // between the boxes.
    constexpr int gap = 2; // around each row
    clbCampos->setSpacing(gap);
    const int rowHeight = std::max(clbCampos->fontMetrics().height(),
                                   clbCampos->style()->pixelMetric(QStyle::PM_IndicatorHeight))
                          + 2 * gap;
    const int listHeight = (rowHeight + gap) * clbCampos->count() + gap + 2 * clbCampos->frameWidth();
    clbCampos->setFixedHeight(listHeight);
    int textWidth = 0;
    for (int i = 0; i < clbCampos->count(); ++i)
        textWidth = qMax(textWidth, clbCampos->fontMetrics().horizontalAdvance(clbCampos->item(i)->text()));
    clbCampos->setFixedWidth(textWidth + listHeight / clbCampos->count() + 2 * clbCampos->frameWidth() + 24);
    clbCampos->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Label14->setBuddy(clbCampos);
    Label18->setBuddy(edCadenaSeparacion);

    // Compact enough for the window's smallest size: each label beside its control.
    auto *layout = new QGridLayout(sheet);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setVerticalSpacing(4);
    auto *moves = new QVBoxLayout;
    moves->setSpacing(2);
    moves->addWidget(SpeedButton30);
    moves->addWidget(SpeedButton31);
    moves->addStretch();
    layout->addWidget(Label15, 0, 0);
    layout->addWidget(rgID3Renombrar, 0, 1, 1, 2);
    layout->addWidget(Label14, 1, 0, Qt::AlignTop);
    layout->addWidget(clbCampos, 1, 1);
    layout->addLayout(moves, 1, 2);
    layout->addWidget(Label18, 2, 0);
    layout->addWidget(edCadenaSeparacion, 2, 1, 1, 2);
    layout->setRowStretch(3, 1);
    layout->addWidget(SpeedButton32, 4, 0, 1, 3);
    layout->addItem(new QSpacerItem(8, 1), 0, 3);
    layout->addWidget(Label17, 0, 4);
    layout->addWidget(mPrevioRenombre, 1, 4, 4, 1);
    layout->setColumnStretch(4, 1);

    connect(clbCampos, &QListWidget::itemChanged, this, [this](QListWidgetItem *) { clbCamposClickCheck(); });
    connect(edCadenaSeparacion, &QLineEdit::textChanged, this, &TfUtilities::edCadenaSeparacionChange);
    connect(rgID3Renombrar, &RadioGroup::Click, this, &TfUtilities::rgID3RenombrarClick);
    connect(SpeedButton30, &QToolButton::clicked, this, &TfUtilities::SpeedButton30Click);
    connect(SpeedButton31, &QToolButton::clicked, this, &TfUtilities::SpeedButton31Click);
    connect(SpeedButton32, &QToolButton::clicked, this, &TfUtilities::SpeedButton32Click);
}
