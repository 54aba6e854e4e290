// Builds the main window's controls: menu bar, both pages and their context menus.
#include "main/main.h"

#include "main/extensionrules.h"
#include "main/glyphpicture.h"
#include "main/tagvalues.h"
#include "widgets/buttons.h"
#include "widgets/filelistview.h"
#include "widgets/flattabs.h"
#include "widgets/foldertree.h"
#include "widgets/picturemenubar.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace {
QAction *MenuItem(QObject *parent, const char *name, const QString &caption)
{
    auto *action = Named(new QAction(caption, parent), name);
    return action;
}

// Left: desktop button above a folder tree. Right: four view buttons above a file list.
QSplitter *PanePair(QWidget *page, QToolButton *desktop, FolderTree *tree, QToolButton *const (&views)[4],
                    FileListView *list)
{
    auto *splitter = new QSplitter(Qt::Horizontal, page);
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);

    auto *left = new QWidget(splitter);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(2);
    desktop->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    leftLayout->addWidget(desktop);
    leftLayout->addWidget(tree);

    auto *right = new QWidget(splitter);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(2);
    auto *viewBar = new QHBoxLayout;
    for (QToolButton *view : views)
        viewBar->addWidget(view);
    viewBar->addStretch();
    rightLayout->addLayout(viewBar);
    rightLayout->addWidget(list);

    splitter->addWidget(left);
    splitter->addWidget(right);
    // A wider window widens the tree too, so deep folder names stay readable.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({237, 360});
    tree->SetFileList(list);
    list->SetDirTree(tree);
    return splitter;
}

QToolButton *DesktopButton(QWidget *parent, const char *name)
{
    return FlatButton(parent, name, QStringLiteral("Abre la carpeta correspondiente al escritorio"),
                      Picture("user-desktop", QStyle::SP_DesktopIcon), QStringLiteral("Escritorio"));
}

void ViewButtons(QWidget *parent, const char *const (&names)[4], QToolButton *(&out)[4])
{
    static const QString hints[4] = {QStringLiteral("Iconos grandes"), QStringLiteral("Iconos pequeños"),
                                     QStringLiteral("Lista"), QStringLiteral("Detalles")};
    static const char *const icons[4] = {"view-list-icons", "view-list-compact", "view-list-text",
                                         "view-list-details"};
    static const QStyle::StandardPixmap fallbacks[4] = {QStyle::SP_FileDialogContentsView,
                                                        QStyle::SP_FileDialogListView,
                                                        QStyle::SP_FileDialogListView,
                                                        QStyle::SP_FileDialogDetailedView};
    for (int i = 0; i < 4; ++i)
        out[i] = FlatButton(parent, names[i], hints[i], Picture(icons[i], fallbacks[i]));
}

struct PaneNames {
    const char *desktop;
    const char *tree;
    const char *views[4];
    const char *list;
};

// Creates one page's pair of panes into the given members and returns their splitter.
QSplitter *BuildPanes(QWidget *page, const PaneNames &names, const QString &mask, QToolButton *&desktop,
                      FolderTree *&tree, QToolButton **const (&views)[4], FileListView *&list)
{
    desktop = DesktopButton(page, names.desktop);
    tree = Named(new FolderTree(page), names.tree);
    QToolButton *buttons[4];
    ViewButtons(page, names.views, buttons);
    for (int i = 0; i < 4; ++i)
        *views[i] = buttons[i];
    list = Named(new FileListView(page), names.list);
    list->SetMask(mask);
    return PanePair(page, desktop, tree, buttons, list);
}

// A page of the main page control, with the layout its controls go into.
QVBoxLayout *AddPage(QTabWidget *pages, const char *name, const QString &caption, QWidget *&page)
{
    page = Named(new QWidget, name);
    pages->addTab(page, caption);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    return layout;
}
} // namespace

