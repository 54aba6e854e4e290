#include "main/main.h"

#include "help/ayuda.h"
#include "main/extensionrules.h"
#include "platform/busycursor.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/placement.h"
#include "platform/settingskey.h"
#include "update/configuracion.h"
#include "update/version.h"
#include "update/versionrules.h"
#include "widgets/filelistview.h"
#include "widgets/foldertree.h"
#include "widgets/formstorage.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

TfUtilities::TfUtilities(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fUtilities"));
    setWindowTitle(QStringLiteral("Carvento utilities v. 1.0"));
    resize(600, 555);
    setMinimumSize(600, 346);
    CentreOnScreen(this);

    BuildMenu();
    pcPrincipal = new QTabWidget(this);
    pcPrincipal->setObjectName(QStringLiteral("pcPrincipal"));
    pcPrincipal->setDocumentMode(true);
    pcPrincipal->installEventFilter(this);
    setCentralWidget(pcPrincipal);
    BuildRenamerPage();
    BuildTagPage();
    BuildRenamerMenus();
    BuildUndoMenus();

    RecargaFicheros = new QTimer(this);
    RecargaFicheros->setObjectName(QStringLiteral("RecargaFicheros"));
    RecargaFicheros->setInterval(500);
    RecargaFicheros->setSingleShot(true);
    connect(RecargaFicheros, &QTimer::timeout, this, &TfUtilities::RecargaFicherosTimer);

    fsMemorizar = new FormStorage(this, SettingsKey::FilePath(), QStringLiteral("TfUtilities"),
        {QStringLiteral("cbExtensiones.Items"), QStringLiteral("edCadenaSeparacion.Text"),
         QStringLiteral("clbCampos.Items")});
    fsMemorizar->setObjectName(QStringLiteral("fsMemorizar"));
    connect(fsMemorizar, &FormStorage::Restored, this, &TfUtilities::SortExtensionList);

    FormCreate();
}

TfUtilities::~TfUtilities() { fsMemorizar->SaveBeforeDestruction(); }

void TfUtilities::FormCreate()
{
    BusyCursor busy;
    ReadFileVersion();
    ClearTagList();
    FillGenreLists();
    pcPrincipal->tabBar()->hide();
    // Hidden, it would still be where Tab goes next, and hold the focus there.
    pcPrincipal->tabBar()->setFocusPolicy(Qt::NoFocus);
    pcPrincipal->setCurrentWidget(tsRenombrador);
    pcID3->setCurrentWidget(tsID3v1);
    UpdateTitle(mmRenombrador->text());
    resizeConnected_ = false;

    // A store that cannot be opened, or a value of the wrong type, stops the reading; the
    // window opens all the same.
    SettingsKey key;
    const auto fail = [&] { Dialogs::Current().ReportError(this, key.LastError()); };
    if (!key.Open()) {
        fsMemorizar->SetReadFailureReported(); // the same file: once is enough
        return fail();
    }
    QString path;
    if (!key.ReadString(RutaRenombradorValue, path))
        return fail();
    RestoreFolder(path, Carpetas, Ficheros);
    if (!key.ReadString(RutaTagValue, path))
        return fail();
    RestoreFolder(path, CarpetasTag, FicherosTag);
    if (key.ValueExists(RevisarValue)) {
        bool check = false;
        if (!key.ReadBool(RevisarValue, check))
            return fail();
        if (check)
            CheckForNewVersion(this);
    } else if (!key.WriteBool(RevisarValue, false)) {
        return fail();
    }
    key.Close();
}

void TfUtilities::RestoreFolder(const QString &stored, FolderTree *tree, FileListView *list)
{
    if (stored.isEmpty())
        return;
    // A folder stored as plain text is that folder, also when its text reads as escaped bytes.
    QByteArray folder = PlainStoredPath(stored);
    if (!IsFolder(folder))
        folder = PathFromStored(stored);
    if (!IsFolder(folder))
        return;
    tree->SetNativeSelectedPath(folder);
    tree->OpenNativeFolder(folder);
    list->SetNativeDirectory(folder);
}

namespace {
// What the settings keep of a tree's folder: the folder in a form that gives back its bytes,
// or the tree's text when it names no folder ("Drives", nothing chosen).
QString StoredFolder(const FolderTree *tree)
{
    const QByteArray native = tree->NativeSelectedPath();
    return native.isEmpty() ? tree->SelectedPath() : StoredPath(native);
}
} // namespace

