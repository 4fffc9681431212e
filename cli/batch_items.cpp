#include "cli/batch_items.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "cli/arguments.h"
#include "cli/spectrum_import.h"
#include "io/vamas_file.h"
#include "session/import_vamas.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSameName = "skipped: another data file has the same name";

std::optional<int> blockNumber(std::string_view text) {
    const auto number = parseWholeNumber(text);
    if (!number || *number < 1 || *number > kLargestVamasCount) return std::nullopt;
    return number;
}

// "5-9" or "5"; false for anything else.
bool addListEntry(std::string_view entry, std::set<int>& numbers) {
    const std::size_t dash = entry.find('-');
    const auto low = blockNumber(entry.substr(0, dash));
    const auto high = dash == std::string_view::npos ? low : blockNumber(entry.substr(dash + 1));
    if (!low || !high || *high < *low) return false;
    for (int n = *low; n <= *high; ++n) numbers.insert(n);
    return true;
}

// The data file's name without its extension, or with it where two data files would otherwise share
// a name (c1s.vms and c1s.txt give c1s.vms.xps and c1s.txt.xps).
std::vector<std::string> outputNames(const std::vector<std::string>& files) {
    std::map<std::string, int> stems;
    for (const std::string& file : files) ++stems[fs::path(file).stem().string()];
    std::vector<std::string> names;
    for (const std::string& file : files) {
        const fs::path path(file);
        names.push_back(stems[path.stem().string()] > 1 ? path.filename().string() : path.stem().string());
    }
    return names;
}

std::string blockLabel(const VamasBlockSummary& block) {
    if (block.species.empty() || block.transition.empty()) return block.species + block.transition;
    return block.species + " " + block.transition;
}

// Letters, digits, '.', '-' and '_' as they are, anything else (blanks, slashes, bytes of other
// alphabets) as '_': the label becomes part of a file name on every system.
std::string safeForFileNames(std::string_view label) {
    std::string safe(label);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = byte < 128 && (std::isalnum(byte) || c == '.' || c == '-' || c == '_');
        if (!kept) c = '_';
    }
    return safe;
}

// Raised for a file that is not there or cannot be opened.
struct UnreadableFile {};

// The blocks of each VAMAS file are listed once in a run and kept small: the batch then reads every
// block alone, from whichever thread fits it.
class IndexCache {
  public:
    // Throws VamasError for a file that is not VAMAS or has no readable block, UnreadableFile for one
    // that cannot be opened.
    std::shared_ptr<const VamasIndex> of(const std::string& file) {
        {
            const std::lock_guard lock(mutex_);
            if (const auto known = indexes_.find(file); known != indexes_.end()) return known->second;
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) throw UnreadableFile{};
        auto index = std::make_shared<const VamasIndex>(indexVamas(in));
        const std::lock_guard lock(mutex_);
        return indexes_.try_emplace(file, std::move(index)).first->second;
    }

  private:
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const VamasIndex>> indexes_;
};

IndexCache& indexCache() {
    static IndexCache cache;
    return cache;
}

// The chosen blocks' numbers (from 1) among those the file announces.
std::vector<int> chosenNumbers(const VamasIndex& index, const BlockChoice& choice) {
    if (choice.kind == BlockChoice::Kind::List) return choice.numbers;
    const int readable = static_cast<int>(index.blocks.size());
    std::vector<int> numbers;
    for (int n = 1; n <= readable; ++n) {
        if (choice.kind == BlockChoice::Kind::All || index.blocks[n - 1].technique == "XPS")
            numbers.push_back(n);
    }
    // The blocks from a damaged one on cannot be told apart: each might have been chosen.
    if (index.damaged) numbers.push_back(readable + 1);
    return numbers;
}

std::string blockCount(int count) {
    return std::to_string(count) + (count == 1 ? " block" : " blocks");
}

// Why block `number` of the file is left out; empty when it can be fitted.
std::string missingReason(const VamasIndex& index, const BlockChoice& choice, int number) {
    const int readable = static_cast<int>(index.blocks.size());
    const int announced = index.layout.blockCount;
    if (number <= readable) {
        if (index.blocks[number - 1].points == 0) return "the block holds no points";
        return {};
    }
    if (number > announced) return "the file has " + blockCount(announced);
    if (number > readable + 1) {
        return "lost with block " + std::to_string(readable + 1) + ", which cannot be read";
    }
    const int lost = announced - number;
    if (choice.kind == BlockChoice::Kind::List || lost == 0) return "the block cannot be read";
    return "the block cannot be read, nor the " + std::to_string(lost) + " after it";
}

class ItemList {
  public:
    ItemList(const std::vector<std::string>& files, std::vector<std::string>& problems)
        : names_(outputNames(files)), problems_(problems) {}

