#include "widgets/picturemenubar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPainter>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {

// Draws the bar's entries as picture and caption side by side; everything else is the
// application's style.
class PictureMenuStyle : public QProxyStyle {
public:
    PictureMenuStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        // Alt and F10 reach the bar whatever the style would say.
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override
    {
        const auto *item = PictureItem(type == CT_MenuBarItem, option);
        if (!item)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        const int extent = Extent(widget);
        const QSize text = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
        const QSize content(extent + Gap(widget) + text.width(), qMax(extent, text.height()));
        return QProxyStyle::sizeFromContents(type, option, content, widget);
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        const auto *item = PictureItem(element == CE_MenuBarItem, option);
        if (!item) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const bool enabled = item->state & State_Enabled;
        // Some styles light an entry only while its menu is open; these entries have none,
        // so the entry the keyboard is on is lit as if pressed.
        const bool lit = enabled && (item->state & State_Selected);
        QStyleOptionMenuItem background = *item;
        background.text.clear();
        background.icon = QIcon();
        if (lit)
            background.state |= State_Sunken;
        QProxyStyle::drawControl(element, &background, painter, widget);

        const int extent = Extent(widget);
        const int gap = Gap(widget);
        const QSize text = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
        const int left = item->rect.center().x() + 1 - (extent + gap + text.width()) / 2;
        const QRect picture(left, item->rect.center().y() + 1 - extent / 2, extent, extent);
        const QIcon::Mode mode = !enabled ? QIcon::Disabled : lit ? QIcon::Selected : QIcon::Normal;
        item->icon.paint(painter, picture, Qt::AlignCenter, mode);

        int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
        if (!proxy()->styleHint(SH_UnderlineShortcut, item, widget))
            flags |= Qt::TextHideMnemonic;
        const QRect caption(picture.right() + 1 + gap, item->rect.top(), text.width() + 1, item->rect.height());
        proxy()->drawItemText(painter, caption, flags, item->palette, enabled, item->text,
                              lit ? QPalette::HighlightedText : QPalette::ButtonText);
    }

private:
    static const QStyleOptionMenuItem *PictureItem(bool barItem, const QStyleOption *option)
    {
        const auto *item = barItem ? qstyleoption_cast<const QStyleOptionMenuItem *>(option) : nullptr;
        return item && !item->icon.isNull() && !item->text.isEmpty() ? item : nullptr;
    }

    int Extent(const QWidget *widget) const { return pixelMetric(PM_ToolBarIconSize, nullptr, widget); }
    int Gap(const QWidget *widget) const { return pixelMetric(PM_ToolBarItemSpacing, nullptr, widget) + 4; }
};

} // namespace

PictureMenuBar::PictureMenuBar(QWidget *parent) : QMenuBar(parent)
{
    setNativeMenuBar(false);
    auto *style = new PictureMenuStyle;
    style->setParent(this);
    setStyle(style);
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    f10->setContext(Qt::WindowShortcut);
    connect(f10, &QShortcut::activated, this, &PictureMenuBar::ToggleKeyboardMode);
}

void PictureMenuBar::ToggleKeyboardMode()
{
    if (hasFocus()) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        keyPressEvent(&escape);
        return;
    }
    if (actions().isEmpty())
        return;
    returnFocus_ = QApplication::focusWidget();
    setFocus(Qt::MenuBarFocusReason);
    setActiveAction(actions().constFirst());
}

void PictureMenuBar::keyPressEvent(QKeyEvent *event)
{
    // The bar gives the keyboard back itself when Alt brought it here; after F10 it is
    // given back here, once an entry was chosen or Escape pressed.
    const int key = event->key();
    const bool leaves = key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter
                        || key == Qt::Key_Space;
    QPointer<PictureMenuBar> self(this);
    QMenuBar::keyPressEvent(event);
    if (self && leaves && event->isAccepted())
        GiveFocusBack();
}

void PictureMenuBar::focusOutEvent(QFocusEvent *event)
{
    returnFocus_ = nullptr;
    QMenuBar::focusOutEvent(event);
}

void PictureMenuBar::GiveFocusBack()
{
    QPointer<QWidget> target = returnFocus_;
    returnFocus_ = nullptr;
    if (!hasFocus())
        return;
    // The entry may have hidden that control (a page change): then the next one shown.
    if (target && target->isVisible())
        target->setFocus(Qt::MenuBarFocusReason);
    else
        focusNextChild();
}
