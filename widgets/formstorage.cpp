#include "widgets/formstorage.h"

#include "platform/dialogs.h"
#include "platform/settingskey.h"

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

QStringList ItemsOf(QObject *object)
{
    QStringList items;
    if (auto *combo = qobject_cast<QComboBox *>(object)) {
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
    } else if (auto *list = qobject_cast<QListWidget *>(object)) {
        for (int i = 0; i < list->count(); ++i)
            items.append(list->item(i)->text());
    }
    return items;
}

void SetItems(QObject *object, const QStringList &items)
{
    if (auto *combo = qobject_cast<QComboBox *>(object)) {
        // Replacing the items chooses nothing new: the chosen text stays chosen if still there.
        const QString chosen = combo->currentIndex() < 0 ? QString() : combo->currentText();
        combo->clear();
        combo->addItems(items);
        combo->setCurrentIndex(chosen.isNull() ? -1 : combo->findText(chosen, Qt::MatchExactly));
    } else if (auto *list = qobject_cast<QListWidget *>(object)) {
        // New items behave like the design-time ones (checkable stays checkable), unchecked.
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
}

bool IsList(QObject *object)
{
    return qobject_cast<QComboBox *>(object) || qobject_cast<QListWidget *>(object);
}

QString FormatNumber(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QWidget *PageNamed(QObject *object, const QString &name, int &index)
{
    index = -1;
    if (auto *tabs = qobject_cast<QTabWidget *>(object)) {
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->objectName() == name)
                return index = i, tabs->widget(i);
    } else if (auto *stack = qobject_cast<QStackedWidget *>(object)) {
        for (int i = 0; i < stack->count(); ++i)
            if (stack->widget(i)->objectName() == name)
                return index = i, stack->widget(i);
    }
    return nullptr;
}

} // namespace

FormStorage::FormStorage(QWidget *window, Store store, const QString &section, const QStringList &storedProps)
    : QObject(window), window_(window), store_(store), section_(section), storedProps_(storedProps)
{
    if (window)
        window->installEventFilter(this);
}

FormStorage::~FormStorage()
{
    // Normally the window's closing or destruction has saved already.
    if (restored_ && !saved_ && window_ && window_->isVisible())
        SaveAs(true);
}

QString FormStorage::StoreFilePath(Store store)
{
    if (store == Store::SettingsKey)
        return SettingsKey::FilePath();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
           + QStringLiteral("/CarventoUtilities.INI");
}

int FormStorage::CurrentPixelsPerInch() const
{
    QScreen *screen = window_ ? window_->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

bool FormStorage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window_) {
        if (event->type() == QEvent::Show && !restored_) {
            windowClass_ = window_->metaObject();
            Restore();
        } else if (event->type() == QEvent::Show) {
            saved_ = false;
        } else if (event->type() == QEvent::Hide && !event->spontaneous() && restored_ && !saved_) {
            // A close that was allowed, a dialog's accept or reject, or the window's
            // destruction while shown: each hides the window.
            SaveAs(IsDestroying());
        }
    }
    return QObject::eventFilter(watched, event);
}

// While the window is being destroyed its own class is already gone, so it answers with a
// base class's description.
bool FormStorage::IsDestroying() const
{
    return windowClass_ && window_ && window_->metaObject() != windowClass_;
}

bool FormStorage::IsFixedSize() const
{
    if (window_->windowFlags() & Qt::MSWindowsFixedSizeDialogHint)
        return true;
    if (window_->layout() && window_->layout()->sizeConstraint() == QLayout::SetFixedSize)
        return true;
    return window_->minimumSize() == window_->maximumSize();
}

