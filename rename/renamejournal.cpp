#include "rename/renamejournal.h"

#include "tags/Journal.h"
#include "tags/TagError.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

// A record, in the journal's chunks (numbers little-endian, byte strings with their length):
//   plan:  format 1, role (0 an operation, 1 an undo), page, the list's folder, the record an
//          undo undoes (else empty), the number of entries, then per entry its path, its new
//          path, the temporary name it passes through ("" for none), and its file: device,
//          inode and birth time
//   then any number of:
//          1 and marks: per settled entry its index * 4 + 1 (under its new name) or + 2 (under
//            its old name)
//          2 and new temporary names, per entry its index and the name (recovery of a cycle)
//          3: the operation has ended
// Records are named "rename-r-…" (the renamer page), "rename-t-…" (the tag page) and
// "rename-u-…" (undos).

namespace {

constexpr std::uint32_t RenameKind = 0x314D4E52; // "RNM1"
constexpr std::uint64_t Format = 1;
enum Role : std::uint64_t { Operation = 0, Undo = 1 };
enum Chunk : std::uint64_t { Marks = 1, Temps = 2, Ended = 3 };
enum State : std::uint64_t { Unknown = 0, AtNew = 1, AtOld = 2 };
constexpr std::size_t MarksPerChunk = 512;

std::string_view View(const QByteArray &bytes) { return {bytes.constData(), std::size_t(bytes.size())}; }
QByteArray Bytes(std::string_view view) { return QByteArray(view.data(), qsizetype(view.size())); }

std::string PrefixOf(RenamePage page) { return page == RenamePage::Tags ? "rename-t" : "rename-r"; }
const std::string UndoPrefix = "rename-u";

std::error_code JournalError()
{
    const std::error_code error = cvtags::LastError();
    return error ? error : std::error_code(EIO, std::generic_category());
}

void AppendChunk(cvtags::JournalRecord &record, Chunk tag, const std::string &body, bool durable)
{
    std::string chunk;
    chunk.reserve(8 + body.size());
    cvtags::PutU64(chunk, tag);
    chunk += body;
    record.Append(chunk, durable);
}

// A path the record may name: absolute, no NUL, no "." or ".." name at its end.
bool ValidPath(const QByteArray &path)
{
    return path.startsWith('/') && !path.contains('\0') && !NameLeavesFolder(NativeFileName(path));
}

struct Entry {
    QByteArray from, to;
    std::vector<QByteArray> temps;
    FileIdentity file;
    State state = Unknown;
};

struct Parsed {
    std::uint64_t role = Operation;
    std::uint64_t page = 0;
    QByteArray folder;
    std::string undoes;
    std::vector<Entry> entries; // only when asked for
    bool ended = false;
    int renamed = 0;            // entries marked as under their new names
};

// Bounded by the chunks' own sizes; anything that does not parse makes the record unusable.
// Without `entries` only what a record's summary needs is taken.
bool Parse(const std::vector<std::string> &chunks, Parsed &out, bool entries)
{
    if (chunks.empty())
        return false;
    cvtags::RecordReader plan(chunks.front());
    std::uint64_t format = 0, count = 0;
    std::string_view folder, undoes;
    if (!plan.U64(format) || format != Format || !plan.U64(out.role) || out.role > Undo || !plan.U64(out.page)
        || out.page > 1 || !plan.Bytes(folder) || !plan.Bytes(undoes) || !plan.U64(count)
        || count > chunks.front().size() / 48)
        return false;
    out.folder = Bytes(folder);
    out.undoes = std::string(undoes);
    std::vector<char> states(static_cast<std::size_t>(count), static_cast<char>(Unknown));
    if (entries)
        out.entries.resize(std::size_t(count));
    for (std::size_t i = 0; i < count; ++i) {
        if (!entries) {
            std::string_view skipped;
            std::uint64_t number = 0;
            if (!plan.Bytes(skipped) || !plan.Bytes(skipped) || !plan.Bytes(skipped) || !plan.U64(number)
                || !plan.U64(number) || !plan.U64(number))
                return false;
            continue;
        }
        Entry &entry = out.entries[i];
        std::string_view from, to, temp;
        if (!plan.Bytes(from) || !plan.Bytes(to) || !plan.Bytes(temp) || !plan.U64(entry.file.device)
            || !plan.U64(entry.file.inode) || !plan.U64(entry.file.born))
            return false;
        entry.from = Bytes(from);
        entry.to = Bytes(to);
        if (!ValidPath(entry.from) || !ValidPath(entry.to))
            return false;
        if (!temp.empty()) {
            entry.temps.push_back(Bytes(temp));
            if (!ValidPath(entry.temps.back()))
                return false;
        }
    }
    for (std::size_t c = 1; c < chunks.size(); ++c) {
        cvtags::RecordReader reader(chunks[c]);
        std::uint64_t tag = 0;
        if (!reader.U64(tag))
            return false;
        if (tag == Ended) {
            out.ended = true;
        } else if (tag == Marks) {
            std::uint64_t mark = 0;
            while (reader.U64(mark)) {
                const std::uint64_t index = mark >> 2;
                const std::uint64_t state = mark & 3;
                if (index >= count || (state != AtNew && state != AtOld))
                    return false;
                states[std::size_t(index)] = char(state);
                if (entries)
                    out.entries[std::size_t(index)].state = State(state);
            }
        } else if (tag == Temps) {
            std::uint64_t index = 0;
            std::string_view temp;
            while (reader.U64(index)) {
                if (index >= count || !reader.Bytes(temp) || !ValidPath(Bytes(temp)))
                    return false;
                if (entries)
                    out.entries[std::size_t(index)].temps.push_back(Bytes(temp));
            }
        } else {
            return false;
        }
    }
    out.renamed = int(std::count(states.begin(), states.end(), char(AtNew)));
    return true;
}

struct Claimed {
    std::unique_ptr<cvtags::JournalRecord> record;
    Parsed parsed;
    std::uint64_t stamp = 0;
};

// The records under a prefix that no running process holds, read, newest first. Records that
// cannot be read whole (a plan torn by a crash before its first rename) are removed.
std::vector<Claimed> ClaimAll(cvtags::Journal &journal, const std::string &prefix, bool entries)
{
    std::vector<Claimed> claimed;
    for (const std::string &name : journal.List(prefix + "-")) {
        auto record = journal.Claim(name);
        if (!record)
            continue;
        std::vector<std::string> chunks;
        Parsed parsed;
        if (!record->Read(chunks) || record->Kind() != RenameKind || !Parse(chunks, parsed, entries)) {
            record->Remove(true);
            continue;
        }
        const std::uint64_t stamp = record->Stamp();
        claimed.push_back({std::move(record), std::move(parsed), stamp});
    }
    std::sort(claimed.begin(), claimed.end(), [](const Claimed &a, const Claimed &b) { return a.stamp > b.stamp; });
    return claimed;
}

void RemoveNamed(cvtags::Journal &journal, const std::string &name, bool durable)
{
    if (name.empty())
        return;
    if (auto record = journal.Claim(name))
        record->Remove(durable);
}

// Remembered per page until the journal's folder changes.
struct LastRenameCache {
    bool valid = false;
    std::uint64_t mark = 0;
    LastRename last[2];
};
LastRenameCache &Cache()
{
    static LastRenameCache cache;
    return cache;
}
void ForgetLastRenames() { Cache().valid = false; }

// The record of each page this program ended last, in the journal folder it is in.
std::string &LastEnded(RenamePage page)
{
    static std::string folder;
    static std::string names[2];
    cvtags::Journal *journal = cvtags::Journal::User();
    const std::string current = journal ? journal->Folder().string() : std::string();
    if (current != folder) {
        folder = current;
        names[0].clear();
        names[1].clear();
    }
    return names[std::size_t(page)];
}

} // namespace

