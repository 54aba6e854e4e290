#pragma once

class QWidget;

// Places a window in the middle of the free area of its screen (the primary screen when it
// has none yet).
void CentreOnScreen(QWidget *window);
