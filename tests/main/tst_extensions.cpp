#include "tests/main/windowfixture.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdir.h"

#include "main/main.h"
#include "widgets/filelistview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QMenu>
#include <QSettings>
#include <QTest>

namespace {
QStringList FilesIn(const TestDir &dir)
{
    QStringList names = QDir(dir.Path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

QStringList Items(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

QStringList Items(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

void Choose(QComboBox *box, const QString &extension) { box->setCurrentIndex(box->findText(extension)); }
} // namespace

class TestExtensions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("CarventoUtilities")); }

    void fileOperations_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("operation");   // change, add, remove, change-menu, add-menu, remove-menu
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QString>("message");

        const QString renameFailed = QStringLiteral("No se han podido renombrar los siguientes ficheros:\n\n");
        QTest::newRow("change") << QStringList{"song.mp3", "other.mp3"} << QStringList{"song.mp3"} << "change"
                                << "wma" << QList<bool>{} << QStringList{"other.mp3", "song.wma"} << QStringList{}
                                << "";
        QTest::newRow("change jpeg asks, jpe not")
            << QStringList{"photo.jpeg", "photo2.jpe"} << QStringList{"photo.jpeg", "photo2.jpe"} << "change"
            << "jpg" << QList<bool>{true} << QStringList{"photo.jpg", "photo2.jpg"}
            << QStringList{"¿Estás seguro de querer cambiar la extensión 'jpeg' por 'jpg'?"} << "";
        QTest::newRow("change onto an existing file")
            << QStringList{"a.txt", "a.doc", "b.txt"} << QStringList{"a.txt", "b.txt"} << "change" << "doc"
            << QList<bool>{} << QStringList{"a.doc", "a.txt", "b.doc"} << QStringList{} << renameFailed + "a.txt — ya existe\n";
        QTest::newRow("change from the context menu")
            << QStringList{"song.mp3"} << QStringList{"song.mp3"} << "change-menu" << "wma" << QList<bool>{}
            << QStringList{"song.wma"} << QStringList{} << "";
        QTest::newRow("parent entry is reported")
            << QStringList{"song.mp3"} << QStringList{" <- Anterior", "song.mp3"} << "change" << "wma"
            << QList<bool>{} << QStringList{"song.wma"} << QStringList{} << renameFailed + " <- Anterior — no es un fichero ni una carpeta\n";
        QTest::newRow("add") << QStringList{"a.txt", "README"} << QStringList{"a.txt", "README"} << "add" << "bak"
                             << QList<bool>{} << QStringList{"README.bak", "a.txt.bak"} << QStringList{} << "";
        QTest::newRow("add from the context menu")
            << QStringList{"a.txt"} << QStringList{"a.txt"} << "add-menu" << "mp3" << QList<bool>{}
            << QStringList{"a.txt.mp3"} << QStringList{} << "";
        QTest::newRow("remove") << QStringList{"notes.", "x", "a.b.c"} << QStringList{"notes.", "x", "a.b.c"}
                                << "remove" << "" << QList<bool>{} << QStringList{"a.b", "notes", "x"}
                                << QStringList{} << "";
        QTest::newRow("remove onto an existing file")
            << QStringList{"notes.", "notes"} << QStringList{"notes."} << "remove" << "" << QList<bool>{}
            << QStringList{"notes", "notes."} << QStringList{}
            << "No se ha podido eliminar la extensión de los siguientes ficheros:\n\nnotes. — ya existe\n";
        QTest::newRow("remove long extension, Yes and No")
            << QStringList{"photo.jpeg", "movie.mpeg"} << QStringList{"photo.jpeg", "movie.mpeg"} << "remove-menu"
            << "" << QList<bool>{false, true} << QStringList{"movie.mpeg", "photo"}
            << QStringList{"¿Estás seguro de querer eliminar la extensión 'mpeg'?",
                           "¿Estás seguro de querer eliminar la extensión 'jpeg'?"}
            << "";
        QTest::newRow("folders are renamed like files")
            << QStringList{"album.old/"} << QStringList{"album.old"} << "change" << "new" << QList<bool>{}
            << QStringList{"album.new"} << QStringList{} << "";
        QTest::newRow("nothing selected") << QStringList{"a.txt"} << QStringList{} << "change" << "doc"
                                          << QList<bool>{} << QStringList{"a.txt"} << QStringList{} << "";
    }
    void fileOperations()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, selected);
        QFETCH(QString, operation);
        QFETCH(QString, extension);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, after);
        QFETCH(QStringList, questions);
        QFETCH(QString, message);

        WindowEnvironment env;
        TestDir dir;
        for (const QString &file : files)
            file.endsWith(u'/') ? dir.CreateDir(file.chopped(1)) : dir.CreateFile(file, "data");
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        dialogs.askAnswers = answers;
        auto w = env.NewWindow();
        SelectEntries(w->Ficheros, selected);
        QCOMPARE(w->Ficheros->SelCount(), selected.size());

        if (operation == u"change") {
            Choose(w->cbExtensiones, extension);
            if (w->cbExtensiones->currentIndex() < 0)
                w->AddToExtensionList(extension), Choose(w->cbExtensiones, extension);
            QTest::mouseClick(w->sbCambiarExtension, Qt::LeftButton);
        } else if (operation == u"add") {
            w->AddToExtensionList(extension);
            Choose(w->cbExtensiones, extension);
            QTest::mouseClick(w->sbAnhadirExtensionAFicheros, Qt::LeftButton);
        } else if (operation == u"remove") {
            QTest::mouseClick(w->sbEliminaExtension, Qt::LeftButton);
        } else if (operation == u"remove-menu") {
            w->Eliminaextensin1->trigger();
        } else {
            w->AddToExtensionList(extension);
            w->pmFicherosPopup();
            QMenu *menu = operation == u"change-menu" ? w->pmCambiarExtension : w->pmAnhadirExtension;
            QAction *entry = nullptr;
            for (QAction *action : menu->actions())
                if (action->text().remove(u'&') == extension)
                    entry = action;
            QVERIFY(entry);
            entry->trigger();
        }

        QCOMPARE(FilesIn(dir), after);
        QStringList asked;
        for (const auto &shown : dialogs.Of(QStringLiteral("Ask"))) {
            QCOMPARE(shown.caption, QStringLiteral("Extensión mayor de 3 caracteres"));
            QCOMPARE(shown.icon, Dialogs::Icon::Question);
            asked.append(shown.text);
        }
        QCOMPARE(asked, questions);
        const auto messages = dialogs.Of(QStringLiteral("Message"));
        QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(messages.first().caption, QStringLiteral("Atención"));
            QCOMPARE(messages.first().icon, Dialogs::Icon::Warning);
            QCOMPARE(messages.first().text, message);
        }
        // The list shows the new names.
        for (const QString &name : after)
            QVERIFY2(Captions(w->Ficheros).contains(name), qPrintable(name));
    }

    // A file may be named like the parent entry; only what an entry is decides.
    void fileNamedLikeTheParentEntry_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("renamed");    // the real file's new name
        QTest::addColumn<QString>("message");    // for the parent entry
        QTest::newRow("change") << "change" << " <- Anterior.wma"
                                << "No se han podido renombrar los siguientes ficheros:\n\n <- Anterior — no es un fichero ni una carpeta\n";
        QTest::newRow("add") << "add" << " <- Anterior.wma"
                             << "No se han podido renombrar los siguientes ficheros:\n\n <- Anterior — no es un fichero ni una carpeta\n";
        QTest::newRow("remove") << "remove" << "" << "";
    }
    void fileNamedLikeTheParentEntry()
    {
        QFETCH(QString, operation);
        QFETCH(QString, renamed);
        QFETCH(QString, message);
        WindowEnvironment env;
        TestDir dir;
        dir.CreateFile(QStringLiteral(" <- Anterior"), "data");
        dir.CreateFile(QStringLiteral("a.txt"), "data");
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QCOMPARE(w->Ficheros->Kind(0), FileListView::EntryKind::Parent);
        const int real = int(Captions(w->Ficheros).lastIndexOf(QStringLiteral(" <- Anterior")));
        QVERIFY(real > 0);
        QCOMPARE(w->Ficheros->Kind(real), FileListView::EntryKind::File);
        Choose(w->cbExtensiones, QStringLiteral("wma"));
        const auto run = [&] {
            if (operation == u"change")
                w->sbCambiarExtensionClick();
            else if (operation == u"add")
                w->sbAnhadirExtensionAFicherosClick();
            else
                w->sbEliminaExtensionClick();
        };

        w->Ficheros->SetSelected(0, true);
        run();
        QCOMPARE(FilesIn(dir), (QStringList{" <- Anterior", "a.txt"}));
        const auto messages = dialogs.Of(QStringLiteral("Message"));
        QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(messages.first().text, message);

        // The real file is renamed like any other.
        dialogs.shown.clear();
        for (int i = 0; i < w->Ficheros->Count(); ++i)
            w->Ficheros->SetSelected(i, w->Ficheros->Kind(i) == FileListView::EntryKind::File
                                            && w->Ficheros->Caption(i) == QStringLiteral(" <- Anterior"));
        run();
        QCOMPARE(FilesIn(dir).contains(renamed.isEmpty() ? QStringLiteral(" <- Anterior") : renamed), true);
        QVERIFY(dialogs.Of(QStringLiteral("Message")).isEmpty());
    }

    void ampersandInAnExtensionFromTheMenus_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<QString>("after");
        QTest::newRow("change") << true << "a.r&b";
        QTest::newRow("add") << false << "a.txt.r&b";
    }
    void ampersandInAnExtensionFromTheMenus()
    {
        QFETCH(bool, change);
        QFETCH(QString, after);
        WindowEnvironment env;
        TestDir dir;
        dir.CreateFile(QStringLiteral("a.txt"), "data");
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QVERIFY(w->AddToExtensionList(QStringLiteral("r&b")));
        SelectEntries(w->Ficheros, {QStringLiteral("a.txt")});
        w->pmFicherosPopup();
        QMenu *menu = change ? w->pmCambiarExtension : w->pmAnhadirExtension;
        const int position = w->cbExtensiones->findText(QStringLiteral("r&b"));
        QCOMPARE(menu->actions().size(), w->cbExtensiones->count());
        QAction *entry = menu->actions().at(position);
        entry->trigger();
        QCOMPARE(FilesIn(dir), QStringList{after});
        QCOMPARE(entry->text(), QStringLiteral("r&&b"));   // shown as "r&b", no accelerator
        QVERIFY(dialogs.shown.isEmpty());
    }

    // The clicked file's extension in the captions shows its "&" as it is.
    void ampersandInTheClickedFilesCaptions()
    {
        WindowEnvironment env;
        TestDir dir;
        dir.CreateFile(QStringLiteral("tema.r&b"));
        dir.CreateFile(QStringLiteral("otro.r&b"));
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        auto w = env.NewShownWindow();
        QVERIFY(w);
        ClickEntry(w->Ficheros, QStringLiteral("tema.r&b"));
        w->pmFicherosPopup();
        QCOMPARE(w->pmAnadir->text(), QStringLiteral("Añadir 'r&&b' a la lista de extensiones"));
        w->Marcartodoslosficherosconestaextensin1Click();
        QCOMPARE(w->pmExtension->text(), QStringLiteral("Todos los ficheros con la extensión: r&&b"));
        w->pmExtension->trigger();
        QCOMPARE(w->Ficheros->SelCount(), 2);
        w->pmAnadir->trigger();
        QVERIFY(Items(w->cbExtensiones).contains(QStringLiteral("r&b")));
    }

    void noExtensionChosenDoesNothing()
    {
        WindowEnvironment env;
        TestDir dir;
        dir.CreateFile(QStringLiteral("a.txt"));
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        SelectEntries(w->Ficheros, {QStringLiteral("a.txt")});
        QCOMPARE(w->cbExtensiones->currentIndex(), -1);
        w->sbCambiarExtensionClick();
        w->sbAnhadirExtensionAFicherosClick();
        QCOMPARE(FilesIn(dir), QStringList{QStringLiteral("a.txt")});
        QVERIFY(dialogs.shown.isEmpty());
    }

    void fileGoneBeforeTheButtonIsReported()
    {
        WindowEnvironment env;
        TestDir dir;
        dir.CreateFile(QStringLiteral("a.txt"));
        dir.CreateFile(QStringLiteral("b.txt"));
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        SelectEntries(w->Ficheros, {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        QFile::remove(dir.FilePath(QStringLiteral("a.txt")));
        w->RemoveExtension();
        QCOMPARE(FilesIn(dir), QStringList{QStringLiteral("b")});
        QCOMPARE(dialogs.Of(QStringLiteral("Message")).size(), 1);
        QCOMPARE(dialogs.Of(QStringLiteral("Message")).first().text,
                 QStringLiteral("No se ha podido eliminar la extensión de los siguientes ficheros:\n\na.txt — no existe\n"));
    }

    void forbiddenStoredExtensionNeverLeavesTheFolder()
    {
        WindowEnvironment env;
        TestDir dir;
        dir.CreateFile(QStringLiteral("a.txt"));
        dir.CreateDir(QStringLiteral("a.x"));
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        SelectEntries(w->Ficheros, {QStringLiteral("a.txt")});
        // As a hand-edited settings file could bring it back.
        w->cbExtensiones->addItem(QStringLiteral("x/b"));
        Choose(w->cbExtensiones, QStringLiteral("x/b"));
        w->sbCambiarExtensionClick();
        QVERIFY(dir.Exists(QStringLiteral("a.txt")));
        QVERIFY(!dir.Exists(QStringLiteral("a.x/b")));
        QCOMPARE(dialogs.Of(QStringLiteral("Message")).size(), 1);
    }

    void addTypedExtension_data()
    {
        QTest::addColumn<QString>("typed");           // null = cancel
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("message");
        const QStringList design{"bmp", "jpg", "mp3", "wma"};
        QTest::newRow("sorted place") << "gif" << QStringList{"bmp", "gif", "jpg", "mp3", "wma"} << "";
        QTest::newRow("kept as typed") << ".Ogg" << QStringList{".Ogg", "bmp", "jpg", "mp3", "wma"} << "";
        QTest::newRow("letter case ignored for duplicates") << "MP3" << design << "";
        QTest::newRow("slash refused") << "m/p3" << design << "El símbolo '/' no es válido.";
        QTest::newRow("last forbidden named") << "a:b?c" << design << "El símbolo '?' no es válido.";
        QTest::newRow("asterisk accepted") << "a*" << QStringList{"a*", "bmp", "jpg", "mp3", "wma"} << "";
        QTest::newRow("empty text") << "" << design << "";
        QTest::newRow("cancelled") << QString() << design << "";
    }
    void addTypedExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, items);
        QFETCH(QString, message);
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        dialogs.promptAnswers = {typed};
        auto w = env.NewWindow();
        Choose(w->cbExtensiones, QStringLiteral("mp3"));
        QTest::mouseClick(w->sbAnhadirExtension, Qt::LeftButton);
        const auto prompts = dialogs.Of(QStringLiteral("PromptText"));
        QCOMPARE(prompts.size(), 1);
        QCOMPARE(prompts.first().caption, QStringLiteral("Añadir extensión"));
        QCOMPARE(prompts.first().text, QStringLiteral("Escribe la extensión (sin punto) que deseas añadir"));
        QCOMPARE(dialogs.promptInitialTexts, QStringList{QString()});
        QCOMPARE(Items(w->cbExtensiones), items);
        QCOMPARE(w->cbExtensiones->currentText(), QStringLiteral("mp3"));
        const auto messages = dialogs.Of(QStringLiteral("Message"));
        QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(messages.first().text, message);
            QCOMPARE(messages.first().caption, QStringLiteral("Atención"));
        }
        // The submenus follow the list.
        w->pmFicherosPopup();
        QCOMPARE(w->pmCambiarExtension->actions().size(), items.size());
    }

    void clickedFileExtension()
    {
        WindowEnvironment env;
        TestDir dir;
        dir.CreateFile(QStringLiteral("tema.flac"));
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        dialogs.promptAnswers = {QString()};
        auto w = env.NewShownWindow();
        QVERIFY(w);
        ClickEntry(w->Ficheros, QStringLiteral("tema.flac"));
        // The prompt proposes the clicked file's extension.
        w->sbAnhadirExtensionClick();
        QCOMPARE(dialogs.promptInitialTexts, QStringList{QStringLiteral("flac")});
        QVERIFY(!Items(w->cbExtensiones).contains(QStringLiteral("flac")));
        w->pmFicherosPopup();
        QVERIFY(w->pmAnadir->isEnabled());
        w->pmAnadir->trigger();
        QCOMPARE(Items(w->cbExtensiones), (QStringList{"bmp", "flac", "jpg", "mp3", "wma"}));
        w->pmAnadir->trigger();
        QCOMPARE(w->cbExtensiones->count(), 5);
    }

    void removeFromTheList()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        dialogs.askAnswers = {false, true};
        auto w = env.NewWindow();
        w->sbBorrarExtensionClick();
        QVERIFY(dialogs.shown.isEmpty());
        Choose(w->cbExtensiones, QStringLiteral("jpg"));
        w->sbBorrarExtensionClick();
        QCOMPARE(w->cbExtensiones->count(), 4);
        w->sbBorrarExtensionClick();
        QCOMPARE(Items(w->cbExtensiones), (QStringList{"bmp", "mp3", "wma"}));
        const auto asked = dialogs.Of(QStringLiteral("Ask"));
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.first().caption, QStringLiteral("Confirmación"));
        QCOMPARE(asked.first().text, QStringLiteral("¿Estás seguro de que quieres borrar la extensión 'jpg' de la lista?"));
        QCOMPARE(asked.first().icon, Dialogs::Icon::Question);
    }

    void settingsOutliveTheRun()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        {
            auto w = env.NewShownWindow();
            QVERIFY(w);
            w->AddToExtensionList(QStringLiteral("ogg"));
            w->edCadenaSeparacion->setText(QStringLiteral(" - "));
            w->clbCampos->insertItem(0, w->clbCampos->takeItem(2));   // Artista first
            w->clbCampos->item(1)->setCheckState(Qt::Checked);
            w->close();
        }
        QSettings ini(env.SettingsFile(), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("TfUtilities/edCadenaSeparacion_Text")).toString(), QStringLiteral("-"));
        QCOMPARE(ini.value(QStringLiteral("TfUtilities.cbExtensiones_Items/Count")).toString(), QStringLiteral("5"));
        QCOMPARE(ini.value(QStringLiteral("TfUtilities.cbExtensiones_Items/Item3")).toString(), QStringLiteral("ogg"));
        QCOMPARE(ini.value(QStringLiteral("TfUtilities.clbCampos_Items/Item0")).toString(), QStringLiteral("Artista"));
        QCOMPARE(ini.value(QStringLiteral("TfUtilities/FormVersion")).toString(), QStringLiteral("0"));
        QVERIFY(ini.contains(QStringLiteral("TfUtilities/NormPos")));

        auto again = env.NewShownWindow();
        QVERIFY(again);
        QCOMPARE(Items(again->cbExtensiones), (QStringList{"bmp", "jpg", "mp3", "ogg", "wma"}));
        QCOMPARE(again->edCadenaSeparacion->text(), QStringLiteral("-"));
        QCOMPARE(Items(again->clbCampos), (QStringList{"Artista", "Pista", "Título", "Álbum"}));
        for (int i = 0; i < again->clbCampos->count(); ++i)
            QCOMPARE(again->clbCampos->item(i)->checkState(), Qt::Unchecked);
        QCOMPARE(again->cbExtensiones->currentIndex(), -1);
    }

    // Items come back exactly as typed and in their sorted places; a hand-edited list is
    // sorted and loses its duplicates.
    void extensionListAcrossARestart_data()
    {
        QTest::addColumn<QByteArray>("stored");      // empty: the first run adds " mp3"
        QTest::addColumn<QStringList>("restored");
        QTest::newRow("typed with a blank") << QByteArray() << QStringList{" mp3", "bmp", "jpg", "mp3", "wma"};
        QTest::newRow("hand-edited")
            << QByteArray("[TfUtilities.cbExtensiones_Items]\nCount=6\nItem0=wma\nItem1=MP3\nItem2=bmp\n"
                          "Item3=mp3\nItem4=jpg\nItem5=\" ogg\"\n")
            << QStringList{" ogg", "bmp", "jpg", "MP3", "wma"};
    }
    void extensionListAcrossARestart()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, restored);
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        if (stored.isEmpty()) {
            auto w = env.NewShownWindow();
            QVERIFY(w);
            QVERIFY(w->AddToExtensionList(QStringLiteral(" mp3")));
            w->close();
        } else {
            env.WriteSettingsFile(stored);
        }
        auto again = env.NewShownWindow();
        QVERIFY(again);
        QCOMPARE(Items(again->cbExtensiones), restored);
        QCOMPARE(again->cbExtensiones->currentIndex(), -1);
        QVERIFY(again->AddToExtensionList(QStringLiteral("gif")));
        QCOMPARE(Items(again->cbExtensiones).indexOf(QStringLiteral("gif")), restored.indexOf(QStringLiteral("bmp")) + 1);
        again->pmFicherosPopup();
        QCOMPARE(again->pmCambiarExtension->actions().size(), restored.size() + 1);
    }

    void emptiedExtensionListComesBackAsDesigned()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        {
            auto w = env.NewShownWindow();
            QVERIFY(w);
            w->cbExtensiones->clear();
            w->close();
        }
        QSettings ini(env.SettingsFile(), QSettings::IniFormat);
        QVERIFY(!ini.childGroups().contains(QStringLiteral("TfUtilities.cbExtensiones_Items")));
        auto again = env.NewShownWindow();
        QVERIFY(again);
        QCOMPARE(Items(again->cbExtensiones), (QStringList{"bmp", "jpg", "mp3", "wma"}));
    }

    // The last rename of the page can be undone from the list's context menu, in the folder
    // it happened in, also after a restart; a confirmation tells how many names come back.
    void undoLastRenameFromTheContextMenu()
    {
        WindowEnvironment env;
        TestDir dir;
        TestDir elsewhere;
        for (const QString name : {"1.jpg", "2.jpg", "3.jpg"})
            dir.CreateFile(name, name.toUtf8());
        env.StoreFolders(dir.Path());
        ScriptedDialogs dialogs;
        const auto undoEnabled = [](TfUtilities &w) {
            emit w.pmFicheros->aboutToShow();
            return w.pmDeshacerRenombrado->isEnabled();
        };
        {
            auto w = env.NewWindow();
            QCOMPARE(w->pmDeshacerRenombrado->text(), QStringLiteral("Deshacer el último renombrado"));
            QVERIFY(!undoEnabled(*w));
            SelectEntries(w->Ficheros, {"1.jpg", "2.jpg"});
            w->ChangeExtension(QStringLiteral("png"));
            QCOMPARE(FilesIn(dir), (QStringList{"1.png", "2.png", "3.jpg"}));
            QVERIFY(undoEnabled(*w));
            w->Ficheros->SetDirectory(elsewhere.Path()); // nothing to undo in another folder
            QVERIFY(!undoEnabled(*w));
        }
        auto w = env.NewWindow(); // after a restart
        QVERIFY(undoEnabled(*w));
        dialogs.askAnswers = {false, true};
        w->pmDeshacerRenombrado->trigger(); // No: nothing changes
        QCOMPARE(FilesIn(dir), (QStringList{"1.png", "2.png", "3.jpg"}));
        w->pmDeshacerRenombrado->trigger();
        const auto asked = dialogs.Of(QStringLiteral("Ask"));
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[1].caption, QStringLiteral("Confirmación"));
        QCOMPARE(asked[1].text,
                 QStringLiteral("¿Deshacer el último renombrado?\n2 ficheros recuperarán su nombre anterior."));
        QCOMPARE(FilesIn(dir), (QStringList{"1.jpg", "2.jpg", "3.jpg"}));
        QVERIFY(Captions(w->Ficheros).contains(QStringLiteral("1.jpg")));
        QVERIFY(!undoEnabled(*w));
        QVERIFY(dialogs.Of(QStringLiteral("Message")).isEmpty());
    }
};

QTEST_MAIN(TestExtensions)
#include "tst_extensions.moc"
