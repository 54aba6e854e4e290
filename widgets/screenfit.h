#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

// Where a window of the wanted rectangle can stand wholly on a screen: on the screen it
// overlaps most (the first when it overlaps none), moved in and, when `resizable`, shrunk
// to that screen's size, never below `minimum`.
QRect FitOnScreens(const QRect &wanted, const QList<QRect> &screens, const QSize &minimum, bool resizable);

// The same for a window, against the screens' available areas (without panels).
void FitOnScreen(QWidget *window, bool resizable);
