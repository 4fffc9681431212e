#include "quant/quantification.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <variant>

#include "base/checked_math.h"
#include "model/backgrounds.h"
#include "model/net_area.h"
#include "quant/analyser.h"
#include "quant/counted_intensity.h"
#include "quant/measurements.h"
#include "quant/region_amounts.h"
#include "workspace/acquisition.h"

namespace vortlan {

namespace {

// An area below this many standard deviations is not told apart from nothing.
constexpr double kDetectionSigmas = 3.0;

std::string trimmed(const std::string& text) {
    const auto end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

QuantArea areaFor(const Region& r, QuantArea setting) {
    if (setting == QuantArea::Auto) return r.peakCount > 0 ? QuantArea::Peaks : QuantArea::Background;
    return setting;
}

// Why the region cannot be counted, or nothing.
std::optional<std::string> exclusionOf(const Region& r, QuantArea area, const QuantNumber& factor) {
    if (const auto* reason = std::get_if<std::string>(&factor)) return *reason;
    if (!isTrue(r.backgroundSet)) return std::string("Background not accepted");
    if (area == QuantArea::Peaks && r.peakCount == 0) return std::string("No peaks to quantify");
    return std::nullopt;
}

std::optional<CoreLevel> levelOf(const Region& r) {
    const CoreLevelReading reading = readCoreLevel(r.coreLevel);
    const auto* level = std::get_if<CoreLevel>(&reading);
    return level ? std::optional<CoreLevel>(*level) : std::nullopt;
}

// A region measures one spin-orbit component, yet its background-subtracted area holds the doublet.
bool countsWholeDoublet(const Region& r, QuantArea area) {
    const std::optional<CoreLevel> level = levelOf(r);
    return area == QuantArea::Background && level && !level->isWhole();
}

// The factor, leaving out the transmission exponent where the recorded transmission takes its place.
QuantNumber factorOf(const Region& r, QuantSettings settings, bool transmissionDivided) {
    if (transmissionDivided) settings.transmissionExponent = 0.0;
    return regionFactor(r, settings);
}

// A region that passed the first checks, waiting to learn whether the transmission is divided out.
struct AdmittedRegion {
    std::size_t quantIndex = 0;
    int region = 0;
};

class TableBuilder {
  public:
    TableBuilder(const Workspace& ws, const RegionFitOf& fitOf) : ws_(ws), fitOf_(fitOf) {
        table_.settings = ws.quantSettings;
    }

    Quantification build() {
        std::vector<AdmittedRegion> admitted;
        for (int r = 0; r < kRegionCount; ++r) {
            if (isTrue(regionAt(r).defined)) admit(r, admitted);
        }
        table_.transmission = transmissionUse(admitted);
        for (const AdmittedRegion& a : admitted) count(a);
        judgeDetection();
        fillShares();
        return std::move(table_);
    }

  private:
    const Region& regionAt(int index) const { return ws_.regions[static_cast<std::size_t>(index)]; }

    void admit(int index, std::vector<AdmittedRegion>& admitted) {
        const Region& r = regionAt(index);
        QuantRegion entry;
        entry.row.region = index;
        entry.row.name = trimmed(r.caption.str());
        entry.row.level = r.coreLevel;
        entry.areaUsed = areaFor(r, table_.settings.area);
        if (isTrue(r.backgroundSet)) entry.backgroundNote = drawnBackgroundNote(r);
        entry.transmissionRecorded = recordsTransmission(r);
        if (auto reason = exclusionOf(r, entry.areaUsed, regionFactor(r, table_.settings))) {
            entry.excluded = *reason;
        } else {
            admitted.push_back({table_.regions.size(), index});
        }
        table_.regions.push_back(std::move(entry));
    }

    // Transmissions are on each file's own scale: only when every counted region has one do the
    // regions' ratios keep their meaning.
    TransmissionUse transmissionUse(const std::vector<AdmittedRegion>& admitted) const {
        const auto records = [this](const AdmittedRegion& a) {
            return table_.regions[a.quantIndex].transmissionRecorded;
        };
        if (std::none_of(admitted.begin(), admitted.end(), records)) return TransmissionUse::NoneRecorded;
        if (std::all_of(admitted.begin(), admitted.end(), records)) return TransmissionUse::Divided;
        return TransmissionUse::NotUsed;
    }

    bool dividing() const { return table_.transmission == TransmissionUse::Divided; }

    void count(const AdmittedRegion& admitted) {
        QuantRegion& entry = table_.regions[admitted.quantIndex];
        const Region& r = regionAt(admitted.region);
        const QuantNumber factor = factorOf(r, table_.settings, dividing());
        if (const auto* reason = std::get_if<std::string>(&factor)) {
            entry.excluded = *reason;
            return;
        }
        entry.wholeDoubletCounted = countsWholeDoublet(r, entry.areaUsed);
        entry.transmissionDivided = dividing();
        CountedRegion c = regionPeaks(admitted, entry, std::get<double>(factor));
        const RegionFit fit = c.peaks.empty() ? RegionFit{} : fitOf_(admitted.region);
        judgePeaks(c, fit.flags);
        if (c.area == QuantArea::Peaks && c.everyPeakLeftOut()) {
            entry.excluded = "No peak to count: the fit flags every one";
            return;
        }
        try {
            measure(c, entry, fit);
            counted_.push_back(std::move(c));
        } catch (const ComputationFault&) {
            entry.excluded = "Area out of range";
        }
    }

    CountedRegion regionPeaks(const AdmittedRegion& admitted, const QuantRegion& entry, double factor) const {
        const Region& r = regionAt(admitted.region);
        CountedRegion c;
        c.quantIndex = admitted.quantIndex;
        c.area = entry.areaUsed;
        c.factor = factor;
        const std::optional<CoreLevel> level = levelOf(r);
        for (int s = 0; s < r.peakCount && s < kPeaksPerRegion; ++s) {
            const int peak = r.peakSlots[static_cast<std::size_t>(s)];
            c.peaks.push_back(peak);
            c.coefficients.push_back(
                peakCoefficient(r, ws_.peaks[static_cast<std::size_t>(peak)], level, dividing()));
        }
        return c;
    }

    static void judgePeaks(CountedRegion& c, const std::vector<FitFlag>& flags) {
        for (int peak : c.peaks) {
            std::vector<FitFlag> own;
            std::copy_if(flags.begin(), flags.end(), std::back_inserter(own),
                         [peak](const FitFlag& flag) { return flag.peak == peak; });
            c.leftOut.push_back(std::any_of(own.begin(), own.end(), leavesPeakOut));
            c.flags.push_back(std::move(own));
        }
    }

    // The region's measurements, their covariance and which of them the data determine.
    void measure(CountedRegion& c, QuantRegion& entry, const RegionFit& fit) {
        const Region& r = regionAt(entry.row.region);
        std::vector<double> values;
        double backgroundVariance = 0.0;
        std::vector<bool> known;
        if (c.area == QuantArea::Background) {
            const BackgroundNoise noise = backgroundNoiseOf(r, fit);
            entry.noise = noise.kind;
            const BackgroundSubtractedArea net =
                dividing() ? backgroundSubtractedArea(r, noise.scale.value_or(0.0), rangeTransmission(r))
                           : backgroundSubtractedArea(r, noise.scale.value_or(0.0));
            values.push_back(dividing() ? net.area : backgroundArea(r));
            backgroundVariance = net.standardError * net.standardError;
            known.push_back(noise.scale.has_value());
        }
        for (int peak : c.peaks) {
            values.push_back(ws_.peaks[static_cast<std::size_t>(peak)].area);
            known.push_back(true);
        }
        c.first = measurements_.add(
            values, covarianceBlock(backgroundVariance, fit.areaCovariance, c.peakOffset(), known), known);
    }

    // The covariance of a region's measurements: its background-subtracted area's variance (first,
    // when used; independent of the peak areas, which only split it) and its peaks' areas' from the
    // fit.  Areas the fit does not determine are marked unknown.
    static std::vector<double> covarianceBlock(double backgroundVariance, const std::vector<double>& areas,
                                               std::size_t offset, std::vector<bool>& known) {
        const std::size_t n = known.size();
        std::vector<double> block(n * n, 0.0);
        if (offset == 1) block[0] = backgroundVariance;
        const std::size_t peaks = n - offset;
        if (peaks == 0) return block;
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

    // The row's amount and its spread.
    void fillAmount(QuantRow& row, const Derived& amount, double factor) const {
        const Measurements& m = measurements_;
        row.area = amount(m.values);
        row.areaError = spreadOf(amount, m);
        row.factor = factor;
        row.correctedArea = row.area / factor;
    }

    static void markNotDetected(QuantRow& row) {
        row.detected = false;
        row.upperLimitArea = std::max(row.area, 0.0) + kDetectionSigmas * row.areaError.value_or(0.0);
    }

    // Where the spread is not determined nothing says the row is not there.
    static bool standsOutOfItsNoise(const QuantRow& row) {
        return !row.areaError || row.area >= kDetectionSigmas * *row.areaError;
    }

    // A peak left out is neither detected nor not: it is not counted at all.  In a region not detected
    // no peak is: an element that is not there has no states there either.
    QuantRow peakRow(const CountedRegion& c, std::size_t k, const QuantRow& regionRow) const {
        QuantRow row;
        row.region = regionRow.region;
        row.peak = c.peaks[k];
        row.name = trimmed(ws_.peaks[static_cast<std::size_t>(c.peaks[k])].label.str());
        row.level = regionRow.level;
        fillAmount(
            row, [&c, k](const std::vector<double>& x) { return c.peakAmount(k, x); }, c.factor);
        row.flags = c.flags[k];
        row.leftOut = c.leftOut[k];
        if (!row.leftOut && (!regionRow.detected || !standsOutOfItsNoise(row))) markNotDetected(row);
        return row;
    }

    void judgeDetection() {
        for (const CountedRegion& c : counted_) {
            QuantRegion& entry = table_.regions[c.quantIndex];
            fillAmount(
                entry.row, [&c](const std::vector<double>& x) { return c.regionAmount(x); }, c.factor);
            if (!standsOutOfItsNoise(entry.row)) markNotDetected(entry.row);
            if (c.area == QuantArea::Peaks) entry.noise = AreaNoise::FitErrors;
            for (std::size_t k = 0; k < c.peaks.size(); ++k)
                entry.components.push_back(peakRow(c, k, entry.row));
        }
    }

    double correctedTotal(const std::vector<double>& x) const {
        double total = 0.0;
        for (const CountedRegion& c : counted_) {
            if (table_.regions[c.quantIndex].row.detected) total += c.regionAmount(x) / c.factor;
        }
        return total;
    }

    // A detected row's atomic per cent with its spread; a row not detected gets the atomic per cent
    // its upper limit would have, the rest of the total as it is.
    void fillShare(QuantRow& row, const Derived& amount, bool inTotal) const {
        const Measurements& m = measurements_;
        const double total = correctedTotal(m.values);
        // Nothing to share out when the corrected areas sum to nothing.
        if (total == 0.0) return;
        if (!row.detected) {
            const double limit = row.upperLimitArea / row.factor;
            const double others = total - (inTotal ? row.correctedArea : 0.0);
            if (others + limit > 0.0) row.upperLimitPercent = 100.0 * limit / (others + limit);
            return;
        }
        const double factor = row.factor;
        const Derived percent = [this, amount, factor](const std::vector<double>& x) {
            return 100.0 * amount(x) / factor / correctedTotal(x);
        };
        row.atomicPercent = percent(m.values);
        row.atomicPercentError = spreadOf(percent, m);
    }

    void fillShares() {
        for (const CountedRegion& c : counted_) {
            QuantRegion& entry = table_.regions[c.quantIndex];
            const bool inTotal = entry.row.detected;
            fillShare(
                entry.row, [&c](const std::vector<double>& x) { return c.regionAmount(x); }, inTotal);
            for (std::size_t k = 0; k < c.peaks.size(); ++k) {
                if (c.leftOut[k]) continue;
                fillShare(
                    entry.components[k], [&c, k](const std::vector<double>& x) { return c.peakAmount(k, x); },
                    inTotal);
            }
        }
    }

    const Workspace& ws_;
    const RegionFitOf& fitOf_;
    Quantification table_;
    Measurements measurements_;
    std::vector<CountedRegion> counted_;
};

}  // namespace

bool leavesPeakOut(const FitFlag& flag) {
    switch (flag.cause) {
        case FitFlagCause::OutsideRange:
        case FitFlagCause::NarrowerThanStep:
        case FitFlagCause::NarrowerThanLimit:
        case FitFlagCause::AtBound:
            return true;
        default:
            return false;
    }
}

const char* areaNoiseName(AreaNoise noise) {
    constexpr std::array<const char*, 5> kNames = {"fit_errors", "counts", "counts_from_rate",
                                                   "fit_residuals", "data_scatter"};
    return kNames.at(static_cast<std::size_t>(noise));
}

const char* transmissionUseName(TransmissionUse use) {
    constexpr std::array<const char*, 3> kNames = {"none_recorded", "divided", "not_used"};
    return kNames.at(static_cast<std::size_t>(use));
}

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

Quantification quantify(const Workspace& workspace, const RegionFitOf& fitOf) {
    return TableBuilder(workspace, fitOf).build();
}

}  // namespace vortlan
