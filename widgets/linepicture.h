#pragma once

#include <QColor>
#include <QIcon>

class QPalette;

// Pictures drawn by the program in the colours of the scheme in use, light or dark: each time
// a picture is shown it is drawn in the palette's text colour (or a blue that reads on the
// window's background), so it never disappears into a dark background as a black stock
// picture would, and follows a change of scheme while the program runs.
enum class Line {
    Close,           // a cross
    Plus,
    Minus,
    Left,
    Right,
    Up,
    Down,
    First,           // the tag editor's navigation: |◀  ◀  ▶  ▶|
    Previous,
    Next,
    Last,
    Trash,
    Note,            // music
    ChangeExtension, // a page with a double arrow at its foot
    AddExtension,    // a page with a plus at its foot
    RemoveExtension  // a page with a minus at its foot
};

enum class LineColour {
    Text,  // the palette's text colour
    Blue   // ReadableBlue
};

QIcon LinePicture(Line shape, LineColour colour = LineColour::Text);

// Dark blue on a light window, a light blue on a dark one: readable either way.
QColor ReadableBlue(const QPalette &palette);

// Contrast ratio of two colours (1 to 21), as accessibility guidelines measure it.
double Contrast(const QColor &a, const QColor &b);
