#include "tagtestutil.h"

#include "tags/ID3v2.h"
#include "tags/ID3v2Block.h"
#include "tags/TagError.h"

#include <QProcess>

using cvtags::TagValues;

namespace {

QByteArray Comm(const QByteArray &description, const QByteArray &text)
{
    return Frame("COMM", B("\0eng") + description + '\0' + text);
}

QByteArray FieldOf(const TID3v2 &t, const QString &field)
{
    if (field == "track")
        return QByteArray::number(t.Track());
    const std::string *texts[] = {&t.Title(), &t.Artist(), &t.Album(), &t.Year(), &t.Genre(), &t.Comment()};
    const int i = QStringList{"title", "artist", "album", "year", "genre", "comment"}.indexOf(field);
    return Q(*texts[i]);
}

// A version 4 frame whose size is a plain number, as an old encoder wrote them.
QByteArray PlainV4(const QByteArray &id, const QByteArray &data) { return Frame(id, data, 3); }

// What an independent reader makes of a tag: `script` reads the tag `t` and leaves the lines
// to give in `out`. Empty when none is installed.
QString Reader(const QString &file, const char *script)
{
    if (!QFile::exists("/usr/bin/python3"))
        return {};
    QProcess p;
    const QString program = QString("import sys\n"
                                    "try:\n from mutagen.id3 import ID3\nexcept ImportError:\n sys.exit(3)\n"
                                    "t = ID3(sys.argv[1], translate=False)\n")
                            + script + "\nsys.stdout.buffer.write('\\n'.join(out).encode('utf-8'))\n";
    p.start("/usr/bin/python3", {"-c", program, file});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The frames, "ID size" per line, in order.
QString ReaderFrames(const QString &file)
{
    return Reader(file, "out = ['%s %s' % (f.FrameID, len(f.data) if getattr(f, 'data', None) is not None else f)\n"
                        "       for f in t.values()]");
}

// The title, then the comment's text, description and language.
QString ReaderTexts(const QString &file)
{
    return Reader(file, "c = t.getall('COMM')[0]\nout = [t['TIT2'].text[0], c.text[0], c.desc, c.lang]");
}

} // namespace

// The tag's bytes: what a read finds in them and what a save makes of them. Every case goes
// through a file, as the program reads and writes.
class TestId3v2Block : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QByteArray audio_ = Audio(3000);

