#include "tagtestutil.h"

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/SafeSave.h"

#include <QRandomGenerator>

#include <csignal>
#include <sys/mount.h>
#include <sys/wait.h>

using cvtags::SaveStep;

namespace {

int g_stopAt = -1;                      // the step a save stops after, as at a power cut
bool g_reached = false;
std::function<void(SaveStep)> g_onStep; // something another program does meanwhile

bool Hook(SaveStep step)
{
    if (g_onStep)
        g_onStep(step);
    if (int(step) != g_stopAt)
        return true;
    g_reached = true;
    return false;
}

struct HookGuard {
    explicit HookGuard(int stopAt, std::function<void(SaveStep)> onStep = {})
    {
        g_stopAt = stopAt;
        g_reached = false;
        g_onStep = std::move(onStep);
        cvtags::SetSaveHook(&Hook);
    }
    ~HookGuard()
    {
        cvtags::SetSaveHook(nullptr);
        g_onStep = {};
        g_stopAt = -1;
    }
};

} // namespace

// Writers killed or stopped at any moment: the file holds the old tag or the new one with
// the audio untouched, and nothing of the writer stays in the folder once the next write
// of the file has run. A read finishes a save in place that was cut short (the tag's
// header carries its mark) and leaves the rest to the writes, so that it never has to
// look beside a file.
class TestTagCrash : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QByteArray audio_ = Audio(200000);
    const QByteArray longTitle_ = QByteArray(3000, 'L');

    // Every entry of the folder, hidden ones included, except `file`.
    static QStringList Others(const QString &file)
    {
        const QFileInfo info(file);
        QStringList names = QDir(info.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                        | QDir::NoDotAndDotDot);
        names.removeAll(info.fileName());
        return names;
    }

    static bool Save(const QString &file, const QByteArray &title)
    {
        TID3v2 t;
        if (title.isNull())
            return t.DeleteTag(P(file));
        t.SetTitle(S(title));
        return t.WriteTag(P(file));
    }

    // A child process that saves tags of `file` in a loop until it is killed.
    [[noreturn]] static void SaveForever(const QString &file, const QList<QByteArray> &titles)
    {
        for (int i = 0;; ++i)
            Save(file, titles[i % titles.size()]);
    }

    // A fresh folder holding `name` with a tag titled "Old" that has room for more.
    QString Fresh(const QString &name, QTemporaryDir &folder)
    {
        const QString file = folder.filePath(name);
        if (!WriteFile(file, audio_) || !Save(file, "Old"))
            qFatal("cannot make %s", qPrintable(file));
        return file;
    }

