#include "platform/settingskey.h"
#include "tests/support/scripteddialogs.h"
#include "widgets/formstorage.h"
#include "widgets/screenfit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QScreen>
#include <QListWidget>
#include <QMainWindow>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {

const QStringList MainProps = {"cbExtensiones.Items", "edCadenaSeparacion.Text", "clbCampos.Items"};

// A main window with the stored controls and their design-time contents; like every window,
// it saves at a close it allows and when it is destroyed while shown.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(QStringList props = MainProps)
    {
        setObjectName("TfUtilities");
        auto *central = new QWidget(this);
        auto *layout = new QVBoxLayout(central);
        cbExtensiones = new QComboBox(central);
        cbExtensiones->setObjectName("cbExtensiones");
        cbExtensiones->addItems({"bmp", "jpg", "mp3", "wma"});
        edCadenaSeparacion = new QLineEdit(central);
        edCadenaSeparacion->setObjectName("edCadenaSeparacion");
        clbCampos = new QListWidget(central);
        clbCampos->setObjectName("clbCampos");
        for (const char *field : {"Título", "Artista", "Álbum", "Pista"}) {
            auto *item = new QListWidgetItem(QString::fromUtf8(field), clbCampos);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        layout->addWidget(cbExtensiones);
        layout->addWidget(edCadenaSeparacion);
        layout->addWidget(clbCampos);
        setCentralWidget(central);
        setGeometry(40, 50, 400, 300);
        storage = new FormStorage(this, SettingsKey::FilePath(), "TfUtilities", props);
    }
    ~MainForm() override { storage->SaveBeforeDestruction(); }

    QStringList Extensions() const
    {
        QStringList items;
        for (int i = 0; i < cbExtensiones->count(); ++i)
            items.append(cbExtensiones->itemText(i));
        return items;
    }
    QStringList Fields() const
    {
        QStringList items;
        for (int i = 0; i < clbCampos->count(); ++i)
            items.append(clbCampos->item(i)->text());
        return items;
    }

    QComboBox *cbExtensiones;
    QLineEdit *edCadenaSeparacion;
    QListWidget *clbCampos;
    FormStorage *storage;
    QString textAtShow; // what the window's own show handler found

protected:
    void showEvent(QShowEvent *event) override
    {
        textAtShow = edCadenaSeparacion->text();
        QMainWindow::showEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        QMainWindow::closeEvent(event);
        if (event->isAccepted())
            storage->Save();
    }
};

// A small dialog that cannot be resized, stored in the INI file.
class SmallDialog : public QDialog {
    Q_OBJECT
public:
    SmallDialog()
    {
        setObjectName("TfNumerar");
        auto *layout = new QVBoxLayout(this);
        ckRellenar = new QCheckBox("Rellenar", this);
        ckRellenar->setObjectName("ckRellenar");
        seLongitud = new QDoubleSpinBox(this);
        seLongitud->setObjectName("seLongitud");
        seLongitud->setRange(0, 100);
        seLongitud->setValue(1);
        sePosicion = new QSpinBox(this);
        sePosicion->setObjectName("sePosicion");
        sePosicion->setRange(0, 255);
        edCadena = new QLineEdit(this);
        edCadena->setObjectName("edCadena");
        pcPrincipal = new QTabWidget(this);
        pcPrincipal->setObjectName("pcPrincipal");
        for (const char *name : {"tsPosicion", "tsCadena"}) {
            auto *page = new QWidget;
            page->setObjectName(name);
            pcPrincipal->addTab(page, name);
        }
        for (QWidget *w : std::initializer_list<QWidget *>{ckRellenar, seLongitud, sePosicion, edCadena, pcPrincipal})
            layout->addWidget(w);
        setFixedSize(300, 200);
        move(10, 10);
        storage = new FormStorage(this, IniFilePath(), "TfNumerar",
                                  {"ckRellenar.Checked", "seLongitud.Value", "sePosicion.Value", "edCadena.Text",
                                   "pcPrincipal.ActivePage"});
    }
    ~SmallDialog() override { storage->SaveBeforeDestruction(); }

