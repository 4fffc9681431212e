#include "quant/quantification.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <variant>

#include "base/checked_math.h"
#include "model/net_area.h"
#include "model/peak_shapes.h"
#include "quant/analyser.h"

namespace vortlan {

namespace {

// The measured numbers every amount is made of (peak areas, background-subtracted areas), with their
// covariance: block-diagonal, one block per region, since regions are measured independently.
struct Measurements {
    std::vector<double> values;
    std::vector<double> covariance;  // values × values, row-major
    std::vector<bool> known;         // false where the data do not determine a value's spread

    std::size_t size() const { return values.size(); }
    std::size_t add(const std::vector<double>& blockValues, const std::vector<double>& block,
                    const std::vector<bool>& blockKnown);
};

// Appends a region's values, their covariance block and which of them it determines; returns where
// its first value lies.
std::size_t Measurements::add(const std::vector<double>& blockValues, const std::vector<double>& block,
                              const std::vector<bool>& blockKnown) {
    const std::size_t first = values.size();
    const std::size_t added = blockValues.size();
    const std::size_t n = first + added;
    std::vector<double> grown(n * n, 0.0);
    for (std::size_t a = 0; a < first; ++a) std::copy_n(&covariance[a * first], first, &grown[a * n]);
    for (std::size_t a = 0; a < added; ++a)
        std::copy_n(&block[a * added], added, &grown[(first + a) * n + first]);
    values.insert(values.end(), blockValues.begin(), blockValues.end());
    known.insert(known.end(), blockKnown.begin(), blockKnown.end());
    covariance = std::move(grown);
    return first;
}

// A number made from the measurements: an amount, a corrected area, an atomic per cent.
using Derived = std::function<double(const std::vector<double>&)>;

// The ±1σ of a derived number by linear propagation, its slopes taken by central differences (the
// numbers are sums and ratios of the measurements, smooth wherever they are defined).  None when it
// depends on a value whose spread is not determined.
std::optional<double> spreadOf(const Derived& f, const Measurements& m) {
    const std::size_t n = m.size();
    std::vector<double> slope(n, 0.0);
    std::vector<double> x = m.values;
    const double value = f(x);
    for (std::size_t i = 0; i < n; ++i) {
        const double variance = m.covariance[i * n + i];
        if (m.known[i] && variance <= 0.0) continue;
        const double h = 1e-6 * std::max({std::fabs(x[i]), std::sqrt(std::max(variance, 0.0)), 1e-30});
        x[i] = m.values[i] + h;
        const double up = f(x);
        x[i] = m.values[i] - h;
        const double down = f(x);
        x[i] = m.values[i];
        slope[i] = (up - down) / (2.0 * h);
        if (!m.known[i] && std::fabs(slope[i] * h) > 1e-12 * std::fabs(value)) return std::nullopt;
    }
    double variance = 0.0;
    for (std::size_t a = 0; a < n; ++a) {
        if (slope[a] == 0.0 || !m.known[a]) continue;
        for (std::size_t b = 0; b < n; ++b) {
            if (m.known[b]) variance += slope[a] * slope[b] * m.covariance[a * n + b];
        }
    }
    if (!(variance >= 0.0) || !std::isfinite(variance)) return std::nullopt;
    return std::sqrt(variance);
}

std::string trimmed(const std::string& text) {
    const auto end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// The share of a peak's area that the region's level measures: the whole peak for a whole level or a
// singlet; for one spin-orbit component, the doublet's component of that j (the main one, at the
// peak's position, is j = l + 1/2).
double componentShare(const Peak& peak, const std::optional<CoreLevel>& level) {
    if (!level || level->isWhole() || peak.type == static_cast<short>(PeakType::Singlet)) return 1.0;
    const double main = mainShare(peak.type);
    return level->twiceJ == 2 * level->l + 1 ? main : 1.0 - main;
}

QuantArea areaFor(const Region& r, QuantArea setting) {
    if (setting == QuantArea::Auto) return r.peakCount > 0 ? QuantArea::Peaks : QuantArea::Background;
    return setting;
}

// One counted region: where its measurements lie and how its amounts are made from them.
//   Peaks:      measurements A_k (its peaks' areas);  region = Σ s_k A_k,  peak k = s_k A_k.
//   Background: measurements B, A_k;  region = B,  peak k = B · s_k A_k / Σ s_j A_j.
struct CountedRegion {
    std::size_t quantIndex = 0;  // into the table's regions
    QuantArea area = QuantArea::Peaks;
    double factor = 1;
    std::size_t first = 0;  // of its measurements
    std::vector<int> peaks;
    std::vector<double> shares;

    double peakPart(std::size_t k, const std::vector<double>& x) const {
        return shares[k] * x[first + peakOffset() + k];
    }
    double peaksSum(const std::vector<double>& x) const {
        double sum = 0.0;
        for (std::size_t k = 0; k < peaks.size(); ++k) sum += peakPart(k, x);
        return sum;
    }
    double regionAmount(const std::vector<double>& x) const {
        return area == QuantArea::Peaks ? peaksSum(x) : x[first];
    }
    double peakAmount(std::size_t k, const std::vector<double>& x) const {
        if (area == QuantArea::Peaks) return peakPart(k, x);
        const double sum = peaksSum(x);
        return sum == 0.0 ? 0.0 : x[first] * peakPart(k, x) / sum;
    }
    std::size_t peakOffset() const { return area == QuantArea::Peaks ? 0 : 1; }
};

// Why the region cannot be counted, or nothing.
std::optional<std::string> exclusionOf(const Region& r, QuantArea area, const QuantNumber& factor) {
    if (const auto* reason = std::get_if<std::string>(&factor)) return *reason;
    if (!isTrue(r.backgroundSet)) return std::string("Background not accepted");
    if (area == QuantArea::Peaks && r.peakCount == 0) return std::string("No peaks to quantify");
    return std::nullopt;
}

class TableBuilder {
  public:
    TableBuilder(const Workspace& ws, const AreaCovarianceOf& areaCovariance)
        : ws_(ws), areaCovariance_(areaCovariance) {
        table_.settings = ws.quantSettings;
    }

    Quantification build() {
        for (int r = 0; r < kRegionCount; ++r) {
            if (isTrue(ws_.regions[static_cast<std::size_t>(r)].defined)) addRegion(r);
        }
        fillNumbers();
        return std::move(table_);
    }

  private:
    void addRegion(int index) {
        const Region& r = ws_.regions[static_cast<std::size_t>(index)];
        QuantRegion entry;
        entry.row.region = index;
        entry.row.name = trimmed(r.caption.str());
        entry.row.level = r.coreLevel;
        entry.areaUsed = areaFor(r, table_.settings.area);
        const QuantNumber factor = regionFactor(r, table_.settings);
        if (auto reason = exclusionOf(r, entry.areaUsed, factor)) {
            entry.excluded = *reason;
            table_.regions.push_back(std::move(entry));
            return;
        }
        try {
            counted_.push_back(countRegion(index, entry.areaUsed, std::get<double>(factor)));
        } catch (const ComputationFault&) {
            entry.excluded = "Area out of range";
        }
        table_.regions.push_back(std::move(entry));
    }

    CountedRegion countRegion(int index, QuantArea area, double factor) {
        const Region& r = ws_.regions[static_cast<std::size_t>(index)];
        CountedRegion c;
        c.quantIndex = table_.regions.size();
        c.area = area;
        c.factor = factor;
        const CoreLevelReading reading = readCoreLevel(r.coreLevel);
        const auto* level = std::get_if<CoreLevel>(&reading);
        const std::optional<CoreLevel> levelRead = level ? std::optional<CoreLevel>(*level) : std::nullopt;
        for (int s = 0; s < r.peakCount && s < kPeaksPerRegion; ++s) {
            const int peak = r.peakSlots[static_cast<std::size_t>(s)];
            c.peaks.push_back(peak);
            c.shares.push_back(componentShare(ws_.peaks[static_cast<std::size_t>(peak)], levelRead));
        }
        std::vector<double> values;
        if (area == QuantArea::Background) values.push_back(backgroundArea(r));
        for (int peak : c.peaks) values.push_back(ws_.peaks[static_cast<std::size_t>(peak)].area);
        std::vector<bool> known(values.size(), true);
        const std::vector<double> block = covarianceBlock(index, c.peakOffset(), known);
        c.first = measurements_.add(values, block, known);
        return c;
    }

    // The covariance of a region's measurements: its background-subtracted area (first, when used)
    // from counting, its background's end averages included, independent of the peak areas, which only
    // split it; its peaks' areas from the fit.
    // Areas the fit does not determine are marked unknown.
    std::vector<double> covarianceBlock(int index, std::size_t offset, std::vector<bool>& known) const {
        const Region& r = ws_.regions[static_cast<std::size_t>(index)];
        const std::size_t n = known.size();
        std::vector<double> block(n * n, 0.0);
        if (offset == 1) block[0] = std::pow(backgroundSubtractedArea(r, 1.0).standardError, 2);
        if (n == offset) return block;
        const std::vector<double> areas = areaCovariance_(index);
        const std::size_t peaks = n - offset;
        if (areas.size() != peaks * peaks) {
            std::fill(known.begin() + static_cast<std::ptrdiff_t>(offset), known.end(), false);
            return block;
        }
        for (std::size_t a = 0; a < peaks; ++a) {
            for (std::size_t b = 0; b < peaks; ++b)
                block[(a + offset) * n + b + offset] = areas[a * peaks + b];
        }
        return block;
    }

    double correctedTotal(const std::vector<double>& x) const {
        double total = 0.0;
        for (const CountedRegion& c : counted_) total += c.regionAmount(x) / c.factor;
        return total;
    }

    // Fills a row from its amount as a function of the measurements.
    void fillRow(QuantRow& row, const Derived& amount, double factor) const {
        const Measurements& m = measurements_;
        row.area = amount(m.values);
        row.areaError = spreadOf(amount, m);
        row.factor = factor;
        row.correctedArea = row.area / factor;
        const Derived percent = [this, amount, factor](const std::vector<double>& x) {
            return 100.0 * amount(x) / factor / correctedTotal(x);
        };
        // Nothing to share out when the corrected areas sum to nothing.
        if (correctedTotal(m.values) == 0.0) return;
        row.atomicPercent = percent(m.values);
        row.atomicPercentError = spreadOf(percent, m);
    }

    void fillNumbers() {
        for (const CountedRegion& c : counted_) {
            QuantRegion& entry = table_.regions[c.quantIndex];
            fillRow(
                entry.row, [&c](const std::vector<double>& x) { return c.regionAmount(x); }, c.factor);
            for (std::size_t k = 0; k < c.peaks.size(); ++k) {
                QuantRow row;
                row.region = entry.row.region;
                row.peak = c.peaks[k];
                row.name = trimmed(ws_.peaks[static_cast<std::size_t>(c.peaks[k])].label.str());
                row.level = entry.row.level;
                fillRow(
                    row, [&c, k](const std::vector<double>& x) { return c.peakAmount(k, x); }, c.factor);
                entry.components.push_back(std::move(row));
            }
        }
    }

    const Workspace& ws_;
    const AreaCovarianceOf& areaCovariance_;
    Quantification table_;
    Measurements measurements_;
    std::vector<CountedRegion> counted_;
};

}  // namespace

const char* quantAreaName(QuantArea area) {
    switch (area) {
        case QuantArea::Peaks:
            return "peaks";
        case QuantArea::Background:
            return "background";
        case QuantArea::Auto:
            break;
    }
    return "auto";
}

std::optional<QuantArea> quantAreaNamed(std::string_view name) {
    for (QuantArea area : {QuantArea::Auto, QuantArea::Peaks, QuantArea::Background}) {
        if (name == quantAreaName(area)) return area;
    }
    return std::nullopt;
}

bool Quantification::empty() const {
    return std::none_of(regions.begin(), regions.end(), [](const QuantRegion& r) { return r.counted(); });
}

Quantification quantify(const Workspace& workspace, const AreaCovarianceOf& areaCovariance) {
    return TableBuilder(workspace, areaCovariance).build();
}

}  // namespace vortlan
