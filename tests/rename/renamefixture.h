#pragma once

#include "widgets/filelistview.h"

#include <QObject>
#include <QStringList>
#include <QTest>

#include <vector>

class QDialog;
class QWidget;

// The child of a window with that object name, failing the test when there is none.
template <typename T>
T *Child(const QObject *parent, const char *name)
{
    T *child = parent->findChild<T *>(QString::fromLatin1(name));
    if (!child)
        qWarning("no child %s", name);
    return child;
}

// Files named so, as entries of the file list.
std::vector<FileListView::SelectedEntry> FileEntries(const QStringList &names);

// Types into a focused field as the user would, then leaves it.
void TypeInto(QWidget *field, const QString &text);

// A value of the INI settings file of the small dialogs ("" when absent).
QString IniValue(const QString &section, const QString &entry);