private slots:
    void killedWriter()
    {
        const QString file = dir_.filePath("killed.mp3");
        QVERIFY(WriteFile(file, audio_));
        // Fits, grows, fits again, removed: every kind of save takes its turn.
        const QList<QByteArray> titles{"Short", longTitle_, "Again", QByteArray()};
        // A fixed number of kills, each after a delay drawn from the seed; CV_KILL_SEED=<seed>
        // draws the delays of a failed run again.
        constexpr int Kills = 200;
        const QByteArray given = qgetenv("CV_KILL_SEED");
        const quint32 seed = given.isEmpty() ? QRandomGenerator::global()->generate() : given.toUInt();
        QRandomGenerator random(seed);
        for (int kills = 1; kills <= Kills; ++kills) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0)
                SaveForever(file, titles);
            ::usleep(random.bounded(2500u));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QString where = QString("seed %1, kill %2").arg(seed).arg(kills);
            TID3v2 t;
            QVERIFY2(t.ReadTag(P(file)), qPrintable(where));
            QVERIFY2(titles.contains(Q(t.Title())) || t.Title().empty(), qPrintable(where));
            QVERIFY2(ReadFile(file).mid(t.TagSize()) == audio_, qPrintable(where + ": audio changed"));
            // Removing a version 1 tag the file does not have writes nothing, but tidies.
            QVERIFY2(TID3v1().DeleteTag(P(file)), qPrintable(where));
            QVERIFY2(Others(file).isEmpty(), qPrintable(where + ": " + Others(file).join(", ")));
        }
    }

    // A save stopped after each of its steps: the next call on the file, whatever it is,
    // finds the old tag or the new one, and tidies up.
    void powerCut_data()
    {
        QTest::addColumn<QByteArray>("title");      // null: the tag is removed
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("next");
        QTest::addColumn<bool>("isNew");             // the next call must find the new tag
        struct Kind { const char *name; QByteArray title; QList<SaveStep> steps; };
        const QList<Kind> kinds{
            {"fits", "New", {SaveStep::Read, SaveStep::Marked, SaveStep::RecordWritten, SaveStep::RecordNamed,
                             SaveStep::TagHalfWritten, SaveStep::TagWritten, SaveStep::RecordRemoved}},
            {"grows", longTitle_, {SaveStep::Read, SaveStep::TempWritten, SaveStep::TempNamed, SaveStep::Renamed}},
            {"removal", QByteArray(), {SaveStep::Read, SaveStep::TempWritten, SaveStep::TempNamed,
                                       SaveStep::Renamed}},
        };
        const QStringList nexts{"v2 read", "v1 read", "v2 link read", "v1 write", "v2 write"};
        for (const Kind &kind : kinds)
            for (const SaveStep step : kind.steps)
                for (const QString &next : nexts) {
                    // Once the record is named the new tag is promised; after the rename it is there.
                    const bool isNew = step == SaveStep::RecordNamed || step == SaveStep::TagHalfWritten
                                       || step == SaveStep::TagWritten || step == SaveStep::RecordRemoved
                                       || step == SaveStep::Renamed;
                    QTest::addRow("%s, step %d, %s", kind.name, int(step), qPrintable(next))
                        << kind.title << int(step) << next << isNew;
                }
    }
    void powerCut()
    {
        QFETCH(QByteArray, title);
        QFETCH(int, step);
        QFETCH(QString, next);
        QFETCH(bool, isNew);
        QTemporaryDir folder;
        const QString file = Fresh("cut.mp3", folder);
        {
            HookGuard stop(step);
            Save(file, title);          // stopped, or done with only the tidying left
            QVERIFY(g_reached);
        }
        TID3v1 v1;
        TID3v2 v2;
        QTemporaryDir elsewhere;
        const QString link = elsewhere.filePath("link.mp3");
        if (next == "v2 read")
            QVERIFY(v2.ReadTag(P(file)));
        else if (next == "v2 link read")
            QVERIFY(QFile::link(file, link) && v2.ReadTag(P(link)));
        else if (next == "v1 read")
            QVERIFY(v1.ReadTag(P(file)));
        else if (next == "v1 write")
            QVERIFY(v1.WriteTag(P(file)));
        else
            QVERIFY(Save(file, "Old"));
        // A rewrite cut short between naming its copy and the rename leaves the copy, hidden,
        // until the next write: the file itself is whole, so a read does not look for it.
        const bool copyLeft = step == int(SaveStep::TempNamed) && next.endsWith("read");
        QCOMPARE(Others(file), copyLeft ? QStringList{".cut.mp3.cvtag"} : QStringList());
        if (next == "v2 write")
            QVERIFY(!cvtags::SaveMarked(S(ReadFile(file).left(10))));
        QVERIFY(v2.ReadTag(P(file)));
        const QByteArray expected = next == "v2 write" ? QByteArray("Old") : isNew ? title : QByteArray("Old");
        QCOMPARE(Q(v2.Title()), expected.isNull() ? QByteArray("") : expected);
        QCOMPARE(v2.Present(), !expected.isNull());
        const QByteArray bytes = ReadFile(file);
        QCOMPARE(bytes.mid(v2.TagSize(), audio_.size()), audio_);
        QCOMPARE(bytes.size() - v2.TagSize() - audio_.size(), next == "v1 write" ? 128 : 0);
    }

    // What the next call finds beside the file that is not a record it can apply.
    void strangeRecord_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file replaced meanwhile") << "replaced";
        QTest::newRow("file grew meanwhile") << "grew";
        QTest::newRow("file edited meanwhile") << "edited";
        QTest::newRow("torn record") << "torn";
        QTest::newRow("another program's file") << "foreign";
    }
    void strangeRecord()
    {
        QFETCH(QString, kind);
        QTemporaryDir folder;
        const QString file = Fresh("strange.mp3", folder);
        const QString record = folder.filePath(".strange.mp3.cvtag");
        if (kind == "torn" || kind == "foreign") {
            QVERIFY(WriteFile(record, kind == "torn" ? B("CVTAGREC\x01\x02") : B("notes of mine")));
        } else {
            HookGuard stop(int(SaveStep::RecordNamed));
            QVERIFY(!Save(file, "New"));
        }
        QByteArray before = ReadFile(file);
        if (kind == "replaced") {
            QVERIFY(WriteFile(file + ".new", before) && ::rename(qPrintable(file + ".new"), qPrintable(file)) == 0);
        } else if (kind == "grew") {
            before += "x";
            QVERIFY(WriteFile(file, before));
        } else if (kind == "edited") {
            before[20] = 'Z';
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(20) && f.write("Z", 1) == 1);
        }
        TID3v2 t;
        QVERIFY(t.ReadTag(P(file)));
        QCOMPARE(ReadFile(file), before);
        // A read looks beside the file only when its tag carries a save's mark.
        QCOMPARE(QFile::exists(record), kind == "foreign" || kind == "torn");
        // A save still works; another program's file under the record's name stays as it is.
        QVERIFY(Save(file, "Newer"));
        QVERIFY(t.ReadTag(P(file)) && t.Title() == "Newer");
        QCOMPARE(Others(file), kind == "foreign" ? QStringList{".strange.mp3.cvtag"} : QStringList());
        if (kind == "foreign")
            QCOMPARE(ReadFile(record), B("notes of mine"));
    }

    // Bad input: the save fails and the file keeps its content (here: what the other
    // program made of it).
    void changedMeanwhile_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<bool>("replace");
        QTest::newRow("fits, file grows") << QByteArray("New") << false;
        QTest::newRow("grows, file grows") << longTitle_ << false;
        QTest::newRow("fits, file replaced") << QByteArray("New") << true;
        QTest::newRow("grows, file replaced") << longTitle_ << true;
    }
    void changedMeanwhile()
    {
        QFETCH(QByteArray, title);
        QFETCH(bool, replace);
        QTemporaryDir folder;
        const QString file = Fresh("changed.mp3", folder);
        QByteArray after = ReadFile(file);
        if (replace)
            after = "another file";
        else
            after += "more";
        HookGuard meanwhile(-1, [&](SaveStep step) {
            if (step != SaveStep::Read)
                return;
            if (replace) {
                WriteFile(file + ".other", after);
                ::rename(qPrintable(file + ".other"), qPrintable(file));
            } else {
                QFile f(file);
                if (f.open(QIODevice::Append))
                    f.write("more");
            }
        });
        QVERIFY(!Save(file, title));
        QCOMPARE(ReadFile(file), after);
        QCOMPARE(Others(file), QStringList());
    }

    // A folder that cannot be written: no record and no temporary file can be made there.
    void readOnlyFolder_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("fits") << QByteArray("New");
        QTest::newRow("grows") << longTitle_;
        QTest::newRow("removal") << QByteArray();
    }
    void readOnlyFolder()
    {
        QFETCH(QByteArray, title);
        QTemporaryDir folder;
        const QString file = Fresh("locked.mp3", folder);
        const QByteArray before = ReadFile(file);
        // The owner, or root, may still write into a folder without write permission; an
        // immutable folder refuses everyone.
        const bool immutable = ::geteuid() == 0 && SetImmutable(folder.path(), true);
        if (!immutable && (::geteuid() == 0 || ::chmod(qPrintable(folder.path()), 0555) != 0))
            QSKIP("cannot make a folder read-only here");
        const bool saved = Save(file, title);
        if (immutable)
            SetImmutable(folder.path(), false);
        ::chmod(qPrintable(folder.path()), 0755);
        QVERIFY(!saved);
        QCOMPARE(ReadFile(file), before);
        QCOMPARE(Others(file), QStringList());
    }

    void fullDisk_data() { readOnlyFolder_data(); }
    void fullDisk()
    {
        QFETCH(QByteArray, title);
        QTemporaryDir folder;
        if (::mount("tmpfs", qPrintable(folder.path()), "tmpfs", 0, "size=1m") != 0)
            QSKIP("cannot mount a small file system here (needs root)");
        const QString file = Fresh("full.mp3", folder);
        const QByteArray before = ReadFile(file);
        {
            QFile filler(folder.filePath("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        const bool saved = Save(file, title);
        const QByteArray after = ReadFile(file);
        const QStringList others = Others(file);
        ::umount2(qPrintable(folder.path()), MNT_DETACH);
        QVERIFY(!saved);
        QCOMPARE(after, before);
        QCOMPARE(others, QStringList{"filler"});
    }
};

QTEST_GUILESS_MAIN(TestTagCrash)
#include "tst_tagcrash.moc"
