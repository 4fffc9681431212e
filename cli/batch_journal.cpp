#include "cli/batch_journal.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "base/number_text.h"
#include "cli/cli_session.h"
#include "io/file_replace.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHeading = "vortlan batch journal 1";
constexpr std::size_t kRowFields = 7;    // name, file, block, finished, χ², converged, level
constexpr std::size_t kPeakFields = 10;  // position, area, FWHM, %GL, four errors, at.% and its error

// Names and files may hold any character but the journal's separators, which are escaped.
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c;
    }
    return out;
}

std::string number(float value) {
    return std::isnan(value) ? std::string() : exactNumberText(value);
}

std::string entryLine(const std::string& name, const JournalEntry& entry) {
    const SummaryRow& row = entry.row;
    std::string line = escaped(name) + '\t' + escaped(entry.file) + '\t' + std::to_string(entry.block) +
                       '\t' + std::to_string(entry.finished) + '\t' + exactNumberText(row.chiSquare) + '\t' +
                       (row.converged ? "1" : "0") + '\t' + (row.hasLevel ? "1" : "0");
    for (const PeakRow& p : row.peaks) {
        line += '\t' + exactNumberText(p.position) + '\t' + exactNumberText(p.area) + '\t' +
                exactNumberText(p.fwhm) + '\t' + std::to_string(p.gl);
        for (float error : p.errors) line += '\t' + number(error);
        line += '\t' + number(p.atomicPercent) + '\t' + number(p.atomicPercentError);
    }
    return line + '\n';
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos; line.remove_prefix(tab + 1))
        out.push_back(line.substr(0, tab));
    out.push_back(line);
    return out;
}

// Read without the locale, which the picture module's GUI application may have changed.
template <typename T>
std::optional<T> whole(std::string_view text) {
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<float> single(std::string_view text) {
    if (text.empty()) return std::nanf("");
    return whole<float>(text);
}

bool readFlag(std::string_view text, bool& flag) {
    flag = text == "1";
    return text == "0" || text == "1";
}

// The position, area and FWHM are always there; the errors and at.% may be empty.
std::optional<PeakRow> readPeak(const std::vector<std::string_view>& f, std::size_t at) {
    std::array<float, kPeakFields> v{};
    for (std::size_t k = 0; k < kPeakFields; ++k) {
        const std::optional<float> value = k == 3 ? 0.0f : single(f[at + k]);
        if (!value || (k < 3 && std::isnan(*value))) return std::nullopt;
        v[k] = *value;
    }
    const std::optional<int> gl = whole<int>(f[at + 3]);
    if (!gl) return std::nullopt;
    return PeakRow{v[0], v[1], v[2], *gl, {v[4], v[5], v[6], v[7]}, v[8], v[9]};
}

std::optional<std::pair<std::string, JournalEntry>> readEntry(std::string_view line) {
    const std::vector<std::string_view> f = fields(line);
    if (f.size() < kRowFields || (f.size() - kRowFields) % kPeakFields != 0) return std::nullopt;
    JournalEntry entry;
    entry.file = unescaped(f[1]);
    const std::optional<int> block = whole<int>(f[2]);
    const std::optional<long long> finished = whole<long long>(f[3]);
    const std::optional<float> chi = whole<float>(f[4]);
    if (!block || !finished || !chi || !readFlag(f[5], entry.row.converged) ||
        !readFlag(f[6], entry.row.hasLevel))
        return std::nullopt;
    entry.block = *block;
    entry.finished = *finished;
    entry.row.chiSquare = *chi;
    for (std::size_t at = kRowFields; at < f.size(); at += kPeakFields) {
        const std::optional<PeakRow> peak = readPeak(f, at);
        if (!peak) return std::nullopt;
        entry.row.peaks.push_back(*peak);
    }
    return std::pair{unescaped(f[0]), std::move(entry)};
}

std::string headingLine(const std::string& settings) {
    return std::string(kHeading) + '\t' + escaped(settings) + '\n';
}

}  // namespace

std::map<std::string, JournalEntry> readJournal(const fs::path& path, const std::string& settings) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::map<std::string, JournalEntry> entries;
    const std::string heading = headingLine(settings);
    if (text.compare(0, heading.size(), heading) != 0) return entries;
    // Only lines that reached their line feed are complete.
    for (std::size_t at = heading.size(), end; (end = text.find('\n', at)) != std::string::npos;
         at = end + 1) {
        if (auto entry = readEntry(std::string_view(text).substr(at, end - at)))
            entries.insert_or_assign(std::move(entry->first), std::move(entry->second));
    }
    return entries;
}

JournalWriter::JournalWriter(const fs::path& path, const std::string& settings,
                             const std::map<std::string, JournalEntry>& kept) {
    std::string text = headingLine(settings);
    for (const auto& [name, entry] : kept) text += entryLine(name, entry);
    if (!replaceFile(path.string(), text)) throw CommandFailed("cannot write " + path.string());
    out_.open(path, std::ios::binary | std::ios::app);
    if (!out_) throw CommandFailed("cannot write " + path.string());
}

void JournalWriter::append(const BatchItem& item, const SummaryRow& row) {
    const std::string line = entryLine(item.outputName, {item.file, item.block, fileClockNow(), row});
    const std::lock_guard lock(mutex_);
    out_ << line << std::flush;
}

long long fileClockNow() {
    return fs::file_time_type::clock::now().time_since_epoch().count();
}

std::optional<long long> lastChange(const fs::path& path) {
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (error) return std::nullopt;
    return time.time_since_epoch().count();
}

}  // namespace vortlan::cli
