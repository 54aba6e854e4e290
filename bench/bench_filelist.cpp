// Listing a folder of 50,000 files: from assigning Directory to the entries being ready and
// the view laid out and painted.
#include "widgets/filelistview.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int FileCount = 50000;

const QString &BigFolder()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        for (int i = 0; i < FileCount; ++i) {
            const QByteArray name = QFile::encodeName(dir.path()) + "/Canción " + QByteArray::number(i) + ".mp3";
            const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
        return dir.path();
    }();
    return path;
}

void ListFolder(benchmark::State &state, ViewStyle style)
{
    const QString folder = BigFolder();
    FileListView list;
    list.SetViewStyle(style);
    list.resize(800, 600);
    list.show();
    QCoreApplication::processEvents();

    for (auto _ : state) {
        state.PauseTiming();
        list.SetDirectory(FileListView::DrivesValue);
        QCoreApplication::processEvents();
        state.ResumeTiming();

        list.SetDirectory(folder);
        QCoreApplication::processEvents();       // delayed layout and painting of the view
        if (list.Count() != FileCount + 1) {
            state.SkipWithError("not every file was listed");
            break;
        }
    }
}

void BM_ListFiftyThousandDetails(benchmark::State &state) { ListFolder(state, ViewStyle::vsReport); }
void BM_ListFiftyThousandList(benchmark::State &state) { ListFolder(state, ViewStyle::vsList); }
void BM_ListFiftyThousandIcons(benchmark::State &state) { ListFolder(state, ViewStyle::vsIcon); }

// Selecting every entry one by one, as "select all" commands of the window do.
void BM_SelectEveryEntry(benchmark::State &state)
{
    FileListView list;
    list.resize(800, 600);
    list.show();
    list.SetDirectory(BigFolder());
    QCoreApplication::processEvents();
    for (auto _ : state) {
        for (int i = 0; i < list.Count(); ++i)
            list.SetSelected(i, true);
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (list.SelCount() != list.Count())
            state.SkipWithError("not every entry was selected");
        for (int i = 0; i < list.Count(); ++i)
            list.SetSelected(i, false);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_SelectEveryEntry)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ListFiftyThousandDetails)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListFiftyThousandList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListFiftyThousandIcons)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
