#include "rename/renameplan.h"

#include "platform/files.h"

#include <QHash>
#include <QRandomGenerator>

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

bool Refuses(const QString &newName, NameSource source, Refusal &refusal)
{
    if (newName.isEmpty())
        refusal = Refusal::NoNewName;
    else if (NameLeavesFolder(newName))
        refusal = Refusal::InvalidName;
    else if (source != NameSource::Derived && HasControlChars(newName))
        refusal = Refusal::ControlChars;
    else if (source == NameSource::FromTags && newName.startsWith(u'.'))
        refusal = Refusal::Hidden;
    else
        return false;
    return true;
}

} // namespace

RenameStep RenameInFolder(const QByteArray &folder, const SelectedEntry &entry, const QString &newName,
                          NameSource source)
{
    using Kind = FileEntry::Kind;
    RenameStep step{entry.name, newName, {}, {}, {}};
    if (entry.kind != Kind::File && entry.kind != Kind::Folder) {
        step.refusal = Refusal::NotAnEntry;
        return step;
    }
    const QByteArray oldName = NativeName(entry);
    const QByteArray newNative = source == NameSource::FromTags ? NativePath(newName) : NativeRenamed(oldName, newName);
    Refusal refusal{};
    // A name kept as it is (the old names copied across) is never refused for what it holds.
    if (newNative != oldName && Refuses(newName, source, refusal)) {
        step.refusal = refusal;
        return step;
    }
    if (!folder.startsWith('/')) {
        step.refusal = Refusal::NoFolder;
        return step;
    }
    step.oldPath = PathInFolder(folder, oldName);
    step.newPath = PathInFolder(folder, newNative);
    if (step.oldPath.isEmpty() || step.newPath.isEmpty()) {
        step.oldPath.clear();
        step.newPath.clear();
        step.refusal = Refusal::InvalidName;
    }
    return step;
}

std::vector<RenameStep> PlanRenames(const QByteArray &folder, const std::vector<SelectedEntry> &entries,
                                    const QStringList &newNames)
{
    std::vector<RenameStep> plan;
    plan.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        plan.push_back(RenameInFolder(folder, entries[i],
                                      qsizetype(i) < newNames.size() ? newNames.at(qsizetype(i)) : QString(),
                                      NameSource::Typed));
    return plan;
}

bool SameFile(const FileIdentity &a, const FileIdentity &b)
{
    return a.device == b.device && a.inode == b.inode && (a.born == 0 || b.born == 0 || a.born == b.born);
}

bool IdentityAt(int folder, const char *name, FileIdentity &file)
{
    struct statx info {};
    if (::statx(folder, name, AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &info) != 0)
        return false;
    file.device = std::uint64_t(::makedev(info.stx_dev_major, info.stx_dev_minor));
    file.inode = info.stx_ino;
    file.born = (info.stx_mask & STATX_BTIME)
                  ? std::uint64_t(info.stx_btime.tv_sec) * 1000000000u + info.stx_btime.tv_nsec
                  : 0;
    return true;
}

Refusal RefusalOf(const RenameStep &step)
{
    if (step.refusal)
        return *step.refusal;
    if (step.oldPath.isEmpty())
        return Refusal::NotAnEntry;
    if (step.newName.isEmpty())
        return Refusal::NoNewName;
    if (NameLeavesFolder(step.newName))
        return Refusal::InvalidName;
    return Refusal::NoFolder;
}

namespace {


QByteArray TemporaryNameBeside(const QByteArray &path)
{
    return NativeFolderOf(path) + "/.cv-rename-"
         + QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
}

// The folders of an operation's entries, each opened once, so that each system call names an
// entry within its folder rather than walking the whole path again. A folder that cannot be
// opened is named by the whole path.
class Folders {
public:
    struct Place {
        int folder;
        const char *name; // points into the path given, which must outlive it
    };

    Folders() = default;
    Folders(const Folders &) = delete;
    Folders &operator=(const Folders &) = delete;
    ~Folders()
    {
        for (const int fd : std::as_const(open_))
            if (fd >= 0)
                ::close(fd);
    }

