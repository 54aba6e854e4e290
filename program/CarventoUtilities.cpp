#include "main/main.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
    QApplication::setApplicationDisplayName(QStringLiteral("Carvento Utilities"));

    TfUtilities fUtilities;
    fUtilities.show();
    return app.exec();
}
