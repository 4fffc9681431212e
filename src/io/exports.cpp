#include "io/exports.h"

#include <algorithm>

#include "base/number_text.h"

namespace vortlan {

ColumnText& ColumnText::toColumn(int column) {
    if (column_ > column) endLine();
    text_.append(static_cast<std::size_t>(column - column_), ' ');
    column_ = column;
    return *this;
}

ColumnText& ColumnText::nextZone() {
    const int zoneStart = ((column_ - 1) / kPrintZoneWidth + 1) * kPrintZoneWidth + 1;
    return toColumn(zoneStart);
}

ColumnText& ColumnText::write(std::string_view text) {
    text_.append(text);
    column_ += static_cast<int>(text.size());
    return *this;
}

ColumnText& ColumnText::endLine() {
    text_.append("\r\n");
    column_ = 1;
    return *this;
}

namespace {

constexpr int kFirstPeakColumn = 80;
constexpr int kPeakColumnStep = 20;

int peakColumn(int slot) {
    return kFirstPeakColumn + kPeakColumnStep * slot;
}

// A count read from a file could be anything; the tables never hold more.
int peakCountOf(const Region& r) {
    return std::clamp<int>(r.peakCount, 0, kPeaksPerRegion);
}

const Peak* peakInSlot(const Workspace& ws, const Region& r, int slot) {
    const int p = r.peakSlots[static_cast<std::size_t>(slot)];
    return p >= 0 && p < kPeakCount ? &ws.peaks[static_cast<std::size_t>(p)] : nullptr;
}

// Whether range point j has every fitted value.  The range is counted from the energy span, so a raw
// point inside indexAtHigh..indexAtLow can lie beyond it; such a point has none.
bool hasFittedValues(const Workspace& ws, const Region& r, int j) {
    if (j < 1 || j > r.rangeCount) return false;
    if (!r.envelope.holds(j) || !r.background.holds(j) || !r.residual.holds(j)) return false;
    for (int slot = 0; slot < peakCountOf(r); ++slot) {
        const Peak* peak = peakInSlot(ws, r, slot);
        if (peak == nullptr || !peak->curve.holds(j)) return false;
    }
    return true;
}

void writeSpectrumHeader(ColumnText& out, int peaks) {
    out.toColumn(1).write("B.E.(eV)");
    out.toColumn(20).write("Raw Intensity");
    if (peaks >= 1) {
        out.toColumn(40).write("Peak Sum");
        out.toColumn(60).write("Background");
        for (int slot = 0; slot < peaks; ++slot) {
            out.toColumn(peakColumn(slot)).write("Peak").write(generalNumberText(slot + 1));
        }
        out.toColumn(peakColumn(peaks)).write("difference");
    }
    out.endLine();
}

void writeFittedValues(ColumnText& out, const Workspace& ws, const Region& r, int j) {
    const int peaks = peakCountOf(r);
    out.toColumn(40).write(generalNumberText(r.envelope[j]));
    out.toColumn(60).write(generalNumberText(r.background[j]));
    for (int slot = 0; slot < peaks; ++slot) {
        out.toColumn(peakColumn(slot)).write(generalNumberText(peakInSlot(ws, r, slot)->curve[j]));
    }
    out.toColumn(peakColumn(peaks)).write(generalNumberText(r.residual[j]));
}

}  // namespace

std::string spectrumExportText(const Workspace& ws, int region) {
    const Region& r = ws.regions.at(static_cast<std::size_t>(region));
    const int peaks = peakCountOf(r);
    ColumnText out;
    writeSpectrumHeader(out, peaks);
    const int points = std::min({static_cast<int>(r.pointCount), r.energy.bound(), r.counts.bound()});
    for (int i = 1; i <= points; ++i) {
        out.toColumn(1).write(generalNumberText(r.energy[i]));
        out.toColumn(20).write(generalNumberText(r.counts[i]));
        const int j = i - r.indexAtHigh + 1;
        const bool inRange = i >= r.indexAtHigh && i <= r.indexAtLow;
        if (peaks >= 1 && inRange && hasFittedValues(ws, r, j)) writeFittedValues(out, ws, r, j);
        out.endLine();
    }
    return out.text();
}

std::string peakParameterText(const Workspace& ws, int region) {
    const Region& r = ws.regions.at(static_cast<std::size_t>(region));
    ColumnText out;
    for (const char* heading : {"Peak", "Position (eV)", "Area", "FWHM (eV)", "%GL (%)"}) {
        out.nextZone().write(heading);
    }
    out.endLine();
    for (int slot = 0; slot < peakCountOf(r); ++slot) {
        const int p = r.peakSlots[static_cast<std::size_t>(slot)];
        const Peak* peak = peakInSlot(ws, r, slot);
        if (peak == nullptr) continue;
        out.nextZone().write(generalNumberText(p));
        out.nextZone().write(patternNumberText(peak->position, "#0.000"));
        out.nextZone().write(patternNumberText(peak->area, "#######0.000"));
        out.nextZone().write(patternNumberText(peak->fwhm, "0.000"));
        out.nextZone().write(patternNumberText(static_cast<double>(peak->gl), "#0"));
        out.endLine();
    }
    return out.text();
}

}  // namespace vortlan
