// Advanced renaming from the main window's button through both dialogs to the re-read list.
#include "tests/main/windowfixture.h"
#include "tests/rename/renamefixture.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tabcycle.h"
#include "tests/support/testdir.h"

#include "main/main.h"
#include "rename/VistaPrevia.h"
#include "rename/avanzado.h"
#include "rename/numerar.h"
#include "rename/spinedit.h"
#include "widgets/foldertree.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

using Kind = FileListView::EntryKind;

QStringList NamesIn(const TestDir &dir)
{
    QStringList names = QDir(dir.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

// "name" a file, "name/" a folder.
void Populate(TestDir &dir, const QStringList &entries)
{
    for (const QString &entry : entries)
        entry.endsWith(u'/') ? dir.CreateDir(entry.chopped(1)) : dir.CreateFile(entry, entry.toUtf8());
}

Kind KindOf(const QString &entry)
{
    if (entry == FileListView::ParentCaption)
        return Kind::Parent;
    return entry.endsWith(u'/') ? Kind::Folder : Kind::File;
}

std::vector<FileListView::SelectedEntry> Entries(const QStringList &captions)
{
    std::vector<FileListView::SelectedEntry> entries;
    for (const QString &caption : captions)
        entries.push_back({KindOf(caption), caption.endsWith(u'/') ? caption.chopped(1) : caption});
    return entries;
}

const QString LongName = QString(300, u'x');

} // namespace

class TestAdvancedRename : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("CarventoUtilities")); }

    void keyboardOnly()
    {
        ScriptedDialogs dialogs;
        TfAvanzado dialog(Entries({"a.txt", "b.txt"}));
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // It opens where the new names are typed.
        QCOMPARE(QApplication::focusWidget(), dialog.mRenombrados);

        // Left to right, each control once ("&Deshacer" is off until a bulk change).
        dialog.lbOriginal->setFocus();
        const QList<QWidget *> expected{dialog.sbTraspasar, dialog.mRenombrados, dialog.sbCargarFichero,
                                        dialog.sbNumerar,   dialog.sbAgregar,    dialog.sbEliminar,
                                        dialog.sbSustituir, dialog.sbRenombrar,  dialog.sbCerrar,
                                        dialog.lbOriginal};
        QCOMPARE(WidgetNames(TabCycle()), WidgetNames(expected));
        const QString fault = TabCycleFault(&dialog);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));

        // Tab leaves the editor and Shift+Tab comes back: no tab reaches a name.
        dialog.mRenombrados->setFocus();
        QTest::keyClicks(dialog.mRenombrados, QStringLiteral("q"));
        QTest::keyClick(dialog.mRenombrados, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.sbCargarFichero);
        QTest::keyClick(dialog.sbCargarFichero, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), dialog.mRenombrados);
        QTest::keyClicks(dialog.mRenombrados, QStringLiteral("r.txt"));
        QCOMPARE(dialog.Lines().first(), QStringLiteral("qr.txt"));
        QVERIFY(!dialog.mRenombrados->toPlainText().contains(u'\t'));

        // Shift+Down in the list still moves the entry, and only by one.
        dialog.lbOriginal->setFocus();
        dialog.lbOriginal->setCurrentRow(0);
        QTest::keyClick(dialog.lbOriginal, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(dialog.lbOriginal->item(1)->text(), QStringLiteral("a.txt"));
        QCOMPARE(QApplication::focusWidget(), dialog.lbOriginal);
        // The accelerators of the bar: Alt+R renames (here: the line counts differ).
        QTest::keyClick(dialog.lbOriginal, Qt::Key_R, Qt::AltModifier);
        QTRY_COMPARE(dialogs.Of(QStringLiteral("Message")).size(), 1);
        QVERIFY(dialogs.Of(QStringLiteral("Message")).first().text.startsWith(
            QStringLiteral("El número de ficheros en las listas no coincide.")));
    }

    void nothingSelected()
    {
        WindowEnvironment env;
        TestDir dir;
        Populate(dir, {"a"});
        env.WriteKeyText(QStringLiteral("RUTA RENOMBRADOR"), dir.Path());
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QVERIFY(w->sbAvanzadas->isEnabled());
        QTest::mouseClick(w->sbAvanzadas, Qt::LeftButton);
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown.first().kind, QStringLiteral("Message"));
        QCOMPARE(dialogs.shown.first().caption, QStringLiteral("Atención"));
        QCOMPARE(dialogs.shown.first().text, QStringLiteral("No hay ningún fichero seleccionado."));
        QCOMPARE(dialogs.shown.first().icon, Dialogs::Icon::Warning);
    }

    void wholeRename_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("steps");       // what the user does in the advanced dialog
        QTest::addColumn<bool>("previewAccepted");
        QTest::addColumn<QStringList>("preview");  // old|new lines shown
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("message");

        const QString heading = QStringLiteral("No se han podido renombrar los siguientes ficheros:\n\n");
        QTest::newRow("copy across, each onto its own name")
            << QStringList{"c.mp3", "a.mp3", "b.mp3"} << QStringList{"c.mp3", "a.mp3", "b.mp3"} << "copy" << true
            << QStringList{"a.mp3|a.mp3", "b.mp3|b.mp3", "c.mp3|c.mp3"} << QStringList{"a.mp3", "b.mp3", "c.mp3"}
            << "";
        QTest::newRow("numbered, filled")
            << QStringList{"a.mp3", "b.mp3", "other"} << QStringList{"a.mp3", "b.mp3"} << "copy number" << true
            << QStringList{"a.mp3|001a.mp3", "b.mp3|002b.mp3"} << QStringList{"001a.mp3", "002b.mp3", "other"} << "";
        QTest::newRow("advanced dialog closed") << QStringList{"a.mp3"} << QStringList{"a.mp3"} << "close" << false
                                                << QStringList{} << QStringList{"a.mp3"} << "";
        QTest::newRow("first fails, others renamed")
            << QStringList{"a", "b", "taken"} << QStringList{"a", "b"} << "type:taken\nnew b" << true
            << QStringList{"a|taken", "b|new b"} << QStringList{"a", "new b", "taken"} << heading + "a — ya existe\n";
        QTest::newRow("parent entry and a folder")
            << QStringList{"dir/", "f"} << QStringList{" <- Anterior", "dir", "f"} << "type:up\nfolder\nfile" << true
            << QStringList{" <- Anterior|up", "dir|folder", "f|file"} << QStringList{"file", "folder"}
            << heading + " <- Anterior — no es un fichero ni una carpeta\n";
        QTest::newRow("reordered old names") << QStringList{"a", "b"} << QStringList{"a", "b"}
                                             << "down type:first\nsecond" << true
                                             << QStringList{"b|first", "a|second"} << QStringList{"first", "second"}
                                             << "";
    }
    void wholeRename()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, selected);
        QFETCH(QString, steps);
        QFETCH(bool, previewAccepted);
        QFETCH(QStringList, preview);
        QFETCH(QStringList, after);
        QFETCH(QString, message);
        WindowEnvironment env;
        TestDir dir;
        Populate(dir, files);
        env.WriteKeyText(QStringLiteral("RUTA RENOMBRADOR"), dir.Path());
        ScriptedDialogs dialogs;
        QStringList shownPreview;
        dialogs.onExec = [&](QDialog &dialog) {
            if (auto *numerar = qobject_cast<TfNumerar *>(&dialog)) {
                numerar->show();
                if (!numerar->ckRellenar->isChecked())
                    numerar->ckRellenar->click();
                numerar->seLongitud->setValue(3);
                numerar->sbAceptar->click();
                return numerar->result();
            }
            if (auto *advanced = qobject_cast<TfAvanzado *>(&dialog)) {
                advanced->show();
                if (steps.startsWith(u"down")) {
                    advanced->lbOriginal->setCurrentRow(0);
                    advanced->Moverabajo1Click();
                }
                if (steps.contains(u"copy"))
                    advanced->sbTraspasar->click();
                if (steps.contains(u"number"))
                    advanced->sbNumerar->click();
                if (steps.contains(u"type:"))
                    advanced->mRenombrados->setPlainText(steps.mid(steps.indexOf(u"type:") + 5));
                if (steps == u"close")
                    advanced->sbCerrar->click();
                else
                    advanced->sbRenombrar->click();
                return advanced->result();
            }
            auto *previewDialog = qobject_cast<TfVistaPrevia *>(&dialog);
            const QStringList left = previewDialog->mOrigen->toPlainText().split(u'\n');
            const QStringList right = previewDialog->mDestino->toPlainText().split(u'\n');
            for (qsizetype i = 0; i < left.size(); ++i)
                shownPreview.append(left.at(i) + u'|' + right.value(i));
            (previewAccepted ? previewDialog->sbAceptar : previewDialog->sbSalir)->click();
            return previewDialog->result();
        };
        auto w = env.NewWindow();
        SelectEntries(w->Ficheros, selected);
        QTest::mouseClick(w->sbAvanzadas, Qt::LeftButton);

        QCOMPARE(shownPreview, preview);
        QCOMPARE(NamesIn(dir), after);
        const auto messages = dialogs.Of(QStringLiteral("Message"));
        QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(messages.first().caption, QStringLiteral("Atención"));
            QCOMPARE(messages.first().icon, Dialogs::Icon::Warning);
            QCOMPARE(messages.first().text, message);
        }
        // The list shows what is on disk now.
        QStringList listed = Captions(w->Ficheros);
        listed.removeAll(FileListView::ParentCaption);
        listed.sort();
        QCOMPARE(listed, after);
    }

    // Before anything is renamed, "Vista previa" marks each line that will fail, and why; a
    // control character shows as its symbol. Accepting renames the others and lists the rest.
    void previewMarksWhatWillFail()
    {
        WindowEnvironment env;
        TestDir dir;
        Populate(dir, {"a", "b", "c", "d", "e", "f", "fuera"});
        env.WriteKeyText(QStringLiteral("RUTA RENOMBRADOR"), dir.Path());
        ScriptedDialogs dialogs;
        QStringList marks;
        QString shown;
        QString summary;
        dialogs.onExec = [&](QDialog &dialog) {
            if (auto *advanced = qobject_cast<TfAvanzado *>(&dialog)) {
                advanced->show();
                advanced->SetLines({"fuera", "x", "x", LongName, QStringLiteral("t\tab"), "b"});
                advanced->sbRenombrar->click();
                return advanced->result();
            }
            auto *preview = qobject_cast<TfVistaPrevia *>(&dialog);
            preview->show();
            marks = preview->LineMarks();
            shown = preview->mDestino->toPlainText();
            summary = preview->lbMarcas->isVisible() ? preview->lbMarcas->text() : QString();
            preview->sbAceptar->click();
            return preview->result();
        };
        auto w = env.NewWindow();
        SelectEntries(w->Ficheros, {"a", "b", "c", "d", "e", "f"});
        QTest::mouseClick(w->sbAvanzadas, Qt::LeftButton);

        QCOMPARE(marks, (QStringList{"ya existe", "", "el nombre nuevo está repetido", "nombre demasiado largo",
                                     "el nombre tiene caracteres de control", ""}));
        QCOMPARE(shown.split(u'\n').value(4), QStringLiteral("t\u2409ab"));
        QCOMPARE(summary, QStringLiteral("Las 4 líneas marcadas no se podrán renombrar: el nombre nuevo está "
                                         "repetido (1), el nombre tiene caracteres de control (1), nombre "
                                         "demasiado largo (1), ya existe (1)."));
        QCOMPARE(dialogs.Of(QStringLiteral("Message")).value(0).text,
                 QStringLiteral("No se han podido renombrar los siguientes ficheros:\n\na — ya existe\n"
                                "c — el nombre nuevo está repetido\nd — nombre demasiado largo\n"
                                "e — el nombre tiene caracteres de control\n"));
        QCOMPARE(NamesIn(dir), (QStringList{"a", "b", "c", "d", "e", "fuera", "x"}));
    }

    // After a rename the folder tree shows the folder's sub-folders as they are now, and what
    // was expanded stays expanded; choosing the renamed one shows it in the list.
    void treeFollowsRenamedFolders_data()
    {
        QTest::addColumn<bool>("advanced"); // else the extension operation
        QTest::newRow("extension added") << false;
        QTest::newRow("advanced rename") << true;
    }
    void treeFollowsRenamedFolders()
    {
        QFETCH(bool, advanced);
        WindowEnvironment env;
        TestDir dir;
        Populate(dir, {"alfa/", "alfa/dentro/", "beta/", "f.txt"});
        env.WriteKeyText(QStringLiteral("RUTA RENOMBRADOR"), dir.Path());
        ScriptedDialogs dialogs;
        dialogs.onExec = [](QDialog &dialog) {
            if (auto *names = qobject_cast<TfAvanzado *>(&dialog)) {
                names->mRenombrados->setPlainText(QStringLiteral("beta.old"));
                names->sbRenombrar->click();
            } else {
                dialog.accept();
            }
            return dialog.result();
        };
        auto w = env.NewWindow();
        FolderTree *tree = w->Carpetas;
        const QModelIndex shown = tree->currentIndex();
        const auto children = [tree](const QModelIndex &parent) {
            QStringList names;
            for (int row = 0; row < tree->model()->rowCount(parent); ++row)
                names << tree->model()->index(row, 0, parent).data().toString();
            return names;
        };
        tree->expand(shown);
        QCOMPARE(children(shown), (QStringList{"alfa", "beta"}));
        tree->expand(tree->model()->index(0, 0, shown));

        SelectEntries(w->Ficheros, {"beta"});
        if (advanced)
            w->sbAvanzadasClick();
        else
            w->AddExtension(QStringLiteral("old"));

        QCOMPARE(NamesIn(dir), (QStringList{"alfa", "beta.old", "f.txt"}));
        QCOMPARE(tree->currentIndex(), shown);
        QCOMPARE(children(shown), (QStringList{"alfa", "beta.old"}));
        const QModelIndex alfa = tree->model()->index(0, 0, shown);
        QVERIFY(tree->isExpanded(alfa));
        QCOMPARE(children(alfa), QStringList{"dentro"});
        tree->setCurrentIndex(tree->model()->index(1, 0, shown));
        QCOMPARE(w->Ficheros->Directory(), dir.FilePath(QStringLiteral("beta.old/")));
        QVERIFY(dialogs.Of(QStringLiteral("Message")).isEmpty());
    }

    // Leaving the preview goes back to the names as they were, undo included; closing the
    // advanced dialog with names written asks first.
    void leavingThePreviewGoesBackToTheNames()
    {
        WindowEnvironment env;
        TestDir dir;
        Populate(dir, {"a.mp3", "b.mp3"});
        env.WriteKeyText(QStringLiteral("RUTA RENOMBRADOR"), dir.Path());
        ScriptedDialogs dialogs;
        dialogs.askAnswers = {false, true};
        int advancedShown = 0;
        QStringList linesBack;
        bool undoBack = false;
        bool openAfterNo = false;
        dialogs.onExec = [&](QDialog &dialog) {
            if (auto *advanced = qobject_cast<TfAvanzado *>(&dialog)) {
                advanced->show();
                if (advancedShown++ == 0) {
                    advanced->sbTraspasar->click();
                    advanced->mRenombrados->setPlainText(QStringLiteral("uno.mp3\ndos.mp3"));
                    advanced->sbRenombrar->click();
                } else {
                    linesBack = advanced->Lines();
                    undoBack = advanced->sbDeshacer->isEnabled();
                    advanced->close();
                    openAfterNo = advanced->isVisible();
                    advanced->close();
                }
                return advanced->result();
            }
            dialog.show();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            return dialog.result();
        };
        auto w = env.NewWindow();
        SelectEntries(w->Ficheros, {"a.mp3", "b.mp3"});
        QTest::mouseClick(w->sbAvanzadas, Qt::LeftButton);

        QCOMPARE(advancedShown, 2);
        QCOMPARE(linesBack, (QStringList{"uno.mp3", "dos.mp3"}));
        QVERIFY(undoBack);
        QVERIFY(openAfterNo);
        const auto asked = dialogs.Of(QStringLiteral("Ask"));
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].caption, QStringLiteral("Confirmación"));
        QCOMPARE(asked[0].text, QStringLiteral("Los nombres nuevos escritos se perderán. ¿Cerrar sin renombrar?"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(NamesIn(dir), (QStringList{"a.mp3", "b.mp3"}));
        QVERIFY(dialogs.Of(QStringLiteral("Message")).isEmpty());
    }
};

QTEST_MAIN(TestAdvancedRename)
#include "tst_advancedrename.moc"