void TfUtilities::OpenPath(const QString &path)
{
    const QFileInfo target(path);
    if (path.isEmpty() || !target.exists())
        return;
    if (target.isDir()) {
        mmRenombradorClick();
        RestoreFolder(target.absoluteFilePath(), Carpetas, Ficheros);
        Ficheros->View()->setFocus();
        return;
    }
    const bool mp3 = target.suffix().compare(QStringLiteral("mp3"), Qt::CaseInsensitive) == 0;
    mp3 ? mmCvTagClick() : mmRenombradorClick();
    FileListView *list = mp3 ? FicherosTag : Ficheros;
    RestoreFolder(target.absolutePath(), mp3 ? CarpetasTag : Carpetas, list);
    for (int i = 0; i < list->Count(); ++i) {
        const bool chosen = list->Kind(i) == FileListView::EntryKind::File && list->Caption(i) == target.fileName();
        list->SetSelected(i, chosen);
        if (chosen)
            list->View()->scrollTo(list->View()->model()->index(i, 0, list->View()->rootIndex()));
    }
    if (mp3)
        FicherosTagClick();
    list->View()->setFocus();
}

bool TfUtilities::ReadFileVersion()
{
    const FileVersion version = ProgramVersion();
    VersionMajor = version.Major;
    VersionMinor = version.Minor;
    VersionRelease = version.Release;
    VersionBuild = version.Build;
    return true;
}

void TfUtilities::UpdateTitle(const QString &pageName)
{
    QString name = pageName;
    const qsizetype amp = name.indexOf(u'&');
    if (amp >= 0)
        name.remove(amp, 1);
    setWindowTitle(QStringLiteral("Carvento utilities v. %1.%2 Build %3 - %4")
                       .arg(VersionMajor)
                       .arg(VersionMinor)
                       .arg(VersionBuild)
                       .arg(name));
}

void TfUtilities::mmRenombradorClick()
{
    pcPrincipal->setCurrentWidget(tsRenombrador);
    UpdateTitle(mmRenombrador->text());
}

void TfUtilities::mmCvTagClick()
{
    pcPrincipal->setCurrentWidget(tsTag);
    UpdateTitle(mmCvTag->text());
}

void TfUtilities::Configuracin1Click()
{
    TfConfiguracion fConfiguracion(this);
    Dialogs::Current().Exec(fConfiguracion);
}

void TfUtilities::Ayuda1Click()
{
    TfAyuda fAyuda(this);
    Dialogs::Current().Exec(fAyuda);
}

void TfUtilities::Salir1Click() { close(); }

bool TfUtilities::eventFilter(QObject *watched, QEvent *event)
{
    // The pages change only through the menu, which names them in the title: the page
    // control's own keys would switch them behind its back.
    if (watched == pcPrincipal && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool pageKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab
                             || key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
        if (pageKey && key->modifiers().testFlag(Qt::ControlModifier)) {
            key->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfUtilities::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    FormShow(event);
}

void TfUtilities::FormShow(QShowEvent *) { resizeConnected_ = true; }

void TfUtilities::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (resizeConnected_)
        FormResize(event);
}

void TfUtilities::FormResize(QResizeEvent *)
{
    RecargaFicheros->stop();
    RecargaFicheros->start();
}

void TfUtilities::RecargaFicherosTimer()
{
    RecargaFicheros->stop();
    Ficheros->RereadFolder();
    FicherosTag->RereadFolder();
}

void TfUtilities::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    // Both go to the same file: when the form storage could not save there, it has said so.
    storageSaveFailed_ = fsMemorizar->IsRestored() && !fsMemorizar->Save();
    FormClose(event);
}

void TfUtilities::FormClose(QCloseEvent *)
{
    BusyCursor busy;
    SettingsKey key;
    bool written = key.Open();
    if (written) {
        written = key.WriteString(RutaRenombradorValue, StoredFolder(Carpetas));
        written = key.WriteString(RutaTagValue, StoredFolder(CarpetasTag)) && written;
        key.Close();
    }
    if (!written && !storageSaveFailed_)
        Dialogs::Current().ReportError(this, CannotSaveSettingsText(SettingsKey::FilePath()));
}
