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

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <sys/stat.h>

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

// The work and its baseline in turns within each iteration, the order swapped every time, so
// a busy machine slows both alike; "ratio" is the median of the turns' ratios.
template <class Work, class Baseline>
void InTurns(benchmark::State &state, Work work, Baseline baseline)
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

std::vector<FileListView::SelectedEntry> EntriesNamed(const QStringList &names)
{
    std::vector<FileListView::SelectedEntry> entries;
    entries.reserve(std::size_t(names.size()));
    for (const QString &name : names)
        entries.push_back({FileListView::EntryKind::File, name});
    return entries;
}

// 10,000 files renamed through the plan, from the names as listed to the applied renames.
bool RenameThroughPlan(RenameFolder &folder)
{
    const QByteArray path = NativePath(folder.dir.path() + u'/');
    const auto plan = PlanRenames(path, EntriesNamed(folder.names[folder.current]), folder.names[1 - folder.current]);
    const bool ok = ApplyRenames(plan).isEmpty();
    folder.current = 1 - folder.current;
    return ok;
}

void BM_BareVsBare(benchmark::State &state)
{
    RenameFolder planned;
    RenameFolder bare;
    InTurns(state, [&] { return BareLoop(planned); }, [&] { return BareLoop(bare); });
}
BENCHMARK(BM_BareVsBare)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
bool StatLoop(RenameFolder &folder)
{
    const auto &from = folder.paths[folder.current];
    struct stat info;
    for (std::size_t i = 0; i < from.size(); ++i)
        ::lstat(from[i].constData(), &info);
    return BareLoop(folder);
}
void BM_StatBareVsBare(benchmark::State &state)
{
    RenameFolder planned;
    RenameFolder bare;
    InTurns(state, [&] { return StatLoop(planned); }, [&] { return BareLoop(bare); });
}
BENCHMARK(BM_StatBareVsBare)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_Debug(benchmark::State &state)
{
    RenameFolder folder;
    double plan = 0, apply = 0, bare = 0;
    RenameFolder other;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        const QByteArray path = NativePath(folder.dir.path() + u'/');
        const auto p = PlanRenames(path, EntriesNamed(folder.names[folder.current]), folder.names[1 - folder.current]);
        auto t1 = std::chrono::steady_clock::now();
        ApplyRenames(p);
        auto t2 = std::chrono::steady_clock::now();
        BareLoop(other);
        auto t3 = std::chrono::steady_clock::now();
        folder.current = 1 - folder.current;
        plan += std::chrono::duration<double>(t1 - t0).count();
        apply += std::chrono::duration<double>(t2 - t1).count();
        bare += std::chrono::duration<double>(t3 - t2).count();
    }
    state.counters["plan"] = plan * 1000 / double(state.iterations());
    state.counters["apply"] = apply * 1000 / double(state.iterations());
    state.counters["bare"] = bare * 1000 / double(state.iterations());
}
BENCHMARK(BM_Debug)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_RenameInTurnsWithBareLoop(benchmark::State &state)
{
    RenameFolder planned;
    RenameFolder bare;
    InTurns(state, [&] { return RenameThroughPlan(planned); }, [&] { return BareLoop(bare); });
}

// 10,000 files whose names all move on by one: one cycle, broken by one temporary name.
struct RotationFolder {
    QTemporaryDir dir;
    QStringList names;
    QStringList next;

    RotationFolder()
    {
        for (int i = 0; i < FileCount; ++i)
            names.append(QStringLiteral("Foto %1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        next = names.mid(1) + names.mid(0, 1);
        for (const QString &name : names) {
            const int fd = ::open(QFile::encodeName(dir.path() + u'/' + name).constData(),
                                  O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }

    bool Rotate()
    {
        const auto plan = PlanRenames(NativePath(dir.path() + u'/'), EntriesNamed(names), next);
        return ApplyRenames(plan).isEmpty();
    }
};

void BM_RotationInTurnsWithBareLoop(benchmark::State &state)
{
    RotationFolder rotation;
    RenameFolder bare;
    InTurns(state, [&] { return rotation.Rotate(); }, [&] { return BareLoop(bare); });
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
BENCHMARK(BM_RotationInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

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
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
