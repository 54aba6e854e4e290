// Advanced renaming: the line transformations and the checks of new names over 100,000 lines,
// the dialog opened with 10,000 entries, and renaming 10,000 files through the plan; each
// against a baseline doing the same work in the plainest way, with the ratios at the end.
#include "rename/avanzado.h"
#include "rename/newnames.h"
#include "rename/renamejournal.h"
#include "rename/renameplan.h"
#include "rename/transformations.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <set>
#include <string>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

constexpr int LineCount = 100000;
constexpr int EntryCount = 10000;
constexpr int FileCount = 10000;

const QStringList &Lines()
{
    static const QStringList lines = [] {
        QStringList result;
        result.reserve(LineCount);
        for (int i = 0; i < LineCount; ++i)
            result.append(QStringLiteral("  Artista - Canción número %1 (versión) .mp3 ").arg(i));
        return result;
    }();
    return lines;
}

template <typename Function>
void OverLines(benchmark::State &state, Function function)
{
    const QStringList &lines = Lines();
    for (auto _ : state) {
        QStringList out;
        out.reserve(lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            out.append(function(lines.at(i), int(i)));
        benchmark::DoNotOptimize(out);
    }
}

void BM_NumberLines(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int i) { return NumberLines(line, i, 1, true, 3, 2); });
}
void BM_Baseline_NumberLines(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int i) {
        QString out = line;
        return out.insert(2, QString::number(i + 1).rightJustified(3, u'0'));
    });
}
void BM_InsertText(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int) { return InsertText(line, QStringLiteral(" - "), 10); });
}
void BM_Baseline_InsertText(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int) {
        QString out = line;
        return out.insert(10, QStringLiteral(" - "));
    });
}
void BM_DeleteCharacters(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int) { return DeleteCharacters(line, 2, 10); });
}
void BM_Baseline_DeleteCharacters(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int) {
        QString out = line;
        return out.remove(2, 10);
    });
}
void BM_DeleteText(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int) { return DeleteText(line, QStringLiteral("CIÓN")); });
}
void BM_Baseline_DeleteText(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int) {
        QString out = line;
        return out.remove(QStringLiteral("CIÓN"), Qt::CaseInsensitive);
    });
}
void BM_ReplaceText(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int) {
        return ReplaceText(line, QStringLiteral("ción"), QStringLiteral("tion"));
    });
}
void BM_Baseline_ReplaceText(benchmark::State &state)
{
    OverLines(state, [](const QString &line, int) {
        QString out = line;
        return out.replace(QStringLiteral("ción"), QStringLiteral("tion"), Qt::CaseInsensitive);
    });
}

// Every tenth line holds two forbidden characters.
const QStringList &LinesWithForbidden()
{
    static const QStringList lines = [] {
        QStringList result = Lines();
        for (qsizetype i = 0; i < result.size(); i += 10)
            result[i].append(QStringLiteral("?:"));
        return result;
    }();
    return lines;
}

void BM_CheckNewNames(benchmark::State &state)
{
    for (auto _ : state) {
        const QString report = ForbiddenCharsReport(LinesWithForbidden());
        benchmark::DoNotOptimize(report);
        benchmark::DoNotOptimize(WithoutForbiddenChars(LinesWithForbidden()));
    }
}
// The same findings with Qt's own search for any of the characters.
void BM_Baseline_CheckNewNames(benchmark::State &state)
{
    static const QRegularExpression forbidden(QStringLiteral("[\"/:<>?\\\\|]"));
    for (auto _ : state) {
        const QStringList &lines = LinesWithForbidden();
        QString report;
        for (qsizetype i = lines.size() - 1; i >= 0; --i)
            for (auto it = forbidden.globalMatch(lines.at(i)); it.hasNext();)
                report += QStringLiteral("El carácter '") + it.next().captured() + QStringLiteral("' en la línea ")
                    + QString::number(i + 1) + QStringLiteral(" no está permitido para los nombres de ficheros.\n");
        benchmark::DoNotOptimize(report);
        QStringList cleaned = lines;
        for (QString &line : cleaned)
            line.remove(forbidden);
        benchmark::DoNotOptimize(cleaned);
    }
}
void BM_TrimNewNames(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TrimNewNames(Lines()));
}
void BM_Baseline_TrimNewNames(benchmark::State &state)
{
    for (auto _ : state) {
        QStringList out;
        out.reserve(Lines().size());
        for (const QString &line : Lines())
            if (!line.isEmpty())
                out.append(line.trimmed());
        benchmark::DoNotOptimize(out);
    }
}

