#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The text that lists files whose tag could not be saved: the heading
// "No se han podido guardar los siguientes ficheros:", an empty line, one name a line.
QString UnsavedFilesText(const QStringList &fileNames);

// Shows that list through Dialogs (caption "Atención", warning icon, OK); shows nothing
// when the list is empty.
void ReportUnsavedFiles(QWidget *parent, const QStringList &fileNames);
