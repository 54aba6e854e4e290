#include "tagtestutil.h"

#include "nofeatures.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/Journal.h"
#include "tags/SafeSave.h"
#include "tags/SaveGroup.h"
#include "tags/TagError.h"

#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/wait.h>

using cvtags::SaveStep;

namespace {

const QByteArray kLongTitle(3000, 'L');

QString JournalFolder() { return QString::fromStdString(cvtags::Journal::UserFolder().string()); }

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Records left in the journal, other than the empty slot of this process.
QStringList JournalLeftovers()
{
    QStringList left;
    for (const QString &name : Entries(JournalFolder())) {
        const QByteArray bytes = ReadFile(JournalFolder() + "/" + name);
        if (!name.startsWith("tagsave-slot") || bytes.startsWith("CVJOURN1"))
            left << name;
    }
    return left;
}

void CopyFolder(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString &name : Entries(from))
        WriteFile(to + "/" + name, ReadFile(from + "/" + name));
}

// In a child that saves: the step to stop at, as a kill right after it would; before each
// step, what the journal and the files were, for the power cuts that lose the last writes.
int g_stopAt = -1, g_step = 0;
QString g_before;
QStringList g_files;

void StopAt(SaveStep step, const std::filesystem::path &)
{
    if (g_step++ == g_stopAt) {
        WriteFile(g_before + "/step", QByteArray::number(int(step)));
        ::_exit(0);
    }
    CopyFolder(JournalFolder(), g_before + "/journal");
    for (int i = 0; i < g_files.size(); ++i)
        WriteFile(g_before + "/file" + QString::number(i), ReadFile(g_files[i]));
}

