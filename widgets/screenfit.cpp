#include "widgets/screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect FitOnScreens(const QRect &wanted, const QList<QRect> &screens, const QSize &minimum, bool resizable)
{
    if (screens.isEmpty() || !wanted.isValid())
        return wanted;
    // The screen it overlaps most; overlapping none, the nearest.
    QRect screen = screens.first();
    qint64 most = 0;
    qint64 nearest = -1;
    for (const QRect &candidate : screens) {
        const QRect common = candidate.intersected(wanted);
        const qint64 area = common.isValid() ? qint64(common.width()) * common.height() : 0;
        const QPoint apart = candidate.center() - wanted.center();
        const qint64 distance = qint64(apart.x()) * apart.x() + qint64(apart.y()) * apart.y();
        if (area > most || (most == 0 && area == 0 && (nearest < 0 || distance < nearest))) {
            screen = candidate;
            if (area > most)
                most = area;
            else
                nearest = distance;
        }
    }
    QRect fitted = wanted;
    if (resizable)
        fitted.setSize(wanted.size().boundedTo(screen.size()).expandedTo(minimum));
    // A window larger than the screen even so keeps its top left corner on it.
    fitted.moveLeft(std::max(screen.left(), std::min(fitted.left(), screen.right() + 1 - fitted.width())));
    fitted.moveTop(std::max(screen.top(), std::min(fitted.top(), screen.bottom() + 1 - fitted.height())));
    return fitted;
}

void FitOnScreen(QWidget *window, bool resizable)
{
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect now = window->geometry();
    const QRect fitted = FitOnScreens(now, screens, window->minimumSize(), resizable);
    if (fitted != now)
        window->setGeometry(fitted);
}
