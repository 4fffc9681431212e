#pragma once
// The project file: the whole workspace.  Written in the current version (the previous one for tests
// and seed files); read in the current version, the previous one and the oldest layout, all upgraded
// to the current records.

#include <istream>
#include <optional>
#include <string>

#include "io/project_extension.h"
#include "io/records_io.h"
#include "workspace/records.h"

namespace vortlan {

inline constexpr std::string_view kProjectVersion4 = "VORTLAN 4.0";
inline constexpr std::string_view kProjectVersion3 = "VORTLAN 3.0";
inline constexpr std::string_view kOldestProjectMark = "SF";
inline constexpr std::size_t kStoredDescriptionLength = 128;

// The bytes of the workspace, with the first 128 characters of the description and, when the
// workspace holds more than the records, the extension section: in the current version, or in
// version 3, which differs only in its version text and its peak records.
std::string encodeProject(const Workspace& workspace, PeakLayout layout = PeakLayout::Version4);

enum class ProjectRead {
    Complete,     // everything read and every rule of the workspace kept
    WrongFormat,  // not a project file: nothing was read
    Failed        // a read past the end, or data out of range: what was read so far stays
};

struct ProjectReadResult {
    ProjectRead status = ProjectRead::Failed;
    // The stored description, when the file had a readable one.
    std::optional<std::string> description;
    // What became of the section after the description; the regions and peaks never depend on it.
    ProjectExtensionRead extension = ProjectExtensionRead::Absent;
};

// Reads a project into a workspace that the caller has reset.  After a failure the workspace holds
// what was read, with everything that breaks the workspace's rules dropped.
ProjectReadResult decodeProject(std::istream& in, Workspace& workspace);

}  // namespace vortlan
