#pragma once

#include <QIcon>
#include <QProcessEnvironment>
#include <QString>

#include <memory>

class QApplication;

// The program as the desktop knows it.
QString ProgramName();   // "Carvento Utilities", as the desktop entry names it
QString DesktopId();     // id of the desktop entry, the metainfo and the icon
QIcon ProgramIcon();     // the icon theme's, else the one built into the program

// False when Qt would find nowhere to show a window: no X display, no Wayland socket and no
// platform chosen by hand. Qt itself would abort then, with advice to reinstall.
bool HasGraphicalSession(const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
// The one line printed, instead of starting, when there is no graphical session or the one
// named cannot be reached.
QString NoGraphicalSessionMessage();

// The application, set up (SetUpApplication); nullptr when there is no display to show
// windows on, after printing NoGraphicalSessionMessage on standard error. A display that is
// named but cannot be reached (an ssh session, sudo, a stale DISPLAY) ends the same way, with
// status 1, instead of Qt's abort.
std::unique_ptr<QApplication> StartApplication(int &argc, char **argv);

// Qt's own texts (context menus of text fields, the file dialog, standard buttons) in
// Spanish, from the translations Qt is installed with; false when they are not there.
bool LoadQtTranslations();

// Everything about the application that must be in place before its first window: the name
// that names the config folder, the desktop entry it belongs to, the window icon and Qt's
// texts in Spanish. It sets no display name, since Qt would add one to every window title.
void SetUpApplication();
