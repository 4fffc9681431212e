#include "io/project_extension.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "base/printable_text.h"
#include "workspace/acquisition.h"
#include "workspace/fit_verdicts.h"
#include "workspace/intensity_unit.h"

namespace vortlan {

namespace {

constexpr std::string_view kExtensionMark = "VORTLAN EXT";
constexpr std::int16_t kExtensionVersion = 1;
constexpr std::int16_t kIntensityUnitsTag = 1;
constexpr std::int16_t kCoreLevelsTag = 2;
constexpr std::int16_t kSourceEnergiesTag = 3;
constexpr std::int16_t kSensitivityOverridesTag = 4;
constexpr std::int16_t kQuantSettingsTag = 5;
constexpr std::int16_t kFitVerdictsTag = 6;
constexpr std::int16_t kInstrumentFwhmTag = 7;
// More flags than any region's peaks can carry is damage.
constexpr std::int16_t kMostFlags = kPeaksPerRegion * (kLastFitFlagCause + 1) * 4;
constexpr std::int16_t kAcquisitionTag = 8;
// Far more than any record written; a longer length is damage, and nothing is allocated for it.
constexpr std::int32_t kLongestRecord = 1 << 16;
constexpr std::int16_t kLongestText = 255;

using Record = std::pair<std::int16_t, std::string>;
using RegionText = std::string Region::*;
using RegionNumber = std::optional<double> Region::*;

// What the section gives the regions and the settings, taken only once the whole section has read.
struct Additions {
    std::array<Region, kRegionCount> regions;
    QuantSettings quantSettings;
    std::array<RegionVerdict, kRegionCount> verdicts;
    std::optional<double> instrumentFwhm;
};

std::string coreLevelText(std::string_view text) {
    return printableText(text, kCoreLevelLength);
}

// The text a region keeps, cleaned as a reader cleans it so that what is written reads back the same.
std::string storedText(const Region& region, RegionText field) {
    return field == &Region::intensityUnit ? intensityUnitText(region.intensityUnit)
                                           : coreLevelText(region.coreLevel);
}

// The entry count, then the entries that `writeEntry` writes for each region holding data for which
// it returns true; empty when no region has one.
template <typename WriteEntry>
std::string entriesPayload(const Workspace& ws, WriteEntry writeEntry) {
    BinaryWriter entries;
    std::int16_t count = 0;
    for (int r = 0; r < kRegionCount; ++r) {
        const Region& region = ws.regions[r];
        if (!isTrue(region.defined)) continue;
        BinaryWriter entry;
        entry.writeShort(static_cast<std::int16_t>(r));
        if (!writeEntry(region, entry)) continue;
        entries.writeBytes(entry.bytes());
        ++count;
    }
    if (count == 0) return {};
    BinaryWriter payload;
    payload.writeShort(count);
    payload.writeBytes(entries.bytes());
    return payload.bytes();
}

std::string textPayload(const Workspace& ws, RegionText field) {
    return entriesPayload(ws, [field](const Region& region, BinaryWriter& out) {
        const std::string text = storedText(region, field);
        if (text.empty()) return false;
        out.writeShort(static_cast<std::int16_t>(text.size()));
        out.writeBytes(text);
        return true;
    });
}

// The rules the reader holds the numbers to.  The writer keeps to them too: one value a reader
// refuses would cost the whole section when the project is opened again.
bool isPositive(double value) {
    return std::isfinite(value) && value > 0;
}

bool isReadable(const QuantSettings& settings) {
    return isPositive(settings.sourceEnergy) && std::isfinite(settings.imfpExponent) &&
           std::isfinite(settings.transmissionExponent) && settings.area >= QuantArea::Auto &&
           settings.area <= QuantArea::Background;
}

std::string numberPayload(const Workspace& ws, RegionNumber field) {
    return entriesPayload(ws, [field](const Region& region, BinaryWriter& out) {
        const std::optional<double>& value = region.*field;
        if (!value || !isPositive(*value)) return false;
        out.writeDouble(*value);
        return true;
    });
}

std::string quantSettingsPayload(const QuantSettings& settings) {
    if (settings == QuantSettings{} || !isReadable(settings)) return {};
    BinaryWriter out;
    out.writeDouble(settings.sourceEnergy);
    out.writeDouble(settings.imfpExponent);
    out.writeDouble(settings.transmissionExponent);
    out.writeShort(static_cast<std::int16_t>(settings.area));
    return out.bytes();
}

// Each region's verdict while it still holds for the peaks written beside it.
std::string verdictsPayload(const Workspace& ws) {
    return entriesPayload(ws, [&ws](const Region& region, BinaryWriter& out) {
        const int index = static_cast<int>(&region - ws.regions.data());
        const RegionVerdict& held = heldVerdictOf(ws, index);
        if (held.verdict == FitVerdict::Unknown) return false;
        out.writeShort(static_cast<std::int16_t>(held.verdict));
        out.writeShort(static_cast<std::int16_t>(held.flags.size()));
        for (const FitFlag& flag : held.flags) {
            out.writeShort(flag.peak);
            out.writeShort(static_cast<std::int16_t>(flag.cause));
            out.writeShort(static_cast<std::int16_t>(flag.param));
        }
        out.writeShort(static_cast<std::int16_t>(held.restarts.size()));
        for (const PeakRestarts& r : held.restarts) {
            out.writeShort(r.peak);
            out.writeShort(r.restarts);
        }
        return true;
    });
}

std::string instrumentFwhmPayload(const std::optional<double>& fwhm) {
    if (!fwhm || !isPositive(*fwhm)) return {};
    BinaryWriter out;
    out.writeDouble(*fwhm);
    return out.bytes();
}

// One record for each region with something to say: the values of a region fill a record of their
// own, since a transmission of 5000 points would not leave room for another region's.
std::vector<Record> acquisitionRecords(const Workspace& ws) {
    std::vector<Record> records;
    for (int r = 0; r < kRegionCount; ++r) {
        const Region& region = ws.regions[r];
        const Acquisition& a = region.acquisition;
        if (!isTrue(region.defined) || a == Acquisition{} || !acquisitionFits(a, region.pointCount)) continue;
        BinaryWriter out;
        out.writeShort(static_cast<std::int16_t>(r));
        out.writeDouble(a.dwellTime.value_or(0.0));
        out.writeLong(a.scans.value_or(0));
        out.writeShort(static_cast<std::int16_t>(a.transmission.size()));
        for (float t : a.transmission) out.writeSingle(t);
        records.emplace_back(kAcquisitionTag, out.bytes());
    }
    return records;
}

double finiteNumber(BinaryReader& in) {
    const double value = in.readDouble();
    if (!std::isfinite(value)) throw ReadFailure("an extension record with a number that is not finite");
    return value;
}

double positiveNumber(BinaryReader& in) {
    const double value = in.readDouble();
    if (!isPositive(value)) throw ReadFailure("an extension record with a number that must be positive");
    return value;
}

// Reads the entry count and each entry's region; `readEntry` reads the rest of the entry into the
// region, or into a throwaway region when the index is outside the table.
template <typename ReadEntry>
void readEntries(BinaryReader& in, Additions& additions, ReadEntry readEntry) {
    const std::int16_t count = in.readShort();
    if (count < 0 || count > kRegionCount) throw ReadFailure("an extension record of too many entries");
    for (int e = 0; e < count; ++e) {
        const std::int16_t index = in.readShort();
        Region passedOver;
        readEntry(in, index >= 0 && index < kRegionCount ? additions.regions[index] : passedOver);
    }
}

void readTexts(BinaryReader& in, Additions& additions, RegionText field) {
    readEntries(in, additions, [field](BinaryReader& entry, Region& region) {
        const std::int16_t length = entry.readShort();
        if (length < 0 || length > kLongestText) throw ReadFailure("an extension text of no written length");
        region.*field = entry.readBytes(static_cast<std::size_t>(length));
        region.*field = storedText(region, field);
    });
}

void readNumbers(BinaryReader& in, Additions& additions, RegionNumber field) {
    readEntries(in, additions,
                [field](BinaryReader& entry, Region& region) { region.*field = positiveNumber(entry); });
}

void readQuantSettings(BinaryReader& in, Additions& additions) {
    QuantSettings settings;
    settings.sourceEnergy = positiveNumber(in);
    settings.imfpExponent = finiteNumber(in);
    settings.transmissionExponent = finiteNumber(in);
    settings.area = static_cast<QuantArea>(in.readShort());
    if (!isReadable(settings)) throw ReadFailure("quantification settings of an unknown area");
    additions.quantSettings = settings;
}

std::int16_t shortWithin(BinaryReader& in, std::int16_t low, std::int16_t high) {
    const std::int16_t value = in.readShort();
    if (value < low || value > high) throw ReadFailure("an extension record with a value out of its range");
    return value;
}

RegionVerdict readVerdict(BinaryReader& in) {
    RegionVerdict verdict;
    verdict.verdict =
        static_cast<FitVerdict>(shortWithin(in, 1, static_cast<std::int16_t>(FitVerdict::Stopped)));
    const std::int16_t flags = shortWithin(in, 0, kMostFlags);
    for (int f = 0; f < flags; ++f) {
        FitFlag flag;
        flag.peak = shortWithin(in, 0, kPeakCount - 1);
        flag.cause = static_cast<FitFlagCause>(shortWithin(in, 0, kLastFitFlagCause));
        flag.param = static_cast<PeakParam>(shortWithin(in, 0, 3));
        verdict.flags.push_back(flag);
    }
    const std::int16_t restarted = shortWithin(in, 0, kPeaksPerRegion);
    for (int r = 0; r < restarted; ++r) {
        const std::int16_t peak = shortWithin(in, 0, kPeakCount - 1);
        verdict.restarts.push_back({peak, shortWithin(in, 1, std::numeric_limits<std::int16_t>::max())});
    }
    return verdict;
}

void readVerdicts(BinaryReader& in, Additions& additions) {
    const std::int16_t count = in.readShort();
    if (count < 0 || count > kRegionCount) throw ReadFailure("an extension record of too many entries");
    for (int e = 0; e < count; ++e) {
        const std::int16_t index = in.readShort();
        RegionVerdict verdict = readVerdict(in);
        if (index >= 0 && index < kRegionCount)
            additions.verdicts[static_cast<std::size_t>(index)] = std::move(verdict);
    }
}

// Zero stands for a value the file did not record.
Acquisition readAcquisition(BinaryReader& in) {
    Acquisition a;
    if (const double dwell = in.readDouble(); dwell != 0.0) a.dwellTime = dwell;
    if (const std::int32_t scans = in.readLong(); scans != 0) a.scans = scans;
    const std::int16_t points = in.readShort();
    if (points < 0 || points > kMaxPoints) throw ReadFailure("a transmission of too many points");
    a.transmission.resize(static_cast<std::size_t>(points));
    for (float& t : a.transmission) t = in.readSingle();
    if (!acquisitionFits(a, points)) throw ReadFailure("acquisition values out of their ranges");
    return a;
}

void readAcquisitionRecord(BinaryReader& in, Additions& additions) {
    const std::int16_t index = in.readShort();
    const Acquisition a = readAcquisition(in);
    if (index >= 0 && index < kRegionCount) additions.regions[index].acquisition = a;
}

void readPayload(std::int16_t tag, const std::string& payload, Additions& additions) {
    std::istringstream stream(payload);
    BinaryReader in(stream);
    switch (tag) {
        case kIntensityUnitsTag:
            return readTexts(in, additions, &Region::intensityUnit);
        case kCoreLevelsTag:
            return readTexts(in, additions, &Region::coreLevel);
        case kSourceEnergiesTag:
            return readNumbers(in, additions, &Region::sourceEnergy);
        case kSensitivityOverridesTag:
            return readNumbers(in, additions, &Region::sensitivityOverride);
        case kQuantSettingsTag:
            return readQuantSettings(in, additions);
        case kFitVerdictsTag:
            return readVerdicts(in, additions);
        case kInstrumentFwhmTag:
            additions.instrumentFwhm = positiveNumber(in);
            return;
        case kAcquisitionTag:
            return readAcquisitionRecord(in, additions);
        default:
            return;
    }
}

void readRecord(BinaryReader& in, Additions& additions) {
    const std::int16_t tag = in.readShort();
    const std::int32_t length = in.readLong();
    if (length < 0 || length > kLongestRecord) throw ReadFailure("an extension record of no written length");
    readPayload(tag, in.readBytes(static_cast<std::size_t>(length)), additions);
}

// A transmission belongs to the points of its region: one of another length cannot be put right.
bool fitsTheRegions(const Additions& additions, const Workspace& ws) {
    for (int r = 0; r < kRegionCount; ++r) {
        const Region& region = ws.regions[r];
        if (isTrue(region.defined) && !acquisitionFits(additions.regions[r].acquisition, region.pointCount))
            return false;
    }
    return true;
}

// Only regions holding data take what the section gives them.
void apply(const Additions& additions, Workspace& ws) {
    for (int r = 0; r < kRegionCount; ++r) {
        Region& region = ws.regions[r];
        if (!isTrue(region.defined)) continue;
        const Region& from = additions.regions[r];
        region.intensityUnit = from.intensityUnit;
        region.coreLevel = from.coreLevel;
        region.sourceEnergy = from.sourceEnergy;
        region.sensitivityOverride = from.sensitivityOverride;
        region.acquisition = from.acquisition;
    }
    ws.quantSettings = additions.quantSettings;
    ws.instrumentFwhm = additions.instrumentFwhm;
    // Last, since a verdict is tied to the model as the whole file gives it.
    for (int r = 0; r < kRegionCount; ++r) {
        if (isTrue(ws.regions[r].defined) && additions.verdicts[r].verdict != FitVerdict::Unknown)
            adoptFitVerdict(ws, r, additions.verdicts[r]);
    }
}

}  // namespace

std::string encodeProjectExtension(const Workspace& ws) {
    const std::vector<Record> candidates = {
        {kIntensityUnitsTag, textPayload(ws, &Region::intensityUnit)},
        {kCoreLevelsTag, textPayload(ws, &Region::coreLevel)},
        {kSourceEnergiesTag, numberPayload(ws, &Region::sourceEnergy)},
        {kSensitivityOverridesTag, numberPayload(ws, &Region::sensitivityOverride)},
        {kQuantSettingsTag, quantSettingsPayload(ws.quantSettings)},
        {kFitVerdictsTag, verdictsPayload(ws)},
        {kInstrumentFwhmTag, instrumentFwhmPayload(ws.instrumentFwhm)},
    };
    std::vector<Record> records;
    for (const Record& record : candidates) {
        if (!record.second.empty()) records.push_back(record);
    }
    for (Record& record : acquisitionRecords(ws)) records.push_back(std::move(record));
    if (records.empty()) return {};
    BinaryWriter out;
    out.writeBytes(kExtensionMark);
    out.writeShort(kExtensionVersion);
    out.writeShort(static_cast<std::int16_t>(records.size()));
    for (const auto& [tag, payload] : records) {
        out.writeShort(tag);
        out.writeLong(static_cast<std::int32_t>(payload.size()));
        out.writeBytes(payload);
    }
    return out.bytes();
}

ProjectExtensionRead readProjectExtension(BinaryReader& in, Workspace& ws) {
    if (in.atEnd()) return ProjectExtensionRead::Absent;
    Additions additions;
    try {
        if (in.readBytes(kExtensionMark.size()) != kExtensionMark) return ProjectExtensionRead::Damaged;
        const std::int16_t version = in.readShort();
        if (version > kExtensionVersion) return ProjectExtensionRead::NewerLayout;
        if (version != kExtensionVersion) return ProjectExtensionRead::Damaged;
        const std::int16_t records = in.readShort();
        if (records < 0) return ProjectExtensionRead::Damaged;
        for (int i = 0; i < records; ++i) readRecord(in, additions);
    } catch (const ReadFailure&) {
        return ProjectExtensionRead::Damaged;
    }
    if (!fitsTheRegions(additions, ws)) return ProjectExtensionRead::Damaged;
    apply(additions, ws);
    return ProjectExtensionRead::Complete;
}

}  // namespace vortlan
