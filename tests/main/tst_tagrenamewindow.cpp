// The "Renombrar ficheros" and "Masivo" sheets of the tag page, driven as a user would.
#include "tests/main/windowfixture.h"
#include "tests/support/mp3file.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdir.h"

#include "main/main.h"
#include "widgets/filelistview.h"
#include "widgets/foldertree.h"
#include "widgets/radiogroup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {
struct Song {
    QString file;
    int track = 0;
    QString title = {}, artist = {}, album = {};
    int genre = 255;  // version 1 genre number
    QString genreV2 = {};
    bool v1 = true, v2 = true;
};

std::filesystem::path Fs(const QString &path) { return QFile::encodeName(path).toStdString(); }
std::string Utf8(const QString &text) { return text.toStdString(); }

// Stand-in audio with the tags asked for; version 2 gets the texts with "2" appended.
QString MakeSong(TestDir &dir, const QString &folder, const Song &song)
{
    Mp3Tags tags;
    if (song.v1)
        tags.v1 = [&](TID3v1 &v1) {
            v1.SetTrack(std::uint8_t(song.track));
            v1.SetTitle(Utf8(song.title));
            v1.SetArtist(Utf8(song.artist));
            v1.SetAlbum(Utf8(song.album));
            v1.SetComment("comentario");
            v1.SetGenreIndex(std::uint8_t(song.genre));
        };
    if (song.v2)
        tags.v2 = [&](TID3v2 &v2) {
            v2.SetTrack(std::uint8_t(song.track));
            v2.SetTitle(Utf8(song.title + "2"));
            v2.SetArtist(Utf8(song.artist + "2"));
            v2.SetAlbum(Utf8(song.album + "2"));
            v2.SetComment("comentario2");
            v2.SetGenre(Utf8(song.genreV2));
        };
    return MakeMp3(dir.FilePath(folder + u'/' + song.file), tags);
}

TID3v1 ReadV1(const QString &path)
{
    TID3v1 tag;
    tag.ReadTag(Fs(path));
    return tag;
}

TID3v2 ReadV2(const QString &path)
{
    TID3v2 tag;
    tag.ReadTag(Fs(path));
    return tag;
}

QString Q(const std::string &text) { return QString::fromStdString(text); }

QStringList Lines(const QPlainTextEdit *memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QStringList Fields(const QListWidget *list, bool checkedOnly = false)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        if (!checkedOnly || list->item(i)->checkState() == Qt::Checked)
            texts << list->item(i)->text();
    return texts;
}

// Clicks the check box of a field, as the user would.
void ToggleField(QListWidget *list, const QString &text)
{
    QListWidgetItem *item = list->findItems(text, Qt::MatchExactly).value(0);
    QVERIFY(item);
    const QRect rect = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + rect.height() / 2, rect.center().y()));
}

void ChooseVersion(RadioGroup *group, int index)
{
    QTest::mouseClick(group->findChildren<QRadioButton *>().value(index), Qt::LeftButton);
}
} // namespace

class TestTagRenameWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowEnvironment> env_;
    std::unique_ptr<TestDir> dir_;
    std::unique_ptr<TfUtilities> w_;
    QString folder_;
    QStringList paths_;

    // Makes the songs in a folder, shows it on the tag page, selects them all and clicks.
    void List(const QList<Song> &songs, const QString &folderName = QStringLiteral("Grandes éxitos"))
    {
        folder_ = dir_->CreateDir(folderName);
        paths_.clear();
        for (const Song &song : songs)
            paths_ << MakeSong(*dir_, folderName, song);
        env_->WriteKeyText(QStringLiteral("RUTA TAG"), folder_);
        w_ = env_->NewWindow();
        w_->resize(900, 700);
        w_->show();
        w_->mmCvTag->trigger();
        QStringList names;
        for (const Song &song : songs)
            names << song.file;
        SelectEntries(w_->FicherosTag, names);
        w_->FicherosTagClick();
        QCOMPARE(int(w_->TagList.size()), int(songs.size()));
    }

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("CarventoUtilities")); }
    void init()
    {
        env_ = std::make_unique<WindowEnvironment>();
        dir_ = std::make_unique<TestDir>();
    }
    void cleanup()
    {
        w_.reset();
        dir_.reset();
        env_.reset();
    }

    void previewFollowsEveryOption()
    {
        List({{"a.mp3", 7, "B", "A", "X"}, {"b.mp3", 0, "", "C", "Y"}, {"c.mp3", 123, "T", "", "Z"}});
        w_->pcID3->setCurrentWidget(w_->tsRenombrar);
        QVERIFY(!w_->findChild<QWidget *>("pAbajoTag")->isVisible());
        QCOMPARE(Lines(w_->mPrevioRenombre),
                 (QStringList{"01 Indefinido.mp3", "02 Indefinido.mp3", "03 Indefinido.mp3"}));
        QTest::keyClicks(w_->edCadenaSeparacion, "-");
        QCOMPARE(Lines(w_->mPrevioRenombre).value(0), "01- Indefinido.mp3");
        w_->edCadenaSeparacion->clear();

        ToggleField(w_->clbCampos, "Título");
        ToggleField(w_->clbCampos, "Artista");
        QCOMPARE(Fields(w_->clbCampos, true), (QStringList{"Título", "Artista"}));
        QTest::keyClicks(w_->edCadenaSeparacion, " -");
        QCOMPARE(Lines(w_->mPrevioRenombre), (QStringList{"B -A.mp3", " -C.mp3", "T -.mp3"}));
        QTest::keyClick(w_->edCadenaSeparacion, Qt::Key_Space); // every keystroke
        QCOMPARE(Lines(w_->mPrevioRenombre).value(0), "B - A.mp3");

        // "Pista" goes down to third place, its check mark and the selection with it.
        ToggleField(w_->clbCampos, "Pista");
        w_->clbCampos->setCurrentRow(0);
        w_->SpeedButton31->click();
        w_->SpeedButton31->click();
        QCOMPARE(Fields(w_->clbCampos), (QStringList{"Título", "Artista", "Pista", "Álbum"}));
        QCOMPARE(w_->clbCampos->currentItem()->text(), "Pista");
        QVERIFY(w_->clbCampos->currentItem()->isSelected());
        QCOMPARE(Lines(w_->mPrevioRenombre), (QStringList{"B - A - 07.mp3", " - C - 00.mp3", "T -  - 123.mp3"}));
        w_->SpeedButton30->click();
        QCOMPARE(Fields(w_->clbCampos, true), (QStringList{"Título", "Pista", "Artista"}));

        // The ends, and no selection, move nothing.
        w_->clbCampos->setCurrentRow(0);
        w_->SpeedButton30->click();
        w_->clbCampos->setCurrentRow(3);
        w_->SpeedButton31->click();
        w_->clbCampos->clearSelection();
        w_->SpeedButton30->click();
        QCOMPARE(Fields(w_->clbCampos), (QStringList{"Título", "Pista", "Artista", "Álbum"}));

        ChooseVersion(w_->rgID3Renombrar, 1);
        QCOMPARE(Lines(w_->mPrevioRenombre).value(0), "B2 - 07 - A2.mp3");

        // A click in the file list while the sheet is shown refreshes the preview.
        SelectEntries(w_->FicherosTag, {"c.mp3"});
        w_->FicherosTagClick();
        QCOMPARE(Lines(w_->mPrevioRenombre), QStringList{"T2 - 123 - 2.mp3"});
    }

    // Names that would break or hide a file: a line break shows as its symbol in the preview,
    // one line per file, and such files fail and are listed; the others are renamed.
    void namesThatBreakOrHideFiles()
    {
        List({{"a.mp3", 1, "uno\ndos"}, {"b.mp3", 2, "...Baby"}, {"c.mp3", 3, "."}, {"d.mp3", 4, "tres"}});
        w_->pcID3->setCurrentWidget(w_->tsRenombrar);
        ToggleField(w_->clbCampos, "Título");
        QCOMPARE(Lines(w_->mPrevioRenombre),
                 (QStringList{QStringLiteral("uno\u240Ados.mp3"), "...Baby.mp3", "..mp3", "tres.mp3"}));
        ScriptedDialogs dialogs;
        w_->SpeedButton32->click();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].text, "No se han podido renombrar los siguientes ficheros:\n\n"
                                        "a.mp3 — el nombre tiene caracteres de control\n"
                                        "b.mp3 — el nombre quedaría oculto\nc.mp3 — el nombre quedaría oculto\n");
        QVERIFY(QFile::exists(folder_ + "/a.mp3"));
        QVERIFY(QFile::exists(folder_ + "/b.mp3"));
        QVERIFY(QFile::exists(folder_ + "/tres.mp3"));
    }

    // Renaming from tags is undone from the tag list's context menu.
    void undoRenamingFromTags()
    {
        List({{"a.mp3", 1, "Uno"}, {"b.mp3", 2, "Dos"}});
        w_->pcID3->setCurrentWidget(w_->tsRenombrar);
        ToggleField(w_->clbCampos, "Título");
        ScriptedDialogs dialogs;
        w_->SpeedButton32->click();
        QVERIFY(QFile::exists(folder_ + "/Uno.mp3") && QFile::exists(folder_ + "/Dos.mp3"));
        emit w_->pmFicherosTag->aboutToShow();
        QVERIFY(w_->pmDeshacerRenombradoTag->isEnabled());
        dialogs.askAnswers = {true};
        w_->pmDeshacerRenombradoTag->trigger();
        QCOMPARE(dialogs.Of(QStringLiteral("Ask")).value(0).text,
                 QStringLiteral("¿Deshacer el último renombrado?\n2 ficheros recuperarán su nombre anterior."));
        QVERIFY(QFile::exists(folder_ + "/a.mp3") && QFile::exists(folder_ + "/b.mp3"));
        QVERIFY(Captions(w_->FicherosTag).contains("a.mp3"));
        QVERIFY(w_->TagList.empty());
        emit w_->pmFicherosTag->aboutToShow();
        QVERIFY(!w_->pmDeshacerRenombradoTag->isEnabled());
    }

    void renameAllFiles()
    {
        List({{"a.mp3", 1, "Uno"},
              {"b.mp3", 2, "../../fuera"},
              {"c.mp3", 3, "sub/x"},
              {"d.mp3", 4, "Uno"},
              {"e.mp3", 5, "existe"},
              {"f.MP3", 6, "Grande"},
              {"g.mp3", 7, QString(300, u'n')}});
        dir_->CreateFile("Grandes éxitos/existe2.mp3", "otro");
        dir_->CreateDir("Grandes éxitos/sub");
        w_->pcID3->setCurrentWidget(w_->tsRenombrar);
        ToggleField(w_->clbCampos, "Título");
        ChooseVersion(w_->rgID3Renombrar, 1); // version 2 keeps the long title whole
        QCOMPARE(Lines(w_->mPrevioRenombre).value(1), "../../fuera2.mp3"); // shown as built

        ScriptedDialogs dialogs;
        w_->SpeedButton32->click();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].caption, "Atención");
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Warning);
        QCOMPARE(dialogs.shown[0].text, "No se han podido renombrar los siguientes ficheros:\n\n"
                                        "b.mp3 — nombre no válido\nc.mp3 — nombre no válido\n"
                                        "d.mp3 — el nombre nuevo está repetido\n"
                                        "e.mp3 — ya existe\ng.mp3 — nombre demasiado largo\n");
        for (const char *kept : {"b.mp3", "c.mp3", "d.mp3", "e.mp3", "g.mp3"})
            QVERIFY2(dir_->Exists(QStringLiteral("Grandes éxitos/") + kept), kept);
        QCOMPARE(dir_->Read("Grandes éxitos/existe2.mp3"), QByteArray("otro"));
        QVERIFY(dir_->Exists("Grandes éxitos/Uno2.mp3") && dir_->Exists("Grandes éxitos/Grande2.mp3"));
        QVERIFY(!QFile::exists(folder_ + "/../../fuera2.mp3") && !dir_->Exists("Grandes éxitos/sub/x2.mp3"));
        QVERIFY(Captions(w_->FicherosTag).contains("Grande2.mp3"));
        QVERIFY(!Captions(w_->FicherosTag).contains("a.mp3"));
        QVERIFY(w_->mPrevioRenombre->toPlainText().isEmpty());
        QVERIFY(w_->TagList.empty());
        QCOMPARE(w_->CurrentIndex, -1);
        // The sheets keep the last record shown until the next click.
        QCOMPARE(w_->lbTantoDeTanto->text(), "Fichero actual (1 de 7) :");

        // With the list empty the button renames nothing and says nothing.
        w_->SpeedButton32->click();
        QCOMPARE(dialogs.shown.size(), 1);
        QVERIFY(w_->mPrevioRenombre->toPlainText().isEmpty());
    }

    // The files go to the folder chosen in the tree at the moment of the click.
    void renameIntoTheChosenFolder()
    {
        List({{"a.mp3", 1, "Uno"}});
        const QString other = dir_->CreateDir("otra");
        w_->pcID3->setCurrentWidget(w_->tsRenombrar);
        ToggleField(w_->clbCampos, "Título");
        w_->CarpetasTag->OpenFolder(other);
        QCOMPARE(QDir(w_->CarpetasTag->SelectedPath()).canonicalPath(), QDir(other).canonicalPath());
        ScriptedDialogs dialogs;
        w_->SpeedButton32->click();
        QCOMPARE(dialogs.shown.size(), 0);
        QVERIFY(dir_->Exists("otra/Uno.mp3"));
        QVERIFY(!QFile::exists(paths_[0]));
    }

    // A list rebuilt while another sheet was shown is renamed by its own names.
    void renameUsesTheCurrentList()
    {
        List({{"a.mp3", 1, "Uno"}, {"b.mp3", 2, "Dos"}, {"c.mp3", 3, "Tres"}});
        w_->pcID3->setCurrentWidget(w_->tsRenombrar);
        ToggleField(w_->clbCampos, "Título");
        SelectEntries(w_->FicherosTag, {"a.mp3", "b.mp3"});
        w_->FicherosTagClick();
        w_->pcID3->setCurrentWidget(w_->tsID3v1);
        SelectEntries(w_->FicherosTag, {"b.mp3", "c.mp3"});
        w_->FicherosTagClick();
        ScriptedDialogs dialogs;
        w_->SpeedButton32Click();
        QCOMPARE(dialogs.shown.size(), 0);
        for (const char *name : {"a.mp3", "Dos.mp3", "Tres.mp3"})
            QVERIFY2(dir_->Exists(QStringLiteral("Grandes éxitos/") + name), name);
    }

    void massAssignment_data()
    {
        QTest::addColumn<int>("choice");     // -1: the typed text
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("version");
        QTest::addColumn<QStringList>("values"); // of that field, file by file
        QTest::newRow("name into v1 title") << 0 << "" << 0 << 0
                                            << QStringList{"07 - Intro", "a.b", "Nombre de treinta y cinco letr"};
        QTest::newRow("numbered name into v2 album") << 1 << "" << 2 << 1
                                                     << QStringList{"01 07 - Intro", "02 a.b",
                                                                    "03 Nombre de treinta y cinco letras xx"};
        QTest::newRow("folder into v1 artist") << 2 << "" << 1 << 0
                                               << QStringList{"Grandes éxitos", "Grandes éxitos", "Grandes éxitos"};
        QTest::newRow("typed, cut in v1") << -1 << QString(40, u'x') + "  " << 0 << 0
                                          << QStringList(3, QString(30, u'x'));
        QTest::newRow("typed, whole in v2") << -1 << QString(40, u'x') + "  " << 0 << 1
                                            << QStringList(3, QString(40, u'x'));
        QTest::newRow("empty removes the v2 comment") << -1 << "" << 3 << 1 << QStringList(3, QString());
        QTest::newRow("choice edited afterwards is literal") << 0 << "Nombre de fichero!" << 0 << 0
                                                             << QStringList(3, "Nombre de fichero!");
        QTest::newRow("a choice typed is that choice") << -1 << "Nombre de carpeta" << 1 << 0
                                                       << QStringList(3, "Grandes éxitos");
    }
    void massAssignment()
    {
        QFETCH(int, choice);
        QFETCH(QString, typed);
        QFETCH(int, field);
        QFETCH(int, version);
        QFETCH(QStringList, values);
        List({{"07 - Intro.mp3", 1, "t1", "a1", "b1"},
              {"a.b.mp3", 2, "t2", "a2", "b2"},
              {"Nombre de treinta y cinco letras xx.mp3", 3, "t3", "a3", "b3"}});
        w_->pcID3->setCurrentWidget(w_->tsMasivo);
        QCOMPARE(w_->cbValores->count(), 3);
        if (choice >= 0)
            w_->cbValores->setCurrentIndex(choice);
        if (!typed.isEmpty() || choice < 0) {
            w_->cbValores->lineEdit()->selectAll();
            QTest::keyClicks(w_->cbValores->lineEdit(), typed);
            if (typed.isEmpty())
                w_->cbValores->lineEdit()->clear();
        }
        w_->cbCampo->setCurrentIndex(field);
        ChooseVersion(w_->rgID3, version);
        ScriptedDialogs dialogs;
        w_->SpeedButton29->click();
        QCOMPARE(dialogs.shown.size(), 0);

        const auto fieldOf = [field](const auto &tag) {
            switch (field) {
            case 0: return Q(tag.Title());
            case 1: return Q(tag.Artist());
            case 2: return Q(tag.Album());
            default: return Q(tag.Comment());
            }
        };
        for (int i = 0; i < 3; ++i) {
            const TID3v1 v1 = ReadV1(paths_[i]);
            const TID3v2 v2 = ReadV2(paths_[i]);
            QCOMPARE(version == 0 ? fieldOf(v1) : fieldOf(v2), values[i]);
            // The other version and the other fields stay as they were.
            QCOMPARE(Q(version == 0 ? v2.Title() : v1.Title()), version == 0 ? QString("t%1").arg(i + 1) + "2"
                                                                              : QString("t%1").arg(i + 1));
            if (field != 1)
                QCOMPARE(Q(version == 0 ? v1.Artist() : v2.Artist()),
                         QString("a%1").arg(i + 1) + (version == 0 ? "" : "2"));
        }
        QCOMPARE(w_->CurrentIndex, 0);
        if (version == 0 && field == 0)
            QCOMPARE(w_->edTituloV1->text(), values[0]);
    }

    void massAssignmentWithoutField()
    {
        List({{"a.mp3", 1, "t1"}});
        const QByteArray before = dir_->Read("Grandes éxitos/a.mp3");
        w_->pcID3->setCurrentWidget(w_->tsMasivo);
        w_->cbValores->setCurrentIndex(0);
        ScriptedDialogs dialogs;
        w_->SpeedButton29->click();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].caption, "Atención");
        QCOMPARE(dialogs.shown[0].text, "Debes elegir un campo para asignar el valor.");
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Information);
        QCOMPARE(dir_->Read("Grandes éxitos/a.mp3"), before);
    }

    // Coming back to the sheet keeps the words of a picked choice, and they are still that
    // choice.
    void choiceKeptOnReentering()
    {
        List({{"a.mp3", 1, "t1"}});
        w_->pcID3->setCurrentWidget(w_->tsMasivo);
        w_->cbValores->setCurrentIndex(0);
        w_->cbCampo->setCurrentIndex(0);
        w_->pcID3->setCurrentWidget(w_->tsID3v1);
        w_->pcID3->setCurrentWidget(w_->tsMasivo);
        QCOMPARE(w_->cbValores->currentText(), "Nombre de fichero");
        ScriptedDialogs dialogs;
        w_->SpeedButton29->click();
        QCOMPARE(Q(ReadV1(paths_[0]).Title()), "a");
    }

    // The buttons copy between the versions of every file and show the current one; the
    // rules of a copy are the copy functions' own.
    void transfersBetweenVersions()
    {
        List({{"a.mp3", 1, "Uno", "A", "X", 17, "Pop"}, {"b.mp3", 2, QString(40, u'b'), "B", "Y", 0, ""}});
        w_->pcID3->setCurrentWidget(w_->tsMasivo);
        w_->SpeedButton26->click();
        QCOMPARE(int(ReadV1(paths_[0]).GenreIndex()), 13);
        QCOMPARE(Q(ReadV1(paths_[1]).Title()), QString(30, u'b'));

        w_->TagList[0]->V1.SetGenreIndex(17);
        w_->SpeedButton25->click();
        QCOMPARE(Q(ReadV2(paths_[0]).Genre()), "Rock");
        QCOMPARE(Q(ReadV2(paths_[1]).Title()), QString(30, u'b'));
        QCOMPARE(w_->CurrentIndex, 0);
        QCOMPARE(w_->cbGeneroV2->currentText(), "Rock");
    }

    // Files without the tag to copy from are passed over and counted after the failures.
    void transfersTellTheFilesWithoutTheSource_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("v1");  // of the file without the source
        QTest::addColumn<QString>("told");
        QTest::newRow("v1 to v2") << "SpeedButton25" << false
                                  << "2 ficheros no tienen tag ID3v1; su tag ID3v2 no se ha cambiado.";
        QTest::newRow("v2 to v1") << "SpeedButton26" << true
                                  << "2 ficheros no tienen tag ID3v2; su tag ID3v1 no se ha cambiado.";
    }
    void transfersTellTheFilesWithoutTheSource()
    {
        QFETCH(QString, button);
        QFETCH(bool, v1);
        QFETCH(QString, told);
        List({{"a.mp3", 1, "Uno"},
              {"b.mp3", 2, "Dos", "B", "Y", 17, "Pop", v1, !v1},
              {"c.mp3", 3, "Tres", "C", "Z", 0, "Rock", v1, !v1},
              {"d.mp3", 4, "Cuatro"}});
        const QByteArray lacking = dir_->Read("Grandes éxitos/b.mp3");
        QFile::remove(paths_[3]);
        QFile::remove(paths_[2]);
        w_->pcID3->setCurrentWidget(w_->tsMasivo);
        ScriptedDialogs dialogs;
        w_->findChild<QToolButton *>(button)->click();
        QCOMPARE(dir_->Read("Grandes éxitos/b.mp3"), lacking);
        QCOMPARE(dialogs.shown.size(), 2);
        QVERIFY(dialogs.shown[0].text.startsWith("No se han podido guardar los siguientes ficheros:\n\nd.mp3 — "));
        QCOMPARE(dialogs.shown[1].caption, "Atención");
        QCOMPARE(dialogs.shown[1].text, told);
        QCOMPARE(dialogs.shown[1].icon, Dialogs::Icon::Information);
        if (button == "SpeedButton25")
            QCOMPARE(Q(ReadV2(paths_[0]).Title()), "Uno");
        else
            QCOMPARE(Q(ReadV1(paths_[0]).Title()), "Uno2");
    }

    // Each button removes its version from every file; files without it are the core test's.
    void removalsForAllFiles()
    {
        List({{"a.mp3", 1, "Uno"}, {"b.mp3", 2, "Dos"}});
        w_->pcID3->setCurrentWidget(w_->tsMasivo);
        ScriptedDialogs dialogs;
        w_->SpeedButton28->click();
        QVERIFY(!ReadV2(paths_[0]).Present() && !ReadV2(paths_[1]).Present());
        QVERIFY(ReadV1(paths_[0]).Present());
        w_->SpeedButton27->click();
        QCOMPARE(dir_->Read("Grandes éxitos/b.mp3"), Audio());
        QCOMPARE(dialogs.shown.size(), 0);
        QCOMPARE(w_->edTituloV1->text(), "");
    }

    // A file gone since the list was built is reported once; the others are written.
    void failedWritesAreReported_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Todos") << "SpeedButton29";
        QTest::newRow("v1 to v2") << "SpeedButton25";
        QTest::newRow("v2 to v1") << "SpeedButton26";
        QTest::newRow("remove v1") << "SpeedButton27";
        QTest::newRow("remove v2") << "SpeedButton28";
    }
    void failedWritesAreReported()
    {
        QFETCH(QString, button);
        List({{"a.mp3", 1, "Uno"}, {"b.mp3", 2, "Dos"}, {"c.mp3", 3, "Tres"}});
        QFile::remove(paths_[1]);
        w_->pcID3->setCurrentWidget(w_->tsMasivo);
        w_->cbCampo->setCurrentIndex(0);
        QTest::keyClicks(w_->cbValores->lineEdit(), "nuevo");
        ScriptedDialogs dialogs;
        w_->findChild<QToolButton *>(button)->click();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].caption, "Atención");
        QVERIFY(dialogs.shown[0].text.startsWith("No se han podido guardar los siguientes ficheros:\n\nb.mp3 — "));
        QCOMPARE(dialogs.shown[0].text.count(u'\n'), 3);
        QVERIFY(!QFile::exists(paths_[1]));
        if (button == "SpeedButton29")
            QCOMPARE(Q(ReadV1(paths_[2]).Title()), "nuevo");
    }
};

QTEST_MAIN(TestTagRenameWindow)
#include "tst_tagrenamewindow.moc"
