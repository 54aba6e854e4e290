// Start-up of the main window under the offscreen platform: from creating the window to the
// window shown, and from starting a process to its window shown.
#include "main/main.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {
std::string selfPath;

static void BM_MainWindowShown(benchmark::State &state)
{
    for (auto _ : state) {
        TfUtilities window;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            state.SkipWithError("window not exposed");
        QApplication::processEvents();
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MainWindowShown)->Unit(benchmark::kMillisecond)->Iterations(20);

// A new process of this program in child mode: toolkit, window, shown; then it says so.
static void BM_ProcessStartToWindowShown(benchmark::State &state)
{
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        char child[] = "--child";
        char *argv[] = {selfPath.data(), child, nullptr};
        pid_t pid = 0;
        const auto start = std::chrono::steady_clock::now();
        const int spawned = posix_spawn(&pid, selfPath.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        char byte = 0;
        const bool shown = spawned == 0 && read(fds[0], &byte, 1) == 1 && byte == 'S';
        const auto end = std::chrono::steady_clock::now();
        close(fds[0]);
        if (spawned == 0)
            waitpid(pid, nullptr, 0);
        if (!shown) {
            state.SkipWithError("child did not show its window");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_ProcessStartToWindowShown)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

int RunChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
    TfUtilities window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QApplication::processEvents();
    const char shown = 'S';
    return write(STDOUT_FILENO, &shown, 1) == 1 ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings of the benchmark's own, never the user's.
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return RunChild(argc, argv);

    char path[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    selfPath = length > 0 ? std::string(path, std::size_t(length)) : std::string(argv[0]);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CarventoUtilities"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
