#include "main/glyphpicture.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

QIcon GlyphPicture(const QString &glyph, const QColor &colour)
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(0.5, 0.5, side - 1.0, side - 1.0));
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(side * 2 / 3);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon ThemeOrGlyphPicture(const char *themeName, const QString &glyph, const QColor &colour)
{
    const QString name = QString::fromLatin1(themeName);
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return GlyphPicture(glyph, colour);
}
