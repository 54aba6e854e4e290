#pragma once

// What an operation on many files could not do, and why.

#include <QList>
#include <QString>

#include <functional>
#include <system_error>

// One entry an operation could not handle.
struct Failure {
    QString name;   // as the list names it: the file name, without its folder
    QString reason; // short and in Spanish: "ya existe", "permiso denegado"…

    bool operator==(const Failure &) const = default;
};
using Failures = QList<Failure>;

// Asked before each file with the number of files done so far; false stops the work before
// that file (what is left undone is no failure).
using Progress = std::function<bool(int done)>;

// The reason for an error of the system (an errno) or of the tag library (cvtags::TagError);
// a general reason for an empty error or one of another kind.
QString ReasonText(std::error_code error);

// Why a planned step was never tried, or could not be finished.
enum class Refusal {
    NotAnEntry,     // the parent entry or a drive: nothing on disk to rename
    NoNewName,      // the new name is empty
    InvalidName,    // the new name would leave its folder
    NoFolder,       // there is no real folder to rename in
    ControlChars,   // the new name holds a control character
    Hidden,         // a new name made from tags would start with "."
    Duplicate,      // an earlier entry of the same operation gets the same new name
    SwapIncomplete, // part of a swap or rotation that could not be finished, so it was undone
    Replaced,       // another entry stands under the name since the rename (undo)
};
QString ReasonText(Refusal refusal);

// The message listing the failures: the heading, an empty line, then one line per failure,
// the name, " — " and the reason.
QString FailureListText(const QString &heading, const Failures &failures);
