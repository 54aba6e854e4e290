#include "tests/rename/renamefixture.h"

#include "platform/settingskey.h"

#include <QAbstractSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>

std::vector<FileListView::SelectedEntry> FileEntries(const QStringList &names)
{
    std::vector<FileListView::SelectedEntry> entries;
    for (const QString &name : names)
        entries.push_back({FileListView::EntryKind::File, name});
    return entries;
}

void TypeInto(QWidget *field, const QString &text)
{
    QLineEdit *edit = qobject_cast<QLineEdit *>(field);
    if (!edit)
        edit = field->findChild<QLineEdit *>();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    if (auto *spin = qobject_cast<QAbstractSpinBox *>(field))
        spin->interpretText();
}

QString IniValue(const QString &section, const QString &entry)
{
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    return ini.value(section + u'/' + entry).toString();
}
