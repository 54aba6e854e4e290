#include "tests/support/scripteddialogs.h"
#include "tests/update/httpstub.h"

#include "update/ThreadVersion.h"
#include "update/version.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// Catches the addresses the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl &url) { opened.append(url); }
};

// Runs the version window for real and remembers what it showed when.
class CheckDialogs : public ScriptedDialogs {
public:
    CheckDialogs()
    {
        onExec = [this](QDialog &dialog) {
            auto *version = qobject_cast<TfVersion *>(&dialog);
            if (!version)
                return int(QDialog::Rejected);
            worker = version->Worker();
            workerRunning = worker && worker->isRunning();
            if (beforeExec)
                beforeExec(*version);
            const int result = dialog.exec();
            closedAt = clock.elapsed();
            ticks = version->Ticks;
            return result;
        };
        clock.start();
    }
    void Message(QWidget *parent, const QString &caption, const QString &text, Icon icon) override
    {
        ScriptedDialogs::Message(parent, caption, text, icon);
        if (auto *version = qobject_cast<TfVersion *>(parent)) {
            barAtMessage = version->Barra->value();
            messageAt = clock.elapsed();
        }
    }
    // "Kind:caption" of each box shown, the version window left out.
    QStringList Boxes() const
    {
        QStringList boxes;
        for (const Shown &s : shown)
            if (s.kind != QLatin1String("Exec"))
                boxes.append(s.kind + u':' + s.caption);
        return boxes;
    }

    std::function<void(TfVersion &)> beforeExec;
    QElapsedTimer clock;
    QPointer<TThreadVersion> worker;
    bool workerRunning = false;
    qint64 closedAt = -1;
    qint64 messageAt = -1;
    int barAtMessage = -1;
    int ticks = 0;
};

