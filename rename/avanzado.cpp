// The advanced-rename dialog: its controls, the old-name list and the editor of new names.
#include "rename/avanzado.h"

#include "platform/dialogs.h"
#include "rename/formparts.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int KindRole = Qt::UserRole;
constexpr int NativeRole = Qt::UserRole + 1; // the bytes of the entry's name
constexpr int MinimumListWidth = 200;
} // namespace

TfAvanzado::TfAvanzado(QWidget *parent) : TfAvanzado({}, parent) {}

TfAvanzado::TfAvanzado(const std::vector<FileListView::SelectedEntry> &entries, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fAvanzado"));
    setWindowTitle(QStringLiteral("Renombrar avanzado"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    BuildControls();
    // Never so narrow that the buttons' captions would be cut.
    setMinimumSize(QSize(676, 300).expandedTo(layout()->minimumSize()));
    resize(minimumSize());
    CentreOnScreen(this);
    FormCreate(entries);
}

void TfAvanzado::BuildControls()
{
    Label1 = BoldLabel(this, "Label1", QStringLiteral("Original :"));
    sbTraspasar = FlatButton(this, "sbTraspasar", QStringLiteral("Copiar los nombres de los ficheros originales"),
                             Picture("go-next", QStyle::SP_ArrowRight), QString(), Qt::TabFocus);
    lbRenombrados = BoldLabel(this, "lbRenombrados", QStringLiteral("Renombrados :"));
    lbOriginal = Named(new QListWidget(this), "lbOriginal");
    lbOriginal->setSelectionMode(QAbstractItemView::SingleSelection);
    lbOriginal->setMinimumWidth(MinimumListWidth);
    lbOriginal->setUniformItemSizes(true);
    GreyBackground(lbOriginal);
    mRenombrados = Named(new QPlainTextEdit(this), "mRenombrados");
    mRenombrados->setLineWrapMode(QPlainTextEdit::NoWrap);
    mRenombrados->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mRenombrados->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mRenombrados->setMinimumWidth(120);
    // A name never holds a tab: Tab goes on to the next control, as everywhere else.
    mRenombrados->setTabChangesFocus(true);
    lbPosicion = Named(new QLabel(QStringLiteral("Posición : 0"), this), "lbPosicion");

    sbCargarFichero = FlatButton(this, "sbCargarFichero", QStringLiteral("Cargar texto desde un fichero"),
                                 Picture("document-open", QStyle::SP_DialogOpenButton),
                                 QStringLiteral("Cargar &fichero"), Qt::TabFocus);
    sbNumerar = FlatButton(this, "sbNumerar", QStringLiteral("Agregar numeración a los ficheros"),
                           Picture("format-list-ordered", QStyle::SP_FileDialogListView), QStringLiteral("&Numerar"),
                           Qt::TabFocus);
    sbAgregar =
        FlatButton(this, "sbAgregar", QStringLiteral("Agregar cadena"),
                   Picture("list-add", Line::Plus), QStringLiteral("&Agregar"), Qt::TabFocus);
    sbEliminar =
        FlatButton(this, "sbEliminar", QStringLiteral("Elimina caracteres"),
                   Picture("edit-delete", QStyle::SP_DialogDiscardButton), QStringLiteral("&Eliminar"), Qt::TabFocus);
    sbSustituir =
        FlatButton(this, "sbSustituir", QStringLiteral("Sustituye una cadena por otra"),
                   Picture("edit-find-replace", QStyle::SP_BrowserReload), QStringLiteral("&Sustituir"), Qt::TabFocus);
    sbDeshacer = FlatButton(this, "sbDeshacer", QStringLiteral("Deshace los últimos cambios realizados"),
                            Picture("edit-undo", QStyle::SP_ArrowBack), QStringLiteral("&Deshacer"), Qt::TabFocus);
    sbDeshacer->setEnabled(false);
    sbRenombrar = FlatButton(this, "sbRenombrar", QStringLiteral("Cerrar esta ventana renombrando"),
                             Picture("dialog-ok-apply", QStyle::SP_DialogApplyButton), QStringLiteral("&Renombrar"),
                             Qt::TabFocus);
    sbCerrar =
        FlatButton(this, "sbCerrar", QStringLiteral("Cerrar esta ventana sin renombrar"),
                   Picture("window-close", QStyle::SP_DialogCloseButton), QStringLiteral("&Cerrar"), Qt::TabFocus);

    pmOriginal = Named(new QMenu(this), "pmOriginal");
    Moverarriba1 = Named(pmOriginal->addAction(QStringLiteral("Mover arriba")), "Moverarriba1");
    Moverabajo1 = Named(pmOriginal->addAction(QStringLiteral("Mover abajo")), "Moverabajo1");
    lbOriginal->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lbOriginal, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { pmOriginal->popup(lbOriginal->viewport()->mapToGlobal(pos)); });

    // The header of each side stays over its side whatever the splitter does: the copy button
    // just left of the splitter, "Renombrados :" over the editor.
    auto *left = new QWidget(this);
    auto *leftLayout = new QGridLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(Label1, 0, 0);
    leftLayout->addWidget(sbTraspasar, 0, 1, Qt::AlignRight);
    leftLayout->addWidget(lbOriginal, 1, 0, 1, 2);
    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    lbRenombrados->setMinimumHeight(sbTraspasar->sizeHint().height());
    rightLayout->addWidget(lbRenombrados);
    rightLayout->addWidget(mRenombrados, 1);
    rightLayout->addWidget(lbPosicion, 0, Qt::AlignLeft | Qt::AlignBottom);

    Splitter1 = Named(new QSplitter(Qt::Horizontal, this), "Splitter1");
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(left);
    Splitter1->addWidget(right);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({MinimumListWidth + 60, 400});

    auto *bar = new QHBoxLayout;
    bar->setSpacing(2);
    for (QToolButton *button : {sbCargarFichero, sbNumerar, sbAgregar, sbEliminar, sbSustituir, sbDeshacer})
        bar->addWidget(button);
    bar->addStretch(1);
    bar->addWidget(sbRenombrar);
    bar->addWidget(sbCerrar);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Splitter1, 1);
    layout->addLayout(bar);

    // Left to right: the old names, the copy button between them, the new names, the bar.
    QWidget::setTabOrder(lbOriginal, sbTraspasar);
    QWidget::setTabOrder(sbTraspasar, mRenombrados);
    QWidget *previous = mRenombrados;
    for (QToolButton *button :
         {sbCargarFichero, sbNumerar, sbAgregar, sbEliminar, sbSustituir, sbDeshacer, sbRenombrar, sbCerrar}) {
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
    mRenombrados->setFocus();

    lbOriginal->installEventFilter(this);
    mRenombrados->installEventFilter(this);
    mRenombrados->viewport()->installEventFilter(this);

    connect(Splitter1, &QSplitter::splitterMoved, this, &TfAvanzado::Splitter1Moved);
    connect(Moverarriba1, &QAction::triggered, this, &TfAvanzado::Moverarriba1Click);
    connect(Moverabajo1, &QAction::triggered, this, &TfAvanzado::Moverabajo1Click);
    connect(sbTraspasar, &QToolButton::clicked, this, &TfAvanzado::sbTraspasarClick);
    connect(sbCargarFichero, &QToolButton::clicked, this, &TfAvanzado::sbCargarFicheroClick);
    connect(sbNumerar, &QToolButton::clicked, this, &TfAvanzado::sbNumerarClick);
    connect(sbAgregar, &QToolButton::clicked, this, &TfAvanzado::sbAgregarClick);
    connect(sbEliminar, &QToolButton::clicked, this, &TfAvanzado::sbEliminarClick);
    connect(sbSustituir, &QToolButton::clicked, this, &TfAvanzado::sbSustituirClick);
    connect(sbDeshacer, &QToolButton::clicked, this, &TfAvanzado::sbDeshacerClick);
    connect(sbRenombrar, &QToolButton::clicked, this, &TfAvanzado::sbRenombrarClick);
    connect(sbCerrar, &QToolButton::clicked, this, &TfAvanzado::sbCerrarClick);
    connect(mRenombrados, &QPlainTextEdit::textChanged, this, &TfAvanzado::mRenombradosChange);
    connect(mRenombrados, &QPlainTextEdit::cursorPositionChanged, this, &TfAvanzado::UpdatePositionLabel);
}

void TfAvanzado::FormCreate(const std::vector<FileListView::SelectedEntry> &entries)
{
    UndoLines.clear();
    lbOriginal->setUpdatesEnabled(false);
    for (const FileListView::SelectedEntry &entry : entries) {
        auto *item = new QListWidgetItem(entry.name);
        item->setData(KindRole, int(entry.kind));
        item->setData(NativeRole, entry.native);
        lbOriginal->addItem(item);
    }
    lbOriginal->setUpdatesEnabled(true);
    SetLines(QStringList(qsizetype(entries.size()), QString()));
}

void TfAvanzado::FormClose(QCloseEvent *) { UndoLines = QStringList(); }

void TfAvanzado::done(int result)
{
    if (result != QDialog::Accepted)
        FormClose(nullptr);
    QDialog::done(result);
}

void TfAvanzado::reject()
{
    const QStringList lines = Lines();
    const bool written = std::any_of(lines.begin(), lines.end(), [](const QString &line) { return !line.isEmpty(); });
    if (written
        && !Dialogs::Current().Ask(this, QStringLiteral("Confirmación"),
                                   QStringLiteral("Los nombres nuevos escritos se perderán. ¿Cerrar sin renombrar?"),
                                   Dialogs::Icon::Question))
        return;
    QDialog::reject();
}

std::vector<FileListView::SelectedEntry> TfAvanzado::Entries() const
{
    std::vector<FileListView::SelectedEntry> entries;
    entries.reserve(std::size_t(lbOriginal->count()));
    for (int i = 0; i < lbOriginal->count(); ++i) {
        const QListWidgetItem *item = lbOriginal->item(i);
        entries.push_back({FileListView::EntryKind(item->data(KindRole).toInt()), item->text(),
                           item->data(NativeRole).toByteArray()});
    }
    return entries;
}

QStringList TfAvanzado::Lines() const
{
    // The raw text keeps every character as typed (no-break spaces stay). Blocks are lines, and
    // so is whatever shows as a line of its own: Shift+Enter's line separator, or a carriage
    // return that came in through the clipboard.
    QString text = mRenombrados->document()->toRawText();
    text.replace(QStringLiteral("\r\n"), QString(QChar::ParagraphSeparator));
    for (QChar &c : text)
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator)
            c = QChar::ParagraphSeparator;
    return text.split(QChar::ParagraphSeparator);
}

