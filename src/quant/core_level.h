#pragma once
// The element and core level a region measures, read from what a user or a file writes ("Ti 2p3/2",
// "O 1s", "Au4f") and written back in one canonical form.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vortlan {

struct CoreLevel {
    std::string symbol;  // "Ti"
    int z = 0;
    int n = 0;
    int l = 0;  // 0 s, 1 p, 2 d, 3 f
    // Twice the total angular momentum of the one spin-orbit component meant (3 for 2p3/2); 0 for the
    // whole level, which for l > 0 is both components together and for an s level the level itself.
    int twiceJ = 0;

    bool isWhole() const { return twiceJ == 0; }
    friend bool operator==(const CoreLevel&, const CoreLevel&) = default;
};

// The level, or why the text is not one.
using CoreLevelReading = std::variant<CoreLevel, std::string>;

// Case and spacing do not matter ("ti 2P3/2", "Au4f"); "1s1/2" is "1s".  Unknown elements, levels no
// atom has ("O 2d", "C 1p", "Ti 2p5/2") and text naming more than one level are refused with a reason.
CoreLevelReading readCoreLevel(std::string_view text);

// "Ti 2p3/2", "Ti 2p", "O 1s".
std::string coreLevelText(const CoreLevel& level);

// The spin-orbit components whose sum the level is: both for a whole level with l > 0, else itself.
std::vector<CoreLevel> levelComponents(const CoreLevel& level);

// The atomic number of an element symbol in any case (H 1 .. Lr 103), 0 for none.
int atomicNumberOf(std::string_view symbol);

// The canonical level an import names: from a species and a transition label ("Ti" and "2p3/2") when
// together they read as a level, otherwise from the caption; empty when neither does.
std::string importedCoreLevel(std::string_view species, std::string_view transition,
                              std::string_view caption);

}  // namespace vortlan
