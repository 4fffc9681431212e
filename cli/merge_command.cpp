// `merge`: the summaries of the shards of one batch (batch --shard I/N) joined into the summary the
// batch gives without --shard.  Each shard's summary.csv numbers its rows by their place in the whole
// batch (the item column); a shard's header may lack columns that no spectrum of it filled (fewer
// peaks, no level), so each row's cells are placed by column name under the fullest header.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "io/file_replace.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kItem = "item";
constexpr std::string_view kNotOneBatch = "the summaries do not come from one batch";

using Record = std::vector<std::string>;  // the cells as the file writes them, quotes and all

struct Row {
    long item = 0;
    Record cells;  // without the item
    std::string where;
};

struct Summary {
    std::string path;
    Record header;  // without the item
    std::vector<Row> rows;
};

std::optional<std::string> readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The records of comma-separated text; a quoted cell may hold commas and line breaks.
std::vector<Record> csvRecords(std::string_view text) {
    std::vector<Record> records;
    Record record;
    std::string cell;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted || (c != ',' && c != '\n')) {
            cell += c;
            continue;
        }
        if (!cell.empty() && cell.back() == '\r') cell.pop_back();
        record.push_back(std::move(cell));
        cell.clear();
        if (c == '\n') records.push_back(std::exchange(record, {}));
    }
    if (!cell.empty() || !record.empty()) {
        record.push_back(std::move(cell));
        records.push_back(std::move(record));
    }
    return records;
}

std::string unquoted(std::string_view cell) {
    if (cell.size() < 2 || cell.front() != '"' || cell.back() != '"') return std::string(cell);
    std::string text;
    for (std::size_t i = 1; i + 1 < cell.size(); ++i) {
        text += cell[i];
        if (cell[i] == '"') ++i;  // a doubled quote
    }
    return text;
}

std::optional<long> itemNumber(std::string_view text) {
    long number = 0;
    if (text.empty() || text.size() > 12) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number >= 1 ? std::optional(number) : std::nullopt;
}

std::size_t itemColumn(const Record& header, const std::string& path) {
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (unquoted(header[c]) == kItem) return c;
    }
    throw CommandFailed(path + " has no item column (a summary of batch --shard has one)");
}

Summary readSummary(const fs::path& dir) {
    const fs::path path = dir / "summary.csv";
    const auto text = readText(path);
    if (!text) throw CommandFailed(dir.string() + " has no summary.csv");
    std::vector<Record> records = csvRecords(*text);
    if (records.empty()) throw CommandFailed(path.string() + " is empty");
    Summary summary{path.string(), std::move(records.front()), {}};
    const std::size_t item = itemColumn(summary.header, summary.path);
    summary.header.erase(summary.header.begin() + static_cast<std::ptrdiff_t>(item));
    for (auto& header : summary.header) header = unquoted(header);
    for (std::size_t r = 1; r < records.size(); ++r) {
        Record& cells = records[r];
        const std::string where = summary.path + ": line " + std::to_string(r + 1);
        if (cells.size() != summary.header.size() + 1)
            throw CommandFailed(where + ": " + std::to_string(cells.size()) + " cells under " +
                                std::to_string(summary.header.size() + 1) + " columns");
        const auto number = itemNumber(unquoted(cells[item]));
        if (!number) throw CommandFailed(where + ": the item is not a number from 1");
        cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(item));
        summary.rows.push_back({*number, std::move(cells), where});
    }
    return summary;
}

// Where each of `part`'s columns stands in `whole`, when `part` is `whole` with columns left out.
std::optional<std::vector<std::size_t>> placesIn(const Record& part, const Record& whole) {
    std::vector<std::size_t> places;
    std::size_t next = 0;
    for (const std::string& name : part) {
        while (next < whole.size() && whole[next] != name) ++next;
        if (next == whole.size()) return std::nullopt;
        places.push_back(next++);
    }
    return places;
}

// A shard may lack a peak's columns; any other column missing means another batch's summary.
bool sameBatchColumns(const Record& part, const Record& whole) {
    return std::all_of(whole.begin(), whole.end(), [&](const std::string& name) {
        return name.starts_with("peak") || std::find(part.begin(), part.end(), name) != part.end();
    });
}

std::string joined(const Record& cells) {
    std::string line;
    for (std::size_t c = 0; c < cells.size(); ++c) line += (c > 0 ? "," : "") + cells[c];
    return line + '\n';
}

template <typename Placed>
void requireUniqueItems(const std::vector<Placed>& sorted) {
    for (std::size_t k = 1; k < sorted.size(); ++k) {
        if (sorted[k].item == sorted[k - 1].item)
            throw CommandFailed("item " + std::to_string(sorted[k].item) + " is in more than one row (" +
                                sorted[k - 1].where + ", " + sorted[k].where + ")");
    }
}

std::string mergedCsv(std::vector<Summary>& summaries) {
    const Summary& fullest = *std::max_element(
        summaries.begin(), summaries.end(),
        [](const Summary& a, const Summary& b) { return a.header.size() < b.header.size(); });
    const Record header = fullest.header;
    std::vector<Row> rows;
    for (Summary& summary : summaries) {
        const auto places = placesIn(summary.header, header);
        if (!places || !sameBatchColumns(summary.header, header))
            throw CommandFailed(std::string(kNotOneBatch));
        for (Row& row : summary.rows) {
            Record cells(header.size());
            for (std::size_t c = 0; c < row.cells.size(); ++c) cells[(*places)[c]] = std::move(row.cells[c]);
            rows.push_back({row.item, std::move(cells), std::move(row.where)});
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.item < b.item; });
    requireUniqueItems(rows);
    std::string text = joined(header);
    for (const Row& row : rows) text += joined(row.cells);
    return text;
}

