#include "tests/main/windowfixture.h"

#include "platform/settingskey.h"
#include "widgets/filelistview.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QTest>

WindowEnvironment::WindowEnvironment()
{
    oldConfigHome_ = qgetenv("XDG_CONFIG_HOME");
    oldStateHome_ = qgetenv("XDG_STATE_HOME");
    QDir(root_.path()).mkpath(QStringLiteral("config"));
    QDir(root_.path()).mkpath(QStringLiteral("state"));
    qputenv("XDG_STATE_HOME", QFile::encodeName(root_.path() + QStringLiteral("/state")));
    QDir(root_.path()).mkpath(QStringLiteral("Escritorio"));
    qputenv("XDG_CONFIG_HOME", ConfigPath().toLocal8Bit());
    QFile dirs(ConfigPath() + QStringLiteral("/user-dirs.dirs"));
    if (dirs.open(QIODevice::WriteOnly))
        dirs.write("XDG_DESKTOP_DIR=\"" + DesktopPath().toLocal8Bit() + "\"\n");
}

WindowEnvironment::~WindowEnvironment()
{
    if (oldConfigHome_.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfigHome_);
    if (oldStateHome_.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", oldStateHome_);
}

QString WindowEnvironment::ConfigPath() const { return root_.path() + QStringLiteral("/config"); }
QString WindowEnvironment::SettingsFile() const { return SettingsKey::FilePath(); }
QString WindowEnvironment::DesktopPath() const { return root_.path() + QStringLiteral("/Escritorio"); }

void WindowEnvironment::WriteSettingsFile(const QByteArray &ini)
{
    QDir().mkpath(QFileInfo(SettingsFile()).absolutePath());
    QFile file(SettingsFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(ini);
}

QByteArray WindowEnvironment::ReadSettingsFile() const
{
    QFile file(SettingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WindowEnvironment::WriteKeyText(const QString &name, const QString &value)
{
    SettingsKey key;
    if (key.Open())
        key.WriteString(name, value);
    key.Close();
}

QString WindowEnvironment::ReadKeyText(const QString &name)
{
    SettingsKey key;
    QString value;
    if (key.Open())
        key.ReadString(name, value);
    return value;
}

std::unique_ptr<TfUtilities> WindowEnvironment::NewWindow() { return std::make_unique<TfUtilities>(); }

std::unique_ptr<TfUtilities> WindowEnvironment::NewShownWindow()
{
    auto window = NewWindow();
    window->show();
    return QTest::qWaitForWindowExposed(window.get()) ? std::move(window) : nullptr;
}

void WindowEnvironment::StoreFolders(const QString &renamer, const QString &tag)
{
    if (!renamer.isNull())
        WriteKeyText(QStringLiteral("RUTA RENOMBRADOR"), renamer);
    if (!tag.isNull())
        WriteKeyText(QStringLiteral("RUTA TAG"), tag);
}

QStringList Captions(const FileListView *list)
{
    QStringList captions;
    for (int i = 0; i < list->Count(); ++i)
        captions.append(list->Caption(i));
    return captions;
}

int IndexOf(const FileListView *list, const QString &caption) { return int(Captions(list).indexOf(caption)); }

void ClickEntry(FileListView *list, const QString &caption, Qt::KeyboardModifiers modifiers)
{
    QAbstractItemView *view = list->View();
    const QModelIndex index = view->model()->index(IndexOf(list, caption), 0, view->rootIndex());
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, view->visualRect(index).center());
}

void SelectEntries(FileListView *list, const QStringList &captions)
{
    for (int i = 0; i < list->Count(); ++i)
        list->SetSelected(i, captions.contains(list->Caption(i)));
}
