// Rename operations through the user's journal: a kill at any moment of a rotation is put
// right at the next start, the last operation of each page is undone after a restart, and
// entries changed since are listed rather than undone.
#include "platform/paths.h"
#include "rename/renamejournal.h"
#include "rename/renameplan.h"
#include "tests/support/testdir.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList Numbered(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("f%1").arg(i, 4, 10, QLatin1Char('0')));
    return names;
}

std::vector<RenameStep> Plan(const TestDir &dir, const QStringList &from, const QStringList &to)
{
    std::vector<SelectedEntry> entries;
    for (const QString &name : from)
        entries.push_back({FileEntry::Kind::File, name});
    return PlanRenames(dir.Native(), entries, to);
}

// Runs the renames in a process of their own, as the program would; gives its pid, or
// waits for it when `wait`.
pid_t RenameInChild(const TestDir &dir, const QStringList &from, const QStringList &to, RenamePage page, bool wait)
{
    const std::vector<RenameStep> plan = Plan(dir, from, to);
    const pid_t pid = ::fork();
    if (pid == 0) {
        RenameJournal journal(page, dir.Native());
        ApplyRenames(plan, {}, &journal);
        ::_exit(0);
    }
    if (wait && pid > 0)
        ::waitpid(pid, nullptr, 0);
    return pid;
}

// Which name each file's bytes (its first name) are under now.
QMap<QString, QString> WhereEach(const TestDir &dir)
{
    QMap<QString, QString> where;
    for (const QByteArray &name : dir.NativeNames())
        where.insert(QString::fromUtf8(dir.Read(PathFromNative(name))), PathFromNative(name));
    return where;
}

} // namespace

class TestRenameJournal : public QObject {
    Q_OBJECT
    QTemporaryDir state_;

private slots:
    void init()
    {
        // A journal of the test's own: every test starts without records.
        QVERIFY(state_.isValid());
        const QString folder = state_.filePath(QString::fromLatin1(QTest::currentTestFunction()) + u'-'
                                               + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        qputenv("XDG_STATE_HOME", QFile::encodeName(folder));
    }

    // A rotation of 1,000 files killed at random moments: after the next start every file is
    // under its old name or every file under its new one, and nothing else is in the folder.
    void killDuringRotation()
    {
        const QStringList names = Numbered(1000);
        const QStringList next = names.mid(1) + names.mid(0, 1);
        qint64 whole = 0;
        {
            TestDir dir;
            for (const QString &name : names)
                dir.CreateFile(name, name.toUtf8());
            QElapsedTimer timer;
            timer.start();
            RenameInChild(dir, names, next, RenamePage::Renamer, true);
            whole = timer.nsecsElapsed() / 1000;
        }
        int allOld = 0, allNew = 0, finished = 0, undone = 0;
        for (int run = 0; run < 30; ++run) {
            TestDir dir;
            for (const QString &name : names)
                dir.CreateFile(name, name.toUtf8());
            const pid_t pid = RenameInChild(dir, names, next, RenamePage::Renamer, false);
            QVERIFY(pid > 0);
            ::usleep(useconds_t(QRandomGenerator::global()->bounded(whole + whole / 4 + 1)));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);

            const RenameRecovery recovery = RecoverInterruptedRenames();
            QCOMPARE(recovery.failed, Failures());
            finished += recovery.finished;
            undone += recovery.undone;
            const QMap<QString, QString> where = WhereEach(dir);
            QCOMPARE(where.size(), names.size());
            QStringList now = where.values();
            now.sort();
            QCOMPARE(now, names); // no temporary name left, nothing lost
            bool old = true, moved = true;
            for (qsizetype i = 0; i < names.size(); ++i) {
                old = old && where.value(names[i]) == names[i];
                moved = moved && where.value(names[i]) == next[i];
            }
            QVERIFY2(old || moved, qPrintable(QStringLiteral("run %1: a mix").arg(run)));
            allOld += old;
            allNew += moved;
            // Nothing is left to put right.
            const RenameRecovery again = RecoverInterruptedRenames();
            QCOMPARE(again.finished + again.undone, 0);
        }
        qInfo("killed rotations: %d under the old names, %d under the new ones; %d finished and %d undone "
              "at the next start",
              allOld, allNew, finished, undone);
    }

