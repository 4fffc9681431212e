#pragma once
// The spectra a batch fits: every data file, or every chosen block of a VAMAS file, with the name of
// its outputs; and the slices of them that the machines of a cluster share.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_session.h"

namespace vortlan::cli {

// Which blocks of a VAMAS file a batch fits: "first" (the first XPS block, as today and the default),
// "all", "xps" (every XPS block), or a list "1,3,5-9" numbered from 1 as the block chooser shows them.
struct BlockChoice {
    enum class Kind { First, All, Xps, List } kind = Kind::First;
    std::vector<int> numbers;
};
std::optional<BlockChoice> parseBlockChoice(std::string_view text);  // nothing for bad text ("0", "3-1", "x")

struct BatchItem {
    std::string file;        // as given on the command line
    int block = -1;          // the VAMAS block (from 0) to import; -1: the file as today's batch imports it
    int blockNumber = 0;     // the block as the chooser numbers it (from 1); 0 with block -1
    std::string blockLabel;  // "C 1s" (species and transition) for a chosen block; empty otherwise
    std::string outputName;  // the base name of its outputs in the output folder, unique in the run:
                             // today's names for block -1; "<name>.b<N>-<label>" style for blocks
                             // (label made safe for file names)
};

// The spectra to fit, in the order of the files and of the blocks within a file.  With Kind::First
// every file gives one item with block -1 (today's behaviour, today's names).  A file whose blocks
// cannot be listed, a chosen block number the file lacks, or a damaged block is reported by a line
// appended to `problems` ("FILE: block 7: <reason>") and left out.  Non-VAMAS files always give one
// item with block -1.
//
// A run of a hundred thousand spectra holds them in a few bytes each (their files' names once, and a
// file number, a block number and a label number each); an item's names are made when it is asked for.
class BatchItems {
  public:
    BatchItems(const std::vector<std::string>& files, const BlockChoice& choice,
               std::vector<std::string>& problems);

    std::size_t size() const { return entries_.size(); }
    BatchItem operator[](std::size_t k) const;
    BatchItem front() const { return (*this)[0]; }

  private:
    class Listing;
    struct Entry {
        std::uint32_t file;
        std::int32_t block;
        std::uint32_t label;  // in labels_
    };

    std::string_view file(std::uint32_t index) const;
    std::string baseName(std::uint32_t file) const;
    std::string outputName(const Entry& entry) const;

    std::string files_;                  // their names, one after the other
    std::vector<std::size_t> fileEnds_;  // where each name ends in files_
    std::vector<bool> sharedStem_;       // another file has the same stem: its outputs keep the extension
    std::vector<std::string> labels_;    // the blocks' labels, each once
    std::vector<Entry> entries_;
};

// Imports the item's spectrum into the current region (the chosen block, or as importSpectrum does).
// Throws CommandFailed as importSpectrum does.  Safe to call from several threads at once, each with
// its own CliSession.  For a big multi-block file it must not parse the whole file again per block.
void importItem(CliSession& cli, std::string_view format, const BatchItem& item);
// The I-th (from 1) of N balanced, deterministic slices of `count` items, as item indices in increasing
// order: items k with k % N == I - 1.
std::vector<std::size_t> shardSlice(std::size_t count, int shard, int shards);
// "2/3" -> {2, 3}; nothing unless 1 <= I <= N.
std::optional<std::pair<int, int>> parseShard(std::string_view text);

}  // namespace vortlan::cli
