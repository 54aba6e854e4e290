#pragma once

#include <QMenuBar>
#include <QPointer>

// A menu bar of commands whose entries show their picture beside their caption (a plain
// QMenuBar shows only the picture of an entry that has one). It stays inside the window, so
// commands without a submenu keep working under a desktop's global menu, and F10 reaches it
// as Alt does.
class PictureMenuBar : public QMenuBar {
    Q_OBJECT
public:
    explicit PictureMenuBar(QWidget *parent = nullptr);

    // What a press and release of Alt does: the first entry lit and the keyboard on the bar
    // (Left, Right, Enter, Escape), or back to where it was when the bar has it already.
    void ToggleKeyboardMode();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void GiveFocusBack();

    QPointer<QWidget> returnFocus_;   // where F10 took the keyboard from
};
