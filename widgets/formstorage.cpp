#include "widgets/formstorage.h"

#include "platform/dialogs.h"
#include "platform/settingskey.h"
#include "widgets/screenfit.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QWidget>

#include <cmath>
#include <limits>

namespace {

// Lists longer than this are believed only as far as their items are really there, so a
// corrupt "Count" cannot make the window build millions of empty items.
constexpr int MaxTrustedCount = 10000;

const QString NullPage = QStringLiteral("(null)");

bool ParseInt(const QString &text, int &value)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (ok)
        value = number;
    return ok;
}

// "%d,%d,%d,%d"; a part that is not a number keeps the value it had.
void ParseFour(const QString &text, int (&values)[4])
{
    const QStringList parts = text.split(QLatin1Char(','));
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        ParseInt(parts.at(i), values[i]);
}

QString FormatFour(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

QString ListSection(const QString &section, const QString &component, const QString &property)
{
    return section + QLatin1Char('.') + component + QLatin1Char('_') + property;
}

QString FormatNumber(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A stored number that fits a control holding whole numbers.
bool ParseWholeNumber(const QString &text, int &value)
{
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number) || number != std::trunc(number)
        || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return false;
    value = int(number);
    return true;
}

template <typename Control>
bool Is(const QObject *object)
{
    return qobject_cast<const Control *>(object) != nullptr;
}

template <typename Control>
Control *As(QObject *object)
{
    return qobject_cast<Control *>(object);
}

template <typename Control>
const Control *As(const QObject *object)
{
    return qobject_cast<const Control *>(object);
}

// Replacing the items chooses nothing new: the chosen text stays chosen if still there.
void SetComboItems(QComboBox *combo, const QStringList &items)
{
    const QString chosen = combo->currentIndex() < 0 ? QString() : combo->currentText();
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(chosen.isNull() ? -1 : combo->findText(chosen, Qt::MatchExactly));
}

// New items behave like the design-time ones (checkable stays checkable), unchecked.
void SetListItems(QListWidget *list, const QStringList &items)
{
    const bool hadItems = list->count() > 0;
    const Qt::ItemFlags flags = hadItems ? list->item(0)->flags() : Qt::ItemFlags();
    list->clear();
    for (const QString &text : items) {
        auto *item = new QListWidgetItem(text, list);
        if (hadItems) {
            item->setFlags(flags);
            if (flags & Qt::ItemIsUserCheckable)
                item->setCheckState(Qt::Unchecked);
        }
    }
}

template <typename Pages>
QString PageName(const Pages *pages)
{
    const QWidget *page = pages->currentWidget();
    return page && !page->objectName().isEmpty() ? page->objectName() : NullPage;
}

template <typename Pages>
void ChoosePage(Pages *pages, const QString &name)
{
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->widget(i)->objectName() == name) {
            pages->setCurrentIndex(i);
            return;
        }
    }
}

// How one type of stored property is read from its control and written back: one entry per
// property and control class. A list's items are the texts in order; any other property is
// a single text. A text that does not convert to the property's type is ignored.
struct PropertyAdapter {
    QLatin1StringView property;
    bool (*accepts)(const QObject *object);
    QStringList (*read)(const QObject *object);
    void (*write)(QObject *object, const QStringList &texts);
};

