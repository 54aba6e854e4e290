#pragma once

#include <QIcon>
#include <QProcessEnvironment>
#include <QString>

// The program as the desktop knows it.
QString ProgramName();   // "Carvento Utilities", as the desktop entry names it
QString DesktopId();     // id of the desktop entry, the metainfo and the icon
QIcon ProgramIcon();     // the icon theme's, else the one built into the program

// False when Qt would find nowhere to show a window: no X display, no Wayland socket and no
// platform chosen by hand. Qt itself would abort then, with advice to reinstall.
bool HasGraphicalSession(const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
// The one line printed, instead of starting, when there is no graphical session.
QString NoGraphicalSessionMessage();

// Everything about the application that must be in place before its first window: the name
// that names the config folder, the desktop entry it belongs to, and the window icon. It sets
// no display name, since Qt would add one to every window title.
void SetUpApplication();
