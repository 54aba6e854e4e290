#include "widgets/linepicture.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

double Luminance(const QColor &colour)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

// A page with a folded corner, open at its lower right where the sign goes; with `dot`, the
// dot of an extension just before the sign.
void Page(QPainter &p, bool dot)
{
    p.drawPolyline(QPolygonF{QPointF(0.46, 0.92), QPointF(0.16, 0.92), QPointF(0.16, 0.08), QPointF(0.48, 0.08),
                             QPointF(0.64, 0.24), QPointF(0.64, 0.5)});
    p.drawPolyline(QPolygonF{QPointF(0.48, 0.08), QPointF(0.48, 0.24), QPointF(0.64, 0.24)});
    if (dot) {
        p.setBrush(p.pen().color());
        p.drawEllipse(QPointF(0.46, 0.9), 0.05, 0.05);
        p.setBrush(Qt::NoBrush);
    }
}

void Triangle(QPainter &p, double tipX, double baseX)
{
    const QPolygonF triangle{QPointF(baseX, 0.24), QPointF(tipX, 0.5), QPointF(baseX, 0.76)};
    p.setBrush(p.pen().color());
    p.drawPolygon(triangle);
}

void Draw(QPainter &p, Line shape)
{
    switch (shape) {
    case Line::Close:
        p.drawLine(QPointF(0.24, 0.24), QPointF(0.76, 0.76));
        p.drawLine(QPointF(0.76, 0.24), QPointF(0.24, 0.76));
        break;
    case Line::Plus:
        p.drawLine(QPointF(0.2, 0.5), QPointF(0.8, 0.5));
        p.drawLine(QPointF(0.5, 0.2), QPointF(0.5, 0.8));
        break;
    case Line::Minus:
        p.drawLine(QPointF(0.2, 0.5), QPointF(0.8, 0.5));
        break;
    case Line::Left:
    case Line::Right:
    case Line::Up:
    case Line::Down: {
        const int turns = shape == Line::Right ? 0 : shape == Line::Down ? 1 : shape == Line::Left ? 2 : 3;
        p.translate(0.5, 0.5);
        p.rotate(90.0 * turns);
        p.translate(-0.5, -0.5);
        p.drawLine(QPointF(0.18, 0.5), QPointF(0.8, 0.5));
        p.drawPolyline(QPolygonF{QPointF(0.52, 0.22), QPointF(0.8, 0.5), QPointF(0.52, 0.78)});
        break;
    }
    case Line::First:
        p.drawLine(QPointF(0.24, 0.24), QPointF(0.24, 0.76));
        Triangle(p, 0.34, 0.76);
        break;
    case Line::Previous:
        Triangle(p, 0.26, 0.7);
        break;
    case Line::Next:
        Triangle(p, 0.74, 0.3);
        break;
    case Line::Last:
        p.drawLine(QPointF(0.76, 0.24), QPointF(0.76, 0.76));
        Triangle(p, 0.66, 0.24);
        break;
    case Line::Trash:
        p.drawLine(QPointF(0.18, 0.24), QPointF(0.82, 0.24));
        p.drawPolyline(QPolygonF{QPointF(0.4, 0.24), QPointF(0.4, 0.12), QPointF(0.6, 0.12), QPointF(0.6, 0.24)});
        p.drawPolyline(QPolygonF{QPointF(0.26, 0.32), QPointF(0.3, 0.88), QPointF(0.7, 0.88), QPointF(0.74, 0.32)});
        p.drawLine(QPointF(0.43, 0.4), QPointF(0.43, 0.78));
        p.drawLine(QPointF(0.57, 0.4), QPointF(0.57, 0.78));
        break;
    case Line::Note:
        p.drawPolyline(QPolygonF{QPointF(0.38, 0.76), QPointF(0.38, 0.18), QPointF(0.8, 0.1), QPointF(0.8, 0.68)});
        p.setBrush(p.pen().color());
        p.drawEllipse(QPointF(0.28, 0.77), 0.1, 0.08);
        p.drawEllipse(QPointF(0.7, 0.69), 0.1, 0.08);
        break;
    case Line::ChangeExtension:
        Page(p, false);
        p.drawLine(QPointF(0.52, 0.66), QPointF(0.9, 0.66));
        p.drawPolyline(QPolygonF{QPointF(0.8, 0.57), QPointF(0.9, 0.66), QPointF(0.8, 0.75)});
        p.drawLine(QPointF(0.52, 0.86), QPointF(0.9, 0.86));
        p.drawPolyline(QPolygonF{QPointF(0.62, 0.77), QPointF(0.52, 0.86), QPointF(0.62, 0.95)});
        break;
    case Line::AddExtension:
        Page(p, true);
        p.drawLine(QPointF(0.56, 0.76), QPointF(0.92, 0.76));
        p.drawLine(QPointF(0.74, 0.58), QPointF(0.74, 0.94));
        break;
    case Line::RemoveExtension:
        Page(p, true);
        p.drawLine(QPointF(0.56, 0.76), QPointF(0.92, 0.76));
        break;
    }
}

class LinePictureEngine : public QIconEngine {
public:
    LinePictureEngine(Line shape, LineColour colour) : shape_(shape), colour_(colour) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette palette = QGuiApplication::palette();
        QColor ink = colour_ == LineColour::Blue ? ReadableBlue(palette) : palette.color(QPalette::WindowText);
        if (mode == QIcon::Disabled)
            ink = palette.color(QPalette::Disabled, QPalette::WindowText);
        else if (mode == QIcon::Selected)
            ink = palette.color(QPalette::HighlightedText);
        const double side = std::min(rect.width(), rect.height());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side, side);
        // About two pixels at 24, never thinner than one and a half.
        QPen pen(ink, std::max(1.5, side / 12.0) / side, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        Draw(*painter, shape_);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap picture(size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paint(&painter, picture.rect(), mode, state);
        return picture;
    }

    QIconEngine *clone() const override { return new LinePictureEngine(shape_, colour_); }

private:
    Line shape_;
    LineColour colour_;
};

} // namespace

QIcon LinePicture(Line shape, LineColour colour) { return QIcon(new LinePictureEngine(shape, colour)); }

double Contrast(const QColor &a, const QColor &b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableBlue(const QPalette &palette)
{
    const QColor background = palette.color(QPalette::Window);
    const QColor darkBlue(0x00, 0x00, 0x80);
    if (Contrast(darkBlue, background) >= 4.5)
        return darkBlue;
    // Otherwise the blue that reads best: the scheme's own link colour, a light blue, or
    // the dark one after all.
    QColor best = darkBlue;
    const QColor link = palette.color(QPalette::Link);
    for (const QColor &candidate : {link, QColor(0x8A, 0xB4, 0xF8)}) {
        const bool blue = candidate.blue() > candidate.red() && candidate.blue() > candidate.green();
        if (blue && Contrast(candidate, background) > Contrast(best, background))
            best = candidate;
    }
    return best;
}
