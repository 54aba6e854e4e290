#include "platform/dialogs.h"
#include "platform/settingskey.h"
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
