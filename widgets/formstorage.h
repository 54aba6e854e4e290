#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QSettings;
class QWidget;

// Keeps a window's placement and some of its controls' properties from one run to the
// next, in an INI file its caller names. Attached to a window, it restores them when the
// window is first shown (before the window's own show handler). It saves at the moments the
// window gives: a dialog at every done() (accept, reject, its close button), by itself; any
// other window calls Save() from its close handler once the close is allowed, and every
// window calls SaveBeforeDestruction() from its destructor. It saves only after having
// restored.
//
// Stored properties are "component.Property", the component found by object name among the
// window's descendants:
//   Items      QComboBox, QListWidget (texts in order, as they are; check marks are not kept)
//   Text       QLineEdit, QComboBox (the edit text, or the item of that text)
//   Value      QSpinBox, QDoubleSpinBox, other QAbstractSlider
//   Checked    QAbstractButton
//   ActivePage QTabWidget, QStackedWidget (the page's object name, "(null)" for none)
class FormStorage : public QObject {
    Q_OBJECT
public:
    FormStorage(QWidget *window, const QString &filePath, const QString &section, const QStringList &storedProps);

    // Both report their errors through the standard error report and return false then.
    // Restore runs at most once; Save does nothing (and returns false) before a restore.
    bool Restore();
    bool Save();
    // Saves, as a window being destroyed ("Visible" 1), when the window is still shown and
    // has not saved since it was last shown.
    void SaveBeforeDestruction();
    // The window has told the user already that the file cannot be read: Restore keeps quiet
    // about it.
    void SetReadFailureReported() { readFailureReported_ = true; }

    bool IsRestored() const { return restored_; }
    QString Section() const { return section_; }
    QStringList StoredProps() const { return storedProps_; }
    QString FilePath() const { return filePath_; }
    // The screen resolution written as "PixelsPerInch".
    int CurrentPixelsPerInch() const;

signals:
    // After the stored values were put into the controls, so the window can tidy them.
    void Restored();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool SaveAs(bool destroying);
    void RestorePlacement(QSettings &settings);
    void RestoreProperty(QSettings &settings, const QString &component, const QString &property);
    void SaveProperty(QSettings &settings, const QString &component, const QString &property);
    bool ReadEntry(QSettings &settings, const QString &name, QString &value, bool trimmed = true);
    bool IsFixedSize() const;

    QPointer<QWidget> window_;
    QString filePath_;
    QString section_;
    QStringList storedProps_;
    bool restored_ = false;
    bool saved_ = false;        // since the window was last shown
    bool readFailureReported_ = false;
    QString readError_;
};