// The editor's share of a bulk change: all lines out of the editor and back in.
void BM_EditorRoundTrip(benchmark::State &state)
{
    TfAvanzado dialog;
    dialog.SetLines(Lines());
    for (auto _ : state) {
        const QStringList lines = dialog.Lines();
        dialog.SetLines(lines);
        QCoreApplication::processEvents();
    }
}
void BM_Baseline_EditorRoundTrip(benchmark::State &state)
{
    QPlainTextEdit editor;
    editor.setPlainText(Lines().join(u'\n'));
    for (auto _ : state) {
        const QStringList lines = editor.toPlainText().split(u'\n');
        editor.setPlainText(lines.join(u'\n'));
        QCoreApplication::processEvents();
    }
}

std::vector<FileListView::SelectedEntry> Entries()
{
    std::vector<FileListView::SelectedEntry> entries;
    entries.reserve(EntryCount);
    for (int i = 0; i < EntryCount; ++i)
        entries.push_back({FileListView::EntryKind::File, QStringLiteral("Canción %1.mp3").arg(i)});
    return entries;
}

void BM_OpenDialog10000(benchmark::State &state)
{
    const auto entries = Entries();
    for (auto _ : state) {
        TfAvanzado dialog(entries);
        dialog.show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        dialog.close();
        state.ResumeTiming();
    }
}
// A bare dialog with a list and an editor filled with the same names and empty lines.
void BM_Baseline_OpenDialog10000(benchmark::State &state)
{
    const auto entries = Entries();
    for (auto _ : state) {
        QDialog dialog;
        auto *layout = new QHBoxLayout(&dialog);
        auto *list = new QListWidget(&dialog);
        auto *editor = new QPlainTextEdit(&dialog);
        layout->addWidget(list);
        layout->addWidget(editor);
        QStringList names;
        for (const auto &entry : entries)
            names.append(entry.name);
        list->addItems(names);
        editor->setPlainText(QString(qsizetype(entries.size()) - 1, u'\n'));
        dialog.resize(676, 300);
        dialog.show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        dialog.close();
        state.ResumeTiming();
    }
}

// 10,000 files renamed back and forth between two sets of names.
struct RenameFolder {
    QTemporaryDir dir;
    QStringList names[2];
    std::vector<QByteArray> native[2]; // the names' bytes
    std::vector<QByteArray> paths[2];
    int current = 0;