RenameJournal::RenameJournal(RenamePage page, const QByteArray &folder) : RenameJournal(page, folder, {}) {}

RenameJournal::RenameJournal(RenamePage page, const QByteArray &folder, std::string undoes)
    : page_(page), folder_(folder), undoes_(std::move(undoes))
{
}

RenameJournal::~RenameJournal() = default;

std::error_code RenameJournal::Begin(const std::vector<RenameMove> &moves)
{
    cvtags::Journal *journal = cvtags::Journal::User();
    if (!journal) {
        beginFailed_ = true;
        return JournalError();
    }
    std::size_t size = 64 + std::size_t(folder_.size()) + undoes_.size();
    for (const RenameMove &move : moves)
        size += 56 + std::size_t(move.from.size() + move.to.size() + move.temp.size());
    if (size > cvtags::Journal::kMaxRecordBytes) {
        beginFailed_ = true;
        return std::error_code(EFBIG, std::generic_category());
    }
    std::string plan;
    plan.reserve(size);
    cvtags::PutU64(plan, Format);
    cvtags::PutU64(plan, undoes_.empty() ? Operation : Undo);
    cvtags::PutU64(plan, std::uint64_t(page_));
    cvtags::PutBytes(plan, View(folder_));
    cvtags::PutBytes(plan, undoes_);
    cvtags::PutU64(plan, moves.size());
    for (const RenameMove &move : moves) {
        cvtags::PutBytes(plan, View(move.from));
        cvtags::PutBytes(plan, View(move.to));
        cvtags::PutBytes(plan, View(move.temp));
        cvtags::PutU64(plan, move.file.device);
        cvtags::PutU64(plan, move.file.inode);
        cvtags::PutU64(plan, move.file.born);
    }
    ForgetLastRenames();
    moves_ = moves.size();
    steps_.clear();
    for (const RenameMove &move : moves)
        steps_.push_back(move.step);
    record_ = journal->Create(undoes_.empty() ? PrefixOf(page_) : UndoPrefix);
    // The plan and the record's name are on disk before the first rename.
    if (!record_ || !record_->Write(RenameKind, plan, true) || !journal->Sync()) {
        const std::error_code error = JournalError();
        beginFailed_ = true;
        if (record_)
            record_->Remove(false);
        record_.reset();
        return error;
    }
    return {};
}

