#include "tagtestutil.h"

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/ID3v2Block.h"
#include "tags/ReadTags.h"
#include "tags/TagError.h"

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/xattr.h>

class TestId3v2Files : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QByteArray audio_ = Audio(20000);
    QString Make(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir_.filePath(name);
        if (!WriteFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static TID3v2 Titled(const QByteArray &title)
    {
        TID3v2 t;
        t.SetTitle(S(title));
        return t;
    }

private slots:
    void readTag_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("revision");
        QTest::addColumn<int>("tagSize");
        QTest::addColumn<QByteArray>("title");
        const QByteArray picture = Frame("APIC", QByteArray(9000, '\xFF'));
        QTest::newRow("no tag") << audio_ << false << 0 << 0 << QByteArray();
        QTest::newRow("v3") << Tag(3, Text("TIT2", "T")) + audio_ << true << 3 << 22 << B("T");
        QTest::newRow("header only") << B("ID3\x03\0\0\0\0\0\0") << true << 3 << 10 << QByteArray();
        QTest::newRow("past the end") << B("ID3\x03\0\0\0\0\x7F\x7F") + QByteArray(100, 'a') << true << 3 << 0
                                      << QByteArray();
        QTest::newRow("0xFFFFFFFF") << B("ID3\x03\0\0\xFF\xFF\xFF\xFF") + audio_ << true << 3 << 0 << QByteArray();
        QTest::newRow("large tag") << Tag(3, picture + Text("TIT2", "L")) + audio_ << true << 3 << 9032 << B("L");
        QTest::newRow("v2") << Tag(2, Text("TT2", "2", 2)) + audio_ << true << 2 << 18 << B("2");
        QTest::newRow("v4 footer") << Tag(4, Text("TIT2", "4", 4), 0x10) + B("3DI\x04\0\x10\0\0\0\x0C") + audio_
                                   << true << 4 << 32 << B("4");
    }
    void readTag()
    {
        QFETCH(QByteArray, bytes);
        TID3v2 t = Titled("stale");
        QVERIFY(t.ReadTag(P(Make("read.mp3", bytes))));
        QTEST(t.Present(), "present");
        QTEST(int(t.Revision()), "revision");
        QTEST(int(t.TagSize()), "tagSize");
        QTEST(Q(t.Title()), "title");
    }

    // Both tags read through one open file are what the two ReadTag calls give.
    void readTagsAtOnce_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        const QByteArray v1 = "TAG" + QByteArray("One").leftJustified(124, '\0') + char(17);
        const QByteArray v2 = Tag(3, Text("TIT2", "Two") + Frame("APIC", QByteArray(5000, '\xFF')) + Text("TPE1", "A"));
        QTest::newRow("both") << v2 + audio_ + v1 << true;
        QTest::newRow("version 2 only") << v2 + audio_ << true;
        QTest::newRow("version 1 only") << audio_ + v1 << true;
        QTest::newRow("shorter than a trailer") << Tag(3, Text("TIT2", "S")) << false;
        QTest::newRow("shorter than a header") << B("ID3\x03") << false;
    }
    void readTagsAtOnce()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        const QString file = Make("both.mp3", bytes);
        TID3v1 one, v1;
        TID3v2 two, v2;
        v1.SetTitle("stale");
        v2.SetTitle("stale");
        const bool separate = one.ReadTag(P(file)) & two.ReadTag(P(file));
        QCOMPARE(ReadTags(P(file), v1, v2), ok);
        QCOMPARE(separate, ok);
        QCOMPARE(v1.Present(), one.Present());
        QCOMPARE(v1.Title(), one.Title());
        QCOMPARE(int(v1.GenreIndex()), int(one.GenreIndex()));
        QCOMPARE(v2.Present(), two.Present());
        QCOMPARE(v2.TagSize(), two.TagSize());
        QCOMPARE(v2.Title(), two.Title());
        QCOMPARE(v2.Artist(), two.Artist());
    }

    // The new file is the new tag followed by every byte after the old tag. A tag that fits
    // in the old one's space takes all of it; one that grows gets room for the next edit.
    void writeTag_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray other = Frame("APIC", B("\0image/jpeg\0\x03\0\xFF\xD8")) + Text("TXXX", B("k\0v"));
        const QByteArray mine = Text("TIT2", "New");
        const QByteArray broken = B("ID3\x03\0\0\x7F\x7F\x7F\x7F");
        const QByteArray v3 = Text("TIT2", "Old") + other + Text("TPE1", "x");
        const QByteArray v4 = Text("TPE1", "Old", 4) + Frame("PRIV", B("o\0\x01"), 4);
        const QByteArray v2 = Text("TT2", "Old", 2) + Text("TXX", "x", 2);
        const QByteArray padded = Text("TIT2", "Old") + QByteArray(300, '\0');
        QTest::newRow("no tag") << QByteArray() << Padded(3, mine);
        QTest::newRow("v3, other frames kept") << Tag(3, v3) << InPlace(3, mine + other, v3);
        QTest::newRow("padding kept") << Tag(3, padded) << InPlace(3, mine, padded);
        QTest::newRow("v4 stays v4") << Tag(4, v4) << InPlace(4, Frame("PRIV", B("o\0\x01"), 4) + Text("TIT2", "New", 4), v4);
        QTest::newRow("v2 becomes v3") << Tag(2, v2) << Padded(3, mine + Text("TXXX", "x"));
        QTest::newRow("grows") << Tag(3, Text("TIT2", "")) << Padded(3, mine);
        QTest::newRow("size past the end") << broken << Padded(3, mine) + broken;
    }
    void writeTag()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString file = Make("write.mp3", before + audio_);
        const TID3v2 t = Titled("New");
        QVERIFY(t.WriteTag(P(file)));
        QCOMPARE(ReadFile(file), after + audio_);
        QCOMPARE(Leftovers(dir_.path()), QStringList());
    }

    // A field left as read keeps its frame byte for byte; an edited comment keeps its language.
    void unchangedFramesKept_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("frames");
        const QByteArray spa = Frame("COMM", B("\0spa\0Hola"));
        const QByteArray wide = Frame("COMM", B("\x01" "deu\xFF\xFE\0\0\xFF\xFEH\0i\0"));
        const QByteArray track = Text("TRCK", "3/12"), genre = Text("TCON", "(17)Rock");
        const QByteArray wideTitle = Frame("TIT2", B("\x01\xFF\xFEW\0i\0n\0"));
        auto row = [](const char *name, const QByteArray &before, const char *field, const QByteArray &value,
                      const QByteArray &frames) { QTest::newRow(name) << before << QString(field) << value << frames; };
        row("comment in Spanish", Text("TIT2", "Old") + spa, "title", "New", Text("TIT2", "New") + spa);
        row("comment in UTF-16", wide + Text("TIT2", "Old"), "title", "New", wide + Text("TIT2", "New"));
        row("edited comment keeps its language", Text("TIT2", "T") + spa, "comment", "Adiós",
            Text("TIT2", "T") + Frame("COMM", B("\0spa\0Adi\xF3s")));
        row("track 3/12", track + Text("TIT2", "Old"), "title", "New", track + Text("TIT2", "New"));
        row("genre (17)Rock", genre, "artist", "A", genre + Text("TPE1", "A"));
        row("title in UTF-16", wideTitle, "artist", "A", wideTitle + Text("TPE1", "A"));
        row("edited track", track, "track", "4", Text("TRCK", "4"));
        row("v2 comment language", Tag(2, Frame("COM", B("\0fra\0Salut"), 2)), "title", "T",
            Frame("COMM", B("\0fra\0Salut")) + Text("TIT2", "T"));
    }
    void unchangedFramesKept()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, field);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, frames);
        const QString file = Make("kept.mp3", (before.startsWith("ID3") ? before : Tag(3, before)) + audio_);
        TID3v2 t;
        QVERIFY(t.ReadTag(P(file)));
        const std::string v = S(value);
        if (field == "title")
            t.SetTitle(v);
        else if (field == "artist")
            t.SetArtist(v);
        else if (field == "comment")
            t.SetComment(v);
        else
            t.SetTrack(quint8(value.toInt()));
        QVERIFY(t.WriteTag(P(file)));
        QVERIFY(t.ReadTag(P(file)));
        const QByteArray after = ReadFile(file);
        QCOMPARE(after.mid(10, frames.size()), frames);
        QCOMPARE(after.mid(10 + frames.size(), t.TagSize() - 10 - frames.size()),
                 QByteArray(t.TagSize() - 10 - frames.size(), '\0'));
        QCOMPARE(after.mid(t.TagSize()), audio_);
    }

    void deleteTag_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("after");
        const QByteArray broken = B("ID3\x03\0\0\x7F\x7F\x7F\x7F");
        QTest::newRow("v3") << Tag(3, Text("TIT2", "x") + QByteArray(50, '\0')) << true << QByteArray();
        QTest::newRow("v4 footer") << Tag(4, Text("TIT2", "4", 4), 0x10) + B("3DI\x04\0\x10\0\0\0\x0C") << true
                                   << QByteArray();
        // The audio then starts on a block boundary in both files: the kernel copies it.
        const QByteArray title = Text("TIT2", "x");
        QTest::newRow("tag of a whole block") << Tag(3, title + QByteArray(4096 - 10 - title.size(), '\0')) << true
                                              << QByteArray();
        QTest::newRow("no tag") << QByteArray() << false << QByteArray();
        QTest::newRow("size past the end") << broken << true << broken;
    }
    void deleteTag()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, ok);
        QFETCH(QByteArray, after);
        const QString file = Make("delete.mp3", before + audio_);
        QCOMPARE(TID3v2().DeleteTag(P(file)), ok);
        QCOMPARE(ReadFile(file), after + audio_);
    }

    void roundTrip()
    {
        const QString file = Make("round.mp3", audio_);
        TID3v2 t;
        t.SetTitle(S(QByteArray(300, 't')));
        t.SetArtist("  Café € “quoted”  ");
        t.SetAlbum("Album");
        t.SetYear("1987");
        t.SetGenre("Rock");
        t.SetComment("… ok Дом");
        t.SetTrack(250);
        QVERIFY(t.WriteTag(P(file)));
        TID3v2 r;
        QVERIFY(r.ReadTag(P(file)));
        QCOMPARE(r.TagSize(), ReadFile(file).size() - audio_.size());
        QCOMPARE(ReadFile(file).mid(r.TagSize()), audio_);
        QCOMPARE(r.Title(), t.Title());
        QCOMPARE(r.Artist(), std::string("Café € “quoted”"));   // leading blanks go on reading
        QCOMPARE(r.Album(), t.Album());
        QCOMPARE(r.Year(), t.Year());
        QCOMPARE(r.Genre(), t.Genre());
        QCOMPARE(r.Comment(), t.Comment());
        QCOMPARE(int(r.Track()), 250);
        // The version 1 trailer is audio to the version 2 tag, and the other way round.
        TID3v1 v1;
        v1.SetTitle("One");
        QVERIFY(v1.WriteTag(P(file)) && TID3v2().DeleteTag(P(file)) && v1.ReadTag(P(file)));
        QCOMPARE(Q(v1.Title()), B("One"));
        QVERIFY(t.WriteTag(P(file)) && v1.DeleteTag(P(file)) && r.ReadTag(P(file)));
        QCOMPARE(ReadFile(file).mid(r.TagSize()), audio_);
    }

    // Whatever holds the name of the old temporary file stays as it was: the writer only
    // removes what it created itself.
    void temporaryName_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("user's file") << "file";
        QTest::newRow("link") << "link";
        QTest::newRow("dangling link") << "dangling";
        QTest::newRow("folder") << "folder";
    }
    void temporaryName()
    {
        QFETCH(QString, kind);
        const QByteArray before = Tag(3, Text("TIT2", "Old")) + audio_;
        const QString file = Make("temp-" + kind + ".mp3", before), temp = file + "~";
        const QString victim = Make(kind + ".victim", "keep");
        if (kind == "file")
            Make("temp-" + kind + ".mp3~", "backup");
        else if (kind == "link")
            QVERIFY(QFile::link(victim, temp));
        else if (kind == "dangling")
            QVERIFY(QFile::link(dir_.filePath("nowhere"), temp));
        else
            QVERIFY(QDir().mkpath(temp));
        const QStringList entries = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        QVERIFY(Titled("New").WriteTag(P(file)));
        QVERIFY(TID3v2().DeleteTag(P(file)));
        QVERIFY(Titled("New").WriteTag(P(file)));
        QCOMPARE(ReadFile(file), Padded(3, Text("TIT2", "New")) + audio_);
        QCOMPARE(ReadFile(victim), B("keep"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), entries);
        if (kind == "file")
            QCOMPARE(ReadFile(temp), B("backup"));
        QCOMPARE(QFileInfo(temp).isSymLink(), kind == "link" || kind == "dangling");
        QCOMPARE(QFileInfo(temp).isDir(), kind == "folder");
    }

    void modeAndOwnerKept()
    {
        const QString file = Make("mode.mp3", audio_);
        QVERIFY(::chmod(file.toLocal8Bit(), 0440) == 0);
        const bool chowned = ::chown(file.toLocal8Bit(), 4321, 4321) == 0;
        QVERIFY(Titled("x").WriteTag(P(file)));
        QCOMPARE(ModeOf(file), mode_t(0640));
        struct stat st {};
        QVERIFY(::stat(file.toLocal8Bit(), &st) == 0);
        if (chowned)
            QVERIFY(st.st_uid == 4321 && st.st_gid == 4321);
    }

    // A rewrite (a tag that grows, its removal, a first tag) keeps the file's owner, group,
    // mode, extended attributes and ACL, adds no attribute of its own, and keeps the inode
    // of a file with another hard link, so both names show the new tag.
    void propertiesKept_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("linked");
        for (const char *kind : {"grows", "removal", "first tag"}) {
            QTest::addRow("%s", kind) << QString(kind) << false;
            QTest::addRow("%s, hard-linked", kind) << QString(kind) << true;
        }
    }
    void propertiesKept()
    {
        QFETCH(QString, kind);
        QFETCH(bool, linked);
        const QString file = Make("props.mp3", (kind == "first tag" ? QByteArray() : Tag(3, Text("TIT2", "Old"))) + audio_);
        const QString other = dir_.filePath("props-link.mp3");
        QFile::remove(other);
        if (linked)
            QVERIFY(::link(qPrintable(file), qPrintable(other)) == 0);
        QVERIFY(::chmod(qPrintable(file), 0664) == 0);
        // A group other than the user's own, where one can be given.
        gid_t group = ::getegid();
        if (::geteuid() == 0)
            group = 4242;
        else if (gid_t groups[64]; ::getgroups(64, groups) > 1)
            group = groups[0] == ::getegid() ? groups[1] : groups[0];
        QVERIFY(::chown(qPrintable(file), uid_t(-1), group) == 0);
        const QList<QPair<QByteArray, QByteArray>> attributes{{"user.xdg.origin.url", "http://example.org/song"},
                                                              {"user.rating", "5"}};
        bool haveXattrs = true;
        for (const auto &[name, value] : attributes)
            haveXattrs = ::setxattr(qPrintable(file), name, value.constData(), value.size(), 0) == 0 && haveXattrs;
        // An ACL giving one more user read access: version 2, then (tag, permissions, id) entries.
        QByteArray acl = B("\x02\0\0\0");
        auto entry = [&acl](quint16 tag, quint16 perm, quint32 id) {
            acl += char(tag & 0xFF) + QByteArray(1, char(tag >> 8)) + char(perm) + '\0'
                   + QByteArray(reinterpret_cast<const char *>(&id), 4);
        };
        entry(0x01, 6, quint32(-1));
        entry(0x02, 4, 1234);
        entry(0x04, 6, quint32(-1));
        entry(0x10, 6, quint32(-1));
        entry(0x20, 4, quint32(-1));
        const bool haveAcl = ::setxattr(qPrintable(file), "system.posix_acl_access", acl.constData(), acl.size(), 0) == 0;
        struct stat before {};
        QVERIFY(::stat(qPrintable(file), &before) == 0);
        const auto attributeNames = [](const QString &path) {
            QByteArray names(4096, '\0');
            const ssize_t n = ::listxattr(qPrintable(path), names.data(), names.size());
            QStringList list = QString::fromLatin1(names.left(n > 0 ? int(n) : 0)).split(QChar(0), Qt::SkipEmptyParts);
            list.sort();
            return list;
        };
        const QStringList namesBefore = attributeNames(file);
        bool ok;
        if (kind == "removal")
            ok = TID3v2().DeleteTag(P(file));
        else
            ok = Titled(kind == "grows" ? QByteArray(2000, 'G') : QByteArray("New")).WriteTag(P(file));
        QVERIFY2(ok, cvtags::LastError().message().c_str());
        struct stat after {};
        QVERIFY(::stat(qPrintable(file), &after) == 0);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, group);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(attributeNames(file), namesBefore);
        if (haveXattrs)
            for (const auto &[name, value] : attributes) {
                char got[256];
                const ssize_t n = ::getxattr(qPrintable(file), name, got, sizeof got);
                QCOMPARE(QByteArray(got, n > 0 ? int(n) : 0), value);
            }
        if (haveAcl) {
            QByteArray got(256, '\0');
            const ssize_t n = ::getxattr(qPrintable(file), "system.posix_acl_access", got.data(), got.size());
            QCOMPARE(got.left(n > 0 ? int(n) : 0), acl);
        }
        QCOMPARE(after.st_ino == before.st_ino, linked);
        if (linked) {
            QCOMPARE(after.st_nlink, nlink_t(2));
            QCOMPARE(ReadFile(other), ReadFile(file));
        }
        TID3v2 t;
        QVERIFY(t.ReadTag(P(file)));
        QCOMPARE(ReadFile(file).mid(t.TagSize()), audio_);
        QCOMPARE(Leftovers(dir_.path()), QStringList());
    }

    void linkedFile()
    {
        const QString target = Make("target.mp3", audio_), link = dir_.filePath("via-link.mp3");
        QVERIFY(QFile::link(target, link));
        QVERIFY(Titled("Linked").WriteTag(P(link)));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadFile(target), Padded(3, Text("TIT2", "Linked")) + audio_);
    }

    // A write that fails half-way (here: a file size limit) removes the temporary file and
    // leaves the file, its mode included, as it was.
    void failedWriteChangesNothing()
    {
        const QByteArray before = Tag(3, Text("TIT2", "Old")) + audio_;
        const QString file = Make("limited.mp3", before);
        QVERIFY(::chmod(file.toLocal8Bit(), 0444) == 0);
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = old;
        limit.rlim_cur = 5000;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        TID3v1 v1;
        const bool wrote = Titled(QByteArray(100, 'N')).WriteTag(P(file)), deleted = TID3v2().DeleteTag(P(file));
        const bool wroteV1 = v1.WriteTag(P(file));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!wrote && !deleted && !wroteV1);
        QCOMPARE(ReadFile(file), before);
        QCOMPARE(ModeOf(file), mode_t(0444));
        QCOMPARE(Leftovers(dir_.path()), QStringList());
    }

    void attributesCannotBeReset()
    {
        const QByteArray before = Tag(3, Text("TIT2", "Old")) + audio_;
        const QString file = Make("immutable.mp3", before);
        QVERIFY(::chmod(file.toLocal8Bit(), 0444) == 0);
        if (!SetImmutable(file, true))
            QSKIP("the file system cannot lock a file's mode here");
        const bool wrote = Titled("New").WriteTag(P(file)), deleted = TID3v2().DeleteTag(P(file));
        SetImmutable(file, false);
        QVERIFY(!wrote && !deleted);
        QCOMPARE(ReadFile(file), before);
        QCOMPARE(Leftovers(dir_.path()), QStringList());
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("shorter than a header") << "short.mp3";
        QTest::newRow("missing") << "missing.mp3";
        QTest::newRow("folder") << "folder.mp3";
        QTest::newRow("pipe") << "pipe.mp3";
    }
    void badInput()
    {
        QFETCH(QString, name);
        const QString path = dir_.filePath(name);
        const QByteArray shortBytes = B("ID3\x03\0\0\0\0\0");
        QVERIFY(MakeBadInput(dir_, name, shortBytes));
        TID3v2 t = Titled("x");
        QVERIFY(!t.ReadTag(P(path)));
        QVERIFY(t.Title().empty() && !t.Present());
        QVERIFY(!t.DeleteTag(P(path)));
        QVERIFY(!Titled("x").WriteTag(P(path)));
        if (name == "short.mp3")
            QCOMPARE(ReadFile(path), shortBytes);
        QCOMPARE(Leftovers(dir_.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestId3v2Files)
#include "tst_id3v2files.moc"
