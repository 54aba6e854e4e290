// The tag editor without its window: the values its boxes show and save, the list of records,
// and the operations on every listed file.
#include "main/tageditorcore.h"
#include "main/tagvalues.h"
#include "platform/paths.h"
#include "tags/Journal.h"
#include "tags/TagError.h"
#include "tests/support/testdir.h"
#include "tests/tags/tagtestutil.h"

#include <QTest>
#include <QThread>

#include <cerrno>

namespace {

// Three files whose every field differs from file to file.
QStringList MakeThreeTagged(TestDir &dir)
{
    QStringList paths;
    for (int i = 1; i <= 3; ++i) {
        const std::string k = std::to_string(i);
        paths << MakeMp3(dir.FilePath(QStringLiteral("f%1.mp3").arg(i)),
                         {[&](TID3v1 &t) {
                              t.SetTitle("t1-" + k);
                              t.SetTrack(std::uint8_t(10 + i));
                              t.SetGenreIndex(std::uint8_t(i));
                          },
                          [&](TID3v2 &t) {
                              t.SetTitle("t2-" + k);
                              t.SetTrack(std::uint8_t(20 + i));
                              t.SetGenre("g2-" + k);
                          }});
    }
    return paths;
}

std::vector<SelectedEntry> Files(const QStringList &names)
{
    std::vector<SelectedEntry> entries;
    for (const QString &name : names)
        entries.push_back({FileEntry::Kind::File, name});
    return entries;
}

// The three files above, listed in the editor.
struct ThreeListed {
    TestDir dir;
    QStringList paths = MakeThreeTagged(dir);
    TagEditorCore core;
    ThreeListed() { core.BuildTagList(dir.Native(), Files({"f1.mp3", "f2.mp3", "f3.mp3"})); }
};

// Every text field of a tag: its initial ("t", "a", "l", "c") and the version's digit.
template <typename Tag> void SetTexts(Tag &tag, const std::string &version)
{
    tag.SetTitle("t" + version);
    tag.SetArtist("a" + version);
    tag.SetAlbum("l" + version);
    tag.SetComment("c" + version);
}

QStringList Names(const TagEditorCore &core)
{
    QStringList names;
    for (const auto &record : core.TagList())
        names << FileNamePart(record->FilePath);
    return names;
}

using Operation = std::function<Failures(TagEditorCore &, const Progress &)>;
using Change = std::function<void(TagEditorCore &, TagSheets &)>;

// A change typed into the boxes only.
Change Typed(std::function<void(TagSheets &)> edit)
{
    return [edit](TagEditorCore &, TagSheets &sheets) { edit(sheets); };
}

} // namespace

class TestTagEditorCore : public QObject {
    Q_OBJECT
private slots:
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
        // A box left as shown keeps the text, an empty one too; a changed box gives its digits.
        QCOMPARE(YearToSave(shown, year.toStdString()), year.toStdString());
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