void TfAvanzado::SetLines(const QStringList &lines) { mRenombrados->setPlainText(lines.join(u'\n')); }

void TfAvanzado::keyPressEvent(QKeyEvent *event)
{
    // Escape would throw away every name typed; only "&Cerrar" and the close box leave.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfAvanzado::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lbOriginal && event->type() == QEvent::KeyPress) {
        // The handler accepts what it takes; anything else goes on as it came, so a key the
        // list acts on (Tab) is not passed on to the dialog to be acted on again.
        auto *key = static_cast<QKeyEvent *>(event);
        const bool accepted = key->isAccepted();
        key->ignore();
        lbOriginalKeyDown(key);
        if (key->isAccepted())
            return true;
        key->setAccepted(accepted);
    } else if (watched == mRenombrados && event->type() == QEvent::KeyRelease) {
        mRenombradosKeyUp(static_cast<QKeyEvent *>(event));
    } else if (watched == mRenombrados->viewport() && event->type() == QEvent::MouseButtonRelease) {
        mRenombradosMouseUp(static_cast<QMouseEvent *>(event));
    }
    return QDialog::eventFilter(watched, event);
}

void TfAvanzado::lbOriginalKeyDown(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ShiftModifier && event->key() == Qt::Key_Down) {
        event->accept();
        MoveOriginalDown();
    } else if (modifiers == Qt::ShiftModifier && event->key() == Qt::Key_Up) {
        event->accept();
        MoveOriginalUp();
    }
}

