#include "cli/batch_journal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "base/number_text.h"
#include "cli/cli_session.h"
#include "io/file_replace.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

// A journal of an earlier layout is not resumed from: its spectra are fitted again.
constexpr std::string_view kHeading = "vortlan batch journal 2";
constexpr std::size_t kRowFields = 8;    // name, file, block, finished, χ², converged, level, flags
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

// Each flag as "peak:cause:parameter", the flags between commas.
std::string flagsField(const std::vector<FitFlag>& flags) {
    std::string field;
    for (const FitFlag& f : flags) {
        field += (field.empty() ? "" : ",") + std::to_string(f.peak) + ':' +
                 std::to_string(static_cast<int>(f.cause)) + ':' + std::to_string(static_cast<int>(f.param));
    }
    return field;
}

std::string entryLine(const std::string& name, const JournalEntry& entry) {
    const SummaryRow& row = entry.row;
    std::string line = escaped(name) + '\t' + escaped(entry.file) + '\t' + std::to_string(entry.block) +
                       '\t' + std::to_string(entry.finished) + '\t' + exactNumberText(row.chiSquare) + '\t' +
                       (row.converged ? "1" : "0") + '\t' + (row.hasLevel ? "1" : "0") + '\t' +
                       flagsField(row.flags);
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

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> out;
    for (std::size_t at; (at = text.find(separator)) != std::string_view::npos; text.remove_prefix(at + 1))
        out.push_back(text.substr(0, at));
    out.push_back(text);
    return out;
}

std::optional<std::vector<FitFlag>> readFlags(std::string_view field) {
    std::vector<FitFlag> flags;
    if (field.empty()) return flags;
    for (std::string_view text : split(field, ',')) {
        const std::vector<std::string_view> parts = split(text, ':');
        if (parts.size() != 3) return std::nullopt;
        const auto peak = whole<int>(parts[0]);
        const auto cause = whole<int>(parts[1]);
        const auto param = whole<int>(parts[2]);
        if (!peak || !cause || !param || *peak < 0 || *peak >= kPeakCount || *cause < 0 ||
            *cause > kLastFitFlagCause || *param < 0 || *param > 3)
            return std::nullopt;
        flags.push_back(
            {static_cast<short>(*peak), static_cast<FitFlagCause>(*cause), static_cast<PeakParam>(*param)});
    }
    return flags;
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

// The name and entry of a line without its line feed; none for a line that is not an entry.
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
    std::optional<std::vector<FitFlag>> flags = readFlags(f[7]);
    if (!flags) return std::nullopt;
    entry.row.flags = std::move(*flags);
    entry.block = *block;
    entry.finished = *finished;
    entry.row.chiSquare = *chi;
    for (std::size_t at = kRowFields; at < f.size(); at += kPeakFields) {
        const std::optional<PeakRow> peak = readPeak(f, at);
        if (!peak) return std::nullopt;
        entry.row.peaks.push_back(*peak);
    }
    entry.line = std::string(line) + '\n';
    return std::pair{unescaped(f[0]), std::move(entry)};
}

std::string headingLine(const std::string& settings) {
    return std::string(kHeading) + '\t' + escaped(settings) + '\n';
}

// The next line whole, without its line feed; false at the end, and for a last line without one,
// which a killed run left cut short.
bool completeLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    return !in.eof();
}

}  // namespace

JournalReader::JournalReader(const fs::path& path, const std::string& settings)
    : in_(path, std::ios::binary) {
    std::string line;
    const std::string heading = headingLine(settings);
    if (!completeLine(in_, line) || line + '\n' != heading) return;
    for (std::streamoff at = in_.tellg(); completeLine(in_, line); at = in_.tellg()) {
        if (const auto entry = readEntry(line))
            lines_.emplace_back(std::hash<std::string>{}(entry->first), at);
    }
    std::sort(lines_.begin(), lines_.end());
}

std::optional<JournalEntry> JournalReader::find(const std::string& name) {
    const std::size_t hash = std::hash<std::string>{}(name);
    auto first = std::lower_bound(lines_.begin(), lines_.end(), std::pair{hash, std::streamoff(0)});
    // The last line of the name is the one that counts.
    for (auto at = std::upper_bound(first, lines_.end(),
                                    std::pair{hash, std::numeric_limits<std::streamoff>::max()});
         at != first;) {
        --at;
        in_.clear();
        in_.seekg(at->second);
        std::string line;
        if (!completeLine(in_, line)) continue;
        auto entry = readEntry(line);
        if (entry && entry->first == name) return std::move(entry->second);
    }
    return std::nullopt;
}

JournalWriter::JournalWriter(const fs::path& path, const std::string& settings)
    : path_(path), beginning_(std::in_place, path.string()) {
    beginning_->stream() << headingLine(settings);
}

void JournalWriter::keep(const JournalEntry& entry) {
    beginning_->stream() << entry.line;
}

void JournalWriter::start() {
    const bool written = beginning_->commit();
    beginning_.reset();
    if (!written) throw CommandFailed("cannot write " + path_.string());
    out_.open(path_, std::ios::binary | std::ios::app);
    if (!out_) throw CommandFailed("cannot write " + path_.string());
}

void JournalWriter::append(const BatchItem& item, const SummaryRow& row) {
    const std::string line = entryLine(item.outputName, {item.file, item.block, fileClockNow(), row, {}});
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
