// Tag library benchmarks: reading both tags of many small files, and rewriting the ID3v2
// tag of an 8 MB file against plain copies of it. `bench_tags --peak-write=MB` rewrites
// the tag of one file of that size once and prints the peak memory of the process.

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kSmallFiles = 2000;
constexpr std::size_t kLargeFile = 8u << 20;

const fs::path &Folder()
{
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "cv-bench-tags-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return fs::path(pattern);
    }();
    return folder;
}

// Audio stand-in with frame syncs; then, when asked, both tags written by the library.
fs::path MakeTaggedFile(const fs::path &file, std::size_t audioSize, int number, bool tagged = true)
{
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        std::string chunk(1 << 16, '\0');
        std::uint32_t x = 7u + static_cast<std::uint32_t>(number);
        for (char &c : chunk)
            c = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
        for (std::size_t left = audioSize; left > 0; left -= std::min(left, chunk.size()))
            out.write(chunk.data(), static_cast<std::streamsize>(std::min(left, chunk.size())));
    }
    if (!tagged)
        return file;
    TID3v2 v2;
    v2.SetTitle("Song number " + std::to_string(number));
    v2.SetArtist("Some Artist");
    v2.SetAlbum("Some Album");
    v2.SetYear("2001");
    v2.SetGenre("Rock");
    v2.SetComment("Ripped for the benchmark");
    v2.SetTrack(static_cast<std::uint8_t>(number % 20 + 1));
    TID3v1 v1;
    v1.SetTitle(v2.Title());
    v1.SetArtist(v2.Artist());
    v1.SetTrack(v2.Track());
    if (!v2.WriteTag(file) || !v1.WriteTag(file))
        std::abort();
    return file;
}

const std::vector<fs::path> &SmallFiles()
{
    static const std::vector<fs::path> files = [] {
        std::vector<fs::path> list;
        fs::create_directories(Folder() / "small");
        for (int i = 0; i < kSmallFiles; ++i)
            list.push_back(MakeTaggedFile(Folder() / "small" / ("song" + std::to_string(i) + ".mp3"), 64 << 10, i));
        return list;
    }();
    return files;
}

const fs::path &LargeFile()
{
    static const fs::path file = MakeTaggedFile(Folder() / "large.mp3", kLargeFile, 1);
    return file;
}

void BM_ReadBothTags(benchmark::State &state)
{
    const auto &files = SmallFiles();
    TID3v1 v1;
    TID3v2 v2;
    for (auto _ : state) {
        for (const fs::path &file : files) {
            if (!v1.ReadTag(file) || !v2.ReadTag(file) || !v1.Present() || !v2.Present())
                state.SkipWithError("read failed");
            benchmark::DoNotOptimize(v2.Title().size());
        }
    }
    state.counters["files/s"] = benchmark::Counter(double(files.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadBothTags)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteTagV2_8MB(benchmark::State &state)
{
    const fs::path &file = LargeFile();
    TID3v2 tag;
    tag.ReadTag(file);
    int round = 0;
    for (auto _ : state) {
        tag.SetTitle("Round " + std::to_string(++round));
        if (!tag.WriteTag(file))
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kLargeFile));
}
BENCHMARK(BM_WriteTagV2_8MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyFile_8MB(benchmark::State &state)
{
    const fs::path &file = LargeFile();
    const fs::path copy = Folder() / "copy.mp3";
    for (auto _ : state)
        fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kLargeFile));
}
BENCHMARK(BM_CopyFile_8MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The rewrite flushes its new file to disk before the rename; this copy does the same.
void BM_CopyFileFsync_8MB(benchmark::State &state)
{
    const fs::path &file = LargeFile();
    const fs::path copy = Folder() / "copy.mp3";
    for (auto _ : state) {
        fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
        const int fd = ::open(copy.c_str(), O_WRONLY);
        ::fsync(fd);
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kLargeFile));
}
BENCHMARK(BM_CopyFileFsync_8MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CpCommand_8MB(benchmark::State &state)
{
    const std::string command = "cp '" + LargeFile().string() + "' '" + (Folder() / "cp.mp3").string() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
}
BENCHMARK(BM_CpCommand_8MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the console report and, at the end, the write-to-copy ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        // With repetitions the median counts; otherwise the single run.
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !medians_.count(run.run_name.function_name)))
                times_[run.run_name.function_name] = run.GetAdjustedRealTime();
            if (median)
                medians_.insert(run.run_name.function_name);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const
    {
        const auto write = times_.find("BM_WriteTagV2_8MB");
        if (write == times_.end())
            return;
        for (const char *copy : {"BM_CopyFile_8MB", "BM_CopyFileFsync_8MB", "BM_CpCommand_8MB"})
            if (const auto it = times_.find(copy); it != times_.end() && it->second > 0)
                std::printf("WriteTag (version 2, 8 MB) / %s: %.2f\n", copy, write->second / it->second);
    }

private:
    std::map<std::string, double> times_;
    std::set<std::string> medians_;
};

long PeakKilobytes()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int PeakWrite(std::size_t megabytes)
{
    const fs::path file = MakeTaggedFile(Folder() / "peak.mp3", megabytes << 20, 3, false);
    const long before = PeakKilobytes();
    TID3v2 tag;
    tag.SetTitle("Peak");
    const bool ok = tag.WriteTag(file);
    std::printf("file %zu MB: WriteTag %s, peak memory before %ld KB, after %ld KB\n", megabytes,
                ok ? "ok" : "failed", before, PeakKilobytes());
    fs::remove_all(Folder());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strncmp(argv[1], "--peak-write=", 13) == 0)
        return PeakWrite(std::strtoull(argv[1] + 13, nullptr, 10));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    std::error_code error;
    fs::remove_all(Folder(), error);
    benchmark::Shutdown();
    return 0;
}