    QCheckBox *ckRellenar;
    QDoubleSpinBox *seLongitud;
    QSpinBox *sePosicion;
    QLineEdit *edCadena;
    QTabWidget *pcPrincipal;
    FormStorage *storage;
};

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QString SettingsFile() { return SettingsKey::FilePath(); }
QString IniFile() { return IniFilePath(); }

QString Entry(const QString &path, const QString &key)
{
    QSettings settings(path, QSettings::IniFormat);
    return settings.value(key).toString();
}

} // namespace

class TestFormStorage : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QDir(SettingsFile()).removeRecursively();
        QFile::remove(SettingsFile());
        QFile::remove(IniFile());
    }

    // Where the README says: both files in the program's folder of the user's config folder.
    void storesLiveInTheConfigFolder()
    {
        {
            MainForm form;
            form.show();
            QVERIFY(form.close());
            SmallDialog dialog;
            dialog.show();
            dialog.accept();
        }
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/CarventoUtilities/");
        QCOMPARE(Entry(folder + QStringLiteral("settings.ini"), "TfUtilities/FormVersion"), QStringLiteral("0"));
        QCOMPARE(Entry(folder + QStringLiteral("CarventoUtilities.INI"), "TfNumerar/FormVersion"), QStringLiteral("0"));
    }

    void exactFileContentsAfterSave()
    {
        WriteAll(SettingsFile(), "[General]\nREVISAR=0\n");
        MainForm form;
        form.show();
        form.edCadenaSeparacion->setText(" - ");
        form.cbExtensiones->addItem("a, b");
        form.clbCampos->item(0)->setCheckState(Qt::Checked);
        QVERIFY(form.close());
        const int ppi = form.storage->CurrentPixelsPerInch();
        const QByteArray expected = "[General]\nREVISAR=0\n\n"
                                    "[TfUtilities]\n"
                                    "Flags=0\nFormVersion=0\nMinMaxPos=\"0,0,0,0\"\nNormPos=\"40,50,440,350\"\n"
                                    "PixelsPerInch=" + QByteArray::number(ppi) + "\nShowCmd=1\nVisible=0\n"
                                      "edCadenaSeparacion_Text=-\n\n"
                                      "[TfUtilities.cbExtensiones_Items]\n"
                                      "Count=5\nItem0=bmp\nItem1=jpg\nItem2=mp3\nItem3=wma\nItem4=\"a, b\"\n\n"
                                      "[TfUtilities.clbCampos_Items]\n"
                                      "Count=4\nItem0=Título\nItem1=Artista\nItem2=Álbum\nItem3=Pista\n";
        QCOMPARE(QString::fromUtf8(ReadAll(SettingsFile())), QString::fromUtf8(expected));
    }

    void restoresBeforeOwnShowHandler()
    {
        {
            MainForm form;
            form.show();
            form.edCadenaSeparacion->setText(" - ");
            form.cbExtensiones->clear();
            form.cbExtensiones->addItems({"flac", "bmp", " ogg "});
            form.setGeometry(60, 70, 400, 300);
            form.close();
        }
        MainForm form;
        form.show();
        QCOMPARE(form.textAtShow, QStringLiteral("-"));
        QCOMPARE(form.Extensions(), QStringList({"flac", "bmp", " ogg "}));   // items as they were
        QCOMPARE(form.cbExtensiones->currentText(), QStringLiteral("bmp")); // still the chosen one
        QCOMPARE(form.geometry(), QRect(60, 70, 400, 300));
        MainForm unchosen;
        unchosen.cbExtensiones->setCurrentIndex(-1);
        unchosen.show();
        QCOMPARE(unchosen.cbExtensiones->currentIndex(), -1);
    }

    void emptiedListGivesDesignTimeItemsBack()
    {
        {
            MainForm form;
            form.show();
            form.cbExtensiones->addItem("zip");
            form.close();
        }
        QCOMPARE(Entry(SettingsFile(), "TfUtilities.cbExtensiones_Items/Count"), QStringLiteral("5"));
        {
            MainForm form;
            form.show();
            QCOMPARE(form.cbExtensiones->count(), 5);
            form.cbExtensiones->clear();
            form.close();
        }
        QSettings settings(SettingsFile(), QSettings::IniFormat);
        QVERIFY(!settings.childGroups().contains("TfUtilities.cbExtensiones_Items"));
        QVERIFY(settings.childGroups().contains("TfUtilities.clbCampos_Items"));
        MainForm form;
        form.show();
        QCOMPARE(form.Extensions(), QStringList({"bmp", "jpg", "mp3", "wma"}));
    }

    void fieldOrderSurvivesChecksDoNot()
    {
        {
            MainForm form;
            form.show();
            form.clbCampos->insertItem(0, form.clbCampos->takeItem(2));
            form.clbCampos->item(1)->setCheckState(Qt::Checked);
            form.close();
        }
        MainForm form;
        form.show();
        QCOMPARE(form.Fields(), QStringList({"Álbum", "Título", "Artista", "Pista"}));
        for (int i = 0; i < form.clbCampos->count(); ++i) {
            QCOMPARE(form.clbCampos->item(i)->checkState(), Qt::Unchecked);
            QVERIFY(form.clbCampos->item(i)->flags() & Qt::ItemIsUserCheckable);
        }
    }

    void dialogValuesRoundTripAndCancelSaves()
    {
        ScriptedDialogs dialogs;
        {
            SmallDialog dialog;
            dialog.show();
            dialog.ckRellenar->setChecked(true);
            dialog.seLongitud->setValue(2.5);
            dialog.sePosicion->setValue(3);
            dialog.edCadena->setText("  abc ");
            dialog.pcPrincipal->setCurrentIndex(1);
            dialog.reject();
        }
        QCOMPARE(Entry(IniFile(), "TfNumerar/ckRellenar_Checked"), QStringLiteral("True"));
        QCOMPARE(Entry(IniFile(), "TfNumerar/seLongitud_Value"), QStringLiteral("2.5"));
        QCOMPARE(Entry(IniFile(), "TfNumerar/sePosicion_Value"), QStringLiteral("3"));
        QCOMPARE(Entry(IniFile(), "TfNumerar/edCadena_Text"), QStringLiteral("abc"));
        QCOMPARE(Entry(IniFile(), "TfNumerar/pcPrincipal_ActivePage"), QStringLiteral("tsCadena"));
        QCOMPARE(Entry(IniFile(), "TfNumerar/Visible"), QStringLiteral("0"));
        QVERIFY(!QFile::exists(SettingsFile()));
        {
            SmallDialog dialog;
            dialog.show();
            QCOMPARE(dialog.ckRellenar->isChecked(), true);
            QCOMPARE(dialog.seLongitud->value(), 2.5);
            QCOMPARE(dialog.sePosicion->value(), 3);
            QCOMPARE(dialog.edCadena->text(), QStringLiteral("abc"));
            QCOMPARE(dialog.pcPrincipal->currentWidget()->objectName(), QStringLiteral("tsCadena"));
            dialog.ckRellenar->setChecked(false);
            dialog.seLongitud->setValue(3);
            dialog.accept();
        }
        QCOMPARE(Entry(IniFile(), "TfNumerar/ckRellenar_Checked"), QStringLiteral("False"));
        QCOMPARE(Entry(IniFile(), "TfNumerar/seLongitud_Value"), QStringLiteral("3"));
        QVERIFY(dialogs.shown.isEmpty());
    }

    void savedAtEveryCloseOfADialog_data()
    {
        QTest::addColumn<bool>("modal");             // exec() or show()
        QTest::addColumn<QString>("end");
        for (bool modal : {true, false}) {
            for (const char *end : {"accept", "reject", "close button"})
                QTest::addRow("%s, %s", modal ? "exec" : "show", end) << modal << QString::fromLatin1(end);
        }
    }
    void savedAtEveryCloseOfADialog()
    {
        QFETCH(bool, modal);
        QFETCH(QString, end);
        ScriptedDialogs dialogs;
        WriteAll(IniFile(), "[TfNumerar]\nedCadena_Text=antes\n");
        SmallDialog dialog;
        QStringList seen;
        const auto typeAndEnd = [&](const QString &text) {
            seen.append(dialog.edCadena->text());
            dialog.edCadena->setText(text);
            if (end == u"accept")
                dialog.accept();
            else if (end == u"reject")
                dialog.reject();
            else
                dialog.close();
        };
        // Twice: each opening restores (once) and each close saves.
        for (const QString &text : {QStringLiteral("uno"), QStringLiteral("dos")}) {
            if (modal) {
                QTimer::singleShot(0, &dialog, [&] { typeAndEnd(text); });
                dialog.exec();
            } else {
                dialog.show();
                typeAndEnd(text);
            }
            QVERIFY(!dialog.isVisible());
            QCOMPARE(Entry(IniFile(), "TfNumerar/edCadena_Text"), text);
            QCOMPARE(Entry(IniFile(), "TfNumerar/Visible"), QStringLiteral("0"));
        }
        QCOMPARE(seen, (QStringList{"antes", "uno"}));
        QVERIFY(dialogs.shown.isEmpty());
    }

    void hidingIsNoMomentToSave()
    {
        {
            MainForm form;
            form.show();
            form.edCadenaSeparacion->setText("x");
            form.hide();
            SmallDialog dialog;
            dialog.show();
            dialog.hide();
            QVERIFY(!QFile::exists(SettingsFile()));
            QVERIFY(!QFile::exists(IniFile()));
            form.show();
            QVERIFY(form.close());
        }
        QCOMPARE(Entry(SettingsFile(), "TfUtilities/edCadenaSeparacion_Text"), QStringLiteral("x"));
        QVERIFY(!QFile::exists(IniFile()));
    }

    void storedPlacementLandsOnAScreen_data()
    {
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<QRect>("geometry");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QTest::newRow("on the screen") << QByteArray("NormPos=100,110,500,410") << QRect(100, 110, 400, 300);
        QTest::newRow("half off to the right") << QByteArray("NormPos=500,100,1100,400")
                                               << QRect(screen.right() + 1 - 600, 100, 600, 300);
        QTest::newRow("hand-edited: wider than the screen, starting far right")
            << QByteArray("NormPos=500,0,2100,500") << QRect(screen.left(), 0, screen.width(), 500);
        QTest::newRow("title bar above the top") << QByteArray("NormPos=10,-200,410,100") << QRect(10, screen.top(), 400, 300);
        QTest::newRow("taller than the screen") << QByteArray("NormPos=0,0,400,5000")
                                                << QRect(0, screen.top(), 400, screen.height());
    }
    void storedPlacementLandsOnAScreen()
    {
        QFETCH(QByteArray, entries);
        QFETCH(QRect, geometry);
        WriteAll(SettingsFile(), "[TfUtilities]\n" + entries + "\n");
        MainForm form;
        form.show();
        // The platform may push the window in by its frame's width.
        QCOMPARE(form.size(), geometry.size());
        QVERIFY2((form.pos() - geometry.topLeft()).manhattanLength() <= 8, qPrintable(QString::number(form.x())));
        // A fixed-size dialog is only moved.
        WriteAll(IniFile(), "[TfNumerar]\n" + entries + "\n");
        SmallDialog dialog;
        dialog.show();
        QCOMPARE(dialog.size(), QSize(300, 200));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().adjusted(0, 0, 8, 8).contains(dialog.geometry()));
    }

    void fitOnScreens_data()
    {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<bool>("resizable");
        QTest::addColumn<QRect>("fitted");
        // Two screens side by side, the second smaller and lower (a laptop beside a monitor).
        QTest::newRow("on the first") << QRect(100, 100, 400, 300) << true << QRect(100, 100, 400, 300);
        QTest::newRow("mostly on the second") << QRect(1800, 900, 600, 400) << true << QRect(1920, 900, 600, 400);
        QTest::newRow("across the gap below the second") << QRect(2000, 1500, 400, 300) << true
                                                          << QRect(2000, 1068, 400, 300);
        QTest::newRow("on no screen") << QRect(-5000, -5000, 400, 300) << true << QRect(0, 0, 400, 300);
        QTest::newRow("too big, resizable") << QRect(1920, 300, 2000, 2000) << true << QRect(1920, 300, 1366, 1068);
        QTest::newRow("too big, fixed") << QRect(2500, 500, 1500, 200) << false << QRect(1920, 500, 1500, 200);
        QTest::newRow("minimum wins") << QRect(0, 0, 3000, 400) << true << QRect(0, 0, 2000, 400);
    }
    void fitOnScreens()
    {
        QFETCH(QRect, wanted);
        QFETCH(bool, resizable);
        QFETCH(QRect, fitted);
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 300, 1366, 1068)};
        QCOMPARE(FitOnScreens(wanted, screens, QSize(wanted.width() == 3000 ? 2000 : 200, 100), resizable), fitted);
    }

    void fixedSizeDialogTakesOnlyThePosition()
    {
        WriteAll(IniFile(), "[TfNumerar]\nNormPos=100,120,700,520\n");
        SmallDialog dialog;
        dialog.show();
        QCOMPARE(dialog.geometry(), QRect(100, 120, 300, 200));
    }

    void changedResolutionIgnoresPositionOnce()
    {
        const int ppi = MainForm().storage->CurrentPixelsPerInch();
        WriteAll(SettingsFile(), "[TfUtilities]\nNormPos=\"100,110,500,410\"\nPixelsPerInch=" + QByteArray::number(ppi + 48) + "\n");
        {
            MainForm form;
            form.show();
            QCOMPARE(form.geometry(), QRect(40, 50, 400, 300));
            form.close();
        }
        QCOMPARE(Entry(SettingsFile(), "TfUtilities/PixelsPerInch"), QString::number(ppi));
        QCOMPARE(Entry(SettingsFile(), "TfUtilities/NormPos"), QStringLiteral("40,50,440,350"));
        WriteAll(SettingsFile(), "[TfUtilities]\nNormPos=\"100,110,500,410\"\n"); // absent = this screen's
        MainForm form;
        form.show();
        QCOMPARE(form.geometry(), QRect(100, 110, 400, 300));
    }

    void maximisedRoundTrip()
    {
        {
            MainForm form;
            form.show();
            form.showMaximized();
            QTRY_VERIFY(form.isMaximized());
            form.close();
        }
        QCOMPARE(Entry(SettingsFile(), "TfUtilities/ShowCmd"), QStringLiteral("3"));
        QCOMPARE(Entry(SettingsFile(), "TfUtilities/NormPos"), QStringLiteral("40,50,440,350"));
        MainForm form;
        form.show();
        QVERIFY(form.isMaximized());
        form.showNormal();
        QTRY_COMPARE(form.geometry(), QRect(40, 50, 400, 300));
    }

    void minimisedRestoresMinimised()
    {
        WriteAll(SettingsFile(), "[TfUtilities]\nShowCmd=6\n");
        MainForm form;
        form.show();
        QVERIFY(form.isMinimized());
    }

    void noSaveWithoutRestore()
    {
        {
            MainForm form;
            QVERIFY(!form.storage->Save());
        }
        QVERIFY(!QFile::exists(SettingsFile()));
    }

    void destroyedWhileShownSaves()
    {
        {
            auto form = std::make_unique<MainForm>();
            form->show();
            form->edCadenaSeparacion->setText("x");
        }
        QCOMPARE(Entry(SettingsFile(), "TfUtilities/Visible"), QStringLiteral("1"));
        QCOMPARE(Entry(SettingsFile(), "TfUtilities/edCadenaSeparacion_Text"), QStringLiteral("x"));
        {
            auto dialog = std::make_unique<SmallDialog>();
            dialog->show();
        }
        QCOMPARE(Entry(IniFile(), "TfNumerar/Visible"), QStringLiteral("1"));
    }

    void saveErrorIsReportedAndWindowCloses()
    {
        ScriptedDialogs dialogs;
        MainForm form;
        form.show();
        QDir().mkpath(SettingsFile()); // a folder where the file should be
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
        QCOMPARE(dialogs.Of("ReportError").size(), 1);
        QDir().rmdir(SettingsFile());
    }

    void garbageGivesDefaults_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<int>("reports");
        const QStringList design = {"bmp", "jpg", "mp3", "wma"};
        const QRect start(40, 50, 400, 300);
        QTest::newRow("missing section") << QByteArray("[General]\nREVISAR=1\n") << design << start << "" << 0;
        QTest::newRow("count not a number")
            << QByteArray("[TfUtilities.cbExtensiones_Items]\nCount=abc\nItem0=zip\n") << design << start << "" << 0;
        QTest::newRow("count zero") << QByteArray("[TfUtilities.cbExtensiones_Items]\nCount=0\nItem0=zip\n") << design << start << "" << 0;
        QTest::newRow("count with blanks, items missing")
            << QByteArray("[TfUtilities.cbExtensiones_Items]\nCount=\" 3 \"\nItem0=zip\n") << QStringList({"zip", "", ""}) << start << "" << 0;
        QTest::newRow("huge count") << QByteArray("[TfUtilities.cbExtensiones_Items]\nCount=2000000000\nItem0=zip\nItem1=rar\n")
                                    << QStringList({"zip", "rar"}) << start << "" << 0;
        QTest::newRow("norm pos letters") << QByteArray("[TfUtilities]\nNormPos=\"a,b,c,d\"\n") << design << start << "" << 0;
        QTest::newRow("norm pos partly letters")
            << QByteArray("[TfUtilities]\nNormPos=100,x,300,y\n") << design << QRect(100, 50, 200, 300) << "" << 0;
        QTest::newRow("norm pos backwards") << QByteArray("[TfUtilities]\nNormPos=500,60,100,300\n") << design << start << "" << 0;
        QTest::newRow("norm pos on no screen")
            << QByteArray("[TfUtilities]\nNormPos=-90000,-90000,-89000,-89000\n") << design << start << "" << 0;
        QTest::newRow("pixels per inch letters") << QByteArray("[TfUtilities]\nNormPos=1,2,201,102\nPixelsPerInch=x\n") << design << start << "" << 0;
        QTest::newRow("negative form version")
            << QByteArray("[TfUtilities]\nFormVersion=-1\nedCadenaSeparacion_Text=x\n") << design << start << "" << 0;
        QTest::newRow("show state garbage") << QByteArray("[TfUtilities]\nShowCmd=@@\nFlags=zz\n") << design << start << "" << 0;
        QTest::newRow("wrong types")
            << QByteArray("[TfUtilities]\nedCadenaSeparacion_Text=@ByteArray(x)\nNormPos=@Variant(\\0\\0\\0\\x7f\\0)\n"
                          "[TfUtilities.cbExtensiones_Items]\nCount=@ByteArray(2)\n")
            << design << start << "" << 1;
        QTest::newRow("unreadable syntax") << QByteArray("[TfUtilities\n=\n\\\n[]\nedCadenaSeparacion_Text=ok\n")
                                           << design << start << "ok" << 0;
    }
    void garbageGivesDefaults()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, extensions);
        QFETCH(QRect, geometry);
        QFETCH(QString, separator);
        QFETCH(int, reports);
        ScriptedDialogs dialogs;
        WriteAll(SettingsFile(), contents);
        MainForm form;
        form.show();
        QVERIFY(form.isVisible());
        QCOMPARE(form.Extensions(), extensions);
        QCOMPARE(form.geometry(), geometry);
        QCOMPARE(form.edCadenaSeparacion->text(), separator);
        QCOMPARE(dialogs.Of("ReportError").size(), reports);
        QVERIFY(!form.isMinimized() && !form.isMaximized());
        // The next save replaces the garbage with sound entries.
        form.close();
        QCOMPARE(Entry(SettingsFile(), "TfUtilities/NormPos"),
                 QStringLiteral("%1,%2,%3,%4").arg(geometry.x()).arg(geometry.y()).arg(geometry.right() + 1).arg(geometry.bottom() + 1));
    }

    void dialogGarbageIgnored()
    {
        WriteAll(IniFile(), "[TfNumerar]\nsePosicion_Value=2.5\nseLongitud_Value=x\nckRellenar_Checked=yes\n"
                            "pcPrincipal_ActivePage=tsNada\nedCadena_Text=\"a,b\"\n");
        SmallDialog dialog;
        dialog.show();
        QCOMPARE(dialog.sePosicion->value(), 0);
        QCOMPARE(dialog.seLongitud->value(), 1.0);
        QVERIFY(!dialog.ckRellenar->isChecked());
        QCOMPARE(dialog.pcPrincipal->currentIndex(), 0);
        QCOMPARE(dialog.edCadena->text(), QStringLiteral("a,b"));
    }
};

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestFormStorage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_formstorage.moc"
