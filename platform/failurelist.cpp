#include "platform/failurelist.h"

#include "platform/dialogs.h"

void ReportFailureList(QWidget *parent, const QString &heading, const Failures &failures)
{
    if (failures.isEmpty())
        return;
    Dialogs::Current().Message(parent, QStringLiteral("Atención"), FailureListText(heading, failures),
                               Dialogs::Icon::Warning);
}
