#pragma once

#include <QKeyEvent>

// Raises a widget's key signal before the widget's own handling. A receiver that accepts
// the event keeps it from the widget; the function then returns true.
template <typename Emit>
bool KeyTakenBySignal(QKeyEvent *event, Emit emitSignal)
{
    event->ignore();
    emitSignal();
    if (event->isAccepted())
        return true;
    event->accept();
    return false;
}
