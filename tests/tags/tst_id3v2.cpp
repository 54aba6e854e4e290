#include "tagtestutil.h"

#include "tags/ID3v2Block.h"

using cvtags::TagValues;

namespace {

QByteArray Comm(const QByteArray &description, const QByteArray &text)
{
    return Frame("COMM", B("\0eng") + description + '\0' + text);
}

QByteArray FieldOf(const TagValues &v, const QString &field)
{
    if (field == "track")
        return QByteArray::number(v.track);
    const std::string *texts[] = {&v.title, &v.artist, &v.album, &v.year, &v.genre, &v.comment};
    const int i = QStringList{"title", "artist", "album", "year", "genre", "comment"}.indexOf(field);
    return Q(*texts[i]);
}

// The tag a save writes in place of `old` (a whole tag, or nothing), without padding.
QByteArray Rendered(const TagValues &values, const QByteArray &old)
{
    const cvtags::ParsedTag parsed = cvtags::ParseTag(S(old));
    return Q(cvtags::TagBlock(cvtags::RenderedMajor(parsed), cvtags::RenderBody(values, parsed).value()));
}
} // namespace

class TestId3v2Block : public QObject {
    Q_OBJECT
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

    void render_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QByteArray>("comment");
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("major");
        QTest::addColumn<QByteArray>("block");
        QTest::newRow("nothing") << QByteArray() << QByteArray() << 0 << 3 << B("ID3\x03\0\0\0\0\0\0");
        QTest::newRow("one letter") << B("A") << QByteArray() << 0 << 3
                                    << B("ID3\x03\0\0\0\0\0\x0C" "TIT2\0\0\0\x02\0\0\0A");
        QTest::newRow("track") << QByteArray() << QByteArray() << 3 << 3
                               << B("ID3\x03\0\0\0\0\0\x0C" "TRCK\0\0\0\x02\0\0\0" "3");
        QTest::newRow("comment") << QByteArray() << B("Hi") << 0 << 3
                                 << B("ID3\x03\0\0\0\0\0\x11" "COMM\0\0\0\x07\0\0\0eng\0Hi");
        QTest::newRow("euro sign as UTF-16") << B("\x80") << QByteArray() << 0 << 3
                                             << B("ID3\x03\0\0\0\0\0\x0F" "TIT2\0\0\0\x05\0\0\x01\xFF\xFE\xAC\x20");
        QTest::newRow("quote in comment as UTF-16")
            << QByteArray() << B("\x92") << 0 << 3
            << B("ID3\x03\0\0\0\0\0\x16" "COMM\0\0\0\x0C\0\0\x01" "eng\xFF\xFE\0\0\xFF\xFE\x19\x20");
        QTest::newRow("Latin-1 stays one byte") << B("\xE9\xA0") << QByteArray() << 0 << 3
                                                << B("ID3\x03\0\0\0\0\0\x0D" "TIT2\0\0\0\x03\0\0\0\xE9\xA0");
        QTest::newRow("v3 frame size") << QByteArray(200, 'x') << QByteArray() << 0 << 3
                                       << B("ID3\x03\0\0\0\0\x01\x53" "TIT2\0\0\0\xC9\0\0\0") + QByteArray(200, 'x');
        QTest::newRow("v4 syncsafe frame size") << QByteArray(200, 'x') << QByteArray() << 0 << 4
                                                << B("ID3\x04\0\0\0\0\x01\x53" "TIT2\0\0\x01\x49\0\0\0") + QByteArray(200, 'x');
    }
    // A save into a file without a tag (version 3), or with an empty tag of version 4.
    void render()
    {
        QFETCH(QByteArray, title);
        QFETCH(QByteArray, comment);
        QFETCH(int, track);
        QFETCH(int, major);
        TagValues v;
        v.title = S(title);
        v.comment = S(comment);
        v.track = quint8(track);
        QTEST(Rendered(v, major == 4 ? Tag(4, {}) : QByteArray()), "block");
    }

    void renderOrder()
    {
        const TagValues v{"t", "a", "b", "2001", "(17)Rock", "c", 12};
        const QByteArray body = Text("TIT2", "t") + Text("TPE1", "a") + Text("TALB", "b") + Text("TRCK", "12")
                                + Text("TYER", "2001") + Text("TCON", "(17)Rock") + Comm("", "c");
        QCOMPARE(Rendered(v, {}), Tag(3, body));
        const QByteArray v4 = Rendered(v, Tag(4, {}));
        QVERIFY(v4.contains(Frame("TDRC", B("\0" "2001"), 4)) && !v4.contains("TYER"));
    }

    void extract_data()
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
        row("UTF-16BE", Tag(3, Frame("TALB", B("\x02\0\xE9\x20\xAC"))), "album", B("\xE9\x80"));
        row("UTF-8", Tag(3, Frame("TIT2", B("\x03" "Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD \xC3"))), "title",
            B("Caf\xE9 \x80 ? ?"));
        row("track 3/12", Tag(3, Text("TRCK", "3/12")), "track", "3");
        row("track 07", Tag(3, Text("TRCK", " 07 ")), "track", "7");
        row("track 7 /12", Tag(3, Text("TRCK", "7 /12")), "track", "0");
        row("track 300", Tag(3, Text("TRCK", "300")), "track", "44");
        row("track -1", Tag(3, Text("TRCK", "-1")), "track", "255");
        row("track --5", Tag(3, Text("TRCK", "--5")), "track", "0");
        row("track too large", Tag(3, Text("TRCK", "4294967297")), "track", "0");
        row("track /5", Tag(3, Text("TRCK", "/5")), "track", "0");
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
        row("after a frame of size 0", Tag(3, Frame("TIT2", "") + Text("TPE1", "B")), "artist", "B");
        row("compressed frame", Tag(3, Frame("TIT2", B("\0\0\0\x02xy"), 3, '\x80')), "title", "");
        row("grouped frame", Tag(3, Frame("TIT2", B("\x07\0G"), 3, 0x20)), "title", "G");
        row("extended header", Tag(3, B("\0\0\0\x06\0\0\0\0\0\0") + Text("TIT2", "E"), 0x40), "title", "E");
        row("tag unsynchronised", Tag(3, Text("TIT2", "\xFF\xE0x").replace("\xFF", B("\xFF\0")), 0x80), "title",
            "\xFF\xE0x");
        row("v2 title", Tag(2, Text("TT2", "Two", 2) + Text("TRK", "4", 2)), "title", "Two");
        row("v2 comment", Tag(2, Frame("COM", B("\0eng\0c"), 2)), "comment", "c");
        row("v2 four-letter ids unknown", Tag(2, Text("TIT2", "x")), "title", "");
        row("v4 long title", Tag(4, Text("TIT2", QByteArray(200, 'y'), 4)), "title", QByteArray(200, 'y'));
        row("v4 year from TDRC", Tag(4, Text("TDRC", "2004-05-12", 4)), "year", "2004");
        row("v4 TYER first", Tag(4, Text("TDRC", "2004", 4) + Text("TYER", "1999", 4)), "year", "1999");
        row("v3 ignores TDRC", Tag(3, Text("TDRC", "2004")), "year", "");
        row("v4 extended header", Tag(4, B("\0\0\0\x06\x01\0") + Text("TIT2", "E", 4), 0x40), "title", "E");
        row("v4 frame unsynchronised", Tag(4, Frame("TIT2", B("\0\xFF\0\xE0y"), 4, 0x02)), "title", "\xFF\xE0y");
        row("v4 all unsynchronised", Tag(4, Frame("TIT2", B("\0\xFF\0\xE0y"), 4), 0x80), "title", "\xFF\xE0y");
        row("v4 length indicator", Tag(4, Frame("TIT2", B("\0\0\0\x03\0Dl"), 4, 0x01)), "title", "Dl");
        row("v4 footer", Tag(4, Text("TIT2", "F", 4), 0x10) + B("3DI\x04\0\x10\0\0\0\x0C"), "title", "F");
        row("version 5", Tag(5, Text("TIT2", "x")), "title", "");
    }
    void extract()
    {
        QFETCH(QByteArray, tag);
        QFETCH(QString, field);
        QTEST(FieldOf(cvtags::ExtractValues(cvtags::ParseTag(S(tag))), field), "value");
    }

    // A rewrite keeps, after the frames it writes, what it does not edit, in order; a
    // described comment is kept.
    void keptFrames_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<QByteArray>("kept");
        const QByteArray apic = Frame("APIC", B("\0image/png\0\x03\0\x89PNG\xFF\0"));
        const QByteArray priv = Frame("PRIV", B("owner\0\x01\x02"));
        QTest::newRow("v3") << Tag(3, Text("TIT2", "a") + apic + Comm("", "c") + Comm("d", "x") + Text("TYER", "1")
                                          + Text("TDRC", "2") + priv)
                            << apic + Comm("d", "x") + Text("TDRC", "2") + priv;
        QTest::newRow("v4") << Tag(4, Text("TDRC", "2", 4) + Text("TYER", "1", 4) + Text("TXXX", "k", 4))
                            << Text("TXXX", "k", 4);
        QTest::newRow("v4 unsynchronised frame") << Tag(4, Frame("APIC", B("\xFF\0\xE0"), 4, 0x03))
                                                 << Frame("APIC", B("\xFF\xE0"), 4, 0x01);
        QTest::newRow("v2 frames cannot be carried") << Tag(2, Text("TT2", "a", 2) + Text("TXX", "b", 2))
                                                     << QByteArray();
    }
    void keptFrames()
    {
        QFETCH(QByteArray, tag);
        QFETCH(QByteArray, kept);
        TagValues v;
        v.title = "New";
        const int major = tag[3] == 4 ? 4 : 3;
        QCOMPARE(Rendered(v, tag), Tag(major, Text("TIT2", "New", major) + kept));
    }
};

QTEST_GUILESS_MAIN(TestId3v2Block)
#include "tst_id3v2.moc"
