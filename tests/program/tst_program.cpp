#include "platform/application.h"
#include "platform/commandline.h"
#include "tests/support/testdir.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
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

    void programWithoutAWorkingDisplaySaysSoAndStops_data()
    {
        QTest::addColumn<QStringList>("variables");
        QTest::newRow("no display") << QStringList{};
        // Set, but nothing answers there (an ssh session, sudo, a stale variable).
        QTest::newRow("display nobody serves") << QStringList{"DISPLAY=:59999"};
        QTest::newRow("Wayland socket missing") << QStringList{"WAYLAND_DISPLAY=cv-nowhere", "QT_QPA_PLATFORM=wayland"};
        QTest::newRow("platform that does not exist") << QStringList{"QT_QPA_PLATFORM=cv-nowhere"};
    }
    void programWithoutAWorkingDisplaySaysSoAndStops()
    {
        QFETCH(QStringList, variables);
        QTemporaryDir home;
        const Run run = RunProgram(home, variables, {QStringLiteral("/")});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.error, NoGraphicalSessionMessage() + u'\n');
        QCOMPARE(run.output, QString());
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("config"))));
    }

    void printsWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("begins");
        QTest::newRow("--version") << QStringList{"--version"} << "Carvento Utilities 1.0.0.2\n";
        QTest::newRow("--help") << QStringList{"--help"} << "Uso: carvento-utilities [OPCIÓN] [CARPETA | FICHERO]\n";
        QTest::newRow("-h after a path") << QStringList{"/", "-h"} << "Uso: carvento-utilities";
    }
    void printsWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, begins);
        QTemporaryDir home;
        const Run run = RunProgram(home, {}, arguments);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.output.startsWith(begins), qPrintable(run.output));
        QCOMPARE(run.error, QString());
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("result");     // the path (under the folder), or the text
        QTest::addColumn<int>("status");
        const int run = int(CommandLine::Action::Run), print = int(CommandLine::Action::Print),
                  fail = int(CommandLine::Action::Fail);
        QTest::newRow("nothing") << QStringList{} << run << "" << 0;
        QTest::newRow("folder") << QStringList{"Música"} << run << "Música" << 0;
        QTest::newRow("file, relative, untidy") << QStringList{"./Música/../Música//uno.mp3"} << run << "Música/uno.mp3" << 0;
        QTest::newRow("after --, a name like an option") << QStringList{"--", "-raro.txt"} << run << "-raro.txt" << 0;
        QTest::newRow("--version") << QStringList{"--version"} << print << "Carvento Utilities 1.0.0.2\n" << 0;
        QTest::newRow("--help wins over a mistake") << QStringList{"--nada", "--help"} << print << "Uso:" << 0;
        QTest::newRow("--help after -- is a name")
            << QStringList{"--", "--help"} << fail << "carvento-utilities: no existe «--help»\n" << 1;
        QTest::newRow("unknown option")
            << QStringList{"--nada", "Música"} << fail
            << "carvento-utilities: opción desconocida «--nada»\nPruebe «carvento-utilities --help» para más información.\n"
            << 2;
        QTest::newRow("two paths") << QStringList{"Música", "Música/uno.mp3"} << fail
                                   << "carvento-utilities: sólo se puede abrir una carpeta o un fichero a la vez\n" << 2;
        QTest::newRow("missing") << QStringList{"no.mp3"} << fail << "carvento-utilities: no existe «no.mp3»\n" << 1;
        QTest::newRow("empty") << QStringList{""} << fail << "carvento-utilities: no existe «»\n" << 1;
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, result);
        QFETCH(int, status);
        TestDir dir;
        dir.CreateDir(QStringLiteral("Música"));
        dir.CreateFile(QStringLiteral("Música/uno.mp3"));
        dir.CreateFile(QStringLiteral("-raro.txt"));
        const CommandLine command = ReadCommandLine(arguments, dir.Path());
        QCOMPARE(int(command.action), action);
        QCOMPARE(command.status, status);
        if (command.action == CommandLine::Action::Run) {
            QCOMPARE(command.path, result.isEmpty() ? QString() : dir.Path() + u'/' + result);
            QCOMPARE(command.text, QString());
        } else {
            QVERIFY2(command.text.startsWith(result), qPrintable(command.text));
            QVERIFY(command.path.isEmpty());
        }
    }

    void qtTextsInSpanish()
    {
        QVERIFY(LoadQtTranslations());
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction *action : menu->actions())
            if (!action->isSeparator())
                texts.append(action->text().section(u'\t', 0, 0).remove(u'&'));
        QCOMPARE(texts, QStringList({"Deshacer", "Rehacer", "Cortar", "Copiar", "Pegar", "Borrar", "Seleccionar todo"}));
        // The file dialog of "Cargar fichero" too.
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QStringList labels;
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            labels.append(label->text());
        for (const char *english : {"Look in:", "File name:", "Files of type:"})
            QVERIFY2(!labels.contains(QString::fromLatin1(english)), english);
        // Its type column, which Qt's translations of this version leave in English.
        QCOMPARE(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), QStringLiteral("Carpeta"));
        QCOMPARE(QCoreApplication::translate("QFileSystemModel", "Type"), QStringLiteral("Tipo"));
    }

private:
    struct Run {
        int status = -1;
        QString output;
        QString error;
    };
    // The program itself, with no environment but the home folder, PATH and the variables given.
    static Run RunProgram(const QTemporaryDir &home, const QStringList &variables, const QStringList &arguments)
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        for (const QString &variable : variables)
            env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(CV_PROGRAM), arguments);
        Run run;
        if (!program.waitForFinished(20000) || program.exitStatus() != QProcess::NormalExit)
            return run;
        run.status = program.exitCode();
        run.output = QString::fromUtf8(program.readAllStandardOutput());
        run.error = QString::fromUtf8(program.readAllStandardError());
        return run;
    }
};

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
