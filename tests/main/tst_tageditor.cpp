#include "tests/main/windowfixture.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdir.h"

#include "main/fileprogress.h"
#include "main/main.h"
#include "main/tagreport.h"
#include "main/tagvalues.h"
#include "widgets/filelistview.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace {

std::filesystem::path P(const QString &path) { return std::filesystem::path(path.toStdString()); }

// Stand-in audio that holds both tag markers, so a reader that looks for them in the wrong
// place shows it.
QByteArray Audio(int size = 3000)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7919) >> 3);
    bytes.replace(100, 6, "ID3TAG");
    return bytes;
}

struct Tags {
    std::function<void(TID3v1 &)> v1;
    std::function<void(TID3v2 &)> v2;
};

// An MP3 file of stand-in audio with the tags the test sets up; returns its path.
QString MakeMp3(TestDir &dir, const QString &name, const Tags &tags = {})
{
    const QString path = dir.CreateFile(name, Audio());
    if (tags.v1) {
        TID3v1 v1;
        tags.v1(v1);
        v1.WriteTag(P(path));
    }
    if (tags.v2) {
        TID3v2 v2;
        tags.v2(v2);
        v2.WriteTag(P(path));
    }
    return path;
}

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
        names.append(FileNameOf(record->FilePath));
    return names;
}

} // namespace

class TestTagEditor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("CarventoUtilities")); }

    void yearShown_data()
    {
        QTest::addColumn<QByteArray>("year");
        QTest::addColumn<int>("shown");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("plain") << QByteArray("1999") << 1999;
        QTest::newRow("short") << QByteArray("987") << 987;
        QTest::newRow("leading zero") << QByteArray("0042") << 42;
        QTest::newRow("date") << QByteArray("2004-05-12") << 2004;
        QTest::newRow("decade unknown") << QByteArray("19xx") << 0;
        QTest::newRow("two digits then text") << QByteArray("19 99") << 0;
        QTest::newRow("text") << QByteArray("circa 1990") << 0;
        QTest::newRow("too large") << QByteArray("123456789012345678901234567890") << 9999;
    }
    void yearShown()
    {
        QFETCH(QByteArray, year);
        QFETCH(int, shown);
        QCOMPARE(YearToShow(year.toStdString()), shown);
        // A box left as shown keeps the text; a changed box gives its digits.
        const std::string kept = year.isEmpty() ? "0" : year.toStdString();
        QCOMPARE(YearToSave(shown, year.toStdString()), kept);
        QCOMPARE(YearToSave(shown == 5 ? 6 : 5, year.toStdString()), shown == 5 ? "6" : "5");
    }

    void genreConversions_data()
    {
        QTest::addColumn<int>("genreIndex");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("shown");
        QTest::newRow("blues") << 0 << 1 << "Blues";
        QTest::newRow("rock") << 17 << 18 << "Rock";
        QTest::newRow("synthpop") << 147 << 148 << "Synthpop";
        QTest::newRow("no genre") << 255 << 0 << "";
        QTest::newRow("unnamed 148") << 148 << -1 << "";
        QTest::newRow("unnamed 254") << 254 << -1 << "";
    }
    void genreConversions()
    {
        QFETCH(int, genreIndex);
        QFETCH(int, item);
        QFETCH(QString, shown);
        QCOMPARE(GenreItemOfIndex(std::uint8_t(genreIndex)), item);
        const QStringList items = GenreItems();
        QCOMPARE(items.size(), 149);
        if (item >= 0) {
            QCOMPARE(items[item], shown);
            QCOMPARE(int(GenreIndexOfItem(item)), genreIndex);
            QCOMPARE(FindGenreItem(shown.toUpper()), item);
            QCOMPARE(FindGenreItem(shown.toLower()), item);
        } else {
            // No item selected saves 254, unless the record already holds a genre without a name.
            QCOMPARE(int(GenreIndexOfItem(-1)), 254);
            QCOMPARE(int(GenreIndexToSave(-1, std::uint8_t(genreIndex))), genreIndex);
        }
        QCOMPARE(int(GenreIndexToSave(-1, 17)), 254);
        QCOMPARE(FindGenreItem(u"Rock and Roll Forever"), -1);
    }

    void clickBuildsTheListInDisplayOrder()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        TestDir dir;
        MakeMp3(dir, QStringLiteral("c.mp3"), {[](TID3v1 &t) { t.SetTitle("Tercera"); }, {}});
        MakeMp3(dir, QStringLiteral("a.mp3"),
                {[](TID3v1 &t) {
                     t.SetTitle("Primera");
                     t.SetTrack(150);
                     t.SetYear("1999");
                     t.SetGenreIndex(17);
                 },
                 [](TID3v2 &t) {
                     t.SetTitle("Primera v2 \xE1");
                     t.SetGenre("rock");
                     t.SetYear("2004-05-12");
                     t.SetComment("una\nl\xEDnea");
                 }});
        MakeMp3(dir, QStringLiteral("b.mp3"), {[](TID3v1 &t) { t.SetGenreIndex(200); }, [](TID3v2 &t) {
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
        QCOMPARE(w->sePistaV1->value(), 0);
        QCOMPARE(w->seAnoV1->value(), 0);
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
        MakeMp3(dir, QStringLiteral("a.mp3"), {[](TID3v1 &t) { t.SetTitle("A"); }, {}});
        MakeMp3(dir, QStringLiteral("b.mp3"), {[](TID3v1 &t) { t.SetTitle("B"); }, {}});
        auto w = TagWindow(env, dir, {});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        ClickEntry(w->FicherosTag, QStringLiteral("b.mp3"));
        QCOMPARE(RecordNames(*w), QStringList{"b.mp3"});
        QCOMPARE(w->edTituloV1->text(), QStringLiteral("B"));
    }

    void sheetChangeShowsThePanelOnlyForEditSheets()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        w->mmCvTag->trigger();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(w->pAbajoTag->isVisible());
        w->pcID3->setCurrentWidget(w->tsMasivo);
        QVERIFY(!w->pAbajoTag->isVisible());
        w->pcID3->setCurrentWidget(w->tsRenombrar);
        QVERIFY(!w->pAbajoTag->isVisible());
        w->pcID3->setCurrentWidget(w->tsID3v2);
        QVERIFY(w->pAbajoTag->isVisible());
    }

    void failureReportListsEveryName()
    {
        ScriptedDialogs dialogs;
        ReportUnsavedFiles(nullptr, {});
        QVERIFY(dialogs.shown.isEmpty());
        ReportUnsavedFiles(nullptr, {QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].kind, QStringLiteral("Message"));
        QCOMPARE(dialogs.shown[0].caption, QStringLiteral("Atención"));
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Warning);
        QCOMPARE(dialogs.shown[0].text,
                 QStringLiteral("No se han podido guardar los siguientes ficheros:\n\na.mp3\nb.mp3\n"));
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
