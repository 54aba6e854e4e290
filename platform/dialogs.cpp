#include "platform/dialogs.h"

#include "platform/application.h"
#include "platform/placement.h"
#include "platform/busycursor.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStringList>
#include <QStyle>

#include <tuple>

namespace {

QMessageBox::Icon BoxIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information: return QMessageBox::Information;
    case Dialogs::Icon::Warning: return QMessageBox::Warning;
    case Dialogs::Icon::Question: return QMessageBox::Question;
    case Dialogs::Icon::Critical: return QMessageBox::Critical;
    case Dialogs::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

void SetButtonText(QMessageBox &box, QMessageBox::StandardButton which, const QString &text)
{
    if (QAbstractButton *button = box.button(which))
        button->setText(text);
}

QRect AvailableArea(QWidget *parent)
{
    const QScreen *screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// Whether a message box can show the whole text on the screen: leaves room for the title
// bar, the icon, the margins and the buttons.
bool FitsOnScreen(QWidget *parent, const QString &text)
{
    const QRect area = AvailableArea(parent);
    if (!area.isValid())
        return true;
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    const qsizetype lines = text.count(u'\n') + 1;
    if (lines * qint64(metrics.lineSpacing()) + 200 > area.height())
        return false;
    const qsizetype widest = area.width() - 160;
    for (const QString &line : text.split(u'\n'))
        if (metrics.horizontalAdvance(line) > widest)
            return false;
    return true;
}

QStyle::StandardPixmap IconPixmap(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information: return QStyle::SP_MessageBoxInformation;
    case Dialogs::Icon::Warning: return QStyle::SP_MessageBoxWarning;
    case Dialogs::Icon::Question: return QStyle::SP_MessageBoxQuestion;
    case Dialogs::Icon::Critical: return QStyle::SP_MessageBoxCritical;
    case Dialogs::Icon::None: break;
    }
    return QStyle::SP_CustomBase;
}

// A message longer than the screen: the same caption, icon, text and buttons, but the text
// scrolls and the box is never taller than the screen. Gives the button pressed.
QMessageBox::StandardButton LongMessageBox(QWidget *parent, const QString &caption, const QString &text,
                                           Dialogs::Icon icon, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    QDialog box(parent);
    box.setWindowTitle(caption);
    auto *layout = new QGridLayout(&box);
    if (icon != Dialogs::Icon::None) {
        auto *picture = new QLabel(&box);
        const int extent = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        picture->setPixmap(box.style()->standardIcon(IconPixmap(icon), nullptr, &box).pixmap(extent, extent));
        layout->addWidget(picture, 0, 0, Qt::AlignTop);
    }
    auto *view = new QPlainTextEdit(&box);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFrameShape(QFrame::NoFrame);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    view->setPalette(palette);
    view->setPlainText(text);
    layout->addWidget(view, 0, 1);
    auto *bar = new QDialogButtonBox(QDialogButtonBox::StandardButtons(int(buttons)), &box);
    if (QPushButton *ok = bar->button(QDialogButtonBox::Ok))
        ok->setText(QStringLiteral("Aceptar"));
    // S and N answer, alone or with Alt, as in the short boxes.
    for (const auto &[which, label, key] : {std::tuple(QDialogButtonBox::Yes, "&Sí", Qt::Key_S),
                                              std::tuple(QDialogButtonBox::No, "&No", Qt::Key_N)}) {
        if (QPushButton *button = bar->button(which)) {
            button->setText(QString::fromUtf8(label));
            QObject::connect(new QShortcut(QKeySequence(key), &box), &QShortcut::activated, button,
                             &QPushButton::click);
        }
    }
    if (QPushButton *chosen = bar->button(QDialogButtonBox::StandardButton(int(defaultButton)))) {
        chosen->setDefault(true);
        chosen->setFocus();
    }
    layout->addWidget(bar, 1, 0, 1, 2);
    QMessageBox::StandardButton pressed = QMessageBox::NoButton;
    QObject::connect(bar, &QDialogButtonBox::clicked, &box, [&](QAbstractButton *button) {
        pressed = QMessageBox::StandardButton(int(bar->standardButton(button)));
        box.accept();
    });

    const QRect area = AvailableArea(parent);
    const QFontMetrics metrics(view->font());
    int widest = 0;
    for (const QString &line : text.left(200000).split(u'\n'))
        widest = qMax(widest, metrics.horizontalAdvance(line));
    const QSize wanted(widest + 120, int(qMin<qint64>((text.count(u'\n') + 1) * qint64(metrics.lineSpacing()) + 120,
                                                      QWIDGETSIZE_MAX)));
    box.resize(area.isValid() ? wanted.boundedTo(area.size() * 4 / 5) : wanted.boundedTo(QSize(800, 600)));
    CentreOnScreen(&box);
    // A question ends with what it asks: show that end, the button answers it.
    if (buttons.testFlag(QMessageBox::Yes))
        view->moveCursor(QTextCursor::End);
    box.exec();
    return pressed;
}

// Accepts both the "Name|*.txt|Other|*.*" pairs of the original forms and Qt's own
// "Name (*.txt);;Other (*)" form.
QString QtFilter(const QString &filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts.at(i + 1);
        masks.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (masks.trimmed() == QLatin1String("*.*"))
            masks = QStringLiteral("*");
        entries.append(QStringLiteral("%1 (%2)").arg(parts.at(i), masks));
    }
    return entries.join(QStringLiteral(";;"));
}

