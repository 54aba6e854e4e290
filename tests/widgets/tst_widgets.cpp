#include "tests/support/testdir.h"
#include "widgets/filelistview.h"
#include "widgets/foldertree.h"
#include "widgets/buttons.h"
#include "widgets/linepicture.h"

#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTreeView>
#include <QScopeGuard>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Captions(const FileListView &list)
{
    QStringList captions;
    for (int i = 0; i < list.Count(); ++i)
        captions << list.Caption(i);
    return captions;
}

int RowOf(const FileListView &list, const QString &caption)
{
    return static_cast<int>(Captions(list).indexOf(caption));
}

QPoint CenterOf(QAbstractItemView *view, int row)
{
    return view->visualRect(view->model()->index(row, 0)).center();
}

void Click(FileListView &list, int row, Qt::KeyboardModifiers modifiers = {})
{
    QAbstractItemView *view = list.View();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, CenterOf(view, row));
}

} // namespace

class TestWidgets : public QObject {
    Q_OBJECT

private:
    // A folder with sub-folders, hidden entries and files of mixed letter case.
    void Populate(TestDir &dir)
    {
        dir.CreateDir("Zeta");
        dir.CreateDir("alpha");
        dir.CreateDir(".config");
        dir.CreateFile("b.txt", "bb");
        dir.CreateFile("A.mp3", "a");
        dir.CreateFile("c.MP3");
        dir.CreateFile(".oculto.mp3");
        dir.CreateFile("README");
    }

