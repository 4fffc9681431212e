#pragma once
// The optional section after a project's description: the one place where additions to the project
// file go, since the records before it keep their layout.  Older readers stop after the description
// and never see it.
//
// Layout (little-endian, as the records): the mark "VORTLAN EXT", a 16-bit layout version (1), a
// 16-bit record count, then each record as a 16-bit tag, a 32-bit payload length and the payload.  A
// new kind of data gets a new tag; readers pass over the tags they do not know, and ignore a section
// of a layout version they do not know.
//
// Records:
//   tag 1, the regions' intensity units: a 16-bit entry count, then for each entry the region's index
//   (0..9, 16-bit), the text's length (16-bit) and the text.

#include <string>

#include "io/binary_io.h"
#include "workspace/records.h"

namespace vortlan {

// The section for what the workspace holds beyond the fixed records; empty when it holds nothing
// more, so that such a project is written exactly as before the section existed.
std::string encodeProjectExtension(const Workspace& workspace);

// Reads the section, when the bytes after the description hold one, into a workspace whose regions
// are already read.  A damaged or cut section never fails the project: the records read whole before
// the damage are kept, the rest is ignored.
void readProjectExtension(BinaryReader& in, Workspace& workspace);

}  // namespace vortlan
