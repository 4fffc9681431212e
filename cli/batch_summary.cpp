#include "cli/batch_summary.h"

#include <cmath>

#include "base/number_text.h"
#include "cli/json_writer.h"
#include "fit/verdict.h"
#include "io/csv_text.h"

namespace vortlan::cli {

namespace {

constexpr std::array<const char*, 4> kErrorNames = {"position_err", "area_err", "fwhm_err", "gl_err"};

std::string cell(float value) {
    return std::isnan(value) ? std::string() : exactNumberText(value);
}

// Each peak's area as a fraction of the sum of the region's areas; not a number when they add up to 0.
std::vector<float> shares(const SummaryRow& row) {
    double total = 0.0;
    for (const PeakRow& p : row.peaks) total += p.area;
    std::vector<float> out;
    for (const PeakRow& p : row.peaks)
        out.push_back(total != 0.0 ? static_cast<float>(p.area / total) : std::nanf(""));
    return out;
}

}  // namespace

std::string summaryHeadings(SummaryShape shape, SummaryColumns columns) {
    const auto [peaks, anyLevel] = shape;
    std::string text = columns.item ? "item,file" : "file";
    if (columns.block) text += ",block,block_label";
    text += ",chi_square";
    for (std::size_t k = 1; k <= peaks; ++k) {
        const std::string p = ",peak" + std::to_string(k) + "_";
        text += p + "position" + p + "area" + p + "fwhm" + p + "gl" + p + "share";
        for (const char* name : kErrorNames) text += p + name;
    }
    // After every peak's own columns, so that the columns of a summary without levels keep their places.
    for (std::size_t k = 1; anyLevel && k <= peaks; ++k) {
        const std::string p = ",peak" + std::to_string(k) + "_";
        text += p + "atomic_percent" + p + "atomic_percent_err";
    }
    return text + ",converged,flags\n";
}

std::string summaryLine(const BatchItem& item, const SummaryRow& row, SummaryShape shape,
                        SummaryColumns columns) {
    const auto [peaks, anyLevel] = shape;
    std::string text = columns.item ? std::to_string(row.item + 1) + "," : std::string();
    text += csvField(item.file);
    if (columns.block) {
        text += "," + (item.block < 0 ? std::string() : std::to_string(item.blockNumber));
        text += "," + csvField(item.blockLabel);
    }
    text += "," + exactNumberText(row.chiSquare);
    const std::vector<float> share = shares(row);
    for (std::size_t k = 0; k < peaks; ++k) {
        if (k >= row.peaks.size()) {
            text += ",,,,,,,,,";
            continue;
        }
        const PeakRow& p = row.peaks[k];
        text += "," + exactNumberText(p.position) + "," + exactNumberText(p.area) + "," +
                exactNumberText(p.fwhm) + "," + std::to_string(p.gl) + "," + cell(share[k]);
        for (float error : p.errors) text += "," + cell(error);
    }
    for (std::size_t k = 0; anyLevel && k < peaks; ++k) {
        if (k >= row.peaks.size()) {
            text += ",,";
            continue;
        }
        text += "," + cell(row.peaks[k].atomicPercent) + "," + cell(row.peaks[k].atomicPercentError);
    }
    return text + (row.converged ? ",yes," : ",no,") + csvField(fitFlagsText(row.flags)) + '\n';
}

std::string summaryJsonLine(const BatchItem& item, const SummaryRow& row, SummaryColumns columns) {
    JsonWriter json(JsonWriter::Layout::OneLine);
    json.beginObject();
    if (columns.item) json.key("item").value(static_cast<int>(row.item + 1));
    json.key("file").value(item.file);
    if (item.block < 0) {
        json.key("block").null().key("block_label").null();
    } else {
        json.key("block").value(item.blockNumber).key("block_label").value(item.blockLabel);
    }
    json.key("chi_square").value(row.chiSquare).key("converged").value(row.converged);
    json.key("flags").beginArray();
    for (const FitFlag& flag : row.flags) json.value(fitFlagText(flag));
    json.endArray();
    json.key("peaks").beginArray();
    const std::vector<float> share = shares(row);
    for (std::size_t k = 0; k < row.peaks.size(); ++k) {
        const PeakRow& p = row.peaks[k];
        json.beginObject();
        json.key("position").value(p.position).key("area").value(p.area).key("fwhm").value(p.fwhm);
        // A number that is not one (an empty cell of the summary) is written as null.
        json.key("gl").value(p.gl).key("share").value(share[k]);
        for (std::size_t e = 0; e < kErrorNames.size(); ++e) json.key(kErrorNames[e]).value(p.errors[e]);
        json.key("atomic_percent").value(p.atomicPercent);
        json.key("atomic_percent_err").value(p.atomicPercentError);
        json.endObject();
    }
    json.endArray().endObject();
    return json.text();
}

}  // namespace vortlan::cli
