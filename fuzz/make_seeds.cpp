// Writes the seeds that vortlan-cli cannot write: a project in the previous version and in the oldest
// layout, projects with the section after the description, a region parameter file in the older
// layout, an option file of the older size, and a Kratos export with a fitted region.  Each is made
// from files our own tools wrote (a fitted project and its region parameter file) and the shipped C 1s
// example, through the program's readers and record writers.
//
//     vortlan-fuzz-seeds PROJECT.xps MODEL.rpa KRATOS.des CORPUS_DIR

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "io/binary_io.h"
#include "io/option_file.h"
#include "io/project_file.h"
#include "io/records_io.h"
#include "io/region_parameter_file.h"
#include "session/region_operations.h"
#include "workspace/recording_port.h"
#include "workspace/resize.h"

using namespace vortlan;

namespace {

constexpr int kOldestPeakCount = 21;
constexpr std::string_view kPresent = "DP";
constexpr std::string_view kAbsent = "DA";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    std::cout << path.string() << ": " << bytes.size() << " bytes\n";
}

// What follows the scratch peak in the oldest layout, which holds no description.
void writeTail(BinaryWriter& out, const Workspace& ws) {
    out.writeShort(ws.peakTotal);
    out.writeSingle(ws.totalChiSquare);
    out.writeSingle(ws.areaScrollUnit);
    out.writeShort(ws.currentRegion);
}

// The oldest layout: fixed blocks of 2001 singles for every array, 21 peak entries, constraint groups
// without limits, and no description.
std::string oldestProject(const Workspace& ws) {
    BinaryWriter out;
    out.writeBytes(kOldestProjectMark);
    for (const Region& r : ws.regions) {
        if (!isTrue(r.defined)) {
            out.writeBytes(kAbsent);
            continue;
        }
        out.writeBytes(kPresent);
        // The fields are those of the current record; only the arrays are stored otherwise.
        writeRegionRecord(out, r, RegionArrays::FixedBlocks);
    }
    for (int p = 0; p < kOldestPeakCount; ++p) {
        const Peak& peak = ws.peaks[p];
        if (!isTrue(peak.defined)) {
            out.writeBytes(kAbsent);
            continue;
        }
        out.writeBytes(kPresent);
        writePeakHead(out, peak);
        out.writeFixedBlock(peak.curve, kFixedBlockSize);
        for (PeakParam param : kPeakParams) {
            const ParamConstraint& c = ws.constraints[p].of(param);
            for (short v : {c.linked, c.refPeak, c.isReference, c.tiedPeak, c.op}) out.writeShort(v);
            out.writeSingle(c.operand);
        }
    }
    out.writeShort(ws.currentPeak);
    writePeakHead(out, ws.scratchPeak);
    out.writeFixedBlock(PointArray(), kFixedBlockSize);
    out.writeArrayBlock(ws.scratchPeak.curve);
    writeTail(out, ws);
    return out.bytes();
}