const PropertyAdapter Adapters[] = {
    {QLatin1StringView("Items"), Is<QComboBox>,
     [](const QObject *o) {
         QStringList items;
         for (int i = 0; i < As<QComboBox>(o)->count(); ++i)
             items.append(As<QComboBox>(o)->itemText(i));
         return items;
     },
     [](QObject *o, const QStringList &items) { SetComboItems(As<QComboBox>(o), items); }},
    {QLatin1StringView("Items"), Is<QListWidget>,
     [](const QObject *o) {
         QStringList items;
         for (int i = 0; i < As<QListWidget>(o)->count(); ++i)
             items.append(As<QListWidget>(o)->item(i)->text());
         return items;
     },
     [](QObject *o, const QStringList &items) { SetListItems(As<QListWidget>(o), items); }},
    {QLatin1StringView("Text"), Is<QLineEdit>, [](const QObject *o) { return QStringList{As<QLineEdit>(o)->text()}; },
     [](QObject *o, const QStringList &texts) { As<QLineEdit>(o)->setText(texts.value(0)); }},
    {QLatin1StringView("Text"), Is<QComboBox>,
     [](const QObject *o) { return QStringList{As<QComboBox>(o)->currentText()}; },
     [](QObject *o, const QStringList &texts) {
         auto *combo = As<QComboBox>(o);
         if (combo->isEditable())
             combo->setEditText(texts.value(0));
         else if (const int index = combo->findText(texts.value(0), Qt::MatchExactly); index >= 0)
             combo->setCurrentIndex(index);
     }},
    {QLatin1StringView("Value"), Is<QDoubleSpinBox>,
     [](const QObject *o) { return QStringList{FormatNumber(As<QDoubleSpinBox>(o)->value())}; },
     [](QObject *o, const QStringList &texts) {
         bool ok = false;
         const double value = texts.value(0).toDouble(&ok);
         if (ok && std::isfinite(value))
             As<QDoubleSpinBox>(o)->setValue(value);
     }},
    {QLatin1StringView("Value"), Is<QSpinBox>,
     [](const QObject *o) { return QStringList{QString::number(As<QSpinBox>(o)->value())}; },
     [](QObject *o, const QStringList &texts) {
         if (int value = 0; ParseWholeNumber(texts.value(0), value))
             As<QSpinBox>(o)->setValue(value);
     }},
    {QLatin1StringView("Value"), Is<QAbstractSlider>,
     [](const QObject *o) { return QStringList{QString::number(As<QAbstractSlider>(o)->value())}; },
     [](QObject *o, const QStringList &texts) {
         if (int value = 0; ParseWholeNumber(texts.value(0), value))
             As<QAbstractSlider>(o)->setValue(value);
     }},
    {QLatin1StringView("Checked"), Is<QAbstractButton>,
     [](const QObject *o) {
         return QStringList{As<QAbstractButton>(o)->isChecked() ? QStringLiteral("True") : QStringLiteral("False")};
     },
     [](QObject *o, const QStringList &texts) {
         const QString text = texts.value(0);
         if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
             As<QAbstractButton>(o)->setChecked(true);
         else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
             As<QAbstractButton>(o)->setChecked(false);
     }},
    {QLatin1StringView("ActivePage"), Is<QTabWidget>,
     [](const QObject *o) { return QStringList{PageName(As<QTabWidget>(o))}; },
     [](QObject *o, const QStringList &texts) { ChoosePage(As<QTabWidget>(o), texts.value(0)); }},
    {QLatin1StringView("ActivePage"), Is<QStackedWidget>,
     [](const QObject *o) { return QStringList{PageName(As<QStackedWidget>(o))}; },
     [](QObject *o, const QStringList &texts) { ChoosePage(As<QStackedWidget>(o), texts.value(0)); }},
};

const PropertyAdapter *AdapterFor(const QObject *object, QStringView property)
{
    for (const PropertyAdapter &adapter : Adapters)
        if (adapter.property == property && adapter.accepts(object))
            return &adapter;
    return nullptr;
}

bool IsListProperty(QStringView property)
{
    return property == QLatin1StringView("Items");
}

} // namespace

FormStorage::FormStorage(QWidget *window, const QString &filePath, const QString &section,
                         const QStringList &storedProps)
    : QObject(window), window_(window), filePath_(filePath), section_(section), storedProps_(storedProps)
{
    if (!window)
        return;
    window->installEventFilter(this);
    // Accept, reject and the close button all end a dialog in done(), also one run with exec().
    if (auto *dialog = qobject_cast<QDialog *>(window))
        connect(dialog, &QDialog::finished, this, &FormStorage::Save);
}

int FormStorage::CurrentPixelsPerInch() const
{
    QScreen *screen = window_ ? window_->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // Qt keeps the logical resolution at 96 and scales by the device pixel ratio instead: their
    // product is the resolution the desktop's scale factor gives, so a change of scale counts.
    return screen ? qRound(screen->logicalDotsPerInch() * screen->devicePixelRatio()) : 96;
}

bool FormStorage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window_ && event->type() == QEvent::Show) {
        if (!restored_)
            Restore();
        saved_ = false;
    }
    return QObject::eventFilter(watched, event);
}

void FormStorage::SaveBeforeDestruction()
{
    if (window_ && window_->isVisible() && restored_ && !saved_)
        SaveAs(true);
}

