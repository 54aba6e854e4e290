#include "tests/main/windowfixture.h"
#include "tests/support/scripteddialogs.h"
#include "tests/update/httpstub.h"
#include "tests/support/tabcycle.h"

#include "help/ayuda.h"
#include "widgets/linepicture.h"
#include "main/main.h"
#include "platform/settingskey.h"
#include "update/configuracion.h"
#include "update/version.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl &url) { opened.append(url); }
};

// REVISAR as the settings file holds it; a null text when absent.
static QString StoredRevisar(const WindowEnvironment &env)
{
    QSettings raw(env.SettingsFile(), QSettings::IniFormat);
    return raw.contains(QStringLiteral("REVISAR")) ? raw.value(QStringLiteral("REVISAR")).toString() : QString();
}

class TestUpdateWindows : public QObject {
    Q_OBJECT
private slots:
    void tabVisitsEveryControlOnce()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        for (QDialog *dialog : std::initializer_list<QDialog *>{new TfConfiguracion, new TfAyuda}) {
            const std::unique_ptr<QDialog> owned(dialog);
            dialog->show();
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            if (!QApplication::focusWidget())
                TabStops(dialog).first()->setFocus();
            const QString fault = TabCycleFault(dialog);
            QVERIFY2(fault.isEmpty(), qPrintable(dialog->windowTitle() + QStringLiteral(": ") + fault));
        }
    }

    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
        TfVersion::TickMilliseconds = 20;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher_, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher_, "Open");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    }
    void init() { catcher_.opened.clear(); }

    void configurationShowsAndStores_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("storedAfterOpening");
        QTest::newRow("absent") << QByteArray() << false << "0";
        QTest::newRow("false") << QByteArray("[General]\nREVISAR=0\n") << false << "0";
        QTest::newRow("true") << QByteArray("[General]\nREVISAR=1\n") << true << "1";
        QTest::newRow("any other number") << QByteArray("[General]\nREVISAR=7\n") << true << "7";
    }
    void configurationShowsAndStores()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, checked);
        QFETCH(QString, storedAfterOpening);
        WindowEnvironment env;
        if (!ini.isEmpty())
            env.WriteSettingsFile(ini);
        ScriptedDialogs dialogs;
        TfConfiguracion fConfiguracion;
        QCOMPARE(fConfiguracion.cbRevisar->isChecked(), checked);
        QCOMPARE(StoredRevisar(env), storedAfterOpening);
        // Every click is stored at once, with the window still open.
        fConfiguracion.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fConfiguracion));
        QTest::mouseClick(fConfiguracion.cbRevisar, Qt::LeftButton, {}, QPoint(8, fConfiguracion.cbRevisar->height() / 2));
        QCOMPARE(StoredRevisar(env), checked ? QStringLiteral("0") : QStringLiteral("1"));
        fConfiguracion.cbRevisar->click();
        QCOMPARE(StoredRevisar(env), checked ? QStringLiteral("1") : QStringLiteral("0"));
        QVERIFY(dialogs.shown.isEmpty());
    }

    void configurationWithAWrongTypedValue()
    {
        WindowEnvironment env;
        env.WriteSettingsFile("[General]\nREVISAR=sí\n");
        ScriptedDialogs dialogs;
        TfConfiguracion fConfiguracion;
        QVERIFY(!fConfiguracion.cbRevisar->isChecked());
        QCOMPARE(dialogs.Of(QStringLiteral("ReportError")).size(), 1);
        QCOMPARE(StoredRevisar(env), QStringLiteral("sí"));
    }

    // From the menu: the window, "Revisar ahora" with the box unticked, "&Cerrar".
    void configurationFromTheMenu()
    {
        WindowEnvironment env;
        HttpStub server;
        server.reply = HttpStub::Response(200, "1.0.2F");
        TfVersion::VersionFileUrl = server.Url();
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QVERIFY(w->Configuracin1->isEnabled());
        bool closedByButton = false;
        dialogs.onExec = [&](QDialog &dialog) {
            if (qobject_cast<TfVersion *>(&dialog))
                return dialog.exec();
            auto *config = qobject_cast<TfConfiguracion *>(&dialog);
            if (!config)
                return int(QDialog::Rejected);
            [&] {
            QCOMPARE(config->parentWidget(), w.get());
            QCOMPARE(config->cbRevisar->text(), QStringLiteral("Revisar si existen nuevas versiones al arrancar el programa"));
            QCOMPARE(config->sbRevisarAhora->text(), QStringLiteral("Revisar ahora"));
            QCOMPARE(config->sbRevisarAhora->toolTip(), QStringLiteral("Revisar versión ahora"));
            QCOMPARE(config->sbSalir->text(), QStringLiteral("&Cerrar"));
            QCOMPARE(config->sbSalir->toolTip(), QStringLiteral("Cerrar"));
            QCOMPARE(config->minimumSize(), config->maximumSize());
            }();
            QTimer::singleShot(0, config, [&, config] {
                QTest::mouseClick(config->sbRevisarAhora, Qt::LeftButton);
                QTest::mouseClick(config->sbSalir, Qt::LeftButton);
                closedByButton = !config->isVisible();
            });
            QTimer::singleShot(5000, config, &QDialog::reject);
            return dialog.exec();
        };
        w->Configuracin1->trigger();
        QVERIFY(closedByButton);
        QCOMPARE(dialogs.Of(QStringLiteral("Exec")).size(), 2);
        QCOMPARE(dialogs.Of(QStringLiteral("Exec")).at(0).text, QStringLiteral("fConfiguracion"));
        QCOMPARE(dialogs.Of(QStringLiteral("Exec")).at(1).text, QStringLiteral("fVersion"));
        QCOMPARE(dialogs.Of(QStringLiteral("Message")).size(), 1);
        QCOMPARE(dialogs.Of(QStringLiteral("Message")).first().caption, QStringLiteral("Sin cambios"));
        QCOMPARE(StoredRevisar(env), QStringLiteral("0"));
    }

    // With the box ticked, the next start runs the check before the main window is shown.
    void startUpRunsTheCheckWhenTicked()
    {
        WindowEnvironment env;
        env.WriteSettingsFile("[General]\nREVISAR=1\n");
        HttpStub server;
        server.reply = HttpStub::Response(200, "1.0.3F");
        TfVersion::VersionFileUrl = server.Url();
        ScriptedDialogs dialogs;
        bool mainHidden = false;
        dialogs.onExec = [&](QDialog &dialog) {
            auto *main = qobject_cast<TfUtilities *>(dialog.parentWidget());
            mainHidden = main && !main->isVisible();
            return dialog.exec();
        };
        dialogs.askAnswers = {true};
        auto w = env.NewWindow();
        QVERIFY(mainHidden);
        QCOMPARE(dialogs.Of(QStringLiteral("Ask")).size(), 1);
        QCOMPARE(catcher_.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.carvento.example/"))});
    }

    void helpTextKeepsTheFontSize_data()
    {
        QTest::addColumn<qreal>("points");
        QTest::newRow("small") << 7.0;
        QTest::newRow("usual") << 10.0;
        QTest::newRow("large: wider than the screen") << 24.0;
    }
    void helpTextKeepsTheFontSize()
    {
        QFETCH(qreal, points);
        const QFont usual = QApplication::font();
        QFont font = usual;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        const auto restore = qScopeGuard([&] { QApplication::setFont(usual); });
        TfAyuda help;
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        QCOMPARE(help.Memo1->font().pointSizeF(), points);
        const QRect screen = help.screen()->availableGeometry();
        QVERIFY(help.width() >= 412 && help.width() <= qMax(412, screen.width()));
        // Whole lines: where the screen is too narrow for them, the text scrolls sideways.
        int widest = 0;
        for (const QString &line : HelpLines())
            widest = qMax(widest, QFontMetrics(help.Memo1->font()).horizontalAdvance(line));
        QCOMPARE(help.Memo1->horizontalScrollBar()->isVisible(), widest > help.Memo1->viewport()->width());
        QCOMPARE(help.Memo1->horizontalScrollBar()->isVisible(), points > 20);
        QCOMPARE(help.Memo1->document()->blockCount(), HelpLines().size());
    }

    void webColourReadsOnEveryBackground_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::newRow("light grey") << QColor(0xEF, 0xEF, 0xEF);
        QTest::newRow("white") << QColor(Qt::white);
        QTest::newRow("near black") << QColor(0x30, 0x2F, 0x2E);
        QTest::newRow("black") << QColor(Qt::black);
        QTest::newRow("mid grey") << QColor(0x80, 0x80, 0x80);
    }
    void webColourReadsOnEveryBackground()
    {
        QFETCH(QColor, window);
        QPalette palette;
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::Link, QColor(0x00, 0x00, 0xFF));
        const QColor blue = ReadableBlue(palette);
        QVERIFY2(Contrast(blue, window) >= 4.5 || window == QColor(0x80, 0x80, 0x80), qPrintable(blue.name()));
        QVERIFY(Contrast(blue, window) >= 2.5);
        QVERIFY(blue.blue() > blue.red() && blue.blue() > blue.green());
        // The dark blue of the design where it reads.
        if (window.lightness() > 200)
            QCOMPARE(blue, QColor(0x00, 0x00, 0x80));
    }

    void helpWindow()
    {
        WindowEnvironment env;
        ScriptedDialogs dialogs;
        auto w = env.NewWindow();
        QVERIFY(w->Ayuda1->isEnabled());
        dialogs.onExec = [&](QDialog &dialog) {
            auto *help = qobject_cast<TfAyuda *>(&dialog);
            if (!help)
                return int(QDialog::Rejected);
            [&] {
            QCOMPARE(help->parentWidget(), w.get());
            QCOMPARE(help->windowTitle(), QStringLiteral("Ayuda"));
            // The user's font, whole lines: the window is as wide as the longest one needs.
            QCOMPARE(help->Memo1->font(), QApplication::font());
            QCOMPARE(help->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
            const int width = help->width();
            QVERIFY(width >= 412);
            QCOMPARE(help->height(), 355);
            QCOMPARE(help->minimumSize(), QSize(width, 120));
            QCOMPARE(help->maximumWidth(), width);
            QCOMPARE(help->Panel1->height(), 35);
            QVERIFY(help->Memo1->isReadOnly());
            QCOMPARE(help->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

            const QStringList lines = help->Memo1->toPlainText().split(u'\n');
            QCOMPARE(lines.size(), 21);
            for (int empty : {2, 6, 17})
                QCOMPARE(lines.at(empty), QString());
            QCOMPARE(lines.at(0), QStringLiteral("*  Deja unos segundos el puntero del ratón sobre cualquiera de los botones para "));
            QCOMPARE(lines.at(3), QStringLiteral("* En la página web http://www.carvento.example/ tienes un pequeño manual del "));
            QCOMPARE(lines.at(12), QStringLiteral("  fechas de navegación cuya función es salvar SÓLO los datos del fichero "));
            QCOMPARE(lines.at(19), QStringLiteral("  la dirección carvento@carvento.example. Pulsa en el botón del buzón que hay en esta"));
            QCOMPARE(lines.at(20), QStringLiteral("  ventana, abajo a la izquierda, si quieres enviarme un correo."));

            QCOMPARE(help->sbMail->toolTip(), QStringLiteral("Envíame un mail a carvento@carvento.example"));
            QCOMPARE(help->sbWeb->toolTip(), QStringLiteral("Abrir página http://www.carvento.example/"));
            QCOMPARE(help->sbWeb->text(), QStringLiteral("www"));
            QVERIFY(help->sbWeb->font().bold());
            QCOMPARE(help->sbSalir->text(), QStringLiteral("&Cerrar"));

            help->show();
            QVERIFY(QTest::qWaitForWindowExposed(help));
            // Mail and web at the left, "Cerrar" about the middle.
            QVERIFY(help->sbMail->x() < help->sbWeb->x() && help->sbWeb->x() < help->sbSalir->x());
            QVERIFY(qAbs(help->sbSalir->geometry().center().x() - help->width() / 2) < 30);
            QVERIFY(!help->Memo1->horizontalScrollBar()->isVisible());
            help->resize(width + 300, 50);
            QCOMPARE(help->size(), QSize(width, 120));
            QTest::mouseClick(help->sbMail, Qt::LeftButton);
            QTest::mouseClick(help->sbWeb, Qt::LeftButton);
            QTest::mouseClick(help->sbSalir, Qt::LeftButton);
            QVERIFY(!help->isVisible());
            }();
            return int(QDialog::Rejected);
        };
        w->Ayuda1->trigger();
        QCOMPARE(dialogs.Of(QStringLiteral("Exec")).size(), 1);
        QCOMPARE(catcher_.opened, (QList<QUrl>{QUrl(QStringLiteral("mailto:carvento@carvento.example")),
                                               QUrl(QStringLiteral("http://www.carvento.example/"))}));
    }

private:
    UrlCatcher catcher_;
};

QTEST_MAIN(TestUpdateWindows)
#include "tst_updatewindows.moc"
