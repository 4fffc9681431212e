#include "session/core_level_dialog.h"

#include <cmath>
#include <variant>

#include "base/number_text.h"
#include "quant/analyser.h"
#include "quant/core_level.h"
#include "session/quantification_view.h"

namespace vortlan {

namespace {

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string sourceText(const Region& region, const QuantSettings& settings) {
    const std::string energy = patternNumberText(regionSourceEnergy(region, settings), "#0.0##") + " eV";
    return energy + (region.sourceEnergy ? ", recorded in the file" : ", the quantification setting");
}

// The level's factor as computed, whatever factor the region is given.
QuantNumber computedFactor(const Region& region, const QuantSettings& settings, std::string_view level) {
    Region computed = region;
    computed.coreLevel = std::string(level);
    computed.sensitivityOverride.reset();
    return regionFactor(computed, settings);
}

}  // namespace

CoreLevelEntry coreLevelEntryOf(const Region& region, const QuantSettings& settings) {
    CoreLevelEntry entry;
    entry.level = region.coreLevel;
    entry.ownFactor = region.sensitivityOverride.has_value();
    if (entry.ownFactor) {
        entry.factor = *region.sensitivityOverride;
    } else if (const QuantNumber factor = regionFactor(region, settings);
               std::holds_alternative<double>(factor)) {
        entry.factor = std::get<double>(factor);
    }
    return entry;
}

CoreLevelPreview previewCoreLevel(const Region& region, const QuantSettings& settings,
                                  std::string_view level) {
    CoreLevelPreview preview;
    preview.source = sourceText(region, settings);
    const QuantNumber factor = computedFactor(region, settings, isBlank(level) ? std::string_view() : level);
    preview.computed = std::holds_alternative<double>(factor);
    preview.factor =
        preview.computed ? quantNumberText(std::get<double>(factor)) : std::get<std::string>(factor);
    return preview;
}

std::string acceptCoreLevel(Region& region, const CoreLevelEntry& entry) {
    std::string level;
    if (!isBlank(entry.level)) {
        const CoreLevelReading reading = readCoreLevel(entry.level);
        if (const auto* reason = std::get_if<std::string>(&reading)) return *reason;
        level = coreLevelText(std::get<CoreLevel>(reading));
    }
    if (entry.ownFactor && !(std::isfinite(entry.factor) && entry.factor > 0.0))
        return "The factor must be a positive number";
    region.coreLevel = level;
    if (entry.ownFactor)
        region.sensitivityOverride = entry.factor;
    else
        region.sensitivityOverride.reset();
    return {};
}

}  // namespace vortlan
