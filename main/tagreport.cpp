#include "main/tagreport.h"

#include "platform/failurelist.h"

void ReportUnsavedFiles(QWidget *parent, const QStringList &fileNames)
{
    ReportFailureList(parent, QStringLiteral("No se han podido guardar los siguientes ficheros:"), fileNames);
}
