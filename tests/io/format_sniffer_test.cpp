#include "io/format_sniffer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace vortlan {
namespace {

SpectrumFormat sniff(const std::string& head) {
    return sniffFormat(head);
}

TEST(FormatSniffer, HeadsOfEachFormat) {
    EXPECT_EQ(sniff("\r\n  \r\nVAMAS Surface Chemical Analysis Standard Data Transfer Format 1988 May 4\r\n"
                    "Lab\r\n"),
              SpectrumFormat::Vamas);
    EXPECT_EQ(sniff("Dataset:\tx\nObject name:\tC 1s\n# ordinates = 3\nSource energy = 1486.6\n"
                    "Kinetic Energy (eV) Intensity (Counts)\n1196.6 2500\n"),
              SpectrumFormat::Kratos);
    // A fitted export lists its components first; the data header may lie beyond the head.
    EXPECT_EQ(sniff("Dataset:\tx\nObject name:\tC 1s\n# ord = 300\nRegions = 1\nRegion = 1\n"),
              SpectrumFormat::Kratos);
    // Without its data heading it is still Kratos, never two columns of kinetic energies.
    EXPECT_EQ(sniff("Dataset:\tx\nObject name:\tC 1s\n# ordinates = 2\nSource energy = 1486.6\n"
                    "Kinetic Energy (eV)\n1196.6 2500\n1196.7 2510\n"),
              SpectrumFormat::Kratos);
    EXPECT_EQ(sniff("Sample A\r\nRegions=2\r\nRegion 1\r\nC 1s\r\nPoints=300\r\n296.0\t2034\r\n295.9\t20"),
              SpectrumFormat::Leybold);
    EXPECT_EQ(sniff("\"Sample, etched\",Regions = 1\nx,O 1s,Points = 2\n540,100\n539.9,120\n"),
              SpectrumFormat::Leybold);
    EXPECT_EQ(sniff("Sample A\nC 1s survey\nC1s\n1\n280.0\n0.1\n201\n2500\n2510\n25"), SpectrumFormat::Phi);
    EXPECT_EQ(sniff("296.0 2034\n295.9 2040\n"), SpectrumFormat::Ascii);
    EXPECT_EQ(sniff("Binding Energy (eV)\tIntensity\n\n296.0\t2034\n295.9;2040\n295.8, 2051\n295.7 20"),
              SpectrumFormat::Ascii);
}

TEST(FormatSniffer, NearMisses) {
    // "VAMAS" below a first line of other text.
    EXPECT_EQ(sniff("Converted file\nVAMAS Surface Chemical Analysis\n"), SpectrumFormat::Unknown);
    // Kratos-like text without the ordinate count.
    EXPECT_EQ(sniff("Dataset:\tx\nSource energy = 1486.6\nKinetic Energy (Counts)\n"),
              SpectrumFormat::Unknown);
    // A region count without "=": the lines read as a header before the pairs.
    EXPECT_EQ(sniff("Sample A\nRegions 1\nRegion 1\nC 1s\nPoints 2\n296.0 2034\n295.9 2040\n"),
              SpectrumFormat::Ascii);
    // A first field that is a number cannot start a PHI description.
    EXPECT_EQ(sniff("12\nC 1s survey\nC1s\n1\n280.0\n0.1\n201\n2500\n"), SpectrumFormat::Unknown);
    // Whole-number pairs after three header lines are not a PHI header.
    EXPECT_EQ(sniff("Sample A\nAl K alpha\nC 1s\n295 2034\n294 2040\n293 2051\n292 2060\n"),
              SpectrumFormat::Ascii);
    EXPECT_EQ(sniff("296.0 2034 17\n295.9 2040 18\n"), SpectrumFormat::Unknown);  // three columns
    // Signs before a number: the two-column reader takes the line for its first pair, and fails on it.
    EXPECT_EQ(sniff("--5 3\n296.0 2034\n295.9 2040\n"), SpectrumFormat::Unknown);
    EXPECT_EQ(sniff("Notes\n2 samples were measured\n"), SpectrumFormat::Unknown);
    EXPECT_EQ(sniff("296.0 2034\n"), SpectrumFormat::Unknown);  // one pair is any text's line
    EXPECT_EQ(sniff(std::string("VORTLAN 4.0\0\x01\xff\x7f", 15)), SpectrumFormat::Unknown);
    EXPECT_EQ(sniff(""), SpectrumFormat::Unknown);
}

TEST(FormatSniffer, ShippedExamples) {
    const std::pair<const char*, SpectrumFormat> examples[] = {
        {"c1s.vms", SpectrumFormat::Vamas},  {"ti2p.vms", SpectrumFormat::Vamas},
        {"c1s.des", SpectrumFormat::Kratos}, {"c1s.dat", SpectrumFormat::Leybold},
        {"c1s.asc", SpectrumFormat::Phi},    {"c1s.txt", SpectrumFormat::Ascii},
    };
    for (const auto& [name, format] : examples) {
        std::ifstream in(std::string(VORTLAN_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        std::string head(kSniffHeadBytes, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
        EXPECT_EQ(formatName(sniffFormat(head)), formatName(format)) << name;
    }
}

}  // namespace
}  // namespace vortlan