bool FormStorage::ReadEntry(QSettings &settings, const QString &name, QString &value)
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
        Dialogs::Current().ReportError(window_, QStringLiteral("No se puede leer %1").arg(FilePath()));
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
    if (!object)
        return;
    QString text;
    if (property == QLatin1String("Items") && IsList(object)) {
        settings.endGroup();
        settings.beginGroup(ListSection(section_, component, property));
        int count = 0;
        if (ReadEntry(settings, QStringLiteral("Count"), text))
            ParseInt(text, count);
        if (count > 0) {
            int lastPresent = -1;
            if (count > MaxTrustedCount) {
                for (const QString &key : settings.childKeys()) {
                    bool ok = false;
                    const int index = key.startsWith(QLatin1String("Item")) ? key.mid(4).toInt(&ok) : -1;
                    if (ok && index >= 0 && index < count && key == QStringLiteral("Item%1").arg(index))
                        lastPresent = qMax(lastPresent, index);
                }
                count = qMin(count, lastPresent + 1);
            }
            QStringList items;
            items.reserve(count);
            for (int i = 0; i < count; ++i) {
                ReadEntry(settings, QStringLiteral("Item%1").arg(i), text);
                items.append(text);
            }
            if (!items.isEmpty())
                SetItems(object, items);
        }
        settings.endGroup();
        settings.beginGroup(section_);
        return;
    }

    if (!ReadEntry(settings, component + QLatin1Char('_') + property, text))
        return;
    if (property == QLatin1String("Text")) {
        if (auto *edit = qobject_cast<QLineEdit *>(object))
            edit->setText(text);
        else if (auto *combo = qobject_cast<QComboBox *>(object); combo && combo->isEditable())
            combo->setEditText(text);
    } else if (property == QLatin1String("Value")) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return;
        if (auto *spin = qobject_cast<QDoubleSpinBox *>(object)) {
            spin->setValue(value);
        } else if (value == std::trunc(value) && value >= std::numeric_limits<int>::min()
                   && value <= std::numeric_limits<int>::max()) {
            if (auto *spin = qobject_cast<QSpinBox *>(object))
                spin->setValue(int(value));
            else if (auto *slider = qobject_cast<QAbstractSlider *>(object))
                slider->setValue(int(value));
        }
    } else if (property == QLatin1String("Checked")) {
        auto *button = qobject_cast<QAbstractButton *>(object);
        if (!button)
            return;
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            button->setChecked(true);
        else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            button->setChecked(false);
    } else if (property == QLatin1String("ActivePage")) {
        int index = -1;
        if (!PageNamed(object, text, index))
            return;
        if (auto *tabs = qobject_cast<QTabWidget *>(object))
            tabs->setCurrentIndex(index);
        else if (auto *stack = qobject_cast<QStackedWidget *>(object))
            stack->setCurrentIndex(index);
    }
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
        Dialogs::Current().ReportError(parent, QStringLiteral("No se puede crear la carpeta de %1").arg(path));
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
        Dialogs::Current().ReportError(parent, QStringLiteral("No se puede guardar la configuración en %1").arg(path));
        return false;
    }
    return true;
}

void FormStorage::SaveProperty(QSettings &settings, const QString &component, const QString &property)
{
    QObject *object = window_->findChild<QObject *>(component);
    if (!object)
        return;
    if (property == QLatin1String("Items") && IsList(object)) {
        const QStringList items = ItemsOf(object);
        settings.endGroup();
        const QString listSection = ListSection(section_, component, property);
        settings.remove(listSection);
        if (!items.isEmpty()) {
            settings.beginGroup(listSection);
            settings.setValue(QStringLiteral("Count"), QString::number(items.size()));
            for (qsizetype i = 0; i < items.size(); ++i)
                settings.setValue(QStringLiteral("Item%1").arg(i), items.at(i).trimmed());
            settings.endGroup();
        }
        settings.beginGroup(section_);
        return;
    }

    QString text;
    bool known = true;
    if (property == QLatin1String("Text")) {
        if (auto *edit = qobject_cast<QLineEdit *>(object))
            text = edit->text();
        else if (auto *combo = qobject_cast<QComboBox *>(object))
            text = combo->currentText();
        else
            known = false;
    } else if (property == QLatin1String("Value")) {
        if (auto *spin = qobject_cast<QDoubleSpinBox *>(object))
            text = FormatNumber(spin->value());
        else if (auto *spin = qobject_cast<QSpinBox *>(object))
            text = QString::number(spin->value());
        else if (auto *slider = qobject_cast<QAbstractSlider *>(object))
            text = QString::number(slider->value());
        else
            known = false;
    } else if (property == QLatin1String("Checked")) {
        if (auto *button = qobject_cast<QAbstractButton *>(object))
            text = button->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
        else
            known = false;
    } else if (property == QLatin1String("ActivePage")) {
        QWidget *page = nullptr;
        if (auto *tabs = qobject_cast<QTabWidget *>(object))
            page = tabs->currentWidget();
        else if (auto *stack = qobject_cast<QStackedWidget *>(object))
            page = stack->currentWidget();
        else
            known = false;
        text = page && !page->objectName().isEmpty() ? page->objectName() : NullPage;
    } else {
        known = false;
    }
    if (known)
        settings.setValue(component + QLatin1Char('_') + property, text.trimmed());
}
