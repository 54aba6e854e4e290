// Renaming from tags and mass assignment on many files, each against a baseline doing the same
// work without the window: the preview rebuilt on a keystroke of the separator (5,000 records),
// renaming 5,000 files (against a bare renameat2 loop), and "Todos" with the numbered file name
// into 2,000 files (against a loop of the tag library's own writes, in a SaveGroup as the
// editor's, and each made durable on its own).
#include "main/main.h"
#include "main/massrules.h"
#include "main/tagrenamerules.h"
#include "platform/dialogs.h"
#include "tags/SaveGroup.h"
#include "widgets/filelistview.h"
#include "widgets/foldertree.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <fcntl.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

// Answers every box with OK / No and counts them, so nothing waits for a user.
class SilentDialogs : public Dialogs {
public:
    int messages = 0;
    void Message(QWidget *, const QString &, const QString &, Icon) override { ++messages; }
    bool Ask(QWidget *, const QString &, const QString &, Icon) override { return false; }
    bool PromptText(QWidget *, const QString &, const QString &, QString &) override { return false; }
    QString OpenFile(QWidget *, const QString &, const QString &) override { return {}; }
    int Exec(QDialog &) override { return 0; }
    void ReportError(QWidget *, const QString &) override { ++messages; }
};

QString Name(const char *prefix, int i) { return QString::asprintf("%s%05d.mp3", prefix, i); }

void CreateFiles(const QString &folder, const char *prefix, int count, const QByteArray &bytes)
{
    for (int i = 0; i < count; ++i) {
        QFile file(folder + u'/' + Name(prefix, i));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }
}


// A window whose list holds `count` records with track, title, artist and album set.
std::unique_ptr<TfUtilities> WindowWithRecords(int count, const QString &folder = "/nonexistent/")
{
    auto window = std::make_unique<TfUtilities>();
    for (int i = 0; i < count; ++i) {
        auto record = std::make_unique<TID3>(folder + Name("f", i));
        record->V1.SetTrack(std::uint8_t(i % 100));
        record->V1.SetTitle(QStringLiteral("Título número %1").arg(i).toStdString());
        record->V1.SetArtist("Artista");
        record->V1.SetAlbum("Grandes éxitos");
        window->TagEditor().AddRecord(std::move(record));
    }
    return window;
}

constexpr int PreviewCount = 5000;

// The window shown at 1280×1024 with the rename sheet active.
std::unique_ptr<TfUtilities> PreviewWindow()
{
    auto window = WindowWithRecords(PreviewCount);
    window->resize(1280, 1024);
    window->show();
    window->pcPrincipal->setCurrentWidget(window->tsTag);
    window->pcID3->setCurrentWidget(window->tsRenombrar);
    return window;
}

void BM_PreviewOnSeparatorKeystroke(benchmark::State &state)
{
    auto window = PreviewWindow();
    for (int i = 0; i < window->clbCampos->count(); ++i)
        window->clbCampos->item(i)->setCheckState(Qt::Checked);
    QCoreApplication::processEvents();
    bool odd = false;
    for (auto _ : state) {
        // One keystroke: the separator grows by a character or loses it again.
        window->edCadenaSeparacion->setText((odd = !odd) ? QStringLiteral(" -") : QStringLiteral(" - "));
        QCoreApplication::processEvents(); // layout and painting of the preview
    }
    if (window->mPrevioRenombre->blockCount() != PreviewCount)
        state.SkipWithError("the preview does not hold one line per record");
}

// Baseline: the same 5,000 lines, built once, put into the same kind of control.
void BM_PreviewBaselineSetText(benchmark::State &state)
{
    auto window = PreviewWindow();
    QStringList lines;
    for (int i = 0; i < PreviewCount; ++i)
        lines << QStringLiteral("%1 - Título número %2 - Artista - Grandes éxitos.mp3").arg(i % 100).arg(i);
    const QString texts[2] = {lines.join(u'\n'), lines.join(u'\n').replace(u'-', u'_')};
    QCoreApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        window->mPrevioRenombre->setPlainText(texts[n++ & 1]);
        QCoreApplication::processEvents();
    }
}

constexpr int RenameCount = 5000;

