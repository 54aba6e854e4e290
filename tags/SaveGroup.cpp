// SaveGroup: the many changes of one thread gathered into batches that commit together (one
// journal record, one sync of each file system), and the group a thread's saves join.

#include "tags/SaveGroup.h"

#include "tags/SafeSave.h"
#include "tags/SaveCommit.h"

#include <cstddef>

namespace cvtags {
namespace {

thread_local SaveGroup *g_group = nullptr;

} // namespace

SaveGroup *CurrentGroup() { return g_group; }

SaveGroup::SaveGroup() : outer_(g_group)
{
    if (!g_group)
        g_group = this;
}

SaveGroup::~SaveGroup()
{
    Commit();
    if (g_group == this)
        g_group = outer_;
}

bool SaveGroup::Add(std::unique_ptr<PendingPatch> patch)
{
    for (const auto &pending : batch_)
        if (pending->st.st_ino == patch->st.st_ino && pending->st.st_dev == patch->st.st_dev) {
            Commit();
            break;
        }
    bytes_ += patch->oldBytes.size() + patch->newBytes.size();
    batch_.push_back(std::move(patch));
    if (batch_.size() >= kMaxFiles || bytes_ >= kMaxBytes)
        Commit();
    return true;
}

bool SaveGroup::CommitIfHolding(const struct ::stat &st)
{
    for (const auto &pending : batch_)
        if (pending->st.st_ino == st.st_ino && pending->st.st_dev == st.st_dev) {
            Commit();
            return true;
        }
    return false;
}

bool SaveGroup::Commit()
{
    if (g_group != this && outer_) {
        const std::size_t before = outer_->failures_.size();
        const bool ok = outer_->Commit();
        failures_.insert(failures_.end(), outer_->failures_.begin() + static_cast<std::ptrdiff_t>(before),
                         outer_->failures_.end());
        return ok;
    }
    bytes_ = 0;
    return CommitPatches(batch_, false, failures_);
}

} // namespace cvtags