void RenameJournal::Flush(bool durable)
{
    if (!record_ || marks_.empty())
        return;
    std::string body;
    body.swap(marks_);
    AppendChunk(*record_, Marks, body, durable);
}

void RenameJournal::Settled(std::size_t move, bool done)
{
    ++settled_;
    if (done) {
        ++renamed_;
        doneSteps_.push_back(steps_[move]);
    }
    cvtags::PutU64(marks_, std::uint64_t(move) << 2 | (done ? AtNew : AtOld));
    // Entries under their new names are found on disk; one that failed is not told from one
    // not yet tried, so its mark goes out at once.
    if (!done || marks_.size() >= MarksPerChunk * 8)
        Flush(false);
}

void RenameJournal::End()
{
    if (!record_)
        return;
    Flush(false);
    cvtags::Journal *journal = cvtags::Journal::User();
    if (renamed_ == 0 || !undoes_.empty()) {
        // Nothing to undo; an undo's own record goes once the record it undid is gone (which,
        // when the undo was stopped halfway, keeps what is left to undo).
        if (!undoes_.empty() && journal && settled_ == moves_)
            RemoveNamed(*journal, undoes_, false); // its record shows what happened until then
        record_->Remove(false);
        record_.reset();
        ForgetLastRenames();
        return;
    }
    AppendChunk(*record_, Ended, {}, false);
    const std::string own = record_->Name();
    record_.reset();
    // The page's earlier operations can no longer be undone: the one this program ended last,
    // or, the first time, every one that has ended.
    std::string &previous = LastEnded(page_);
    if (journal && !previous.empty())
        RemoveNamed(*journal, previous, false);
    else if (journal)
        for (Claimed &earlier : ClaimAll(*journal, PrefixOf(page_), false))
            if (earlier.parsed.ended && earlier.record->Name() != own)
                earlier.record->Remove(false);
    previous = own;
    ForgetLastRenames();
}

LastRename LastRenameOf(RenamePage page)
{
    cvtags::Journal *journal = cvtags::Journal::User();
    if (!journal)
        return {};
    LastRenameCache &cache = Cache();
    const std::uint64_t mark = journal->ChangeMark();
    if (!cache.valid || cache.mark != mark) {
        cache = {};
        for (const RenamePage each : {RenamePage::Renamer, RenamePage::Tags}) {
            for (Claimed &claimed : ClaimAll(*journal, PrefixOf(each), false)) {
                if (!claimed.parsed.ended)
                    continue;
                cache.last[std::size_t(each)] = {claimed.parsed.folder, claimed.parsed.renamed};
                break; // the newest
            }
        }
        cache.valid = true;
        cache.mark = mark;
    }
    return cache.last[std::size_t(page)];
}

namespace {

// Runs renames on behalf of an interrupted record, keeping their new temporary names and
// their outcomes in that same record, so that a crash now is put right at the next start too.
class Continuation final : public RenameRecord {
public:
    Continuation(cvtags::JournalRecord &record, std::vector<Entry> &entries, std::vector<std::size_t> entryOfStep,
                 State reached)
        : record_(record), entries_(entries), entryOfStep_(std::move(entryOfStep)), reached_(reached)
    {
    }

