#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// A round picture with a short text in it, for entries whose theme picture may be missing
// and whose stock stand-in would say nothing (or look broken).
QIcon GlyphPicture(const QString &glyph, const QColor &colour);

// The theme's picture when it has one, otherwise GlyphPicture.
QIcon ThemeOrGlyphPicture(const char *themeName, const QString &glyph, const QColor &colour);