bool FormStorage::IsFixedSize() const
{
    if (window_->windowFlags() & Qt::MSWindowsFixedSizeDialogHint)
        return true;
    if (window_->layout() && window_->layout()->sizeConstraint() == QLayout::SetFixedSize)
        return true;
    return window_->minimumSize() == window_->maximumSize();
}

bool FormStorage::ReadEntry(QSettings &settings, const QString &name, QString &value, bool trimmed)
{
    value.clear();
    if (!settings.contains(name))
        return false;
    QString error;
    if (!SettingsKey::ReadText(settings, name, value, error)) {
        if (readError_.isEmpty())
            readError_ = error;
        return false;
    }
    if (trimmed)
        value = value.trimmed();
    return true;
}

bool FormStorage::Restore()
{
    if (!window_ || restored_)
        return false;
    restored_ = true;
    saved_ = false;
    readError_.clear();

    QSettings settings(FilePath(), QSettings::IniFormat);
    if (settings.status() == QSettings::AccessError) {
        if (!readFailureReported_)
            Dialogs::Current().ReportError(window_, CannotReadSettingsText(FilePath()));
        return false;
    }
    settings.beginGroup(section_);
    QString text;
    int formVersion = 0;
    if (ReadEntry(settings, QStringLiteral("FormVersion"), text))
        ParseInt(text, formVersion);
    if (formVersion >= 0) {
        RestorePlacement(settings);
        for (const QString &stored : storedProps_) {
            const qsizetype dot = stored.indexOf(QLatin1Char('.'));
            if (dot > 0)
                RestoreProperty(settings, stored.left(dot), stored.mid(dot + 1));
        }
    }
    settings.endGroup();
    emit Restored();
    if (!readError_.isEmpty()) {
        Dialogs::Current().ReportError(window_, readError_);
        return false;
    }
    return true;
}