    RenameFolder()
    {
        for (int i = 0; i < FileCount; ++i) {
            names[0].append(QStringLiteral("Canción %1.mp3").arg(i));
            names[1].append(QStringLiteral("%1 - Canción.mp3").arg(i, 5, 10, QLatin1Char('0')));
        }
        for (int side = 0; side < 2; ++side)
            for (const QString &name : names[side]) {
                native[side].push_back(name.toUtf8());
                paths[side].push_back(QFile::encodeName(dir.path() + u'/' + name));
            }
        for (const QByteArray &path : paths[0]) {
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
};

// The work and its baseline in turns within each iteration, the order swapped every time, so
// a busy machine slows both alike; "ratio" is the median of the turns' ratios.
template <class Work, class Baseline, class Prepare = bool (*)()>
void InTurns(benchmark::State &state, Work work, Baseline baseline, Prepare prepare = [] { return true; })
{
    std::vector<double> ratios;
    double workSeconds = 0;
    double baseSeconds = 0;
    const auto timed = [](auto &run) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = run();
        return ok ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() : -1.0;
    };
    for (auto _ : state) {
        state.PauseTiming();
        const bool prepared = prepare();
        state.ResumeTiming();
        if (!prepared) {
            state.SkipWithError("a rename failed");
            break;
        }
        const bool workFirst = ratios.size() % 2 == 0;
        const double first = workFirst ? timed(work) : timed(baseline);
        const double second = workFirst ? timed(baseline) : timed(work);
        const double w = workFirst ? first : second;
        const double b = workFirst ? second : first;
        if (w < 0 || b <= 0) {
            state.SkipWithError("a rename failed");
            break;
        }
        ratios.push_back(w / b);
        workSeconds += w;
        baseSeconds += b;
    }
    std::sort(ratios.begin(), ratios.end());
    if (ratios.empty())
        return;
    state.counters["ratio"] = ratios[ratios.size() / 2];
    state.counters["work_ms"] = workSeconds * 1000 / double(ratios.size());
    state.counters["bare_ms"] = baseSeconds * 1000 / double(ratios.size());
}

// The baseline: a bare loop of renameat2 calls over 10,000 files, back and forth.
bool BareLoop(RenameFolder &folder)
{
    const auto &from = folder.paths[folder.current];
    const auto &to = folder.paths[1 - folder.current];
    bool ok = true;
    for (std::size_t i = 0; i < from.size(); ++i)
        ok = ::renameat2(AT_FDCWD, from[i].constData(), AT_FDCWD, to[i].constData(), RENAME_NOREPLACE) == 0 && ok;
    folder.current = 1 - folder.current;
    return ok;
}

// The same loop naming each file within a handle of its folder, as the plan does.
bool BareLoopInFolder(RenameFolder &folder)
{
    const int fd = ::open(QFile::encodeName(folder.dir.path()).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const QStringList &from = folder.names[folder.current];
    const QStringList &to = folder.names[1 - folder.current];
    bool ok = fd >= 0;
    for (qsizetype i = 0; i < from.size() && ok; ++i)
        ok = ::renameat2(fd, folder.native[folder.current][std::size_t(i)].constData(), fd,
                         folder.native[1 - folder.current][std::size_t(i)].constData(), RENAME_NOREPLACE) == 0;
    if (fd >= 0)
        ::close(fd);
    folder.current = 1 - folder.current;
    return ok && from.size() == to.size();
}

std::vector<FileListView::SelectedEntry> EntriesNamed(const QStringList &names)
{
    std::vector<FileListView::SelectedEntry> entries;
    entries.reserve(std::size_t(names.size()));
    for (const QString &name : names)
        entries.push_back({FileListView::EntryKind::File, name});
    return entries;
}

std::vector<RenameStep> PlanOf(const RenameFolder &folder, int from)
{
    return PlanRenames(NativePath(folder.dir.path() + u'/'), EntriesNamed(folder.names[from]), folder.names[1 - from]);
}

// What "&Aceptar" sets going: the renames of a plan made before the preview, journal included.
bool Apply(const std::vector<RenameStep> &plan, const QByteArray &folder)
{
    RenameJournal journal(RenamePage::Renamer, folder);
    return ApplyRenames(plan, {}, &journal).isEmpty();
}

// 10,000 files renamed through the plan, back and forth, in turns with a bare loop in another
// folder; with `pairEachTime` the names are paired in the timed part too.
template <class Baseline>
void BackAndForthInTurns(benchmark::State &state, bool pairEachTime, Baseline baseline)
{
    RenameFolder planned;
    RenameFolder bare;
    const std::vector<RenameStep> plans[2] = {PlanOf(planned, 0), PlanOf(planned, 1)};
    const QByteArray folder = NativePath(planned.dir.path());
    InTurns(
        state,
        [&] {
            const bool ok = Apply(pairEachTime ? PlanOf(planned, planned.current) : plans[planned.current], folder);
            planned.current = 1 - planned.current;
            return ok;
        },
        [&] { return baseline(bare); });
}

void BM_RenameInTurnsWithBareLoop(benchmark::State &state) { BackAndForthInTurns(state, false, BareLoop); }

// The same, the pairing of the names as listed with the new names included.
void BM_PairAndRenameInTurnsWithBareLoop(benchmark::State &state) { BackAndForthInTurns(state, true, BareLoop); }

// Against the loop naming each file within its folder's handle.
void BM_RenameInTurnsWithBareLoopInFolder(benchmark::State &state)
{
    BackAndForthInTurns(state, false, BareLoopInFolder);
}

// 10,000 files whose names all move on by one: one cycle, broken by one temporary name.
void BM_RotationInTurnsWithBareLoop(benchmark::State &state)
{
    RenameFolder rotation;
    RenameFolder bare;
    const QStringList &names = rotation.names[0];
    const QByteArray folder = NativePath(rotation.dir.path());
    const auto plan = PlanRenames(folder + '/', EntriesNamed(names), names.mid(1) + names.mid(0, 1));
    InTurns(state, [&] { return Apply(plan, folder); }, [&] { return BareLoop(bare); });
}

// Undo of the last rename of 10,000 files; the rename before each undo is not timed.
void BM_UndoInTurnsWithBareLoop(benchmark::State &state)
{
    RenameFolder planned;
    RenameFolder bare;
    const std::vector<RenameStep> plan = PlanOf(planned, 0);
    const QByteArray folder = NativePath(planned.dir.path());
    InTurns(
        state,
        [&] {
            int undone = 0;
            return UndoLastRename(RenamePage::Renamer, {}, &undone).isEmpty() && undone == FileCount;
        },
        [&] { return BareLoop(bare); }, [&] { return Apply(plan, folder); });
}

BENCHMARK(BM_NumberLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_NumberLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_InsertText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteCharacters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_DeleteCharacters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_DeleteText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_ReplaceText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckNewNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_CheckNewNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrimNewNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_TrimNewNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Baseline_EditorRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenDialog10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Baseline_OpenDialog10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PairAndRenameInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_RenameInTurnsWithBareLoopInFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_RotationInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_UndoInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// Prints the console report and, at the end, each figure over its baseline (medians when
// repeated).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const std::string name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !medians_.count(name)))
                times_[name] = run.GetAdjustedRealTime();
            if (median)
                medians_.insert(name);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const
    {
        static const std::pair<const char *, const char *> pairs[] = {
            {"BM_NumberLines", "BM_Baseline_NumberLines"},
            {"BM_InsertText", "BM_Baseline_InsertText"},
            {"BM_DeleteCharacters", "BM_Baseline_DeleteCharacters"},
            {"BM_DeleteText", "BM_Baseline_DeleteText"},
            {"BM_ReplaceText", "BM_Baseline_ReplaceText"},
            {"BM_CheckNewNames", "BM_Baseline_CheckNewNames"},
            {"BM_TrimNewNames", "BM_Baseline_TrimNewNames"},
            {"BM_EditorRoundTrip", "BM_Baseline_EditorRoundTrip"},
            {"BM_OpenDialog10000", "BM_Baseline_OpenDialog10000"},
        };
        for (const auto &[measured, baseline] : pairs) {
            const auto m = times_.find(measured);
            const auto b = times_.find(baseline);
            if (m != times_.end() && b != times_.end() && b->second > 0)
                std::printf("%s / %s: %.2f\n", measured, baseline, m->second / b->second);
        }
    }

private:
    std::map<std::string, double> times_;
    std::set<std::string> medians_;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The journal of the renames measured, apart from the user's.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
