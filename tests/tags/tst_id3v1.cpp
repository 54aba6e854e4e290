#include "tagtestutil.h"

#include "tags/ID3v1.h"
#include "tags/ID3v1Trailer.h"

#include <sys/stat.h>

class TestId3v1 : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString Make(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir_.filePath(name);
        if (!WriteFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // A trailer with title "Title", comment bytes `comment` (30) and genre 17.
    static QByteArray Trailer(const QByteArray &comment)
    {
        return "TAG" + B("Title   \0\0").leftJustified(30, '\0') + QByteArray("Artist").leftJustified(30, ' ')
               + QByteArray(30, '\0') + "1999" + comment + char(17);
    }

private slots:
    void setters_data()
    {
        QTest::addColumn<int>("field");   // 0 title, 1 artist, 2 album, 3 year, 4 comment
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("trailing blanks and controls") << 0 << B("Song \t\0\x1F  ") << B("Song");
        QTest::newRow("leading blanks stay") << 1 << B("  Band") << B("  Band");
        QTest::newRow("cut to 30") << 2 << QByteArray(35, 'a') << QByteArray(30, 'a');
        QTest::newRow("trim before cut") << 4 << QByteArray(29, 'c') + "  x   " << QByteArray(29, 'c') + ' ';
        QTest::newRow("year cut to 4") << 3 << B("19999 ") << B("1999");
        QTest::newRow("only blanks") << 0 << B(" \0 ") << QByteArray();
        // What the trailer can hold: Windows-1252 letters, '?' for the others, 30 letters.
        QTest::newRow("letters without a byte") << 0 << QByteArray("Łódź Дом 東京 🎉") << QByteArray("?ód? ??? ?? ?");
        QTest::newRow("Windows-1252 letters") << 4 << QByteArray("€ “x” Š") << QByteArray("€ “x” Š");
        QTest::newRow("cut counts letters") << 2 << QByteArray("é").repeated(35) << QByteArray("é").repeated(30);
        QTest::newRow("invalid UTF-8") << 1 << B("a\xFF" "b") << B("a?b");
    }
    void setters()
    {
        QFETCH(int, field);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, stored);
        TID3v1 t;
        const std::string in = S(input);
        const std::string *out[] = {&t.Title(), &t.Artist(), &t.Album(), &t.Year(), &t.Comment()};
        void (TID3v1::*set[])(std::string_view) = {&TID3v1::SetTitle, &TID3v1::SetArtist, &TID3v1::SetAlbum,
                                                    &TID3v1::SetYear, &TID3v1::SetComment};
        (t.*set[field])(in);
        QCOMPARE(Q(*out[field]), stored);
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("comment");   // the 30 comment bytes
        QTest::addColumn<int>("revision");
        QTest::addColumn<int>("track");
        QTest::addColumn<QByteArray>("text");
        const QByteArray c28 = QByteArray("Nice").leftJustified(28, ' ');
        QTest::newRow("0 then 7: v1.1") << c28 + B("\0\x07") << 2 << 7 << B("Nice");
        QTest::newRow("space then letter: v1.1") << c28 + " k" << 2 << int('k') << B("Nice");
        QTest::newRow("two spaces: v1.0") << c28 + "  " << 1 << 0 << B("Nice");
        QTest::newRow("two zeros: v1.0") << c28 + B("\0\0") << 1 << 0 << B("Nice");
        QTest::newRow("30 letters: v1.0") << QByteArray(30, 'z') << 1 << 0 << QByteArray(30, 'z');
        QTest::newRow("inner controls stay") << B("A\x01\0B").leftJustified(30, '\0') << 1 << 0 << B("A\x01\0B");
        QTest::newRow("Windows-1252 as UTF-8") << B("Caf\xE9 \x80\x93\x81").leftJustified(30, '\0') << 1 << 0
                                               << QByteArray("Café €“\u0081");
    }
    void parse()
    {
        QFETCH(QByteArray, comment);
        QFETCH(int, revision);
        QFETCH(int, track);
        QFETCH(QByteArray, text);
        const auto f = cvtags::ParseTrailer(S(Trailer(comment)));
        QVERIFY(f.has_value());
        QCOMPARE(int(f->revision), revision);
        QCOMPARE(int(f->track), track);
        QCOMPARE(Q(f->comment), text);
        QCOMPARE(Q(f->title), B("Title"));
        QCOMPARE(Q(f->artist), B("Artist"));
        QCOMPARE(Q(f->year), B("1999"));
        QCOMPARE(int(f->genreIndex), 17);
        QVERIFY(!cvtags::ParseTrailer(S("tag" + Trailer(comment).mid(3))));
    }

    void render_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<QByteArray>("comment");
        QTest::addColumn<QByteArray>("tail");   // bytes 97 to 127
        QTest::newRow("no track") << 0 << QByteArray(30, 'c') << QByteArray(30, 'c') + '\xFF';
        QTest::newRow("track 5") << 5 << QByteArray(30, 'c') << QByteArray(28, 'c') + B("\0\x05\xFF");
        QTest::newRow("short comment") << 0 << B("Hi") << B("Hi").leftJustified(30, '\0') + '\xFF';
        QTest::newRow("Windows-1252 bytes") << 0 << QByteArray("Café € Дом")
                                            << B("Caf\xE9 \x80 ???").leftJustified(30, '\0') + '\xFF';
    }
    void render()
    {
        QFETCH(int, track);
        QFETCH(QByteArray, comment);
        QFETCH(QByteArray, tail);
        TID3v1 t;
        t.SetTitle("T");
        t.SetArtist(QByteArray(40, 'a').toStdString());
        t.SetYear("2024");
        t.SetComment(S(comment));
        t.SetTrack(quint8(track));
        const QByteArray expected = "TAGT" + QByteArray(29, '\0') + QByteArray(30, 'a') + QByteArray(30, '\0') + "2024" + tail;
        QCOMPARE(Q(cvtags::RenderTrailer(t)), expected);
    }

    // Writing and reading back through a file decides the layout from the bytes alone.
    void roundTrip_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<QByteArray>("comment");
        QTest::addColumn<int>("revision");
        QTest::addColumn<int>("trackRead");
        QTest::addColumn<QByteArray>("commentRead");
        QTest::newRow("v1.0") << 0 << QByteArray(28, 'c') << 1 << 0 << QByteArray(28, 'c');
        QTest::newRow("v1.1") << 5 << B("Hi") << 2 << 5 << B("Hi");
        QTest::newRow("29th is a space") << 0 << QByteArray(28, 'c') + " q" << 2 << int('q') << QByteArray(28, 'c');
    }
    void roundTrip()
    {
        QFETCH(int, track);
        QFETCH(QByteArray, comment);
        const QByteArray audio = Audio(5000);
        const QString file = Make("rt.mp3", audio);
        TID3v1 t;
        t.SetComment(S(comment));
        t.SetTrack(quint8(track));
        t.SetGenreIndex(255);
        QVERIFY(t.WriteTag(P(file)));
        QCOMPARE(ReadFile(file).size(), audio.size() + 128);
        TID3v1 r;
        QVERIFY(r.ReadTag(P(file)));
        QVERIFY(r.Present());
        QFETCH(int, revision);
        QFETCH(int, trackRead);
        QFETCH(QByteArray, commentRead);
        QCOMPARE(int(r.Revision()), revision);
        QCOMPARE(int(r.Track()), trackRead);
        QCOMPARE(Q(r.Comment()), commentRead);
        QCOMPARE(int(r.GenreIndex()), 255);
    }

    void fileWithoutTrailer()
    {
        const QByteArray audio = Audio(3000);
        const QString file = Make("plain.mp3", audio);
        QVERIFY(::chmod(file.toLocal8Bit(), 0444) == 0);
        TID3v1 t;
        t.SetTitle("x");
        QVERIFY(t.ReadTag(P(file)));
        QVERIFY(!t.Present());
        QCOMPARE(int(t.Revision()), 1);
        QCOMPARE(int(t.GenreIndex()), 255);
        QVERIFY(t.Title().empty());
        QVERIFY(t.DeleteTag(P(file)));
        QCOMPARE(ModeOf(file), mode_t(0444));           // not touched at all
        QCOMPARE(ReadFile(file), audio);
        t.SetTitle("New");
        QVERIFY(t.WriteTag(P(file)));                   // read-only: made writable, then appended
        QCOMPARE(ModeOf(file), mode_t(0644));
        QCOMPARE(ReadFile(file), audio + Q(cvtags::RenderTrailer(t)));
        QVERIFY(t.DeleteTag(P(file)));
        QCOMPARE(ReadFile(file), audio);
    }

    // An existing trailer is overwritten in place: same file, same size, audio untouched.
    void trailerReplacedInPlace()
    {
        const QByteArray audio = Audio(4000);
        const QString file = Make("tagged.mp3", audio + Trailer(QByteArray(30, 'o')));
        struct stat before {}, after {};
        ::stat(file.toLocal8Bit(), &before);
        TID3v1 t;
        t.SetTitle("Replaced");
        QVERIFY(t.WriteTag(P(file)));
        ::stat(file.toLocal8Bit(), &after);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(ReadFile(file), audio + Q(cvtags::RenderTrailer(t)));
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("short file") << "short.mp3";
        QTest::newRow("missing") << "missing.mp3";
        QTest::newRow("folder") << "folder.mp3";
        QTest::newRow("pipe") << "pipe.mp3";
    }
    void badInput()
    {
        QFETCH(QString, name);
        const QString path = dir_.filePath(name);
        const QByteArray shortBytes = "TAG" + QByteArray(124, 'x');
        QVERIFY(MakeBadInput(dir_, name, shortBytes));
        TID3v1 t;
        t.SetTitle("x");
        QVERIFY(!t.ReadTag(P(path)));
        QVERIFY(t.Title().empty());
        QVERIFY(!t.DeleteTag(P(path)));
        QVERIFY(!t.WriteTag(P(path)));
        if (name == "short.mp3")
            QCOMPARE(ReadFile(path), shortBytes);
    }

    void attributesCannotBeReset()
    {
        const QByteArray bytes = Audio(500) + Trailer(QByteArray(30, 'o'));
        const QString file = Make("locked.mp3", bytes);
        QVERIFY(::chmod(file.toLocal8Bit(), 0444) == 0);
        if (!SetImmutable(file, true))
            QSKIP("the file system cannot lock a file's mode here");
        TID3v1 t;
        const bool wrote = t.WriteTag(P(file)), deleted = t.DeleteTag(P(file));
        SetImmutable(file, false);
        QVERIFY(!wrote);
        QVERIFY(!deleted);
        QCOMPARE(ReadFile(file), bytes);
        QVERIFY(t.ReadTag(P(file)));
    }
};

QTEST_GUILESS_MAIN(TestId3v1)
#include "tst_id3v1.moc"
