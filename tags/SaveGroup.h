#pragma once

// Saving many files as one group commit, and the recovery of saves a crash interrupted.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <utility>
#include <vector>

namespace cvtags {

struct PendingPatch;

// While a SaveGroup lives on a thread, the tag writes and removals of that thread join its
// batch: a change that fits in place is prepared (read, checked, rendered) at once and
// written at Commit(), which makes the records of the whole batch durable with one journal
// write and sync, writes the tags, syncs each file system touched once (syncfs) and drops the
// records. WriteTag and DeleteTag then return true when the change was prepared; whether it
// reached the disk is Commit()'s answer. Rewrites (a tag that grows, a removal) are done at
// once, as without a group. A second change of a file already in the batch commits the batch
// first. Destruction commits what is left. An inner group on the same thread joins the outer.
//
//     cvtags::SaveGroup group;
//     for (…) v2.WriteTag(file);            // prepared
//     if (!group.Commit()) for (auto &[file, why] : group.Failures()) …;
class SaveGroup {
public:
    // Batches grow to at most this many files or bytes; then they commit by themselves.
    static constexpr std::size_t kMaxFiles = 256;
    static constexpr std::size_t kMaxBytes = 8u << 20;

    SaveGroup();
    ~SaveGroup();
    SaveGroup(const SaveGroup &) = delete;
    SaveGroup &operator=(const SaveGroup &) = delete;

    // Writes the batch; false when any of its files failed (see Failures()).
    bool Commit();
    // The files (as their paths were given) whose change failed at a Commit, with the
    // reason, since the group began.
    const std::vector<std::pair<std::filesystem::path, std::error_code>> &Failures() const { return failures_; }

private:
    friend class TagFile;
    bool Add(std::unique_ptr<PendingPatch> patch);
    // Commits first when the batch holds (and locks) the file `st` describes; true then.
    bool CommitIfHolding(const struct ::stat &st);
    SaveGroup *outer_ = nullptr;
    std::vector<std::unique_ptr<PendingPatch>> batch_;
    std::size_t bytes_ = 0;
    std::vector<std::pair<std::filesystem::path, std::error_code>> failures_;
};

// Finishes or undoes the saves that a crash or a kill interrupted, from the records of the
// user's journal that no running instance holds. The program calls it once at start-up,
// before its window shows; a record whose file is not reachable now (media not mounted)
// is kept for a later start, one found inapplicable on a mounted file is dropped. False when
// the journal cannot be used (the reason in LastError()); saves then rewrite the file.
bool RecoverInterruptedSaves();

} // namespace cvtags
