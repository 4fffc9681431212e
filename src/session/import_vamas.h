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
// A block that is no spectrum (whyNotImportable) is refused with its message.
bool importReadVamasBlock(Session& session, const VamasBlock& block);

// Why a block read whole is no spectrum to import, or empty when it is one: a block without points, or
// one whose points all lie at a single energy (an abscissa step of 0).  Its import is refused with this
// reason.
std::string whyNotImportable(const VamasBlockSummary& block);

// What the block chooser offers of a VAMAS file.
struct VamasBlockChoice {
    std::vector<int> blocks;           // the blocks offered, numbered from 0 in the order of the file
    std::vector<std::string> items;    // the chooser's line of each
    int preselected = 0;               // the first XPS block among them, else the first
    std::vector<std::string> leftOut;  // every block, or run of blocks, not offered, and why

    // Nothing to choose from and nothing to tell: the import takes the file's first XPS block.
    bool nothingToAsk() const { return blocks.size() < 2 && leftOut.empty(); }
};

// The chooser of the file at `path`, or nothing when it cannot be read as a VAMAS file (not even its
// first block).
std::optional<VamasBlockChoice> vamasBlockChoice(const std::string& path);

}  // namespace vortlan
