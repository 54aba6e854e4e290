#include "tests/main/windowfixture.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tabcycle.h"
#include "tests/support/testdir.h"

#include "main/main.h"
#include "main/tagvalues.h"
#include "platform/settingskey.h"
#include "widgets/filelistview.h"
#include "widgets/foldertree.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("CarventoUtilities")); }

    void opensWhatTheCommandLineNamed_data()
    {
        QTest::addColumn<QString>("target");    // under the folder; "" the folder itself
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("folder") << "" << "tsRenombrador" << QStringList{};
        QTest::newRow("MP3 file") << "dos.MP3" << "tsTag" << QStringList{"dos.MP3"};
        QTest::newRow("other file") << "notas.txt" << "tsRenombrador" << QStringList{"notas.txt"};
        QTest::newRow("a file named like the parent entry") << " <- Anterior" << "tsRenombrador"
                                                            << QStringList{" <- Anterior"};
    }
    void opensWhatTheCommandLineNamed()
    {
        QFETCH(QString, target);
        QFETCH(QString, page);
        QFETCH(QStringList, selected);
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        for (const char *name : {"uno.mp3", "dos.MP3", "notas.txt", " <- Anterior"})
            dir.CreateFile(QString::fromUtf8(name));
        TestDir other;
        // The folders of the last run give way to what was asked for.
        env.StoreFolders(other.Path(), other.Path());
        auto w = env.NewWindow();
        w->OpenPath(target.isEmpty() ? dir.Path() : dir.FilePath(target));
        QCOMPARE(w->pcPrincipal->currentWidget()->objectName(), page);
        QVERIFY(w->windowTitle().endsWith(page == u"tsTag" ? QStringLiteral(" - Cv-Tag") : QStringLiteral(" - Renombrador")));
        FileListView *list = page == u"tsTag" ? w->FicherosTag : w->Ficheros;
        QCOMPARE(list->Directory(), dir.Path() + u'/');
        QVERIFY((page == u"tsTag" ? w->CarpetasTag : w->Carpetas)->SelectedPath().startsWith(dir.Path()));
        QStringList chosen;
        for (const auto &entry : list->SelectedEntries())
            chosen.append(entry.name);
        QCOMPARE(chosen, selected);
        // An MP3 file's tags are read and shown, as a click would.
        QCOMPARE(int(w->TagList.size()), page == u"tsTag" ? 1 : 0);
        if (page == u"tsTag") {
            QCOMPARE(w->TagList.front()->FilePath, dir.FilePath(target));
            QCOMPARE(w->CurrentIndex, 0);
        }
        QVERIFY(dialogs.shown.isEmpty());
    }

    void menuBarFromTheKeyboard_data()
    {
        QTest::addColumn<QString>("keys");     // what is pressed, from the file list
        QTest::addColumn<QString>("page");     // the page shown afterwards
        QTest::addColumn<QString>("window");   // the window opened, if any
        QTest::newRow("Alt+C") << "Alt+C" << "tsTag" << "";
        QTest::newRow("Alt+C, Alt+R") << "Alt+C Alt+R" << "tsRenombrador" << "";
        QTest::newRow("Alt+O") << "Alt+O" << "tsRenombrador" << "fConfiguracion";
        QTest::newRow("Alt+A") << "Alt+A" << "tsRenombrador" << "fAyuda";
        QTest::newRow("F1") << "F1" << "tsRenombrador" << "fAyuda";
        QTest::newRow("F10, Right, Return") << "F10 Right Return" << "tsTag" << "";
        QTest::newRow("Alt, Right, Right, Return") << "Alt Right Right Return" << "tsRenombrador" << "fConfiguracion";
        QTest::newRow("F10, Escape") << "F10 Escape" << "tsRenombrador" << "";
        QTest::newRow("F10, F10") << "F10 F10" << "tsRenombrador" << "";
        // The page control's own keys change nothing: only the menu switches the pages.
        QTest::newRow("Ctrl+Tab") << "Ctrl+Tab" << "tsRenombrador" << "";
        QTest::newRow("Ctrl+Shift+Tab") << "Ctrl+Shift+Tab" << "tsRenombrador" << "";
        QTest::newRow("Ctrl+PgDown") << "Ctrl+PgDown" << "tsRenombrador" << "";
        QTest::newRow("Alt+C, Ctrl+Tab") << "Alt+C Ctrl+Tab" << "tsTag" << "";
    }
    void menuBarFromTheKeyboard()
    {
        QFETCH(QString, keys);
        QFETCH(QString, page);
        QFETCH(QString, window);
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QCOMPARE(w->menuBar(), w->MainMenu1);
        QWidget *list = w->Ficheros->View();
        list->setFocus();
        QCOMPARE(QApplication::focusWidget(), list);

        for (const QString &key : keys.split(u' ')) {
            QWidget *target = QApplication::focusWidget();
            QVERIFY(target);
            if (key == u"Alt") {
                // A lone Alt: pressed and released with nothing in between.
                QTest::sendKeyEvent(QTest::Press, target, Qt::Key_Alt, QString(), Qt::AltModifier);
                QTest::sendKeyEvent(QTest::Release, target, Qt::Key_Alt, QString(), Qt::NoModifier);
                QCOMPARE(QApplication::focusWidget(), w->MainMenu1);
                QCOMPARE(w->MainMenu1->activeAction(), w->mmRenombrador);
            } else {
                const QKeyCombination combination = QKeySequence::fromString(key)[0];
                QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
            }
            if (key == u"F10" && keys.startsWith(key + u' ') && !keys.contains(u"F10 F10")) {
                QCOMPARE(QApplication::focusWidget(), w->MainMenu1);
                QCOMPARE(w->MainMenu1->activeAction(), w->mmRenombrador);
            }
        }
        QCOMPARE(w->pcPrincipal->currentWidget()->objectName(), page);
        QCOMPARE(w->windowTitle(), QStringLiteral("Carvento utilities v. 1.0 Build 2 - ")
                                       + (page == u"tsTag" ? QStringLiteral("Cv-Tag") : QStringLiteral("Renombrador")));
        const QList<ScriptedDialogs::Shown> opened = dialogs.Of(QStringLiteral("Exec"));
        QCOMPARE(opened.size(), window.isEmpty() ? 0 : 1);
        if (!window.isEmpty())
            QCOMPARE(opened.first().text, window);
        // Leaving the bar gives the keyboard back to the list, or to the page now shown.
        if (page == u"tsRenombrador")
            QCOMPARE(QApplication::focusWidget(), list);
        else
            QVERIFY(w->tsTag->isAncestorOf(QApplication::focusWidget()));
        QTRY_VERIFY(!w->MainMenu1->activeAction());
    }

    void menuBarEntries()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        const QList<QAction *> entries{w->mmRenombrador, w->mmCvTag, w->Configuracin1, w->Ayuda1, w->Salir1};
        QCOMPARE(w->MainMenu1->actions(), entries);
        QStringList captions;
        for (QAction *entry : entries) {
            captions.append(entry->text());
            QVERIFY2(!entry->icon().isNull(), qPrintable(entry->text()));
            QVERIFY(!entry->menu());
        }
        QCOMPARE(captions, QStringList({"&Renombrador", "&Cv-Tag", "C&onfiguración", "&Ayuda", "&Salir"}));
        QCOMPARE(w->Ayuda1->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(w->Salir1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        // Each entry is as wide as its picture and its caption side by side.
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QFontMetrics metrics(w->MainMenu1->font());
        for (QAction *entry : entries) {
            const QRect area = w->MainMenu1->actionGeometry(entry);
            QVERIFY2(area.width() > metrics.horizontalAdvance(QString(entry->text()).remove(u'&')) + 16,
                     qPrintable(entry->text()));
            QVERIFY(area.height() >= 24);
        }
    }

    void ctrlQCloses()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->Carpetas->setFocus();
        QTest::keyClick(w->Carpetas, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w->isVisible());
        QVERIFY(env.ReadSettingsFile().contains("RUTA%20TAG"));
    }

    void tabVisitsEveryControlOnce_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("renamer") << "tsRenombrador" << "";
        QTest::newRow("ID3v1") << "tsTag" << "tsID3v1";
        QTest::newRow("ID3v2") << "tsTag" << "tsID3v2";
        QTest::newRow("Masivo") << "tsTag" << "tsMasivo";
        QTest::newRow("Renombrar ficheros") << "tsTag" << "tsRenombrar";
    }
    void tabVisitsEveryControlOnce()
    {
        QFETCH(QString, page);
        QFETCH(QString, sheet);
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        dir.CreateFile(QStringLiteral("a.mp3"));
        env.StoreFolders(dir.Path(), dir.Path());
        auto w = env.NewWindow();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        if (page == u"tsTag") {
            w->mmCvTag->trigger();
            w->pcID3->setCurrentWidget(w->findChild<QWidget *>(sheet));
            w->FicherosTag->View()->setFocus();
        } else {
            w->Ficheros->View()->setFocus();
        }
        const QString fault = TabCycleFault(w.get());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        // The buttons are reached by Tab, yet a click leaves the focus where a value is typed.
        for (QToolButton *button : w->findChildren<QToolButton *>()) {
            // Buttons of an exclusive group (the sheets' flat tabs) are one stop, moved along by the arrows.
            if (button->isVisibleTo(w.get()) && button->window() == w.get() && button->parent() != w->MainMenu1
                && !(button->group() && button->group()->exclusive()))
                QVERIFY2(button->focusPolicy() == Qt::TabFocus, qPrintable(button->objectName()));
        }
    }

    void startsOnTheRenamerPage()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("Carvento utilities v. 1.0 Build 2 - Renombrador"));
        QCOMPARE(w->pcPrincipal->currentWidget(), w->tsRenombrador);
        QVERIFY(w->pcPrincipal->tabBar()->isHidden());
        QCOMPARE(w->pcID3->currentWidget(), w->tsID3v1);
        // An accelerator marker the toolkit may add never reaches the title.
        w->UpdateTitle(QStringLiteral("&Cv-&Tag"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Carvento utilities v. 1.0 Build 2 - Cv-&Tag"));
    }

    void namedControlsExist()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        for (const char *name : {"pcPrincipal", "tsRenombrador", "tsTag", "MainMenu1", "RecargaFicheros",
                                 "fsMemorizar", "Carpetas", "Ficheros", "CarpetasTag", "FicherosTag",
                                 "sbEscritorio", "SpeedButton1", "sbIconosGrandes", "sbIconosPequenos", "sbLista",
                                 "sbDetalles", "SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5",
                                 "cbExtensiones", "sbCambiarExtension", "sbAnhadirExtensionAFicheros",
                                 "sbEliminaExtension", "sbAnhadirExtension", "sbBorrarExtension", "sbAvanzadas",
                                 "pmCarpetas", "pmFicheros", "pmFicherosTag", "pcID3", "tsID3v1", "tsID3v2",
                                 "tsMasivo", "tsRenombrar", "cbGeneroV1", "cbGeneroV2", "clbCampos",
                                 "edCadenaSeparacion"})
            QVERIFY2(w->findChild<QObject *>(QString::fromLatin1(name)), name);
        QCOMPARE(w->minimumSize(), QSize(600, 346));
        QCOMPARE(w->pcID3->count(), 4);
        QCOMPARE(w->pcID3->tabText(3), QStringLiteral("Renombrar ficheros"));
        // The tag list's context menu holds the undo of renaming from tags alone.
        QCOMPARE(w->pmFicherosTag->actions(), QList<QAction *>{w->pmDeshacerRenombradoTag});
    }

    void genreLists()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        for (QComboBox *box : {w->cbGeneroV1, w->cbGeneroV2}) {
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            QCOMPARE(items, GenreItems());
        }
        QVERIFY(w->TagList.empty());
        QCOMPARE(w->CurrentIndex, -1);
    }

    void firstRunWithoutSettings()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(w->Carpetas->SelectedPath(), QString());
        QCOMPARE(w->CarpetasTag->SelectedPath(), QString());
        QCOMPARE(w->Ficheros->Directory(), QStringLiteral("Drives"));
        QCOMPARE(w->FicherosTag->Directory(), QStringLiteral("Drives"));
        SettingsKey key;
        QVERIFY(key.Open());
        QVERIFY(key.ValueExists(QStringLiteral("REVISAR")));
        bool check = true;
        QVERIFY(key.ReadBool(QStringLiteral("REVISAR"), check));
        QVERIFY(!check);
    }

    void restoresStoredFolders()
    {
        WindowEnvironment env;
        TestDir music;
        music.CreateFile(QStringLiteral("uno.mp3"));
        music.CreateFile(QStringLiteral("dos.txt"));
        env.StoreFolders(music.Path(), music.Path() + QStringLiteral("/borrada"));
        ScriptedDialogs dialogs;
        {
            auto w = env.NewWindow();
            QVERIFY(dialogs.shown.isEmpty());
            QCOMPARE(w->Ficheros->Directory(), music.Path() + u'/');
            QVERIFY(w->Carpetas->SelectedPath().startsWith(music.Path()));
            QVERIFY(Captions(w->Ficheros).contains(QStringLiteral("dos.txt")));
            QCOMPARE(w->FicherosTag->Directory(), QStringLiteral("Drives"));
            QCOMPARE(w->CarpetasTag->SelectedPath(), QString());
            // The stale path stays until closing overwrites it.
            QCOMPARE(env.ReadKeyText(QStringLiteral("RUTA TAG")), music.Path() + QStringLiteral("/borrada"));
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            w->close();
        }
        QCOMPARE(env.ReadKeyText(QStringLiteral("RUTA TAG")), QString());
        QCOMPARE(env.ReadKeyText(QStringLiteral("RUTA RENOMBRADOR")), music.Path() + u'/');
    }

    void storedPathThatIsAFile()
    {
        WindowEnvironment env;
        TestDir dir;
        env.StoreFolders(dir.CreateFile(QStringLiteral("a.mp3")));
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QCOMPARE(w->Ficheros->Directory(), QStringLiteral("Drives"));
        QVERIFY(dialogs.shown.isEmpty());
    }

    void wrongTypedValueIsReported_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("tagRestored");
        QTest::newRow("REVISAR as text") << QByteArray("[General]\nREVISAR=abc\n") << true;
        QTest::newRow("REVISAR empty") << QByteArray("[General]\nREVISAR=\n") << true;
        QTest::newRow("path stored as a rectangle") << QByteArray("[General]\nRUTA%20TAG=@Rect(1 2 3 4)\n") << false;
    }
    void wrongTypedValueIsReported()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, tagRestored);
        WindowEnvironment env;
        TestDir music;
        env.WriteSettingsFile(ini);
        env.StoreFolders(music.Path(), tagRestored ? music.Path() : QString());
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QCOMPARE(dialogs.Of(QStringLiteral("ReportError")).size(), 1);
        QVERIFY(!dialogs.Of(QStringLiteral("ReportError")).first().text.isEmpty());
        QCOMPARE(w->Ficheros->Directory(), music.Path() + u'/');
        QCOMPARE(w->FicherosTag->Directory(), tagRestored ? music.Path() + u'/' : QStringLiteral("Drives"));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(w->isVisible());
    }

    // A settings file that cannot be read at start-up, or saved at closing, is reported with
    // the file and why; the window opens and closes all the same.
    void unusableSettingsFileIsReported()
    {
        WindowEnvironment env;
        QVERIFY(QDir().mkpath(env.SettingsFile())); // a folder where the file should be
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QCOMPARE(dialogs.Of(QStringLiteral("ReportError")).size(), 1);
        QCOMPARE(dialogs.Of(QStringLiteral("ReportError")).first().text,
                 QStringLiteral("No se puede leer %1 — es una carpeta").arg(env.SettingsFile()));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(dialogs.Of(QStringLiteral("ReportError")).size(), 1); // the form storage reads it too
        dialogs.shown.clear();
        QVERIFY(w->close());
        // Once, though the form storage and the folder paths both go to that file.
        QCOMPARE(dialogs.Of(QStringLiteral("ReportError")).size(), 1);
        QCOMPARE(dialogs.Of(QStringLiteral("ReportError")).first().text,
                 QStringLiteral("No se puede guardar la configuración en %1 — es una carpeta").arg(env.SettingsFile()));
        QVERIFY(!w->isVisible());
    }

    void destroyedWhileShownStillSaves()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        {
            auto w = env.NewShownWindow();
            QVERIFY(w);
            w->edCadenaSeparacion->setText(QStringLiteral("+"));
        }
        QSettings settings(env.SettingsFile(), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("TfUtilities/Visible")).toString(), QStringLiteral("1"));
        QCOMPARE(settings.value(QStringLiteral("TfUtilities/edCadenaSeparacion_Text")).toString(), QStringLiteral("+"));
    }

    void closingWritesEmptyPaths()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        {
            auto w = env.NewShownWindow();
            QVERIFY(w);
            w->Salir1->trigger();
            QVERIFY(!w->isVisible());
        }
        SettingsKey key;
        QVERIFY(key.Open());
        QVERIFY(key.ValueExists(QStringLiteral("RUTA RENOMBRADOR")));
        QVERIFY(key.ValueExists(QStringLiteral("RUTA TAG")));
        QCOMPARE(env.ReadKeyText(QStringLiteral("RUTA RENOMBRADOR")), QString());
        QCOMPARE(env.ReadKeyText(QStringLiteral("RUTA TAG")), QString());
        // The next start opens no folder.
        auto again = env.NewWindow();
        QCOMPARE(again->Ficheros->Directory(), QStringLiteral("Drives"));
    }

    void contextMenuBeforeAnyClick()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        dir.CreateFile(QStringLiteral("a.mp3"));
        env.StoreFolders(dir.Path());
        auto w = env.NewWindow();
        w->pmFicherosPopup();
        QVERIFY(!w->pmCambiarExtension->menuAction()->isEnabled());
        QVERIFY(!w->pmAnhadirExtension->menuAction()->isEnabled());
        QVERIFY(!w->pmAnadir->isEnabled());
        QCOMPARE(w->pmAnadir->text(), QStringLiteral("Añadir '' a la lista de extensiones"));
        QVERIFY(w->Eliminaextensin1->isEnabled());
        w->Marcartodoslosficherosconestaextensin1Click();
        QVERIFY(!w->pmExtension->isEnabled());
        QCOMPARE(w->pmExtension->text(), QStringLiteral("Todos los ficheros con la extensión:"));
        // The submenus are filled from the extension list.
        QCOMPARE(w->pmCambiarExtension->actions().size(), 4);
        QCOMPARE(w->pmAnhadirExtension->actions().size(), 4);
    }

    void contextMenuAfterAClick()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        dir.CreateFile(QStringLiteral("Canción.MP3"));
        dir.CreateFile(QStringLiteral("otra.MP3"));
        dir.CreateFile(QStringLiteral("tercera.mp3"));
        dir.CreateFile(QStringLiteral("sin punto"));
        env.StoreFolders(dir.Path());
        auto w = env.NewShownWindow();
        QVERIFY(w);
        ClickEntry(w->Ficheros, QStringLiteral("Canción.MP3"));
        QCOMPARE(w->Ficheros->SelectedItem(), dir.FilePath(QStringLiteral("Canción.MP3")));

        w->pmFicherosPopup();
        QVERIFY(w->pmCambiarExtension->menuAction()->isEnabled());
        QVERIFY(w->pmAnadir->isEnabled());
        QCOMPARE(w->pmAnadir->text(), QStringLiteral("Añadir 'MP3' a la lista de extensiones"));
        w->Marcartodoslosficherosconestaextensin1Click();
        QVERIFY(w->pmExtension->isEnabled());
        QCOMPARE(w->pmExtension->text(), QStringLiteral("Todos los ficheros con la extensión: MP3"));

        // Letter case counts; what was selected stays selected.
        w->pmExtension->trigger();
        QVERIFY(w->Ficheros->Selected(IndexOf(w->Ficheros, QStringLiteral("Canción.MP3"))));
        QVERIFY(w->Ficheros->Selected(IndexOf(w->Ficheros, QStringLiteral("otra.MP3"))));
        QVERIFY(!w->Ficheros->Selected(IndexOf(w->Ficheros, QStringLiteral("tercera.mp3"))));
        QCOMPARE(w->Ficheros->SelCount(), 2);

        // A click on a name without extension keeps the caption but disables the entry.
        ClickEntry(w->Ficheros, QStringLiteral("sin punto"));
        w->Marcartodoslosficherosconestaextensin1Click();
        QVERIFY(!w->pmExtension->isEnabled());
        QCOMPARE(w->pmExtension->text(), QStringLiteral("Todos los ficheros con la extensión: MP3"));

        w->Todoslosficheros1->trigger();
        QCOMPARE(w->Ficheros->SelCount(), w->Ficheros->Count());
        QCOMPARE(w->Ficheros->Caption(0), QStringLiteral(" <- Anterior"));
    }

    void f5RefreshesThePaneWithTheFocus_data()
    {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<bool>("renamerRefreshed");
        QTest::addColumn<bool>("tagRefreshed");
        QTest::newRow("renamer tree") << "Carpetas" << true << false;
        QTest::newRow("renamer list") << "Ficheros" << true << false;
        QTest::newRow("tag tree") << "CarpetasTag" << false << true;
        QTest::newRow("tag list") << "FicherosTag" << false << true;
    }
    void f5RefreshesThePaneWithTheFocus()
    {
        QFETCH(QString, pane);
        QFETCH(bool, renamerRefreshed);
        QFETCH(bool, tagRefreshed);
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        dir.CreateFile(QStringLiteral("a.mp3"));
        env.StoreFolders(dir.Path(), dir.Path());
        auto w = env.NewShownWindow();
        QVERIFY(w);
        if (pane.contains(QStringLiteral("Tag")))
            w->mmCvTag->trigger();
        dir.CreateFile(QStringLiteral("b.mp3"));
        QWidget *target = w->findChild<QWidget *>(pane);
        if (auto *list = qobject_cast<FileListView *>(target))
            target = list->View();
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F5, Qt::ControlModifier);
        QCOMPARE(Captions(w->Ficheros).contains(QStringLiteral("b.mp3")), renamerRefreshed);
        QCOMPARE(Captions(w->FicherosTag).contains(QStringLiteral("b.mp3")), tagRefreshed);
        QVERIFY(w->Carpetas->SelectedPath().startsWith(dir.Path()));
        QVERIFY(w->CarpetasTag->SelectedPath().startsWith(dir.Path()));
    }

    void refrescarOnEitherTreeRefreshesTheRenamer()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        env.StoreFolders(dir.Path(), dir.Path());
        auto w = env.NewWindow();
        dir.CreateFile(QStringLiteral("nuevo.mp3"));
        w->Refrescar1->trigger();
        QVERIFY(Captions(w->Ficheros).contains(QStringLiteral("nuevo.mp3")));
        QVERIFY(!Captions(w->FicherosTag).contains(QStringLiteral("nuevo.mp3")));
    }

    void refreshAfterTheFolderWasDeleted()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        const QString gone = dir.CreateDir(QStringLiteral("gone"));
        env.StoreFolders(gone);
        auto w = env.NewWindow();
        QVERIFY(QDir(gone).removeRecursively());
        w->RefreshRenamerPanes();
        QCOMPARE(w->Ficheros->Directory(), gone + u'/');
        QVERIFY(dialogs.shown.isEmpty());
    }

    void desktopButtonsChangeTheirOwnPage()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        env.StoreFolders(dir.Path());
        auto w = env.NewWindow();
        w->SpeedButton1Click();
        QCOMPARE(w->FicherosTag->Directory(), env.DesktopPath() + u'/');
        QVERIFY(w->CarpetasTag->SelectedPath().startsWith(env.DesktopPath()));
        QCOMPARE(w->Ficheros->Directory(), dir.Path() + u'/');
        QVERIFY(w->Carpetas->SelectedPath().startsWith(dir.Path()));
        w->sbEscritorioClick();
        QCOMPARE(w->Ficheros->Directory(), env.DesktopPath() + u'/');
    }

    void viewButtons()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QCOMPARE(w->Ficheros->GetViewStyle(), ViewStyle::vsReport);
        w->sbIconosGrandesClick();
        QCOMPARE(w->Ficheros->GetViewStyle(), ViewStyle::vsIcon);
        QCOMPARE(w->FicherosTag->GetViewStyle(), ViewStyle::vsReport);
        w->SpeedButton4Click();
        QCOMPARE(w->FicherosTag->GetViewStyle(), ViewStyle::vsList);
        w->sbIconosPequenosClick();
        QCOMPARE(w->Ficheros->GetViewStyle(), ViewStyle::vsSmallIcon);
    }

    // The placement rules are the form storage's; here the window's own placement, maximised.
    void placementComesBack()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        QRect normal;
        {
            auto w = env.NewShownWindow();
            QVERIFY(w);
            w->setGeometry(70, 80, 640, 420);
            normal = w->geometry();
            w->showMaximized();
            QTest::qWait(50);
            w->close();
        }
        auto again = env.NewShownWindow();
        QVERIFY(again);
        QVERIFY(again->isMaximized());
        QCOMPARE(again->normalGeometry(), normal);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void settingsFileAfterASave()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        {
            auto w = env.NewShownWindow();
            QVERIFY(w);
            w->setGeometry(70, 80, 640, 420);
            w->cbExtensiones->removeItem(0);
            w->edCadenaSeparacion->setText(QStringLiteral("  _  "));
            w->close();
        }
        const QByteArray expected = "[General]\n"
                                    "REVISAR=0\n"
                                    "RUTA%20RENOMBRADOR=\n"
                                    "RUTA%20TAG=\n"
                                    "\n"
                                    "[TfUtilities]\n"
                                    "Flags=0\n"
                                    "FormVersion=0\n"
                                    "MinMaxPos=\"0,0,0,0\"\n"
                                    "NormPos=\"70,80,710,500\"\n"
                                    "PixelsPerInch=96\n"
                                    "ShowCmd=1\n"
                                    "Visible=0\n"
                                    "edCadenaSeparacion_Text=_\n"
                                    "\n"
                                    "[TfUtilities.cbExtensiones_Items]\n"
                                    "Count=3\n"
                                    "Item0=jpg\n"
                                    "Item1=mp3\n"
                                    "Item2=wma\n"
                                    "\n"
                                    "[TfUtilities.clbCampos_Items]\n"
                                    "Count=4\n"
                                    "Item0=Pista\n"
                                    "Item1=Título\n"
                                    "Item2=Artista\n"
                                    "Item3=Álbum\n";
        QCOMPARE(env.ReadSettingsFile(), expected);
    }

    void resizeRereadsOnceAfterShowing()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        env.StoreFolders(dir.Path());
        auto w = env.NewWindow();
        w->resize(700, 600);
        QVERIFY(!w->RecargaFicheros->isActive());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::qWait(600);
        dir.CreateFile(QStringLiteral("tarde.mp3"));
        for (int width = 610; width < 700; width += 30) {
            w->resize(width, 500);
            QVERIFY(w->RecargaFicheros->isActive());
            QTest::qWait(50);
        }
        QVERIFY(!Captions(w->Ficheros).contains(QStringLiteral("tarde.mp3")));
        QTRY_VERIFY_WITH_TIMEOUT(Captions(w->Ficheros).contains(QStringLiteral("tarde.mp3")), 2000);
        QVERIFY(!w->RecargaFicheros->isActive());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
