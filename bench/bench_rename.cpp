// Advanced renaming: the line transformations and the checks of new names over 100,000 lines,
// the dialog opened with 10,000 entries, and renaming 10,000 files through the plan; each
// against a baseline doing the same work in the plainest way, with the ratios at the end.
#include "rename/avanzado.h"
#include "rename/newnames.h"
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
    std::vector<QByteArray> paths[2];
    int current = 0;

    RenameFolder()
    {
        for (int i = 0; i < FileCount; ++i) {
            names[0].append(QStringLiteral("Canción %1.mp3").arg(i));
            names[1].append(QStringLiteral("%1 - Canción.mp3").arg(i, 5, 10, QLatin1Char('0')));
        }
        for (int side = 0; side < 2; ++side)
            for (const QString &name : names[side])
                paths[side].push_back(QFile::encodeName(dir.path() + u'/' + name));
        for (const QByteArray &path : paths[0]) {
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
};

void BM_RenamePlan10000(benchmark::State &state)
{
    RenameFolder folder;
    const QByteArray path = NativePath(folder.dir.path() + u'/');
    for (auto _ : state) {
        std::vector<FileListView::SelectedEntry> entries;
        for (const QString &name : folder.names[folder.current])
            entries.push_back({FileListView::EntryKind::File, name});
        const auto plan = PlanRenames(path, entries, folder.names[1 - folder.current]);
        if (!ApplyRenames(plan).isEmpty()) {
            state.SkipWithError("a rename failed");
            break;
        }
        folder.current = 1 - folder.current;
    }
}
void BM_Baseline_Renameat2Loop10000(benchmark::State &state)
{
    RenameFolder folder;
    for (auto _ : state) {
        const auto &from = folder.paths[folder.current];
        const auto &to = folder.paths[1 - folder.current];
        for (std::size_t i = 0; i < from.size(); ++i)
            if (::renameat2(AT_FDCWD, from[i].constData(), AT_FDCWD, to[i].constData(), RENAME_NOREPLACE) != 0) {
                state.SkipWithError("a rename failed");
                return;
            }
        folder.current = 1 - folder.current;
    }
}

// Both ways in turns within each iteration, so a busy machine slows both alike; the counters
// give each one's time per iteration and their ratio.
void BM_RenamePlanAgainstBareLoopInTurns(benchmark::State &state)
{
    RenameFolder planned;
    RenameFolder bare;
    const QByteArray path = NativePath(planned.dir.path() + u'/');
    double planSeconds = 0;
    double bareSeconds = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::vector<FileListView::SelectedEntry> entries;
        for (const QString &name : planned.names[planned.current])
            entries.push_back({FileListView::EntryKind::File, name});
        const auto plan = PlanRenames(path, entries, planned.names[1 - planned.current]);
        const bool planOk = ApplyRenames(plan).isEmpty();
        planned.current = 1 - planned.current;
        const auto middle = Clock::now();
        const auto &from = bare.paths[bare.current];
        const auto &to = bare.paths[1 - bare.current];
        bool bareOk = true;
        for (std::size_t i = 0; i < from.size(); ++i)
            bareOk = ::renameat2(AT_FDCWD, from[i].constData(), AT_FDCWD, to[i].constData(), RENAME_NOREPLACE) == 0
                && bareOk;
        bare.current = 1 - bare.current;
        const auto end = Clock::now();
        if (!planOk || !bareOk) {
            state.SkipWithError("a rename failed");
            break;
        }
        planSeconds += std::chrono::duration<double>(middle - start).count();
        bareSeconds += std::chrono::duration<double>(end - middle).count();
    }
    const double iterations = double(state.iterations());
    state.counters["plan_ms"] = planSeconds * 1000 / iterations;
    state.counters["bare_ms"] = bareSeconds * 1000 / iterations;
    state.counters["ratio"] = bareSeconds > 0 ? planSeconds / bareSeconds : 0;
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
BENCHMARK(BM_RenamePlan10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Baseline_Renameat2Loop10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenamePlanAgainstBareLoopInTurns)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

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
            {"BM_RenamePlan10000", "BM_Baseline_Renameat2Loop10000"},
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
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
