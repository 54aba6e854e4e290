#pragma once

#include "platform/fileentry.h"
#include "platform/paths.h"

#include <QString>
#include <QStringList>

// A text as a menu caption that shows it as it is: every "&" doubled, so none becomes an
// accelerator mark.
QString MenuCaption(const QString &text);

// 1-based position of the forbidden symbol nearest to the end of the text, -1 when none.
int InvalidSymbolPos(const QString &text);

enum class ExtensionOperation { Change, Add, Remove };

// What one of the three extension operations does with one entry of the list.
struct ExtensionStep {
    enum class Action { Rename, AskFirst, Skip, Fail };
    Action action = Action::Skip;
    QString newName;
    QString question;   // for AskFirst
};

// The rule for an entry named `name`; `extension` is the new extension (unused for Remove).
ExtensionStep PlanExtensionStep(ExtensionOperation operation, const QString &name, const QString &extension);

// The same for an entry of the given kind. The parent entry and drives have no file behind
// them: where the rule would rename them they fail, without a question.
ExtensionStep PlanExtensionStep(ExtensionOperation operation, FileEntry::Kind kind, const QString &name,
                                const QString &extension);

// The heading of the failure message of an operation.
QString ExtensionFailureHeading(ExtensionOperation operation);

inline const QString LongExtensionCaption = QStringLiteral("Extensión mayor de 3 caracteres");

// Where an extension goes in a list kept sorted with letter case ignored.
int SortedInsertPosition(const QStringList &items, const QString &item);

// A stored extension list as the list keeps it: sorted with letter case ignored (equal ones
// keep their order), and without the later of two items that differ in letter case only.
QStringList SortedExtensionList(const QStringList &items);
