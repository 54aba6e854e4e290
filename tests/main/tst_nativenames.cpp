// Files and folders whose names are not UTF-8 are worked on by their own bytes: tagged,
// renamed, given another extension, and reopened at the next start.
#include "tests/main/windowfixture.h"
#include "tests/support/mp3file.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdir.h"

#include "main/main.h"
#include "platform/paths.h"
#include "rename/VistaPrevia.h"
#include "rename/avanzado.h"
#include "widgets/filelistview.h"
#include "widgets/foldertree.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {
const QString Bad = QString(QChar::ReplacementCharacter);

// Runs the advanced rename of the selected entries with the given new name, then accepts the
// preview.
void AdvancedRename(TfUtilities &w, const QString &newName)
{
    ScriptedDialogs dialogs;
    dialogs.onExec = [&](QDialog &dialog) {
        if (auto *advanced = qobject_cast<TfAvanzado *>(&dialog)) {
            advanced->show();
            advanced->SetLines({newName});
            advanced->sbRenombrar->click();
            return advanced->result();
        }
        auto *preview = qobject_cast<TfVistaPrevia *>(&dialog);
        preview->sbAceptar->click();
        return preview->result();
    };
    QTest::mouseClick(w.sbAvanzadas, Qt::LeftButton);
    QVERIFY(dialogs.Of(QStringLiteral("Message")).isEmpty());
}
} // namespace

class TestNativeNames : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("CarventoUtilities")); }

    void latin1NamedFile()
    {
        WindowEnvironment env;
        TestDir dir;
        const QByteArray latin1 = "can\xF1on.mp3";
        QVERIFY(!dir.CreateNativeFile(latin1, Audio()).isEmpty());
        dir.CreateFile(QStringLiteral("otra.mp3"), Audio());
        env.StoreFolders(dir.Path(), dir.Path());
        auto w = env.NewWindow();
        const QString shown = "can" + Bad + "on.mp3";

        // Listed with a visible mark, and tagged together with the other file.
        SelectEntries(w->FicherosTag, {shown, QStringLiteral("otra.mp3")});
        w->FicherosTagClick();
        QCOMPARE(w->lbTantoDeTanto->text(), QStringLiteral("Fichero actual (1 de 2) :"));
        QCOMPARE(w->lbFichero->text(), shown);
        w->edTituloV1->setText(QStringLiteral("Cañón"));
        w->edTituloV2->setText(QStringLiteral("Cañón"));
        ScriptedDialogs quiet;
        w->sbActual->click();
        QVERIFY(quiet.shown.isEmpty());
        TID3v1 v1;
        TID3v2 v2;
        QVERIFY(v1.ReadTag(TagFilePath(dir.Native() + latin1)));
        QVERIFY(v2.ReadTag(TagFilePath(dir.Native() + latin1)));
        QCOMPARE(v1.Title(), std::string("Cañón"));
        QCOMPARE(v2.Title(), std::string("Cañón"));

        // Another extension, then numbered in the advanced rename: the odd byte stays.
        SelectEntries(w->Ficheros, {shown});
        w->ChangeExtension(QStringLiteral("wma"));
        QVERIFY(quiet.shown.isEmpty());
        QCOMPARE(dir.NativeNames(), (QByteArrayList{"can\xF1on.wma", "otra.mp3"}));
        SelectEntries(w->Ficheros, {"can" + Bad + "on.wma"});
        AdvancedRename(*w, "001can" + Bad + "on.wma");
        QCOMPARE(dir.NativeNames(), (QByteArrayList{"001can\xF1on.wma", "otra.mp3"}));
        // A typed name is UTF-8.
        SelectEntries(w->Ficheros, {"001can" + Bad + "on.wma"});
        AdvancedRename(*w, QStringLiteral("Cañón.wma"));
        QCOMPARE(dir.NativeNames(), (QByteArrayList{"Cañón.wma", "otra.mp3"}));
        QVERIFY(v2.ReadTag(TagFilePath(dir.Native() + "Cañón.wma")));
        QCOMPARE(v2.Title(), std::string("Cañón"));
    }

    // The folder shown on each page is reopened at the next start by its own bytes; a folder
    // stored as plain text reads back unchanged, also when its text looks escaped.
    void folderReopened_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("stored"); // after the folder's path and "/"
        QTest::newRow("latin-1") << QByteArray("m\xFAsica 100%") << "m%FAsica 100%25/";
        QTest::newRow("text that reads as escaped") << QByteArray("a%FA") << "a%FA/";
    }
    void folderReopened()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, stored);
        WindowEnvironment env;
        TestDir dir;
        const QByteArray folder = dir.CreateNativeDir(name);
        QVERIFY(!folder.isEmpty());
        QVERIFY(!dir.CreateNativeFile(name + "/a.mp3").isEmpty());
        {
            auto w = env.NewWindow();
            w->Carpetas->OpenNativeFolder(folder);
            w->CarpetasTag->OpenNativeFolder(folder);
            QCOMPARE(w->Ficheros->NativeDirectory(), folder + '/');
            QVERIFY(w->close());
        }
        QCOMPARE(env.ReadKeyText(QStringLiteral("RUTA RENOMBRADOR")), dir.Path() + u'/' + stored);
        QCOMPARE(env.ReadKeyText(QStringLiteral("RUTA TAG")), dir.Path() + u'/' + stored);
        auto again = env.NewWindow();
        for (const FileListView *list : {again->Ficheros, again->FicherosTag})
            QCOMPARE(list->NativeDirectory(), folder + '/');
        for (const FolderTree *tree : {again->Carpetas, again->CarpetasTag}) {
            QCOMPARE(tree->NativeSelectedPath(), folder + '/');
            QCOMPARE(tree->currentIndex().data().toString(), PathFromNative(name));
        }
        QVERIFY(Captions(again->Ficheros).contains(QStringLiteral("a.mp3")));
    }
};

QTEST_MAIN(TestNativeNames)
#include "tst_nativenames.moc"
