#include "tests/main/windowfixture.h"
#include "tests/support/mp3file.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdir.h"

#include "main/fileprogress.h"
#include "main/main.h"
#include "main/tagvalues.h"
#include "platform/paths.h"
#include "widgets/filelistview.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTabWidget>
#include <QTabBar>
#include <QListWidget>
#include <QStyle>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace {

// A window whose tag page shows `dir`, with `selected` selected and the list clicked.
std::unique_ptr<TfUtilities> TagWindow(WindowEnvironment &env, TestDir &dir, const QStringList &selected)
{
    env.WriteKeyText(QStringLiteral("RUTA TAG"), dir.Path());
    auto w = env.NewWindow();
    w->mmCvTag->trigger();
    SelectEntries(w->FicherosTag, selected);
    if (!selected.isEmpty())
        w->FicherosTagClick();
    return w;
}

QStringList RecordNames(const TfUtilities &w)
{
    QStringList names;
    for (const auto &record : w.TagList)
        names.append(FileNamePart(record->FilePath));
    return names;
}


// Every field of both tags of a file as read from disk, "v1.title" → value.
QMap<QString, QByteArray> Fields(const QString &path)
{
    TID3 record(path);
    const auto b = [](const std::string &s) { return QByteArray::fromStdString(s); };
    const auto n = [](int v) { return QByteArray::number(v); };
    return {{"v1.present", n(record.V1.Present())}, {"v1.title", b(record.V1.Title())},
            {"v1.artist", b(record.V1.Artist())},   {"v1.album", b(record.V1.Album())},
            {"v1.track", n(record.V1.Track())},     {"v1.year", b(record.V1.Year())},
            {"v1.genre", n(record.V1.GenreIndex())}, {"v1.comment", b(record.V1.Comment())},
            {"v2.present", n(record.V2.Present())}, {"v2.title", b(record.V2.Title())},
            {"v2.artist", b(record.V2.Artist())},   {"v2.album", b(record.V2.Album())},
            {"v2.track", n(record.V2.Track())},     {"v2.year", b(record.V2.Year())},
            {"v2.genre", b(record.V2.Genre())},     {"v2.comment", b(record.V2.Comment())}};
}

// Three files whose every field differs from file to file.
QStringList MakeThreeTagged(TestDir &dir)
{
    QStringList paths;
    for (int i = 1; i <= 3; ++i) {
        const std::string k = std::to_string(i);
        paths.append(MakeMp3(dir.FilePath(QStringLiteral("f%1.mp3").arg(i)),
                             {[&](TID3v1 &t) {
                                  t.SetTitle("t1-" + k);
                                  t.SetArtist("a1-" + k);
                                  t.SetAlbum("l1-" + k);
                                  t.SetTrack(std::uint8_t(10 + i));
                                  t.SetYear("198" + k);
                                  t.SetGenreIndex(std::uint8_t(i));
                                  t.SetComment("c1-" + k);
                              },
                              [&](TID3v2 &t) {
                                  t.SetTitle("t2-" + k);
                                  t.SetArtist("a2-" + k);
                                  t.SetAlbum("l2-" + k);
                                  t.SetTrack(std::uint8_t(20 + i));
                                  t.SetYear("199" + k);
                                  t.SetGenre("g2-" + k);
                                  t.SetComment("c2-" + k);
                              }}));
    }
    return paths;
}

// Puts values into every control of both sheets that differ from all of MakeThreeTagged's.
void TypeEverywhere(TfUtilities &w)
{
    w.edTituloV1->setText(QStringLiteral("Nuevo título  "));
    w.edArtistaV1->setText(QStringLiteral("Nuevo artista"));
    w.edAlbumV1->setText(QStringLiteral("Nuevo álbum"));
    w.sePistaV1->setValue(7);
    w.seAnoV1->setValue(987);
    w.cbGeneroV1->setCurrentIndex(18);
    w.edComentarioV1->setText(QStringLiteral("Nuevo comentario € Дом"));
    w.edTituloV2->setText(QStringLiteral("Título versión 2 ☃"));
    w.edArtistaV2->setText(QStringLiteral("Artista 2"));
    w.edAlbumV2->setText(QStringLiteral("Álbum 2"));
    w.sePistaV2->setValue(8);
    w.seAnoV2->setValue(2001);
    w.cbGeneroV2->setEditText(QStringLiteral("Mi género"));
    w.mComentarioV2->setPlainText(QStringLiteral("Dos\nlíneas"));
}
} // namespace

class TestTagEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("CarventoUtilities")); }

    void clickBuildsTheListInDisplayOrder()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        MakeMp3(dir.FilePath(QStringLiteral("c.mp3")), {[](TID3v1 &t) { t.SetTitle("Tercera"); }, {}});
        MakeMp3(dir.FilePath(QStringLiteral("a.mp3")),
                {[](TID3v1 &t) {
                     t.SetTitle("Primera");
                     t.SetTrack(150);
                     t.SetYear("1999");
                     t.SetGenreIndex(17);
                 },
                 [](TID3v2 &t) {
                     t.SetTitle("Primera v2 á");
                     t.SetGenre("rock");
                     t.SetYear("2004-05-12");
                     t.SetComment("una\nlínea");
                 }});
        MakeMp3(dir.FilePath(QStringLiteral("b.mp3")), {[](TID3v1 &t) { t.SetGenreIndex(200); }, [](TID3v2 &t) {
                                                   t.SetGenre("Chillwave");
                                               }});
        dir.CreateDir(QStringLiteral("carpeta.mp3"));
        auto w = TagWindow(env, dir,
                           {FileListView::ParentCaption, QStringLiteral("carpeta.mp3"), QStringLiteral("c.mp3"),
                            QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});

        QCOMPARE(RecordNames(*w), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
        QCOMPARE(w->CurrentIndex, 0);
        QCOMPARE(w->lbTantoDeTanto->text(), QStringLiteral("Fichero actual (1 de 3) :"));
        QCOMPARE(w->lbFichero->text(), QStringLiteral("a.mp3"));
        QCOMPARE(w->edTituloV1->text(), QStringLiteral("Primera"));
        QCOMPARE(w->sePistaV1->value(), 99);
        QCOMPARE(w->seAnoV1->value(), 1999);
        QCOMPARE(w->cbGeneroV1->currentText(), QStringLiteral("Rock"));
        QCOMPARE(w->edTituloV2->text(), QStringLiteral("Primera v2 á"));
        QCOMPARE(w->seAnoV2->value(), 2004);
        QCOMPARE(w->cbGeneroV2->currentIndex(), 18);
        QCOMPARE(w->cbGeneroV2->currentText(), QStringLiteral("rock"));
        QCOMPARE(w->mComentarioV2->toPlainText(), QStringLiteral("una\nlínea"));

        // No wrap-around at either end.
        w->SpeedButton14->click();
        QCOMPARE(w->CurrentIndex, 0);
        w->SpeedButton16->click();
        QCOMPARE(w->lbTantoDeTanto->text(), QStringLiteral("Fichero actual (2 de 3) :"));
        QCOMPARE(w->edTituloV1->text(), QString());
        QCOMPARE(w->cbGeneroV1->currentIndex(), -1);    // genre 200 has no name
        QCOMPARE(w->cbGeneroV2->currentIndex(), -1);
        QCOMPARE(w->cbGeneroV2->currentText(), QStringLiteral("Chillwave"));
        w->SpeedButton15->click();
        QCOMPARE(w->lbFichero->text(), QStringLiteral("c.mp3"));
        QCOMPARE(w->cbGeneroV1->currentIndex(), 0);
        QCOMPARE(w->cbGeneroV2->currentIndex(), 0);
        w->SpeedButton16->click();
        QCOMPARE(w->CurrentIndex, 2);
        w->SpeedButton13->click();
        QCOMPARE(w->CurrentIndex, 0);

        // A click that leaves nothing selected changes nothing.
        SelectEntries(w->FicherosTag, {});
        w->SpeedButton16->click();
        w->FicherosTagClick();
        QCOMPARE(w->TagList.size(), std::size_t(3));
        QCOMPARE(w->CurrentIndex, 1);

        // Only the parent entry: an empty list and an empty display.
        SelectEntries(w->FicherosTag, {FileListView::ParentCaption});
        w->FicherosTagClick();
        QVERIFY(w->TagList.empty());
        QCOMPARE(w->CurrentIndex, -1);
        QCOMPARE(w->lbTantoDeTanto->text(), QStringLiteral("Fichero actual (0 de 0) :"));
        QCOMPARE(w->lbFichero->text(), QString());
        QCOMPARE(w->edTituloV1->text(), QString());
        QCOMPARE(w->cbGeneroV2->currentText(), QString());
        QCOMPARE(w->mComentarioV2->toPlainText(), QString());
        for (QToolButton *b : {w->SpeedButton13, w->SpeedButton14, w->SpeedButton15, w->SpeedButton16})
            b->click();
        QCOMPARE(w->CurrentIndex, -1);
    }

    void clickOnTheListRebuildsIt()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        MakeMp3(dir.FilePath(QStringLiteral("a.mp3")), {[](TID3v1 &t) { t.SetTitle("A"); }, {}});
        MakeMp3(dir.FilePath(QStringLiteral("b.mp3")), {[](TID3v1 &t) { t.SetTitle("B"); }, {}});
        auto w = TagWindow(env, dir, {});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        ClickEntry(w->FicherosTag, QStringLiteral("a.mp3"));
        QCOMPARE(RecordNames(*w), QStringList{"a.mp3"});
        QCOMPARE(w->edTituloV1->text(), QStringLiteral("A"));
        // Moving the selection with the Down key rebuilds the list when the key is released.
        QTest::keyClick(w->FicherosTag->View(), Qt::Key_Down);
        QCOMPARE(RecordNames(*w), QStringList{"b.mp3"});
        QCOMPARE(w->edTituloV1->text(), QStringLiteral("B"));
    }

    void fieldButtonsWriteOneFieldIntoEveryFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArrayList>("values");    // per file; one value for all
        const QByteArrayList numbers{"1", "2", "3"};
        QTest::newRow("v1 title") << "SpeedButton6" << "v1.title" << QByteArrayList{"Nuevo título"};
        QTest::newRow("v1 artist") << "SpeedButton7" << "v1.artist" << QByteArrayList{"Nuevo artista"};
        QTest::newRow("v1 album") << "SpeedButton8" << "v1.album" << QByteArrayList{"Nuevo álbum"};
        QTest::newRow("v1 numbering") << "SpeedButton11" << "v1.track" << numbers;
        QTest::newRow("v1 year") << "SpeedButton12" << "v1.year" << QByteArrayList{"987"};
        QTest::newRow("v1 genre") << "SpeedButton9" << "v1.genre" << QByteArrayList{"17"};
        QTest::newRow("v1 comment") << "SpeedButton10" << "v1.comment" << QByteArrayList{"Nuevo comentario € ???"};
        QTest::newRow("v2 title") << "SpeedButton18" << "v2.title" << QByteArrayList{"Título versión 2 ☃"};
        QTest::newRow("v2 artist") << "SpeedButton19" << "v2.artist" << QByteArrayList{"Artista 2"};
        QTest::newRow("v2 album") << "SpeedButton20" << "v2.album" << QByteArrayList{"Álbum 2"};
        QTest::newRow("v2 numbering") << "SpeedButton23" << "v2.track" << numbers;
        QTest::newRow("v2 year") << "SpeedButton24" << "v2.year" << QByteArrayList{"2001"};
        QTest::newRow("v2 genre") << "SpeedButton21" << "v2.genre" << QByteArrayList{"Mi género"};
        QTest::newRow("v2 comment") << "SpeedButton22" << "v2.comment" << QByteArrayList{"Dos\nlíneas"};
    }
    void fieldButtonsWriteOneFieldIntoEveryFile()
    {
        QFETCH(QString, button);
        QFETCH(QString, field);
        QFETCH(QByteArrayList, values);

        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        const QStringList paths = MakeThreeTagged(dir);
        QList<QMap<QString, QByteArray>> before;
        for (const QString &path : paths)
            before.append(Fields(path));
        auto w = TagWindow(env, dir, {"f1.mp3", "f2.mp3", "f3.mp3"});
        w->SpeedButton16->click();
        TypeEverywhere(*w);
        auto *b = w->findChild<QToolButton *>(button);
        QVERIFY(b);

        // Only from its own sheet.
        QWidget *own = field.startsWith(u"v1") ? w->tsID3v1 : w->tsID3v2;
        w->pcID3->setCurrentWidget(own == w->tsID3v1 ? w->tsID3v2 : w->tsID3v1);
        b->click();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Fields(paths[i]), before[i]);

        w->pcID3->setCurrentWidget(own);
        b->click();
        QVERIFY(dialogs.shown.isEmpty());
        for (int i = 0; i < 3; ++i) {
            QMap<QString, QByteArray> expected = before[i];
            expected[field] = values.size() == 1 ? values[0] : values[i];
            QCOMPARE(Fields(paths[i]), expected);
            const QByteArray bytes = dir.Read(QFileInfo(paths[i]).fileName());
            QVERIFY(bytes.contains(Audio()));
        }
        // The field's box shows what the current file now holds; the other boxes keep what was typed.
        if (field == u"v1.track")
            QCOMPARE(w->sePistaV1->value(), 2);
        else if (field == u"v2.track")
            QCOMPARE(w->sePistaV2->value(), 2);
        else if (field == u"v1.comment")
            QCOMPARE(w->edComentarioV1->text(), QStringLiteral("Nuevo comentario € ???"));
        QCOMPARE(w->edTituloV1->text(),
                 field == u"v1.title" ? QStringLiteral("Nuevo título") : QStringLiteral("Nuevo título  "));
        QCOMPARE(w->edArtistaV2->text(), QStringLiteral("Artista 2"));
    }

    void actualSavesBothVersionsOfTheCurrentFile()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        const QString path = MakeMp3(dir.FilePath(QStringLiteral("sin tags.mp3")));
        auto w = TagWindow(env, dir, {"sin tags.mp3"});
        TypeEverywhere(*w);
        w->seAnoV1->setValue(0);
        w->seAnoV2->clear();    // an empty box reads as 0: no year, as the file had
        w->cbGeneroV1->setCurrentIndex(-1);
        w->sbActual->click();
        QVERIFY(dialogs.shown.isEmpty());
        const QMap<QString, QByteArray> expected{
            {"v1.present", "1"}, {"v1.title", "Nuevo título"}, {"v1.artist", "Nuevo artista"},
            {"v1.album", "Nuevo álbum"}, {"v1.track", "7"}, {"v1.year", ""}, {"v1.genre", "254"},
            {"v1.comment", "Nuevo comentario € ???"}, {"v2.present", "1"}, {"v2.title", "Título versión 2 ☃"},
            {"v2.artist", "Artista 2"}, {"v2.album", "Álbum 2"}, {"v2.track", "8"}, {"v2.year", ""},
            {"v2.genre", "Mi género"}, {"v2.comment", "Dos\nlíneas"}};
        QCOMPARE(Fields(path), expected);
        QVERIFY(dir.Read(QStringLiteral("sin tags.mp3")).contains(Audio()));
        // The boxes show what the file now holds, not what was typed.
        QCOMPARE(w->edTituloV1->text(), QStringLiteral("Nuevo título"));
        QCOMPARE(w->edComentarioV1->text(), QStringLiteral("Nuevo comentario € ???"));
        QCOMPARE(w->edTituloV2->text(), QStringLiteral("Título versión 2 ☃"));
        QCOMPARE(w->cbGeneroV1->currentIndex(), -1);
    }

    // The version 2 genre box keeps what is typed; its list still offers every name.
    void genreIsSavedAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("Electro") << "Electro";
        QTest::newRow("Hard") << "Hard";
        QTest::newRow("Power") << "Power";
    }
    void genreIsSavedAsTyped()
    {
        QFETCH(QString, typed);
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        const QString path = MakeMp3(dir.FilePath(QStringLiteral("a.mp3")));
        auto w = TagWindow(env, dir, {"a.mp3"});
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->pcID3->setCurrentWidget(w->tsID3v2);
        w->cbGeneroV2->setFocus();
        QTest::keyClicks(w->cbGeneroV2->lineEdit(), typed);
        QCOMPARE(w->cbGeneroV2->currentText(), typed);
        w->sbActual->click();
        QCOMPARE(Fields(path)["v2.genre"], typed.toLatin1());
        QCOMPARE(w->cbGeneroV2->count(), 149);
    }

    // The boxes cannot show these values as stored (the memo turns CR LF into a line break):
    // what was shown and left alone is not written.
    void actualKeepsValuesTheBoxesCannotShow()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        const QString path = MakeMp3(dir.FilePath(QStringLiteral("raro.mp3")),
                                     {[](TID3v1 &t) {
                                          t.SetTrack(150);
                                          t.SetYear("19xx");
                                          t.SetGenreIndex(200);
                                      },
                                      [](TID3v2 &t) {
                                          t.SetYear("2004-05-12");
                                          t.SetTrack(120);
                                          t.SetComment("uno\r\ndos\rtres");
                                          t.SetTitle("con\ttabulador y\nsalto");
                                      }});
        const QByteArray before = dir.Read(QStringLiteral("raro.mp3"));
        auto w = TagWindow(env, dir, {"raro.mp3"});
        w->sbActual->click();
        QCOMPARE(dir.Read(QStringLiteral("raro.mp3")), before);
    }

    void failedWritesAreReportedOnce()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        const QStringList paths = MakeThreeTagged(dir);
        auto w = TagWindow(env, dir, {"f1.mp3", "f2.mp3", "f3.mp3"});
        QVERIFY(QFile::remove(paths[0]));
        QVERIFY(QFile::remove(paths[2]));
        QVERIFY(QDir(dir.Path()).mkdir(QStringLiteral("f3.mp3")));
        // "Actual" and the removal report the file shown.
        w->sbActual->click();
        QCOMPARE(dialogs.shown.size(), 1);
        QVERIFY(dialogs.shown[0].text.startsWith(
            QStringLiteral("No se han podido guardar los siguientes ficheros:\n\nf1.mp3 — ")));
        QCOMPARE(dialogs.shown[0].text.count(u'\n'), 3);
        dialogs.shown.clear();
        w->SpeedButton17->click();
        QCOMPARE(dialogs.shown.size(), 1);
        dialogs.shown.clear();
        w->edAlbumV1->setText(QStringLiteral("Otro"));
        w->SpeedButton8->click();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].caption, QStringLiteral("Atención"));
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Warning);
        // Each file with the reason the tag library gives.
        const QStringList lines = dialogs.shown[0].text.split(u'\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.mid(0, 2), (QStringList{"No se han podido guardar los siguientes ficheros:", ""}));
        QVERIFY2(lines[2].startsWith(QStringLiteral("f1.mp3 — ")) && lines[2].size() > 9, qPrintable(lines[2]));
        QVERIFY2(lines[3].startsWith(QStringLiteral("f3.mp3 — ")) && lines[3].size() > 9, qPrintable(lines[3]));
        QCOMPARE(lines[4], QString());
        QCOMPARE(Fields(paths[1])["v1.album"], QByteArray("Otro"));
        QVERIFY(!QFile::exists(paths[0]));
        QVERIFY(QFileInfo(paths[2]).isDir());
    }

    // The copy buttons pass the genre the source box shows, picked but not yet saved, and show
    // the copy; nothing is written before "Actual".
    void copyButtonsCopyTheShownRecord()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        const QString path = MakeMp3(dir.FilePath(QStringLiteral("a.mp3")), {[](TID3v1 &t) { t.SetGenreIndex(0); },
                                                                          [](TID3v2 &t) {
                                                                              t.SetTitle(std::string(40, 'x'));
                                                                              t.SetGenre("Blues");
                                                                          }});
        const QByteArray file = dir.Read(QStringLiteral("a.mp3"));
        auto w = TagWindow(env, dir, {"a.mp3"});
        w->cbGeneroV2->setCurrentText(QStringLiteral("Rock"));
        w->sbV2aV1->click();
        QCOMPARE(w->edTituloV1->text(), QString(30, u'x'));
        QCOMPARE(w->cbGeneroV1->currentText(), QStringLiteral("Rock"));
        QCOMPARE(dir.Read(QStringLiteral("a.mp3")), file);

        w->cbGeneroV1->setCurrentIndex(9); // "Jazz"
        w->sbV1aV2->click();
        QCOMPARE(w->cbGeneroV2->currentText(), QStringLiteral("Jazz"));
        QCOMPARE(dir.Read(QStringLiteral("a.mp3")), file);
        w->sbActual->click();
        const auto fields = Fields(path);
        QCOMPARE(fields["v1.title"], QByteArray(30, 'x'));
        QCOMPARE(fields["v2.title"], QByteArray(30, 'x'));
        QCOMPARE(fields["v2.genre"], QByteArray("Jazz"));
    }

    void removalTakesTheActiveSheetsTag()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        const QStringList paths = MakeThreeTagged(dir);
        MakeMp3(dir.FilePath(QStringLiteral("solo v2.mp3")), {{}, [](TID3v2 &t) { t.SetTitle("dos"); }});
        const QByteArray onlyV2 = dir.Read(QStringLiteral("solo v2.mp3"));
        auto w = TagWindow(env, dir, {"f1.mp3", "solo v2.mp3"});
        const QByteArray withBoth = dir.Read(QStringLiteral("f1.mp3"));
        w->SpeedButton17->click();
        QCOMPARE(dir.Read(QStringLiteral("f1.mp3")), withBoth.chopped(128));
        QCOMPARE(w->edTituloV1->text(), QString());
        QCOMPARE(w->cbGeneroV1->currentIndex(), 0);
        QCOMPARE(w->edTituloV2->text(), QStringLiteral("t2-1"));
        w->SpeedButton17->click();    // nothing left to remove
        QCOMPARE(dir.Read(QStringLiteral("f1.mp3")), withBoth.chopped(128));
        w->pcID3->setCurrentWidget(w->tsID3v2);
        w->SpeedButton17->click();
        QCOMPARE(dir.Read(QStringLiteral("f1.mp3")), Audio());
        QCOMPARE(w->edTituloV2->text(), QString());
        w->SpeedButton16->click();
        w->pcID3->setCurrentWidget(w->tsID3v1);
        w->SpeedButton17->click();    // no version 1 trailer
        QCOMPARE(dir.Read(QStringLiteral("solo v2.mp3")), onlyV2);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void hugeTextsSurviveDisplayAndSave()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        std::string big;
        while (big.size() < 2 * 1024 * 1024)
            big += std::string(999, 'a') + "é";
        const QString path = MakeMp3(dir.FilePath(QStringLiteral("grande.mp3")), {{}, [&](TID3v2 &t) {
                                                                            t.SetTitle(big);
                                                                            t.SetComment(big);
                                                                        }});
        auto w = TagWindow(env, dir, {"grande.mp3"});
        QCOMPARE(w->edTituloV2->text(), QString::fromStdString(big));
        // Shown on screen: the memo lays out one line of two million characters.
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->pcID3->setCurrentWidget(w->tsID3v2);
        QTest::qWait(20);
        w->sePistaV2->setValue(4);
        w->sbActual->click();
        QVERIFY(dialogs.shown.isEmpty());
        const auto fields = Fields(path);
        QCOMPARE(fields["v2.title"].size(), qsizetype(big.size()));
        QVERIFY(fields["v2.title"] == QByteArray::fromStdString(big));
        QVERIFY(fields["v2.comment"] == QByteArray::fromStdString(big));
        QCOMPARE(fields["v2.track"], QByteArray("4"));
        QVERIFY(dir.Read(QStringLiteral("grande.mp3")).contains(Audio()));
    }

    void controlsHintsAndLimits()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        const QString all = QStringLiteral("Guardar este valor en todos los ficheros seleccionados");
        const QString index = QStringLiteral("Guardar el índice dentro de la lista de ficheros seleccionados");
        const QList<std::pair<const char *, QString>> hints{
            {"SpeedButton6", all}, {"SpeedButton7", all}, {"SpeedButton8", all}, {"SpeedButton11", index},
            {"SpeedButton12", all}, {"SpeedButton9", all}, {"SpeedButton10", all}, {"SpeedButton18", all},
            {"SpeedButton19", all}, {"SpeedButton20", all}, {"SpeedButton23", index}, {"SpeedButton24", all},
            {"SpeedButton21", all}, {"SpeedButton22", all},
            {"SpeedButton13", QStringLiteral("Muestra los datos del primer fichero seleccionado")},
            {"SpeedButton14", QStringLiteral("Muestra los datos del anterior fichero seleccionado")},
            {"SpeedButton16", QStringLiteral("Muestra los datos del siguiente fichero seleccionado")},
            {"SpeedButton15", QStringLiteral("Muestra los datos del último fichero seleccionado")},
            {"sbActual", QStringLiteral("Guarda todos los valores del fichero actual")},
            {"sbV1aV2", QStringLiteral("Traspasa los valores del ID3v1 al ID3v2 del fichero actual")},
            {"sbV2aV1", QStringLiteral("Traspasa los valores del ID3v2 al ID3v1 del fichero actual")},
            {"SpeedButton17", QStringLiteral("Elimina el tag")},
            {"lbFichero", QStringLiteral("Fichero actual")}};
        for (const auto &[name, hint] : hints) {
            auto *control = w->findChild<QWidget *>(QString::fromLatin1(name));
            QVERIFY2(control, name);
            QCOMPARE(control->toolTip(), hint);
            if (auto *button = qobject_cast<QToolButton *>(control))
                QVERIFY(!(button->focusPolicy() & Qt::ClickFocus));    // a typed value stays as typed
        }
        QCOMPARE(w->sbActual->text(), QStringLiteral("Actual"));
        QCOMPARE(w->lbTantoDeTanto->text(), QStringLiteral("Fichero actual (0 de 0) :"));
        QVERIFY(w->lbFichero->isReadOnly());
        for (QLineEdit *edit : {w->edTituloV1, w->edArtistaV1, w->edAlbumV1, w->edComentarioV1})
            QCOMPARE(edit->maxLength(), 30);
        for (QSpinBox *spin : {w->sePistaV1, w->sePistaV2})
            QCOMPARE(std::pair(spin->minimum(), spin->maximum()), std::pair(0, 99));
        for (QSpinBox *spin : {w->seAnoV1, w->seAnoV2})
            QCOMPARE(std::pair(spin->minimum(), spin->maximum()), std::pair(0, 9999));
        QVERIFY(!w->cbGeneroV1->isEditable());
        QVERIFY(w->cbGeneroV2->isEditable());
        QCOMPARE(w->cbGeneroV1->count(), 149);
        QCOMPARE(w->cbGeneroV2->count(), 149);
        QCOMPARE(w->cbGeneroV1->maxVisibleItems(), 20);

        // Focus: title, artist, album, track, year, genre, comment on both sheets.
        w->mmCvTag->trigger();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        const QList<std::pair<QWidget *, QList<QWidget *>>> orders{
            {w->tsID3v1,
             {w->edTituloV1, w->edArtistaV1, w->edAlbumV1, w->sePistaV1, w->seAnoV1, w->cbGeneroV1,
              w->edComentarioV1}},
            {w->tsID3v2,
             {w->edTituloV2, w->edArtistaV2, w->edAlbumV2, w->sePistaV2, w->seAnoV2, w->cbGeneroV2,
              w->mComentarioV2}}};
        for (const auto &[sheet, order] : orders) {
            w->pcID3->setCurrentWidget(sheet);
            order[0]->setFocus();
            for (int i = 1; i < order.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QWidget *focused = QApplication::focusWidget();
                // An editable combo box gives the focus to its line edit.
                if (focused && focused->parentWidget() == order[i] && qobject_cast<QLineEdit *>(focused))
                    focused = order[i];
                QCOMPARE(focused, order[i]);
            }
        }
    }

    // The sheets are switched by flat buttons, the current one pressed; the bottom panel is
    // there for the edit sheets only. The field check boxes stand apart, and the progress
    // window is wide enough for its whole title.
    void sheetsAndTheirLayout()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        w->mmCvTag->trigger();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(w->pAbajoTag->isVisible());
        QVERIFY(!w->pcID3->tabBar()->isVisible());
        auto *row = w->findChild<QWidget *>(QStringLiteral("pcID3Tabs"));
        QVERIFY(row && row->isVisible());
        const QList<QToolButton *> buttons = row->findChildren<QToolButton *>();
        QStringList captions;
        for (QToolButton *button : buttons) {
            captions << button->text();
            QVERIFY(button->autoRaise() && button->isCheckable());
        }
        QCOMPARE(captions, (QStringList{"ID3v1", "ID3v2", "Masivo", "Renombrar ficheros"}));
        const QList<std::pair<QWidget *, bool>> sheets{
            {w->tsMasivo, false}, {w->tsRenombrar, false}, {w->tsID3v2, true}, {w->tsID3v1, true}};
        for (const auto &[sheet, panel] : sheets) {
            const int index = w->pcID3->indexOf(sheet);
            QTest::mouseClick(buttons[index], Qt::LeftButton);
            QCOMPARE(w->pcID3->currentWidget(), sheet);
            QCOMPARE(w->pAbajoTag->isVisible(), panel);
            for (int i = 0; i < int(buttons.size()); ++i)
                QCOMPARE(buttons[i]->isChecked(), i == index);
        }
        w->pcID3->setCurrentWidget(w->tsRenombrar);
        QVERIFY(buttons[3]->isChecked() && !buttons[0]->isChecked());

        for (int i = 0; i + 1 < w->clbCampos->count(); ++i)
            QVERIFY(w->clbCampos->visualItemRect(w->clbCampos->item(i)).bottom() + 2
                    < w->clbCampos->visualItemRect(w->clbCampos->item(i + 1)).top());
        const QRect last = w->clbCampos->visualItemRect(w->clbCampos->item(w->clbCampos->count() - 1));
        QVERIFY(last.bottom() < w->clbCampos->viewport()->height());

        FileProgress progress(w.get(), QStringLiteral("Guardando…"), 3);
        progress.Dialog()->show();
        QFont bold = progress.Dialog()->font();
        bold.setBold(true);
        const int title = QFontMetrics(bold).horizontalAdvance(progress.Dialog()->windowTitle());
        const int titleButton = progress.Dialog()->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        QVERIFY(progress.Dialog()->width() >= title + 4 * titleButton);
    }

    void progressStopsWhenCancelled()
    {
        QWidget parent;
        FileProgress progress(&parent, QStringLiteral("Guardando"), 5);
        QProgressDialog *dialog = progress.Dialog();
        QCOMPARE(dialog->minimumDuration(), 500);
        QVERIFY(parent.findChild<QProgressDialog *>(QStringLiteral("FileProgress")) == dialog);
        QVERIFY(progress.Continue(0));
        QVERIFY(progress.Continue(1));
        dialog->cancel();
        QVERIFY(!progress.Continue(2));
        QVERIFY(progress.Cancelled());
    }
};

QTEST_MAIN(TestTagEditor)
#include "tst_tageditor.moc"
