#pragma once
// A project's session as Python starts and drives it: started as the command-line tool starts, and
// what the program said passed on to Python.

#include <string>

#include "python/bindings.h"

namespace vortlan::python {

// An empty project, started as the desktop program starts (the options of "default.opa" in the
// working directory, or the built-in ones).
ProjectPtr startProject();

// A Python UserWarning with the text.
void warn(const std::string& text);

// What the program said after a command that went through, as Python warnings: it is news the user
// should see (a part of a file left out, say) but not a failure.
void warnMessages(Project& project);

// The region numbered as the user numbers them (from 1), holding data; Error otherwise.
RegionRef regionWithData(const ProjectPtr& project, int number);

// "region 3 holds no data" and friends name the region as the user numbers them.
std::string regionName(int index);

}  // namespace vortlan::python
