#pragma once
// Undo and redo of the user's commands.  The history keeps the last settled state of the workspace;
// when a command that changes the workspace ends, it is recorded as a step only if the workspace now
// differs from that state.  What happens between two commands (a ReDraw while the peak dialog is open,
// a background preview, the trials of a fit) is therefore never a step of its own.
//
// Memory: every step holds a snapshot that shares unchanged regions and peaks with its neighbours.
// The oldest steps are dropped once the distinct regions, peaks and constraints held exceed the byte
// budget, and beyond kMaxSteps.  The default budget is kGuaranteedSteps + 2 worst-case snapshots
// (the steps, the state before the oldest and the saved state; every region and every peak at 5000
// points, about 2.6 MB each, so about 270 MB), which keeps at least 100 steps whatever they changed.
// A step that changes one region of a few hundred points costs tens of kilobytes, so in practice the
// history holds kMaxSteps in a few tens of megabytes.

#include <cstddef>
#include <deque>
#include <string>

#include "session/history/workspace_snapshot.h"

namespace vortlan {

inline constexpr std::size_t kGuaranteedSteps = 100;
inline constexpr std::size_t kMaxSteps = 1000;

std::size_t defaultHistoryBudget();

class History {
  public:
    explicit History(std::size_t byteBudget = defaultHistoryBudget());

    // Forgets every step: the workspace as it is becomes the settled state, and the saved one.
    void reset(const Workspace& workspace);

    // After a command named `name` ended: a new step when the workspace differs from the settled
    // state, which clears what could be redone.  With `merge`, a step of the same name just before
    // takes the change in instead (typing into one box is one step).  True when a step was recorded.
    bool record(const std::string& name, const Workspace& workspace, bool merge = false);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    // The command that undo or redo would take back or do again; empty when there is none.
    std::string undoName() const;
    std::string redoName() const;

    // The workspace as it was before, or after, the step; the current region and peak are where the
    // step's command acted.  False, and the workspace untouched, when there is nothing to undo or redo.
    bool undo(Workspace& workspace);
    bool redo(Workspace& workspace);

    // The workspace was written to, or read from, its project file as it now is.
    void markSaved(const Workspace& workspace);
    // Whether the workspace differs from what was last saved or opened; undoing back to it counts as
    // unchanged.
    bool changedSinceSaved(const Workspace& workspace) const;

    std::size_t stepCount() const { return steps_.size(); }
    // The bytes of the distinct snapshots' parts now held, the settled and saved states included.
    std::size_t bytesHeld() const;

  private:
    struct Step {
        std::string name;
        WorkspaceSnapshot after;
    };
    const WorkspaceSnapshot& settled() const;
    void dropOldestBeyondBudget();

    std::size_t budget_;
    WorkspaceSnapshot initial_;  // the state before the oldest step kept
    std::deque<Step> steps_;
    std::size_t position_ = 0;  // steps before it are done, steps from it can be redone
    WorkspaceSnapshot saved_;
};

}  // namespace vortlan