void TfUtilities::BuildMenu()
{
    // Five commands and no submenus: each entry shows its picture beside its caption.
    MainMenu1 = Named(new PictureMenuBar(this), "MainMenu1");
    setMenuBar(MainMenu1);

    mmRenombrador = MenuItem(this, "mmRenombrador", QStringLiteral("&Renombrador"));
    mmRenombrador->setIcon(Picture("edit-rename", QStyle::SP_FileIcon));
    mmCvTag = MenuItem(this, "mmCvTag", QStringLiteral("&Cv-Tag"));
    mmCvTag->setIcon(Picture("audio-x-generic", QStyle::SP_MediaVolume));
    Configuracin1 = MenuItem(this, "Configuracin1", QStringLiteral("C&onfiguración"));
    Configuracin1->setIcon(Picture("preferences-system", QStyle::SP_FileDialogInfoView));
    Ayuda1 = MenuItem(this, "Ayuda1", QStringLiteral("&Ayuda"));
    Ayuda1->setIcon(ThemeOrGlyphPicture("help-about", QStringLiteral("?"), QColor(0x2A, 0x5D, 0xB0)));
    Ayuda1->setShortcut(QKeySequence(Qt::Key_F1));
    Salir1 = MenuItem(this, "Salir1", QStringLiteral("&Salir"));
    Salir1->setIcon(Picture("application-exit", QStyle::SP_DialogCloseButton));
    Salir1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    MainMenu1->addActions({mmRenombrador, mmCvTag, Configuracin1, Ayuda1, Salir1});
    connect(mmRenombrador, &QAction::triggered, this, &TfUtilities::mmRenombradorClick);
    connect(mmCvTag, &QAction::triggered, this, &TfUtilities::mmCvTagClick);
    connect(Configuracin1, &QAction::triggered, this, &TfUtilities::Configuracin1Click);
    connect(Ayuda1, &QAction::triggered, this, &TfUtilities::Ayuda1Click);
    connect(Salir1, &QAction::triggered, this, &TfUtilities::Salir1Click);
}

