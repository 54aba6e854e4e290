#include "platform/application.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void setUpNamesTheProgramThroughItsDesktopEntry()
    {
        SetUpApplication();
        // The config folder is named after the application.
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("CarventoUtilities"));
        // An explicit display name would be appended to every window title on X11 and Wayland.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("example.carvento.CarventoUtilities"));

        // The icon is built in, so windows show it before the program is installed.
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        for (int size : {16, 32, 48, 256}) {
            const QImage image = icon.pixmap(size, size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY2(qAlpha(image.pixel(size / 2, size / 2)) == 255, qPrintable(QString::number(size)));
        }
    }

    void graphicalSession_data()
    {
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<bool>("session");
        QTest::newRow("nothing") << QStringList{} << false;
        QTest::newRow("empty values") << QStringList{"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="} << false;
        QTest::newRow("X display") << QStringList{"DISPLAY=:0"} << true;
        QTest::newRow("Wayland") << QStringList{"WAYLAND_DISPLAY=wayland-0"} << true;
        QTest::newRow("platform chosen") << QStringList{"QT_QPA_PLATFORM=offscreen"} << true;
    }

    void graphicalSession()
    {
        QFETCH(QStringList, variables);
        QFETCH(bool, session);
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent"));
        for (const QString &variable : variables)
            env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        QCOMPARE(HasGraphicalSession(env), session);
    }

    void programWithoutDisplaySaysSoAndStops()
    {
        QTemporaryDir home;
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(CV_PROGRAM), {});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(program.readAllStandardError()), NoGraphicalSessionMessage() + u'\n');
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("config"))));
    }
};

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
