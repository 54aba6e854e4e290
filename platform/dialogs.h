#pragma once

#include <QString>

class QDialog;
class QWidget;

// Every message box, prompt, file dialog and modal window goes through here, so tests can
// install a scripted stand-in that records what was shown and answers for the user.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Question, Critical };

    virtual ~Dialogs() = default;
    virtual void Message(QWidget *parent, const QString &caption, const QString &text, Icon icon) = 0; // OK only
    virtual bool Ask(QWidget *parent, const QString &caption, const QString &text, Icon icon) = 0;     // Yes → true
    virtual bool PromptText(QWidget *parent, const QString &caption, const QString &prompt, QString &text) = 0;
    virtual QString OpenFile(QWidget *parent, const QString &filter, const QString &defaultSuffix) = 0; // "" = cancelled
    virtual int Exec(QDialog &dialog) = 0;            // every modal window is shown through here
    virtual void ReportError(QWidget *parent, const QString &text) = 0; // the standard error report

    static Dialogs &Current();
    static void SetCurrent(Dialogs *dialogs);          // nullptr restores the real one
};
