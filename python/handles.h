#pragma once
// What Python holds: a project, which is a session of the program of its own (its workspace, its
// dialogs' models, its Port), and references to one of its regions or peaks.  A reference keeps its
// project alive.

#include <array>
#include <memory>

#include "python/python_port.h"
#include "session/session.h"

namespace vortlan::python {

// The project's session and Port are reached through session() and port(), which refuse while another
// thread fits or exports the project with the GIL released: the work would see its workspace change
// under it.  The work itself reaches them through its WorkingMark.
class Project {
  public:
    Session& session() {
        refuseWhileAtWork();
        return session_;
    }
    PythonPort& port() {
        refuseWhileAtWork();
        return port_;
    }

    // How often each peak number has been deleted: a reference to a deleted peak stays one, even when
    // a later peak takes its number.
    std::array<unsigned, kPeakCount> peakDeletions{};

  private:
    friend class WorkingMark;

    void refuseWhileAtWork() const {
        if (atWork_) throw Refused("the project is being fitted in another thread");
    }

    PythonPort port_;
    Session session_{port_};
    bool atWork_ = false;  // read and written with the GIL held
};

// Marks the project as at work, with the GIL held, for as long as it lives (a fit or an export that then
// releases the GIL); refuses when another thread's work holds it already.
class WorkingMark {
  public:
    explicit WorkingMark(Project& project) : project_(project) {
        project_.refuseWhileAtWork();
        project_.atWork_ = true;
    }
    WorkingMark(const WorkingMark&) = delete;
    WorkingMark& operator=(const WorkingMark&) = delete;
    ~WorkingMark() { project_.atWork_ = false; }

    Session& session() const { return project_.session_; }
    PythonPort& port() const { return project_.port_; }

  private:
    Project& project_;
};

using ProjectPtr = std::shared_ptr<Project>;

struct RegionRef {
    ProjectPtr project;
    int index = 0;  // from 0
};

struct PeakRef {
    ProjectPtr project;
    int index = 0;           // the peak's number in the peak table
    unsigned deletions = 0;  // the number's deletions when the reference was made

    // A reference to the peak now holding the number.
    static PeakRef to(const ProjectPtr& project, int index) {
        return {project, index, project->peakDeletions.at(static_cast<std::size_t>(index))};
    }
};

}  // namespace vortlan::python
