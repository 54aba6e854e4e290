#include "tests/support/scripteddialogs.h"

ScriptedDialogs::ScriptedDialogs() { Dialogs::SetCurrent(this); }

ScriptedDialogs::~ScriptedDialogs() { Dialogs::SetCurrent(nullptr); }

void ScriptedDialogs::Message(QWidget *, const QString &caption, const QString &text, Icon icon)
{
    shown.append({QStringLiteral("Message"), caption, text, icon});
}

bool ScriptedDialogs::Ask(QWidget *, const QString &caption, const QString &text, Icon icon)
{
    shown.append({QStringLiteral("Ask"), caption, text, icon});
    return askAnswers.isEmpty() ? false : askAnswers.takeFirst();
}

bool ScriptedDialogs::PromptText(QWidget *, const QString &caption, const QString &prompt, QString &text)
{
    shown.append({QStringLiteral("PromptText"), caption, prompt, Icon::None});
    promptInitialTexts.append(text);
    if (promptAnswers.isEmpty())
        return false;
    const QString answer = promptAnswers.takeFirst();
    if (answer.isNull())
        return false;
    text = answer;
    return true;
}

QString ScriptedDialogs::OpenFile(QWidget *, const QString &filter, const QString &)
{
    shown.append({QStringLiteral("OpenFile"), QString(), filter, Icon::None});
    return openFileAnswers.isEmpty() ? QString() : openFileAnswers.takeFirst();
}

int ScriptedDialogs::Exec(QDialog &dialog)
{
    shown.append({QStringLiteral("Exec"), dialog.windowTitle(), dialog.objectName(), Icon::None});
    if (onExec)
        return onExec(dialog);
    dialog.reject();
    return QDialog::Rejected;
}

void ScriptedDialogs::ReportError(QWidget *, const QString &text)
{
    shown.append({QStringLiteral("ReportError"), QString(), text, Icon::Critical});
}

QList<ScriptedDialogs::Shown> ScriptedDialogs::Of(const QString &kind) const
{
    QList<Shown> result;
    for (const Shown &s : shown)
        if (s.kind == kind)
            result.append(s);
    return result;
}
