#include "cli/batch_items.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
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

// Which of `count` keys equal another (shared) or an earlier one (repeated).  Holds a hash and a number
// a key, not the keys: only keys whose hashes meet are made again and compared.
struct KeyMatches {
    std::vector<bool> shared;
    std::vector<bool> repeated;
};

KeyMatches matchKeys(std::size_t count, const std::function<std::string(std::size_t)>& keyOf) {
    std::vector<std::pair<std::size_t, std::size_t>> hashed(count);  // hash, key
    for (std::size_t k = 0; k < count; ++k) hashed[k] = {std::hash<std::string>{}(keyOf(k)), k};
    std::sort(hashed.begin(), hashed.end());
    KeyMatches matches{std::vector<bool>(count), std::vector<bool>(count)};
    for (std::size_t run = 0, end = 0; run < count; run = end) {
        for (end = run + 1; end < count && hashed[end].first == hashed[run].first;) ++end;
        if (end - run == 1) continue;
        std::vector<std::pair<std::string, std::size_t>> keys;
        for (std::size_t h = run; h < end; ++h) keys.emplace_back(keyOf(hashed[h].second), hashed[h].second);
        std::sort(keys.begin(), keys.end());
        for (std::size_t a = 0, b = 0; a < keys.size(); a = b) {
            for (b = a + 1; b < keys.size() && keys[b].first == keys[a].first;) ++b;
            if (b - a == 1) continue;
            for (std::size_t k = a; k < b; ++k) {
                matches.shared[keys[k].second] = true;
                matches.repeated[keys[k].second] = k > a;
            }
        }
    }
    return matches;
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

using BlockSummaries = std::function<void(const VamasBlockSummary&)>;

// The blocks of each VAMAS file are listed once in a run, without their summaries: the batch then reads
// every block alone, from whichever thread fits it.  The indexes of the files used last are kept, as
// many as the spectra the workers may run ahead: the spectra come in the order of the files.
class IndexCache {
  public:
    // Lists the file's blocks, handing their summaries to `onBlock`.  Throws VamasError for a file
    // that is not VAMAS or has no readable block, UnreadableFile for one that cannot be opened.
    std::shared_ptr<const VamasIndex> list(const std::string& file, const BlockSummaries& onBlock) {
        std::ifstream in(file, std::ios::binary);
        if (!in) throw UnreadableFile{};
        auto index = std::make_shared<const VamasIndex>(indexVamas(in, onBlock));
        const std::lock_guard lock(mutex_);
        keep(file, index);
        return index;
    }

    std::shared_ptr<const VamasIndex> of(const std::string& file) {
        {
            const std::lock_guard lock(mutex_);
            if (const auto known = indexes_.find(file); known != indexes_.end()) {
                known->second.lastUse = ++uses_;
                return known->second.index;
            }
        }
        return list(file, [](const VamasBlockSummary&) {});
    }

  private:
    static constexpr std::size_t kKept = 256;

    struct Kept {
        std::shared_ptr<const VamasIndex> index;
        std::uint64_t lastUse = 0;
    };

    void keep(const std::string& file, std::shared_ptr<const VamasIndex> index) {
        indexes_.insert_or_assign(file, Kept{std::move(index), ++uses_});
        if (indexes_.size() <= kKept) return;
        const auto oldest = std::min_element(
            indexes_.begin(), indexes_.end(),
            [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
        indexes_.erase(oldest);
    }

    std::mutex mutex_;
    std::map<std::string, Kept> indexes_;
    std::uint64_t uses_ = 0;
};

IndexCache& indexCache() {
    static IndexCache cache;
    return cache;
}

bool chosen(const BlockChoice& choice, const VamasBlockSummary& block, int number) {
    switch (choice.kind) {
        case BlockChoice::Kind::All:
            return true;
        case BlockChoice::Kind::Xps:
            return block.technique == "XPS";
        case BlockChoice::Kind::List:
            return std::binary_search(choice.numbers.begin(), choice.numbers.end(), number);
        case BlockChoice::Kind::First:
            break;
    }
    return false;
}

// The chosen blocks' numbers (from 1) after the readable ones: those of the list, or the blocks from a
// damaged one on, which cannot be told apart and each might have been chosen.
std::vector<int> chosenUnreadable(const VamasIndex& index, const BlockChoice& choice) {
    const int readable = static_cast<int>(index.offsets.size());
    if (choice.kind != BlockChoice::Kind::List)
        return index.damaged ? std::vector<int>{readable + 1} : std::vector<int>{};
    std::vector<int> numbers;
    for (int n : choice.numbers) {
        if (n > readable) numbers.push_back(n);
    }
    return numbers;
}

std::string blockCount(int count) {
    return std::to_string(count) + (count == 1 ? " block" : " blocks");
}

// Why block `number`, beyond the readable ones, is left out.
std::string missingReason(const VamasIndex& index, const BlockChoice& choice, int number) {
    const int readable = static_cast<int>(index.offsets.size());
    const int announced = index.layout.blockCount;
    if (number > announced) return "the file has " + blockCount(announced);
    if (number > readable + 1) {
        return "lost with block " + std::to_string(readable + 1) + ", which cannot be read";
    }
    const int lost = announced - number;
    if (choice.kind == BlockChoice::Kind::List || lost == 0) return "the block cannot be read";
    return "the block cannot be read, nor the " + std::to_string(lost) + " after it";
}

}  // namespace

// Lists the items file by file; the problems are said in the order of the files and their blocks.
class BatchItems::Listing {
  public:
    Listing(BatchItems& items, const BlockChoice& choice) : items_(items), choice_(choice) {}

    void add(std::uint32_t file, bool sameNameAsAnEarlier) {
        if (sameNameAsAnEarlier) {
            report(file, 0, kSameName);
            return;
        }
        if (choice_.kind == BlockChoice::Kind::First) {
            addWhole(file);
            return;
        }
        const std::string path(items_.file(file));
        const std::size_t before = items_.entries_.size();
        try {
            addBlocks(file, path);
        } catch (const UnreadableFile&) {
            report(file, 0, "cannot read the file");
        } catch (const VamasError& error) {
            items_.entries_.resize(before);
            if (error.kind() == VamasError::Kind::NotVamas) {
                addWhole(file);
            } else {
                report(file, 0, "no block can be read (" + std::string(error.what()) + ")");
            }
        }
    }

    // Leaves out every item named as an earlier one.
    void dropRepeatedNames() {
        std::vector<Entry>& entries = items_.entries_;
        const KeyMatches names =
            matchKeys(entries.size(), [&](std::size_t k) { return items_.outputName(entries[k]); });
        std::size_t kept = 0;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const Entry& entry = entries[k];
            if (!names.repeated[k]) {
                entries[kept++] = entry;
            } else if (entry.block < 0) {
                report(entry.file, 0, kSameName);
            } else {
                report(entry.file, entry.block + 1,
                       "block " + std::to_string(entry.block + 1) + ": another spectrum has the same name");
            }
        }
        entries.resize(kept);
        entries.shrink_to_fit();
    }

    void sayProblems(std::vector<std::string>& problems) {
        std::stable_sort(problems_.begin(), problems_.end(), [](const Problem& a, const Problem& b) {
            return std::pair(a.file, a.block) < std::pair(b.file, b.block);
        });
        for (Problem& problem : problems_) problems.push_back(std::move(problem.text));
    }

  private:
    struct Problem {
        std::uint32_t file;
        int block;  // its number; 0 for the file
        std::string text;
    };

    void addWhole(std::uint32_t file) { items_.entries_.push_back({file, -1, 0}); }

    void addBlocks(std::uint32_t file, const std::string& path) {
        int number = 0;
        const auto index = indexCache().list(path, [&](const VamasBlockSummary& block) {
            ++number;
            if (!chosen(choice_, block, number)) return;
            if (block.points == 0) {
                report(file, number, "block " + std::to_string(number) + ": the block holds no points");
                return;
            }
            items_.entries_.push_back({file, number - 1, labelNumber(blockLabel(block))});
        });
        for (int missing : chosenUnreadable(*index, choice_))
            report(file, missing,
                   "block " + std::to_string(missing) + ": " + missingReason(*index, choice_, missing));
    }

    std::uint32_t labelNumber(const std::string& label) {
        const auto [known, added] =
            labelNumbers_.try_emplace(label, static_cast<std::uint32_t>(items_.labels_.size()));
        if (added) items_.labels_.push_back(label);
        return known->second;
    }

    void report(std::uint32_t file, int block, std::string_view reason) {
        problems_.push_back({file, block, std::string(items_.file(file)) + ": " + std::string(reason)});
    }

    BatchItems& items_;
    const BlockChoice& choice_;
    std::map<std::string, std::uint32_t> labelNumbers_;
    std::vector<Problem> problems_;
};

BatchItems::BatchItems(const std::vector<std::string>& files, const BlockChoice& choice,
                       std::vector<std::string>& problems) {
    for (const std::string& file : files) {
        files_ += file;
        fileEnds_.push_back(files_.size());
    }
    labels_.emplace_back();  // a whole file's
    const auto count = static_cast<std::uint32_t>(files.size());
    sharedStem_ = matchKeys(count, [&](std::size_t f) { return fs::path(files[f]).stem().string(); }).shared;
    const std::vector<bool> sameName =
        matchKeys(count, [&](std::size_t f) { return baseName(static_cast<std::uint32_t>(f)); }).repeated;
    Listing listing(*this, choice);
    for (std::uint32_t f = 0; f < count; ++f) listing.add(f, sameName[f]);
    listing.dropRepeatedNames();
    listing.sayProblems(problems);
}

std::string_view BatchItems::file(std::uint32_t index) const {
    const std::size_t begin = index == 0 ? 0 : fileEnds_[index - 1];
    return std::string_view(files_).substr(begin, fileEnds_[index] - begin);
}

// The data file's name without its extension, or with it where two data files would otherwise share
// a name (c1s.vms and c1s.txt give c1s.vms.xps and c1s.txt.xps).
std::string BatchItems::baseName(std::uint32_t file) const {
    const fs::path path(this->file(file));
    return sharedStem_[file] ? path.filename().string() : path.stem().string();
}

std::string BatchItems::outputName(const Entry& entry) const {
    std::string name = baseName(entry.file);
    if (entry.block < 0) return name;
    name += ".b" + std::to_string(entry.block + 1);
    if (const std::string& label = labels_[entry.label]; !label.empty())
        name += "-" + safeForFileNames(label);
    return name;
}

BatchItem BatchItems::operator[](std::size_t k) const {
    const Entry& entry = entries_.at(k);
    return {std::string(file(entry.file)), entry.block, entry.block < 0 ? 0 : entry.block + 1,
            labels_[entry.label], outputName(entry)};
}

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

void importItem(CliSession& cli, std::string_view format, const BatchItem& item) {
    if (item.block < 0) {
        importSpectrum(cli, format, item.file);
        return;
    }
    const std::string where = item.file + ": block " + std::to_string(item.block + 1) + ": ";
    VamasBlock block;
    try {
        const auto index = indexCache().of(item.file);
        if (static_cast<std::size_t>(item.block) >= index->offsets.size())
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