void FormStorage::RestorePlacement(QSettings &settings)
{
    QString text;
    ReadEntry(settings, QStringLiteral("Flags"), text); // no Linux meaning
    const bool hasMinMax = ReadEntry(settings, QStringLiteral("MinMaxPos"), text);
    QString normPos;
    const bool hasNormPos = ReadEntry(settings, QStringLiteral("NormPos"), normPos);
    int storedPpi = CurrentPixelsPerInch();
    if (ReadEntry(settings, QStringLiteral("PixelsPerInch"), text) && !ParseInt(text, storedPpi))
        storedPpi = 0; // not a number: not this screen's resolution

    if ((hasMinMax || hasNormPos) && storedPpi == CurrentPixelsPerInch()) {
        const QRect current = window_->normalGeometry().isValid() ? window_->normalGeometry() : window_->geometry();
        int edges[4] = {current.left(), current.top(), current.x() + current.width(), current.y() + current.height()};
        if (hasNormPos)
            ParseFour(normPos, edges);
        const auto width = qint64(edges[2]) - edges[0];
        const auto height = qint64(edges[3]) - edges[1];
        if (width > 0) {
            QRect wanted;
            if (IsFixedSize())
                wanted = QRect(QPoint(edges[0], edges[1]), window_->size());
            else
                wanted = QRect(edges[0], edges[1], int(qMin(width, qint64(QWIDGETSIZE_MAX))),
                               int(qBound(qint64(0), height, qint64(QWIDGETSIZE_MAX))));
            // A position on no screen (a monitor since removed, a hand-edited file) would hide
            // the window; keep the window where it is then.
            bool onScreen = false;
            for (QScreen *screen : QGuiApplication::screens())
                onScreen = onScreen || screen->availableVirtualGeometry().intersects(wanted);
            if (onScreen) {
                const QRect desktop = window_->screen() ? window_->screen()->availableVirtualGeometry() : QRect();
                if (desktop.isValid() && !IsFixedSize())
                    wanted.setSize(wanted.size().boundedTo(desktop.size()));
                window_->setGeometry(wanted);
            }
        }
    }

    // Whatever was stored, or nothing, the window stands wholly on a screen.
    FitOnScreen(window_, !IsFixedSize());

    int showCmd = 0;
    if (ReadEntry(settings, QStringLiteral("ShowCmd"), text))
        ParseInt(text, showCmd);
    switch (showCmd) {
    case 2:
    case 6:
    case 7:
        // A minimised modal dialog would only leave the program blocked.
        if (!qobject_cast<QDialog *>(window_.data()))
            window_->setWindowState((window_->windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
        break;
    case 3:
        if (!IsFixedSize())
            window_->setWindowState((window_->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    default:
        break;
    }
}

void FormStorage::RestoreProperty(QSettings &settings, const QString &component, const QString &property)
{
    QObject *object = window_->findChild<QObject *>(component);
    const PropertyAdapter *adapter = object ? AdapterFor(object, property) : nullptr;
    if (!adapter)
        return;
    QString text;
    if (!IsListProperty(property)) {
        if (ReadEntry(settings, component + QLatin1Char('_') + property, text))
            adapter->write(object, {text});
        return;
    }

    settings.endGroup();
    settings.beginGroup(ListSection(section_, component, property));
    int count = 0;
    if (ReadEntry(settings, QStringLiteral("Count"), text))
        ParseInt(text, count);
    if (count > MaxTrustedCount) {
        int lastPresent = -1;
        for (const QString &key : settings.childKeys()) {
            bool ok = false;
            const int index = key.startsWith(QLatin1String("Item")) ? key.mid(4).toInt(&ok) : -1;
            if (ok && index >= 0 && index < count && key == QStringLiteral("Item%1").arg(index))
                lastPresent = qMax(lastPresent, index);
        }
        count = lastPresent + 1;
    }
    // Items are kept as they were typed, blanks included.
    QStringList items;
    for (int i = 0; i < count; ++i) {
        ReadEntry(settings, QStringLiteral("Item%1").arg(i), text, false);
        items.append(text);
    }
    if (!items.isEmpty())
        adapter->write(object, items);
    settings.endGroup();
    settings.beginGroup(section_);
}

bool FormStorage::Save() { return SaveAs(false); }

bool FormStorage::SaveAs(bool destroying)
{
    if (!window_ || !restored_)
        return false;
    saved_ = true;
    QWidget *parent = destroying ? nullptr : window_.data();
    const QString path = FilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        Dialogs::Current().ReportError(parent, CannotSaveSettingsText(path));
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(section_);
    settings.setValue(QStringLiteral("FormVersion"), QStringLiteral("0"));
    settings.setValue(QStringLiteral("Flags"), QStringLiteral("0"));
    int showCmd = 1;
    if (window_->isMinimized())
        showCmd = 2;
    else if (window_->isMaximized() || window_->isFullScreen())
        showCmd = 3;
    settings.setValue(QStringLiteral("ShowCmd"), QString::number(showCmd));
    settings.setValue(QStringLiteral("PixelsPerInch"), QString::number(CurrentPixelsPerInch()));
    settings.setValue(QStringLiteral("MinMaxPos"), FormatFour(0, 0, 0, 0));
    QRect normal = window_->normalGeometry();
    if (!normal.isValid())
        normal = window_->geometry();
    settings.setValue(QStringLiteral("NormPos"), FormatFour(normal.x(), normal.y(), normal.x() + normal.width(),
                                                            normal.y() + normal.height()));
    settings.setValue(QStringLiteral("Visible"), destroying ? QStringLiteral("1") : QStringLiteral("0"));
    for (const QString &stored : storedProps_) {
        const qsizetype dot = stored.indexOf(QLatin1Char('.'));
        if (dot > 0)
            SaveProperty(settings, stored.left(dot), stored.mid(dot + 1));
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        Dialogs::Current().ReportError(parent, CannotSaveSettingsText(path));
        return false;
    }
    return true;
}

void FormStorage::SaveProperty(QSettings &settings, const QString &component, const QString &property)
{
    QObject *object = window_->findChild<QObject *>(component);
    const PropertyAdapter *adapter = object ? AdapterFor(object, property) : nullptr;
    if (!adapter)
        return;
    const QStringList texts = adapter->read(object);
    if (!IsListProperty(property)) {
        settings.setValue(component + QLatin1Char('_') + property, texts.value(0).trimmed());
        return;
    }
    settings.endGroup();
    const QString listSection = ListSection(section_, component, property);
    settings.remove(listSection);
    if (!texts.isEmpty()) {
        settings.beginGroup(listSection);
        settings.setValue(QStringLiteral("Count"), QString::number(texts.size()));
        for (qsizetype i = 0; i < texts.size(); ++i)
            settings.setValue(QStringLiteral("Item%1").arg(i), texts.at(i));
        settings.endGroup();
    }
    settings.beginGroup(section_);
}