void TfUtilities::BuildRenamerPage()
{
    QVBoxLayout *page = AddPage(pcPrincipal, "tsRenombrador", QStringLiteral("Renombrador"), tsRenombrador);

    page->addWidget(BuildPanes(tsRenombrador,
                               {"sbEscritorio", "Carpetas",
                                {"sbIconosGrandes", "sbIconosPequenos", "sbLista", "sbDetalles"}, "Ficheros"},
                               QStringLiteral("*.*"), sbEscritorio, Carpetas,
                               {&sbIconosGrandes, &sbIconosPequenos, &sbLista, &sbDetalles}, Ficheros),
                    1);

    // Bottom bar: the extension list with its buttons, the file buttons, advanced renaming.
    auto *bar = new QGridLayout;
    bar->setHorizontalSpacing(2);
    Label1 = Named(new QLabel(QStringLiteral("Extensión :"), tsRenombrador), "Label1");
    sbAnhadirExtension = FlatButton(tsRenombrador, "sbAnhadirExtension",
                                    QStringLiteral("Añade extensión a la lista de extensiones"),
                                    Picture("list-add", Line::Plus));
    sbBorrarExtension = FlatButton(tsRenombrador, "sbBorrarExtension",
                                   QStringLiteral("Elimina extensión de la lista de extensiones"),
                                   Picture("list-remove", Line::Minus));
    cbExtensiones = Named(new QComboBox(tsRenombrador), "cbExtensiones");
    cbExtensiones->setEditable(false);
    cbExtensiones->addItems({QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("mp3"),
                             QStringLiteral("wma")});
    cbExtensiones->setCurrentIndex(-1);
    cbExtensiones->setMinimumContentsLength(8);
    Label2 = Named(new QLabel(QStringLiteral("Ficheros :"), tsRenombrador), "Label2");
    sbCambiarExtension = FlatButton(tsRenombrador, "sbCambiarExtension",
                                    QStringLiteral("Cambia la extensión de todos los ficheros seleccionados"),
                                    LinePicture(Line::ChangeExtension));
    sbAnhadirExtensionAFicheros = FlatButton(
        tsRenombrador, "sbAnhadirExtensionAFicheros",
        QStringLiteral("Añade la extensión a todos los ficheros seleccionados"),
        LinePicture(Line::AddExtension));
    sbEliminaExtension = FlatButton(tsRenombrador, "sbEliminaExtension",
                                    QStringLiteral("Elimina la extensión a todos los ficheros seleccionados"),
                                    LinePicture(Line::RemoveExtension));
    sbAvanzadas = FlatButton(tsRenombrador, "sbAvanzadas", QStringLiteral("Opciones de renombrado avanzado"),
                             Picture("edit-rename", QStyle::SP_FileDialogDetailedView),
                             QStringLiteral("Renombrar a&vanzado"));
    connect(sbAvanzadas, &QToolButton::clicked, this, &TfUtilities::sbAvanzadasClick);

    bar->addWidget(Label1, 0, 0, 1, 3);
    bar->addWidget(sbAnhadirExtension, 1, 0);
    bar->addWidget(sbBorrarExtension, 1, 1);
    bar->addWidget(cbExtensiones, 1, 2);
    bar->addItem(new QSpacerItem(12, 1), 1, 3);
    bar->addWidget(Label2, 0, 4, 1, 3);
    bar->addWidget(sbCambiarExtension, 1, 4);
    bar->addWidget(sbAnhadirExtensionAFicheros, 1, 5);
    bar->addWidget(sbEliminaExtension, 1, 6);
    bar->setColumnStretch(7, 1);
    bar->addWidget(sbAvanzadas, 1, 8);
    page->addLayout(bar);

    connect(sbEscritorio, &QToolButton::clicked, this, &TfUtilities::sbEscritorioClick);
    connect(sbIconosGrandes, &QToolButton::clicked, this, &TfUtilities::sbIconosGrandesClick);
    connect(sbIconosPequenos, &QToolButton::clicked, this, &TfUtilities::sbIconosPequenosClick);
    connect(sbLista, &QToolButton::clicked, this, &TfUtilities::sbListaClick);
    connect(sbDetalles, &QToolButton::clicked, this, &TfUtilities::sbDetallesClick);
    connect(sbAnhadirExtension, &QToolButton::clicked, this, &TfUtilities::sbAnhadirExtensionClick);
    connect(sbBorrarExtension, &QToolButton::clicked, this, &TfUtilities::sbBorrarExtensionClick);
    connect(sbCambiarExtension, &QToolButton::clicked, this, &TfUtilities::sbCambiarExtensionClick);
    connect(sbAnhadirExtensionAFicheros, &QToolButton::clicked, this,
            &TfUtilities::sbAnhadirExtensionAFicherosClick);
    connect(sbEliminaExtension, &QToolButton::clicked, this, &TfUtilities::sbEliminaExtensionClick);
}

void TfUtilities::BuildTagPage()
{
    QVBoxLayout *page = AddPage(pcPrincipal, "tsTag", QStringLiteral("Cv-Tag"), tsTag);

    auto *vertical = new QSplitter(Qt::Vertical, tsTag);
    vertical->setChildrenCollapsible(false);
    vertical->addWidget(BuildPanes(tsTag,
                                   {"SpeedButton1", "CarpetasTag",
                                    {"SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5"}, "FicherosTag"},
                                   QStringLiteral("*.mp3"), SpeedButton1, CarpetasTag,
                                   {&SpeedButton2, &SpeedButton3, &SpeedButton4, &SpeedButton5}, FicherosTag));

    // The editor: its sheets above, the panel of the current file below.
    auto *editor = new QWidget(tsTag);
    auto *editorLayout = new QVBoxLayout(editor);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    editorLayout->setSpacing(0);
    pcID3 = Named(new QTabWidget(editor), "pcID3");
    pcID3->setDocumentMode(true);
    editorLayout->addWidget(pcID3);
    vertical->addWidget(editor);
    // Height beyond the design size goes to the panes and, a third of it, to the editor.
    vertical->setStretchFactor(0, 2);
    vertical->setStretchFactor(1, 1);
    vertical->setSizes({280, 240});
    page->addWidget(vertical, 1);

    const auto sheet = [this](const char *name, const QString &caption) {
        auto *widget = Named(new QWidget, name);
        pcID3->addTab(widget, caption);
        return widget;
    };
    tsID3v1 = sheet("tsID3v1", QStringLiteral("ID3v1"));
    tsID3v2 = sheet("tsID3v2", QStringLiteral("ID3v2"));
    tsMasivo = sheet("tsMasivo", QStringLiteral("Masivo"));
    tsRenombrar = sheet("tsRenombrar", QStringLiteral("Renombrar ficheros"));

    editorLayout->insertWidget(0, FlatTabButtons(pcID3, editor));
    editorLayout->addWidget(BuildTagEditor());
    BuildMassSheet();
    BuildRenameSheet();

    pmFicherosTag = Named(new QMenu(this), "pmFicherosTag");
    FicherosTag->SetPopupMenu(pmFicherosTag);

    connect(SpeedButton1, &QToolButton::clicked, this, &TfUtilities::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfUtilities::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TfUtilities::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TfUtilities::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TfUtilities::SpeedButton5Click);
}

