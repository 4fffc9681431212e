#pragma once
// What Python holds: a project, which is a session of the program of its own (its workspace, its
// dialogs' models, its Port), and references to one of its regions or peaks.  A reference keeps its
// project alive.

#include <array>
#include <memory>

#include "python/python_port.h"
#include "session/session.h"

namespace vortlan::python {

struct Project {
    PythonPort port;
    Session session{port};
    // Set while a fit or an export runs without the GIL: another thread must not start one then.
    bool working = false;
    // How often each peak number has been deleted: a reference to a deleted peak stays one, even when
    // a later peak takes its number.
    std::array<unsigned, kPeakCount> peakDeletions{};
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
