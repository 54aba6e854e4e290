#pragma once

#include "platform/dialogs.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Records every box, prompt and window the program shows and answers with what the test chose.
// Installs itself on construction and restores the real dialogs when destroyed.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString kind;      // "Message", "Ask", "PromptText", "OpenFile", "Exec", "ReportError"
        QString caption;
        QString text;      // message, question, prompt, filter or the dialog's object name
        Icon icon = Icon::None;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Answers, used in order; when a list runs out the default applies (No, cancel, reject).
    QList<bool> askAnswers;
    QList<QString> promptAnswers;    // a null QString cancels the prompt
    QStringList openFileAnswers;
    // Called with each modal window instead of running it; returns the dialog's result.
    std::function<int(QDialog &)> onExec;

    QList<Shown> shown;

    void Message(QWidget *parent, const QString &caption, const QString &text, Icon icon) override;
    bool Ask(QWidget *parent, const QString &caption, const QString &text, Icon icon) override;
    bool PromptText(QWidget *parent, const QString &caption, const QString &prompt, QString &text) override;
    QString OpenFile(QWidget *parent, const QString &filter, const QString &defaultSuffix) override;
    int Exec(QDialog &dialog) override;
    void ReportError(QWidget *parent, const QString &text) override;

    // The shown entries of one kind.
    QList<Shown> Of(const QString &kind) const;
    // The initial text each prompt was given, in order.
    QStringList promptInitialTexts;
};
