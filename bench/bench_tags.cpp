// Tag library benchmarks, each against a baseline doing the same work or the physical floor,
// the two run in turns within each iteration: reading both tags of many small files (texts in
// ASCII, or in several scripts) against a bare loop of the reads they need; saving a version 2 tag that fits, in place through the
// journal, against a bare pwrite of the tag and fdatasync; one field saved into 1,000 small
// files as a group commit against the same bytes written with no sync and one syncfs;
// rewriting (a tag that grows, then its removal) against bare copies with fsync and rename.
// The journal lives beside the files' folder, on the same file system.
// `bench_tags --peak-write=MB` rewrites the tag of one file of that size once and prints
// the peak memory of the process; `--peak-large-tag=MB` reads and saves a file whose tag
// claims that many megabytes.

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/ReadTags.h"
#include "tags/SaveGroup.h"

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
constexpr int kGroupFiles = 1000;
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

// Audio stand-in with frame syncs; then, when asked, both tags written by the library, their
// texts plain ASCII or, with `scripts`, in several scripts (Latin-1 and UTF-16 frames).
fs::path MakeTaggedFile(const fs::path &file, std::size_t audioSize, int number, bool tagged = true,
                        bool scripts = false)
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
    v2.SetTitle((scripts ? "Canción número " : "Song number ") + std::to_string(number));
    v2.SetArtist(scripts ? "Дом у моря" : "Some Artist");
    v2.SetAlbum(scripts ? "東京の夜" : "Some Album");
    v2.SetYear("2001");
    v2.SetGenre("Rock");
    v2.SetComment(scripts ? "Grabado en Łódź" : "Ripped for the benchmark");
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

const std::vector<fs::path> &SmallFilesInScripts()
{
    static const std::vector<fs::path> files = [] {
        std::vector<fs::path> list;
        fs::create_directories(Folder() / "scripts");
        for (int i = 0; i < kSmallFiles; ++i)
            list.push_back(MakeTaggedFile(Folder() / "scripts" / ("song" + std::to_string(i) + ".mp3"), 64 << 10, i,
                                          true, true));
        return list;
    }();
    return files;
}

const fs::path &LargeFile()
{
    static const fs::path file = MakeTaggedFile(Folder() / "large.mp3", kLargeFile, 1);
    return file;
}

