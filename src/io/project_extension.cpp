#include "io/project_extension.h"

#include <cstdint>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "workspace/intensity_unit.h"

namespace vortlan {

namespace {

constexpr std::string_view kExtensionMark = "VORTLAN EXT";
constexpr std::int16_t kExtensionVersion = 1;
constexpr std::int16_t kIntensityUnitsTag = 1;
// Far more than any record written; a longer length is damage, and nothing is allocated for it.
constexpr std::int32_t kLongestRecord = 1 << 16;
constexpr std::int16_t kLongestText = 255;

using Record = std::pair<std::int16_t, std::string>;

std::string intensityUnitsPayload(const Workspace& ws) {
    BinaryWriter out;
    std::int16_t entries = 0;
    for (int r = 0; r < kRegionCount; ++r) {
        const Region& region = ws.regions[r];
        if (!isTrue(region.defined) || region.intensityUnit.empty()) continue;
        const std::string text = intensityUnitText(region.intensityUnit);
        out.writeShort(static_cast<std::int16_t>(r));
        out.writeShort(static_cast<std::int16_t>(text.size()));
        out.writeBytes(text);
        ++entries;
    }
    if (entries == 0) return {};
    BinaryWriter payload;
    payload.writeShort(entries);
    payload.writeBytes(out.bytes());
    return payload.bytes();
}

// The units are taken only when the whole record reads; an entry for a region without data is passed
// over.
void readIntensityUnits(const std::string& payload, Workspace& ws) {
    std::istringstream stream(payload);
    BinaryReader in(stream);
    std::vector<std::pair<int, std::string>> units;
    try {
        const std::int16_t entries = in.readShort();
        if (entries < 0 || entries > kRegionCount) return;
        for (int e = 0; e < entries; ++e) {
            const std::int16_t region = in.readShort();
            const std::int16_t length = in.readShort();
            if (length < 0 || length > kLongestText) return;
            std::string text = in.readBytes(static_cast<std::size_t>(length));
            if (region >= 0 && region < kRegionCount) units.emplace_back(region, std::move(text));
        }
    } catch (const ReadFailure&) {
        return;
    }
    for (const auto& [region, text] : units) {
        Region& r = ws.regions[static_cast<std::size_t>(region)];
        if (isTrue(r.defined)) r.intensityUnit = intensityUnitText(text);
    }
}

void readRecord(BinaryReader& in, Workspace& ws) {
    const std::int16_t tag = in.readShort();
    const std::int32_t length = in.readLong();
    if (length < 0 || length > kLongestRecord) throw ReadFailure("an extension record of no written length");
    const std::string payload = in.readBytes(static_cast<std::size_t>(length));
    if (tag == kIntensityUnitsTag) readIntensityUnits(payload, ws);
}

}  // namespace

std::string encodeProjectExtension(const Workspace& ws) {
    std::vector<Record> records;
    if (std::string units = intensityUnitsPayload(ws); !units.empty())
        records.emplace_back(kIntensityUnitsTag, std::move(units));
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

void readProjectExtension(BinaryReader& in, Workspace& ws) {
    try {
        if (in.readBytes(kExtensionMark.size()) != kExtensionMark) return;
        if (in.readShort() != kExtensionVersion) return;
        const std::int16_t records = in.readShort();
        for (int i = 0; i < records; ++i) readRecord(in, ws);
    } catch (const ReadFailure&) {
        // Cut short or damaged: what was read whole stays.
    }
}

}  // namespace vortlan
