#pragma once

#include "platform/failure.h"

class QWidget;

// Lists the files whose tag could not be saved under "No se han podido guardar los siguientes
// ficheros:" (see ReportFailureList); shows nothing when the list is empty.
void ReportUnsavedFiles(QWidget *parent, const Failures &failures);
