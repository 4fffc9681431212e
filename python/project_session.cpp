#include "python/project_session.h"

#include "session/startup.h"
#include "workspace/limits.h"

namespace vortlan::python {

ProjectPtr startProject() {
    auto project = std::make_shared<Project>();
    startUp(project->session());
    warnMessages(*project);
    return project;
}

void warn(const std::string& text) {
    if (PyErr_WarnEx(PyExc_UserWarning, text.c_str(), 1) != 0) throw py::error_already_set();
}

void warnMessages(Project& project) {
    for (const std::string& said : project.port().takeMessages()) warn(said);
}

std::string regionName(int index) {
    return "region " + std::to_string(index + 1);
}

RegionRef regionWithData(const ProjectPtr& project, int number) {
    if (number < 1 || number > kRegionCount)
        throw Refused("no region " + std::to_string(number) + "; regions are numbered 1 to " +
                      std::to_string(kRegionCount));
    const int index = number - 1;
    if (!isTrue(project->session().workspace.regions[index].defined))
        throw Refused(regionName(index) + " holds no data");
    return {project, index};
}

}  // namespace vortlan::python