    // A shown list on a populated folder.
    void Open(FileListView &list, TestDir &dir)
    {
        Populate(dir);
        list.resize(640, 480);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.SetDirectory(dir.Path());
    }

private slots:
    void picturesFollowTheColourScheme_data()
    {
        QTest::addColumn<QIcon>("picture");
        QTest::addColumn<bool>("blue");
        QTest::newRow("close, stock picture stood in for") << Picture("cv-no-such-icon", QStyle::SP_DialogCloseButton) << false;
        QTest::newRow("next file, the blue arrows") << Picture("cv-no-such-icon", QStyle::SP_MediaSeekForward) << true;
        QTest::newRow("first file") << Picture("cv-no-such-icon", QStyle::SP_MediaSkipBackward) << true;
        QTest::newRow("up") << Picture("cv-no-such-icon", QStyle::SP_ArrowUp) << false;
        QTest::newRow("remove the tag") << Picture("cv-no-such-icon", QStyle::SP_TrashIcon) << false;
        QTest::newRow("add to the list") << Picture("cv-no-such-icon", Line::Plus) << false;
        QTest::newRow("change extension") << LinePicture(Line::ChangeExtension) << false;
        QTest::newRow("add extension") << LinePicture(Line::AddExtension) << false;
        QTest::newRow("remove extension") << LinePicture(Line::RemoveExtension) << false;
        QTest::newRow("music") << LinePicture(Line::Note) << false;
    }
    void picturesFollowTheColourScheme()
    {
        QFETCH(QIcon, picture);
        QFETCH(bool, blue);
        const QPalette usual = QGuiApplication::palette();
        const auto restore = qScopeGuard([&] { QGuiApplication::setPalette(usual); });
        for (const bool dark : {false, true}) {
            QPalette palette;
            palette.setColor(QPalette::Window, dark ? QColor(0x30, 0x2F, 0x2E) : QColor(0xEF, 0xEF, 0xEF));
            palette.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
            palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
            QGuiApplication::setPalette(palette);
            // The same icon, drawn again in the scheme now in use.
            for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                const QImage image = picture.pixmap(QSize(24, 24), mode).toImage();
                int ink = 0;
                QColor darkest(Qt::white), lightest(Qt::black);
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x) {
                        const QColor pixel = image.pixelColor(x, y);
                        if (pixel.alpha() < 250)
                            continue;
                        ++ink;
                        if (pixel.lightness() < darkest.lightness())
                            darkest = pixel;
                        if (pixel.lightness() > lightest.lightness())
                            lightest = pixel;
                    }
                QVERIFY2(ink >= 12, qPrintable(QString::number(ink)));
                const QColor colour = dark ? lightest : darkest;
                const QColor expected = mode == QIcon::Disabled ? QColor(0x80, 0x80, 0x80)
                                        : blue                  ? ReadableBlue(palette)
                                                                : palette.color(QPalette::WindowText);
                const bool near = qAbs(colour.red() - expected.red()) <= 2 && qAbs(colour.green() - expected.green()) <= 2
                                  && qAbs(colour.blue() - expected.blue()) <= 2;
                QVERIFY2(near, qPrintable(colour.name() + u' ' + expected.name()));
                QVERIFY(Contrast(colour, palette.color(QPalette::Window)) >= (mode == QIcon::Disabled ? 2.0 : 4.5));
            }
        }
    }

    void initTestCase() { QCoreApplication::setApplicationName("CarventoUtilities"); }

    void startsOnDrivesInDetails()
    {
        FileListView list;
        QCOMPARE(list.Directory(), QString("Drives"));
        QCOMPARE(list.Mask(), QString("*.*"));
        QCOMPARE(list.GetViewStyle(), ViewStyle::vsReport);
        QCOMPARE(list.SelectedItem(), QString());
        QVERIFY(list.Count() >= 1);
        QCOMPARE(list.Caption(0), QString("/"));
        QVERIFY(!Captions(list).contains(FileListView::ParentCaption));
        QVERIFY(qobject_cast<QTreeView *>(list.View()));
    }

    void detailsColumns()
    {
        FileListView list;
        auto *view = qobject_cast<QTreeView *>(list.View());
        QVERIFY(view);
        const QStringList titles{"Nombre", "Tamaño", "Tipo", "Modificado", "Attributos"};
        const QList<int> widths{165, 75, 95, 125, 40};
        QCOMPARE(view->model()->columnCount(), 5);
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(view->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
            QVERIFY(view->header()->sectionSize(column) >= widths[column]);
        }
        // The type of a folder is shown whole; the name takes the room the others leave.
        const QFontMetrics metrics(view->font());
        QVERIFY(view->header()->sectionSize(2) > metrics.horizontalAdvance(QStringLiteral("Carpeta de archivos")));
        QVERIFY(view->header()->sectionSize(1) > metrics.horizontalAdvance(QStringLiteral("2.356 KB")));
        for (const int width : {1200, 900}) {
            list.resize(width, 400);
            list.show();
            QVERIFY(QTest::qWaitForWindowExposed(&list));
            QTRY_COMPARE(view->header()->length(), view->viewport()->width());
            QVERIFY(view->header()->sectionSize(0) > 165);
        }
        // Too narrow for all: the name keeps most of the width, the others scroll into view.
        list.resize(300, 400);
        QTRY_VERIFY(view->header()->sectionSize(0) >= qMax(165, view->viewport()->width() * 2 / 3));
        QVERIFY(view->header()->length() > view->viewport()->width());
    }

    void entryOrderAndCaptions()
    {
        TestDir dir;
        FileListView list;
        Populate(dir);
        list.SetDirectory(dir.Path());
        QCOMPARE(Captions(list), (QStringList{" <- Anterior", ".config", "alpha", "Zeta", ".oculto.mp3",
                                              "A.mp3", "b.txt", "c.MP3", "README"}));
    }

    void mask_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("all") << "*.*" << QStringList{".oculto.mp3", "A.mp3", "b.txt", "c.MP3", "README"};
        QTest::newRow("mp3 any case") << "*.mp3" << QStringList{".oculto.mp3", "A.mp3", "c.MP3"};
        QTest::newRow("two patterns") << "*.txt;*.MP3" << QStringList{".oculto.mp3", "A.mp3", "b.txt", "c.MP3"};
        QTest::newRow("question mark") << "?.mp3" << QStringList{"A.mp3", "c.MP3"};
        QTest::newRow("nothing matches") << "*.wav" << QStringList{};
    }

    void mask()
    {
        QFETCH(QString, mask);
        QFETCH(QStringList, files);
        TestDir dir;
        FileListView list;
        Populate(dir);
        list.SetMask(mask);
        list.SetDirectory(dir.Path());
        QCOMPARE(Captions(list), QStringList({" <- Anterior", ".config", "alpha", "Zeta"}) + files);
        list.SetMask("*.txt"); // a new mask reads the folder again
        QCOMPARE(Captions(list).mid(4), QStringList{"b.txt"});
    }

    // What SetDirectory takes: the list of drives in any letter case, a folder with or without
    // its trailing separators; a value that is no folder leaves the shown one as it was.
    void directoryValue_data()
    {
        QTest::addColumn<QString>("value"); // "@" stands for the test folder
        QTest::addColumn<QString>("shown"); // the list starts on "@/alpha/"
        QTest::newRow("drives") << "Drives" << "Drives";
        QTest::newRow("drives, small letters") << "drives" << "Drives";
        QTest::newRow("drives, capitals") << "DRIVES" << "Drives";
        QTest::newRow("root") << "/" << "/";
        QTest::newRow("folder") << "@" << "@/";
        QTest::newRow("folder with separator") << "@/" << "@/";
        QTest::newRow("folder with two separators") << "@//" << "@/";
        QTest::newRow("missing") << "@/nada" << "@/alpha/";
        QTest::newRow("a file") << "@/b.txt" << "@/alpha/";
        QTest::newRow("empty") << "" << "@/alpha/";
        QTest::newRow("relative") << "sub" << "@/alpha/";
    }
    void directoryValue()
    {
        QFETCH(QString, value);
        QFETCH(QString, shown);
        TestDir dir;
        FileListView list;
        Populate(dir);
        dir.CreateFile("alpha/sub/x.mp3");
        list.SetDirectory(dir.FilePath("alpha"));
        const QStringList before = Captions(list);
        QCOMPARE(before, (QStringList{" <- Anterior", "sub"}));
        list.SetDirectory(value.replace("@", dir.Path()));
        QCOMPARE(list.Directory(), shown.replace("@", dir.Path()));
        if (shown == "Drives")
            QCOMPARE(list.Caption(0), QString("/"));
        if (shown == dir.FilePath("alpha/"))
            QCOMPARE(Captions(list), before);
    }

    void sameFolderNotReread()
    {
        TestDir dir;
        FileListView list;
        dir.CreateDir("Musica");
        list.SetDirectory(dir.FilePath("Musica"));
        dir.CreateFile("Musica/nuevo.mp3");
        list.SetSelected(0, true);
        list.SetDirectory(dir.FilePath("Musica/"));
        list.SetDirectory(dir.FilePath("MUSICA"));
        QCOMPARE(list.Directory(), dir.FilePath("Musica/"));
        QCOMPARE(list.Count(), 1);          // not read again
        QVERIFY(list.Selected(0));
    }

    void foldersDifferingInCaseAreTwoFolders()
    {
        TestDir dir;
        FileListView list;
        dir.CreateFile("Musica/uno.mp3");
        dir.CreateFile("musica/dos.mp3");
        list.SetDirectory(dir.FilePath("Musica"));
        list.SetDirectory(dir.FilePath("musica"));
        QCOMPARE(list.Directory(), dir.FilePath("musica/"));
        QCOMPARE(Captions(list), (QStringList{" <- Anterior", "dos.mp3"}));
    }

    void clickTakesSelectedItem()
    {
        TestDir dir;
        FileListView list;
        Open(list, dir);
        QSignalSpy clicks(&list, &FileListView::Click);
        const int row = RowOf(list, "b.txt");
        list.SetSelected(row, true);
        QCOMPARE(list.SelectedItem(), QString());   // selecting alone is no click
        QCOMPARE(clicks.count(), 0);

        QString seenInHandler;
        connect(&list, &FileListView::Click, this, [&] { seenInHandler = list.SelectedItem(); });
        Click(list, RowOf(list, "alpha"));
        QCOMPARE(list.SelCount(), 1);
        QCOMPARE(list.SelectedItem(), dir.FilePath("alpha"));
        QCOMPARE(seenInHandler, dir.FilePath("alpha"));
        QCOMPARE(clicks.count(), 1);

        Click(list, row, Qt::ControlModifier);
        QCOMPARE(list.SelCount(), 2);
        QCOMPARE(list.SelectedItem(), dir.FilePath("alpha"));   // first selected in list order
        QCOMPARE(clicks.count(), 2);
    }

    void setSelectedReachesTheViews()
    {
        TestDir dir;
        FileListView list;
        Open(list, dir);
        list.SetSelected(2, true);
        list.SetSelected(3, true);
        list.SetSelected(2, false);
        list.SetSelected(99, true);                          // out of range: ignored
        QVERIFY(!list.Selected(2) && list.Selected(3));
        QCOMPARE(list.SelCount(), 1);
        QCoreApplication::processEvents();
        QItemSelectionModel *shown = list.View()->selectionModel();
        QVERIFY(shown->isSelected(shown->model()->index(3, 0)));
        QVERIFY(!shown->isSelected(shown->model()->index(2, 0)));

        list.SetSelected(4, true);                           // a click right after still wins
        Click(list, 6);
        QCOMPARE(list.SelCount(), 1);
        QVERIFY(list.Selected(6));
        QCOMPARE(list.SelectedItem(), dir.FilePath(list.Caption(6)));
    }

    void selectionModelSeesSetSelectedAtOnce()
    {
        TestDir dir;
        FileListView list;
        Open(list, dir);
        list.SetSelected(2, true);
        // Whoever works through the views' selection model right away acts on row 2 too.
        QItemSelectionModel *shown = list.View()->selectionModel();
        shown->select(shown->model()->index(3, 0), QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
        QVERIFY(shown->isSelected(shown->model()->index(2, 0)));
        QVERIFY(list.Selected(2) && list.Selected(3));
        QCOMPARE(list.SelCount(), 2);
        list.SetSelected(3, false);
        shown->clear();
        QCoreApplication::processEvents();
        QCOMPARE(list.SelCount(), 0);                        // nothing comes back later
        QVERIFY(!shown->hasSelection());
    }

    void parentEntryPath()
    {
        TestDir dir;
        FileListView list;
        Open(list, dir);
        Click(list, 0);
        QCOMPARE(list.SelectedItem(), QFileInfo(dir.Path()).path() + "/");
    }

    void clickLeavingNothingSelectedChangesNothing()
    {
        TestDir dir;
        FileListView list;
        Open(list, dir);
        const int row = RowOf(list, "A.mp3");
        Click(list, row);
        QSignalSpy clicks(&list, &FileListView::Click);
        Click(list, row, Qt::ControlModifier);           // deselects it
        QCOMPARE(list.SelCount(), 0);
        QAbstractItemView *view = list.View();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, view->viewport()->height() - 5));
        QCOMPARE(list.SelCount(), 0);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(list.SelectedItem(), dir.FilePath("A.mp3"));
    }

    void upDownRelease_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("down") << int(Qt::Key_Down) << "A.mp3" << "b.txt";
        QTest::newRow("up") << int(Qt::Key_Up) << "A.mp3" << ".oculto.mp3";
    }

    void upDownRelease()
    {
        QFETCH(int, key);
        QFETCH(QString, from);
        QFETCH(QString, to);
        TestDir dir;
        FileListView list;
        Open(list, dir);
        QSignalSpy clicks(&list, &FileListView::Click);
        QAbstractItemView *view = list.View();
        QTest::keyRelease(view, Qt::Key(key)); // nothing selected: no click
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(list.SelectedItem(), QString());
        Click(list, RowOf(list, from));
        clicks.clear();
        QTest::keyPress(view, Qt::Key(key));
        QCOMPARE(list.Selected(RowOf(list, to)), true);
        QCOMPARE(list.SelectedItem(), dir.FilePath(from));   // not before the release
        QCOMPARE(clicks.count(), 0);
        QTest::keyRelease(view, Qt::Key(key));
        QCOMPARE(list.SelectedItem(), dir.FilePath(to));
        QCOMPARE(clicks.count(), 1);
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(clicks.count(), 1);                         // other keys are no click
    }

    void viewStylesShareEntriesAndSelection_data()
    {
        QTest::addColumn<ViewStyle>("style");
        QTest::addColumn<int>("mode");
        QTest::newRow("large icons") << ViewStyle::vsIcon << int(QListView::IconMode);
        QTest::newRow("small icons") << ViewStyle::vsSmallIcon << int(QListView::ListMode);
        QTest::newRow("list") << ViewStyle::vsList << int(QListView::ListMode);
    }

    void viewStylesShareEntriesAndSelection()
    {
        QFETCH(ViewStyle, style);
        QFETCH(int, mode);
        TestDir dir;
        FileListView list;
        Open(list, dir);
        const QStringList captions = Captions(list);
        list.SetSelected(2, true);
        list.SetSelected(5, true);

        list.SetViewStyle(style);
        QCOMPARE(list.GetViewStyle(), style);
        auto *icons = qobject_cast<QListView *>(list.View());
        QVERIFY(icons);
        QVERIFY(icons->isVisible());
        QCOMPARE(int(icons->viewMode()), mode);
        QCOMPARE(Captions(list), captions);
        QCOMPARE(list.SelCount(), 2);
        QVERIFY(list.Selected(2) && list.Selected(5));

        QSignalSpy clicks(&list, &FileListView::Click);
        Click(list, RowOf(list, "b.txt"));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(list.SelectedItem(), dir.FilePath("b.txt"));

        list.SetViewStyle(ViewStyle::vsReport);
        QVERIFY(qobject_cast<QTreeView *>(list.View()));
        QCOMPARE(list.SelCount(), 1);
        QVERIFY(list.Selected(RowOf(list, "b.txt")));
    }

    void keysAreSignalledInEveryStyle_data()
    {
        QTest::addColumn<ViewStyle>("style");
        QTest::newRow("details") << ViewStyle::vsReport;
        QTest::newRow("list") << ViewStyle::vsList;
        QTest::newRow("large icons") << ViewStyle::vsIcon;
    }
    void keysAreSignalledInEveryStyle()
    {
        QFETCH(ViewStyle, style);
        TestDir dir;
        FileListView list;
        Open(list, dir);
        list.SetViewStyle(style);
        QList<int> down;
        QList<int> up;
        connect(&list, &FileListView::KeyDown, this, [&](QKeyEvent *event) {
            down << event->key();
            if (event->key() == Qt::Key_Return)
                event->accept();                             // kept from the list
        });
        connect(&list, &FileListView::KeyUp, this, [&](QKeyEvent *event) { up << event->key(); });
        Click(list, RowOf(list, "alpha"));
        QTest::keyClick(list.View(), Qt::Key_F5);
        QTest::keyClick(list.View(), Qt::Key_Return);
        QCOMPARE(list.Directory(), dir.Path() + "/");        // Enter did not open "alpha"
        QTest::keyClick(list.View(), Qt::Key_Down);
        QCOMPARE(down, (QList<int>{Qt::Key_F5, Qt::Key_Return, Qt::Key_Down}));
        QCOMPARE(up, (QList<int>{Qt::Key_F5, Qt::Key_Return, Qt::Key_Down}));
        // The list still moved, and the release of Down took the new entry.
        QCOMPARE(list.SelCount(), 1);
        QVERIFY(!list.Selected(RowOf(list, "alpha")));
        QVERIFY(list.SelectedItem() != dir.FilePath("alpha"));

        FolderTree tree;
        QSignalSpy treeDown(&tree, &FolderTree::KeyDown);
        QSignalSpy treeUp(&tree, &FolderTree::KeyUp);
        QTest::keyClick(&tree, Qt::Key_F5);
        QCOMPARE(treeDown.count(), 1);
        QCOMPARE(treeUp.count(), 1);
    }

    void rereadFolder()
    {
        TestDir dir;
        FileListView list;
        Open(list, dir);
        list.SetSelected(RowOf(list, "b.txt"), true);
        list.SetSelected(RowOf(list, "README"), true);
        dir.CreateFile("nuevo.txt");
        QVERIFY(QFile::remove(dir.FilePath("README")));
        list.RereadFolder();
        QVERIFY(Captions(list).contains("nuevo.txt"));
        QVERIFY(!Captions(list).contains("README"));
        QCOMPARE(list.SelCount(), 1);
        QVERIFY(list.Selected(RowOf(list, "b.txt")));
    }

    // A folder that vanished since it was shown, or that cannot be read, lists only the way up.
    void folderThatCannotBeRead_data()
    {
        QTest::addColumn<bool>("vanished"); // else closed to everyone
        QTest::newRow("vanished") << true;
        QTest::newRow("unreadable") << false;
    }
    void folderThatCannotBeRead()
    {
        QFETCH(bool, vanished);
        if (!vanished && ::geteuid() == 0)
            QSKIP("root reads every folder");
        TestDir dir;
        FileListView list;
        const QString folder = dir.CreateDir("carpeta");
        dir.CreateFile("carpeta/x.mp3");
        const QByteArray native = QFile::encodeName(folder);
        const auto reopen = qScopeGuard([&] { ::chmod(native.constData(), 0700); });
        if (vanished) {
            list.SetDirectory(folder);
            QCOMPARE(list.Count(), 2);
            QVERIFY(QDir(folder).removeRecursively());
            list.RereadFolder();
            QCOMPARE(list.Directory(), folder + "/");
        } else {
            QVERIFY(::chmod(native.constData(), 0) == 0);
            list.SetDirectory(folder);
        }
        QCOMPARE(Captions(list), QStringList{" <- Anterior"});
    }

    void nonUtf8Name()
    {
        TestDir dir;
        FileListView list;
        const QByteArray raw = QFile::encodeName(dir.Path()) + "/caf\xe9\xff.mp3";
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        list.resize(400, 300);
        list.show();
        list.SetDirectory(dir.Path());
        QCOMPARE(list.Count(), 2);
        QVERIFY(list.Caption(1).startsWith("caf"));
        list.SetViewStyle(ViewStyle::vsIcon);
        Click(list, 1);
        QVERIFY(list.SelectedItem().startsWith(dir.FilePath("caf")));
        QCOMPARE(::access(raw.constData(), F_OK), 0);
        ::unlink(raw.constData());                           // the temporary folder cannot name it
    }

    void nonUtf8FolderInTree()
    {
        TestDir dir;
        const QByteArray raw = QFile::encodeName(dir.Path()) + "/m\xfasica";
        QVERIFY(::mkdir(raw.constData(), 0755) == 0);
        FolderTree tree;
        FileListView list;
        tree.SetFileList(&list);
        tree.OpenFolder(dir.Path());
        tree.expand(tree.currentIndex());
        const QModelIndex odd = tree.model()->index(0, 0, tree.currentIndex());
        QVERIFY(odd.data().toString().startsWith("m"));
        tree.expand(odd);
        tree.setCurrentIndex(odd);                           // chosen: nothing to show, nothing broken
        QCOMPARE(::access(raw.constData(), F_OK), 0);
        ::rmdir(raw.constData());
    }

    void doubleClickOpensFoldersAndTree()
    {
        TestDir dir;
        FileListView list;
        FolderTree tree;
        list.SetDirTree(&tree);
        tree.SetFileList(&list);
        Open(list, dir);
        dir.CreateFile("alpha/dentro.txt");
        QAbstractItemView *view = list.View();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, CenterOf(view, RowOf(list, "alpha")));
        QCOMPARE(list.Directory(), dir.FilePath("alpha/"));
        QCOMPARE(Captions(list), (QStringList{" <- Anterior", "dentro.txt"}));
        QCOMPARE(tree.SelectedPath(), dir.FilePath("alpha/"));
        QCOMPARE(tree.currentIndex().data().toString(), QString("alpha"));

        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, CenterOf(view, 0));
        QCOMPARE(list.Directory(), dir.Path() + "/");
        QCOMPARE(tree.SelectedPath(), dir.Path() + "/");

        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, CenterOf(view, RowOf(list, "b.txt")));
        QCOMPARE(list.Directory(), dir.Path() + "/");       // a file opens nothing

        list.SetDirectory("/");
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, CenterOf(view, 0));
        QCOMPARE(list.Directory(), QString("Drives"));
        QCOMPARE(tree.SelectedPath(), QString("Drives"));
    }

    // A right click opens the menu on the entry under the pointer, but is no click; without a
    // menu, or with an empty one, nothing opens.
    void rightClickOpensThePopupMenu()
    {
        TestDir dir;
        FileListView list;
        Open(list, dir);
        QWidget *viewport = list.View()->viewport();
        const auto menuEvent = [&](const QPoint &at) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
            QCoreApplication::sendEvent(viewport, &event);
        };
        menuEvent(CenterOf(list.View(), RowOf(list, "A.mp3"))); // no menu: nothing happens
        QMenu empty;
        list.SetPopupMenu(&empty);
        menuEvent(CenterOf(list.View(), RowOf(list, "A.mp3")));
        QVERIFY(!empty.isVisible());

        QMenu menu;
        menu.addAction("Refrescar");
        list.SetPopupMenu(&menu);
        QSignalSpy clicks(&list, &FileListView::Click);
        QSignalSpy shown(&menu, &QMenu::aboutToShow);
        const QPoint at = CenterOf(list.View(), RowOf(list, "b.txt"));
        QTest::mouseClick(viewport, Qt::RightButton, {}, at);
        if (shown.isEmpty())                                 // platforms that leave the menu event to us
            menuEvent(at);
        QCOMPARE(shown.count(), 1);
        QVERIFY(menu.isVisible());
        QCOMPARE(list.SelectedItem(), dir.FilePath("b.txt"));
        QVERIFY(list.Selected(RowOf(list, "b.txt")));
        QCOMPARE(clicks.count(), 0);
        menu.close();
    }

    void treeStartsAtDrives()
    {
        FolderTree tree;
        QCOMPARE(tree.SelectedPath(), QString());
        QAbstractItemModel *model = tree.model();
        QCOMPARE(model->rowCount(), 1);
        const QModelIndex drives = model->index(0, 0);
        QCOMPARE(drives.data().toString(), QString("Drives"));
        QVERIFY(tree.isExpanded(drives));
        QCOMPARE(model->index(0, 0, drives).data().toString(), QString("/"));
    }

    void openFolderIgnoresBadPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << "";
        QTest::newRow("one character") << "/";
        QTest::newRow("missing") << "/no/existe/en/absoluto";
        QTest::newRow("a file") << "FILE";
        QTest::newRow("relative") << "tmp";
    }

    void openFolderIgnoresBadPaths()
    {
        QFETCH(QString, path);
        TestDir dir;
        const QString file = dir.CreateFile("f.txt");
        FolderTree tree;
        FileListView list;
        tree.SetFileList(&list);
        tree.SetSelectedPath("antes");
        QSignalSpy changes(&tree, &FolderTree::DirChange);
        tree.OpenFolder(path == "FILE" ? file : path);
        QCOMPARE(tree.SelectedPath(), QString("antes"));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(list.Directory(), QString("Drives"));
    }

    void openFolder()
    {
        TestDir dir;
        const QString deep = dir.CreateDir("uno/.dos");
        FolderTree tree;
        FileListView list;
        tree.SetFileList(&list);
        QSignalSpy changes(&tree, &FolderTree::DirChange);
        tree.OpenFolder(deep);
        QCOMPARE(tree.SelectedPath(), deep + "/");
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.first().first().toString(), deep + "/");
        const QModelIndex current = tree.currentIndex();
        QCOMPARE(current.data().toString(), QString(".dos"));
        QVERIFY(tree.selectionModel()->isSelected(current));
        QVERIFY(tree.isExpanded(current.parent()));
        QCOMPARE(list.Directory(), deep + "/");

        tree.OpenFolder(deep + "/");                         // the same folder again still reports
        QCOMPARE(changes.count(), 2);
    }

    void setSelectedPathOnlyRecords()
    {
        TestDir dir;
        FolderTree tree;
        QSignalSpy changes(&tree, &FolderTree::DirChange);
        tree.SetSelectedPath(dir.Path());
        QCOMPARE(tree.SelectedPath(), dir.Path());
        QCOMPARE(changes.count(), 0);
        QVERIFY(!tree.currentIndex().isValid());
    }

    void treeChoiceShowsFolderInList()
    {
        TestDir dir;
        dir.CreateDir("a");
        dir.CreateDir("b");
        FolderTree tree;
        FileListView list;
        tree.SetFileList(&list);
        tree.resize(300, 600);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        tree.OpenFolder(dir.Path());
        tree.expand(tree.currentIndex());
        const QModelIndex first = tree.model()->index(0, 0, tree.currentIndex());
        QCOMPARE(first.data().toString(), QString("a"));
        tree.scrollTo(first);
        QSignalSpy changes(&tree, &FolderTree::DirChange);

        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(first).center());
        QCOMPARE(list.Directory(), dir.FilePath("a/"));
        QCOMPARE(tree.SelectedPath(), dir.FilePath("a/"));
        QCOMPARE(changes.count(), 1);

        QTest::keyClick(&tree, Qt::Key_Down);
        QCOMPARE(list.Directory(), dir.FilePath("b/"));
        QCOMPARE(tree.SelectedPath(), dir.FilePath("b/"));

        const QModelIndex drives = tree.model()->index(0, 0);
        tree.scrollTo(drives);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(drives).center());
        QCOMPARE(tree.SelectedPath(), QString("Drives"));
        QCOMPARE(list.Directory(), QString("Drives"));
    }

    void rebuildTree()
    {
        TestDir dir;
        const QString folder = dir.CreateDir("x");
        FolderTree tree;
        tree.OpenFolder(folder);
        const QString later = dir.CreateDir("x/nueva");
        tree.RebuildTree();
        QCOMPARE(tree.SelectedPath(), folder + "/");
        const QModelIndex drives = tree.model()->index(0, 0);
        QVERIFY(tree.isExpanded(drives));
        QVERIFY(!tree.isExpanded(tree.model()->index(0, 0, drives)));   // "/" closed again
        QVERIFY(!tree.currentIndex().isValid());

        tree.OpenFolder(later);                              // nodes were read afresh
        QCOMPARE(tree.currentIndex().data().toString(), QString("nueva"));

        QVERIFY(QDir(folder).removeRecursively());
        tree.RebuildTree();
        tree.OpenFolder(later);                              // gone: the tree stays at its root
        QVERIFY(!tree.currentIndex().isValid());
        QCOMPARE(tree.SelectedPath(), later + "/");
    }

    // Re-reading a folder's sub-folders: gone ones leave, new ones come in tree order, and
    // each one still there keeps its node, expanded or not.
    void rereadSubfolders_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("one renamed") << QStringList{"a", "b", "c"} << QStringList{"a", "b2", "c"};
        QTest::newRow("every other one renamed") << QStringList{"a", "c", "e", "g"} << QStringList{"b", "c", "f", "g", "h"};
        QTest::newRow("runs at both ends") << QStringList{"m", "n"} << QStringList{"A", "B", "m", "n", "y", "z"};
        QTest::newRow("all gone") << QStringList{"a", "b"} << QStringList{};
        QTest::newRow("from none") << QStringList{} << QStringList{"X", "x"};
        QTest::newRow("letter case only") << QStringList{"abc", "k"} << QStringList{"ABC", "k"};
    }
    void rereadSubfolders()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        TestDir dir;
        const QString top = dir.CreateDir("top");
        for (const QString &name : before)
            dir.CreateDir("top/" + name + "/dentro");
        FolderTree tree;
        tree.OpenFolder(top);
        const QModelIndex shown = tree.currentIndex();
        tree.expand(shown);
        const auto children = [&tree](const QModelIndex &parent) {
            QStringList names;
            for (int row = 0; row < tree.model()->rowCount(parent); ++row)
                names << tree.model()->index(row, 0, parent).data().toString();
            return names;
        };
        QCOMPARE(children(shown), before);
        for (int row = 0; row < int(before.size()); ++row)
            tree.expand(tree.model()->index(row, 0, shown));
        for (const QString &name : before)
            if (!after.contains(name))
                QVERIFY(QDir(top).rename(name, name + "~tmp") && QDir(top + "/" + name + "~tmp").removeRecursively());
        for (const QString &name : after)
            if (!before.contains(name))
                dir.CreateDir("top/" + name);

        tree.RereadSubfolders(top + "/");
        QCOMPARE(tree.currentIndex(), shown);
        QCOMPARE(children(shown), after);
        for (int row = 0; row < int(after.size()); ++row) {
            const QModelIndex child = tree.model()->index(row, 0, shown);
            QCOMPARE(tree.model()->parent(child), shown);
            QCOMPARE(tree.isExpanded(child), before.contains(after[row]));
            QCOMPARE(children(child), before.contains(after[row]) ? QStringList{"dentro"} : QStringList{});
        }
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