class RealDialogs final : public Dialogs {
public:
    void Message(QWidget *parent, const QString &caption, const QString &text, Icon icon) override
    {
        const UserPointer pointer;
        if (!FitsOnScreen(parent, text)) {
            LongMessageBox(parent, caption, text, icon, QMessageBox::Ok, QMessageBox::Ok);
            return;
        }
        QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, parent);
        SetButtonText(box, QMessageBox::Ok, QStringLiteral("Aceptar"));
        box.exec();
    }

    bool Ask(QWidget *parent, const QString &caption, const QString &text, Icon icon) override
    {
        const UserPointer pointer;
        if (!FitsOnScreen(parent, text))
            return LongMessageBox(parent, caption, text, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
                == QMessageBox::Yes;
        QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, parent);
        // "&" marks the letters that answer: S or N, alone or with Alt.
        SetButtonText(box, QMessageBox::Yes, QStringLiteral("&Sí"));
        SetButtonText(box, QMessageBox::No, QStringLiteral("&No"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    bool PromptText(QWidget *parent, const QString &caption, const QString &prompt, QString &text) override
    {
        const UserPointer pointer;
        QInputDialog dialog(parent);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setWindowTitle(caption);
        dialog.setLabelText(prompt);
        dialog.setTextValue(text);
        dialog.setOkButtonText(QStringLiteral("Aceptar"));
        dialog.setCancelButtonText(QStringLiteral("Cancelar"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        text = dialog.textValue();
        return true;
    }

    QString OpenFile(QWidget *parent, const QString &filter, const QString &defaultSuffix) override
    {
        const UserPointer pointer;
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QtFilter(filter));
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Abrir"));
        dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.first();
    }

    int Exec(QDialog &dialog) override
    {
        const UserPointer pointer;
        return dialog.exec();
    }

    void ReportError(QWidget *parent, const QString &text) override
    {
        const UserPointer pointer;
        if (!FitsOnScreen(parent, text)) {
            LongMessageBox(parent, ProgramName(), text, Icon::Critical, QMessageBox::Ok,
                           QMessageBox::Ok);
            return;
        }
        QMessageBox box(QMessageBox::Critical, ProgramName(), text,
                        QMessageBox::Ok, parent);
        SetButtonText(box, QMessageBox::Ok, QStringLiteral("Aceptar"));
        box.exec();
    }
};

Dialogs *current = nullptr;

} // namespace

Dialogs &Dialogs::Current()
{
    static RealDialogs real;
    return current ? *current : real;
}

void Dialogs::SetCurrent(Dialogs *dialogs) { current = dialogs; }
