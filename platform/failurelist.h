#pragma once

#include "platform/failure.h"

#include <QString>

class QWidget;

// Shows FailureListText through Dialogs (caption "Atención", warning icon, OK); nothing when
// the list is empty.
void ReportFailureList(QWidget *parent, const QString &heading, const Failures &failures);
