#pragma once
// VAMAS surface-analysis transfer files (ISO 14976), read field by field in the order the standard
// lays them out: the experiment header, then every block.  Scanning for landmarks instead goes wrong
// on real files, whose comments and variable labels may say "XPS" and whose blocks may carry several
// corresponding variables or extra parameters.

#include <cstdint>
#include <functional>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/records.h"

namespace vortlan {

inline constexpr std::string_view kNotVamasMessage = "Not a VAMAS file";
inline constexpr std::string_view kVamasReadErrorMessage = "Error in reading file";
// Every count of a VAMAS file is a 16-bit integer: nothing above this can be genuine, a block number
// included.
inline constexpr int kLargestVamasCount = 32767;

// Why a text could not be read as a VAMAS file; what() is the message shown to the user.
class VamasError : public std::runtime_error {
  public:
    enum class Kind { NotVamas, Malformed };
    explicit VamasError(Kind kind);
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

struct VamasBlock {
    std::string identifier;
    std::string sample;
    std::string technique;      // "XPS", "AES diff", "UPS", ...
    std::string species;        // "C"
    std::string transition;     // "1s"
    double sourceEnergy = 0.0;  // analysis source characteristic energy, eV
    // Regular scans: the abscissa fields; irregular scans: the first corresponding variable's label.
    std::string abscissaLabel;
    double abscissaStart = 0.0;
    double abscissaIncrement = 0.0;
    std::vector<std::string> variableLabels;  // the corresponding variables
    // The intensity's unit as the intensity variable's unit or label names it; empty when neither does.
    std::string intensityUnit;
    // The signal collection time (seconds a point, each scan) and the number of scans the block
    // records, when they are usable numbers; the transmission when a corresponding variable's label
    // names it, point by point as energy and counts (none when a value is not positive).
    Acquisition acquisition;

    // The spectrum as binding energies, index 0 the highest, with the intensity of each point.
    std::vector<float> energy;
    std::vector<float> counts;
    // The file lists the points from low to high binding energy, so energy and counts are its points
    // in reverse order.
    bool reversed = false;

    bool isXps() const { return technique == "XPS"; }
    bool operator==(const VamasBlock&) const = default;
};

struct VamasFile {
    std::vector<VamasBlock> blocks;  // the blocks read whole, in the order of the file
    // A block could not be read (the file cut short, or fewer blocks than the header counts): it and
    // the blocks after it are missing.
    bool damaged = false;
};

// The blocks of a VAMAS file's text, as far as they can be read: a block that cannot be read ends the
// list, and the blocks before it are kept.  Throws VamasError: NotVamas when the first line that is
// not blank lacks "VAMAS", Malformed when the header or the first block cannot be read (a field
// missing, a count out of range, values that do not add up).  NUL bytes are dropped; lines may end in
// LF or CR LF.
VamasFile parseVamas(std::string text);

// One line of the block chooser.
struct VamasBlockSummary {
    std::string species;
    std::string transition;
    std::string technique;
    int points = 0;
    float energyHigh = 0.0f;  // binding energies; 0 for a block without points
    float energyLow = 0.0f;

    bool operator==(const VamasBlockSummary&) const = default;
};

VamasBlockSummary summarizeBlock(const VamasBlock& block);
std::vector<VamasBlockSummary> summarizeBlocks(const VamasFile& file);

// The experiment header's fields that the layout of every block depends on.
struct VamasLayout {
    std::string experimentMode;
    std::string scanMode;
    int experimentalVariables = 0;
    std::vector<bool> included;  // by parameter number, for the blocks after the first
    int blockUpgradeEntries = 0;
    int blockCount = 0;  // as the header announces it
};

// What it takes to read any one block of a file alone: a depth profile of ten thousand blocks is
// listed in one pass and then read block by block, never held whole.
struct VamasIndex {
    VamasLayout layout;
    // The first block without its points: the later blocks take the parameters they leave out from it.
    VamasBlock first;
    // The blocks that can be read, in the order of the file (none when listed through a callback),
    // and the byte where each of them starts.
    std::vector<VamasBlockSummary> blocks;
    std::vector<std::uint64_t> offsets;
    // The block after the last listed one could not be read, and with it the place of those after it.
    bool damaged = false;
};

// The blocks of a VAMAS file as parseVamas reads them, without their points, from a stream standing at
// the start of the file.  Throws VamasError as parseVamas does.
VamasIndex indexVamas(std::istream& in);
// The same, handing each readable block's summary to `onBlock` in the order of the file instead of
// keeping it: `blocks` stays empty, and a file of any number of blocks is listed in the memory of a few.
VamasIndex indexVamas(std::istream& in, const std::function<void(const VamasBlockSummary&)>& onBlock);

// Block `block` (from 0) of the index's file, read alone from the stream of that file.  Throws
// VamasError (Malformed) when it cannot be read, std::out_of_range for a block the index lacks.
VamasBlock readVamasBlock(std::istream& in, const VamasIndex& index, std::size_t block);

}  // namespace vortlan