    QString Make(const QByteArray &bytes)
    {
        const QString path = dir_.filePath("tag.mp3");
        if (!WriteFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void syncsafe_data()
    {
        QTest::addColumn<uint>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("0") << 0u << B("\0\0\0\0");
        QTest::newRow("127") << 127u << B("\0\0\0\x7F");
        QTest::newRow("128") << 128u << B("\0\0\x01\0");
        QTest::newRow("20000") << 20000u << B("\0\x01\x1C\x20");
        QTest::newRow("largest") << 0x0FFFFFFFu << B("\x7F\x7F\x7F\x7F");
    }
    void syncsafe()
    {
        QFETCH(uint, value);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Q(cvtags::EncodeSyncsafe(value)), bytes);
        QCOMPARE(cvtags::DecodeSize28(S(bytes)), value);
    }

    void tagSize_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<qint64>("fileSize");
        QTest::addColumn<qint64>("tagSize");
        QTest::newRow("fits") << B("ID3\x03\0\0\0\x01\x1C\x20") << qint64(30000) << qint64(20010);
        QTest::newRow("exactly the file") << B("ID3\x03\0\0\0\0\0\x05") << qint64(15) << qint64(15);
        QTest::newRow("past the end") << B("ID3\x03\0\0\0\0\0\x06") << qint64(15) << qint64(0);
        QTest::newRow("0xFFFFFFFF") << B("ID3\x03\0\0\xFF\xFF\xFF\xFF") << qint64(538984584) << qint64(0);
        QTest::newRow("full bytes") << B("ID3\x03\0\0\0\0\x01\x80") << qint64(1000) << qint64(266);
        QTest::newRow("v4 footer") << B("ID3\x04\0\x10\0\0\0\x05") << qint64(25) << qint64(25);
        QTest::newRow("v3 ignores footer flag") << B("ID3\x03\0\x10\0\0\0\x05") << qint64(25) << qint64(15);
    }
    void tagSize()
    {
        QFETCH(QByteArray, header);
        QFETCH(qint64, fileSize);
        QTEST(qint64(cvtags::TagSizeFromHeader(S(header), fileSize)), "tagSize");
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("value");
        auto row = [](const char *name, const QByteArray &tag, const char *field, const QByteArray &value) {
            QTest::newRow(name) << tag << QString(field) << value;
        };
        row("trimmed both sides", Tag(3, Text("TIT2", B(" \0Song\0 "))), "title", "Song");
        row("300 characters", Tag(3, Text("TIT2", QByteArray(300, 'x'))), "title", QByteArray(300, 'x'));
        row("later frame wins", Tag(3, Text("TPE1", "a") + Text("TPE1", "b")), "artist", "b");
        row("UTF-16 little-endian", Tag(3, Frame("TALB", B("\x01\xFF\xFEW\0i\0n\0\0\0"))), "album", "Win");
        row("UTF-16 big-endian mark", Tag(3, Frame("TALB", B("\x01\xFE\xFF\0W\0i"))), "album", "Wi");
        row("UTF-16BE", Tag(3, Frame("TALB", B("\x02\0\xE9\x20\xAC"))), "album", "é€");
        row("UTF-8", Tag(3, Frame("TIT2", B("\x03" "Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD \xC3"))), "title",
            "Café € 中 \uFFFD");
        row("track 3/12", Tag(3, Text("TRCK", "3/12")), "track", "3");
        row("track 07", Tag(3, Text("TRCK", " 07 ")), "track", "7");
        row("track 7 /12", Tag(3, Text("TRCK", "7 /12")), "track", "0");
        row("track 300", Tag(3, Text("TRCK", "300")), "track", "44");
        row("track -1", Tag(3, Text("TRCK", "-1")), "track", "255");
        row("track --5", Tag(3, Text("TRCK", "--5")), "track", "0");
        row("track too large", Tag(3, Text("TRCK", "4294967297")), "track", "0");
        row("genre (17)Rock", Tag(3, Text("TCON", "(17)Rock")), "genre", "Rock");
        row("genre (17)", Tag(3, Text("TCON", "(17)")), "genre", "");
        row("genre keeps blank after )", Tag(3, Text("TCON", "(1)(17) Rock")), "genre", " Rock");
        row("genre without )", Tag(3, Text("TCON", "(Rock")), "genre", "(Rock");
        row("comment", Tag(3, Comm("", "Hello ")), "comment", "Hello");
        row("description skipped", Tag(3, Comm("desc", "Text")), "comment", "Text");
        row("empty description wins", Tag(3, Comm("", "A") + Comm("", "C") + Comm("d", "B")), "comment", "C");
        row("else the last", Tag(3, Comm("d", "A") + Comm("e", "B")), "comment", "B");
        row("UTF-16 comment", Tag(3, Frame("COMM", B("\x01" "eng\xFF\xFE" "d\0\0\0\xFF\xFEH\0i\0"))), "comment", "Hi");
        row("zero padding stops", Tag(3, Text("TIT2", "A") + QByteArray(20, '\0') + Text("TPE1", "B")), "artist", "");
        row("garbage after header", Tag(3, "\x01garbage" + Text("TIT2", "A")), "title", "");
        row("frame past the tag", Tag(3, Text("TIT2", "A") + B("TPE1\xFF\xFF\xFF\xFF\0\0B")), "title", "A");
        row("frame of size 0", Tag(3, Text("TIT2", "A") + Frame("TIT2", "") + Text("TPE1", "B")), "title", "");
        row("compressed frame", Tag(3, Frame("TIT2", B("\0\0\0\x02xy"), 3, '\x80')), "title", "");
        row("grouped frame", Tag(3, Frame("TIT2", B("\x07\0G"), 3, 0x20)), "title", "G");
        row("extended header", Tag(3, B("\0\0\0\x06\0\0\0\0\0\0") + Text("TIT2", "E"), 0x40), "title", "E");
        row("tag unsynchronised", Tag(3, Text("TIT2", "\xFF\xE0x").replace("\xFF", B("\xFF\0")), 0x80), "title",
            "ÿàx");
        row("v2 title", Tag(2, Text("TT2", "Two", 2) + Text("TRK", "4", 2)), "title", "Two");
        row("v2 comment", Tag(2, Frame("COM", B("\0eng\0c"), 2)), "comment", "c");
        row("v2 four-letter ids unknown", Tag(2, Text("TIT2", "x")), "title", "");
        row("v4 long title", Tag(4, Text("TIT2", QByteArray(200, 'y'), 4)), "title", QByteArray(200, 'y'));
        row("v4 plain sizes", Tag(4, PlainV4("APIC", QByteArray(300, 'p')) + PlainV4("TIT2", '\0' + QByteArray(200, 'z'))),
            "title", QByteArray(200, 'z'));
        row("v4 year from TDRC", Tag(4, Text("TDRC", "2004-05-12", 4)), "year", "2004");
        row("v4 TYER first", Tag(4, Text("TDRC", "2004", 4) + Text("TYER", "1999", 4)), "year", "1999");
        row("v3 ignores TDRC", Tag(3, Text("TDRC", "2004")), "year", "");
        row("v4 extended header", Tag(4, B("\0\0\0\x06\x01\0") + Text("TIT2", "E", 4), 0x40), "title", "E");
        row("v4 frame unsynchronised", Tag(4, Frame("TIT2", B("\0\xFF\0\xE0y"), 4, 0x02)), "title", "ÿày");
        row("v4 all unsynchronised", Tag(4, Frame("TIT2", B("\0\xFF\0\xE0y"), 4), 0x80), "title", "ÿày");
        row("v4 length indicator", Tag(4, Frame("TIT2", B("\0\0\0\x03\0Dl"), 4, 0x01)), "title", "Dl");
        row("v4 footer", Tag(4, Text("TIT2", "F", 4), 0x10) + B("3DI\x04\0\x10\0\0\0\x0C"), "title", "F");
        row("version 5", Tag(5, Text("TIT2", "x")), "title", "");
        // A read takes the frames from the first bytes of the file when they end there, and
        // reads on when they do not, wherever a frame or its header falls.
        for (const int filler : {990, 1003, 1010, 1020, 17000})
            row(qPrintable(QString("values after %1 bytes").arg(filler)),
                Tag(3, Frame("PRIV", QByteArray(filler, 'p')) + Text("TPE1", "X") + Text("TIT2", "After")), "title",
                "After");
        row("unsynchronised across the first read",
            Tag(3, QByteArray(Frame("PRIV", QByteArray(1000, '\xFF')) + Text("TIT2", "U")).replace("\xFF", B("\xFF\0")), 0x80),
            "title", "U");
    }
    void read()
    {
        QFETCH(QByteArray, tag);
        QFETCH(QString, field);
        TID3v2 t;
        QVERIFY(t.ReadTag(P(Make(tag + audio_))));
        QTEST(FieldOf(t, field), "value");
    }

