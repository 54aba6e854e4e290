#include "platform/dialogs.h"

#include "platform/application.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

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
        QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, parent);
        SetButtonText(box, QMessageBox::Ok, QStringLiteral("Aceptar"));
        box.exec();
    }

    bool Ask(QWidget *parent, const QString &caption, const QString &text, Icon icon) override
    {
        QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, parent);
        SetButtonText(box, QMessageBox::Yes, QStringLiteral("Sí"));
        SetButtonText(box, QMessageBox::No, QStringLiteral("No"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    bool PromptText(QWidget *parent, const QString &caption, const QString &prompt, QString &text) override
    {
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

    int Exec(QDialog &dialog) override { return dialog.exec(); }

    void ReportError(QWidget *parent, const QString &text) override
    {
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
