#pragma once

#include <QString>
#include <QStringList>

// What the program is asked for on its command line: a folder or a file to open, or a text
// to print instead of starting (--help, --version, a mistake).
struct CommandLine {
    enum class Action {
        Run,     // start; open `path` when it is not empty
        Print,   // print `text` on standard output and exit with status 0
        Fail     // print `text` on standard error and exit with `status`
    };
    Action action = Action::Run;
    QString text;
    QString path;        // absolute, cleaned
    int status = 0;
};

// The arguments after the program's name, relative paths taken from `currentFolder`. --help
// and --version win wherever they stand (before "--"); otherwise at most one path, which must
// exist. Needs no display: it looks at nothing but its arguments and the file system.
CommandLine ReadCommandLine(const QStringList &arguments, const QString &currentFolder);

// Prints what `ReadCommandLine` gave for Print and Fail and returns the exit status.
int FinishCommandLine(const CommandLine &command);