    // A crash after the first of two renames: the next start finishes the operation, or, when
    // a file has since taken the name the second one needs, takes the first one back.
    void crashAfterTheFirstRename_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("finished") << false << QStringList{"q", "t"};
        QTest::newRow("undone") << true << QStringList{"p", "s", "t"};
    }
    void crashAfterTheFirstRename()
    {
        QFETCH(bool, blocked);
        QFETCH(QStringList, after);
        TestDir dir;
        dir.CreateFile(QStringLiteral("p"), "P");
        dir.CreateFile(QStringLiteral("s"), "S");
        const std::vector<RenameStep> plan = Plan(dir, {"p", "s"}, {"q", "t"});
        const pid_t pid = ::fork();
        if (pid == 0) {
            RenameJournal journal(RenamePage::Renamer, dir.Native());
            ApplyRenames(plan, [](int done) { return done < 1 || ::raise(SIGKILL) != 0; }, &journal);
            ::_exit(0);
        }
        ::waitpid(pid, nullptr, 0);
        QCOMPARE(dir.NativeNames(), (QByteArrayList{"q", "s"}));
        if (blocked)
            dir.CreateFile(QStringLiteral("t"), "T");
        const RenameRecovery recovery = RecoverInterruptedRenames();
        QCOMPARE(recovery.finished, blocked ? 0 : 1);
        QCOMPARE(recovery.undone, blocked ? 1 : 0);
        QStringList names;
        for (const QByteArray &name : dir.NativeNames())
            names.append(QString::fromUtf8(name));
        QCOMPARE(names, after);
        QCOMPARE(dir.Read(after.first()), QByteArray("P"));
        QCOMPARE(LastRenameOf(RenamePage::Renamer).count, blocked ? 0 : 2); // a finished one can be undone
    }

    // The last operation of each page is undone after a restart: a chain and a swap come
    // back, and a later operation of the same page replaces the one that can be undone.
    void undoAfterRestart()
    {
        TestDir dir;
        for (const QString name : {"a", "b", "c", "d", "e"})
            dir.CreateFile(name, name.toUtf8());
        RenameInChild(dir, {"a", "b", "c", "d"}, {"b", "x", "d", "c"}, RenamePage::Renamer, true);
        QCOMPARE(WhereEach(dir), (QMap<QString, QString>{{"a", "b"}, {"b", "x"}, {"c", "d"}, {"d", "c"}, {"e", "e"}}));
        RenameInChild(dir, {"e"}, {"tag"}, RenamePage::Tags, true);

        const LastRename last = LastRenameOf(RenamePage::Renamer);
        QCOMPARE(last.count, 4);
        QCOMPARE(last.folder, dir.Native());
        QCOMPARE(LastRenameOf(RenamePage::Tags).count, 1);
        int undone = 0;
        QCOMPARE(UndoLastRename(RenamePage::Renamer, {}, &undone), Failures());
        QCOMPARE(undone, 4);
        QCOMPARE(WhereEach(dir), (QMap<QString, QString>{{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"e", "tag"}}));
        QCOMPARE(LastRenameOf(RenamePage::Renamer).count, 0);
        QCOMPARE(UndoLastRename(RenamePage::Renamer), Failures()); // nothing left: nothing happens
        QCOMPARE(LastRenameOf(RenamePage::Tags).count, 1);

        RenameInChild(dir, {"a"}, {"a1"}, RenamePage::Tags, true);
        QCOMPARE(LastRenameOf(RenamePage::Tags).count, 1);
        QCOMPARE(UndoLastRename(RenamePage::Tags), Failures());
        QCOMPARE(WhereEach(dir).value("a"), QStringLiteral("a"));
        QCOMPARE(WhereEach(dir).value("e"), QStringLiteral("tag")); // the earlier one is gone
    }

    // A journal that cannot be used (here: others may write its folder) keeps no record: a
    // chain is renamed all the same, a swap, which would wait under a temporary name, fails.
    void withoutJournal()
    {
        const QByteArray state = qgetenv("XDG_STATE_HOME") + "/CarventoUtilities";
        QVERIFY(QDir().mkpath(QFile::decodeName(state)));
        QVERIFY(::chmod(state.constData(), 0777) == 0);
        TestDir dir;
        for (const QString name : {"1", "2", "a", "b"})
            dir.CreateFile(name, name.toUtf8());
        RenameJournal journal(RenamePage::Renamer, dir.Native());
        const Failures failed = ApplyRenames(Plan(dir, {"1", "2", "a", "b"}, {"2", "3", "b", "a"}), {}, &journal);
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed[0].name, QStringLiteral("a"));
        QCOMPARE(failed[1].name, QStringLiteral("b"));
        QCOMPARE(WhereEach(dir), (QMap<QString, QString>{{"1", "2"}, {"2", "3"}, {"a", "a"}, {"b", "b"}}));
        QCOMPARE(LastRenameOf(RenamePage::Renamer).count, 0);
    }

    // An entry renamed or replaced since is listed by its present name, the others come back.
    void undoAfterChangesBySomeoneElse()
    {
        TestDir dir;
        for (const QString name : {"a", "b", "c", "taken"})
            dir.CreateFile(name, name.toUtf8());
        RenameInChild(dir, {"a", "b", "c", "taken"}, {"x", "y", "z", "t"}, RenamePage::Renamer, true);
        QVERIFY(QFile::rename(dir.FilePath("y"), dir.FilePath("w")));      // renamed meanwhile
        dir.CreateFile(QStringLiteral("z.new"), "other");                   // replaced
        QVERIFY(QFile::remove(dir.FilePath("z")));
        QVERIFY(QFile::rename(dir.FilePath("z.new"), dir.FilePath("z")));
        dir.CreateFile(QStringLiteral("taken"), "new");                     // its old name taken
        int undone = 0;
        QCOMPARE(UndoLastRename(RenamePage::Renamer, {}, &undone),
                 (Failures{{"y", "no existe"}, {"z", "ya no es el mismo fichero"}, {"t", "ya existe"}}));
        QCOMPARE(undone, 1);
        QCOMPARE(dir.Read("a"), QByteArray("a"));
        QCOMPARE(dir.Read("w"), QByteArray("b"));
        QCOMPARE(dir.Read("z"), QByteArray("other"));
        QCOMPARE(dir.Read("t"), QByteArray("taken"));
        QCOMPARE(dir.Read("taken"), QByteArray("new"));
        QCOMPARE(LastRenameOf(RenamePage::Renamer).count, 0);
    }
};

QTEST_GUILESS_MAIN(TestRenameJournal)
#include "tst_renamejournal.moc"