void TfUtilities::BuildRenamerMenus()
{
    pmCarpetas = Named(new QMenu(this), "pmCarpetas");
    Refrescar1 = Named(pmCarpetas->addAction(QStringLiteral("Refrescar")), "Refrescar1");
    connect(Refrescar1, &QAction::triggered, this, &TfUtilities::Refrescar1Click);

    pmFicheros = Named(new QMenu(this), "pmFicheros");
    Marcartodoslosficherosconestaextensin1 =
        Named(pmFicheros->addMenu(QStringLiteral("Seleccionar")), "Marcartodoslosficherosconestaextensin1");
    Todoslosficheros1 = Named(Marcartodoslosficherosconestaextensin1->addAction(QStringLiteral("Todos los ficheros")),
                              "Todoslosficheros1");
    pmExtension = Named(Marcartodoslosficherosconestaextensin1->addAction(
                            QStringLiteral("Todos los ficheros con la extensión:")),
                        "pmExtension");
    pmFicheros->addSeparator();
    pmCambiarExtension = Named(pmFicheros->addMenu(QStringLiteral("Cambiar extensión")), "pmCambiarExtension");
    pmAnhadirExtension = Named(pmFicheros->addMenu(QStringLiteral("Añadir extensión")), "pmAnhadirExtension");
    Eliminaextensin1 = Named(pmFicheros->addAction(QStringLiteral("Elimina extensión")), "Eliminaextensin1");
    pmFicheros->addSeparator();
    pmAnadir = Named(pmFicheros->addAction(QStringLiteral("Añadir a la lista de extensiones")), "pmAnadir");

    connect(Marcartodoslosficherosconestaextensin1, &QMenu::aboutToShow, this,
            &TfUtilities::Marcartodoslosficherosconestaextensin1Click);
    connect(Todoslosficheros1, &QAction::triggered, this, &TfUtilities::Todoslosficheros1Click);
    connect(pmExtension, &QAction::triggered, this, &TfUtilities::pmExtensionClick);
    connect(Eliminaextensin1, &QAction::triggered, this, &TfUtilities::Eliminaextensin1Click);
    connect(pmAnadir, &QAction::triggered, this, &TfUtilities::pmAnadirClick);
    connect(pmFicheros, &QMenu::aboutToShow, this, &TfUtilities::pmFicherosPopup);
    Ficheros->SetPopupMenu(pmFicheros);

    for (FolderTree *tree : {Carpetas, CarpetasTag}) {
        tree->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(tree, &QWidget::customContextMenuRequested, this,
                [this, tree](const QPoint &pos) { ShowPanePopup(pmCarpetas, tree->viewport(), pos); });
    }
    connect(Carpetas, &FolderTree::KeyDown, this, &TfUtilities::CarpetasKeyDown);
    connect(Ficheros, &FileListView::KeyDown, this, &TfUtilities::FicherosKeyDown);
    connect(CarpetasTag, &FolderTree::KeyDown, this, &TfUtilities::CarpetasTagKeyDown);
    connect(FicherosTag, &FileListView::KeyDown, this, &TfUtilities::CarpetasTagKeyDown);
}

void TfUtilities::FillGenreLists()
{
    const QStringList names = GenreItems();
    for (QComboBox *box : {cbGeneroV1, cbGeneroV2}) {
        box->clear();
        box->addItems(names);
        box->setCurrentIndex(-1);
    }
}
