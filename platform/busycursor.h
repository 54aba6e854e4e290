#pragma once

#include <QCursor>

#include <vector>

// Shows the busy pointer for its lifetime, so every way out of a long action restores it.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// The normal pointer for its lifetime, over a window that waits for the user, whatever busy
// pointers were up; they come back afterwards.
class UserPointer {
public:
    UserPointer();
    ~UserPointer();
    UserPointer(const UserPointer &) = delete;
    UserPointer &operator=(const UserPointer &) = delete;

private:
    std::vector<QCursor> lifted_;   // innermost first
};
