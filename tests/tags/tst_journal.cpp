#include "tagtestutil.h"

#include "tags/Journal.h"
#include "tags/TagError.h"

#include <sys/wait.h>

using cvtags::Journal;

// The per-user journal on its own: where it lives, whom it trusts, what survives a torn write,
// and the lock between running instances.
class TestJournal : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void folder_data()
    {
        QTest::addColumn<QString>("stateHome");
        QTest::addColumn<QString>("expected");       // relative to the temporary folder
        QTest::newRow("state home") << "STATE/deep" << "STATE/deep/CarventoUtilities";
        QTest::newRow("relative state home ignored") << "relative/state" << "home/.local/state/CarventoUtilities";
        QTest::newRow("unset") << "" << "home/.local/state/CarventoUtilities";
    }
    void folder()
    {
        QFETCH(QString, stateHome);
        QFETCH(QString, expected);
        const QByteArray oldHome = qgetenv("HOME"), oldState = qgetenv("XDG_STATE_HOME");
        qputenv("HOME", dir_.filePath("home").toLocal8Bit());
        if (stateHome.isEmpty())
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME", (stateHome.startsWith("relative") ? stateHome : dir_.filePath(stateHome)).toLocal8Bit());
        Journal *journal = Journal::User();
        qputenv("HOME", oldHome);
        qputenv("XDG_STATE_HOME", oldState);
        QVERIFY(journal);
        QCOMPARE(QString::fromStdString(journal->Folder().string()), dir_.filePath(expected));
        QCOMPARE(ModeOf(dir_.filePath(expected)), mode_t(0700));
        QCOMPARE(ModeOf(QFileInfo(dir_.filePath(expected)).path()), mode_t(0700));   // made missing: private too
    }

    void refused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("others may write") << "0777";
        QTest::newRow("group may write") << "0770";
        QTest::newRow("a link to a folder") << "link";
        QTest::newRow("another user's") << "owner";
        QTest::newRow("a file") << "file";
    }
    void refused()
    {
        QFETCH(QString, kind);
        QTemporaryDir root;
        const QString folder = root.filePath("CarventoUtilities");
        if (kind == "link") {
            QVERIFY(QDir().mkpath(root.filePath("real")) && QFile::link(root.filePath("real"), folder));
        } else if (kind == "file") {
            QVERIFY(WriteFile(folder, "x"));
        } else {
            QVERIFY(QDir().mkpath(folder));
            if (kind == "owner" && ::chown(qPrintable(folder), 4321, 4321) != 0)
                QSKIP("needs root to give a folder to another user");
            if (kind != "owner")
                QVERIFY(::chmod(qPrintable(folder), kind.toUInt(nullptr, 8)) == 0);
        }
        QVERIFY(!Journal::Open(folder.toStdString()));
        QVERIFY(cvtags::LastError());
    }

    // Chunks are read up to the first that is torn; a record written again never shows the
    // chunks of its earlier content; a cleared record holds nothing.
    void records()
    {
        auto journal = Journal::Open(dir_.filePath("records").toStdString());
        QVERIFY(journal);
        auto record = journal->Create("test");
        QVERIFY(record && QString::fromStdString(record->Name()).startsWith("test-"));
        QVERIFY(record->Write(7, "first", true) && record->Append("second", true) && record->Append("third", false));
        auto again = journal->Claim(record->Name());
        QVERIFY(!again);                                         // held by this one
        QCOMPARE(cvtags::LastError(), std::make_error_code(std::errc::operation_would_block));
        std::vector<std::string> chunks;
        QVERIFY(record->Read(chunks));
        QCOMPARE(chunks, (std::vector<std::string>{"first", "second", "third"}));
        QCOMPARE(record->Kind(), 7u);
        const QString path = QString::fromStdString((journal->Folder() / record->Name()).string());
        QVERIFY(QFile(path).resize(QFile(path).size() - 3));
        QVERIFY(record->Read(chunks));
        QCOMPARE(chunks, (std::vector<std::string>{"first", "second"}));
        QVERIFY(record->Write(8, "new", true));
        QVERIFY(record->Read(chunks));
        QCOMPARE(chunks, std::vector<std::string>{"new"});
        QVERIFY(record->Clear(false));
        QVERIFY(!record->Read(chunks));
        QCOMPARE(journal->List("test"), std::vector<std::string>{record->Name()});
        QVERIFY(record->Remove(true));
        QVERIFY(journal->List("test").empty());
    }

    // A record of another running process is not claimed until that process is gone.
    void lockBetweenProcesses()
    {
        auto journal = Journal::Open(dir_.filePath("locks").toStdString());
        QVERIFY(journal);
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            auto record = journal->Create("live");
            const bool ok = record && record->Write(1, "busy", true);
            const std::string name = ok ? record->Name() : std::string();
            (void)!::write(ready[1], name.c_str(), name.size() + 1);
            ::sleep(30);
            ::_exit(0);
        }
        char name[64] = {};
        QVERIFY(::read(ready[0], name, sizeof name) > 1);
        QVERIFY(!journal->Claim(name));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        auto claimed = journal->Claim(name);
        QVERIFY(claimed);
        std::vector<std::string> chunks;
        QVERIFY(claimed->Read(chunks) && chunks == std::vector<std::string>{"busy"});
        ::close(ready[0]);
        ::close(ready[1]);
    }

    void digestInParts_data()
    {
        QTest::addColumn<int>("split");
        for (int split : {0, 1, 7, 8, 9, 63, 100})
            QTest::addRow("split at %d", split) << split;
    }
    void digestInParts()
    {
        QFETCH(int, split);
        const std::string bytes(100, 'x');
        cvtags::Digester d(5);
        d.Update(std::string_view(bytes).substr(0, split));
        d.Update(std::string_view(bytes).substr(split));
        QCOMPARE(d.Value(), cvtags::Digest64(bytes, 5));
        QVERIFY(cvtags::Digest64(bytes, 5) != cvtags::Digest64(bytes.substr(1), 5));
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
