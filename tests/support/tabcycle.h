#pragma once

// Walking a window with the Tab key, as a keyboard user does.

#include <QApplication>
#include <QStringList>
#include <QList>
#include <QTest>
#include <QWidget>

#include <algorithm>

// The controls Tab should reach in a window: shown, enabled, taking the focus by Tab; a
// compound control (a spin box) counts through the part that takes the focus for it.
inline QList<QWidget *> TabStops(QWidget *window)
{
    QList<QWidget *> stops;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->window() == window && (widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(window)
            && widget->isEnabled() && !widget->focusProxy())
            stops.append(widget);
    }
    return stops;
}

// Presses Tab from the control with the focus until the focus is back there; gives every
// control the focus went to, in order, the first one last. Gives up after `limit` presses.
inline QList<QWidget *> TabCycle(int limit = 400)
{
    QList<QWidget *> visited;
    QWidget *start = QApplication::focusWidget();
    for (int i = 0; i < limit && QApplication::focusWidget(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget());
        if (visited.last() == start)
            break;
    }
    return visited;
}

inline QString WidgetNames(const QList<QWidget *> &widgets)
{
    QStringList names;
    for (const QWidget *widget : widgets)
        names.append(widget ? QStringLiteral("%1(%2)").arg(widget->objectName(), widget->metaObject()->className())
                            : QStringLiteral("null"));
    return names.join(QStringLiteral(", "));
}

// Tabs once round the window from the control with the focus. Empty when every control
// Tab should reach was reached once and the walk came back where it started, else what
// went wrong.
inline QString TabCycleFault(QWidget *window)
{
    QWidget *start = QApplication::focusWidget();
    if (!start)
        return QStringLiteral("nothing has the focus");
    const QList<QWidget *> cycle = TabCycle();
    if (cycle.last() != start)
        return QStringLiteral("never back at the start: ") + WidgetNames(cycle);
    QList<QWidget *> visited = cycle;
    QList<QWidget *> stops = TabStops(window);
    std::sort(visited.begin(), visited.end());
    std::sort(stops.begin(), stops.end());
    if (std::adjacent_find(visited.begin(), visited.end()) != visited.end())
        return QStringLiteral("a control reached twice: ") + WidgetNames(cycle);
    if (visited != stops)
        return QStringLiteral("reached: %1\nexpected: %2").arg(WidgetNames(cycle), WidgetNames(TabStops(window)));
    return QString();
}
