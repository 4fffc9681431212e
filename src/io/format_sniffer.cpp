#include "io/format_sniffer.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "io/text_fields.h"

namespace vortlan {

namespace {

// Enough values to tell a data section from text that merely starts like one.
constexpr int kValuesToCheck = 3;

bool isBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlankChar(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlankChar(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        lines.push_back(trimmed(text.substr(0, end)));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

// The head without a last line that the cut may have shortened.
std::string_view wholeLines(std::string_view head) {
    const std::size_t last = head.rfind('\n');
    return last == std::string_view::npos ? head : head.substr(0, last + 1);
}

bool isVamas(std::string_view head) {
    for (std::string_view line : linesOf(head)) {
        if (line.empty()) continue;
        return line.find("VAMAS") != std::string_view::npos;
    }
    return false;
}

// The header lines that open every Kratos export.  What follows them is the Kratos reader's to judge:
// an export without its data heading is a damaged Kratos file, whose kinetic energies must not be
// taken for the binding energies of two-column text.
bool isKratos(std::string_view head) {
    const std::size_t dataset = head.find("Dataset:");
    return dataset != std::string_view::npos && head.find("# ord", dataset) != std::string_view::npos;
}

std::optional<double> wholeValue(std::string_view text) {
    const auto value = wholeNumber(text);
    if (!value || std::floor(*value) != *value) return std::nullopt;
    return value;
}

// A count as "Regions=2" or "Points = 361" give it.
std::optional<double> countAfterEquals(std::string_view field) {
    const std::size_t equals = field.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const auto count = wholeValue(field.substr(equals + 1));
    if (!count || *count < 1 || *count > 32767) return std::nullopt;
    return count;
}

bool isNumber(const std::variant<double, std::string>& field) {
    return std::holds_alternative<double>(field);
}

// The next values of a data section, as far as the head reaches; at least one must be there.
template <typename ReadValue>
bool valuesFollow(FieldReader& in, double announced, ReadValue readValue) {
    const int wanted = static_cast<int>(std::min<double>(announced, kValuesToCheck));
    int read = 0;
    for (; read < wanted && !in.atEnd(); ++read) {
        if (!readValue()) return false;
    }
    return read >= 1;
}

bool isLeybold(std::string_view text) {
    FieldReader in{std::string(text)};
    try {
        in.readFree();  // the description
        if (!countAfterEquals(in.readText())) return false;
        in.readText();  // unused
        in.readText();  // the caption
        const auto points = countAfterEquals(in.readText());
        if (!points) return false;
        return valuesFollow(in, *points, [&in] {
            if (!isNumber(in.readFree())) return false;
            in.readNumber();
            return true;
        });
    } catch (const FieldError&) {
        return false;
    }
}

// Whether the field just read ended its line (or a comma ended it), as the single values of a PHI
// header do; the energies of a two-column file are followed by their intensities instead.
bool fieldEndedAlone(const FieldReader& in) {
    const std::size_t at = in.position();
    if (at >= in.text().size()) return true;
    const char previous = in.text()[at - 1];
    return previous == '\n' || previous == ',';
}

bool isPhi(std::string_view text) {
    FieldReader in{std::string(text)};
    try {
        // The reader joins the first two fields into the description: a number there cannot be joined.
        if (isNumber(in.readFree())) return false;
        in.readText();
        if (beginsLikeNumber(in.readText())) return false;  // the caption
        in.readShort();
        if (!fieldEndedAlone(in)) return false;
        const auto e0 = in.readFree();
        if (!isNumber(e0) || !fieldEndedAlone(in)) return false;
        const double step = in.readNumber();
        if (step == 0 || !fieldEndedAlone(in)) return false;
        const auto n = in.readFree();
        if (!isNumber(n) || !fieldEndedAlone(in)) return false;
        const double points = std::get<double>(n);
        if (std::floor(points) != points || points < 1 || points > 32767) return false;
        return valuesFollow(in, points, [&in] {
            in.readNumber();
            return true;
        });
    } catch (const FieldError&) {
        return false;
    }
}

bool isNumberPair(std::string_view line) {
    int numbers = 0;
    while (!line.empty()) {
        const std::size_t end = std::min(line.find_first_of(" \t,;"), line.size());
        const std::string_view token = line.substr(0, end);
        if (!token.empty()) {
            if (!wholeNumber(token) || ++numbers > 2) return false;
        }
        line.remove_prefix(std::min(end + 1, line.size()));
    }
    return numbers == 2;
}

// Header lines may come first; once the pairs begin, nothing else may follow.  One pair alone could be
// a line of any text file.
bool isAscii(std::string_view text) {
    int pairs = 0;
    for (std::string_view line : linesOf(text)) {
        if (line.empty()) continue;
        if (pairs == 0 && !beginsLikeNumber(line)) continue;
        if (!isNumberPair(line)) return false;
        ++pairs;
    }
    return pairs >= 2;
}

}  // namespace

SpectrumFormat sniffFormat(std::string_view head) {
    if (isVamas(head)) return SpectrumFormat::Vamas;
    if (isKratos(head)) return SpectrumFormat::Kratos;
    const std::string_view lines = wholeLines(head);
    if (isLeybold(lines)) return SpectrumFormat::Leybold;
    if (isPhi(lines)) return SpectrumFormat::Phi;
    if (isAscii(lines)) return SpectrumFormat::Ascii;
    return SpectrumFormat::Unknown;
}

std::string_view formatName(SpectrumFormat format) {
    switch (format) {
        case SpectrumFormat::Vamas:
            return "vamas";
        case SpectrumFormat::Kratos:
            return "kratos";
        case SpectrumFormat::Leybold:
            return "leybold";
        case SpectrumFormat::Phi:
            return "phi";
        case SpectrumFormat::Ascii:
            return "ascii";
        case SpectrumFormat::Unknown:
            break;
    }
    return "unknown";
}

}  // namespace vortlan