void TfAvanzado::mRenombradosKeyUp(QKeyEvent *) { UpdatePositionLabel(); }
void TfAvanzado::mRenombradosMouseUp(QMouseEvent *) { UpdatePositionLabel(); }
void TfAvanzado::mRenombradosChange() { UpdatePositionLabel(); }

void TfAvanzado::UpdatePositionLabel()
{
    const int caret = mRenombrados->textCursor().selectionStart();
    const QTextBlock block = mRenombrados->document()->findBlock(caret);
    const QString before = block.text().left(caret - block.position());
    lbPosicion->setText(QStringLiteral("Posición : ") + QString::number(before.toUcs4().size()));
}

void TfAvanzado::Splitter1Moved()
{
    const QList<int> sizes = Splitter1->sizes();
    if (sizes.size() == 2 && sizes.at(0) < MinimumListWidth)
        Splitter1->setSizes({MinimumListWidth, sizes.at(0) + sizes.at(1) - MinimumListWidth});
}

void TfAvanzado::Moverarriba1Click() { MoveOriginalUp(); }
void TfAvanzado::Moverabajo1Click() { MoveOriginalDown(); }
void TfAvanzado::MoveOriginalUp() { MoveOriginal(-1); }
void TfAvanzado::MoveOriginalDown() { MoveOriginal(1); }

void TfAvanzado::MoveOriginal(int step)
{
    const QList<QListWidgetItem *> selected = lbOriginal->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = lbOriginal->row(selected.first());
    const int target = row + step;
    if (target < 0 || target >= lbOriginal->count())
        return;
    QListWidgetItem *item = lbOriginal->takeItem(row);
    lbOriginal->insertItem(target, item);
    lbOriginal->setCurrentItem(item);
    item->setSelected(true);
}

void TfAvanzado::sbCerrarClick() { reject(); }