    // What a save makes of a tag: the field set ("New" title, or the album for "album")
    // replaces the old frame in its place or follows the others, every other frame stays
    // byte for byte (its header only as its version needs), a version 2 tag becomes version 3.
    void save_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("frames");       // the new tag's frames, padding aside
        QTest::addColumn<int>("major");
        QTest::addColumn<QString>("reader");          // what an independent reader lists, if installed
        const QByteArray apic = Frame("APIC", B("\0image/png\0\x03\0\x89PNG\xFF\0"));
        const QByteArray priv = Frame("PRIV", B("owner\0\x01\x02"));
        auto row = [](const char *name, const QByteArray &before, const char *field, const QByteArray &frames,
                      int major, const char *reader = "") {
            QTest::newRow(name) << before << QString(field) << frames << major << QString(reader);
        };
        row("v3, every other frame kept",
            Tag(3, Text("TIT2", "a") + apic + Comm("", "c") + Comm("d", "x") + Text("TYER", "1") + Text("TDRC", "2") + priv),
            "title", Text("TIT2", "New") + apic + Comm("", "c") + Comm("d", "x") + Text("TYER", "1") + Text("TDRC", "2") + priv, 3);
        row("v3, new frame after the others", Tag(3, priv + Text("TIT2", "")), "title", priv + Text("TIT2", "New"), 3);
        row("v4 stays v4", Tag(4, Text("TDRC", "2", 4) + Text("TYER", "1", 4) + Text("TXXX", "k", 4)), "title",
            Text("TDRC", "2", 4) + Text("TYER", "1", 4) + Text("TXXX", "k", 4) + Text("TIT2", "New", 4), 4);
        row("v4 unsynchronised frame kept as it is", Tag(4, Frame("APIC", B("\xFF\0\xE0"), 4, 0x02)), "title",
            Frame("APIC", B("\xFF\0\xE0"), 4, 0x02) + Text("TIT2", "New", 4), 4);
        row("v4 whole-tag flag moves into the frame", Tag(4, Frame("PRIV", B("\xFF\0\xE0"), 4), 0x80), "title",
            Frame("PRIV", B("\xFF\0\xE0"), 4, 0x02) + Text("TIT2", "New", 4), 4);
        const QByteArray cover(3100, '\xD8');
        row("v4 plain sizes: frames kept, sizes syncsafe",
            Tag(4, PlainV4("TIT2", B("\0Old")) + PlainV4("APIC", B("\0image/jpeg\0\x03\0") + cover)
                       + PlainV4("TPE1", '\0' + QByteArray(300, 'a'))),
            "album",
            Text("TIT2", "Old", 4) + Frame("APIC", B("\0image/jpeg\0\x03\0") + cover, 4)
                + Frame("TPE1", '\0' + QByteArray(300, 'a'), 4) + Text("TALB", "New", 4),
            4, "TIT2 Old\nAPIC 3100\nTPE1 " + QByteArray(300, 'a') + "\nTALB New");
        row("v2 becomes v3, every frame converted",
            Tag(2, Text("TT2", "a", 2) + Text("TXX", B("k\0v"), 2) + Frame("COM", B("\0fra\0Salut"), 2)
                       + Frame("PIC", B("\0JPG\x03" "d\0") + cover, 2) + Frame("ULT", B("\0eng\0la"), 2)),
            "title",
            Text("TIT2", "New") + Text("TXXX", B("k\0v")) + Frame("COMM", B("\0fra\0Salut"))
                + Frame("APIC", B("\0image/jpeg\0\x03" "d\0") + cover) + Frame("USLT", B("\0eng\0la")),
            3, "TIT2 New\nTXXX v\nCOMM Salut\nAPIC 3100\nUSLT la");
        row("v2 picture in PNG", Tag(2, Frame("PIC", B("\0PNG\0\0\x89"), 2)), "title",
            Frame("APIC", B("\0image/png\0\0\0\x89")) + Text("TIT2", "New"), 3);
    }
    void save()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, field);
        QFETCH(QByteArray, frames);
        QFETCH(int, major);
        QFETCH(QString, reader);
        const QString file = Make(before + audio_);
        TID3v2 t;
        QVERIFY(t.ReadTag(P(file)));
        if (field == "title")
            t.SetTitle("New");
        else
            t.SetAlbum("New");
        QVERIFY2(t.WriteTag(P(file)), cvtags::LastError().message().c_str());
        const QByteArray after = ReadFile(file);
        TID3v2 again;
        QVERIFY(again.ReadTag(P(file)));
        QCOMPARE(int(again.Revision()), major);
        QCOMPARE(after.mid(10, frames.size()), frames);
        QCOMPARE(after.mid(10 + frames.size(), again.TagSize() - 10 - frames.size()),
                 QByteArray(again.TagSize() - 10 - frames.size(), '\0'));
        QCOMPARE(after.mid(again.TagSize()), audio_);
        const QString listed = ReaderFrames(file);
        if (!reader.isEmpty() && !listed.isEmpty())
            QCOMPARE(listed, reader);
    }

    // A tag whose frames cannot all be carried into the new one is never rewritten.
    void saveRefused_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("reason");
        const auto unreadable = int(cvtags::TagError::UnreadableTag);
        QTest::newRow("garbage after frames") << Tag(3, Text("TIT2", "a") + "\x01garbage" + Text("TPE1", "b")) << unreadable;
        QTest::newRow("frame past the tag") << Tag(3, Text("TIT2", "a") + B("APIC\0\0\x10\0\0\0xx")) << unreadable;
        QTest::newRow("lower-case id") << Tag(3, Text("TIT2", "a") + Text("Tpe1", "b")) << unreadable;
        QTest::newRow("v2 frame without counterpart")
            << Tag(2, Text("TT2", "a", 2) + Frame("CRM", B("o\0d\0xx"), 2)) << int(cvtags::TagError::UnconvertibleFrame);
        QTest::newRow("v2 compressed") << Tag(2, Text("TT2", "a", 2), 0x40) << unreadable;
    }
    void saveRefused()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, reason);
        const QString file = Make(before + QByteArray(500, '\0') + audio_);
        const QByteArray bytes = ReadFile(file);
        TID3v2 t;
        QVERIFY(t.ReadTag(P(file)));
        t.SetAlbum("New");
        QVERIFY(!t.WriteTag(P(file)));
        QCOMPARE(cvtags::LastError(), std::error_code(cvtags::TagError(reason)));
        QCOMPARE(ReadFile(file), bytes);
        QVERIFY(t.DeleteTag(P(file)));             // removing it is still what the user asks
        QCOMPARE(ReadFile(file), QByteArray(500, '\0') + audio_);
    }

    // Text in any script: a text Windows-1252 holds as it always was (Latin-1, or UTF-16 for
    // the letters Latin-1 lacks), any other as UTF-16 with its byte-order mark in version 3
    // and UTF-8 in version 4; read back letter for letter by the library and by an
    // independent reader.
    void unicode_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("encoding");
        const QStringList texts = {"Łódź Żółć", "Дом у моря", "東京の夜", "Fiesta 🎉 ya"};
        for (const int major : {3, 4}) {
            const auto row = [major](const QString &name, const QString &text, int encoding) {
                QTest::newRow(qPrintable(QString("v2.%1 %2").arg(major).arg(name))) << major << text << encoding;
            };
            for (const QString &text : texts)
                row(text, text, major == 3 ? 1 : 3);
            row("Latin-1", "Canción Ñ", 0);
            row("Windows-1252", "Café € “Šš”", 1);
        }
    }
    void unicode()
    {
        QFETCH(int, major);
        QFETCH(QString, text);
        QFETCH(int, encoding);
        const QByteArray artist = Text("TPE1", "a", major);
        const QString file = Make(Tag(major, artist) + audio_);
        TID3v2 t;
        QVERIFY(t.ReadTag(P(file)));
        t.SetTitle(text.toStdString());
        t.SetComment(text.toStdString());
        QVERIFY(t.WriteTag(P(file)));
        QByteArray encoded;
        QByteArray description;
        if (encoding == 0) {
            encoded = text.toLatin1();
            description = B("\0");
        } else if (encoding == 1) {
            for (const QChar c : text)
                encoded += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
            encoded = B("\xFF\xFE") + encoded;
            description = B("\xFF\xFE\0\0");
        } else {
            encoded = text.toUtf8();
            description = B("\0");
        }
        const QByteArray title = Frame("TIT2", char(encoding) + encoded, major);
        const QByteArray comment = Frame("COMM", char(encoding) + QByteArray("eng") + description + encoded, major);
        QCOMPARE(ReadFile(file).mid(10, artist.size() + title.size() + comment.size()), artist + title + comment);
        TID3v2 again;
        QVERIFY(again.ReadTag(P(file)));
        QCOMPARE(QString::fromStdString(again.Title()), text);
        QCOMPARE(QString::fromStdString(again.Comment()), text);
        QCOMPARE(int(again.Revision()), major);
        const QString read = ReaderTexts(file);
        if (!read.isEmpty())
            QCOMPARE(read, QStringList({text, text, "", "eng"}).join('\n'));
    }

    // A new tag on a file without one: the frames in table order, then room for later edits.
    void render_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QByteArray>("comment");
        QTest::addColumn<int>("track");
        QTest::addColumn<QByteArray>("frames");
        QTest::newRow("nothing") << QByteArray() << QByteArray() << 0 << QByteArray();
        QTest::newRow("one letter") << B("A") << QByteArray() << 0 << B("TIT2\0\0\0\x02\0\0\0A");
        QTest::newRow("track") << QByteArray() << QByteArray() << 3 << B("TRCK\0\0\0\x02\0\0\0" "3");
        QTest::newRow("comment") << QByteArray() << B("Hi") << 0 << B("COMM\0\0\0\x07\0\0\0eng\0Hi");
        QTest::newRow("euro sign as UTF-16") << QByteArray("€") << QByteArray() << 0 << B("TIT2\0\0\0\x05\0\0\x01\xFF\xFE\xAC\x20");
        QTest::newRow("quote in comment as UTF-16") << QByteArray() << QByteArray("’") << 0
                                                    << B("COMM\0\0\0\x0C\0\0\x01" "eng\xFF\xFE\0\0\xFF\xFE\x19\x20");
        QTest::newRow("Latin-1 stays one byte") << QByteArray("é\u00A0") << QByteArray() << 0 << B("TIT2\0\0\0\x03\0\0\0\xE9\xA0");
        QTest::newRow("v3 frame size") << QByteArray(200, 'x') << QByteArray() << 0
                                       << B("TIT2\0\0\0\xC9\0\0\0") + QByteArray(200, 'x');
        QTest::newRow("all in order") << B("t") << B("c") << 12
                                      << Text("TIT2", "t") + Text("TRCK", "12") + Comm("", "c");
    }
    void render()
    {
        QFETCH(QByteArray, title);
        QFETCH(QByteArray, comment);
        QFETCH(int, track);
        QFETCH(QByteArray, frames);
        const QString file = Make(audio_);
        TID3v2 t;
        t.SetTitle(S(title));
        t.SetComment(S(comment));
        t.SetTrack(quint8(track));
        QVERIFY(t.WriteTag(P(file)));
        QCOMPARE(ReadFile(file), Padded(3, frames) + audio_);
    }
};

QTEST_GUILESS_MAIN(TestId3v2Block)
#include "tst_id3v2.moc"
