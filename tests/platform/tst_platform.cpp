#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/settingskey.h"
#include "platform/windows1252.h"
#include "tests/support/testdir.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QKeySequence>
#include <QPushButton>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestPlatform : public QObject {
    Q_OBJECT

private:
    static void WriteSettingsFile(const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(SettingsKey::FilePath()).absolutePath());
        QFile file(SettingsKey::FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QFile::remove(SettingsKey::FilePath());
    }
    void cleanup() { QFile::remove(SettingsKey::FilePath()); }

    void realAskAnswersFromTheKeyboard_data()
    {
        QTest::addColumn<int>("lines");      // of the question: a long one scrolls in a box of its own
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("yes");
        for (const int lines : {1, 400}) {
            const QByteArray size = lines == 1 ? "short" : "long";
            QTest::newRow(size + ", S") << lines << "S" << true;
            QTest::newRow(size + ", N") << lines << "N" << false;
            QTest::newRow(size + ", Alt+S") << lines << "Alt+S" << true;
            QTest::newRow(size + ", Alt+N") << lines << "Alt+N" << false;
            QTest::newRow(size + ", Return") << lines << "Return" << true;
        }
        QTest::newRow("short, Escape") << 1 << "Esc" << false;
    }
    void realAskAnswersFromTheKeyboard()
    {
        QFETCH(int, lines);
        QFETCH(QString, keys);
        QFETCH(bool, yes);
        QStringList texts;
        QString caption;
        bool busyPointer = true;
        bool activated = false;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            caption = box->windowTitle();
            for (const QAbstractButton *button : box->findChildren<QAbstractButton *>())
                texts.append(button->text());
            busyPointer = QApplication::overrideCursor() != nullptr;
            box->activateWindow();
            if (!(activated = QTest::qWaitForWindowActive(box))) {
                box->close();
                return;
            }
            const QKeyCombination key = QKeySequence::fromString(keys)[0];
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key.key(), key.keyboardModifiers());
        });
        // The busy pointer of a long action gives way while the box waits for the answer.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool answer = Dialogs::Current().Ask(nullptr, "Confirmación", QStringList(lines, "¿Seguro?").join(u'\n'),
                                                   Dialogs::Icon::Question);
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QApplication::restoreOverrideCursor();
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(activated);
        QVERIFY(!busyPointer);
        QCOMPARE(caption, QStringLiteral("Confirmación"));
        texts.sort();
        QCOMPARE(texts, QStringList({"&No", "&Sí"}));
        QTRY_COMPARE(answer, yes);
    }

    void realPromptReturnsTypedText()
    {
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            QVERIFY(dialog->findChild<QLineEdit *>()->text() == QStringLiteral("mp3"));
            dialog->setTextValue("ogg");
            dialog->accept();
        });
        QString text = "mp3";
        QVERIFY(Dialogs::Current().PromptText(nullptr, "Añadir extensión", "Extensión:", text));
        QCOMPARE(text, QStringLiteral("ogg"));
        QTimer::singleShot(0, [] {
            if (auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        QVERIFY(!Dialogs::Current().PromptText(nullptr, "Añadir extensión", "Extensión:", text));
        QCOMPARE(text, QStringLiteral("ogg"));
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
        QVERIFY(!RenameEntry(dir.FilePath("a"), dir.FilePath("b")));
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
        QVERIFY(!RenameEntry(dir.FilePath("gone.mp3"), dir.FilePath("gone.mp3")));
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

    void renameRefusesHardLinkOfSameFile()
    {
        TestDir dir;
        const QString a = dir.CreateFile("a", "A");
        QVERIFY(QFile::link(a, dir.FilePath("sym"))); // a symlink is not the same entry either
        QVERIFY(::link(QFile::encodeName(a).constData(), QFile::encodeName(dir.FilePath("A")).constData()) == 0);
        QVERIFY(!RenameEntry(a, dir.FilePath("A")));
        QVERIFY(!RenameEntry(a, dir.FilePath("sym")));
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
        QVERIFY(!RenameEntry(a, newName.isEmpty() ? QString() : dir.FilePath(newName)));
        QCOMPARE(dir.Read("a"), QByteArray("A"));
    }

    void renameMissingSourceFails()
    {
        TestDir dir;
        QVERIFY(!RenameEntry(dir.FilePath("missing"), dir.FilePath("other")));
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

    void windows1252RoundTrip_data()
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
    void windows1252RoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        QCOMPARE(FromWindows1252(view), text);
        QCOMPARE(ToWindows1252(text), std::string(view));
    }

    void windows1252EveryByteRoundTrips()
    {
        std::string all;
        for (int b = 0; b < 256; ++b)
            all.push_back(static_cast<char>(b));
        QCOMPARE(ToWindows1252(FromWindows1252(all)), all);
    }

    void windows1252Unmappable()
    {
        QCOMPARE(ToWindows1252(QStringLiteral("a→b")), std::string("a?b"));
        QCOMPARE(ToWindows1252(QStringLiteral("日本")), std::string("??"));
        QCOMPARE(ToWindows1252(QStringLiteral("x😀y")), std::string("x?y")); // one '?' per character
        QCOMPARE(ToWindows1252(QString(QChar(0x0080))), std::string("?")); // C1 code 0x80 is not byte 0x80
    }

    void settingsAbsentValues()
    {
        SettingsKey key;
        QVERIFY(key.Open());
        QVERIFY(QFile::exists(SettingsKey::FilePath()));
        QVERIFY(!key.ValueExists("RUTA TAG"));
        QString text = "stale";
        int number = 7;
        bool flag = true;
        QVERIFY(key.ReadString("RUTA TAG", text));
        QVERIFY(key.ReadInteger("X", number));
        QVERIFY(key.ReadBool("REVISAR", flag));
        QCOMPARE(text, QString());
        QCOMPARE(number, 0);
        QCOMPARE(flag, false);
    }

    void settingsWriteAndRead()
    {
        {
            SettingsKey key;
            QVERIFY(key.Open());
            QVERIFY(key.WriteString("RUTA RENOMBRADOR", " /home/ana/Música, vieja/ "));
            QVERIFY(key.WriteString("RUTA TAG", ""));
            QVERIFY(key.WriteBool("REVISAR", true));
            QVERIFY(key.WriteInteger("N", -42));
            key.Close();
        }
        SettingsKey key;
        QVERIFY(key.Open());
        QVERIFY(key.ValueExists("RUTA RENOMBRADOR"));
        QVERIFY(key.ValueExists("RUTA TAG"));
        QString text;
        QVERIFY(key.ReadString("RUTA RENOMBRADOR", text));
        QCOMPARE(text, QStringLiteral(" /home/ana/Música, vieja/ "));
        bool flag = false;
        QVERIFY(key.ReadBool("REVISAR", flag));
        QVERIFY(flag);
        int number = 0;
        QVERIFY(key.ReadInteger("N", number));
        QCOMPARE(number, -42);
        // Integers are decimal text at the top level.
        QSettings raw(SettingsKey::FilePath(), QSettings::IniFormat);
        QCOMPARE(raw.value("REVISAR").toString(), QStringLiteral("1"));
        QVERIFY(key.WriteBool("REVISAR", false));
        QVERIFY(key.ReadBool("REVISAR", flag));
        QVERIFY(!flag);
    }

    void settingsWrongTypedInteger_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("letters") << QByteArray("REVISAR=abc");
        QTest::newRow("list") << QByteArray("REVISAR=1,2");
        QTest::newRow("too big") << QByteArray("REVISAR=99999999999");
        QTest::newRow("binary") << QByteArray("REVISAR=@ByteArray(1)");
        QTest::newRow("variant") << QByteArray("REVISAR=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\nQByteArray\\0)");
    }
    void settingsWrongTypedInteger()
    {
        QFETCH(QByteArray, line);
        WriteSettingsFile("[General]\n" + line + "\nRUTA%20TAG=/tmp\n");
        SettingsKey key;
        QVERIFY(key.Open());
        bool flag = true;
        QVERIFY(!key.ReadBool("REVISAR", flag));
        QVERIFY(!key.LastError().isEmpty());
        QVERIFY(key.LastError().contains("REVISAR"));
        QString text;
        QVERIFY(key.ReadString("RUTA TAG", text));
        QCOMPARE(text, QStringLiteral("/tmp"));
    }

    void settingsBlanksAroundIntegerAccepted()
    {
        WriteSettingsFile("[General]\nREVISAR=\" 1 \"\n");
        SettingsKey key;
        QVERIFY(key.Open());
        bool flag = false;
        QVERIFY(key.ReadBool("REVISAR", flag));
        QVERIFY(flag);
    }

    void settingsHandWrittenCommasReadAsText()
    {
        WriteSettingsFile("[General]\nRUTA RENOMBRADOR=/home/ana/Discos, 1990,2000/\n"
                          "RUTA%20TAG=/a,b\n[TfUtilities]\nx=1\n");
        SettingsKey key;
        QVERIFY(key.Open());
        QString text;
        QVERIFY(key.ReadString("RUTA RENOMBRADOR", text));
        QCOMPARE(text, QStringLiteral("/home/ana/Discos, 1990,2000/"));
        QVERIFY(key.ReadString("RUTA TAG", text));
        QCOMPARE(text, QStringLiteral("/a,b"));
    }

    void settingsBinaryTextIsWrongType()
    {
        WriteSettingsFile("[General]\nRUTA%20TAG=@ByteArray(/x)\n");
        SettingsKey key;
        QVERIFY(key.Open());
        QString text;
        QVERIFY(!key.ReadString("RUTA TAG", text));
        QVERIFY(!key.LastError().isEmpty());
    }

    void settingsUnopenedKeyFails()
    {
        SettingsKey key;
        QVERIFY(!key.IsOpen());
        QString text;
        QVERIFY(!key.ReadString("RUTA TAG", text));
        QVERIFY(!key.WriteString("RUTA TAG", "x"));
    }

    void settingsFilePath()
    {
        QCOMPARE(QFileInfo(SettingsKey::FilePath()).fileName(), QStringLiteral("settings.ini"));
        QCOMPARE(QFileInfo(QFileInfo(SettingsKey::FilePath()).path()).fileName(), QStringLiteral("CarventoUtilities"));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
