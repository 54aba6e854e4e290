// The rename plan on disk: chains and cycles go through, a name held by an entry the
// operation does not move away is never replaced, nothing is lost and no temporary name stays.
#include "platform/paths.h"
#include "rename/renameplan.h"
#include "tests/support/immutable.h"
#include "tests/support/testdir.h"

#include <QFile>
#include <QMap>
#include <QTest>

#include <unistd.h>

namespace {

// "a>b" renames the file a to b, "a/>b" the folder a, "(parent)>b" the list's parent entry;
// every other name is an entry outside the operation. In the folder, "a/" is a folder.
std::vector<RenameStep> Plan(const TestDir &dir, const QStringList &moves)
{
    std::vector<SelectedEntry> entries;
    QStringList names;
    for (const QString &move : moves) {
        const QString entry = move.section(u'>', 0, 0);
        if (entry == u"(parent)")
            entries.push_back({FileEntry::Kind::Parent, FileEntry::ParentCaption});
        else if (entry.endsWith(u'/'))
            entries.push_back({FileEntry::Kind::Folder, entry.chopped(1)});
        else
            entries.push_back({FileEntry::Kind::File, entry});
        names.append(move.section(u'>', 1));
    }
    return PlanRenames(dir.Native(), entries, names);
}

QMap<QString, QByteArray> Contents(const TestDir &dir)
{
    QMap<QString, QByteArray> contents;
    for (const QByteArray &name : dir.NativeNames())
        contents.insert(PathFromNative(name), dir.Read(PathFromNative(name)));
    return contents;
}

QStringList Range(const QString &prefix, int from, int to) // names prefix0000 … prefix<to - 1>
{
    QStringList names;
    for (int i = from; i < to; ++i)
        names.append(prefix + QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')));
    return names;
}

} // namespace

class TestRenamePlan : public QObject {
    Q_OBJECT
private slots:
    void apply_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("moves");
        QTest::addColumn<QStringList>("failed");    // "name: reason"
        QTest::addColumn<QStringList>("renamedTo"); // where each moved file's bytes end up ("" stays)

        QStringList photos, up, upTo;
        for (int i = 1; i <= 9; ++i) {
            photos << QStringLiteral("%1.jpg").arg(i);
            up << QStringLiteral("%1.jpg>%2.jpg").arg(i).arg(i + 1);
            upTo << QStringLiteral("%1.jpg").arg(i + 1);
        }
        QTest::newRow("numbers one up") << photos << up << QStringList{} << upTo;
        QTest::newRow("swap") << QStringList{"a", "b"} << QStringList{"a>b", "b>a"} << QStringList{}
                              << QStringList{"b", "a"};
        QTest::newRow("three-cycle") << QStringList{"a", "b", "c"} << QStringList{"a>b", "b>c", "c>a"}
                                     << QStringList{} << QStringList{"b", "c", "a"};
        QTest::newRow("chain onto a file outside")
            << QStringList{"a", "b", "c"} << QStringList{"a>b", "b>c"}
            << QStringList{"a: ya existe", "b: ya existe"} << QStringList{"", ""};
        QTest::newRow("a chain and a swap, in any order")
            << QStringList{"x", "y", "p", "q"} << QStringList{"p>q", "x>y", "q>p", "y>z"} << QStringList{}
            << QStringList{"q", "y", "p", "z"};
        QTest::newRow("the same new name twice")
            << QStringList{"a", "b"} << QStringList{"a>n", "b>n"} << QStringList{"b: el nombre nuevo está repetido"}
            << QStringList{"n", ""};
        QTest::newRow("a cycle member gone meanwhile")
            << QStringList{"a", "c"} << QStringList{"a>b", "b>c", "c>a"} << QStringList{"b: no existe"}
            << QStringList{"b", "", "a"};
        QTest::newRow("onto a name that stays") << QStringList{"a", "b"} << QStringList{"a>b", "b>b"}
                                                << QStringList{"a: ya existe"} << QStringList{"", "b"};
        QTest::newRow("onto its own name") << QStringList{"a"} << QStringList{"a>a"} << QStringList{}
                                           << QStringList{"a"};
        QTest::newRow("another file's name in other letters")
            << QStringList{"a.txt", "b.txt"} << QStringList{"b.txt>A.TXT"} << QStringList{} << QStringList{"A.TXT"};
        QTest::newRow("an entry gone meanwhile") << QStringList{"b"} << QStringList{"a>x", "b>y"}
                                                 << QStringList{"a: no existe"} << QStringList{"", "y"};
        QTest::newRow("the parent entry") << QStringList{"a"} << QStringList{"(parent)>up", "a>z"}
                                          << QStringList{" <- Anterior: no es un fichero ni una carpeta"}
                                          << QStringList{"", "z"};
        QTest::newRow("a file named like the parent entry")
            << QStringList{" <- Anterior"} << QStringList{" <- Anterior>ok"} << QStringList{} << QStringList{"ok"};
        QTest::newRow("a folder") << QStringList{"album/", "x"} << QStringList{"album/>disco"} << QStringList{}
                                  << QStringList{"disco"};
        QTest::newRow("names that never reach the file system")
            << QStringList{"a", "b", "c", "d", "e", "f", "g"}
            << QStringList{"a>.", "b>..", "c>", QStringLiteral("d>x") + QChar(0) + "y", "e>sub/x",
                           "f>" + QString(300, u'x'), "g>x\ty\x01"}
            << QStringList{"a: nombre no válido", "b: nombre no válido", "c: falta el nombre nuevo",
                           "d: nombre no válido", "e: nombre no válido", "f: nombre demasiado largo",
                           "g: el nombre tiene caracteres de control"}
            << QStringList(7, QString());
        QTest::newRow("typed names may start with a dot or hold an asterisk")
            << QStringList{"a", "b"} << QStringList{"a>.a", "b>a*b"} << QStringList{} << QStringList{".a", "a*b"};