    Place Of(const QByteArray &path)
    {
        const qsizetype slash = path.lastIndexOf('/');
        if (slash <= 0)
            return {AT_FDCWD, path.constData()};
        const QByteArrayView folder(path.constData(), slash);
        if (folder != last_) {
            const QByteArray key = folder.toByteArray();
            auto found = open_.constFind(key);
            if (found == open_.constEnd())
                found = open_.insert(key, ::open(key.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            last_ = key;
            lastFd_ = *found;
        }
        return lastFd_ >= 0 ? Place{lastFd_, path.constData() + slash + 1} : Place{AT_FDCWD, path.constData()};
    }

private:
    QHash<QByteArray, int> open_;
    QByteArray last_;
    int lastFd_ = -1;
};

// The plan's renames in the order they run: single renames, and cycles whose members are
// listed from the one that goes through the temporary name, then each one whose new name
// the previous freed.
struct Unit {
    std::size_t first = 0; // into Order::moves
    std::size_t count = 1;
    bool cycle = false;
};

class Run {
public:
    Run(const std::vector<RenameStep> &plan, const Progress &progress, RenameRecord *record)
        : plan_(plan), progress_(progress), record_(record)
    {
    }

    Failures Apply(const std::vector<FileIdentity> &expected)
    {
        Collect(expected);
        Order();
        // Without a journal each rename is still whole on its own; only a cycle, whose head
        // waits under a temporary name, needs the record to be undone after a crash.
        std::error_code unrecorded;
        if (record_ && !moves_.empty() && (unrecorded = record_->Begin(moves_)))
            record_ = nullptr;
        for (const Unit &unit : units_) {
            if (progress_ && !progress_(settled_))
                break;
            if (unit.cycle && unrecorded) {
                for (std::size_t k = 0; k < unit.count; ++k) {
                    Fail(moves_[order_[unit.first + k]].step, ReasonText(unrecorded));
                    Settle(order_[unit.first + k], false);
                }
            } else if (unit.cycle) {
                RunCycle(unit);
            } else {
                RunSingle(order_[unit.first]);
            }
        }
        if (record_ && !moves_.empty())
            record_->End();
        return Sorted();
    }

private:
    // Refused steps, steps onto their own name and steps whose entry is gone are settled at
    // once; the others become moves.
    void Collect(const std::vector<FileIdentity> &expected)
    {
        moves_.reserve(plan_.size());
        names_.reserve(2 * plan_.size());
        for (std::size_t i = 0; i < plan_.size(); ++i) {
            const RenameStep &step = plan_[i];
            if (step.oldPath.isEmpty() || step.newPath.isEmpty()) {
                Fail(i, ReasonText(RefusalOf(step)));
                continue;
            }
            FileIdentity file;
            const Folders::Place place = folders_.Of(step.oldPath);
            if (!IdentityAt(place.folder, place.name, file)) {
                Fail(i, ReasonText(std::error_code(errno, std::generic_category())));
                continue;
            }
            if (i < expected.size() && expected[i] != FileIdentity{} && !SameFile(expected[i], file)) {
                Fail(i, ReasonText(Refusal::Replaced));
                continue;
            }
            if (step.oldPath == step.newPath) {
                ++settled_;
                continue;
            }
            // The first entry to claim a new name gets it; the same entry twice moves once.
            Roles &target = names_[View(step.newPath)];
            Roles &source = names_[View(step.oldPath)];
            if (target.target >= 0 || source.source >= 0) {
                Fail(i, ReasonText(Refusal::Duplicate));
                continue;
            }
            target.target = std::ptrdiff_t(moves_.size());
            source.source = std::ptrdiff_t(moves_.size());
            moves_.push_back({i, step.oldPath, step.newPath, {}, file});
        }
    }

    // Each move waits for the move that leaves its new name; as every name is left by at most
    // one move and taken by at most one, the moves form separate chains and cycles.
    void Order()
    {
        const std::size_t count = moves_.size();
        std::vector<std::ptrdiff_t> next(count, -1); // the move that must run first
        for (std::size_t m = 0; m < count; ++m) {
            const auto found = names_.find(View(moves_[m].to));
            if (found != names_.end())
                next[m] = found->second.source;
        }
        enum : char { Unvisited, OnPath, Placed };
        std::vector<char> state(count, Unvisited);
        std::vector<std::size_t> path;
        order_.reserve(count);
        for (std::size_t start = 0; start < count; ++start) {
            if (state[start] != Unvisited)
                continue;
            path.clear();
            std::ptrdiff_t m = std::ptrdiff_t(start);
            while (m >= 0 && state[std::size_t(m)] == Unvisited) {
                state[std::size_t(m)] = OnPath;
                path.push_back(std::size_t(m));
                m = next[std::size_t(m)];
            }
            std::size_t chainEnd = path.size();
            if (m >= 0 && state[std::size_t(m)] == OnPath) {
                // The path came back to a move on it: from there on it is a cycle.
                const std::size_t head =
                    std::size_t(std::find(path.begin(), path.end(), std::size_t(m)) - path.begin());
                Unit unit{order_.size(), path.size() - head, true};
                RenameMove &first = moves_[path[head]];
                first.temp = TemporaryNameBeside(first.from);
                order_.push_back(path[head]);
                for (std::size_t k = path.size() - 1; k > head; --k)
                    order_.push_back(path[k]);
                units_.push_back(unit);
                chainEnd = head;
            }
            for (std::size_t k = chainEnd; k-- > 0;) {
                units_.push_back({order_.size(), 1, false});
                order_.push_back(path[k]);
            }
            for (const std::size_t member : path)
                state[member] = Placed;
        }
    }

    // The common case by the folders' handles; a name found taken, or a file system without
    // renames that never replace, goes the careful way of RenameNoReplace.
    bool Move(const QByteArray &from, const QByteArray &to, std::error_code &error)
    {
        const Folders::Place a = folders_.Of(from);
        const Folders::Place b = folders_.Of(to);
        if (::renameat2(a.folder, a.name, b.folder, b.name, RENAME_NOREPLACE) == 0)
            return true;
        const int why = errno;
        if (why == EEXIST || why == ENOTEMPTY || why == EINVAL || why == ENOSYS || why == ENOTSUP)
            return RenameNoReplace(from, to, error);
        error = std::error_code(why, std::generic_category());
        return false;
    }

    void Settle(std::size_t move, bool done)
    {
        ++settled_;
        if (record_)
            record_->Settled(move, done);
    }

    void RunSingle(std::size_t m)
    {
        const RenameMove &move = moves_[m];
        std::error_code error;
        const bool done = Move(move.from, move.to, error);
        if (!done)
            Fail(move.step, ReasonText(error));
        Settle(m, done);
    }

    // The head goes to its temporary name, then each member takes the name the one before
    // left, then the head takes its new name. When a member fails, the members already moved
    // go back, so the whole cycle keeps its old names.
    void RunCycle(const Unit &unit)
    {
        const std::size_t headIndex = order_[unit.first];
        const RenameMove &head = moves_[headIndex];
        std::error_code error;
        std::size_t failedAt = unit.count; // which member failed; 0 for the head
        std::size_t moved = 1;             // members renamed, the head first
        if (!Move(head.from, head.temp, error)) {
            failedAt = 0;
            moved = 0;
        } else {
            for (; moved < unit.count; ++moved) {
                const RenameMove &member = moves_[order_[unit.first + moved]];
                if (!Move(member.from, member.to, error)) {
                    failedAt = moved;
                    break;
                }
            }
            if (failedAt == unit.count && !Move(head.temp, head.to, error))
                failedAt = 0;
        }
        if (failedAt == unit.count) {
            for (std::size_t k = 0; k < unit.count; ++k)
                Settle(order_[unit.first + k], true);
            return;
        }
        const QString reason = ReasonText(error);
        const QString incomplete = ReasonText(Refusal::SwapIncomplete);
        // Back in the reverse order; a member that cannot go back stays under its new name.
        std::vector<char> back(unit.count, 1);
        for (std::size_t k = moved; k-- > 1;) {
            const RenameMove &member = moves_[order_[unit.first + k]];
            std::error_code ignored;
            back[k] = Move(member.to, member.from, ignored) ? 1 : 0;
        }
        bool headHome = moved == 0;
        if (!headHome) {
            std::error_code ignored;
            headHome = Move(head.temp, head.from, ignored);
        }
        for (std::size_t k = 0; k < unit.count; ++k) {
            const std::size_t m = order_[unit.first + k];
            const RenameMove &member = moves_[m];
            if (k == 0 && !headHome) {
                // Left under the temporary name: unsettled, so the next start puts it right.
                Fail(member.step, ReasonText(Refusal::SwapIncomplete) + QStringLiteral(" (está como «")
                                      + PathFromNative(NativeFileName(head.temp)) + QStringLiteral("»)"));
                ++settled_;
                continue;
            }
            if (k > 0 && k < moved && !back[k]) {
                Settle(m, true);
                continue;
            }
            Fail(member.step, k == failedAt ? reason : incomplete);
            Settle(m, false);
        }
    }

    void Fail(std::size_t step, const QString &reason) { failed_.push_back({step, reason}); }

    // A step without a listed name is named by the present name of its entry.
    static QString NameOf(const RenameStep &step)
    {
        return step.name.isEmpty() && !step.oldPath.isEmpty() ? PathFromNative(NativeFileName(step.oldPath)) : step.name;
    }

    Failures Sorted()
    {
        std::stable_sort(failed_.begin(), failed_.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        Failures failures;
        failures.reserve(qsizetype(failed_.size()));
        for (const auto &[step, reason] : failed_)
            failures.append({NameOf(plan_[step]), reason});
        return failures;
    }

    const std::vector<RenameStep> &plan_;
    const Progress &progress_;
    RenameRecord *record_;
    Folders folders_;
    std::vector<RenameMove> moves_;
    // Every path of the plan: the move that leaves it and the move that takes it.
    struct Roles {
        std::ptrdiff_t source = -1;
        std::ptrdiff_t target = -1;
    };
    static std::string_view View(const QByteArray &path) { return {path.constData(), std::size_t(path.size())}; }
    std::unordered_map<std::string_view, Roles> names_; // views into the plan's paths
    std::vector<std::size_t> order_; // moves in the order they run
    std::vector<Unit> units_;
    std::vector<std::pair<std::size_t, QString>> failed_;
    int settled_ = 0;
};

} // namespace

Failures ApplyRenames(const std::vector<RenameStep> &plan, const Progress &progress, RenameRecord *record,
                      const std::vector<FileIdentity> &expected)
{
    Run run(plan, progress, record);
    return run.Apply(expected);
}

QStringList PreviewMarks(const std::vector<RenameStep> &plan)
{
    QHash<QByteArray, std::size_t> moving; // old paths of the steps that move
    for (std::size_t i = 0; i < plan.size(); ++i)
        if (!plan[i].oldPath.isEmpty() && !plan[i].newPath.isEmpty() && plan[i].oldPath != plan[i].newPath)
            moving.insert(plan[i].oldPath, i);
    QHash<QByteArray, long> nameMax;
    QHash<QByteArray, std::size_t> claimed;
    QStringList marks;
    marks.reserve(qsizetype(plan.size()));
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const RenameStep &step = plan[i];
        if (step.oldPath.isEmpty() || step.newPath.isEmpty()) {
            marks.append(ReasonText(RefusalOf(step)));
            continue;
        }
        if (step.oldPath == step.newPath) {
            marks.append(QString());
            continue;
        }
        if (claimed.contains(step.newPath)) {
            marks.append(ReasonText(Refusal::Duplicate));
            continue;
        }
        claimed.insert(step.newPath, i);
        const QByteArray folder = NativeFolderOf(step.newPath);
        auto limit = nameMax.constFind(folder);
        if (limit == nameMax.constEnd()) {
            const long max = ::pathconf(folder.constData(), _PC_NAME_MAX);
            limit = nameMax.insert(folder, max > 0 ? max : NAME_MAX);
        }
        if (NativeFileName(step.newPath).size() > *limit || step.newPath.size() >= PATH_MAX) {
            marks.append(ReasonText(std::error_code(ENAMETOOLONG, std::generic_category())));
            continue;
        }
        struct stat target {};
        bool taken = !moving.contains(step.newPath) && ::lstat(step.newPath.constData(), &target) == 0;
        if (taken) {
            // The entry itself under another spelling, where letter case is ignored.
            struct stat source {};
            taken = !(::lstat(step.oldPath.constData(), &source) == 0 && source.st_dev == target.st_dev
                      && source.st_ino == target.st_ino && NativeFolderOf(step.oldPath) == folder);
        }
        marks.append(taken ? ReasonText(std::error_code(EEXIST, std::generic_category())) : QString());
    }
    return marks;
}
