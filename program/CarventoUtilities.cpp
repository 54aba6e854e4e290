#include "main/main.h"
#include "platform/application.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (!HasGraphicalSession()) {
        std::fprintf(stderr, "%s\n", NoGraphicalSessionMessage().toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    SetUpApplication();

    TfUtilities fUtilities;
    fUtilities.show();
    return app.exec();
}
