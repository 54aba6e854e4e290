// The file operations and the reasons their failures give, the Windows-1252 table.
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/windows1252.h"
#include "tags/TagError.h"
#include "tests/support/immutable.h"
#include "tests/support/testdir.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

class TestFiles : public QObject {
    Q_OBJECT
private slots:
    // Every errno a file operation gives and every failure of the tag library has a short
    // reason of its own; an empty error gives the general one.
    void reasons_data()
    {
        QTest::addColumn<int>("kind"); // 0 errno, 1 tag library, 2 none
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("reason");
        using cvtags::TagError;
        QTest::newRow("name taken") << 0 << EEXIST << "ya existe";
        QTest::newRow("folder not empty") << 0 << ENOTEMPTY << "ya existe";
        QTest::newRow("permission") << 0 << EACCES << "permiso denegado";
        QTest::newRow("not permitted") << 0 << EPERM << "permiso denegado";
        QTest::newRow("read-only medium") << 0 << EROFS << "medio de solo lectura";
        QTest::newRow("disk full") << 0 << ENOSPC << "no hay espacio";
        QTest::newRow("quota") << 0 << EDQUOT << "no hay espacio";
        QTest::newRow("missing") << 0 << ENOENT << "no existe";
        QTest::newRow("in use") << 0 << EBUSY << "está en uso";
        QTest::newRow("other volume") << 0 << EXDEV << "está en otro volumen";
        QTest::newRow("name too long") << 0 << ENAMETOOLONG << "nombre demasiado largo";
        QTest::newRow("refused name") << 0 << EINVAL << "nombre no válido";
        QTest::newRow("input/output") << 0 << EIO << "error de lectura o escritura";
        QTest::newRow("unknown errno") << 0 << 4095 << "error 4095 del sistema";
        QTest::newRow("file changed") << 1 << int(TagError::FileChanged) << "el fichero ha cambiado";
        QTest::newRow("unreadable tag") << 1 << int(TagError::UnreadableTag) << "el tag no se puede leer entero";
        QTest::newRow("unconvertible frame") << 1 << int(TagError::UnconvertibleFrame)
                                             << "el tag tiene datos que la versión 2.3 no admite";
        QTest::newRow("no tag") << 1 << int(TagError::NoTag) << "no tiene tag";
        QTest::newRow("too large") << 1 << int(TagError::TooLarge) << "el tag es demasiado grande";
        QTest::newRow("not a regular file") << 1 << int(TagError::NotRegularFile) << "no es un fichero normal";
        QTest::newRow("too short") << 1 << int(TagError::TooShort) << "el fichero es demasiado corto";
        QTest::newRow("tag error unknown") << 1 << 99 << "motivo desconocido";
        QTest::newRow("no error kept") << 2 << 0 << "motivo desconocido";
    }
    void reasons()
    {
        QFETCH(int, kind);
        QFETCH(int, code);
        QFETCH(QString, reason);
        std::error_code error;
        if (kind == 0)
            error = std::error_code(code, std::generic_category());
        else if (kind == 1)
            error = std::error_code(code, cvtags::TagErrorCategory());
        QCOMPARE(ReasonText(error), reason);
        if (kind == 0) // std::filesystem reports the same numbers in the system category
            QCOMPARE(ReasonText(std::error_code(code, std::system_category())), reason);
    }

    void failureListText()
    {
        QCOMPARE(FailureListText(QStringLiteral("No se han podido renombrar los siguientes ficheros:"),
                                 {{QStringLiteral("a.mp3"), QStringLiteral("ya existe")},
                                  {QStringLiteral(" <- Anterior"), ReasonText(Refusal::NotAnEntry)}}),
                 QStringLiteral("No se han podido renombrar los siguientes ficheros:\n\n"
                                "a.mp3 — ya existe\n <- Anterior — no es un fichero ni una carpeta\n"));
    }