// The region parameter file of the older layout: tagged numbers in the header, version-3 peaks.
std::string olderRegionParameters(const std::string& current) {
    std::istringstream in(current);
    const RegionParameterHeader header = readRegionParameterHeader(in);
    BinaryReader reader(in);
    BinaryWriter out;
    out.writeShort(static_cast<std::int16_t>(TaggedType::Short));
    out.writeShort(header.peakCount);
    out.writeShort(static_cast<std::int16_t>(TaggedType::Long));
    out.writeLong(header.rangeCount);
    out.writeShort(header.backgroundSet);
    out.writeShort(header.backgroundType);
    out.writeSingle(header.rangeHigh);
    out.writeShort(static_cast<std::int16_t>(TaggedType::Single));
    out.writeSingle(header.rangeLow);
    for (int k = 0; k < header.peakCount; ++k) {
        const RegionParameterEntry entry = readRegionParameterEntry(reader, PeakLayout::Version4);
        writePeakRecord(out, entry.peak, PeakLayout::Version3);
        writeConstraints(out, entry.constraints);
    }
    return out.bytes();
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// The Kratos export of the example with the project's fitted region inserted before the data, as
// the instrument's software writes one: twelve region values and 27 values for each component.
std::string fittedKratos(const std::string& plain, const Workspace& ws) {
    const Region& r = ws.regions[ws.currentRegion];
    std::string block = "Regions = 1\n";
    const std::string values[] = {"1",
                                  " C 1s",
                                  "eV",
                                  fixed(r.rangeLow, 2),
                                  fixed(r.rangeHigh, 2),
                                  "0",
                                  "1",
                                  r.backgroundType == 0 ? "SHIRLEY" : "LINEAR",
                                  "0",
                                  "0",
                                  "0",
                                  std::to_string(r.peakCount)};
    for (const std::string& value : values) block += "Region value =" + value + "\n";
    block += "Components =\n";
    for (int s = 0; s < r.peakCount; ++s) {
        const Peak& p = ws.peaks[r.peakSlots[s]];
        for (int v = 1; v <= 27; ++v) {
            const std::string value = v == 1    ? "C" + std::to_string(s + 1)
                                      : v == 2  ? "GL(" + std::to_string(p.gl) + ")"
                                      : v == 13 ? fixed(p.position, 2)
                                      : v == 19 ? fixed(p.height, 2)
                                      : v == 25 ? fixed(p.fwhm, 3)
                                                : "0";
            block += "  parameter " + std::to_string(v) + " = " + value + "\n";
        }
    }
    const std::size_t data = plain.find("Kinetic Energy");
    if (data == std::string::npos) throw std::runtime_error("the Kratos example has no data heading");
    return plain.substr(0, data) + block + plain.substr(data);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: vortlan-fuzz-seeds PROJECT.xps MODEL.rpa KRATOS.des CORPUS_DIR\n";
        return 2;
    }
    try {
        const std::filesystem::path corpus = argv[4];
        RecordingPort port;
        Session session(port);
        std::istringstream project(readFile(argv[1]));
        const ProjectReadResult read = decodeProject(project, session.workspace);
        if (read.status != ProjectRead::Complete) throw std::runtime_error("the project cannot be read");
        Workspace& ws = session.workspace;
        if (read.description) ws.description = *read.description;

        writeFile(corpus / "project" / "c1s-version3.xps", encodeProject(ws, PeakLayout::Version3));
        // The section after the description, as an import that named its intensity unit leaves it.
        ws.regions[0].intensityUnit = "c/s";
        writeFile(corpus / "project" / "c1s-units.xps", encodeProject(ws));
        // Every record of the section, as a quantified project leaves it.
        Workspace quantified = ws;
        quantified.regions[0].coreLevel = "C 1s";
        quantified.regions[0].sourceEnergy = 1486.6;
        quantified.regions[0].sensitivityOverride = 1.0;
        const Region& measured = quantified.regions[0];
        quantified.regions[0].acquisition = {
            0.1, 10, std::vector<float>(static_cast<std::size_t>(measured.pointCount), 0.8f)};
        quantified.quantSettings = {1253.6, 0.75, 0.5, QuantArea::Background};
        writeFile(corpus / "project" / "c1s-quantified.xps", encodeProject(quantified));
        ws.regions[0].intensityUnit.clear();
        writeFile(corpus / "kratos" / "c1s-fitted.des", fittedKratos(readFile(argv[3]), ws));
        // Three peaks keep the oldest layout's fixed blocks under 100 kB.
        while (currentRegionOf(ws).peakCount > 3) {
            const Region& r = currentRegionOf(ws);
            ws.currentPeak = r.peakSlots[r.peakCount - 1];
            deletePeak(session);
        }
        writeFile(corpus / "project" / "c1s-oldest.xps", oldestProject(ws));

        writeFile(corpus / "region_parameters" / "c1s-older.rpa", olderRegionParameters(readFile(argv[2])));
        writeFile(corpus / "option_file" / "older.opa",
                  encodeOptionFile(defaultFitOptions()).substr(0, kOlderOptionFileSize));
    } catch (const std::exception& e) {
        std::cerr << "vortlan-fuzz-seeds: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