// ---- summary.jsonl: one object a line, its "item" member dropped ----

struct JsonLine {
    long item = 0;
    std::string text;
    std::string where;
};

class ObjectScanner {
  public:
    explicit ObjectScanner(std::string_view text) : s_(text) {}

    // The line without its top-level "item" member, and that member's number; nothing when the line
    // is not an object holding one.
    std::optional<JsonLine> withoutItem() {
        struct Member {
            std::size_t keyBegin, valueEnd;
            std::string key;
            std::string_view value;
        };
        std::vector<Member> members;
        skipBlanks();
        if (!take('{')) return std::nullopt;
        skipBlanks();
        if (take('}')) return std::nullopt;
        do {
            skipBlanks();
            const std::size_t keyBegin = i_;
            const auto key = string();
            skipBlanks();
            if (!key || !take(':')) return std::nullopt;
            skipBlanks();
            const std::size_t valueBegin = i_;
            if (!value()) return std::nullopt;
            members.push_back({keyBegin, i_, *key, s_.substr(valueBegin, i_ - valueBegin)});
            skipBlanks();
        } while (take(','));
        if (!take('}')) return std::nullopt;
        const auto item =
            std::find_if(members.begin(), members.end(), [](const Member& m) { return m.key == kItem; });
        if (item == members.end()) return std::nullopt;
        const auto number = itemNumber(item->value);
        if (!number) return std::nullopt;
        const std::size_t k = static_cast<std::size_t>(item - members.begin());
        std::string text(s_);
        if (k + 1 < members.size()) {
            text.erase(members[k].keyBegin, members[k + 1].keyBegin - members[k].keyBegin);
        } else if (k > 0) {
            text.erase(members[k - 1].valueEnd, members[k].valueEnd - members[k - 1].valueEnd);
        } else {
            text.erase(members[k].keyBegin, members[k].valueEnd - members[k].keyBegin);
        }
        return JsonLine{*number, std::move(text), {}};
    }

  private:
    void skipBlanks() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r')) ++i_;
    }
    bool take(char c) {
        if (i_ >= s_.size() || s_[i_] != c) return false;
        ++i_;
        return true;
    }
    std::optional<std::string> string() {
        if (!take('"')) return std::nullopt;
        std::string text;
        while (i_ < s_.size() && s_[i_] != '"') {
            if (s_[i_] == '\\') ++i_;
            if (i_ < s_.size()) text += s_[i_++];
        }
        if (!take('"')) return std::nullopt;
        return text;
    }
    // Any value, passed over: nested objects and arrays whole, strings with their escapes.
    bool value() {
        int depth = 0;
        const std::size_t begin = i_;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '"') {
                if (!string()) return false;
                continue;
            }
            if (depth == 0 && (c == ',' || c == '}' || c == ']')) break;
            if (c == '{' || c == '[') ++depth;
            if (c == '}' || c == ']') --depth;
            ++i_;
        }
        while (i_ > begin && (s_[i_ - 1] == ' ' || s_[i_ - 1] == '\t')) --i_;
        return depth == 0 && i_ > begin;
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

std::optional<std::string> mergedJsonLines(const std::vector<fs::path>& dirs) {
    std::vector<JsonLine> lines;
    for (const fs::path& dir : dirs) {
        const fs::path path = dir / "summary.jsonl";
        const auto text = readText(path);
        if (!text) return std::nullopt;
        std::size_t number = 0;
        for (std::size_t begin = 0; begin < text->size();) {
            const std::size_t end = std::min(text->find('\n', begin), text->size());
            const std::string where = path.string() + ": line " + std::to_string(++number);
            auto line = ObjectScanner(std::string_view(*text).substr(begin, end - begin)).withoutItem();
            if (!line) throw CommandFailed(where + ": not a JSON object with an item");
            line->where = where;
            lines.push_back(std::move(*line));
            begin = end + 1;
        }
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const JsonLine& a, const JsonLine& b) { return a.item < b.item; });
    requireUniqueItems(lines);
    std::string text;
    for (const JsonLine& line : lines) text += line.text + '\n';
    return text;
}

void writeFile(const fs::path& path, const std::string& text) {
    if (!replaceFile(path.string(), text)) throw CommandFailed("cannot write " + path.string());
}

}  // namespace

int runMerge(const Arguments& args) {
    const fs::path output = args.required("-o");
    std::vector<fs::path> dirs(args.positionals().begin(), args.positionals().end());
    std::vector<Summary> summaries;
    for (const fs::path& dir : dirs) summaries.push_back(readSummary(dir));
    const std::string csv = mergedCsv(summaries);
    const auto withJsonLines = std::count_if(dirs.begin(), dirs.end(), [](const fs::path& dir) {
        std::error_code ignored;
        return fs::exists(dir / "summary.jsonl", ignored);
    });
    const fs::path jsonOutput = fs::path(output).replace_extension(".jsonl");
    if (withJsonLines > 0 && withJsonLines < static_cast<std::ptrdiff_t>(dirs.size())) {
        std::cerr << "vortlan-cli: not every DIR has a summary.jsonl; " << jsonOutput.string()
                  << " is not written\n";
    }
    const auto jsonLines =
        withJsonLines == static_cast<std::ptrdiff_t>(dirs.size()) ? mergedJsonLines(dirs) : std::nullopt;
    writeFile(output, csv);
    if (jsonLines) writeFile(jsonOutput, *jsonLines);
    return 0;
}

}  // namespace vortlan::cli