    void renameIntoReadOnlyFolderSaysWhy()
    {
        TestDir dir;
        const QString file = dir.CreateFile("ro/a.mp3", "audio");
        const QString folder = dir.FilePath("ro");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const bool asRoot = ::geteuid() == 0;
        if (asRoot && !SetImmutable(folder, true)) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("root changes every folder, and this file system cannot lock one");
        }
        std::error_code error;
        const bool renamed = RenameEntry(file, dir.FilePath("ro/b.mp3"), error);
        if (asRoot)
            SetImmutable(folder, false);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!renamed);
        QCOMPARE(ReasonText(error), QStringLiteral("permiso denegado"));
        QCOMPARE(dir.Read("ro/a.mp3"), QByteArray("audio"));
    }

    void renameRefusesExistingTarget_data()
    {
        QTest::addColumn<bool>("folders");
        QTest::newRow("file onto file") << false;
        QTest::newRow("folder onto folder") << true;
    }
    void renameRefusesExistingTarget()
    {
        QFETCH(bool, folders);
        TestDir dir;
        if (folders) {
            dir.CreateFile("a/inside.txt", "A");
            dir.CreateDir("b"); // empty: a plain rename would replace it
        } else {
            dir.CreateFile("a", "A");
            dir.CreateFile("b", "B");
        }
        std::error_code error;
        QVERIFY(!RenameEntry(dir.FilePath("a"), dir.FilePath("b"), error));
        QCOMPARE(ReasonText(error), QStringLiteral("ya existe"));
        QVERIFY(dir.Exists("a"));
        QVERIFY(dir.Exists("b"));
        if (folders) {
            QVERIFY(dir.Exists("a/inside.txt"));
            QVERIFY(!dir.Exists("b/inside.txt"));
        } else {
            QCOMPARE(dir.Read("a"), QByteArray("A"));
            QCOMPARE(dir.Read("b"), QByteArray("B"));
        }
    }

    void renameSameNameSucceeds()
    {
        TestDir dir;
        const QString path = dir.CreateFile("x.mp3", "data");
        QVERIFY(RenameEntry(path, path));
        QCOMPARE(dir.Read("x.mp3"), QByteArray("data"));
        // Same name but no such entry is still a failure.
        std::error_code error;
        QVERIFY(!RenameEntry(dir.FilePath("gone.mp3"), dir.FilePath("gone.mp3"), error));
        QCOMPARE(ReasonText(error), QStringLiteral("no existe"));
    }

    void renameCaseChangeOnCaseSensitiveFileSystem()
    {
        TestDir dir;
        dir.CreateFile("Song.MP3", "data");
        // The temporary folder is case-sensitive: the new spelling is a new, free name.
        QVERIFY(RenameEntry(dir.FilePath("Song.MP3"), dir.FilePath("Song.mp3")));
        QVERIFY(dir.Exists("Song.mp3"));
        QVERIFY(!dir.Exists("Song.MP3"));
    }

    // A change of letter case only: the entry found under the new spelling is the entry itself
    // where case is ignored, also when a FUSE file system gives each spelling its own file
    // number; a real other file, spelled exactly so, never is.
    void sameEntryRespelled_data()
    {
        QTest::addColumn<QByteArray>("oldName");
        QTest::addColumn<QByteArray>("newName");
        QTest::addColumn<bool>("sameFile");
        QTest::addColumn<bool>("ignoresCase");
        QTest::addColumn<bool>("noReplaceRefused");
        QTest::addColumn<bool>("exactNameListed");
        QTest::addColumn<bool>("same");
        QTest::newRow("same file, case ignored") << QByteArray("song.mp3") << QByteArray("SONG.MP3") << true
                                                 << false << false << false << true;
        QTest::newRow("exFAT through FUSE: own numbers, no-replace refused")
            << QByteArray("song.mp3") << QByteArray("SONG.MP3") << false << false << true << false << true;
        QTest::newRow("own numbers where the file system says it ignores case")
            << QByteArray("Canción.mp3") << QByteArray("CANCIÓN.MP3") << false << true << false << false << true;
        QTest::newRow("own numbers, nothing tells that case is ignored")
            << QByteArray("song.mp3") << QByteArray("SONG.MP3") << false << false << false << false << false;
        QTest::newRow("another file spelled so") << QByteArray("song.mp3") << QByteArray("SONG.MP3") << false
                                                 << true << true << true << false;
        QTest::newRow("hard link spelled so") << QByteArray("a") << QByteArray("A") << true << false << false
                                              << true << false;
        QTest::newRow("other letters") << QByteArray("song.mp3") << QByteArray("other.mp3") << false << true
                                       << true << false << false;
        QTest::newRow("bytes that are not UTF-8") << QByteArray("can\xF1on.mp3") << QByteArray("CAN\xF1ON.MP3")
                                                  << false << false << true << false << true;
    }
    void sameEntryRespelled()
    {
        QFETCH(QByteArray, oldName);
        QFETCH(QByteArray, newName);
        QFETCH(bool, sameFile);
        QFETCH(bool, ignoresCase);
        QFETCH(bool, noReplaceRefused);
        QFETCH(bool, exactNameListed);
        QFETCH(bool, same);
        QCOMPARE(SameEntryRespelled(oldName, newName, sameFile, ignoresCase, noReplaceRefused, exactNameListed), same);
    }

    void renameRefusesHardLinkOfSameFile()
    {
        TestDir dir;
        const QString a = dir.CreateFile("a", "A");
        QVERIFY(QFile::link(a, dir.FilePath("sym"))); // a symlink is not the same entry either
        QVERIFY(::link(QFile::encodeName(a).constData(), QFile::encodeName(dir.FilePath("A")).constData()) == 0);
        std::error_code error;
        QVERIFY(!RenameEntry(a, dir.FilePath("A"), error));
        QCOMPARE(ReasonText(error), QStringLiteral("ya existe"));
        QVERIFY(!RenameEntry(a, dir.FilePath("sym"), error));
        QCOMPARE(ReasonText(error), QStringLiteral("ya existe"));
        QVERIFY(dir.Exists("a"));
    }

    void renameRefusesBadNewNames_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::newRow("slash at end") << "b/";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("dot after slash") << "sub/.";
        QTest::newRow("empty") << "";
    }
    void renameRefusesBadNewNames()
    {
        QFETCH(QString, newName);
        TestDir dir;
        dir.CreateDir("sub");
        const QString a = dir.CreateFile("a", "A");
        std::error_code error;
        QVERIFY(!RenameEntry(a, newName.isEmpty() ? QString() : dir.FilePath(newName), error));
        QCOMPARE(ReasonText(error), QStringLiteral("nombre no válido"));
        QCOMPARE(dir.Read("a"), QByteArray("A"));
    }

    void renameMissingSourceFails()
    {
        TestDir dir;
        std::error_code error;
        QVERIFY(!RenameEntry(dir.FilePath("missing"), dir.FilePath("other"), error));
        QCOMPARE(ReasonText(error), QStringLiteral("no existe"));
        QVERIFY(!dir.Exists("other"));
    }

    void renameIntoAnotherFolder()
    {
        TestDir dir;
        const QString a = dir.CreateFile("one/a.txt", "A");
        dir.CreateDir("two");
        QVERIFY(RenameEntry(a, dir.FilePath("two/b.txt")));
        QCOMPARE(dir.Read("two/b.txt"), QByteArray("A"));
        QVERIFY(!dir.Exists("one/a.txt"));
        // A folder moves with its contents; names that are not UTF-8 survive.
        const QString odd = QFile::decodeName(QByteArray("caf\xe9"));
        dir.CreateFile("one/sub/f", "F");
        QVERIFY(RenameEntry(dir.FilePath("one/sub"), dir.FilePath("two/") + odd));
        QCOMPARE(dir.Read("two/" + odd + "/f"), QByteArray("F"));
    }

    void resetAttributesAddsOwnerWrite()
    {
        TestDir dir;
        const QString path = dir.CreateFile("ro.mp3", "x");
        const QByteArray name = QFile::encodeName(path);
        QVERIFY(::chmod(name.constData(), 0444) == 0);
        QVERIFY(ResetAttributes(path));
        struct stat info {};
        QVERIFY(::stat(name.constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));
        QVERIFY(!ResetAttributes(dir.FilePath("missing")));
    }

    void desktopFolderEmptyOrExisting()
    {
        const QString folder = DesktopFolder();
        QVERIFY(folder.isEmpty() || QFileInfo(folder).isDir());
    }

    // Name lists written by old Windows editors: every byte has its character.
    void windows1252Names_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("Title 1") << QStringLiteral("Title 1");
        QTest::newRow("latin-1") << QByteArray("Canci\xf3n \xd1") << QStringLiteral("Canción Ñ");
        QTest::newRow("euro quotes") << QByteArray("\x80 \x92\x93\x94") << QStringLiteral("€ ’“”");
        QTest::newRow("others") << QByteArray("\x8a\x9f\x85\x99") << QStringLiteral("ŠŸ…™");
        QTest::newRow("undefined") << QByteArray("\x81\x8d\x8f\x90\x9d") << QStringLiteral("\u0081\u008d\u008f\u0090\u009d");
        QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b");
    }
    void windows1252Names()
    {
        QFETCH(QByteArray, bytes);
        QTEST(FromWindows1252(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))), "text");
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