// A tag of a title, a 2 KB private frame and room to spare, in front of 8 MB.
const fs::path &MovingFile()
{
    static const fs::path file = [] {
        const fs::path path = MakeTaggedFile(Folder() / "moving.mp3", kLargeFile, 4, false);
        std::string body = std::string("TIT2\0\0\0\x06\0\0\0Short", 16) + "PRIV" + std::string("\0\0\x08\0\0\0", 6)
                           + std::string(2048, 'p') + std::string(1024, '\0');
        std::string tag = std::string("ID3\x03\0\0", 6);
        for (int shift : {21, 14, 7, 0})
            tag += static_cast<char>(body.size() >> shift & 0x7F);
        std::string audio;
        {
            std::ifstream in(path, std::ios::binary);
            audio.assign(std::istreambuf_iterator<char>(in), {});
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << tag << body << audio;
        return path;
    }();
    return file;
}

bool ReadTagTwiceLoop(const std::vector<fs::path> &files)
{
    TID3v1 v1;
    TID3v2 v2;
    for (const fs::path &file : files) {
        if (!v1.ReadTag(file) || !v2.ReadTag(file) || !v1.Present() || !v2.Present())
            return false;
        benchmark::DoNotOptimize(v2.Title().size());
    }
    return true;
}

void BM_ReadBothTags(benchmark::State &state)
{
    for (auto _ : state)
        if (!ReadTagTwiceLoop(SmallFiles()))
            state.SkipWithError("read failed");
    state.counters["files/s"] = benchmark::Counter(kSmallFiles, benchmark::Counter::kIsIterationInvariantRate);
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

// What ReadTags asks of the system, with no parsing: open, fstat, the first 1 KB, the last
// 128 bytes, close. The distance from here to ReadTags is the parsing.
bool SystemCallsOfReadTags(const std::vector<fs::path> &files)
{
    char head[1024], trailer[128];
    for (const fs::path &file : files) {
        struct stat st {};
        const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 || ::fstat(fd, &st) != 0 || ::pread(fd, head, sizeof head, 0) < 10)
            return false;
        benchmark::DoNotOptimize(::pread(fd, trailer, sizeof trailer, st.st_size - 128));
        ::close(fd);
        benchmark::DoNotOptimize(head);
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

// Runs `work` and `baseline` in turns, the order swapped every iteration, so that both meet
// the same state of this shared machine; the counter is the median of the turns' ratios.
template <class Work, class Baseline>
void InTurns(benchmark::State &state, Work work, Baseline baseline)
{
    std::vector<double> ratios;
    const auto timed = [](auto &run) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = run();
        return ok ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() : -1.0;
    };
    for (auto _ : state) {
        const bool workFirst = ratios.size() % 2 == 0;
        const double first = workFirst ? timed(work) : timed(baseline);
        const double second = workFirst ? timed(baseline) : timed(work);
        const double w = workFirst ? first : second, b = workFirst ? second : first;
        if (w < 0 || b <= 0) {
            state.SkipWithError("run failed");
            break;
        }
        ratios.push_back(w / b);
    }
    std::sort(ratios.begin(), ratios.end());
    if (!ratios.empty())
        state.counters["ratio"] = ratios[ratios.size() / 2];
}

void BM_ReadTagsInTurnsWithBareLoop(benchmark::State &state)
{
    const auto &files = SmallFiles();
    InTurns(state, [&] { return ReadTagsLoop(files); }, [&] { return BareReadLoop(files); });
}
BENCHMARK(BM_ReadTagsInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The same with texts in several scripts: every value is converted to UTF-8 as it is read.
void BM_ReadTagsInScriptsInTurnsWithBareLoop(benchmark::State &state)
{
    const auto &files = SmallFilesInScripts();
    InTurns(state, [&] { return ReadTagsLoop(files); }, [&] { return BareReadLoop(files); });
}
BENCHMARK(BM_ReadTagsInScriptsInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_ReadCallsInTurnsWithBareLoop(benchmark::State &state)
{
    const auto &files = SmallFiles();
    InTurns(state, [&] { return SystemCallsOfReadTags(files); }, [&] { return BareReadLoop(files); });
}
BENCHMARK(BM_ReadCallsInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_ReadTagTwiceInTurnsWithBareLoop(benchmark::State &state)
{
    const auto &files = SmallFiles();
    InTurns(state, [&] { return ReadTagTwiceLoop(files); }, [&] { return BareReadLoop(files); });
}
BENCHMARK(BM_ReadTagTwiceInTurnsWithBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// A save that fits in the old tag's space: in place, through the journal.
bool SaveFitting(TID3v2 &tag, int &round)
{
    tag.SetTitle("Round " + std::to_string(++round % 10));
    return tag.WriteTag(LargeFile());
}

// A save that fits but moves the frames after the title (a 2 KB frame follows it): the change
// spans several sectors and goes through the journal's record.
bool SaveFittingMoving(TID3v2 &tag, int &round)
{
    tag.SetTitle(++round % 2 ? "Short" : "Somewhat longer");
    return tag.WriteTag(MovingFile());
}

// The floor of a save in place: new bytes of the tag written where they are, then fdatasync.
// Into a copy of the file, with bytes that differ from the last ones (a disk may make light
// of bytes written again unchanged).
bool BareInPlace(const fs::path &file, int &round)
{
    char head[64];
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    bool ok = fd >= 0 && ::pread(fd, head, sizeof head, 0) == sizeof head;
    head[sizeof head - 1] = static_cast<char>('0' + ++round % 10);
    ok = ok && ::pwrite(fd, head, sizeof head, 0) == sizeof head && ::fdatasync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

const fs::path &FloorFile()
{
    static const fs::path file = MakeTaggedFile(Folder() / "floor.mp3", kLargeFile, 1);
    return file;
}

const std::vector<fs::path> &GroupFiles()
{
    static const std::vector<fs::path> files = [] {
        std::vector<fs::path> list;
        fs::create_directories(Folder() / "group");
        for (int i = 0; i < kGroupFiles; ++i)
            list.push_back(MakeTaggedFile(Folder() / "group" / ("song" + std::to_string(i) + ".mp3"), 64 << 10, i));
        return list;
    }();
    return files;
}

// One version 2 field into every file as the program does it: a group commit.
bool SaveGroupOfFiles(std::vector<TID3v2> &tags, int &round)
{
    const std::string album = "Album " + std::to_string(++round % 10);
    cvtags::SaveGroup group;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        tags[i].SetAlbum(album);
        if (!tags[i].WriteTag(GroupFiles()[i]))
            return false;
    }
    return group.Commit();
}

const std::vector<fs::path> &GroupFloorFiles()
{
    static const std::vector<fs::path> files = [] {
        std::vector<fs::path> list;
        fs::create_directories(Folder() / "groupfloor");
        for (int i = 0; i < kGroupFiles; ++i)
            list.push_back(MakeTaggedFile(Folder() / "groupfloor" / ("song" + std::to_string(i) + ".mp3"), 64 << 10, i));
        return list;
    }();
    return files;
}

// Its floor: new bytes of each tag written in place with no sync, then one syncfs (into
// copies of the files, as above).
bool BareGroup(const std::vector<fs::path> &files, int &round)
{
    char head[64];
    ++round;
    for (const fs::path &file : files) {
        const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
        bool ok = fd >= 0 && ::pread(fd, head, sizeof head, 0) == sizeof head;
        head[sizeof head - 1] = static_cast<char>('0' + round % 10);
        ok = ok && ::pwrite(fd, head, sizeof head, 0) == sizeof head;
        if (fd >= 0)
            ::close(fd);
        if (!ok)
            return false;
    }
    const int fd = ::open(files.front().c_str(), O_RDONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::syncfs(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// Two rewrites of the whole file: a tag put on a file without one, then removed.
bool RewriteGrowRemove(const fs::path &file)
{
    TID3v2 tag;
    tag.SetTitle("Grown");
    return tag.WriteTag(file) && tag.DeleteTag(file);
}

// The same two rewrites as bare copies: copy into a new file, fsync, rename over the target;
// with `syncFolder`, then also fsync the folder, as a save reported done must survive a
// power cut and WriteTag does.
bool BareCopies(bool syncFolder)
{
    const fs::path &source = LargeFile();
    const fs::path target = Folder() / "bare.mp3", temp = Folder() / "bare.tmp";
    bool ok = true;
    for (int copy = 0; copy < 2; ++copy) {
        const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        loff_t offset = 0;
        while (::copy_file_range(in, &offset, out, nullptr, 64u << 20, 0) > 0) {
        }
        ok = ::fsync(out) == 0 && ::rename(temp.c_str(), target.c_str()) == 0 && ok;
        ::close(in);
        ::close(out);
        if (syncFolder) {
            const int folder = ::open(Folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ok = folder >= 0 && ::fsync(folder) == 0 && ok;
            ::close(folder);
        }
    }
    return ok;
}

const fs::path &RewriteFile()
{
    static const fs::path file = MakeTaggedFile(Folder() / "rewrite.mp3", kLargeFile, 2, false);
    return file;
}

void BM_SaveFitting_8MB(benchmark::State &state)
{
    TID3v2 tag;
    tag.ReadTag(LargeFile());
    int round = 0;
    for (auto _ : state)
        if (!SaveFitting(tag, round))
            state.SkipWithError("write failed");
}
BENCHMARK(BM_SaveFitting_8MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RewriteGrowRemove_8MB(benchmark::State &state)
{
    for (auto _ : state)
        if (!RewriteGrowRemove(RewriteFile()))
            state.SkipWithError("rewrite failed");
}
BENCHMARK(BM_RewriteGrowRemove_8MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareCopyFsyncRenameSyncFolder_8MB_x2(benchmark::State &state)
{
    for (auto _ : state)
        if (!BareCopies(true))
            state.SkipWithError("copy failed");
}
BENCHMARK(BM_BareCopyFsyncRenameSyncFolder_8MB_x2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ten runs of `save` as one turn: a sync right after another costs less on a busy disk, so
// each side of a comparison meets the state its own syncs leave.
template <class Save>
auto Ten(Save save)
{
    return [save]() mutable {
        bool ok = true;
        for (int i = 0; i < 10; ++i)
            ok = save() && ok;
        return ok;
    };
}

// The ratios, each in turns with its baseline or floor.
void BM_SaveFittingInTurnsWithFloor(benchmark::State &state)
{
    TID3v2 tag;
    tag.ReadTag(LargeFile());
    int round = 0, floorRound = 0;
    InTurns(state, Ten([&] { return SaveFitting(tag, round); }),
            Ten([&] { return BareInPlace(FloorFile(), floorRound); }));
}
BENCHMARK(BM_SaveFittingInTurnsWithFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_SaveFittingMovingInTurnsWithFloor(benchmark::State &state)
{
    TID3v2 tag;
    tag.ReadTag(MovingFile());
    int round = 0, floorRound = 0;
    InTurns(state, Ten([&] { return SaveFittingMoving(tag, round); }),
            Ten([&] { return BareInPlace(FloorFile(), floorRound); }));
}
BENCHMARK(BM_SaveFittingMovingInTurnsWithFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_GroupInTurnsWithFloor(benchmark::State &state)
{
    std::vector<TID3v2> tags(GroupFiles().size());
    for (std::size_t i = 0; i < tags.size(); ++i)
        tags[i].ReadTag(GroupFiles()[i]);
    int round = 0, floorRound = 0;
    GroupFloorFiles();
    InTurns(state, [&] { return SaveGroupOfFiles(tags, round); }, [&] { return BareGroup(GroupFloorFiles(), floorRound); });
}
BENCHMARK(BM_GroupInTurnsWithFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4.0);

void BM_RewritesInTurnsWithBareCopies(benchmark::State &state)
{
    InTurns(state, [] { return RewriteGrowRemove(RewriteFile()); }, [] { return BareCopies(true); });
}
BENCHMARK(BM_RewritesInTurnsWithBareCopies)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_RewritesInTurnsWithBareCopiesNoFolderSync(benchmark::State &state)
{
    InTurns(state, [] { return RewriteGrowRemove(RewriteFile()); }, [] { return BareCopies(false); });
}
BENCHMARK(BM_RewritesInTurnsWithBareCopiesNoFolderSync)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Prints the console report and, at the end, each ratio: the median over the repetitions of
// the turns' medians.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        // With repetitions the median counts; otherwise the single run.
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const auto ratio = run.counters.find("ratio");
            if (ratio != run.counters.end()
                && (median || (run.run_type == Run::RT_Iteration && !medians_.count(run.run_name.function_name))))
                ratios_[run.run_name.function_name] = ratio->second.value;
            if (median)
                medians_.insert(run.run_name.function_name);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const
    {
        auto print = [this](const char *what, const char *label) {
            if (const auto r = ratios_.find(what); r != ratios_.end())
                std::printf("%s: %.2f\n", label, r->second);
        };
        print("BM_ReadTagsInTurnsWithBareLoop", "Both tags of 2,000 files, one open / bare read loop");
        print("BM_ReadTagsInScriptsInTurnsWithBareLoop",
              "Both tags of 2,000 files, texts in several scripts, one open / bare read loop");
        print("BM_ReadCallsInTurnsWithBareLoop", "ReadTags' system calls alone, no parsing / bare read loop");
        print("BM_ReadTagTwiceInTurnsWithBareLoop", "Both tags of 2,000 files, two ReadTag / bare read loop");
        print("BM_SaveFittingInTurnsWithFloor", "Save that fits, same length (8 MB) / bare pwrite of the tag + fdatasync");
        print("BM_SaveFittingMovingInTurnsWithFloor",
              "Save that fits, frames move (8 MB) / bare pwrite of the tag + fdatasync");
        print("BM_GroupInTurnsWithFloor", "One field into 1,000 files, group commit / same bytes, no sync, one syncfs");
        print("BM_RewritesInTurnsWithBareCopies",
              "Rewrites, grow + remove (8 MB) / two bare copies with fsync, rename and folder sync");
        print("BM_RewritesInTurnsWithBareCopiesNoFolderSync",
              "Rewrites, grow + remove (8 MB) / two bare copies with fsync and rename");
    }

private:
    std::map<std::string, double> ratios_;
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

// A file whose header claims a tag of `megabytes` (a title, then zeros): read, then a save.
int PeakLargeTag(std::size_t megabytes)
{
    const fs::path file = Folder() / "largetag.mp3";
    {
        const std::uint32_t body = static_cast<std::uint32_t>(megabytes << 20);
        std::string head = "ID3\x03";
        head += std::string(2, '\0');
        for (int shift : {21, 14, 7, 0})
            head += static_cast<char>(body >> shift & 0x7F);
        head += std::string("TIT2\0\0\0\x04\0\0\0Big", 14);
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << head;
    }
    fs::resize_file(file, (megabytes << 20) + 10 + (1 << 20));
    const long before = PeakKilobytes();
    const auto start = std::chrono::steady_clock::now();
    TID3v2 tag;
    const bool read = tag.ReadTag(file);
    tag.SetAlbum("Saved");
    const bool saved = tag.WriteTag(file);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("tag of %zu MB: read %s (title \"%s\"), save %s, %.2f s, peak memory before %ld KB, after %ld KB\n",
                megabytes, read ? "ok" : "failed", tag.Title().c_str(), saved ? "ok" : "failed", seconds, before,
                PeakKilobytes());
    fs::remove_all(Folder());
    return read && saved ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // The journal beside the benchmark's files, on their file system.
    ::setenv("XDG_STATE_HOME", (Folder() / "state").c_str(), 1);
    if (argc > 1 && std::strncmp(argv[1], "--peak-write=", 13) == 0)
        return PeakWrite(std::strtoull(argv[1] + 13, nullptr, 10));
    if (argc > 1 && std::strncmp(argv[1], "--peak-large-tag=", 17) == 0)
        return PeakLargeTag(std::strtoull(argv[1] + 17, nullptr, 10));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    std::error_code error;
    fs::remove_all(Folder(), error);
    benchmark::Shutdown();
    return 0;
}
