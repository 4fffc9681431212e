#pragma once
// "Import (VAMAS)": one block of a VAMAS file into the current region, after the open dialog has set
// fileName.  The desktop program's block chooser and the command-line tool pick the block themselves.

#include <optional>
#include <string>
#include <vector>

#include "io/vamas_file.h"
#include "session/session.h"

namespace vortlan {

// Only the blocks up to the first one that cannot be read count as the file's blocks: a damaged
// later block does not keep the sound ones before it from being imported.

// The first XPS block of the file.  A file that is not VAMAS leaves the workspace as it was; any later
// failure leaves the current region empty.  True when the region was filled.
bool importVamas(Session& session);

// Block `block` (from 0) of the file, whatever its technique; false, after a message, when the region
// was not filled.  A block number the file does not have leaves the workspace as it was.
bool importVamasBlock(Session& session, int block);

// A block read on its own (readVamasBlock) into the current region, as importVamasBlock imports it.
bool importReadVamasBlock(Session& session, const VamasBlock& block);

// The blocks of the file at `path` that can be read, or nothing when it cannot be read as a VAMAS file
// (not even its first block).
std::optional<std::vector<VamasBlockSummary>> listVamasBlocks(const std::string& path);

}  // namespace vortlan
