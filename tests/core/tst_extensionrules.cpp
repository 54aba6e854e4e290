#include "main/extensionrules.h"
#include "rename/renameplan.h"

#include <QTest>

class TestExtensionRules : public QObject {
    Q_OBJECT
private slots:
    void extensionOf_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::newRow("plain") << "song.mp3" << "mp3";
        QTest::newRow("several dots") << "a.b.tar.gz" << "gz";
        QTest::newRow("ends with dot") << "notes." << "";
        QTest::newRow("no dot") << "README" << "";
        QTest::newRow("hidden file") << ".bashrc" << "bashrc";
        QTest::newRow("blank after dot") << "Mr. Jones - song" << " Jones - song";
        QTest::newRow("letter case kept") << "Canción.MP3" << "MP3";
        QTest::newRow("empty") << "" << "";
    }
    void extensionOf()
    {
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QCOMPARE(ExtensionOf(name), extension);
    }

    void invalidSymbolPos_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("clean") << "mp3" << -1;
        QTest::newRow("slash") << "m/p3" << 2;
        QTest::newRow("nearest the end") << "a:b?c" << 4;
        QTest::newRow("asterisk accepted") << "a*b" << -1;
        QTest::newRow("blank and dot accepted") << ". x" << -1;
        QTest::newRow("quote") << "\"" << 1;
        QTest::newRow("backslash last") << "ab\\" << 3;
        QTest::newRow("less and greater") << "<x>" << 3;
        QTest::newRow("pipe") << "a|b" << 2;
        QTest::newRow("control character accepted") << QString(QChar(9)) << -1;
        QTest::newRow("above 127 accepted") << "ñé€" << -1;
    }
    void invalidSymbolPos()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QCOMPARE(InvalidSymbolPos(text), position);
    }

    void plan_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("question");
        const int change = int(ExtensionOperation::Change);
        const int add = int(ExtensionOperation::Add);
        const int remove = int(ExtensionOperation::Remove);
        const int rename = int(ExtensionStep::Action::Rename);
        const int ask = int(ExtensionStep::Action::AskFirst);
        const int skip = int(ExtensionStep::Action::Skip);
        QTest::newRow("change") << change << "song.mp3" << "wma" << rename << "song.wma" << "";
        QTest::newRow("change last dot only") << change << "archive.tar.gz" << "zip" << rename << "archive.tar.zip" << "";
        QTest::newRow("change no dot appends") << change << "README" << "wma" << rename << "README.wma" << "";
        QTest::newRow("change long asks") << change << "photo.jpeg" << "jpg" << ask << "photo.jpg"
                                          << "¿Estás seguro de querer cambiar la extensión 'jpeg' por 'jpg'?";
        QTest::newRow("change three letters does not ask") << change << "photo.jpe" << "jpg" << rename << "photo.jpg" << "";
        QTest::newRow("change blank after dot asks") << change << "Mr. Jones - song" << "mp3" << ask << "Mr.mp3"
                                                     << "¿Estás seguro de querer cambiar la extensión ' Jones - song' por 'mp3'?";
        QTest::newRow("change ending dot") << change << "notes." << "txt" << rename << "notes.txt" << "";
        QTest::newRow("change parent entry") << change << " <- Anterior" << "mp3" << rename << " <- Anterior.mp3" << "";
        QTest::newRow("add") << add << "a.txt" << "bak" << rename << "a.txt.bak" << "";
        QTest::newRow("add no dot") << add << "README" << "md" << rename << "README.md" << "";
        QTest::newRow("add long extension never asks") << add << "photo.jpeg" << "x" << rename << "photo.jpeg.x" << "";
        QTest::newRow("remove ending dot") << remove << "notes." << "" << rename << "notes" << "";
        QTest::newRow("remove no dot skips") << remove << "notes" << "" << skip << "" << "";
        QTest::newRow("remove last only") << remove << "a.b.c" << "" << rename << "a.b" << "";
        QTest::newRow("remove long asks") << remove << "photo.jpeg" << "" << ask << "photo"
                                          << "¿Estás seguro de querer eliminar la extensión 'jpeg'?";
        QTest::newRow("remove parent entry skips") << remove << " <- Anterior" << "" << skip << "" << "";
    }
    void plan()
    {
        QFETCH(int, operation);
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(int, action);
        QFETCH(QString, newName);
        QFETCH(QString, question);
        const ExtensionStep step = PlanExtensionStep(ExtensionOperation(operation), name, extension);
        QCOMPARE(int(step.action), action);
        if (step.action != ExtensionStep::Action::Skip)
            QCOMPARE(step.newName, newName);
        QCOMPARE(step.question, question);
    }

    void planByKind_data()
    {
        using Kind = FileEntry::Kind;
        QTest::addColumn<int>("operation");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("newName");
        const int change = int(ExtensionOperation::Change);
        const int add = int(ExtensionOperation::Add);
        const int remove = int(ExtensionOperation::Remove);
        const int rename = int(ExtensionStep::Action::Rename);
        const int skip = int(ExtensionStep::Action::Skip);
        const int fail = int(ExtensionStep::Action::Fail);
        QTest::newRow("parent, change") << change << Kind::Parent << " <- Anterior" << fail << "";
        QTest::newRow("parent, add") << add << Kind::Parent << " <- Anterior" << fail << "";
        QTest::newRow("parent, remove") << remove << Kind::Parent << " <- Anterior" << skip << "";
        QTest::newRow("drive, change") << change << Kind::Drive << "/" << fail << "";
        QTest::newRow("drive with a long extension fails unasked") << remove << Kind::Drive << "/media/a.backup" << fail << "";
        QTest::newRow("file named like the parent") << change << Kind::File << " <- Anterior" << rename << " <- Anterior.mp3";
        QTest::newRow("folder") << remove << Kind::Folder << "album.old" << rename << "album";
    }
    void planByKind()
    {
        QFETCH(int, operation);
        QFETCH(FileEntry::Kind, kind);
        QFETCH(QString, name);
        QFETCH(int, action);
        QFETCH(QString, newName);
        const ExtensionStep step = PlanExtensionStep(ExtensionOperation(operation), kind, name, QStringLiteral("mp3"));
        QCOMPARE(int(step.action), action);
        QCOMPARE(step.newName, newName);
        QVERIFY(step.question.isEmpty());
    }

    void pathInFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("folder with separator") << "/m/Music.old/" << "a" << "/m/Music.old/a";
        QTest::newRow("folder without separator") << "/m" << "a.mp3" << "/m/a.mp3";
        QTest::newRow("slash refused") << "/m/" << "a.m/p3" << "";
        QTest::newRow("dot refused") << "/m/" << "." << "";
        QTest::newRow("dot dot refused") << "/m/" << ".." << "";
        QTest::newRow("empty refused") << "/m/" << "" << "";
        QTest::newRow("NUL refused") << "/m/" << QString("a") + QChar(0) + "b" << "";
        QTest::newRow("list of drives") << "Drives" << "a" << "";
        QTest::newRow("relative folder") << "m/" << "a" << "";
    }
    void pathInFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(PathInFolder(folder, name), path);
    }

    void sortedInsert_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("position");
        const QStringList design{"bmp", "jpg", "mp3", "wma"};
        QTest::newRow("middle") << design << "gif" << 1;
        QTest::newRow("first") << design << "avi" << 0;
        QTest::newRow("last") << design << "zip" << 4;
        QTest::newRow("case ignored") << design << "GIF" << 1;
        QTest::newRow("empty list") << QStringList() << "x" << 0;
    }
    void sortedInsert()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, item);
        QFETCH(int, position);
        QCOMPARE(SortedInsertPosition(items, item), position);
    }

    void sortedExtensionList_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("sorted already") << QStringList{"bmp", "jpg"} << QStringList{"bmp", "jpg"};
        QTest::newRow("letter case ignored") << QStringList{"Wma", "bmp", "MP3"} << QStringList{"bmp", "MP3", "Wma"};
        QTest::newRow("first of a duplicate kept") << QStringList{"mp3", "bmp", "MP3"} << QStringList{"bmp", "mp3"};
        QTest::newRow("blanks make another item") << QStringList{"mp3", " mp3"} << QStringList{" mp3", "mp3"};
        QTest::newRow("empty") << QStringList{} << QStringList{};
    }
    void sortedExtensionList()
    {
        QFETCH(QStringList, items);
        QFETCH(QStringList, sorted);
        QCOMPARE(SortedExtensionList(items), sorted);
    }
};

QTEST_APPLESS_MAIN(TestExtensionRules)
#include "tst_extensionrules.moc"
