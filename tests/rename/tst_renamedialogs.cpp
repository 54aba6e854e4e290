// The advanced-rename dialog, its preview and the four transformation dialogs, driven as the
// user would through their controls; boxes are answered by the scripted dialogs.
#include "tests/main/windowfixture.h"
#include "tests/rename/renamefixture.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tabcycle.h"
#include "tests/support/testdir.h"

#include "platform/dialogs.h"
#include "rename/VistaPrevia.h"
#include "rename/agregar.h"
#include "rename/avanzado.h"
#include "rename/eliminar.h"
#include "rename/numerar.h"
#include "rename/spinedit.h"
#include "rename/sustituir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTextCursor>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace {

QStringList ListTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

std::unique_ptr<QDialog> NewSmallDialog(const QString &kind)
{
    if (kind == u"vista previa")
        return std::make_unique<TfVistaPrevia>();
    if (kind == u"numerar")
        return std::make_unique<TfNumerar>();
    if (kind == u"agregar")
        return std::make_unique<TfAgregar>();
    if (kind == u"eliminar")
        return std::make_unique<TfEliminar>();
    return std::make_unique<TfSustituir>();
}

// Runs a transformation dialog as the advanced dialog's button opens it: the given steps
// fill it in (it is shown, so its remembered values were restored) and give its result.
using DialogSteps = std::function<int(QDialog &)>;

} // namespace

Q_DECLARE_METATYPE(DialogSteps)

