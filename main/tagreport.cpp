#include "main/tagreport.h"

#include "platform/failurelist.h"

void ReportUnsavedFiles(QWidget *parent, const Failures &failures)
{
    ReportFailureList(parent, QStringLiteral("No se han podido guardar los siguientes ficheros:"), failures);
}