// Renaming from tags by the button, 5,000 files from "f00000.mp3" to "<title>.mp3" and back.
void BM_RenameFromTags(benchmark::State &state)
{
    SilentDialogs dialogs;
    Dialogs::SetCurrent(&dialogs);
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    CreateFiles(dir.path(), "f", RenameCount, {});
    auto window = WindowWithRecords(0);
    window->CarpetasTag->SetSelectedPath(dir.path());
    window->FicherosTag->SetDirectory(dir.path());
    window->pcPrincipal->setCurrentWidget(window->tsTag);
    window->pcID3->setCurrentWidget(window->tsRenombrar);
    for (int i = 0; i < window->clbCampos->count(); ++i)
        if (window->clbCampos->item(i)->text() == RenameFieldTitle)
            window->clbCampos->item(i)->setCheckState(Qt::Checked);
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < RenameCount; ++i) {
            auto record = std::make_unique<TID3>(folder + Name("f", i));
            record->V1.SetTitle(Name("t", i).chopped(4).toStdString());
            window->TagEditor().AddRecord(std::move(record));
        }
        window->UpdateRenamePreview();
        state.ResumeTiming();

        window->SpeedButton32Click();

        state.PauseTiming();
        for (int i = 0; i < RenameCount; ++i)
            std::rename(QFile::encodeName(folder + Name("t", i)).constData(),
                        QFile::encodeName(folder + Name("f", i)).constData());
        state.ResumeTiming();
    }
    if (dialogs.messages != 0)
        state.SkipWithError("some files could not be renamed");
    Dialogs::SetCurrent(nullptr);
}

// Baseline: the same 5,000 renames as a bare loop of renameat2.
void BM_RenameBaselineRenameat2(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    CreateFiles(dir.path(), "f", RenameCount, {});
    std::vector<QByteArray> from, to;
    for (int i = 0; i < RenameCount; ++i) {
        from.push_back(QFile::encodeName(folder + Name("f", i)));
        to.push_back(QFile::encodeName(folder + Name("t", i)));
    }
    int failed = 0;
    for (auto _ : state) {
        for (int i = 0; i < RenameCount; ++i)
            failed += ::renameat2(AT_FDCWD, from[i].constData(), AT_FDCWD, to[i].constData(), RENAME_NOREPLACE) != 0;
        state.PauseTiming();
        for (int i = 0; i < RenameCount; ++i)
            std::rename(to[i].constData(), from[i].constData());
        state.ResumeTiming();
    }
    if (failed)
        state.SkipWithError("some files could not be renamed");
}

constexpr int MassCount = 2000;

const QString &MassFolder()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        CreateFiles(dir.path(), "f", MassCount, QByteArray(4096, '\x55'));
        return dir.path() + u'/';
    }();
    return path;
}

// "Todos" with "Número + Nombre de fichero" into the version 1 title of 2,000 files.
void BM_MassNumberedName(benchmark::State &state)
{
    SilentDialogs dialogs;
    Dialogs::SetCurrent(&dialogs);
    auto window = WindowWithRecords(0);
    for (int i = 0; i < MassCount; ++i)
        window->TagEditor().AddRecord(std::make_unique<TID3>(MassFolder() + Name("f", i)));
    window->pcPrincipal->setCurrentWidget(window->tsTag);
    window->pcID3->setCurrentWidget(window->tsMasivo);
    window->cbValores->setCurrentIndex(int(MassValue::NumberedFileName));
    window->cbCampo->setCurrentIndex(int(MassField::Title));
    for (auto _ : state)
        window->SpeedButton29Click();
    if (dialogs.messages != 0)
        state.SkipWithError("some files could not be written");
    Dialogs::SetCurrent(nullptr);
}

// Baseline: the same values written by the tag library in a plain loop, each write made
// durable on its own; with `grouped`, in one SaveGroup as the editor writes them (one journal
// record and one sync for each batch).
void MassBaselineWriteTag(benchmark::State &state, bool grouped)
{
    std::vector<TID3v1> tags(MassCount);
    std::vector<std::filesystem::path> paths;
    for (int i = 0; i < MassCount; ++i)
        paths.emplace_back(QFile::encodeName(MassFolder() + Name("f", i)).toStdString());
    int failed = 0;
    for (auto _ : state) {
        std::optional<cvtags::SaveGroup> group;
        if (grouped)
            group.emplace();
        for (int i = 0; i < MassCount; ++i) {
            tags[i].SetTitle(QString::asprintf("%03d f%05d", i + 1, i).toStdString());
            failed += !tags[i].WriteTag(paths[i]);
        }
        if (group && !group->Commit())
            failed += int(group->Failures().size());
    }
    if (failed)
        state.SkipWithError("some files could not be written");
}

void BM_MassBaselineWriteTag(benchmark::State &state) { MassBaselineWriteTag(state, false); }
void BM_MassBaselineWriteTagGroup(benchmark::State &state) { MassBaselineWriteTag(state, true); }

} // namespace

BENCHMARK(BM_PreviewBaselineSetText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewOnSeparatorKeystroke)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameBaselineRenameat2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_RenameFromTags)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_MassBaselineWriteTag)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MassBaselineWriteTagGroup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MassNumberedName)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("CarventoUtilities"));
    // Keep the user's settings and journal out of it.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
