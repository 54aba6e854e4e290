// The rules of renaming from tags and of mass assignment, without a window.
#include "main/massrules.h"
#include "main/tagrenamerules.h"
#include "main/tagvalues.h"
#include "platform/paths.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tests/support/immutable.h"
#include "tests/support/testdir.h"

#include <QFile>
#include <QTest>

#include <unistd.h>

namespace {
std::string W(const QString &text) { return TagValueOf(text); }

QList<QByteArray> Native(const QStringList &paths)
{
    QList<QByteArray> native;
    for (const QString &path : paths)
        native.append(NativePath(path));
    return native;
}
} // namespace

class TestTagRename : public QObject {
    Q_OBJECT
private slots:
    void zeroPad_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("padded");
        QTest::newRow("one digit") << "7" << 2 << "07";
        QTest::newRow("long enough") << "12" << 2 << "12";
        QTest::newRow("never shortened") << "123" << 2 << "123";
        QTest::newRow("width 3") << "5" << 3 << "005";
        QTest::newRow("empty") << "" << 2 << "00";
        QTest::newRow("width 0") << "5" << 0 << "5";
        QTest::newRow("negative width") << "5" << -3 << "5";
    }
    void zeroPad()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, padded);
        QCOMPARE(ZeroPad(text, width), padded);
    }

    void renameLine_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("album");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("line");
        const QStringList none;
        QTest::newRow("nothing checked") << none << "" << 1 << "T" << "A" << "B" << 0 << "01 Indefinido.mp3";
        QTest::newRow("nothing checked, separator") << none << "-" << 1 << "T" << "A" << "B" << 2
                                                    << "03- Indefinido.mp3";
        QTest::newRow("position 100") << none << "" << 0 << "" << "" << "" << 99 << "100 Indefinido.mp3";
        QTest::newRow("track artist title") << QStringList{"Pista", "Artista", "Título"} << " - " << 7 << "B"
                                            << "A" << "" << 0 << "07 - A - B.mp3";
        QTest::newRow("track 0") << QStringList{"Pista"} << "" << 0 << "" << "" << "" << 0 << "00.mp3";
        QTest::newRow("track 123") << QStringList{"Pista"} << "" << 123 << "" << "" << "" << 0 << "123.mp3";
        QTest::newRow("track 255") << QStringList{"Pista"} << "" << 255 << "" << "" << "" << 0 << "255.mp3";
        QTest::newRow("empty first part") << QStringList{"Título", "Artista"} << "-" << 0 << "" << "A" << "" << 0
                                          << "-A.mp3";
        QTest::newRow("empty middle part") << QStringList{"Título", "Álbum", "Artista"} << "_" << 0 << "T" << "A"
                                           << "" << 0 << "T__A.mp3";
        QTest::newRow("only empty parts") << QStringList{"Título", "Artista"} << "" << 0 << "" << "" << "" << 4
                                          << "05 Indefinido.mp3";
        QTest::newRow("only empty parts, separator between them") << QStringList{"Título", "Artista"} << "+" << 0 << "" << ""
                                                     << "" << 0 << "+.mp3";
        QTest::newRow("album") << QStringList{"Álbum"} << "" << 0 << "" << "" << "Grandes éxitos" << 0
                               << "Grandes éxitos.mp3";
        QTest::newRow("unknown item passed over") << QStringList{"Año", "Título"} << "-" << 0 << "T" << "" << ""
                                                  << 0 << "T.mp3";
        QTest::newRow("slash kept as built") << QStringList{"Título"} << "" << 0 << "../../x" << "" << "" << 0
                                             << "../../x.mp3";
        QTest::newRow("windows-1252 text") << QStringList{"Artista"} << "" << 0 << "" << "Björk €" << "" << 0
                                           << "Björk €.mp3";
        QTest::newRow("any script") << QStringList{"Título", "Artista"} << " - " << 0 << "Дом" << "東京 🎉" << ""
                                    << 0 << "Дом - 東京 🎉.mp3";
    }
    void renameLine()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, separator);
        QFETCH(int, track);
        QFETCH(QString, title);
        QFETCH(QString, artist);
        QFETCH(QString, album);
        QFETCH(int, position);
        QFETCH(QString, line);
        const std::string t = W(title), a = W(artist), b = W(album);
        const RenameSource source{std::uint8_t(track), &t, &a, &b};
        QCOMPARE(RenameLine(source, fields, separator, position), line);
        std::vector<RenameSource> sources(std::size_t(position) + 1, source);
        QCOMPARE(RenameLines(sources, fields, separator).value(position), line);
    }

    // Version 1 values are cut by its setters, version 2 values are whole.
    void renameSourceFollowsTheVersion()
    {
        TID3v1 v1;
        TID3v2 v2;
        const std::string longTitle(40, 'x');
        v1.SetTitle(longTitle);
        v2.SetTitle(longTitle);
        v1.SetTrack(3);
        v2.SetTrack(4);
        const QStringList fields{"Pista", "Título"};
        QCOMPARE(RenameLine(RenameSourceOf(v1), fields, "", 0), "03" + QString(30, 'x') + ".mp3");
        QCOMPARE(RenameLine(RenameSourceOf(v2), fields, "", 0), "04" + QString(40, 'x') + ".mp3");
    }

    void previewTextKeepsOneLinePerName()
    {
        const QStringList names{"a.mp3", QString("b\nc\r.mp3"), QString("d") + QChar(0) + QChar(0x7F) + ".mp3",
                                ".mp3"};
        const QString text = RenamePreviewText(names);
        const QStringList lines = text.split(u'\n');
        QCOMPARE(lines.size(), names.size());
        QCOMPARE(lines[0], "a.mp3");
        QCOMPARE(lines[1], QString("b") + QChar(0x240A) + "c" + QChar(0x240D) + ".mp3");
        QCOMPARE(lines[2], QString("d") + QChar(0x2400) + QChar(0x2421) + ".mp3");
        QCOMPARE(RenamePreviewText({}), QString());
    }

    // Every name either lands in the destination folder or fails and is listed by its old name;
    // nothing is replaced, nothing is sent elsewhere.
    void renamePlan_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("reason"); // "" when renamed
        QTest::newRow("plain") << "07 - A - B.mp3" << "";
        QTest::newRow("unchanged name") << "old.mp3" << "";
        QTest::newRow("climbs out") << "../../x.mp3" << "nombre no válido";
        QTest::newRow("into a sub-folder") << "sub/b.mp3" << "nombre no válido";
        QTest::newRow("slash only") << "/.mp3" << "nombre no válido";
        QTest::newRow("nul") << QString("a") + QChar(0) + "b.mp3" << "nombre no válido";
        QTest::newRow("dot") << "." << "nombre no válido";
        QTest::newRow("dot dot") << ".." << "nombre no válido";
        QTest::newRow("empty") << "" << "falta el nombre nuevo";
        QTest::newRow("existing name") << "taken.mp3" << "ya existe";
        QTest::newRow("existing folder") << "sub" << "ya existe";
        QTest::newRow("300 characters") << QString(296, 'n') + ".mp3" << "nombre demasiado largo";
        QTest::newRow("control characters") << QString("a\tb\nc.mp3") << "el nombre tiene caracteres de control";
        QTest::newRow("delete character") << QString("a\x7f.mp3") << "el nombre tiene caracteres de control";
        QTest::newRow("hidden") << "...Baby.mp3" << "el nombre quedaría oculto";
        QTest::newRow("dot and extension") << "..mp3" << "el nombre quedaría oculto";
        QTest::newRow("question mark and asterisk") << "¿Qué? *.mp3" << "";
        QTest::newRow("backslash") << "a\\b.mp3" << "";
    }
    void renamePlan()
    {
        QFETCH(QString, newName);
        QFETCH(QString, reason);
        const bool renamed = reason.isEmpty();
        TestDir dir;
        const QString folder = dir.CreateDir("dest");
        const QString old = dir.CreateFile("src/old.mp3", "audio");
        dir.CreateFile("dest/taken.mp3", "other");
        dir.CreateDir("dest/sub");
        dir.CreateFile("x.mp3", "outside"); // where "../../x.mp3" would lead from dest/
        const bool sameFolder = newName == "old.mp3";
        const QString from = sameFolder ? dir.CreateFile("dest/old.mp3", "audio") : old;

        const auto plan = PlanTagRename({NativePath(from)}, {newName}, NativePath(folder));
        QCOMPARE(plan.size(), std::size_t(1));
        if (!plan[0].oldPath.isEmpty())
            QCOMPARE(plan[0].oldPath, NativePath(from));
        const Failures failures = ApplyRenames(plan);
        QCOMPARE(failures, renamed ? Failures() : (Failures{{"old.mp3", reason}}));
        QCOMPARE(QFile::exists(from), !renamed || sameFolder);
        if (renamed)
            QCOMPARE(dir.Read("dest/" + newName), QByteArray("audio"));
        QCOMPARE(dir.Read("dest/taken.mp3"), QByteArray("other"));
        QCOMPARE(dir.Read("x.mp3"), QByteArray("outside"));
        QVERIFY(!dir.Exists("dest/sub/b.mp3"));
        QVERIFY(!dir.Exists("x.mp3.mp3"));
    }

    void renamePlanOfSeveralFiles()
    {
        TestDir dir;
        QStringList paths;
        for (const char *name : {"a.mp3", "b.mp3", "c.MP3", "gone.mp3", "d.mp3"})
            paths << dir.CreateFile(QString::fromLatin1(name), name);
        QFile::remove(paths[3]); // deleted meanwhile
        // Two files give the same name: the first wins. "d" lacks a line of its own.
        const auto plan = PlanTagRename(Native(paths), {"same.mp3", "same.mp3", "C.mp3", "g.mp3"}, dir.Native());
        QCOMPARE(plan.size(), std::size_t(5));
        QCOMPARE(plan[2].newPath, dir.Native() + "C.mp3");
        QVERIFY(plan[4].newPath.isEmpty());
        QCOMPARE(ApplyRenames(plan), (Failures{{"b.mp3", "el nombre nuevo está repetido"},
                                               {"gone.mp3", "no existe"},
                                               {"d.mp3", "falta el nombre nuevo"}}));
        QCOMPARE(dir.Read("same.mp3"), QByteArray("a.mp3"));
        QCOMPARE(dir.Read("b.mp3"), QByteArray("b.mp3"));
        QCOMPARE(dir.Read("C.mp3"), QByteArray("c.MP3"));
        QCOMPARE(dir.Read("d.mp3"), QByteArray("d.mp3"));
        QVERIFY(!dir.Exists("g.mp3"));
    }

    void renamePlanWithoutFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("drives") << "Drives";
        QTest::newRow("none") << "";
        QTest::newRow("relative") << "music";
    }
    void renamePlanWithoutFolder()
    {
        QFETCH(QString, folder);
        TestDir dir;
        const QString file = dir.CreateFile("a.mp3");
        const auto plan = PlanTagRename({NativePath(file)}, {"b.mp3"}, NativePath(folder));
        QVERIFY(plan[0].newPath.isEmpty());
        QCOMPARE(ApplyRenames(plan), (Failures{{"a.mp3", "no hay carpeta de destino"}}));
        QVERIFY(QFile::exists(file));
    }

    void renameStopsWhenAskedBeforeTheNextFile()
    {
        TestDir dir;
        QStringList paths;
        for (const char *name : {"1.mp3", "2.mp3", "3.mp3"})
            paths << dir.CreateFile(QString::fromLatin1(name));
        const auto plan = PlanTagRename(Native(paths), {"a.mp3", "b.mp3", "c.mp3"}, dir.Native());
        QList<int> asked;
        const Failures failures = ApplyRenames(plan, [&](int done) {
            asked << done;
            return done < 2;
        });
        QCOMPARE(failures, Failures()); // what was not done is not a failure
        QCOMPARE(asked, (QList<int>{0, 1, 2}));
        QVERIFY(dir.Exists("a.mp3") && dir.Exists("b.mp3") && dir.Exists("3.mp3"));
    }

    void renameIntoReadOnlyFolder()
    {
        TestDir dir;
        const QString file = dir.CreateFile("ro/a.mp3", "audio");
        const QString folder = dir.FilePath("ro");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const bool locked = ::geteuid() != 0 || SetImmutable(folder, true);
        if (!locked) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("root changes every folder, and this file system cannot lock one");
        }
        const Failures failures = ApplyRenames(PlanTagRename({NativePath(file)}, {"b.mp3"}, NativePath(folder)));
        if (::geteuid() == 0)
            SetImmutable(folder, false);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(failures, (Failures{{"a.mp3", "permiso denegado"}}));
        QCOMPARE(dir.Read("ro/a.mp3"), QByteArray("audio"));
    }

    // The value box's text: one of the choices letter for letter is that choice, whether it
    // was picked or typed; any other text is written as it stands.
    void massValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("value");
        const QString name = QStringLiteral("Nombre de fichero"), numbered = QStringLiteral("Número + Nombre de fichero"),
                      folder = QStringLiteral("Nombre de carpeta");
        QTest::newRow("name") << name << "/Música/07 - Intro.mp3" << 0 << 1 << "07 - Intro";
        QTest::newRow("name, two dots") << name << "/m/a.b.mp3" << 0 << 1 << "a.b";
        QTest::newRow("name, no extension") << name << "/m/Intro" << 0 << 1 << "Intro";
        QTest::newRow("name, only a leading dot") << name << "/m/.mp3" << 0 << 1 << "";
        QTest::newRow("name, ends with dot") << name << "/m/a." << 0 << 1 << "a";
        QTest::newRow("name, dot in folder only") << name << "/m.d/Intro" << 0 << 1 << "Intro";
        QTest::newRow("numbered, first of 12") << numbered << "/m/Intro.mp3" << 0 << 12 << "01 Intro";
        QTest::newRow("numbered, 12th of 12") << numbered << "/m/x.mp3" << 11 << 12 << "12 x";
        QTest::newRow("numbered, first of 99") << numbered << "/m/x.mp3" << 0 << 99 << "01 x";
        QTest::newRow("numbered, first of 100") << numbered << "/m/x.mp3" << 0 << 100 << "001 x";
        QTest::newRow("numbered, 150th of 150") << numbered << "/m/x.mp3" << 149 << 150 << "150 x";
        QTest::newRow("numbered, 1000th of 1000") << numbered << "/m/x.mp3" << 999 << 1000 << "1000 x";
        QTest::newRow("folder") << folder << "/Música/Grandes éxitos/a.mp3" << 0 << 1 << "Grandes éxitos";
        QTest::newRow("folder, doubled slash") << folder << "/Música//a.mp3" << 0 << 1 << "Música";
        QTest::newRow("folder, root") << folder << "/a.mp3" << 0 << 1 << "/";
        QTest::newRow("typed stays whole") << "mi valor" << "/m/x.mp3" << 3 << 9 << "mi valor";
        QTest::newRow("a choice in other letters is typed") << "nombre de fichero" << "/m/x.mp3" << 0 << 1
                                                            << "nombre de fichero";
        QTest::newRow("a choice with more is typed") << "Nombre de carpeta!" << "/m/x.mp3" << 0 << 1
                                                     << "Nombre de carpeta!";
    }
    void massValue()
    {
        QFETCH(QString, text);
        QFETCH(QString, path);
        QFETCH(int, position);
        QFETCH(int, count);
        QFETCH(QString, value);
        QCOMPARE(MassValueFor(MassValueOf(text), text, path, position, count), value);
    }

    void massFieldAndGenres()
    {
        TID3v1 v1;
        TID3v2 v2;
        const std::string value = std::string(35, 'v') + "  ";
        for (MassField field : {MassField::Title, MassField::Artist, MassField::Album, MassField::Comment}) {
            SetMassField(v1, field, value);
            SetMassField(v2, field, value);
        }
        for (const std::string *text : {&v1.Title(), &v1.Artist(), &v1.Album(), &v1.Comment()})
            QCOMPARE(*text, std::string(30, 'v'));
        for (const std::string *text : {&v2.Title(), &v2.Artist(), &v2.Album(), &v2.Comment()})
            QCOMPARE(*text, std::string(35, 'v'));
        SetMassField(v2, MassField::Comment, "");
        QCOMPARE(v2.Comment(), std::string());

        QCOMPARE(GenreTextOf(17), std::string("Rock"));
        QCOMPARE(GenreTextOf(0), std::string("Blues"));
        QCOMPARE(GenreTextOf(255), std::string());
        QCOMPARE(GenreTextOf(200), std::string());
        QCOMPARE(int(GenreIndexOf("Pop")), 13);
        QCOMPARE(int(GenreIndexOf("rOCK")), 17);
        QCOMPARE(int(GenreIndexOf("Synthpop")), 147);
        QCOMPARE(int(GenreIndexOf("")), 255);
        QCOMPARE(int(GenreIndexOf("Chillout")), 254);
        QCOMPARE(int(GenreIndexOf("Rock ")), 254);
    }

    void copiesBetweenVersions()
    {
        TID3v2 v2;
        v2.SetTitle(std::string(40, 't'));
        v2.SetArtist("Artista");
        v2.SetAlbum("Álbum");
        v2.SetYear("199912");
        v2.SetComment("c");
        v2.SetTrack(150);
        v2.SetGenre("pop");
        TID3v1 v1;
        CopyV2ToV1(v2, v1);
        QCOMPARE(v1.Title(), std::string(30, 't'));
        QCOMPARE(v1.Artist(), std::string("Artista"));
        QCOMPARE(v1.Album(), v2.Album());
        QCOMPARE(v1.Year(), std::string("1999"));
        QCOMPARE(v1.Comment(), std::string("c"));
        QCOMPARE(int(v1.Track()), 150);
        QCOMPARE(int(v1.GenreIndex()), 13);

        // Genres go by name both ways: none is none, a text without a name 254.
        for (const auto &[text, number] : {std::pair<const char *, int>{"", 255}, {"Chillout", 254}}) {
            v2.SetGenre(text);
            CopyV2ToV1(v2, v1);
            QCOMPARE(int(v1.GenreIndex()), number);
        }

        TID3v2 back;
        back.SetGenre("old");
        v1.SetGenreIndex(255);
        CopyV1ToV2(v1, back);
        QCOMPARE(back.Title(), v1.Title());
        QCOMPARE(back.Year(), std::string("1999"));
        QCOMPARE(int(back.Track()), 150);
        QCOMPARE(back.Genre(), std::string());
        v1.SetGenreIndex(17);
        CopyV1ToV2(v1, back);
        QCOMPARE(back.Genre(), std::string("Rock"));
    }
};

QTEST_GUILESS_MAIN(TestTagRename)
#include "tst_tagrename.moc"