        // 1,000 files, every name to the next: once whole, once with one file outside the
        // operation holding the name the chain needs, which leaves every file where it was.
        const QStringList ring = Range(QStringLiteral("r"), 0, 1000);
        QStringList rotation, rotated;
        for (int i = 0; i < 1000; ++i) {
            rotation << ring[i] + u'>' + ring[(i + 1) % 1000];
            rotated << ring[(i + 1) % 1000];
        }
        QTest::newRow("rotation of 1000") << ring << rotation << QStringList{} << rotated;
        QStringList blocked = rotation;
        blocked.removeAt(500); // r0500 stays: the one outside
        QStringList failed, unmoved(999, QString());
        for (const QString &move : blocked)
            failed << move.section(u'>', 0, 0) + QStringLiteral(": ya existe");
        QTest::newRow("rotation of 1000 blocked by one outside") << ring << blocked << failed << unmoved;
    }
    void apply()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, moves);
        QFETCH(QStringList, failed);
        QFETCH(QStringList, renamedTo);
        TestDir dir;
        for (const QString &file : files)
            file.endsWith(u'/') ? dir.CreateDir(file.chopped(1)) : dir.CreateFile(file, file.toUtf8());
        const QMap<QString, QByteArray> before = Contents(dir);

        const std::vector<RenameStep> plan = Plan(dir, moves);
        QStringList reported;
        for (const Failure &failure : ApplyRenames(plan))
            reported << failure.name + QStringLiteral(": ") + failure.reason;
        QCOMPARE(reported, failed);

        const QMap<QString, QByteArray> after = Contents(dir);
        for (qsizetype i = 0; i < moves.size(); ++i) {
            QString from = moves[i].section(u'>', 0, 0);
            if (from.endsWith(u'/'))
                from.chop(1);
            if (!before.contains(from))
                continue;
            const QString at = renamedTo[i].isEmpty() ? from : renamedTo[i];
            QVERIFY2(after.contains(at) && after.value(at) == before.value(from), qPrintable(moves[i]));
        }
        // Nothing lost, nothing added: the same contents under as many names, none temporary.
        QCOMPARE(after.size(), before.size());
        QMultiMap<QByteArray, int> a, b;
        for (const QByteArray &bytes : before)
            a.insert(bytes, 0);
        for (const QByteArray &bytes : after)
            b.insert(bytes, 0);
        QCOMPARE(b.keys(), a.keys());
    }

    void drivesCannotBeRenamed()
    {
        const std::vector<RenameStep> plan =
            PlanRenames(QByteArray(), {{FileEntry::Kind::Drive, QStringLiteral("/")}}, {QStringLiteral("x")});
        QCOMPARE(ApplyRenames(plan), (Failures{{"/", "no es un fichero ni una carpeta"}}));
    }

    // A member of a cycle that cannot move (its folder is locked) fails with its reason; the
    // members already moved go back, so the whole swap keeps its old names.
    void cycleThatCannotFinishIsUndone()
    {
        TestDir dir;
        dir.CreateFile(QStringLiteral("open/x"), "X");
        dir.CreateFile(QStringLiteral("locked/y"), "Y");
        const QString locked = dir.FilePath(QStringLiteral("locked"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        const bool asRoot = ::geteuid() == 0;
        if (asRoot && !SetImmutable(locked, true)) {
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("root changes every folder, and this file system cannot lock one");
        }
        const QByteArray x = dir.Native() + "open/x";
        const QByteArray y = dir.Native() + "locked/y";
        const std::vector<RenameStep> plan{{QStringLiteral("x"), QStringLiteral("y"), x, y, {}},
                                           {QStringLiteral("y"), QStringLiteral("x"), y, x, {}}};
        const Failures failures = ApplyRenames(plan);
        if (asRoot)
            SetImmutable(locked, false);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(failures, (Failures{{"x", "el intercambio de nombres no se pudo completar"},
                                     {"y", "permiso denegado"}}));
        QCOMPARE(dir.Read(QStringLiteral("open/x")), QByteArray("X"));
        QCOMPARE(dir.Read(QStringLiteral("locked/y")), QByteArray("Y"));
        QCOMPARE(dir.NativeNames("open"), QByteArrayList{"x"});
    }
};

QTEST_GUILESS_MAIN(TestRenamePlan)
#include "tst_renameplan.moc"
