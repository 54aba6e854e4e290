#pragma once

#include "main/main.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class FileListView;

// A fresh config folder (settings), state folder (the journal) and desktop folder for each
// main-window test.
class WindowEnvironment {
public:
    WindowEnvironment();
    ~WindowEnvironment();

    QString ConfigPath() const;
    QString SettingsFile() const;
    QString DesktopPath() const;

    void WriteSettingsFile(const QByteArray &ini);
    QByteArray ReadSettingsFile() const;
    // A value of the settings key, written as the program writes it.
    void WriteKeyText(const QString &name, const QString &value);
    QString ReadKeyText(const QString &name);
    // The folders a last run left open in the renamer and in the tag editor; a null one is
    // not stored.
    void StoreFolders(const QString &renamer, const QString &tag = QString());

    std::unique_ptr<TfUtilities> NewWindow();
    // A new window shown on the screen; null when it never appeared.
    std::unique_ptr<TfUtilities> NewShownWindow();

private:
    QTemporaryDir root_;
    QByteArray oldConfigHome_;
    QByteArray oldStateHome_;
};

QStringList Captions(const FileListView *list);
int IndexOf(const FileListView *list, const QString &caption);
// Clicks an entry with the mouse, as the user would; the list takes SelectedItem then.
void ClickEntry(FileListView *list, const QString &caption, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void SelectEntries(FileListView *list, const QStringList &captions);
