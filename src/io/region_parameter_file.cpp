#include "io/region_parameter_file.h"

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "workspace/invariants.h"

namespace vortlan {

namespace {

bool isPeakOf(const Peak& peak, int region) {
    return isTrue(peak.defined) && peak.region == region;
}

double readTaggedValue(BinaryReader& in) {
    switch (static_cast<TaggedType>(in.readShort())) {
        case TaggedType::Short:
            return in.readShort();
        case TaggedType::Long:
            return in.readLong();
        case TaggedType::Single:
            return in.readSingle();
        case TaggedType::Double:
            return in.readDouble();
    }
    throw ReadFailure("a tagged number of an unknown type");
}

short readTaggedShort(BinaryReader& in) {
    const auto value = roundHalfEvenToShort(readTaggedValue(in));
    if (!value) throw ReadFailure("a tagged number that does not fit a short");
    return *value;
}

float readTaggedSingle(BinaryReader& in) {
    const auto value = toSingle(readTaggedValue(in));
    if (!value) throw ReadFailure("a tagged number that does not fit a single");
    return *value;
}

// Whether the stream starts with the version text; if not, the stream is back where it was.
bool readVersionText(std::istream& in) {
    const std::istream::pos_type start = in.tellg();
    std::string text(kRegionParametersVersion.size(), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.gcount() == static_cast<std::streamsize>(text.size()) && text == kRegionParametersVersion) {
        return true;
    }
    // An older file with no peaks is shorter than the version text: the failed read is not an error.
    in.clear();
    in.seekg(start);
    if (!in) throw ReadFailure("the file cannot be read from its start again");
    return false;
}

RegionParameterHeader readCurrentHeader(BinaryReader& in) {
    RegionParameterHeader header;
    header.layout = PeakLayout::Version4;
    header.peakCount = in.readShort();
    header.rangeCount = in.readShort();
    header.backgroundSet = in.readShort();
    header.backgroundType = in.readShort();
    header.rangeHigh = in.readSingle();
    header.rangeLow = in.readSingle();
    return header;
}

RegionParameterHeader readOlderHeader(BinaryReader& in) {
    RegionParameterHeader header;
    header.layout = PeakLayout::Version3;
    header.peakCount = readTaggedShort(in);
    header.rangeCount = readTaggedShort(in);
    header.backgroundSet = in.readShort();
    header.backgroundType = in.readShort();
    header.rangeHigh = in.readSingle();
    header.rangeLow = readTaggedSingle(in);
    return header;
}

void checkHeader(const RegionParameterHeader& header) {
    if (header.peakCount < 0 || header.peakCount > kPeaksPerRegion)
        throw ReadFailure("peak count out of range");
    if (header.rangeCount < 0) throw ReadFailure("negative range count");
    if (header.backgroundType < 0 || header.backgroundType > 2) throw ReadFailure("unknown background type");
}

}  // namespace

std::string encodeRegionParameters(const Workspace& ws, int region) {
    const Region& r = ws.regions.at(region);
    // The count says how many entries follow, so it is taken from the entries themselves.
    short entries = 0;
    for (const Peak& peak : ws.peaks) entries += isPeakOf(peak, region) ? 1 : 0;

    BinaryWriter out;
    out.writeBytes(kRegionParametersVersion);
    out.writeShort(entries);
    out.writeShort(r.rangeCount);
    out.writeShort(r.backgroundSet);
    out.writeShort(r.backgroundType);
    out.writeSingle(r.rangeHigh);
    out.writeSingle(r.rangeLow);
    for (int p = 0; p < kPeakCount; ++p) {
        if (!isPeakOf(ws.peaks[p], region)) continue;
        writePeakRecord(out, ws.peaks[p]);
        writeConstraints(out, ws.constraints[p]);
    }
    return out.bytes();
}

RegionParameterHeader readRegionParameterHeader(std::istream& in) {
    const bool current = readVersionText(in);
    BinaryReader reader(in);
    const RegionParameterHeader header = current ? readCurrentHeader(reader) : readOlderHeader(reader);
    checkHeader(header);
    return header;
}

RegionParameterEntry readRegionParameterEntry(BinaryReader& in, PeakLayout layout) {
    RegionParameterEntry entry;
    readPeakRecord(in, entry.peak, layout);
    clampStoredGl(entry.peak);
    if (entry.peak.type < 0 || entry.peak.type > 4) throw ReadFailure("peak type out of range");
    readConstraints(in, entry.constraints);
    if (!constraintsAreSound(entry.constraints)) throw ReadFailure("constraint out of range");
    return entry;
}

}  // namespace vortlan