class TestRenameDialogs : public QObject {
    Q_OBJECT
private slots:
    void tabVisitsEveryControlOnce_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *name : {"numerar", "agregar", "eliminar", "sustituir", "vista previa"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void tabVisitsEveryControlOnce()
    {
        QFETCH(QString, window);
        ScriptedDialogs dialogs;
        const std::unique_ptr<QDialog> dialog = NewSmallDialog(window);
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QVERIFY(QApplication::focusWidget());
        const QString fault = TabCycleFault(dialog.get());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
        // Dialogs shown without an environment of their own still never touch the user's files.
        environment_ = std::make_unique<WindowEnvironment>();
    }
    void cleanupTestCase() { environment_.reset(); }

    void smallDialogFrames_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("client");
        QTest::newRow("numerar") << "numerar" << "Numerar" << QSize(415, 146);
        QTest::newRow("agregar") << "agregar" << "Agregar" << QSize(399, 108);
        QTest::newRow("eliminar") << "eliminar" << "Eliminar" << QSize(289, 135);
        QTest::newRow("sustituir") << "sustituir" << "Sustituir" << QSize(397, 105);
    }
    void smallDialogFrames()
    {
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(QSize, client);
        std::unique_ptr<QDialog> dialog = NewSmallDialog(kind);
        QCOMPARE(dialog->windowTitle(), caption);
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(dialog->width() >= client.width() && dialog->height() >= client.height());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowCloseButtonHint));
        auto *accept = Child<QPushButton>(dialog.get(), "sbAceptar");
        auto *cancel = Child<QPushButton>(dialog.get(), "sbSalir");
        QCOMPARE(accept->text(), QStringLiteral("&Aceptar"));
        QCOMPARE(cancel->text(), QStringLiteral("&Cancelar"));
        // Every label is bold and says what it labels.
        for (QLabel *label : dialog->findChildren<QLabel *>())
            QVERIFY2(label->font().bold(), qPrintable(label->objectName()));
        dialog->show();
        QVERIFY(accept->x() < cancel->x());
        cancel->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!dialog->isVisible());
    }

    void numerarControls()
    {
        WindowEnvironment environment;
        TfNumerar dialog;
        QCOMPARE(dialog.seEmpezar->value(), 1);
        QCOMPARE(dialog.seLongitud->value(), 2);
        QCOMPARE(dialog.sePosicion->value(), 0);
        QVERIFY(!dialog.ckRellenar->isChecked());
        dialog.show();
        QVERIFY(!dialog.seLongitud->isEnabled());
        QTest::mouseClick(dialog.ckRellenar, Qt::LeftButton, {}, QPoint(4, dialog.ckRellenar->height() / 2));
        QVERIFY(dialog.seLongitud->isEnabled());
        dialog.seLongitud->setValue(4);
        dialog.seEmpezar->setValue(7);
        dialog.sbAceptar->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // The tick is remembered and honoured as soon as the dialog is shown again; the first
        // number is not remembered.
        TfNumerar again;
        again.show();
        QVERIFY(again.ckRellenar->isChecked());
        QVERIFY(again.seLongitud->isEnabled());
        QCOMPARE(again.seLongitud->value(), 4);
        QCOMPARE(again.seEmpezar->value(), 1);
        again.sbSalir->click();
    }

    // A field takes no digit beyond its maximum; a minus sign gives its minimum.
    void typedNumbersStayInTheRange_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::newRow("seEmpezar") << "numerar" << "seEmpezar" << 0 << 9999;
        QTest::newRow("seLongitud") << "numerar" << "seLongitud" << 2 << 10;
        QTest::newRow("numerar sePosicion") << "numerar" << "sePosicion" << 0 << 9999;
        QTest::newRow("agregar sePosicion") << "agregar" << "sePosicion" << 0 << 9999;
        QTest::newRow("eliminar sePosicion") << "eliminar" << "sePosicion" << 0 << 9999;
        QTest::newRow("eliminar seCaracteres") << "eliminar" << "seCaracteres" << 1 << 9999;
    }
    void typedNumbersStayInTheRange()
    {
        QFETCH(QString, kind);
        QFETCH(QString, field);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        std::unique_ptr<QDialog> dialog = NewSmallDialog(kind);
        auto *spin = dialog->findChild<NumberSpinEdit *>(field);
        QVERIFY(spin);
        spin->setEnabled(true);
        spin->setValue(5);
        TypeInto(spin, QStringLiteral("-3"));
        QCOMPARE(spin->value(), minimum);
        TypeInto(spin, QString::number(maximum));
        QCOMPARE(spin->value(), maximum);
        TypeInto(spin, QString::number(maximum + 1));
        QVERIFY(spin->value() <= maximum);
        TypeInto(spin, QStringLiteral("-99999999999999"));
        QCOMPARE(spin->value(), minimum);
    }

    // Each dialog stores its values under its own names, also when cancelled (when it is saved
    // is the form storage's test), and offers them when shown again.
    void rememberedValues_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("entries"); // section entry = stored text
        QTest::newRow("agregar") << "agregar" << QStringList{"edCadena_Text=-", "sePosicion_Value=3"};
        QTest::newRow("eliminar") << "eliminar" << QStringList{"edEliminar_Text=mp3", "pcPrincipal_ActivePage=tsCadena"};
        QTest::newRow("numerar") << "numerar"
                                 << QStringList{"ckRellenar_Checked=True", "seLongitud_Value=5", "sePosicion_Value=3"};
        QTest::newRow("sustituir") << "sustituir" << QStringList{"edSustituir_Text=a", "edPor_Text=b"};
    }
    void rememberedValues()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, entries);
        WindowEnvironment environment;
        const QString section = QStringLiteral("Tf") + kind.at(0).toUpper() + kind.mid(1);
        {
            std::unique_ptr<QDialog> dialog = NewSmallDialog(kind);
            dialog->show();
            if (auto *edit = dialog->findChild<QLineEdit *>("edCadena"))
                TypeInto(edit, QStringLiteral(" - "));
            if (auto *edit = dialog->findChild<QLineEdit *>("edEliminar"))
                TypeInto(edit, QStringLiteral("mp3"));
            if (auto *edit = dialog->findChild<QLineEdit *>("edSustituir"))
                TypeInto(edit, QStringLiteral("a"));
            if (auto *edit = dialog->findChild<QLineEdit *>("edPor"))
                TypeInto(edit, QStringLiteral("b"));
            if (auto *spin = dialog->findChild<NumberSpinEdit *>("sePosicion"))
                TypeInto(spin, QStringLiteral("3"));
            if (auto *check = dialog->findChild<QCheckBox *>("ckRellenar"))
                check->click();
            if (auto *spin = dialog->findChild<NumberSpinEdit *>("seLongitud"))
                TypeInto(spin, QStringLiteral("5"));
            if (auto *pages = dialog->findChild<QTabWidget *>("pcPrincipal"); pages && kind == u"eliminar")
                pages->setCurrentIndex(1);
            Child<QPushButton>(dialog.get(), "sbSalir")->click();
            QVERIFY(!dialog->isVisible());
        }
        for (const QString &entry : entries) {
            const QString name = entry.section(u'=', 0, 0);
            QCOMPARE(IniValue(section, name), entry.section(u'=', 1));
        }

        // Shown again, however it is shown, the dialog offers what was stored.
        std::unique_ptr<QDialog> again = NewSmallDialog(kind);
        again->show();
        if (auto *edit = again->findChild<QLineEdit *>("edCadena"))
            QCOMPARE(edit->text(), QStringLiteral("-"));
        if (auto *pages = again->findChild<QTabWidget *>("pcPrincipal"))
            QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("tsCadena"));
        if (auto *spin = again->findChild<NumberSpinEdit *>("sePosicion"); spin && kind != u"eliminar")
            QCOMPARE(spin->value(), 3);
        if (auto *spin = again->findChild<NumberSpinEdit *>("seLongitud"))
            QVERIFY(spin->isEnabled() && spin->value() == 5);
        if (auto *edit = again->findChild<QLineEdit *>("edPor"))
            QCOMPARE(edit->text(), QStringLiteral("b"));
        Child<QPushButton>(again.get(), "sbSalir")->click();
    }

    void acceptRules_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("first");    // edCadena, edSustituir or edEliminar
        QTest::addColumn<QString>("second");   // edPor
        QTest::addColumn<int>("page");         // TfEliminar's page
        QTest::addColumn<int>("result");       // -1: stays open
        QTest::addColumn<bool>("warned");

        QTest::newRow("agregar empty stays open") << "agregar" << "" << "" << 0 << -1 << false;
        QTest::newRow("agregar text") << "agregar" << "x" << "" << 0 << int(QDialog::Accepted) << false;
        QTest::newRow("sustituir empty stays open") << "sustituir" << "" << "b" << 0 << -1 << false;
        QTest::newRow("sustituir a by A") << "sustituir" << "a" << "A" << 0 << int(QDialog::Accepted) << false;
        QTest::newRow("sustituir a by ab") << "sustituir" << "a" << "ab" << 0 << -1 << true;
        QTest::newRow("eliminar position page") << "eliminar" << "" << "" << 0 << TfEliminar::ResultOk << false;
        QTest::newRow("eliminar text page, empty accepted")
            << "eliminar" << "" << "" << 1 << TfEliminar::ResultYes << false;
        QTest::newRow("numerar") << "numerar" << "" << "" << 0 << int(QDialog::Accepted) << false;
    }
    void acceptRules()
    {
        QFETCH(QString, kind);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, page);
        QFETCH(int, result);
        QFETCH(bool, warned);
        WindowEnvironment environment;
        ScriptedDialogs dialogs;
        std::unique_ptr<QDialog> dialog = NewSmallDialog(kind);
        dialog->setResult(-1);
        dialog->show();
        for (const char *name : {"edCadena", "edSustituir", "edEliminar"})
            if (auto *edit = dialog->findChild<QLineEdit *>(name))
                edit->setText(first);
        if (auto *edit = dialog->findChild<QLineEdit *>("edPor"))
            edit->setText(second);
        if (auto *pages = dialog->findChild<QTabWidget *>("pcPrincipal"))
            pages->setCurrentIndex(page);
        Child<QPushButton>(dialog.get(), "sbAceptar")->click();
        QCOMPARE(dialog->isVisible(), result == -1);
        QCOMPARE(dialog->result(), result);
        if (warned) {
            QCOMPARE(dialogs.shown.size(), 1);
            QCOMPARE(dialogs.shown.first().caption, QStringLiteral("Atención"));
            QCOMPARE(dialogs.shown.first().text,
                     QStringLiteral("Esa sustitución no es válida. Lo está sustituyendo por un valor equivalente."));
            QCOMPARE(dialogs.shown.first().icon, Dialogs::Icon::Warning);
        } else {
            QVERIFY(dialogs.shown.isEmpty());
        }
        dialog->reject();
    }

    void advancedOpensWithEntries()
    {
        TfAvanzado dialog(FileEntries({"b.mp3", "a.mp3", "c.txt"}));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Renombrar avanzado"));
        QVERIFY(dialog.minimumWidth() >= 676);
        QCOMPARE(dialog.minimumHeight(), 300);
        QCOMPARE(dialog.size(), dialog.minimumSize());
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"b.mp3", "a.mp3", "c.txt"}));
        QCOMPARE(dialog.Lines(), QStringList({"", "", ""}));
        QCOMPARE(dialog.mRenombrados->toPlainText(), QStringLiteral("\n\n"));
        QVERIFY(!dialog.sbDeshacer->isEnabled());
        QCOMPARE(dialog.lbPosicion->text(), QStringLiteral("Posición : 0"));
        QCOMPARE(dialog.sbRenombrar->toolTip(), QStringLiteral("Cerrar esta ventana renombrando"));
        QCOMPARE(dialog.sbTraspasar->toolTip(), QStringLiteral("Copiar los nombres de los ficheros originales"));
        QCOMPARE(dialog.Moverarriba1->text(), QStringLiteral("Mover arriba"));
        QVERIFY(dialog.lbOriginal->minimumWidth() >= 200);
        dialog.show();
        // Bottom bar from the left, with the last two at the right edge.
        QVERIFY(dialog.sbCargarFichero->x() < dialog.sbNumerar->x());
        QVERIFY(dialog.sbSustituir->x() < dialog.sbDeshacer->x());
        QVERIFY(dialog.sbRenombrar->x() < dialog.sbCerrar->x());
        QVERIFY(dialog.width() - (dialog.sbCerrar->x() + dialog.sbCerrar->width()) < 20);
        // No caption is cut, even at the smallest size.
        for (QToolButton *button : dialog.findChildren<QToolButton *>())
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));
        // The list cannot be made narrower than 200 pixels.
        dialog.Splitter1->setSizes({50, 600});
        dialog.Splitter1Moved();
        QVERIFY(dialog.lbOriginal->width() >= 200);
        dialog.sbCerrar->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void renombrar_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("text");          // the editor's text
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("linesAfter");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("messages");  // kind: text

        const QStringList three{"a.mp3", "b.mp3", "c.mp3"};
        const QString mismatch = QStringLiteral("Message: El número de ficheros en las listas no coincide.\n\n"
                                                "Ficheros originales: %1\nFicheros renombrados: %2");
        const QString bad = QStringLiteral(" no está permitido para los nombres de ficheros.\n");
        // Every line deleted leaves the editor's one empty line, and no name.
        QTest::newRow("empty lines at once") << three << "\n\n" << QList<bool>{} << QStringList{""} << false
                                             << QStringList{mismatch.arg(3).arg(0)};
        QTest::newRow("one entry, only spaces") << QStringList{"a"} << "   " << QList<bool>{} << QStringList{""}
                                                << true << QStringList{};
        QTest::newRow("names match") << three << " x.mp3 \ny\nz z" << QList<bool>{}
                                     << QStringList{"x.mp3", "y", "z z"} << true << QStringList{};
        QTest::newRow("forbidden, No") << QStringList{"a"} << "a?b:c" << QList<bool>{false} << QStringList{"a?b:c"}
                                       << false
                                       << QStringList{"Ask: El carácter '?' en la línea 1" + bad + "El carácter ':' en la línea 1"
                                                      + bad + "¿Eliminar caracteres erróneos?"};
        QTest::newRow("forbidden, Yes") << QStringList{"a"} << "a?b:c" << QList<bool>{true} << QStringList{"abc"}
                                        << true
                                        << QStringList{"Ask: El carácter '?' en la línea 1" + bad + "El carácter ':' en la línea 1"
                                                       + bad + "¿Eliminar caracteres erróneos?"};
        QTest::newRow("only forbidden becomes empty and is deleted")
            << QStringList{"a", "b"} << "x\n???" << QList<bool>{true} << QStringList{"x"} << false
            << QStringList{"Ask: El carácter '?' en la línea 2" + bad + "El carácter '?' en la línea 2" + bad
                               + "El carácter '?' en la línea 2" + bad + "¿Eliminar caracteres erróneos?",
                           mismatch.arg(2).arg(1)};
    }
    void renombrar()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, text);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, linesAfter);
        QFETCH(bool, accepted);
        QFETCH(QStringList, messages);
        ScriptedDialogs dialogs;
        dialogs.askAnswers = answers;
        TfAvanzado dialog(FileEntries(entries));
        dialog.show();
        dialog.mRenombrados->setPlainText(text);
        dialog.sbRenombrar->click();
        QCOMPARE(dialog.Lines(), linesAfter);
        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        QCOMPARE(dialog.isVisible(), !accepted);
        QStringList shown;
        for (const ScriptedDialogs::Shown &s : dialogs.shown) {
            shown.append(s.kind + QStringLiteral(": ") + s.text);
            QCOMPARE(s.caption, QStringLiteral("Atención"));
            QCOMPARE(s.icon, Dialogs::Icon::Warning);
        }
        QCOMPARE(shown, messages);
        // Neither the check nor the trimming can be undone.
        QVERIFY(!dialog.sbDeshacer->isEnabled());
    }

    void transformations_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<DialogSteps>("steps");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");

        const auto number = [](int first, bool fill, int length, int position) {
            return DialogSteps([=](QDialog &d) {
                auto &dialog = static_cast<TfNumerar &>(d);
                TypeInto(dialog.seEmpezar, QString::number(first));
                if (dialog.ckRellenar->isChecked() != fill)
                    dialog.ckRellenar->click();
                TypeInto(dialog.seLongitud, QString::number(length));
                TypeInto(dialog.sePosicion, QString::number(position));
                dialog.sbAceptar->click();
                return dialog.result();
            });
        };
        QTest::newRow("numerar filled") << "sbNumerar" << number(1, true, 3, 0) << "a.mp3\nb.mp3"
                                        << "001a.mp3\n002b.mp3";
        QTest::newRow("numerar the one empty line") << "sbNumerar" << number(1, false, 2, 0) << "" << "1";
        QTest::newRow("numerar cancelled") << "sbNumerar" << DialogSteps([](QDialog &d) {
            static_cast<TfNumerar &>(d).sbSalir->click();
            return d.result();
        }) << "a\nb" << "a\nb";
        QTest::newRow("agregar") << "sbAgregar" << DialogSteps([](QDialog &d) {
            auto &dialog = static_cast<TfAgregar &>(d);
            TypeInto(dialog.edCadena, QStringLiteral(" - "));
            TypeInto(dialog.sePosicion, QStringLiteral("1"));
            dialog.sbAceptar->click();
            return dialog.result();
        }) << "ab\n\nxyz" << "a - b\n - \nx - yz";
        QTest::newRow("eliminar position") << "sbEliminar" << DialogSteps([](QDialog &d) {
            auto &dialog = static_cast<TfEliminar &>(d);
            dialog.pcPrincipal->setCurrentWidget(dialog.tsPosicion);
            TypeInto(dialog.sePosicion, QStringLiteral("2"));
            TypeInto(dialog.seCaracteres, QStringLiteral("4"));
            dialog.sbAceptar->click();
            return dialog.result();
        }) << "abcdef\nab\nabc" << "ab\nab\nab";
        QTest::newRow("eliminar text") << "sbEliminar" << DialogSteps([](QDialog &d) {
            auto &dialog = static_cast<TfEliminar &>(d);
            dialog.pcPrincipal->setCurrentWidget(dialog.tsCadena);
            TypeInto(dialog.edEliminar, QStringLiteral("MP3"));
            dialog.sbAceptar->click();
            return dialog.result();
        }) << "Track.mp3\nx" << "Track.\nx";
        QTest::newRow("sustituir") << "sbSustituir" << DialogSteps([](QDialog &d) {
            auto &dialog = static_cast<TfSustituir &>(d);
            TypeInto(dialog.edSustituir, QStringLiteral("aa"));
            TypeInto(dialog.edPor, QStringLiteral("b"));
            dialog.sbAceptar->click();
            return dialog.result();
        }) << "aaa\nAAAA" << "ba\nbb";
    }
    void transformations()
    {
        QFETCH(QString, button);
        QFETCH(DialogSteps, steps);
        QFETCH(QString, before);
        QFETCH(QString, after);
        WindowEnvironment environment;
        ScriptedDialogs dialogs;
        dialogs.onExec = [&](QDialog &dialog) {
            dialog.show();
            return steps(dialog);
        };
        TfAvanzado advanced(FileEntries({"1", "2", "3"}));
        advanced.show();
        advanced.mRenombrados->setPlainText(before);
        advanced.findChild<QToolButton *>(button)->click();
        QCOMPARE(advanced.mRenombrados->toPlainText(), after);
        QCOMPARE(dialogs.Of("Exec").size(), 1);
        // Accepted changes can be undone once; a cancelled dialog left no snapshot.
        QCOMPARE(advanced.sbDeshacer->isEnabled(), before != after);
        if (before != after) {
            advanced.sbDeshacer->click();
            QCOMPARE(advanced.mRenombrados->toPlainText(), before);
            QVERIFY(!advanced.sbDeshacer->isEnabled());
        }
    }

    void copyAndUndo()
    {
        ScriptedDialogs dialogs;
        TfAvanzado dialog(FileEntries({"b.mp3", "a b.mp3"}));
        dialog.show();
        dialog.mRenombrados->setPlainText(QStringLiteral("typed"));
        dialog.sbTraspasar->click();
        QCOMPARE(dialog.Lines(), QStringList({"b.mp3", "a b.mp3"}));
        QVERIFY(dialog.sbDeshacer->isEnabled());
        // Typing after a bulk change is discarded by the undo too.
        dialog.mRenombrados->appendPlainText(QStringLiteral("more"));
        dialog.sbDeshacer->click();
        QCOMPARE(dialog.mRenombrados->toPlainText(), QStringLiteral("typed"));
        QVERIFY(!dialog.sbDeshacer->isEnabled());
        // A second bulk change replaces the snapshot.
        dialog.sbTraspasar->click();
        dialog.sbTraspasar->click();
        dialog.sbDeshacer->click();
        QCOMPARE(dialog.Lines(), QStringList({"b.mp3", "a b.mp3"}));
    }

    void editorLines_data()
    {
        QTest::addColumn<QString>("typed");     // typed into the editor; "|" is Shift+Enter
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("Enter") << "a\nb" << "" << QStringList{"a", "b"};
        QTest::newRow("Shift+Enter") << "a|b" << "" << QStringList{"a", "b"};
        QTest::newRow("pasted CR LF") << "" << "x\r\ny\rz" << QStringList{"x", "y", "z"};
        QTest::newRow("two empty lines are one break") << "\n" << "" << QStringList{"", ""};
    }
    void editorLines()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QStringList, lines);
        TfAvanzado dialog(FileEntries({"a"}));
        dialog.show();
        dialog.mRenombrados->setFocus();
        for (const QChar c : typed) {
            if (c == u'\n')
                QTest::keyClick(dialog.mRenombrados, Qt::Key_Return);
            else if (c == u'|')
                QTest::keyClick(dialog.mRenombrados, Qt::Key_Return, Qt::ShiftModifier);
            else
                QTest::keyClicks(dialog.mRenombrados, QString(c));
        }
        if (!pasted.isEmpty())
            dialog.mRenombrados->insertPlainText(pasted);
        QCOMPARE(dialog.Lines(), lines);
        // Escape does not throw the names away.
        QTest::keyClick(dialog.mRenombrados, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
    }

    void namesKeepEveryCharacter()
    {
        // No-break spaces, tabs and other controls survive the editor unchanged.
        const QString name = QStringLiteral("a") + QChar(0xA0) + QStringLiteral("b\tc") + QChar(1) + QStringLiteral(".mp3");
        TfAvanzado dialog(FileEntries({name}));
        dialog.sbTraspasar->click();
        QCOMPARE(dialog.Lines(), QStringList({name}));
    }

    void loadTextFile_data()
    {
        QTest::addColumn<QString>("file");        // "" cancels the file dialog
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("error");

        QTest::newRow("cancelled") << "" << QByteArray() << "old" << false;
        QTest::newRow("Windows-1252, CR LF") << "names.txt" << QByteArray("Canci\xF3n\r\ndos\r\n") << "Canción\ndos" << false;
        QTest::newRow("binary") << "data.bin" << QByteArray("\x00\x01\xFF\r\x89PNG", 8) << "" << false;
        QTest::newRow("gone") << "missing.txt" << QByteArray() << "old" << true;
        QTest::newRow("a folder") << "folder" << QByteArray() << "old" << true;
        QTest::newRow("no permission") << "secret.txt" << QByteArray("x") << "old" << true;
    }
    void loadTextFile()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, after);
        QFETCH(bool, error);
        TestDir dir;
        QString path;
        if (file == u"folder") {
            path = dir.CreateDir(file);
        } else if (file == u"missing.txt") {
            path = dir.FilePath(file);
        } else if (!file.isEmpty()) {
            path = dir.CreateFile(file, bytes);
            if (file == u"secret.txt")
                QFile::setPermissions(path, QFileDevice::WriteOwner);
        }
        if (file == u"secret.txt" && QFile(path).open(QIODevice::ReadOnly))
            QSKIP("running with rights to read any file");
        ScriptedDialogs dialogs;
        dialogs.openFileAnswers = {path};
        TfAvanzado dialog(FileEntries({"a"}));
        dialog.mRenombrados->setPlainText(QStringLiteral("old"));
        dialog.sbCargarFichero->click();
        QCOMPARE(dialogs.Of("OpenFile").size(), 1);
        QCOMPARE(dialogs.Of("OpenFile").first().text, QStringLiteral("Ficheros de texto|*.txt|Todos los ficheros|*.*"));
        if (file == u"data.bin") {
            QCOMPARE(dialog.Lines().size(), 2);
            QCOMPARE(dialog.Lines().first().size(), 3);
        } else {
            QCOMPARE(dialog.mRenombrados->toPlainText(), after);
        }
        QCOMPARE(dialogs.Of("ReportError").size(), error ? 1 : 0);
        if (error)
            QVERIFY(dialogs.Of("ReportError").first().text.contains(path));
        // Once a file was chosen the snapshot was taken, even if it could not be read.
        QCOMPARE(dialog.sbDeshacer->isEnabled(), !file.isEmpty());
        if (!file.isEmpty()) {
            dialog.sbDeshacer->click();
            QCOMPARE(dialog.mRenombrados->toPlainText(), QStringLiteral("old"));
        }
    }

    void loadLargeTextFile()
    {
        TestDir dir;
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += "Nombre " + QByteArray::number(i) + ".mp3\n";
        ScriptedDialogs dialogs;
        dialogs.openFileAnswers = {dir.CreateFile("big.txt", bytes)};
        TfAvanzado dialog(FileEntries({"a", "b"}));
        dialog.sbCargarFichero->click();
        const QStringList lines = dialog.Lines();
        QCOMPARE(lines.size(), 100000);
        QCOMPARE(lines.last(), QStringLiteral("Nombre 99999.mp3"));
    }

    void moveOriginal()
    {
        std::vector<FileListView::SelectedEntry> entries = FileEntries({"a", "b", "c"});
        entries[0].kind = FileListView::EntryKind::Parent;
        TfAvanzado dialog(entries);
        dialog.show();
        dialog.mRenombrados->setPlainText(QStringLiteral("1\n2\n3"));
        // Nothing selected: nothing moves.
        dialog.Moverabajo1->trigger();
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"a", "b", "c"}));
        dialog.lbOriginal->setCurrentRow(0);
        dialog.Moverarriba1->trigger();
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"a", "b", "c"}));
        dialog.Moverabajo1->trigger();
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"b", "a", "c"}));
        QCOMPARE(dialog.lbOriginal->currentRow(), 1);
        QTest::keyClick(dialog.lbOriginal, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"b", "c", "a"}));
        QTest::keyClick(dialog.lbOriginal, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"b", "c", "a"}));
        QTest::keyClick(dialog.lbOriginal, Qt::Key_Up, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"b", "c", "a"}));
        dialog.lbOriginal->setCurrentRow(2);
        QTest::keyClick(dialog.lbOriginal, Qt::Key_Up, Qt::ShiftModifier);
        QTest::keyClick(dialog.lbOriginal, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"a", "b", "c"}));
        // Plain arrows move the selection only.
        QTest::keyClick(dialog.lbOriginal, Qt::Key_Down);
        QCOMPARE(dialog.lbOriginal->currentRow(), 1);
        QCOMPARE(ListTexts(dialog.lbOriginal), QStringList({"a", "b", "c"}));
        // The entries keep what they are; the new names stay where they were.
        QCOMPARE(dialog.Entries().front().kind, FileListView::EntryKind::Parent);
        QCOMPARE(dialog.Lines(), QStringList({"1", "2", "3"}));
        QVERIFY(!dialog.sbDeshacer->isEnabled());
    }

    void positionLabel()
    {
        TfAvanzado dialog(FileEntries({"a"}));
        dialog.show();
        dialog.mRenombrados->setFocus();
        dialog.mRenombrados->setPlainText(QStringLiteral("abcdef\n😀xy"));
        QTextCursor cursor = dialog.mRenombrados->textCursor();
        cursor.setPosition(3);
        dialog.mRenombrados->setTextCursor(cursor);
        QCOMPARE(dialog.lbPosicion->text(), QStringLiteral("Posición : 3"));
        QTest::keyClick(dialog.mRenombrados, Qt::Key_Down);
        QCOMPARE(dialog.lbPosicion->text(), QStringLiteral("Posición : 2"));
        QTest::keyClick(dialog.mRenombrados, Qt::Key_Home);
        QCOMPARE(dialog.lbPosicion->text(), QStringLiteral("Posición : 0"));
        QTest::keyClick(dialog.mRenombrados, Qt::Key_End);
        QCOMPARE(dialog.lbPosicion->text(), QStringLiteral("Posición : 3"));
        QTest::keyClicks(dialog.mRenombrados, QStringLiteral("z"));
        QCOMPARE(dialog.lbPosicion->text(), QStringLiteral("Posición : 4"));
    }

    void preview()
    {
        TfVistaPrevia preview;
        QCOMPARE(preview.windowTitle(), QStringLiteral("Vista previa"));
        QCOMPARE(preview.size(), QSize(419, 340));
        QCOMPARE(preview.minimumSize(), QSize(200, 200));
        preview.ShowNames({"a", "b"}, {"x", ""});
        QCOMPARE(preview.mOrigen->toPlainText(), QStringLiteral("a\nb"));
        QCOMPARE(preview.mDestino->toPlainText(), QStringLiteral("x\n"));
        QVERIFY(preview.mOrigen->isReadOnly() && preview.mDestino->isReadOnly());
        QCOMPARE(preview.sbAceptar->text(), QStringLiteral("&Aceptar"));
        QCOMPARE(preview.sbSalir->text(), QStringLiteral("&Cancelar"));
        preview.show();
        preview.sbSalir->click();
        QCOMPARE(preview.result(), int(QDialog::Rejected));
        preview.show();
        preview.sbAceptar->click();
        QCOMPARE(preview.result(), int(QDialog::Accepted));
    }

    void longMessagesStayOnTheScreen_data()
    {
        QTest::addColumn<bool>("question");
        QTest::newRow("message") << false;
        QTest::newRow("question") << true;
    }
    void longMessagesStayOnTheScreen()
    {
        QFETCH(bool, question);
        QString text = QStringLiteral("No se han podido renombrar los siguientes ficheros:\n\n");
        for (int i = 0; i < 3000; ++i)
            text += QStringLiteral("Fichero número %1.mp3\n").arg(i);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        bool checked = false;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            // Whatever is found, the box goes, so a failure cannot leave the test waiting.
            const auto close = qScopeGuard([box] { box->close(); });
            QCOMPARE(box->windowTitle(), QStringLiteral("Atención"));
            QVERIFY(box->frameGeometry().height() <= screen.height());
            QVERIFY(box->geometry().top() >= screen.top());
            // The whole text is there and scrolls.
            auto *view = box->findChild<QPlainTextEdit *>();
            QVERIFY(view);
            QCOMPARE(view->toPlainText(), text);
            QVERIFY(view->verticalScrollBar()->maximum() > 0);
            // A question is shown at its end, where it asks.
            QCOMPARE(view->verticalScrollBar()->value() == view->verticalScrollBar()->maximum(), question);
            QStringList buttons;
            for (QPushButton *button : box->findChildren<QPushButton *>())
                buttons.append(button->text());
            buttons.sort();
            QCOMPARE(buttons, question ? QStringList({"&No", "&Sí"}) : QStringList({"Aceptar"}));
            checked = true;
            for (QPushButton *button : box->findChildren<QPushButton *>())
                if (button->text() == (question ? u"&Sí" : u"Aceptar"))
                    button->click();
        });
        if (question)
            QVERIFY(Dialogs::Current().Ask(nullptr, "Atención", text, Dialogs::Icon::Warning));
        else
            Dialogs::Current().Message(nullptr, "Atención", text, Dialogs::Icon::Warning);
        QVERIFY(checked);
    }

    void shortMessagesStayPlainBoxes()
    {
        bool plain = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            plain = box && box->text() == u"No hay ningún fichero seleccionado.";
            if (box)
                box->accept();
        });
        Dialogs::Current().Message(nullptr, "Atención", "No hay ningún fichero seleccionado.", Dialogs::Icon::Warning);
        QVERIFY(plain);
    }

private:
    std::unique_ptr<WindowEnvironment> environment_;
};

QTEST_MAIN(TestRenameDialogs)
#include "tst_renamedialogs.moc"
