#include "io/records_io.h"

#include "workspace/resize.h"

namespace vortlan {

namespace {

void readArray(BinaryReader& in, const Region& r, PointArray& array, RegionArrays arrays) {
    if (arrays == RegionArrays::Blocks) {
        in.readArrayBlock(array, kMaxPoints);
    } else {
        in.readFixedBlock(array, kFixedBlockSize, r.pointCount);
    }
}

void writeArray(BinaryWriter& out, const PointArray& array, RegionArrays arrays) {
    if (arrays == RegionArrays::Blocks) {
        out.writeArrayBlock(array);
    } else {
        out.writeFixedBlock(array, kFixedBlockSize);
    }
}

void writeGroup(BinaryWriter& out, const ParamConstraint& c) {
    out.writeShort(c.linked);
    out.writeShort(c.refPeak);
    out.writeShort(c.isReference);
    out.writeShort(c.tiedPeak);
    out.writeShort(c.op);
    out.writeSingle(c.operand);
    out.writeShort(c.limited);
    out.writeSingle(c.low);
    out.writeSingle(c.high);
}

void readLinkFields(BinaryReader& in, ParamConstraint& c) {
    c.linked = in.readShort();
    c.refPeak = in.readShort();
    c.isReference = in.readShort();
    c.tiedPeak = in.readShort();
    c.op = in.readShort();
    c.operand = in.readSingle();
}

}  // namespace

void writeRegionRecord(BinaryWriter& out, const Region& r, RegionArrays arrays) {
    out.writeShort(r.defined);
    out.writeShort(r.sourceNumber);
    out.writeText(r.caption);
    out.writeShort(r.pointCount);
    writeArray(out, r.energy, arrays);
    writeArray(out, r.counts, arrays);
    for (float v : {r.beHigh, r.beLow, r.countsHigh, r.countsLow}) out.writeSingle(v);
    out.writeShort(r.backgroundSet);
    out.writeShort(r.peakCount);
    for (short slot : r.peakSlots) out.writeShort(slot);
    out.writeShort(r.backgroundType);
    for (float v : {r.rangeLow, r.rangeHigh, r.linearSlope}) out.writeSingle(v);
    for (short v : {r.indexAtHigh, r.indexAtLow, r.rangeCount}) out.writeShort(v);
    for (float v : {r.rangeCountsHigh, r.rangeCountsLow, r.heightUnit, r.chiSquare}) out.writeSingle(v);
    for (const PointArray* a :
         {&r.rangeEnergy, &r.rangeCounts, &r.baseLine, &r.background, &r.envelope, &r.residual}) {
        writeArray(out, *a, arrays);
    }
    out.writeSingle(r.endAverageLast);
    out.writeSingle(r.endAverageFirst);
    out.writeShort(r.averagePoints);
    out.writeSingle(r.backgroundParam);
    out.writeSingle(r.shift);
}

void readRegionRecord(BinaryReader& in, Region& r, RegionArrays arrays) {
    r.defined = in.readShort();
    r.sourceNumber = in.readShort();
    in.readText(r.caption);
    r.pointCount = in.readShort();
    if (arrays == RegionArrays::FixedBlocks) {
        if (r.pointCount < 0 || r.pointCount >= kFixedBlockSize)
            throw ReadFailure("point count out of range");
        allocateRegionArrays(r, r.pointCount);
    }
    readArray(in, r, r.energy, arrays);
    readArray(in, r, r.counts, arrays);
    r.beHigh = in.readSingle();
    r.beLow = in.readSingle();
    r.countsHigh = in.readSingle();
    r.countsLow = in.readSingle();
    r.backgroundSet = in.readShort();
    r.peakCount = in.readShort();
    for (short& slot : r.peakSlots) slot = in.readShort();
    r.backgroundType = in.readShort();
    r.rangeLow = in.readSingle();
    r.rangeHigh = in.readSingle();
    r.linearSlope = in.readSingle();
    r.indexAtHigh = in.readShort();
    r.indexAtLow = in.readShort();
    r.rangeCount = in.readShort();
    r.rangeCountsHigh = in.readSingle();
    r.rangeCountsLow = in.readSingle();
    r.heightUnit = in.readSingle();
    r.chiSquare = in.readSingle();
    for (PointArray* a :
         {&r.rangeEnergy, &r.rangeCounts, &r.baseLine, &r.background, &r.envelope, &r.residual}) {
        readArray(in, r, *a, arrays);
    }
    r.endAverageLast = in.readSingle();
    r.endAverageFirst = in.readSingle();
    r.averagePoints = in.readShort();
    r.backgroundParam = in.readSingle();
    r.shift = in.readSingle();
}

void writePeakHead(BinaryWriter& out, const Peak& p) {
    out.writeShort(p.defined);
    out.writeText(p.label);
    out.writeShort(p.type);
    for (float v : {p.splitting, p.position, p.area, p.height, p.fwhm}) out.writeSingle(v);
    for (short v : {p.gl, p.fixPosition, p.fixFwhm, p.fixArea, p.fixGl, p.region}) out.writeShort(v);
}

void writePeakRecord(BinaryWriter& out, const Peak& p, PeakLayout layout) {
    writePeakHead(out, p);
    out.writeArrayBlock(p.curve);
    if (layout == PeakLayout::Version3) return;
    out.writeSingle(p.ts);
    out.writeSingle(p.tl);
}

void readPeakHead(BinaryReader& in, Peak& p) {
    p.defined = in.readShort();
    in.readText(p.label);
    p.type = in.readShort();
    p.splitting = in.readSingle();
    p.position = in.readSingle();
    p.area = in.readSingle();
    p.height = in.readSingle();
    p.fwhm = in.readSingle();
    p.gl = in.readShort();
    p.fixPosition = in.readShort();
    p.fixFwhm = in.readShort();
    p.fixArea = in.readShort();
    p.fixGl = in.readShort();
    p.region = in.readShort();
}

void readPeakRecord(BinaryReader& in, Peak& p, PeakLayout layout) {
    readPeakHead(in, p);
    in.readArrayBlock(p.curve, kMaxPoints);
    if (layout == PeakLayout::Version4) {
        p.ts = in.readSingle();
        p.tl = in.readSingle();
    } else {
        p.fixFwhm = p.fixArea;
        p.ts = 0.0f;
        p.tl = 1.0f;
    }
}

void writeConstraints(BinaryWriter& out, const PeakConstraints& constraints) {
    for (PeakParam param : kPeakParams) writeGroup(out, constraints.of(param));
}

void readConstraints(BinaryReader& in, PeakConstraints& constraints) {
    for (PeakParam param : kPeakParams) {
        ParamConstraint& c = constraints.of(param);
        readLinkFields(in, c);
        c.limited = in.readShort();
        c.low = in.readSingle();
        c.high = in.readSingle();
    }
}

void readOldestConstraints(BinaryReader& in, PeakConstraints& constraints) {
    for (PeakParam param : kPeakParams) {
        ParamConstraint& c = constraints.of(param);
        readLinkFields(in, c);
        c.linked = storedFlag(c.linked != 0);
        c.isReference = storedFlag(c.isReference != 0);
        c.limited = kFalse;
    }
}

}  // namespace vortlan
