#include "quant/core_level.h"

#include <array>
#include <cctype>
#include <optional>

namespace vortlan {

namespace {

constexpr std::array<std::string_view, 103> kSymbols = {
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",
    "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
    "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
    "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
    "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re",
    "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
    "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr"};

// The highest shell any element up to Lr fills.
constexpr int kHighestShell = 7;
constexpr std::string_view kOrbitalLetters = "spdf";

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// A level as written, before anything about it is checked.
struct Notation {
    std::string element;
    int n = 0;
    char orbital = 0;
    int jNumerator = 0;  // 0 when no component is written
    int jDenominator = 0;
};

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void skipSpaces() {
        while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    std::string_view letters() { return run(isLetter); }
    std::string_view digits() { return run(isDigit); }
    void skipOne() { ++pos_; }
    bool take(char c) {
        if (atEnd() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }

  private:
    std::string_view run(bool (*accepts)(char)) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && accepts(text_[pos_])) ++pos_;
        return text_.substr(start, pos_ - start);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Digits of a small whole number; 0 for a run too long to be one.
int smallNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 2) return 0;
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// "Ti 2p3/2" and its lenient spellings, or nothing when the text is not laid out as one level.
std::optional<Notation> scanNotation(std::string_view text) {
    Scanner in(text);
    Notation notation;
    in.skipSpaces();
    notation.element = std::string(in.letters());
    in.skipSpaces();
    notation.n = smallNumber(in.digits());
    in.skipSpaces();
    const std::string_view orbital = in.letters();
    if (notation.element.empty() || notation.n == 0 || orbital.size() != 1) return std::nullopt;
    notation.orbital = lower(orbital[0]);
    in.skipSpaces();
    if (const std::string_view numerator = in.digits(); !numerator.empty()) {
        in.skipSpaces();
        if (!in.take('/')) return std::nullopt;
        in.skipSpaces();
        notation.jNumerator = smallNumber(numerator);
        notation.jDenominator = smallNumber(in.digits());
        in.skipSpaces();
    }
    if (!in.atEnd()) return std::nullopt;
    return notation;
}

// How many times the text writes a shell and its orbital together ("2p", "1s"): more than once
// names more than one level.
int levelMentions(std::string_view text) {
    Scanner in(text);
    int mentions = 0;
    while (!in.atEnd()) {
        if (in.digits().empty()) {
            if (in.letters().empty()) in.skipOne();
            continue;
        }
        const std::string_view orbital = in.letters();
        if (orbital.size() == 1 && kOrbitalLetters.find(lower(orbital[0])) != std::string_view::npos)
            ++mentions;
    }
    return mentions;
}

std::string unreadable(std::string_view text) {
    std::string_view trimmed = text;
    while (!trimmed.empty() && isSpace(trimmed.front())) trimmed.remove_prefix(1);
    while (!trimmed.empty() && isSpace(trimmed.back())) trimmed.remove_suffix(1);
    if (trimmed.empty()) return "No core level given";
    if (levelMentions(trimmed) > 1) return quoted(trimmed) + " names more than one level";
    return quoted(trimmed) + " does not read as a core level such as \"Ti 2p3/2\" or \"O 1s\"";
}

std::string shellText(const CoreLevel& level) {
    return std::to_string(level.n) + kOrbitalLetters[static_cast<std::size_t>(level.l)];
}

std::string componentText(int twiceJ) {
    return std::to_string(twiceJ) + "/2";
}

// Why the quantum numbers make no level, or nothing when they make one.
std::optional<std::string> impossibility(const CoreLevel& level, const Notation& notation) {
    const std::string written = level.symbol + " " + shellText(level) +
                                (notation.jNumerator ? std::to_string(notation.jNumerator) + "/" +
                                                           std::to_string(notation.jDenominator)
                                                     : "");
    if (level.n > kHighestShell)
        return written + " is not a level: the shells run from 1 to " + std::to_string(kHighestShell);
    if (level.l >= level.n)
        return written + " is not a level: shell " + std::to_string(level.n) + " has no " +
               kOrbitalLetters[static_cast<std::size_t>(level.l)] + " level";
    if (notation.jNumerator == 0) return std::nullopt;
    const int twiceJ = notation.jDenominator == 2 ? notation.jNumerator : -1;
    if (level.l == 0 && twiceJ == 1) return std::nullopt;
    if (level.l == 0)
        return written + " is not a level: " + shellText(level) + " has no spin-orbit components";
    if (twiceJ == 2 * level.l - 1 || twiceJ == 2 * level.l + 1) return std::nullopt;
    return written + " is not a level: " + shellText(level) + " has the components " + shellText(level) +
           componentText(2 * level.l - 1) + " and " + shellText(level) + componentText(2 * level.l + 1);
}

}  // namespace

int atomicNumberOf(std::string_view symbol) {
    if (symbol.empty() || symbol.size() > 2) return 0;
    for (std::size_t i = 0; i < kSymbols.size(); ++i) {
        const std::string_view known = kSymbols[i];
        if (known.size() != symbol.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < known.size(); ++k) same = same && lower(known[k]) == lower(symbol[k]);
        if (same) return static_cast<int>(i) + 1;
    }
    return 0;
}

CoreLevelReading readCoreLevel(std::string_view text) {
    const std::optional<Notation> notation = scanNotation(text);
    if (!notation) return unreadable(text);
    const std::size_t orbital = kOrbitalLetters.find(notation->orbital);
    if (orbital == std::string_view::npos) return unreadable(text);
    CoreLevel level;
    level.z = atomicNumberOf(notation->element);
    if (level.z == 0) return quoted(notation->element) + " is not an element";
    level.symbol = std::string(kSymbols[static_cast<std::size_t>(level.z - 1)]);
    level.n = notation->n;
    level.l = static_cast<int>(orbital);
    if (auto reason = impossibility(level, *notation)) return *reason;
    if (level.l > 0) level.twiceJ = notation->jNumerator;
    return level;
}

std::string coreLevelText(const CoreLevel& level) {
    return level.symbol + " " + shellText(level) + (level.isWhole() ? "" : componentText(level.twiceJ));
}

std::vector<CoreLevel> levelComponents(const CoreLevel& level) {
    if (!level.isWhole() || level.l == 0) return {level};
    CoreLevel lower = level;
    lower.twiceJ = 2 * level.l - 1;
    CoreLevel upper = level;
    upper.twiceJ = 2 * level.l + 1;
    return {lower, upper};
}

std::string importedCoreLevel(std::string_view species, std::string_view transition,
                              std::string_view caption) {
    const std::string labels = std::string(species) + " " + std::string(transition);
    for (const std::string_view text : {std::string_view(labels), caption}) {
        const CoreLevelReading reading = readCoreLevel(text);
        if (const auto* level = std::get_if<CoreLevel>(&reading)) return coreLevelText(*level);
    }
    return {};
}

}  // namespace vortlan