    std::error_code Begin(const std::vector<RenameMove> &moves) override
    {
        entryOfMove_.clear();
        std::string temps;
        for (const RenameMove &move : moves) {
            const std::size_t entry = entryOfStep_[move.step];
            entryOfMove_.push_back(entry);
            if (move.temp.isEmpty())
                continue;
            cvtags::PutU64(temps, entry);
            cvtags::PutBytes(temps, View(move.temp));
            entries_[entry].temps.push_back(move.temp);
        }
        if (!temps.empty()) {
            std::string chunk;
            cvtags::PutU64(chunk, Temps);
            chunk += temps;
            if (!record_.Append(chunk, true))
                return JournalError();
        }
        return {};
    }

    void Settled(std::size_t move, bool done) override
    {
        if (!done)
            return; // where it stays is found on disk
        entries_[entryOfMove_[move]].state = reached_;
        cvtags::PutU64(marks_, std::uint64_t(entryOfMove_[move]) << 2 | reached_);
    }

    void End() override
    {
        if (!marks_.empty())
            AppendChunk(record_, Marks, marks_, false);
        marks_.clear();
    }

private:
    cvtags::JournalRecord &record_;
    std::vector<Entry> &entries_;
    std::vector<std::size_t> entryOfStep_;
    std::vector<std::size_t> entryOfMove_;
    State reached_;
    std::string marks_;
};

bool Holds(const QByteArray &path, const FileIdentity &file)
{
    FileIdentity there;
    return IdentityAt(AT_FDCWD, path.constData(), there) && SameFile(there, file);
}

bool Free(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) != 0 && errno == ENOENT;
}

// Where an entry is now: one of its names holding its file, "" when none or more than one
// does (a second name of the same file elsewhere in the plan) and the record does not say.
QByteArray WhereIs(const Entry &entry)
{
    if (entry.state == AtNew)
        return entry.to;
    if (entry.state == AtOld)
        return entry.from;
    QByteArray found;
    int matches = 0;
    const auto look = [&](const QByteArray &path) {
        if (Holds(path, entry.file)) {
            found = path;
            ++matches;
        }
    };
    look(entry.to);
    for (const QByteArray &temp : entry.temps)
        look(temp);
    look(entry.from);
    return matches == 1 ? found : QByteArray();
}

QString NameOf(const QByteArray &path) { return PathFromNative(NativeFileName(path)); }

// Moves the chosen entries from where they are to `target` (their new or old names) through
// the plan, checking each is still the same file. Gives the failures.
Failures MoveEntries(cvtags::JournalRecord &record, std::vector<Entry> &entries, const std::vector<std::size_t> &which,
                     const std::vector<QByteArray> &where, bool toNew)
{
    std::vector<RenameStep> steps;
    std::vector<FileIdentity> expected;
    std::vector<std::size_t> entryOfStep;
    for (const std::size_t i : which) {
        const Entry &entry = entries[i];
        const QByteArray &target = toNew ? entry.to : entry.from;
        steps.push_back({NameOf(entry.from), NameOf(target), where[i], target, {}});
        expected.push_back(entry.file);
        entryOfStep.push_back(i);
    }
    Continuation continuation(record, entries, std::move(entryOfStep), toNew ? AtNew : AtOld);
    return ApplyRenames(steps, {}, &continuation, expected);
}