    void addFile(std::size_t fileIndex, const std::string& file, const BlockChoice& choice) {
        if (!takenBases_.insert(names_[fileIndex]).second) {
            report(file, kSameName);
            return;
        }
        if (choice.kind == BlockChoice::Kind::First) {
            addWhole(fileIndex, file);
            return;
        }
        try {
            addBlocks(fileIndex, file, choice, *indexCache().of(file));
        } catch (const UnreadableFile&) {
            report(file, "cannot read the file");
        } catch (const VamasError& error) {
            if (error.kind() == VamasError::Kind::NotVamas) {
                addWhole(fileIndex, file);
            } else {
                report(file, "no block can be read (" + std::string(error.what()) + ")");
            }
        }
    }

    std::vector<BatchItem> items;

  private:
    void addWhole(std::size_t fileIndex, const std::string& file) {
        if (!takenNames_.insert(names_[fileIndex]).second) {
            report(file, kSameName);
            return;
        }
        items.push_back({file, -1, 0, {}, names_[fileIndex]});
    }

    void addBlocks(std::size_t fileIndex, const std::string& file, const BlockChoice& choice,
                   const VamasIndex& index) {
        for (int number : chosenNumbers(index, choice)) {
            const std::string block = "block " + std::to_string(number);
            if (const std::string reason = missingReason(index, choice, number); !reason.empty()) {
                report(file, block + ": " + reason);
                continue;
            }
            const std::string label = blockLabel(index.blocks[number - 1]);
            std::string name = names_[fileIndex] + ".b" + std::to_string(number);
            if (!label.empty()) name += "-" + safeForFileNames(label);
            if (!takenNames_.insert(name).second) {
                report(file, block + ": another spectrum has the same name");
                continue;
            }
            items.push_back({file, number - 1, number, label, std::move(name)});
        }
    }

    void report(const std::string& file, std::string_view reason) {
        problems_.push_back(file + ": " + std::string(reason));
    }

    std::vector<std::string> names_;
    std::vector<std::string>& problems_;
    std::set<std::string> takenBases_;  // of the files, so that a second file of a name goes whole
    std::set<std::string> takenNames_;  // of the items
};

}  // namespace

std::optional<BlockChoice> parseBlockChoice(std::string_view text) {
    if (text == "first") return BlockChoice{BlockChoice::Kind::First, {}};
    if (text == "all") return BlockChoice{BlockChoice::Kind::All, {}};
    if (text == "xps") return BlockChoice{BlockChoice::Kind::Xps, {}};
    std::set<int> numbers;
    while (true) {
        const std::size_t comma = text.find(',');
        if (!addListEntry(text.substr(0, comma), numbers)) return std::nullopt;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return BlockChoice{BlockChoice::Kind::List, std::vector<int>(numbers.begin(), numbers.end())};
}

std::vector<BatchItem> batchItems(const std::vector<std::string>& files, const BlockChoice& choice,
                                  std::vector<std::string>& problems) {
    ItemList list(files, problems);
    for (std::size_t i = 0; i < files.size(); ++i) list.addFile(i, files[i], choice);
    return std::move(list.items);
}

void importItem(CliSession& cli, std::string_view format, const BatchItem& item) {
    if (item.block < 0) {
        importSpectrum(cli, format, item.file);
        return;
    }
    const std::string where = item.file + ": block " + std::to_string(item.block + 1) + ": ";
    VamasBlock block;
    try {
        const auto index = indexCache().of(item.file);
        if (static_cast<std::size_t>(item.block) >= index->blocks.size())
            throw CommandFailed(where + "no such block in the file");
        std::ifstream in(item.file, std::ios::binary);
        if (!in) throw UnreadableFile{};
        block = readVamasBlock(in, *index, static_cast<std::size_t>(item.block));
    } catch (const UnreadableFile&) {
        throw CommandFailed("cannot read " + item.file);
    } catch (const VamasError& error) {
        throw CommandFailed(where + error.what());
    }
    cli.workspace().fileName = item.file;
    if (!importReadVamasBlock(cli.session, block)) throw CommandFailed();
}

std::vector<std::size_t> shardSlice(std::size_t count, int shard, int shards) {
    std::vector<std::size_t> slice;
    if (shard < 1 || shard > shards) return slice;
    for (std::size_t k = static_cast<std::size_t>(shard - 1); k < count;
         k += static_cast<std::size_t>(shards))
        slice.push_back(k);
    return slice;
}

std::optional<std::pair<int, int>> parseShard(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto shard = parseWholeNumber(text.substr(0, slash));
    const auto shards = parseWholeNumber(text.substr(slash + 1));
    if (!shard || !shards || *shard < 1 || *shard > *shards) return std::nullopt;
    return std::pair{*shard, *shards};
}

}  // namespace vortlan::cli
