#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMetaObject;
class QSettings;
class QWidget;

// Keeps a window's placement and some of its controls' properties from one run to the
// next. Attached to a window, it restores them when the window is shown (before the
// window's own show handler) and saves them at each close the window allows (a dialog's
// accept, reject or close button too, shown with exec() or show()), or, for a window
// destroyed while shown, from its destructor (told apart by the window's own class giving
// way to its base class, so the window is of a class of its own, as every form is). It
// saves only after having restored; hiding a window is no moment to save.
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
    enum class Store {
        SettingsKey, // settings.ini, beside the settings key's own values
        IniFile      // CarventoUtilities.INI in the same folder
    };

    FormStorage(QWidget *window, Store store, const QString &section, const QStringList &storedProps);
    ~FormStorage() override;

    // Both report their errors through the standard error report and return false then.
    // Restore runs at most once; Save does nothing (and returns false) before a restore.
    bool Restore();
    bool Save();

    bool IsRestored() const { return restored_; }
    QString Section() const { return section_; }
    QStringList StoredProps() const { return storedProps_; }
    QString FilePath() const { return StoreFilePath(store_); }
    static QString StoreFilePath(Store store);
    // The screen resolution written as "PixelsPerInch".
    int CurrentPixelsPerInch() const;

signals:
    // After the stored values were put into the controls, so the window can tidy them.
    void Restored();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool DeliverClose(QEvent *event);
    void SaveOnce(bool destroying);     // unless saved since the window was last shown
    bool SaveAs(bool destroying);
    void RestorePlacement(QSettings &settings);
    void RestoreProperty(QSettings &settings, const QString &component, const QString &property);
    void SaveProperty(QSettings &settings, const QString &component, const QString &property);
    bool ReadEntry(QSettings &settings, const QString &name, QString &value, bool trimmed = true);
    bool IsFixedSize() const;
    bool IsDestroying() const;

    QPointer<QWidget> window_;
    Store store_;
    QString section_;
    QStringList storedProps_;
    const QMetaObject *windowClass_ = nullptr;
    bool restored_ = false;
    bool saved_ = false;
    QString readError_;
};
