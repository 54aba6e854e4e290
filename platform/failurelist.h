#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The message listing what an operation on many files could not do: the heading, an empty
// line, then one name per line.
QString FailureListText(const QString &heading, const QStringList &names);

// Shows that message through Dialogs (caption "Atención", warning icon, OK); nothing when the
// list is empty.
void ReportFailureList(QWidget *parent, const QString &heading, const QStringList &names);
