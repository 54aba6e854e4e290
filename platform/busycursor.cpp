#include "platform/busycursor.h"

#include <QApplication>

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

UserPointer::UserPointer()
{
    while (const QCursor *cursor = QApplication::overrideCursor()) {
        lifted_.push_back(*cursor);
        QApplication::restoreOverrideCursor();
    }
}

UserPointer::~UserPointer()
{
    for (auto cursor = lifted_.rbegin(); cursor != lifted_.rend(); ++cursor)
        QApplication::setOverrideCursor(*cursor);
}
