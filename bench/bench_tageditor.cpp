// The tag editor against the bare tag library doing the same reads and writes:
// building the list for 2,000 selected files, one version 1 field into 2,000 files, one
// version 2 field into 200 files of 8 MB. The editor's saves commit in groups, so a save is
// set against the library's writes in one SaveGroup (the same writes, journal and syncs) and
// also against the same writes each made durable on its own.
#include "main/main.h"
#include "platform/paths.h"
#include "tags/SaveGroup.h"
#include "widgets/filelistview.h"

#include <QToolButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace {

QByteArray Audio(qsizetype size)
{
    QByteArray bytes(size, '\0');
    quint32 x = 12345;
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((x = x * 1103515245 + 12345) >> 16);
    return bytes;
}

// A folder of `count` tagged MP3 files of `size` bytes of audio.
QString TaggedFolder(QTemporaryDir &dir, int count, qsizetype size)
{
    const QByteArray audio = Audio(size);
    TID3v1 v1;
    v1.SetTitle("Titulo");
    v1.SetArtist("Artista");
    v1.SetGenreIndex(17);
    TID3v2 v2;
    v2.SetTitle("Titulo de la cancion");
    v2.SetArtist("Artista");
    v2.SetAlbum("Album");
    v2.SetYear("1999");
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("Canción %1.mp3").arg(i, 5, 10, QLatin1Char('0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(audio) != audio.size())
            return {};
        file.close();
        v1.WriteTag(TagFilePath(path));
        v2.WriteTag(TagFilePath(path));
    }
    return dir.path() + u'/';
}

// The main window on the tag page with every file of `folder` selected.
std::unique_ptr<TfUtilities> EditorOn(const QString &folder)
{
    auto w = std::make_unique<TfUtilities>();
    w->mmCvTagClick();
    w->FicherosTag->SetDirectory(folder);
    for (int i = 0; i < w->FicherosTag->Count(); ++i)
        w->FicherosTag->SetSelected(i, w->FicherosTag->Kind(i) == FileListView::EntryKind::File);
    return w;
}

struct Folder {
    QTemporaryDir dir;
    QString path;
    Folder(int count, qsizetype size) { path = TaggedFolder(dir, count, size); }
};

Folder &Small()
{
    static Folder folder(2000, 4096);
    return folder;
}

Folder &Large()
{
    static Folder folder(200, 8 * 1024 * 1024);
    return folder;
}

double Seconds(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times the bare library and the editor doing the same work in each iteration, taking turns
// at going first, and reports both and their ratio. `grouped`, when given, is a second
// baseline that joins the turns.
void Compare(benchmark::State &state, const std::function<void()> &baseline, const std::function<void()> &editor,
             const std::function<void()> &grouped = {})
{
    double baseTime = 0, editorTime = 0, groupTime = 0;
    int rounds = 0;
    for (auto _ : state) {
        double b = 0, e = 0, g = 0;
        std::vector<std::function<void()>> turns = {[&] { b = Seconds(baseline); }, [&] { e = Seconds(editor); }};
        if (grouped)
            turns.push_back([&] { g = Seconds(grouped); });
        for (std::size_t t = 0; t < turns.size(); ++t)
            turns[(t + std::size_t(rounds)) % turns.size()]();
        baseTime += b;
        editorTime += e;
        groupTime += g;
        ++rounds;
        state.SetIterationTime(e);
    }
    state.counters["library_ms"] = baseTime / rounds * 1000;
    state.counters["editor_ms"] = editorTime / rounds * 1000;
    state.counters["ratio"] = editorTime / baseTime;
    if (grouped) {
        state.counters["group_ms"] = groupTime / rounds * 1000;
        state.counters["ratio_group"] = editorTime / groupTime;
    }
}

std::vector<std::unique_ptr<TID3>> Records(const QString &path)
{
    const QDir folder(path);
    std::vector<std::unique_ptr<TID3>> records;
    for (const QString &name : folder.entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name))
        records.push_back(std::make_unique<TID3>(folder.filePath(name)));
    return records;
}

// One more save by the editor, untimed, then every file read back: the figures count only
// when the editor's saves reach the files.
void CheckEditorWrites(benchmark::State &state, QLineEdit *box, QAbstractButton *button, const QString &folder,
                       const std::function<std::string(const TID3 &)> &field)
{
    box->setText(QStringLiteral("Comprobación"));
    button->click();
    for (const auto &record : Records(folder))
        if (field(*record) != QStringLiteral("Comprobación").toStdString())
            return state.SkipWithError("the editor's save did not reach every file");
}

void BM_BuildList2000(benchmark::State &state)
{
    auto w = EditorOn(Small().path);
    Compare(
        state, [] { benchmark::DoNotOptimize(Records(Small().path).size()); },
        [&] { w->FicherosTagClick(); });
    if (w->TagList.size() != 2000)
        state.SkipWithError("not every file was listed");
}

// A new value for every save, so that no save finds its value already in the file (the
// library leaves a tag that would not change untouched); the library's and the editor's of
// the same length.
std::string NextValue(const char *who)
{
    static int count = 0;
    return QStringLiteral("%1 %2").arg(QLatin1String(who)).arg(++count, 6, 10, QLatin1Char('0')).toStdString();
}

void BM_SaveV1Title2000(benchmark::State &state)
{
    auto w = EditorOn(Small().path);
    w->FicherosTagClick();
    w->pcID3->setCurrentWidget(w->tsID3v1);
    auto records = Records(Small().path);
    const auto write = [&] {
        const std::string title = NextValue("Biblioteca");
        for (auto &record : records) {
            record->V1.SetTitle(title);
            record->V1.WriteTag(TagFilePath(record->FilePath));
        }
    };
    Compare(
        state, write,
        [&] {
            w->edTituloV1->setText(QString::fromStdString(NextValue("Editor....")));
            w->SpeedButton6Click();
        },
        [&] {
            cvtags::SaveGroup group;
            write();
            group.Commit();
        });
    CheckEditorWrites(state, w->edTituloV1, w->SpeedButton6, Small().path, [](const TID3 &r) { return r.V1.Title(); });
}

void BM_SaveV2Album200x8MB(benchmark::State &state)
{
    auto w = EditorOn(Large().path);
    w->FicherosTagClick();
    w->pcID3->setCurrentWidget(w->tsID3v2);
    auto records = Records(Large().path);
    const auto write = [&] {
        const std::string album = NextValue("Biblioteca");
        for (auto &record : records) {
            record->V2.SetAlbum(album);
            record->V2.WriteTag(TagFilePath(record->FilePath));
        }
    };
    Compare(
        state, write,
        [&] {
            w->edAlbumV2->setText(QString::fromStdString(NextValue("Editor....")));
            w->SpeedButton20Click();
        },
        [&] {
            cvtags::SaveGroup group;
            write();
            group.Commit();
        });
    CheckEditorWrites(state, w->edAlbumV2, w->SpeedButton20, Large().path, [](const TID3 &r) { return r.V2.Album(); });
}

} // namespace

BENCHMARK(BM_BuildList2000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_SaveV1Title2000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_SaveV2Album200x8MB)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(4);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings of the window and the journal go to folders of their own.
    QTemporaryDir config, state;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
