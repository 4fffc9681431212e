#pragma once
// The quantification window's cells: each counted region's row with its peaks beneath it, each region
// that is not counted with the reason, and the numbers written as a reader compares them (atomic per
// cent to two decimals beside its ±1σ).

#include <array>
#include <string>
#include <vector>

#include "session/quantification.h"

namespace vortlan {

enum QuantColumn : int {
    QuantNameColumn,
    QuantLevelColumn,
    QuantAreaColumn,
    QuantAreaErrorColumn,
    QuantFactorColumn,
    QuantCorrectedColumn,
    QuantPercentColumn,
    QuantPercentErrorColumn,
    QuantNoteColumn,
};
inline constexpr int kQuantColumns = QuantNoteColumn + 1;

using QuantCells = std::array<std::string, kQuantColumns>;

struct QuantViewRegion {
    int region = 0;
    bool counted = false;
    bool factorOverridden = false;  // the factor is the user's own, not the computed one
    QuantCells cells;
    std::vector<QuantCells> peaks;  // counted regions only, in slot order
};

// One entry per region of the table, in region order.  `workspace` tells whose factors are the user's.
std::vector<QuantViewRegion> quantificationView(const Quantification& table, const Workspace& workspace);

// Four significant digits without an exponent ("12346", "5.221", "0.5371"): areas and factors.
std::string quantNumberText(double value);

}  // namespace vortlan
