#include "session/history/history.h"

#include <unordered_set>

namespace vortlan {

namespace {

// The current region and peak of a step are where its command acted: undoing it shows that place.
void restoreWhereItActed(const WorkspaceSnapshot& state, const WorkspaceSnapshot& step, Workspace& ws) {
    restoreSnapshot(state, ws);
    ws.currentRegion = step.currentRegion;
    ws.currentPeak = step.currentPeak;
}

class DistinctBytes {
  public:
    void add(const WorkspaceSnapshot& s) {
        for (const auto& region : s.regions) addOnce(region.get(), bytesOf(*region));
        for (const auto& peak : s.peaks) addOnce(peak.get(), bytesOf(*peak));
        addOnce(s.constraints.get(), sizeof(*s.constraints));
        total_ += sizeof(WorkspaceSnapshot) + s.description.capacity();
    }
    std::size_t total() const { return total_; }

  private:
    void addOnce(const void* part, std::size_t bytes) {
        if (seen_.insert(part).second) total_ += bytes;
    }
    std::unordered_set<const void*> seen_;
    std::size_t total_ = 0;
};

}  // namespace

std::size_t defaultHistoryBudget() {
    return (kGuaranteedSteps + 2) * worstCaseSnapshotBytes();
}

History::History(std::size_t byteBudget) : budget_(byteBudget) {
    reset(Workspace{});
}

void History::reset(const Workspace& workspace) {
    steps_.clear();
    position_ = 0;
    initial_ = takeSnapshot(workspace);
    saved_ = initial_;
}

const WorkspaceSnapshot& History::settled() const {
    return position_ == 0 ? initial_ : steps_[position_ - 1].after;
}

bool History::record(const std::string& name, const Workspace& workspace, bool merge) {
    if (sameContent(workspace, settled())) return false;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(position_), steps_.end());
    if (merge && position_ > 0 && steps_.back().name == name) {
        steps_.back().after = takeSnapshot(workspace, &steps_.back().after);
        const WorkspaceSnapshot& before = position_ > 1 ? steps_[position_ - 2].after : initial_;
        if (sameContent(before, steps_.back().after)) {
            steps_.pop_back();
            --position_;
        }
        return true;
    }
    steps_.push_back({name, takeSnapshot(workspace, &settled())});
    ++position_;
    dropOldestBeyondBudget();
    return true;
}

void History::dropOldestBeyondBudget() {
    while (steps_.size() > kMaxSteps || (steps_.size() > kGuaranteedSteps && bytesHeld() > budget_)) {
        initial_ = std::move(steps_.front().after);
        steps_.pop_front();
        if (position_ > 0) --position_;
    }
}

std::size_t History::bytesHeld() const {
    DistinctBytes bytes;
    bytes.add(initial_);
    for (const Step& step : steps_) bytes.add(step.after);
    bytes.add(saved_);
    return bytes.total();
}

std::string History::undoName() const {
    return canUndo() ? steps_[position_ - 1].name : std::string();
}

std::string History::redoName() const {
    return canRedo() ? steps_[position_].name : std::string();
}

bool History::undo(Workspace& workspace) {
    if (!canUndo()) return false;
    const WorkspaceSnapshot& step = steps_[position_ - 1].after;
    --position_;
    restoreWhereItActed(settled(), step, workspace);
    return true;
}

bool History::redo(Workspace& workspace) {
    if (!canRedo()) return false;
    const WorkspaceSnapshot& step = steps_[position_].after;
    ++position_;
    restoreWhereItActed(step, step, workspace);
    return true;
}

void History::markSaved(const Workspace& workspace) {
    saved_ = takeSnapshot(workspace, &settled());
}

bool History::changedSinceSaved(const Workspace& workspace) const {
    return !sameContent(workspace, saved_);
}

}  // namespace vortlan