class TestVersion : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher_, "Open");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    void init()
    {
        // Long enough that a loaded machine answers well before the time-out.
        TfVersion::TickMilliseconds = 40;
        catcher_.opened.clear();
    }

    // Each answer of the server against the running version 1.0.0.2, one row for each box the
    // reading of its text can give and the rest for what comes over HTTP; "Ask" is the offer
    // of the web page, "Message:…" a box with that caption.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("boxes");
        const QStringList same{QStringLiteral("Message:Sin cambios")};
        const QStringList newer{QStringLiteral("Ask:Atención")};
        const QStringList error{QStringLiteral("Message:Error en la comunicación")};
        const QStringList none;
        const auto ok = [](const QByteArray &body) { return HttpStub::Response(200, body); };
        QTest::newRow("same") << ok("1.0.2F") << same;
        QTest::newRow("newer") << ok("1.0.3F") << newer;
        QTest::newRow("major 0") << ok("0.9.9F") << none;
        QTest::newRow("no F") << ok("1.0.3") << error;
        QTest::newRow("binary bytes") << ok(QByteArray("\x00\x01\xff\xfe\x89PNG\r\n\x1a", 11)) << error;
        QTest::newRow("error page") << HttpStub::Response(404, "<html><body>No encontrado</body></html>") << error;
        QTest::newRow("error status, version body") << HttpStub::Response(500, "1.0.3F") << newer;
        QTest::newRow("error status, no body") << HttpStub::Response(404, "") << none;
        QTest::newRow("body of 64 KiB") << ok("1.0.3F" + QByteArray(64 * 1024 - 6, ' ')) << newer;
        QTest::newRow("body of 64 KiB + 1") << ok("1.0.3F" + QByteArray(64 * 1024 - 5, ' ')) << error;
        QTest::newRow("10 MB") << ok("1.0.3F" + QByteArray(10 * 1024 * 1024, 'x')) << error;
        QTest::newRow("10 MB, no length")
            << HttpStub::Response(200, "1.0.3F" + QByteArray(10 * 1024 * 1024, 'x'), false) << error;
        QTest::newRow("no length") << HttpStub::Response(200, "1.0.3F", false) << newer;
        QTest::newRow("closes mid-body")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n1.0.3F") << none;
        QTest::newRow("not HTTP") << QByteArray("1.0.3F\r\n") << none;
    }
    void answers()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, boxes);
        HttpStub server;
        server.reply = reply;
        TfVersion::VersionFileUrl = server.Url();
        CheckDialogs dialogs;
        CheckForNewVersion(nullptr);
        QCOMPARE(dialogs.Boxes(), boxes);
        QCOMPARE(server.requestLine, QByteArray("GET /versiones/carventoutilities.txt HTTP/1.1"));
        // An answer ends the check at once, never through the time-out.
        QVERIFY2(dialogs.ticks < TfVersion::TimeOutTicks, qPrintable(QString::number(dialogs.ticks)));
        QVERIFY(dialogs.workerRunning);
        QVERIFY(dialogs.worker.isNull());
        QCOMPARE(catcher_.opened.size(), 0); // the offer was answered No
    }

    void newerVersionOpensTheWebPageOnYes()
    {
        HttpStub server;
        server.reply = HttpStub::Response(200, "1.0.3F");
        TfVersion::VersionFileUrl = server.Url();
        CheckDialogs dialogs;
        dialogs.askAnswers = {true};
        CheckForNewVersion(nullptr);
        const auto asked = dialogs.Of(QStringLiteral("Ask"));
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().text, QStringLiteral("Existe una nueva versión del programa.\n"
                                                    "¿Deseas abrir la página web para actualizarte?"));
        QCOMPARE(asked.first().icon, Dialogs::Icon::Information);
        QCOMPARE(catcher_.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.carvento.example/"))});

        // The running version takes part: the same answer is no news to a later program.
        CheckDialogs again;
        CheckForNewVersion(nullptr, {1, 0, 3});
        QCOMPARE(again.Boxes(), QStringList{QStringLiteral("Message:Sin cambios")});
        QCOMPARE(again.Of(QStringLiteral("Message")).first().text,
                 QStringLiteral("No se han detectado nuevas versiones del programa."));
    }

    // Nothing comes back in time: the time-out box once, with the bar full, and the window
    // closes right after it.
    void timeOut_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("accepts and never answers") << int(HttpStub::Behaviour::Silent) << QByteArray();
        QTest::newRow("headers, then nothing")
            << int(HttpStub::Behaviour::Stall) << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n");
        QTest::newRow("part of the body, then nothing")
            << int(HttpStub::Behaviour::Stall) << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n1.0");
        QTest::newRow("empty answer") << int(HttpStub::Behaviour::Answer) << HttpStub::Response(200, "");
    }
    void timeOut()
    {
        QFETCH(int, behaviour);
        QFETCH(QByteArray, reply);
        HttpStub server;
        server.behaviour = HttpStub::Behaviour(behaviour);
        server.reply = reply;
        TfVersion::VersionFileUrl = server.Url();
        TfVersion::TickMilliseconds = 10;
        CheckDialogs dialogs;
        CheckForNewVersion(nullptr);
        QCOMPARE(dialogs.Boxes(), QStringList{QStringLiteral("Message:Tiempo de espera agotado")});
        const auto box = dialogs.Of(QStringLiteral("Message")).first();
        QCOMPARE(box.text, QStringLiteral("No se ha podido conectar con el servidor."));
        QCOMPARE(box.icon, Dialogs::Icon::Warning);
        QCOMPARE(dialogs.barAtMessage, 30);
        QVERIFY2(dialogs.closedAt - dialogs.messageAt < 1000, qPrintable(QString::number(dialogs.closedAt - dialogs.messageAt)));
        QVERIFY(dialogs.worker.isNull());
    }

    // "Cancelar", and Escape or the window's close standing in for it.
    void cancelBeforeTheBody_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("how");
        const QByteArray stalled("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n1.0");
        QTest::newRow("never answers") << int(HttpStub::Behaviour::Silent) << QByteArray() << "Cancelar";
        QTest::newRow("headers, then nothing") << int(HttpStub::Behaviour::Stall) << stalled << "Cancelar";
        QTest::newRow("empty answer") << int(HttpStub::Behaviour::Answer) << HttpStub::Response(200, "") << "Cancelar";
        QTest::newRow("Escape") << int(HttpStub::Behaviour::Stall) << stalled << "Escape";
        QTest::newRow("window closed") << int(HttpStub::Behaviour::Silent) << QByteArray() << "close";
    }
    void cancelBeforeTheBody()
    {
        QFETCH(int, behaviour);
        QFETCH(QByteArray, reply);
        QFETCH(QString, how);
        HttpStub server;
        server.behaviour = HttpStub::Behaviour(behaviour);
        server.reply = reply;
        TfVersion::VersionFileUrl = server.Url();
        TfVersion::TickMilliseconds = 1000;
        CheckDialogs dialogs;
        qint64 clickedAt = -1;
        bool stillOpen = false;
        dialogs.beforeExec = [&](TfVersion &window) {
            QCOMPARE(window.windowTitle(), QStringLiteral("Control de versiones"));
            QCOMPARE(window.Label1->text(), QStringLiteral("Conectando con el servidor ..."));
            QCOMPARE(window.Barra->maximum(), 30);
            QCOMPARE(window.Button1->text(), QStringLiteral("Cancelar"));
            QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
            QTimer::singleShot(150, &window, [&] {
                clickedAt = dialogs.clock.elapsed();
                if (how == QLatin1String("Escape"))
                    QTest::keyClick(&window, Qt::Key_Escape);
                else if (how == QLatin1String("close"))
                    window.close();
                else
                    QTest::mouseClick(window.Button1, Qt::LeftButton);
                // The window waits for the worker's end.
                stillOpen = window.isVisible();
            });
        };
        CheckForNewVersion(nullptr);
        QVERIFY(clickedAt >= 0);
        QVERIFY(stillOpen);
        QCOMPARE(dialogs.Boxes(), QStringList());
        QVERIFY2(dialogs.closedAt - clickedAt < 1000, qPrintable(QString::number(dialogs.closedAt - clickedAt)));
        QVERIFY(dialogs.worker.isNull());
    }

    void failedRequestClosesAtOnce()
    {
        TfVersion::VersionFileUrl = HttpStub::RefusedUrl();
        TfVersion::TickMilliseconds = 1000;
        CheckDialogs dialogs;
        CheckForNewVersion(nullptr);
        QCOMPARE(dialogs.Boxes(), QStringList());
        QVERIFY(dialogs.closedAt < 1000);
        QCOMPARE(dialogs.ticks, 0);
    }

    // A window that is closed before the worker ended (as when it is never run) stops the
    // worker and waits for it: the thread never outlives the window.
    void windowGoneBeforeTheWorker()
    {
        HttpStub server;
        server.behaviour = HttpStub::Behaviour::Silent;
        TfVersion::VersionFileUrl = server.Url();
        TfVersion::TickMilliseconds = 1000;
        ScriptedDialogs dialogs; // rejects the window without running it
        QPointer<TThreadVersion> worker;
        dialogs.onExec = [&](QDialog &dialog) {
            worker = qobject_cast<TfVersion *>(&dialog)->Worker();
            QTest::qWait(50);
            return int(QDialog::Rejected);
        };
        QElapsedTimer clock;
        clock.start();
        CheckForNewVersion(nullptr);
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(worker.isNull());
        QCOMPARE(dialogs.shown.size(), 1);
    }

private:
    UrlCatcher catcher_;
};

QTEST_MAIN(TestVersion)
#include "tst_version.moc"
