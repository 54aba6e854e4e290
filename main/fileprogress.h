#pragma once

#include "platform/failure.h"

#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// Progress of work on many files, one file after the other on the user-interface thread.
// The dialog stays hidden unless the work takes longer than half a second; its "Cancelar"
// button stops the work before the next file. Blocks the parent window while shown.
//
//     FileProgress progress(this, QStringLiteral("Guardando…"), count);
//     for (int i = 0; i < count && progress.Continue(i); ++i)
//         work on file i;
class FileProgress {
public:
    static constexpr int ShowAfterMs = 500;

    FileProgress(QWidget *parent, const QString &label, int fileCount);
    ~FileProgress();
    FileProgress(const FileProgress &) = delete;
    FileProgress &operator=(const FileProgress &) = delete;

    // Call before file `index` (from 0): moves the bar and lets the dialog answer. False once
    // the user has cancelled: leave that file and the rest untouched.
    bool Continue(int index);
    bool Cancelled() const;

    // The dialog itself, object name "FileProgress" (for tests).
    QProgressDialog *Dialog() const;

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

// Runs an operation on many files with the busy pointer and a FileProgress, whose "Cancelar"
// the operation's Progress answers; gives the operation's failures.
Failures WithFileProgress(QWidget *parent, const QString &label, int fileCount,
                          const std::function<Failures(const Progress &)> &operation);