    void trackShown_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("shown");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("two digits") << 99 << 99;
        QTest::newRow("100") << 100 << 99;
        QTest::newRow("255") << 255 << 99;
    }
    void trackShown()
    {
        QFETCH(int, track);
        QFETCH(int, shown);
        QCOMPARE(TrackToShow(std::uint8_t(track)), shown);
        // A box left as shown keeps the track, a changed one gives its value.
        QCOMPARE(int(TrackToSave(shown, std::uint8_t(track))), track);
        QCOMPARE(int(TrackToSave(42, std::uint8_t(track))), 42);
    }

    // Each box shows its own field of the record, through the conversions above; the caption
    // counts from 1.
    void sheetsShowTheRecord()
    {
        TID3 record(QByteArray("/nonexistent/a.mp3")); // no file: tags filled in here
        SetTexts(record.V1, "1");
        record.V1.SetTrack(150);
        record.V1.SetYear("1999");
        record.V1.SetGenreIndex(17);
        SetTexts(record.V2, "2");
        record.V2.SetTitle("t2 á");
        record.V2.SetComment("una\nlínea");
        record.V2.SetTrack(12);
        record.V2.SetYear("2004-05-12");
        record.V2.SetGenre("rock");
        const TagSheets sheets = TagEditorCore::SheetsOf(record);
        QVERIFY(sheets.v1 == (TagSheets::Version1{"t1", "a1", "l1", "c1", 99, 1999, 18}));
        QVERIFY(sheets.v2 == (TagSheets::Version2{"t2 á", "a2", "l2", "rock", "una\nlínea", 12, 2004}));
        record.V1.SetGenreIndex(200);
        QCOMPARE(TagEditorCore::SheetsOf(record).v1.genreItem, -1);
        QCOMPARE(PositionCaption(1, 3), QStringLiteral("Fichero actual (2 de 3) :"));
        QCOMPARE(PositionCaption(-1, 3), QStringLiteral("Fichero actual (0 de 0) :"));
        QCOMPARE(PositionCaption(0, 0), QStringLiteral("Fichero actual (0 de 0) :"));
    }

    void listHoldsTheSelectedFilesInOrder()
    {
        TestDir dir;
        MakeThreeTagged(dir);
        dir.CreateDir(QStringLiteral("carpeta.mp3"));
        TagEditorCore core;
        std::vector<SelectedEntry> entries{{FileEntry::Kind::Parent, FileEntry::ParentCaption},
                                           {FileEntry::Kind::Folder, QStringLiteral("carpeta.mp3")},
                                           {FileEntry::Kind::File, QStringLiteral("f2.mp3")},
                                           {FileEntry::Kind::File, QStringLiteral("carpeta.mp3")},
                                           {FileEntry::Kind::File, QStringLiteral("borrado.mp3")},
                                           {FileEntry::Kind::File, QStringLiteral("f1.mp3")}};
        core.BuildTagList(dir.Native(), entries);
        QCOMPARE(Names(core), (QStringList{"f2.mp3", "f1.mp3"}));
        QCOMPARE(core.CurrentIndex(), -1);
        QCOMPARE(core.ShowRecord(1)->V1.Title(), std::string("t1-1"));
        QCOMPARE(core.CurrentIndex(), 1);
        QVERIFY(!core.ShowRecord(2));
        QCOMPARE(core.CurrentIndex(), -1);
        QVERIFY(core.ShowRecord(0));
        // The list of drives holds no files.
        core.BuildTagList(QByteArrayLiteral("Drives"), Files({QStringLiteral("f1.mp3")}));
        QVERIFY(core.TagList().empty());
        QCOMPARE(core.CurrentIndex(), -1);
    }

    // Every operation on all files goes through one loop: asked before each file, it stops
    // there, leaving that file and the rest as they were, on disk and in memory, and is not
    // asked again.
    void everyOperationStopsWhenAsked_data()
    {
        QTest::addColumn<Operation>("operation");
        const auto add = [](const char *name, Operation op) { QTest::newRow(name) << op; };
        add("v1 title", [](TagEditorCore &c, const Progress &p) {
            return c.SaveTextToAll(TagVersion::V1, TagField::Title, QStringLiteral("Nuevo"), p);
        });
        add("v2 genre", [](TagEditorCore &c, const Progress &p) {
            return c.SaveTextToAll(TagVersion::V2, TagField::Genre, QStringLiteral("Pop"), p);
        });
        add("v2 year", [](TagEditorCore &c, const Progress &p) { return c.SaveYearToAll(TagVersion::V2, 2001, p); });
        add("v1 genre", [](TagEditorCore &c, const Progress &p) { return c.SaveGenreItemToAll(18, p); });
        add("v1 numbering", [](TagEditorCore &c, const Progress &p) { return c.NumberTracks(TagVersion::V1, p); });
        add("v2 numbering", [](TagEditorCore &c, const Progress &p) { return c.NumberTracks(TagVersion::V2, p); });
        add("assignment", [](TagEditorCore &c, const Progress &p) {
            return c.AssignToAll(TagVersion::V2, MassField::Album, QStringLiteral("Número + Nombre de fichero"), p);
        });
        add("v1 to v2", [](TagEditorCore &c, const Progress &p) { return c.CopyToAll(TagVersion::V1, p).failed; });
        add("v2 to v1", [](TagEditorCore &c, const Progress &p) { return c.CopyToAll(TagVersion::V2, p).failed; });
        add("v1 removal", [](TagEditorCore &c, const Progress &p) { return c.RemoveFromAll(TagVersion::V1, p); });
        add("v2 removal", [](TagEditorCore &c, const Progress &p) { return c.RemoveFromAll(TagVersion::V2, p); });
    }
    void everyOperationStopsWhenAsked()
    {
        QFETCH(Operation, operation);
        ThreeListed listed;
        auto &[dir, paths, core] = listed;
        QList<QByteArray> before;
        for (const QString &path : paths)
            before << dir.Read(FileNamePart(path));
        QList<int> asked;
        const Failures failed = operation(core, [&](int done) {
            asked << done;
            return done < 1;
        });
        QCOMPARE(failed, Failures());
        QCOMPARE(asked, (QList<int>{0, 1}));
        QVERIFY(dir.Read("f1.mp3") != before[0]);
        QCOMPARE(dir.Read("f2.mp3"), before[1]);
        QCOMPARE(dir.Read("f3.mp3"), before[2]);
        const TID3 &third = *core.TagList()[2];
        QCOMPARE(third.V1.Title(), std::string("t1-3"));
        QCOMPARE(third.V2.Title(), std::string("t2-3"));
        QCOMPARE(int(third.V1.Track()), 13);
        QCOMPARE(third.V2.Genre(), std::string("g2-3"));
    }

    // "Cancelar" in the middle of a save into many files, whose writes reach the disk in
    // groups: one committed after a pause of the progress, one the group commits by itself when
    // full, the last when the loop stops. The files done before the stop hold the new value for
    // good, the rest the old one, none is a failure, and the journal keeps no record.
    void cancelledGroupSaveKeepsTheFilesDone_data()
    {
        QTest::addColumn<bool>("v2");
        QTest::newRow("v1") << false;
        QTest::newRow("v2") << true;
    }
    void cancelledGroupSaveKeepsTheFilesDone()
    {
        QFETCH(bool, v2);
        const TagVersion version = v2 ? TagVersion::V2 : TagVersion::V1;
        constexpr int count = 300, stop = 280;
        TestDir dir;
        const QString first = MakeMp3(dir.FilePath(QStringLiteral("f000.mp3")),
                                      {[](TID3v1 &t) { t.SetTitle("Viejo"); }, [](TID3v2 &t) { t.SetTitle("Viejo"); }});
        const QByteArray bytes = dir.Read(QStringLiteral("f000.mp3"));
        QStringList names{QStringLiteral("f000.mp3")};
        for (int i = 1; i < count; ++i) {
            names << QStringLiteral("f%1.mp3").arg(i, 3, 10, QLatin1Char('0'));
            dir.CreateFile(names.back(), bytes);
        }
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files(names));
        QCOMPARE(int(core.TagList().size()), count);
        const Failures failed = core.SaveTextToAll(version, TagField::Title, QStringLiteral("Nuevo"), [](int done) {
            if (done == 10)
                QThread::msleep(150);
            return done < stop;
        });
        QCOMPARE(failed, Failures());
        for (int i = 0; i < count; ++i) {
            const TID3 onDisk(NativePath(dir.FilePath(names[i])));
            const std::string &title = v2 ? onDisk.V2.Title() : onDisk.V1.Title();
            QCOMPARE(title, std::string(i < stop ? "Nuevo" : "Viejo"));
        }
        const QDir journal(QString::fromStdString(cvtags::Journal::UserFolder().string()));
        const QStringList records = journal.entryList(QDir::Files | QDir::Hidden);
        QVERIFY(!records.isEmpty());
        for (const QString &name : records) {
            QFile record(journal.filePath(name));
            QVERIFY(record.open(QIODevice::ReadOnly));
            QVERIFY2(name.startsWith(QLatin1String("tagsave-slot")) && !record.read(8).startsWith("CVJOURN1"),
                     qPrintable(name));
        }
    }

    // A file that cannot be written is listed by its name with a reason of its own, never one
    // left over from an earlier failure.
    void failuresNameTheFileAndItsReason()
    {
        ThreeListed listed;
        auto &[dir, paths, core] = listed;
        QVERIFY(QFile::remove(paths[0]));
        QVERIFY(QFile::remove(paths[2]));
        QVERIFY(QDir(dir.Path()).mkdir(QStringLiteral("f3.mp3")));
        cvtags::SetLastError(std::error_code(EACCES, std::generic_category()));
        const Failures failed = core.NumberTracks(TagVersion::V2);
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed[0].name, QStringLiteral("f1.mp3"));
        QCOMPARE(failed[1].name, QStringLiteral("f3.mp3"));
        QCOMPARE(failed[0].reason, ReasonText(std::error_code(ENOENT, std::generic_category())));
        for (const Failure &failure : failed) {
            QVERIFY(!failure.reason.isEmpty() && failure.reason != ReasonText(std::error_code()));
            QVERIFY2(failure.reason != ReasonText(std::error_code(EACCES, std::generic_category())),
                     qPrintable(failure.reason));
        }
        QCOMPARE(int(TID3(paths[1]).V2.Track()), 2);
    }

    // A write prepared in a group can still fail at its commit (here the file changes in
    // between): the record then shows what the file holds, not the value that never got there.
    void failedCommitLeavesTheRecordAsTheFileIs()
    {
        TestDir dir;
        const QStringList paths = MakeThreeTagged(dir);
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files({"f1.mp3", "f2.mp3", "f3.mp3"}));
        const Failures failed = core.SaveTextToAll(TagVersion::V1, TagField::Title, QStringLiteral("Nuevo"), [&](int done) {
            if (done == 1) {
                QFile changed(paths[0]);
                if (changed.open(QIODevice::Append))
                    changed.write("ajeno");
            }
            return true;
        });
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0].name, QStringLiteral("f1.mp3"));
        const TID3 &record = *core.TagList()[0];
        QCOMPARE(record.V1.Title(), TID3(paths[0]).V1.Title());
        QCOMPARE(record.V1InFile, TID3(paths[0]).V1.Present());
        QCOMPARE(core.TagList()[1]->V1.Title(), std::string("Nuevo"));
    }

    // A copy between the versions for every file passes over the files without the source
    // version: their other tag keeps its values, and no tag is made where there was none.
    void copiesPassOverFilesWithoutTheSource_data()
    {
        QTest::addColumn<int>("from");
        QTest::newRow("v1 to v2") << int(TagVersion::V1);
        QTest::newRow("v2 to v1") << int(TagVersion::V2);
    }
    void copiesPassOverFilesWithoutTheSource()
    {
        QFETCH(int, from);
        const auto source = TagVersion(from);
        TestDir dir;
        MakeThreeTagged(dir);
        const auto v1 = [](TID3v1 &t) {
            t.SetTitle("solo uno");
            t.SetYear("1999");
            t.SetGenreIndex(17);
        };
        const auto v2 = [](TID3v2 &t) {
            t.SetTitle("solo dos");
            t.SetComment(std::string(2800, 'c'));
            t.SetGenre("Electro");
        };
        MakeMp3(dir.FilePath(QStringLiteral("sin fuente.mp3")),
                source == TagVersion::V1 ? Mp3Tags{{}, v2} : Mp3Tags{v1, {}});
        MakeMp3(dir.FilePath(QStringLiteral("sin tags.mp3")));
        const QByteArray withoutSource = dir.Read(QStringLiteral("sin fuente.mp3"));
        const QByteArray untagged = dir.Read(QStringLiteral("sin tags.mp3"));
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files({"f1.mp3", "sin fuente.mp3", "sin tags.mp3"}));

        const TagEditorCore::CopyOutcome outcome = core.CopyToAll(source);
        QCOMPARE(outcome.failed, Failures());
        QCOMPARE(outcome.withoutSource, 2);
        QCOMPARE(dir.Read(QStringLiteral("sin fuente.mp3")), withoutSource);
        QCOMPARE(dir.Read(QStringLiteral("sin tags.mp3")), untagged);
        const TID3 &passed = *core.TagList()[1];
        QCOMPARE(source == TagVersion::V1 ? passed.V2.Title() : passed.V1.Title(),
                 std::string(source == TagVersion::V1 ? "solo dos" : "solo uno"));
        const TID3 copied(dir.FilePath(QStringLiteral("f1.mp3")));
        QCOMPARE(copied.V1.Title(), copied.V2.Title());
        QCOMPARE(copied.V1.Title(), std::string(source == TagVersion::V1 ? "t1-1" : "t2-1"));

        // A version written since the list was built is there to copy from.
        core.ShowRecord(2);
        QVERIFY(core.SaveTextToAll(source, TagField::Title, QStringLiteral("nuevo")).isEmpty());
        QCOMPARE(core.CopyToAll(source).withoutSource, 0);
        const TID3 now(dir.FilePath(QStringLiteral("sin tags.mp3")));
        QCOMPARE(now.V1.Title(), std::string("nuevo"));
        QCOMPARE(now.V2.Title(), std::string("nuevo"));
        QCOMPARE(WithoutSourceTagText(TagVersion::V1, 1),
                 QStringLiteral("1 fichero no tiene tag ID3v1; su tag ID3v2 no se ha cambiado."));
        QCOMPARE(WithoutSourceTagText(TagVersion::V2, 3),
                 QStringLiteral("3 ficheros no tienen tag ID3v2; su tag ID3v1 no se ha cambiado."));
    }

    // "Actual" writes a version the file lacks only when its boxes hold something, typed or
    // copied from the other version, and an empty year left alone stays empty.
    void actualWritesOnlyWhatWasChanged_data()
    {
        QTest::addColumn<Mp3Tags>("tags");
        QTest::addColumn<Change>("change");
        QTest::addColumn<QByteArray>("v1Year"); // after the save; "-" for no trailer
        QTest::addColumn<QByteArray>("v2Year"); // "-" for no version 2 tag
        const auto v1 = [](TID3v1 &t) { t.SetTitle("uno"); };
        const auto v2 = [](TID3v2 &t) { t.SetTitle("dos"); };
        const auto v1Year = [](TID3v1 &t) { t.SetYear("1999"); };
        const Change none = [](TagEditorCore &, TagSheets &) {};
        QTest::newRow("only v1, nothing changed") << Mp3Tags{v1, {}} << none << QByteArray() << QByteArray("-");
        QTest::newRow("only v2, nothing changed") << Mp3Tags{{}, v2} << none << QByteArray("-") << QByteArray();
        QTest::newRow("no tags, nothing changed") << Mp3Tags{} << none << QByteArray("-") << QByteArray("-");
        QTest::newRow("only v1, v2 title typed")
            << Mp3Tags{v1, {}} << Typed([](TagSheets &s) { s.v2.title = "nuevo"; }) << QByteArray() << QByteArray();
        QTest::newRow("only v2, v1 genre chosen")
            << Mp3Tags{{}, v2} << Typed([](TagSheets &s) { s.v1.genreItem = 18; }) << QByteArray() << QByteArray();
        QTest::newRow("only v1, v2 year typed")
            << Mp3Tags{v1Year, {}} << Typed([](TagSheets &s) { s.v2.year = 2001; }) << QByteArray("1999") << QByteArray("2001");
        QTest::newRow("only v1, copied to v2") << Mp3Tags{v1Year, {}} << Change([](TagEditorCore &c, TagSheets &s) {
            c.CopyCurrentV1ToV2({});
            s = TagEditorCore::SheetsOf(*c.Current());
        }) << QByteArray("1999") << QByteArray("1999");
        QTest::newRow("no tags, v1 year typed")
            << Mp3Tags{} << Typed([](TagSheets &s) { s.v1.year = 1984; }) << QByteArray("1984") << QByteArray("-");
        QTest::newRow("no tags, every box typed") << Mp3Tags{} << Typed([](TagSheets &s) {
            s.v1 = {"t1", "a1", "l1", "c1", 7, 1999, 18};
            s.v2 = {"t2", "a2", "l2", "Pop", "c2", 8, 2001};
        }) << QByteArray("1999") << QByteArray("2001");
        // Values no box can show as stored: a year "19xx", a track above 99, a genre number
        // without a name, a text with line breaks or tabs.
        const Mp3Tags odd{[](TID3v1 &t) {
                              t.SetTrack(150);
                              t.SetYear("19xx");
                              t.SetGenreIndex(200);
                          },
                          [](TID3v2 &t) {
                              t.SetYear("2004-05-12");
                              t.SetTrack(120);
                              t.SetComment("uno\r\ndos\rtres");
                              t.SetTitle("con\ttabulador y\nsalto");
                          }};
        QTest::newRow("values the boxes cannot show, nothing changed")
            << odd << none << QByteArray("19xx") << QByteArray("2004-05-12");
        QTest::newRow("values the boxes cannot show, the v2 year changed")
            << odd << Typed([](TagSheets &s) { s.v2.year = 2005; }) << QByteArray("19xx") << QByteArray("2005");
    }
    void actualWritesOnlyWhatWasChanged()
    {
        QFETCH(Mp3Tags, tags);
        QFETCH(Change, change);
        QFETCH(QByteArray, v1Year);
        QFETCH(QByteArray, v2Year);
        TestDir dir;
        const QString path = MakeMp3(dir.FilePath(QStringLiteral("a.mp3")), tags);
        const QByteArray before = dir.Read(QStringLiteral("a.mp3"));
        const TID3 old(path);
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files({"a.mp3"}));
        TagSheets sheets = TagEditorCore::SheetsOf(*core.ShowRecord(0));
        const TagSheets shown = sheets;
        change(core, sheets);
        const bool changed = !(sheets.v1 == shown.v1 && sheets.v2 == shown.v2);
        QCOMPARE(core.SaveCurrent(sheets, shown.v2.comment), Failures());
        const TID3 after(path);
        // Every box reads back what it held, each from its own field.
        const TagSheets reread = TagEditorCore::SheetsOf(after);
        QVERIFY(reread.v1 == sheets.v1 && reread.v2 == sheets.v2);
        QCOMPARE(after.V1.Present() ? QByteArray::fromStdString(after.V1.Year()) : QByteArray("-"), v1Year);
        QCOMPARE(after.V2.Present() ? QByteArray::fromStdString(after.V2.Year()) : QByteArray("-"), v2Year);
        if (!changed)
            QCOMPARE(dir.Read(QStringLiteral("a.mp3")), before);
        // No change touches another field of a version the file had.
        const auto same = [](const auto &a, const auto &b) {
            return a.Title() == b.Title() && a.Artist() == b.Artist() && a.Album() == b.Album()
                   && a.Comment() == b.Comment() && a.Track() == b.Track();
        };
        if (old.V1.Present())
            QVERIFY(same(old.V1, after.V1) && old.V1.GenreIndex() == after.V1.GenreIndex());
        if (old.V2.Present())
            QVERIFY(same(old.V2, after.V2) && old.V2.Genre() == after.V2.Genre());
    }

    // Text in any script: version 2 keeps every letter, version 1 what Windows-1252 holds ('?'
    // for the rest), and what the sheets show after a save is what the file holds. A title in
    // another script survives a save of the other fields; names from tags and file names as
    // values keep their letters.
    void textInAnyScript()
    {
        TestDir dir;
        const QString path = MakeMp3(dir.FilePath(QStringLiteral("a.mp3")),
                                     {[](TID3v1 &t) { t.SetTitle("uno"); }, [](TID3v2 &t) { t.SetTitle("東京"); }});
        MakeMp3(dir.FilePath(QStringLiteral("b.mp3")), {{}, [](TID3v2 &t) { t.SetTitle("Дом"); }});
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files({"a.mp3", "b.mp3"}));
        TagSheets sheets = TagEditorCore::SheetsOf(*core.ShowRecord(0));
        QCOMPARE(sheets.v2.title, QStringLiteral("東京"));
        const QByteArray titleFrame = dir.Read(QStringLiteral("a.mp3")).mid(10, 10 + 1 + 2 + 4);
        sheets.v1.title = sheets.v2.artist = QStringLiteral("Łódź Дом 🎉");
        QCOMPARE(core.SaveCurrent(sheets, sheets.v2.comment), Failures());
        const TagSheets shown = TagEditorCore::SheetsOf(*core.Current());
        QCOMPARE(shown.v1.title, QStringLiteral("?ód? ??? ?"));
        QCOMPARE(shown.v2.artist, QStringLiteral("Łódź Дом 🎉"));
        QCOMPARE(shown.v2.title, QStringLiteral("東京"));
        QCOMPARE(dir.Read(QStringLiteral("a.mp3")).mid(10, titleFrame.size()), titleFrame);
        const TagSheets reread = TagEditorCore::SheetsOf(TID3(NativePath(path)));
        QVERIFY(reread.v1 == shown.v1 && reread.v2 == shown.v2);

        QCOMPARE(core.RenameNames(TagVersion::V2, {QStringLiteral("Título")}, {}),
                 (QStringList{"東京.mp3", "Дом.mp3"}));
        QCOMPARE(core.RenameFiles(core.RenameNames(TagVersion::V2, {QStringLiteral("Título")}, {}), dir.Native()),
                 Failures());
        QVERIFY(dir.Exists(QStringLiteral("東京.mp3")) && dir.Exists(QStringLiteral("Дом.mp3")));

        core.BuildTagList(dir.Native(), Files({"Дом.mp3", "東京.mp3"}));
        const QString fileName = MassValueChoices()[int(MassValue::FileName)];
        QCOMPARE(core.AssignToAll(TagVersion::V2, MassField::Album, fileName), Failures());
        QCOMPARE(core.AssignToAll(TagVersion::V1, MassField::Album, fileName), Failures());
        const TID3 russian(NativePath(dir.FilePath(QStringLiteral("Дом.mp3"))));
        QCOMPARE(russian.V2.Album(), std::string("Дом"));
        QCOMPARE(russian.V1.Album(), std::string("???"));
        QCOMPARE(TID3(dir.FilePath(QStringLiteral("東京.mp3"))).V2.Album(), std::string("東京"));
    }

    // A copy between the versions of the shown record takes the genre its source box shows,
    // whatever the record holds; every other value comes from the record, nothing is written.
    void copyOfTheShownRecord_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("shownGenre");
        QTest::addColumn<QByteArray>("genre"); // the copy's: a v1 number, or a v2 text
        const int v1 = int(TagVersion::V1), v2 = int(TagVersion::V2);
        QTest::newRow("v2 name") << v2 << "Synthpop" << QByteArray("147");
        QTest::newRow("v2 name in small letters") << v2 << "rock" << QByteArray("17");
        QTest::newRow("v2 text that is no name") << v2 << "Chillwave" << QByteArray("254");
        QTest::newRow("v2 empty") << v2 << "" << QByteArray("255");
        QTest::newRow("v1 item") << v1 << "Jazz" << QByteArray("Jazz");
        QTest::newRow("v1 empty item") << v1 << "" << QByteArray();
    }
    void copyOfTheShownRecord()
    {
        QFETCH(int, from);
        QFETCH(QString, shownGenre);
        QFETCH(QByteArray, genre);
        TestDir dir;
        MakeMp3(dir.FilePath(QStringLiteral("a.mp3")), {[](TID3v1 &t) {
                                                            t.SetTitle("uno");
                                                            t.SetGenreIndex(0);
                                                        },
                                                        [](TID3v2 &t) {
                                                            t.SetTitle(std::string(40, 'x'));
                                                            t.SetYear("2004-05-12");
                                                            t.SetTrack(9);
                                                            t.SetGenre("Blues");
                                                        }});
        const QByteArray file = dir.Read(QStringLiteral("a.mp3"));
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files({"a.mp3"}));
        QVERIFY(!core.CopyCurrentV2ToV1(shownGenre)); // no record shown
        TID3 &record = *core.TagList()[0];
        core.ShowRecord(0);
        if (TagVersion(from) == TagVersion::V2) {
            QVERIFY(core.CopyCurrentV2ToV1(shownGenre));
            QCOMPARE(record.V1.Title(), std::string(30, 'x'));
            QCOMPARE(record.V1.Year(), std::string("2004"));
            QCOMPARE(int(record.V1.Track()), 9);
            QCOMPARE(QByteArray::number(record.V1.GenreIndex()), genre);
            QCOMPARE(record.V2.Genre(), std::string("Blues"));
        } else {
            QVERIFY(core.CopyCurrentV1ToV2(shownGenre));
            QCOMPARE(record.V2.Title(), std::string("uno"));
            QCOMPARE(QByteArray::fromStdString(record.V2.Genre()), genre);
            QCOMPARE(int(record.V1.GenreIndex()), 0);
        }
        QCOMPARE(dir.Read(QStringLiteral("a.mp3")), file);
    }

    // A field saved into a version 2.4 tag keeps every other frame byte for byte.
    void saveKeepsTheOtherFrames()
    {
        TestDir dir;
        const QByteArray kept = Frame("TXXX", B("\0clave\0valor"), 4) + Frame("TBPM", B("\0" "120"), 4);
        const QByteArray body = Text("TIT2", "Viejo", 4) + Text("TPE1", "Artista", 4) + kept;
        const QString path = dir.CreateFile(QStringLiteral("v24.mp3"), Tag(4, body) + Audio());
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files({"v24.mp3"}));
        QCOMPARE(TagEditorCore::SheetsOf(*core.ShowRecord(0)).v2.title, QStringLiteral("Viejo"));
        QCOMPARE(core.SaveTextToAll(TagVersion::V2, TagField::Album, QStringLiteral("Disco")), Failures());
        const QByteArray bytes = dir.Read(QStringLiteral("v24.mp3"));
        QVERIFY(bytes.startsWith("ID3\x04"));
        QVERIFY(bytes.contains(kept));
        QVERIFY(bytes.endsWith(Audio()));
        const TID3 after(path);
        QCOMPARE(after.V2.Title(), std::string("Viejo"));
        QCOMPARE(after.V2.Artist(), std::string("Artista"));
        QCOMPARE(after.V2.Album(), std::string("Disco"));
    }

    // A file named .mp3 that holds no audio is listed and shown empty; a save puts a version 2
    // tag before its bytes and fails the version 1 trailer it is too short for, with that reason.
    void fileThatIsNoMp3()
    {
        TestDir dir;
        const QByteArray text = "Esto no es un MP3, aunque lo diga su nombre.\n";
        dir.CreateFile(QStringLiteral("nota.mp3"), text);
        dir.CreateFile(QStringLiteral("vacio.mp3"));
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files({"nota.mp3", "vacio.mp3"}));
        QCOMPARE(core.TagList().size(), std::size_t(2));
        TagSheets sheets = TagEditorCore::SheetsOf(*core.ShowRecord(0));
        QVERIFY(sheets.v1 == TagSheets::Version1() && sheets.v2 == TagSheets::Version2());
        sheets.v1.title = sheets.v2.title = QStringLiteral("Nota");
        QCOMPARE(core.SaveCurrent(sheets, {}), (Failures{{"nota.mp3", "el fichero es demasiado corto"}}));
        const QByteArray after = dir.Read(QStringLiteral("nota.mp3"));
        QVERIFY(after.startsWith("ID3"));
        QVERIFY(after.endsWith(text));
        QCOMPARE(TID3(dir.FilePath(QStringLiteral("nota.mp3"))).V2.Title(), std::string("Nota"));
    }

    // The running number has as many digits as the count of files needs, three from 100 on.
    void numberingWidthFollowsTheCount()
    {
        TestDir dir;
        QStringList names;
        for (int i = 0; i < 100; ++i) {
            names << QString::asprintf("s%03d.mp3", i);
            MakeMp3(dir.FilePath(names.last()), {}, Audio(200));
        }
        TagEditorCore core;
        core.BuildTagList(dir.Native(), Files(names));
        QCOMPARE(core.AssignToAll(TagVersion::V1, MassField::Title, QStringLiteral("Número + Nombre de fichero")),
                 Failures());
        QCOMPARE(TID3(dir.FilePath(names.first())).V1.Title(), std::string("001 s000"));
        QCOMPARE(TID3(dir.FilePath(names.last())).V1.Title(), std::string("100 s099"));
    }

    void removalOfTheShownRecord()
    {
        TestDir dir;
        MakeThreeTagged(dir);
        MakeMp3(dir.FilePath(QStringLiteral("solo v2.mp3")), {{}, [](TID3v2 &t) { t.SetTitle("dos"); }});
        TagEditorCore core;
        Failures failed;
        QVERIFY(!core.RemoveCurrent(TagVersion::V1, failed)); // no record shown
        core.BuildTagList(dir.Native(), Files({"f1.mp3", "solo v2.mp3"}));
        const QByteArray withBoth = dir.Read(QStringLiteral("f1.mp3"));
        core.ShowRecord(0);
        QVERIFY(core.RemoveCurrent(TagVersion::V1, failed));
        QCOMPARE(dir.Read(QStringLiteral("f1.mp3")), withBoth.chopped(128));
        QVERIFY(!core.RemoveCurrent(TagVersion::V1, failed)); // nothing left to remove
        core.ShowRecord(1);
        const QByteArray onlyV2 = dir.Read(QStringLiteral("solo v2.mp3"));
        QVERIFY(!core.RemoveCurrent(TagVersion::V1, failed)); // no trailer found when listed
        QCOMPARE(dir.Read(QStringLiteral("solo v2.mp3")), onlyV2);
        QVERIFY(failed.isEmpty());
        QVERIFY(QFile::remove(dir.FilePath(QStringLiteral("solo v2.mp3"))));
        QVERIFY(core.RemoveCurrent(TagVersion::V2, failed));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0].name, QStringLiteral("solo v2.mp3"));

        // From every file: one without that version's tag is passed over, byte for byte.
        MakeMp3(dir.FilePath(QStringLiteral("solo v1.mp3")), {[](TID3v1 &t) { t.SetTitle("uno"); }, {}});
        const QByteArray onlyV1 = dir.Read(QStringLiteral("solo v1.mp3"));
        core.BuildTagList(dir.Native(), Files({"f2.mp3", "solo v1.mp3"}));
        QCOMPARE(core.RemoveFromAll(TagVersion::V2), Failures());
        QCOMPARE(dir.Read(QStringLiteral("solo v1.mp3")), onlyV1);
        const TID3 f2(dir.FilePath(QStringLiteral("f2.mp3")));
        QVERIFY(f2.V1.Present() && !f2.V2.Present());
    }

    void renamingEmptiesTheList()
    {
        ThreeListed listed;
        auto &[dir, paths, core] = listed;
        core.ShowRecord(2);
        const QStringList names = core.RenameNames(TagVersion::V2, {QStringLiteral("Título")}, {});
        QCOMPARE(names, (QStringList{"t2-1.mp3", "t2-2.mp3", "t2-3.mp3"}));
        const Failures failed =
            core.RenameFiles({QStringLiteral("a.mp3"), QStringLiteral("a.mp3"), QStringLiteral("c.mp3")}, dir.Native());
        QCOMPARE(failed, (Failures{{"f2.mp3", "el nombre nuevo está repetido"}}));
        QVERIFY(dir.Exists("a.mp3") && dir.Exists("f2.mp3") && dir.Exists("c.mp3"));
        QVERIFY(core.TagList().empty());
        QCOMPARE(core.CurrentIndex(), -1);
    }
};

QTEST_GUILESS_MAIN(TestTagEditorCore)
#include "tst_tageditorcore.moc"
