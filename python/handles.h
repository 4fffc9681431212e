#pragma once
// What Python holds: a project, which is a session of the program of its own (its workspace, its
// dialogs' models, its Port), and references to one of its regions or peaks.  A reference keeps its
// project alive.

#include <memory>

#include "python/python_port.h"
#include "session/session.h"

namespace vortlan::python {

struct Project {
    PythonPort port;
    Session session{port};
    // Set while a fit or an export runs without the GIL: another thread must not start one then.
    bool working = false;
};

using ProjectPtr = std::shared_ptr<Project>;

struct RegionRef {
    ProjectPtr project;
    int index = 0;  // from 0
};

struct PeakRef {
    ProjectPtr project;
    int index = 0;  // the peak's number in the peak table
};

}  // namespace vortlan::python
