#include "io/project_file.h"

#include <cmath>
#include <stdexcept>

#include "io/binary_io.h"
#include "io/project_extension.h"
#include "io/records_io.h"
#include "workspace/invariants.h"
#include "workspace/resize.h"

namespace vortlan {

namespace {

enum class Layout { Oldest, Version3, Version4 };

constexpr std::string_view kPresent = "DP";
constexpr std::string_view kAbsent = "DA";
constexpr std::int16_t kTextTag = 8;
constexpr int kOldestPeakCount = 21;

void fail(const char* why) {
    throw ReadFailure(why);
}

PeakLayout peakLayoutOf(Layout layout) {
    return layout == Layout::Version3 ? PeakLayout::Version3 : PeakLayout::Version4;
}

bool readPresence(BinaryReader& in) {
    return in.readBytes(2) == kPresent;
}

short readCount(BinaryReader& in) {
    const short n = in.readShort();
    if (n < 0 || n > kMaxPoints) fail("a count beyond the point limit");
    return n;
}

// A record that could not be read whole is dropped; the ones read before it stay.
template <typename Record, typename ReadRecord>
void readWholeOrDrop(Record& record, ReadRecord read) {
    try {
        read();
    } catch (const ReadFailure&) {
        record.defined = kFalse;
        throw;
    }
}

void readRegions(BinaryReader& in, Workspace& ws, Layout layout) {
    for (int r = 0; r < kRegionCount; ++r) {
        Region& region = ws.regions[r];
        if (!readPresence(in)) continue;
        readWholeOrDrop(region, [&] {
            if (layout == Layout::Oldest) {
                ws.currentRegion = static_cast<short>(r);
                readRegionRecord(in, region, RegionArrays::FixedBlocks);
            } else {
                resizeRegionArrays(ws, r, readCount(in));
                readRegionRecord(in, region, RegionArrays::Blocks);
            }
            if (region.averagePoints == 0) region.averagePoints = 1;
            resetUnusedFitRange(region);
            if (isTrue(region.defined) && !regionIsSound(region)) fail("a region out of range");
        });
    }
}

void mendAndCheckPeak(Workspace& ws, int p) {
    clampStoredGl(ws.peaks[p]);
    if (!constraintsAreSound(ws.constraints[p])) fail("a constraint out of range");
    if (isTrue(ws.peaks[p].defined) && !peakIsSound(ws.peaks[p])) fail("a peak out of range");
}

void readPeaks(BinaryReader& in, Workspace& ws, Layout layout) {
    for (int p = 0; p < kPeakCount; ++p) {
        if (!readPresence(in)) continue;
        readWholeOrDrop(ws.peaks[p], [&] {
            resizePeakCurve(ws, p, readCount(in));
            readPeakRecord(in, ws.peaks[p], peakLayoutOf(layout));
            readConstraints(in, ws.constraints[p]);
            mendAndCheckPeak(ws, p);
        });
    }
}

void readOldestPeaks(BinaryReader& in, Workspace& ws) {
    for (int p = 0; p < kOldestPeakCount; ++p) {
        if (!readPresence(in)) continue;
        Peak& peak = ws.peaks[p];
        readWholeOrDrop(peak, [&] {
            readPeakHead(in, peak);
            if (peak.region < 0 || peak.region >= kRegionCount) fail("a peak of no region");
            const int rangeCount = ws.regions[peak.region].rangeCount;
            if (rangeCount < 0 || rangeCount >= kFixedBlockSize) fail("a range beyond the fixed block");
            resizePeakCurve(ws, p, rangeCount);
            in.readFixedBlock(peak.curve, kFixedBlockSize, rangeCount);
            peak.ts = 0.0f;
            peak.tl = 1.0f;
            readOldestConstraints(in, ws.constraints[p]);
            mendAndCheckPeak(ws, p);
        });
    }
}

void readScratchPeak(BinaryReader& in, Workspace& ws, Layout layout) {
    Peak& scratch = ws.scratchPeak;
    if (layout == Layout::Oldest) {
        readPeakHead(in, scratch);
        in.skip(kFixedBlockSize * sizeof(float));
        in.readArrayBlock(scratch.curve, kMaxPoints);
        scratch.ts = 0.0f;
        scratch.tl = 1.0f;
    } else {
        readPeakRecord(in, scratch, peakLayoutOf(layout));
    }
}

void readSingleValues(BinaryReader& in, Workspace& ws) {
    ws.peakTotal = in.readShort();
    ws.totalChiSquare = in.readSingle();
    ws.areaScrollUnit = in.readSingle();
    ws.currentRegion = in.readShort();
    // The area scroll unit is a divisor of the peak dialog; a stored 0 is read as one count.
    if (ws.areaScrollUnit == 0.0f || !std::isfinite(ws.areaScrollUnit)) ws.areaScrollUnit = 1.0f;
}

std::optional<std::string> readDescription(BinaryReader& in) {
    try {
        if (in.readShort() != kTextTag) return std::nullopt;
        const std::int16_t length = in.readShort();
        if (length < 0) return std::nullopt;
        return in.readBytes(static_cast<std::size_t>(length));
    } catch (const ReadFailure&) {
        return std::nullopt;
    }
}

Layout readLayout(BinaryReader& in) {
    const std::string mark = in.readBytes(2);
    if (mark == kOldestProjectMark) return Layout::Oldest;
    const std::string version = mark + in.readBytes(kProjectVersion4.size() - mark.size());
    if (version == kProjectVersion4) return Layout::Version4;
    if (version == kProjectVersion3) return Layout::Version3;
    throw std::invalid_argument("not a project file");
}

}  // namespace

std::string encodeProject(const Workspace& ws, PeakLayout layout) {
    BinaryWriter out;
    out.writeBytes(layout == PeakLayout::Version4 ? kProjectVersion4 : kProjectVersion3);
    for (const Region& region : ws.regions) {
        if (!isTrue(region.defined)) {
            out.writeBytes(kAbsent);
            continue;
        }
        out.writeBytes(kPresent);
        out.writeShort(region.pointCount);
        writeRegionRecord(out, region);
    }
    for (int p = 0; p < kPeakCount; ++p) {
        const Peak& peak = ws.peaks[p];
        if (!isTrue(peak.defined)) {
            out.writeBytes(kAbsent);
            continue;
        }
        out.writeBytes(kPresent);
        const bool ownRegion = peak.region >= 0 && peak.region < kRegionCount;
        out.writeShort(ownRegion ? ws.regions[peak.region].rangeCount : 0);
        writePeakRecord(out, peak, layout);
        writeConstraints(out, ws.constraints[p]);
    }
    out.writeShort(ws.currentPeak);
    writePeakRecord(out, ws.scratchPeak, layout);
    out.writeShort(ws.peakTotal);
    out.writeSingle(ws.totalChiSquare);
    out.writeSingle(ws.areaScrollUnit);
    out.writeShort(ws.currentRegion);
    const std::string description = ws.description.substr(0, kStoredDescriptionLength);
    out.writeShort(kTextTag);
    out.writeShort(static_cast<std::int16_t>(description.size()));
    out.writeBytes(description);
    out.writeBytes(encodeProjectExtension(ws));
    return out.bytes();
}

ProjectReadResult decodeProject(std::istream& stream, Workspace& ws) {
    BinaryReader in(stream);
    ProjectReadResult result;
    try {
        Layout layout;
        try {
            layout = readLayout(in);
        } catch (const std::invalid_argument&) {
            result.status = ProjectRead::WrongFormat;
            return result;
        }
        readRegions(in, ws, layout);
        if (layout == Layout::Oldest) {
            readOldestPeaks(in, ws);
        } else {
            readPeaks(in, ws, layout);
        }
        ws.currentPeak = in.readShort();
        readScratchPeak(in, ws, layout);
        readSingleValues(in, ws);
        if (!firstBrokenRule(ws).empty()) fail("the records disagree with each other");
    } catch (const ReadFailure&) {
        restoreInvariants(ws);
        result.status = ProjectRead::Failed;
        return result;
    }
    result.description = readDescription(in);
    if (result.description) result.extension = readProjectExtension(in, ws);
    result.status = ProjectRead::Complete;
    return result;
}

}  // namespace vortlan