// Finishes an interrupted record when every move left can still be made, else takes every
// entry back to its old name. True when it finished an operation, which its page can undo.
bool Recover(cvtags::Journal &journal, Claimed &claimed, RenameRecovery &result)
{
    std::vector<Entry> &entries = claimed.parsed.entries;
    std::vector<QByteArray> where(entries.size());
    bool anyMoved = false;
    bool anyLost = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        where[i] = WhereIs(entries[i]);
        anyLost = anyLost || where[i].isEmpty();
        anyMoved = anyMoved || (!where[i].isEmpty() && where[i] != entries[i].from);
    }
    if (!anyMoved) {
        claimed.record->Remove(true);
        return false;
    }

    // Finishing: every entry not settled goes to its new name, which must be free or left by
    // another entry that moves now.
    std::vector<std::size_t> left;
    QSet<QByteArray> leaving;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].state == Unknown && where[i] != entries[i].to) {
            left.push_back(i);
            leaving.insert(where[i]);
        }
    bool canFinish = !anyLost;
    for (const std::size_t i : left)
        canFinish = canFinish && (Free(entries[i].to) || leaving.contains(entries[i].to));
    if (canFinish && MoveEntries(*claimed.record, entries, left, where, true).isEmpty()) {
        ++result.finished;
        if (claimed.parsed.role == Undo) {
            RemoveNamed(journal, claimed.parsed.undoes, true);
            claimed.record->Remove(true);
            return false;
        }
        // Those the crash caught already under their new names count for the undo too.
        std::string marks;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].state == Unknown && where[i] == entries[i].to)
                cvtags::PutU64(marks, std::uint64_t(i) << 2 | AtNew);
        if (!marks.empty())
            AppendChunk(*claimed.record, Marks, marks, false);
        AppendChunk(*claimed.record, Ended, {}, true);
        return true;
    }

    // Back: every entry found away from its old name returns there.
    // One found nowhere was moved or removed by someone else since: it is told.
    std::vector<std::size_t> back;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        where[i] = WhereIs(entries[i]);
        if (where[i].isEmpty() && entries[i].state == Unknown)
            result.failed.append({NameOf(entries[i].from), ReasonText(std::error_code(ENOENT, std::generic_category()))});
        else if (!where[i].isEmpty() && where[i] != entries[i].from)
            back.push_back(i);
    }
    result.failed += MoveEntries(*claimed.record, entries, back, where, false);
    bool atTemporary = false;
    for (const std::size_t i : back)
        for (const QByteArray &temp : entries[i].temps)
            atTemporary = atTemporary || Holds(temp, entries[i].file);
    ++result.undone;
    if (!atTemporary)
        claimed.record->Remove(true);
    return false;
}

} // namespace

class RenameUndo {
public:
    static Failures Run(RenamePage page, const Progress &progress, int *undone)
    {
        if (undone)
            *undone = 0;
        cvtags::Journal *journal = cvtags::Journal::User();
        if (!journal)
            return {};
        std::vector<Claimed> records = ClaimAll(*journal, PrefixOf(page), true);
        const auto last = std::find_if(records.begin(), records.end(), [](const Claimed &c) { return c.parsed.ended; });
        if (last == records.end())
            return {};
        std::vector<RenameStep> steps;
        std::vector<FileIdentity> expected;
        std::vector<std::size_t> entryOfStep;
        const std::vector<Entry> &entries = last->parsed.entries;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].state != AtNew)
                continue;
            steps.push_back({{}, {}, entries[i].to, entries[i].from, {}}); // named by their present names
            expected.push_back(entries[i].file);
            entryOfStep.push_back(i);
        }
        const std::string name = last->record->Name();
        RenameJournal undo(page, last->parsed.folder, name);
        last->record.reset(); // the undo's end removes it, and then its own record
        const Failures failed = ApplyRenames(steps, progress, &undo, expected);
        if (undone)
            *undone = undo.Renamed();
        if (undo.beginFailed_) {
            // The journal itself failed: trying again may help.
        } else if (undo.settled_ < undo.moves_) {
            // Stopped halfway: what was undone no longer counts, the rest can still be undone.
            if (auto record = journal->Claim(name)) {
                std::string marks;
                for (const std::size_t step : undo.doneSteps_)
                    cvtags::PutU64(marks, std::uint64_t(entryOfStep[step]) << 2 | AtOld);
                if (!marks.empty())
                    AppendChunk(*record, Marks, marks, true);
            }
        } else {
            RemoveNamed(*journal, name, true); // nothing could be moved at all: nothing is left either
        }
        ForgetLastRenames();
        return failed;
    }
};

Failures UndoLastRename(RenamePage page, const Progress &progress, int *undone)
{
    return RenameUndo::Run(page, progress, undone);
}

RenameRecovery RecoverInterruptedRenames()
{
    RenameRecovery result;
    cvtags::Journal *journal = cvtags::Journal::User();
    if (!journal)
        return result;
    ForgetLastRenames();
    // Undos first: what they undo is only decided once they are finished or taken back.
    for (const std::string &prefix : {UndoPrefix, PrefixOf(RenamePage::Renamer), PrefixOf(RenamePage::Tags)}) {
        bool newestEnded = true;
        for (Claimed &claimed : ClaimAll(*journal, prefix, true)) {
            if (claimed.parsed.ended) {
                // An undo that ended: what it undid goes, then the undo. Of a page's ended
                // operations only the newest can still be undone.
                if (claimed.parsed.role == Undo)
                    RemoveNamed(*journal, claimed.parsed.undoes, true);
                if (claimed.parsed.role == Undo || !newestEnded)
                    claimed.record->Remove(true);
                newestEnded = false;
                continue;
            }
            if (Recover(*journal, claimed, result))
                newestEnded = false;
        }
    }
    ForgetLastRenames();
    return result;
}
