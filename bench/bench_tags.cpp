// Tag library benchmarks, each against a baseline doing the same work in the same run:
// reading both tags of many small files against a bare loop of the reads they need; saving a version 2 tag
// that fits in place against rewriting the file; rewriting (a tag that grows, then its
// removal) against bare copies with fsync and rename, with and without the folder sync that
// makes the rename last.
// `bench_tags --peak-write=MB` rewrites the tag of one file of that size once and prints
// the peak memory of the process.

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/ReadTags.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
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
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

bool ReadTagsLoop(const std::vector<fs::path> &files)
{
    TID3v1 v1;
    TID3v2 v2;
    for (const fs::path &file : files) {
        if (!ReadTags(file, v1, v2) || !v1.Present() || !v2.Present())
            return false;
        benchmark::DoNotOptimize(v2.Title().size());
    }
    return true;
}

// The floor: open, the 10-byte header, the tag it announces, the last 128 bytes, close.
bool BareReadLoop(const std::vector<fs::path> &files)
{
    std::string tag;
    char header[10], trailer[128];
    for (const fs::path &file : files) {
        struct stat st {};
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fstat(fd, &st) != 0 || ::pread(fd, header, 10, 0) != 10)
            return false;
        const std::size_t size = (std::size_t(header[6] & 0x7F) << 21 | std::size_t(header[7] & 0x7F) << 14
                                  | std::size_t(header[8] & 0x7F) << 7 | std::size_t(header[9] & 0x7F));
        tag.resize(size);
        benchmark::DoNotOptimize(::pread(fd, tag.data(), size, 10));
        benchmark::DoNotOptimize(::pread(fd, trailer, 128, st.st_size - 128));
        ::close(fd);
        benchmark::DoNotOptimize(tag.data());
    }
    return true;
}

void BM_ReadTagsOneOpen(benchmark::State &state)
{
    for (auto _ : state)
        if (!ReadTagsLoop(SmallFiles()))
            state.SkipWithError("read failed");
    state.counters["files/s"] = benchmark::Counter(kSmallFiles, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadTagsOneOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareReadLoop(benchmark::State &state)
{
    for (auto _ : state)
        if (!BareReadLoop(SmallFiles()))
            state.SkipWithError("read failed");
    state.counters["files/s"] = benchmark::Counter(kSmallFiles, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BareReadLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two loops above in turns, the order swapped every iteration, so that both meet the
// same state of the machine; the counter is the median of the turns' ratios.
void BM_ReadTagsInTurnsWithBareLoop(benchmark::State &state)
{
    const auto &files = SmallFiles();
    std::vector<double> ratios;
    const auto timed = [](auto loop, const std::vector<fs::path> &list) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = loop(list);
        return ok ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() : -1.0;
    };
    for (auto _ : state) {
        const bool tagsFirst = ratios.size() % 2 == 0;
        double tags = 0, bare = 0;
        if (tagsFirst)
            tags = timed(ReadTagsLoop, files);
        bare = timed(BareReadLoop, files);
        if (!tagsFirst)
            tags = timed(ReadTagsLoop, files);
        if (tags < 0 || bare <= 0) {
            state.SkipWithError("read failed");
            break;
        }
        ratios.push_back(tags / bare);
    }
    std::sort(ratios.begin(), ratios.end());
    if (!ratios.empty())
        state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_ReadTagsInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// A save that fits in the old tag's space: in place, through the intent record.
void BM_SaveFitting_8MB(benchmark::State &state)
{
    const fs::path &file = LargeFile();
    TID3v2 tag;
    tag.ReadTag(file);
    int round = 0;
    for (auto _ : state) {
        tag.SetTitle("Round " + std::to_string(++round % 10));
        if (!tag.WriteTag(file))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_SaveFitting_8MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// Two rewrites of the whole file: a tag put on a file without one, then removed.
void BM_RewriteGrowRemove_8MB(benchmark::State &state)
{
    const fs::path file = MakeTaggedFile(Folder() / "rewrite.mp3", kLargeFile, 2, false);
    TID3v2 tag;
    tag.SetTitle("Grown");
    for (auto _ : state)
        if (!tag.WriteTag(file) || !tag.DeleteTag(file))
            state.SkipWithError("rewrite failed");
}
BENCHMARK(BM_RewriteGrowRemove_8MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same two rewrites as bare copies: copy into a new file, fsync, rename over the target;
// with `syncFolder`, then also fsync the folder, as a save reported done must survive a
// power cut and WriteTag does.
void BareCopies(benchmark::State &state, bool syncFolder)
{
    const fs::path &source = LargeFile();
    const fs::path target = Folder() / "bare.mp3", temp = Folder() / "bare.tmp";
    for (auto _ : state) {
        for (int copy = 0; copy < 2; ++copy) {
            const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
            const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            loff_t offset = 0;
            while (::copy_file_range(in, &offset, out, nullptr, 64u << 20, 0) > 0) {
            }
            if (::fsync(out) != 0 || ::rename(temp.c_str(), target.c_str()) != 0)
                state.SkipWithError("copy failed");
            ::close(in);
            ::close(out);
            if (syncFolder) {
                const int folder = ::open(Folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (folder < 0 || ::fsync(folder) != 0)
                    state.SkipWithError("folder sync failed");
                ::close(folder);
            }
        }
    }
}

void BM_BareCopyFsyncRename_8MB_x2(benchmark::State &state) { BareCopies(state, false); }
BENCHMARK(BM_BareCopyFsyncRename_8MB_x2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareCopyFsyncRenameSyncFolder_8MB_x2(benchmark::State &state) { BareCopies(state, true); }
BENCHMARK(BM_BareCopyFsyncRenameSyncFolder_8MB_x2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the console report and, at the end, the write-to-copy ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        // With repetitions the median counts; otherwise the single run.
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !medians_.count(run.run_name.function_name))) {
                times_[run.run_name.function_name] = run.GetAdjustedRealTime();
                if (const auto turns = run.counters.find("ratio"); turns != run.counters.end())
                    turns_[run.run_name.function_name] = turns->second.value;
            }
            if (median)
                medians_.insert(run.run_name.function_name);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const
    {
        auto ratio = [this](const char *what, const char *of, double factor, const char *label) {
            const auto a = times_.find(what), b = times_.find(of);
            if (a != times_.end() && b != times_.end() && b->second > 0)
                std::printf("%s: %.2f\n", label, a->second / (b->second * factor));
        };
        ratio("BM_ReadTagsOneOpen", "BM_BareReadLoop", 1, "Both tags of 2,000 files, one open / bare read loop");
        if (const auto turns = turns_.find("BM_ReadTagsInTurnsWithBareLoop"); turns != turns_.end())
            std::printf("Both tags of 2,000 files, one open / bare read loop, in turns: %.2f\n", turns->second);
        ratio("BM_ReadBothTags", "BM_BareReadLoop", 1, "Both tags of 2,000 files, two ReadTag / bare read loop");
        ratio("BM_SaveFitting_8MB", "BM_RewriteGrowRemove_8MB", 0.5, "Save that fits (8 MB) / one rewrite");
        ratio("BM_RewriteGrowRemove_8MB", "BM_BareCopyFsyncRename_8MB_x2", 1,
              "Rewrites, grow + remove (8 MB) / two bare copies with fsync and rename");
        ratio("BM_RewriteGrowRemove_8MB", "BM_BareCopyFsyncRenameSyncFolder_8MB_x2", 1,
              "Rewrites, grow + remove (8 MB) / two bare copies with fsync, rename and folder sync");
    }

private:
    std::map<std::string, double> times_, turns_;
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
