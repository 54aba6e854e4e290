// The advanced-rename dialog's bulk changes, undo and the check of the new names.
#include "rename/avanzado.h"

#include "platform/dialogs.h"
#include "rename/agregar.h"
#include "rename/eliminar.h"
#include "rename/newnames.h"
#include "rename/numerar.h"
#include "rename/spinedit.h"
#include "rename/sustituir.h"
#include "rename/transformations.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

template <typename Transformation>
void TfAvanzado::TransformLines(Transformation transformation)
{
    SaveUndo();
    QStringList lines = Lines();
    for (qsizetype i = 0; i < lines.size(); ++i)
        lines[i] = transformation(lines.at(i), int(i));
    SetLines(lines);
}

void TfAvanzado::SaveUndo()
{
    sbDeshacer->setEnabled(true);
    UndoLines = Lines();
}

void TfAvanzado::sbDeshacerClick()
{
    sbDeshacer->setEnabled(false);
    SetLines(UndoLines);
}

void TfAvanzado::sbTraspasarClick()
{
    SaveUndo();
    QStringList names;
    names.reserve(lbOriginal->count());
    for (int i = 0; i < lbOriginal->count(); ++i)
        names.append(lbOriginal->item(i)->text());
    SetLines(names);
}

void TfAvanzado::sbCargarFicheroClick()
{
    const QString path = Dialogs::Current().OpenFile(
        this, QStringLiteral("Ficheros de texto|*.txt|Todos los ficheros|*.*"), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    SaveUndo();
    QStringList lines;
    QString error;
    if (!ReadNameFile(path, lines, error)) {
        Dialogs::Current().ReportError(this, error);
        return;
    }
    SetLines(lines);
}

void TfAvanzado::sbNumerarClick()
{
    TfNumerar dialog(this);
    if (Dialogs::Current().Exec(dialog) != QDialog::Accepted)
        return;
    const int first = dialog.seEmpezar->value();
    const bool fill = dialog.ckRellenar->isChecked();
    const int length = dialog.seLongitud->value();
    const int position = dialog.sePosicion->value();
    TransformLines([&](const QString &line, int index) {
        return NumberLines(line, index, first, fill, length, position);
    });
}

void TfAvanzado::sbAgregarClick()
{
    TfAgregar dialog(this);
    if (Dialogs::Current().Exec(dialog) != QDialog::Accepted)
        return;
    const QString text = dialog.edCadena->text();
    const int position = dialog.sePosicion->value();
    TransformLines([&](const QString &line, int) { return InsertText(line, text, position); });
}

void TfAvanzado::sbEliminarClick()
{
    TfEliminar dialog(this);
    const int result = Dialogs::Current().Exec(dialog);
    if (result == TfEliminar::ResultOk) {
        const int position = dialog.sePosicion->value();
        const int count = dialog.seCaracteres->value();
        TransformLines([&](const QString &line, int) { return DeleteCharacters(line, position, count); });
    } else if (result == TfEliminar::ResultYes) {
        const QString text = dialog.edEliminar->text();
        TransformLines([&](const QString &line, int) { return DeleteText(line, text); });
    }
}

void TfAvanzado::sbSustituirClick()
{
    TfSustituir dialog(this);
    if (Dialogs::Current().Exec(dialog) != QDialog::Accepted)
        return;
    const QString sought = dialog.edSustituir->text();
    const QString replacement = dialog.edPor->text();
    TransformLines([&](const QString &line, int) { return ReplaceText(line, sought, replacement); });
}

bool TfAvanzado::CheckNewNames()
{
    const QStringList lines = Lines();
    const QString report = ForbiddenCharsReport(lines);
    if (report.isEmpty())
        return true;
    if (!Dialogs::Current().Ask(this, QStringLiteral("Atención"), report + RemoveForbiddenQuestion,
                                Dialogs::Icon::Warning))
        return false;
    SetLines(WithoutForbiddenChars(lines));
    return true;
}

// Gives the names as trimmed: with every line deleted they are none, though the editor still
// shows its one empty line.
QStringList TfAvanzado::TrimNewNames()
{
    const QStringList lines = Lines();
    const QStringList trimmed = ::TrimNewNames(lines);
    if (trimmed != lines)
        SetLines(trimmed);
    return trimmed;
}

void TfAvanzado::sbRenombrarClick()
{
    if (!CheckNewNames())
        return;
    const qsizetype renamed = TrimNewNames().size();
    if (lbOriginal->count() == renamed) {
        done(QDialog::Accepted);
        return;
    }
    Dialogs::Current().Message(this, QStringLiteral("Atención"), CountMismatchText(lbOriginal->count(), renamed),
                               Dialogs::Icon::Warning);
}
