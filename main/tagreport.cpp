#include "main/tagreport.h"

#include "platform/dialogs.h"

QString UnsavedFilesText(const QStringList &fileNames)
{
    QString text = QStringLiteral("No se han podido guardar los siguientes ficheros:\n\n");
    for (const QString &name : fileNames)
        text += name + u'\n';
    return text;
}

void ReportUnsavedFiles(QWidget *parent, const QStringList &fileNames)
{
    if (fileNames.isEmpty())
        return;
    Dialogs::Current().Message(parent, QStringLiteral("Atención"), UnsavedFilesText(fileNames),
                               Dialogs::Icon::Warning);
}
