#include "platform/application.h"

#include <QApplication>

QString ProgramName() { return QStringLiteral("Carvento Utilities"); }

QString DesktopId() { return QStringLiteral(CV_APP_ID); }

QIcon ProgramIcon()
{
    // Nothing else refers to the resource's object inside the static library, so the
    // linker would leave it out of the program.
    Q_INIT_RESOURCE(carvento);
    return QIcon::fromTheme(DesktopId(), QIcon(QStringLiteral(":/icons/%1.svg").arg(DesktopId())));
}

bool HasGraphicalSession(const QProcessEnvironment &env)
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!env.value(QString::fromLatin1(name)).isEmpty())
            return true;
    }
    return false;
}

QString NoGraphicalSessionMessage()
{
    return QStringLiteral("Carvento Utilities necesita una sesión gráfica y no hay ninguna "
                          "(ni DISPLAY ni WAYLAND_DISPLAY).");
}

void SetUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
    QGuiApplication::setDesktopFileName(DesktopId());
    QApplication::setWindowIcon(ProgramIcon());
}
