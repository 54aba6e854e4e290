#include "platform/failurelist.h"

#include "platform/dialogs.h"

QString FailureListText(const QString &heading, const QStringList &names)
{
    QString text = heading + QStringLiteral("\n\n");
    for (const QString &name : names)
        text += name + u'\n';
    return text;
}

void ReportFailureList(QWidget *parent, const QString &heading, const QStringList &names)
{
    if (names.isEmpty())
        return;
    Dialogs::Current().Message(parent, QStringLiteral("Atención"), FailureListText(heading, names),
                               Dialogs::Icon::Warning);
}
