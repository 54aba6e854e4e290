#include "main/main.h"
#include "platform/application.h"
#include "tags/SaveGroup.h"

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
    cvtags::RecoverInterruptedSaves();           // saves a crash cut short, before any window

    TfUtilities fUtilities;
    fUtilities.show();
    return app.exec();
}