// Runs `save` in a child stopped after step `stop`: 0 when it stopped, 1 when it finished first.
int SaveInChild(int stop, const QString &before, const QStringList &files, const std::function<void()> &save,
                bool plain)
{
    const pid_t child = ::fork();
    if (child == 0) {
        g_stopAt = stop;
        g_before = before;
        g_files = files;
        SetPlainFileSystem(plain);
        cvtags::SetSaveObserver(&StopAt);
        save();
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Writes `bytes` into the file itself, so that it keeps its inode.
bool Overwrite(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.resize(bytes.size()) && f.write(bytes) == bytes.size();
}

// A torn write: every other 512-byte block of what changed is the old one.
QByteArray Torn(const QByteArray &before, const QByteArray &after)
{
    QByteArray torn = after;
    for (int at = 512; at < torn.size() && at < before.size(); at += 1024)
        torn.replace(at, std::min(512, int(std::min(before.size(), torn.size()) - at)), before.mid(at, 512));
    return torn;
}

bool Run(const QString &program, const QStringList &arguments, QString *out = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    return true;
}

// A small ext4 file system on a loop device, mounted again on another device on request:
// the device number changes, the inodes stay.
class LoopMount {
public:
    bool Start(const QString &image, const QString &at)
    {
        image_ = image;
        at_ = at;
        QFile f(image);
        if (::geteuid() != 0 || !f.open(QIODevice::WriteOnly) || !f.resize(16 << 20))
            return false;
        f.close();
        return Run("mkfs.ext4", {"-q", "-F", image}) && QDir().mkpath(at) && Attach();
    }
    bool Remount()
    {
        ::sync();
        return ::umount(qPrintable(at_)) == 0 && Attach();  // the old device stays attached: a new number
    }
    ~LoopMount()
    {
        if (!devices_.isEmpty())
            ::umount2(qPrintable(at_), MNT_DETACH);
        for (const QString &device : devices_)
            Run("losetup", {"-d", device});
    }

private:
    bool Attach()
    {
        QString device;
        if (!Run("losetup", {"-f", "--show", image_}, &device))
            return false;
        devices_ << device;
        return Run("mount", {device, at_});
    }
    QString image_, at_;
    QStringList devices_;
};

struct SaveKind {
    QString name;
    int files = 1;
    bool hardLink = false, plain = false, remount = false;
    std::function<void(const QStringList &)> prepare, save;
};

QByteArray Bytes(const QString &file) { return ReadFile(file); }

bool SaveTitle(const QString &file, const QByteArray &title)
{
    TID3v2 t;
    t.ReadTag(P(file));
    t.SetTitle(S(title));
    return t.WriteTag(P(file));
}

} // namespace

// Saves killed or cut off by a power failure after any of their steps: once the program
// starts again every file holds its old content or its new one, nothing of the save is left
// beside the files, and the journal is empty.
class TestTagCrash : public QObject {
    Q_OBJECT

    QTemporaryDir state_;
    const QByteArray audio_ = Audio(200000);

    void MakeTagged(const QString &file, const QByteArray &title)
    {
        if (!WriteFile(file, audio_) || !SaveTitle(file, title))
            qFatal("cannot make %s", qPrintable(file));
    }

    QList<SaveKind> Kinds()
    {
        const auto tagged = [this](const QStringList &files) {
            for (const QString &f : files)
                MakeTagged(f, "Old");
        };
        const auto bare = [this](const QStringList &files) { WriteFile(files[0], audio_); };
        const auto title = [](const QByteArray &t) {
            return [t](const QStringList &files) { SaveTitle(files[0], t); };
        };
        // A tag whose frames move when the title grows: the change spans several sectors.
        const auto wide = [this](const QStringList &files) {
            for (const QString &f : files)
                WriteFile(f, Tag(3, Text("TIT2", "Old") + Frame("PRIV", QByteArray(1500, 'p')) + QByteArray(300, '\0'))
                                 + audio_);
        };
        QList<SaveKind> kinds;
        kinds.append({"fits in a sector", 1, false, false, false, tagged, title("New")});
        kinds.append({"fits, frames move", 1, false, false, false, wide, title("Newer")});
        kinds.append({"grows", 1, false, false, false, tagged, title(kLongTitle)});
        kinds.append({"removal", 1, false, false, false, tagged, [](const QStringList &f) { TID3v2().DeleteTag(P(f[0])); }});
        kinds.append({"first tag", 1, false, false, false, bare, title("New")});
        kinds.append({"grows, hard-linked", 1, true, false, false, tagged, title(kLongTitle)});
        kinds.append({"grows, plain file system", 1, false, true, false, tagged, title(kLongTitle)});
        kinds.append({"version 1 added", 1, false, false, false, tagged, [](const QStringList &f) {
                          TID3v1 v1;
                          v1.SetTitle("One");
                          v1.WriteTag(P(f[0]));
                      }});
        kinds.append({"group of three, both versions", 3, false, false, false, tagged, [](const QStringList &files) {
                          cvtags::SaveGroup group;
                          for (const QString &f : files) {
                              TID3v1 v1;
                              v1.SetTitle("One");
                              v1.WriteTag(P(f));
                              SaveTitle(f, "New");
                          }
                      }});
        kinds.append({"fits, frames move, device renumbered", 1, false, false, true, wide, title("Newer")});
        kinds.append({"grows hard-linked, device renumbered", 1, true, false, true, tagged, title(kLongTitle)});
        return kinds;
    }

    // A folder holding the kind's files, prepared; with `remount`, on a loop device.
    QStringList Prepare(const SaveKind &kind, const QString &folder)
    {
        QStringList files;
        for (int i = 0; i < kind.files; ++i)
            files << folder + QString("/song%1.mp3").arg(i);
        kind.prepare(files);
        if (kind.hardLink && ::link(qPrintable(files[0]), qPrintable(folder + "/other name.mp3")) != 0)
            qFatal("cannot link");
        return files;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit());
        QVERIFY(cvtags::RecoverInterruptedSaves());
    }

    void powerCut_data()
    {
        QTest::addColumn<int>("kind");
        const QList<SaveKind> kinds = Kinds();
        for (int i = 0; i < kinds.size(); ++i)
            QTest::newRow(qPrintable(kinds[i].name)) << i;
    }
    void powerCut()
    {
        QFETCH(int, kind);
        const SaveKind k = Kinds()[kind];
        // What the files hold before and after the save, when nothing interrupts it.
        QTemporaryDir reference;
        const QStringList refFiles = Prepare(k, reference.path());
        QList<QByteArray> olds, news;
        for (const QString &f : refFiles)
            olds << Bytes(f);
        k.save(refFiles);
        for (const QString &f : refFiles)
            news << Bytes(f);
        if (k.name.contains("both versions"))
            for (const QString &f : refFiles) {
                TID3v1 v1;
                TID3v2 v2;
                QVERIFY(v1.ReadTag(P(f)) && v2.ReadTag(P(f)));
                QCOMPARE(Q(v1.Title()) + Q(v2.Title()), QByteArray("OneNew"));
            }
        QVERIFY(olds != news);
        int cuts = 0;
        for (int stop = 0;; ++stop) {
            bool finished = false;
            for (const QString variant : {"as left", "last writes torn", "record not cleared"}) {
                QTemporaryDir folder, before;
                QString where = folder.path();
                LoopMount loop;
                if (k.remount && !loop.Start(folder.filePath("image"), folder.filePath("mount")))
                    QSKIP("needs root and loop devices to change a device number");
                if (k.remount)
                    where = folder.filePath("mount");
                const QStringList files = Prepare(k, where);
                const QStringList entries = Entries(where);
                struct stat was {};
                ::stat(qPrintable(files[0]), &was);
                const int result = SaveInChild(stop, before.path(), files, [&] { k.save(files); }, k.plain);
                QVERIFY(result >= 0);
                if (result == 1) {
                    finished = true;
                    break;
                }
                const auto step = SaveStep(ReadFile(before.filePath("step")).toInt());
                const QString context = QString("%1 after step %2 (%3)").arg(k.name).arg(stop).arg(variant);
                // A variant that does not fit the step: the cut as left, once more.
                const bool fits = variant == "as left" || (variant == "last writes torn" && step == SaveStep::TagWritten)
                                  || (variant == "record not cleared" && step == SaveStep::RecordCleared);
                if (!fits) {
                    QVERIFY(cvtags::RecoverInterruptedSaves());
                    continue;
                }
                if (variant == "last writes torn") {
                    for (int i = 0; i < files.size(); ++i)
                        QVERIFY(Overwrite(files[i], Torn(ReadFile(before.filePath("file" + QString::number(i))),
                                                        ReadFile(files[i]))));
                } else if (variant == "record not cleared") {
                    for (const QString &name : Entries(before.filePath("journal")))
                        QVERIFY(Overwrite(JournalFolder() + "/" + name, ReadFile(before.filePath("journal/" + name))));
                }
                if (k.remount) {
                    QVERIFY(loop.Remount());
                    struct stat now {};
                    QVERIFY(::stat(qPrintable(files[0]), &now) == 0);
                    QVERIFY2(now.st_dev != was.st_dev, "the device number did not change");
                }
                ++cuts;
                QVERIFY(cvtags::RecoverInterruptedSaves());
                for (int i = 0; i < files.size(); ++i) {
                    const QByteArray bytes = ReadFile(files[i]);
                    // Two saves of one file (its version 1 trailer first): each tag old or new.
                    const bool between = k.name.contains("both versions") && bytes == olds[i] + news[i].right(128);
                    QVERIFY2(bytes == olds[i] || bytes == news[i] || between, qPrintable(context + ": file torn"));
                }
                QCOMPARE(Entries(where), entries);
                QVERIFY2(JournalLeftovers().isEmpty(), qPrintable(context + ": " + JournalLeftovers().join(", ")));
            }
            if (finished)
                break;
        }
        QVERIFY(cuts >= 3);
        qInfo("%d cuts", cuts);
    }

    // Writers killed at any moment, again and again, by every kind of save.
    void killedWriter_data()
    {
        QTest::addColumn<bool>("plain");
        QTest::newRow("usual file system") << false;
        QTest::newRow("no unnamed files, attributes or exchange") << true;
    }
    void killedWriter()
    {
        QFETCH(bool, plain);
        QTemporaryDir folder;
        const QString a = folder.filePath("a.mp3"), b = folder.filePath("b.mp3"), c = folder.filePath("c.mp3");
        for (const QString &f : {a, b, c})
            MakeTagged(f, "Old");
        const QList<QByteArray> titles{"Old", "Short", kLongTitle, "Again"};
        // A fixed number of kills, each after a delay drawn from the seed; CV_KILL_SEED=<seed>
        // draws the same delays again.
        constexpr int kKills = 100;
        const QByteArray given = qgetenv("CV_KILL_SEED");
        const quint32 seed = given.isEmpty() ? QRandomGenerator::global()->generate() : given.toUInt();
        QRandomGenerator random(seed);
        for (int kills = 1; kills <= kKills; ++kills) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                SetPlainFileSystem(plain);
                for (int i = 0;; ++i) {
                    const QByteArray &title = titles[i % titles.size()];
                    if (i % 5 == 4)
                        TID3v2().DeleteTag(P(a));
                    else
                        SaveTitle(a, title);
                    TID3v1 v1;
                    v1.SetTitle(S(title.left(30)));
                    if (i % 3 == 0 ? !v1.WriteTag(P(a)) : !v1.DeleteTag(P(a)))
                        continue;
                    cvtags::SaveGroup group;
                    SaveTitle(b, title);
                    SaveTitle(c, title);
                }
            }
            ::usleep(random.bounded(4000u));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QString where = QString("seed %1, kill %2").arg(seed).arg(kills);
            QVERIFY2(cvtags::RecoverInterruptedSaves(), qPrintable(where));
            for (const QString &f : {a, b, c}) {
                TID3v2 t;
                QVERIFY2(t.ReadTag(P(f)), qPrintable(where));
                QVERIFY2(titles.contains(Q(t.Title())) || (f == a && !t.Present()), qPrintable(where + " " + f));
                QByteArray bytes = ReadFile(f).mid(t.TagSize());
                if (bytes.size() == audio_.size() + 128 && bytes.right(128).startsWith("TAG"))
                    bytes.chop(128);
                QVERIFY2(bytes == audio_, qPrintable(where + ": audio changed in " + f));
            }
            QCOMPARE(Entries(folder.path()), QStringList({"a.mp3", "b.mp3", "c.mp3"}));
            QVERIFY2(JournalLeftovers().isEmpty(), qPrintable(where + ": " + JournalLeftovers().join(", ")));
        }
    }

    // What another user, or chance, may have put where a record is looked for: nothing is
    // written, nothing crashes, and the user's files stay as they are.
    void strangeRecords_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"another user's record", "record others may write", "file replaced since",
                                 "link in place of the file", "link in place of the folder", "torn record",
                                 "absurd lengths"})
            QTest::newRow(kind) << QString(kind);
    }
    void strangeRecords()
    {
        QFETCH(QString, kind);
        QTemporaryDir folder, before;
        const QString sub = folder.filePath("music"), file = sub + "/song.mp3";
        QDir().mkpath(sub);
        // Frames that move when the title grows: the save needs a record.
        WriteFile(file, Tag(3, Text("TIT2", "Old") + Frame("PRIV", QByteArray(1500, 'p')) + QByteArray(300, '\0')) + audio_);
        const QByteArray old = ReadFile(file);
        const QStringList beforeRecords = Entries(JournalFolder());
        // A record of a save stopped right after it (before the file was touched): applied, it
        // gives "Newer".
        QCOMPARE(SaveInChild(1, before.path(), {file}, [&] { SaveTitle(file, "Newer"); }, false), 0);
        QStringList records = Entries(JournalFolder());
        for (const QString &name : beforeRecords)
            records.removeAll(name);
        QCOMPARE(records.size(), 1);
        const QString record = JournalFolder() + "/" + records[0];
        QString watched = file;                         // the bytes that must not change
        if (kind == "another user's record") {
            if (::chown(qPrintable(record), 4321, 4321) != 0)
                QSKIP("needs root to give a record to another user");
        } else if (kind == "record others may write") {
            QVERIFY(::chmod(qPrintable(record), 0666) == 0);
        } else if (kind == "file replaced since") {
            QVERIFY(WriteFile(file + ".copy", old) && ::rename(qPrintable(file + ".copy"), qPrintable(file)) == 0);
        } else if (kind == "link in place of the file") {
            watched = folder.filePath("victim.mp3");
            QVERIFY(::rename(qPrintable(file), qPrintable(watched)) == 0 && QFile::link(watched, file));
        } else if (kind == "link in place of the folder") {
            watched = folder.filePath("elsewhere/song.mp3");
            QVERIFY(::rename(qPrintable(sub), qPrintable(folder.filePath("elsewhere"))) == 0
                    && QFile::link(folder.filePath("elsewhere"), sub));
        } else if (kind == "torn record") {
            // Cut inside its chunk, whose length follows the 32-byte header.
            const QByteArray bytes = ReadFile(record);
            quint64 length = 0;
            for (int i = 7; i >= 0; --i)
                length = length << 8 | quint8(bytes[40 + i - 8]);
            QVERIFY(length > 0 && QFile(record).resize(40 + qint64(length) / 2));
        } else {
            // Lengths near 2^64 in every field a record reads.
            QVERIFY(QFile::remove(record));
            auto *journal = cvtags::Journal::User();
            QVERIFY(journal);
            const std::uint64_t huge[] = {~0ULL, 1ULL << 63, (1ULL << 63) + 7, 0xFFFFFFFFULL};
            for (const std::uint64_t n : huge) {
                std::string patch;
                cvtags::PutU64(patch, 1);
                cvtags::PutBytes(patch, file.toStdString());
                for (int i = 0; i < 5; ++i)
                    cvtags::PutU64(patch, i == 4 ? n : 0);           // ino, fs, sizes, offset
                cvtags::PutU64(patch, n);                            // length of the old bytes
                std::string chunk;
                cvtags::PutU64(chunk, n);                            // number of entries
                cvtags::PutBytes(chunk, patch);
                auto r = journal->Create("tagsave-slot");
                QVERIFY(r && r->Write(0x54414753, chunk, true));
                std::string lying;
                cvtags::PutU64(lying, 1);
                cvtags::PutU64(lying, n);                            // an entry longer than the chunk
                lying += patch;
                auto s = journal->Create("tagsave-kept");
                QVERIFY(s && s->Write(0x54414753, lying, true));
                // A chunk whose own length runs past the file.
                auto t = journal->Create("tagsave-slot");
                QVERIFY(t && t->Write(0x54414753, chunk, true));
                QFile f(QString::fromStdString((journal->Folder() / t->Name()).string()));
                QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(32) && f.write(QByteArray(8, '\xFF')) == 8);
            }
        }
        const QByteArray watchedBefore = ReadFile(watched);
        QVERIFY(cvtags::RecoverInterruptedSaves());
        QCOMPARE(ReadFile(watched), watchedBefore);
        QVERIFY(cvtags::RecoverInterruptedSaves());
        const bool foreign = kind == "another user's record" || kind == "record others may write";
        // Not ours to trust, so not ours to remove either; everything else is dropped.
        QCOMPARE(QFile::exists(record), foreign);
        if (foreign)
            QFile::remove(record);
        QCOMPARE(JournalLeftovers(), QStringList());
    }

    // A journal folder that is not the user's own is refused: saves then rewrite the file.
    void untrustedJournal()
    {
        QTemporaryDir other;
        const QString folder = other.filePath("CarventoUtilities");
        QVERIFY(QDir().mkpath(folder) && ::chmod(qPrintable(folder), 0777) == 0);
        qputenv("XDG_STATE_HOME", other.path().toLocal8Bit());
        QTemporaryDir music;
        const QString file = music.filePath("song.mp3");
        MakeTagged(file, "Old");
        const bool recovered = cvtags::RecoverInterruptedSaves();
        const bool saved = SaveTitle(file, "New");
        qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit());
        QVERIFY(!recovered);
        QVERIFY(saved);
        TID3v2 t;
        QVERIFY(t.ReadTag(P(file)) && t.Title() == "New");
        QCOMPARE(Entries(folder), QStringList());
        QCOMPARE(Entries(music.path()), QStringList{"song.mp3"});
    }

    // The file is changed by another program while a save runs: the save fails and the file
    // keeps what the other program made of it.
    void changedMeanwhile_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<bool>("replace");
        QTest::newRow("fits, file grows") << QByteArray("New") << false;
        QTest::newRow("grows, file grows") << kLongTitle << false;
        QTest::newRow("fits, file replaced") << QByteArray("New") << true;
        QTest::newRow("grows, file replaced") << kLongTitle << true;
    }
    void changedMeanwhile()
    {
        QFETCH(QByteArray, title);
        QFETCH(bool, replace);
        QTemporaryDir folder;
        const QString file = folder.filePath("changed.mp3");
        MakeTagged(file, "Old");
        static QString s_file;
        static bool s_replace;
        static bool s_done;
        s_file = file;
        s_replace = replace;
        s_done = false;
        cvtags::SetSaveObserver([](SaveStep step, const std::filesystem::path &) {
            if (s_done || step != SaveStep::Prepared)
                return;
            s_done = true;
            if (s_replace) {
                WriteFile(s_file + ".other", "another file");
                ::rename(qPrintable(s_file + ".other"), qPrintable(s_file));
            } else {
                QFile f(s_file);
                if (f.open(QIODevice::Append))
                    f.write("more");
            }
        });
        const QByteArray expected = replace ? QByteArray("another file") : ReadFile(file) + "more";
        const bool saved = SaveTitle(file, title);
        cvtags::SetSaveObserver(nullptr);
        QVERIFY(!saved);
        QCOMPARE(cvtags::LastError(), std::error_code(cvtags::TagError::FileChanged));
        QCOMPARE(ReadFile(file), expected);
        QCOMPARE(Entries(folder.path()), QStringList{"changed.mp3"});
        QVERIFY(cvtags::RecoverInterruptedSaves());
        QCOMPARE(ReadFile(file), expected);
    }

    // A folder no one may write: a tag that fits is written in place; one that grows is
    // written in place too (the folder cannot hold a temporary file), from the journal's copy.
    void readOnlyFolder_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("fits") << QByteArray("New");
        QTest::newRow("grows") << kLongTitle;
    }
    void readOnlyFolder()
    {
        QFETCH(QByteArray, title);
        QTemporaryDir folder;
        const QString file = folder.filePath("locked.mp3");
        MakeTagged(file, "Old");
        const bool immutable = ::geteuid() == 0 && SetImmutable(folder.path(), true);
        if (!immutable && (::geteuid() == 0 || ::chmod(qPrintable(folder.path()), 0555) != 0))
            QSKIP("cannot make a folder read-only here");
        const bool saved = SaveTitle(file, title);
        if (immutable)
            SetImmutable(folder.path(), false);
        ::chmod(qPrintable(folder.path()), 0755);
        QVERIFY2(saved, cvtags::LastError().message().c_str());
        TID3v2 t;
        QVERIFY(t.ReadTag(P(file)));
        QCOMPARE(Q(t.Title()), title);
        QCOMPARE(ReadFile(file).mid(t.TagSize()), audio_);
        QCOMPARE(Entries(folder.path()), QStringList{"locked.mp3"});
        QCOMPARE(JournalLeftovers(), QStringList());
    }

    // A full disk: a tag that fits needs no room; a rewrite fails and changes nothing.
    void fullDisk_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<bool>("ok");
        QTest::newRow("fits") << QByteArray("New") << true;
        QTest::newRow("grows") << kLongTitle << false;
        QTest::newRow("removal") << QByteArray() << false;
    }
    void fullDisk()
    {
        QFETCH(QByteArray, title);
        QFETCH(bool, ok);
        QTemporaryDir folder;
        if (::mount("tmpfs", qPrintable(folder.path()), "tmpfs", 0, "size=1m") != 0)
            QSKIP("cannot mount a small file system here (needs root)");
        const QString file = folder.filePath("full.mp3");
        MakeTagged(file, "Old");
        const QByteArray before = ReadFile(file);
        {
            QFile filler(folder.filePath("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        const bool saved = title.isNull() ? TID3v2().DeleteTag(P(file)) : SaveTitle(file, title);
        const QByteArray after = ReadFile(file);
        const QStringList others = Entries(folder.path());
        ::umount2(qPrintable(folder.path()), MNT_DETACH);
        QCOMPARE(saved, ok);
        if (!ok)
            QCOMPARE(after, before);
        QCOMPARE(others, QStringList({"filler", "full.mp3"}));
    }
};

QTEST_GUILESS_MAIN(TestTagCrash)
#include "tst_tagcrash.moc"
