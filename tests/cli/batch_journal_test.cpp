// The journal a batch resumes from, and the words of its progress line.

#include "cli/batch_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <sstream>

#include "cli/batch_progress.h"
#include "support/temp_dir.h"

namespace vortlan::cli {
namespace {

using testing::readWholeFile;
using testing::TempDir;
using testing::writeWholeFile;

SummaryRow rowOfTwoPeaks() {
    const float none = std::nanf("");
    return {0,
            1.25f,
            true,
            true,
            {{284.80002f,
              21864.799f,
              1.196271f,
              30,
              {0.0034541984f, 139.44351f, 0.006505369f, none},
              68.1f,
              0.4f},
             {286.3f, 1.2345678e7f, 1.3f, 0, {none, none, none, none}, none, none}},
            {{1, FitFlagCause::OutsideRange, PeakParam::Position},
             {0, FitFlagCause::NotDetermined, PeakParam::Fwhm}}};
}

TEST(BatchJournalTest, RowsReadBackExactlyAndACutLineOrOtherSettingsGiveNothing) {
    TempDir dir;
    const std::string path = dir.file(".batch-journal");
    const SummaryRow row = rowOfTwoPeaks();
    const std::string settings = "c1s.rpa\t\tauto\t";
    {
        JournalWriter journal(path, settings);
        journal.start();
        journal.append({"a\tb.txt", -1, 0, "", "a"}, row);
        journal.append({"multi.vms", 2, 3, "C 1s", "multi.b3-C_1s"}, row);
    }
    const std::optional<JournalEntry> found = JournalReader(path, settings).find("a");
    ASSERT_TRUE(found);
    const JournalEntry& a = *found;
    EXPECT_EQ(a.file, "a\tb.txt");
    EXPECT_EQ(JournalReader(path, settings).find("multi.b3-C_1s")->block, 2);
    EXPECT_EQ(a.row.chiSquare, row.chiSquare);
    EXPECT_TRUE(a.row.converged && a.row.hasLevel);
    ASSERT_EQ(a.row.peaks.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        const PeakRow& got = a.row.peaks[k];
        const PeakRow& want = row.peaks[k];
        EXPECT_EQ(got.position, want.position);
        EXPECT_EQ(got.area, want.area);
        EXPECT_EQ(got.gl, want.gl);
        for (std::size_t e = 0; e < 4; ++e)
            EXPECT_TRUE(got.errors[e] == want.errors[e] ||
                        (std::isnan(got.errors[e]) && std::isnan(want.errors[e])));
        EXPECT_EQ(std::isnan(got.atomicPercent), std::isnan(want.atomicPercent));
    }
    EXPECT_LE(a.finished, fileClockNow());

    // A run killed while writing its last line.
    const std::string text = readWholeFile(path);
    writeWholeFile(path, text.substr(0, text.size() - 20));
    EXPECT_FALSE(JournalReader(path, settings).find("multi.b3-C_1s"));
    // Taken over, the cut line is dropped, the kept line stays as it was and new lines follow whole
    // ones; until the new journal starts, the old one is in place.
    {
        JournalReader earlier(path, settings);
        JournalWriter journal(path, settings);
        journal.keep(*earlier.find("a"));
        EXPECT_EQ(readWholeFile(path), text.substr(0, text.size() - 20));
        journal.start();
        journal.append({"multi.vms", 2, 3, "C 1s", "multi.b3-C_1s"}, row);
    }
    const std::string taken = readWholeFile(path);
    EXPECT_EQ(taken.substr(0, text.find("multi")), text.substr(0, text.find("multi")));
    EXPECT_EQ(std::count(taken.begin(), taken.end(), '\n'), 3);
    EXPECT_TRUE(JournalReader(path, settings).find("multi.b3-C_1s"));
    EXPECT_FALSE(JournalReader(path, "other.rpa\t\tauto\t").find("a"));
    EXPECT_FALSE(JournalReader(dir.file("missing"), settings).find("a"));
}

// A name finished twice (a spectrum fitted again) counts by its last line.
TEST(BatchJournalTest, ANamesLastLineCountsAndEveryNameIsFoundAmongThousands) {
    TempDir dir;
    const std::string path = dir.file(".batch-journal");
    SummaryRow row = rowOfTwoPeaks();
    {
        JournalWriter journal(path, "s");
        journal.start();
        for (int k = 0; k < 3000; ++k) {
            row.chiSquare = static_cast<float>(k);
            journal.append({"f" + std::to_string(k % 1000), -1, 0, "", "n" + std::to_string(k % 1000)}, row);
        }
    }
    JournalReader reader(path, "s");
    for (int k = 0; k < 1000; ++k) {
        const std::optional<JournalEntry> entry = reader.find("n" + std::to_string(k));
        ASSERT_TRUE(entry) << k;
        EXPECT_EQ(entry->row.chiSquare, static_cast<float>(2000 + k));
        EXPECT_EQ(entry->file, "f" + std::to_string(k));
    }
    EXPECT_FALSE(reader.find("n1000"));
}

TEST(BatchProgressTest, LineGivesDoneRateAndTimeLeftOnlyOnATerminal) {
    EXPECT_EQ(progressText(0, 10, 0.0), "0/10 spectra");
    EXPECT_EQ(progressText(30, 1000, 2.5), "30/1000 spectra, 2.5/s, about 6:28 left");

    std::ostringstream terminal, file;
    ProgressLine shown(terminal, true, 0, 10);
    ProgressLine quiet(file, false, 0, 10);
    const auto start = ProgressLine::Clock::now();
    for (int k = 1; k <= 10; ++k) {
        shown.show(k, start + std::chrono::milliseconds(50 * k));
        quiet.show(k, start + std::chrono::milliseconds(50 * k));
    }
    shown.clear();
    quiet.clear();
    EXPECT_EQ(file.str(), "");
    // Every 200 ms at most over half a second, then cleared.
    std::size_t redraws = 0;
    for (std::size_t at = 0; (at = terminal.str().find("\r\033[K", at)) != std::string::npos; ++at) ++redraws;
    EXPECT_LE(redraws, 4u);
    EXPECT_GE(redraws, 3u);
    EXPECT_EQ(terminal.str().substr(terminal.str().size() - 4), "\r\033[K");
}

}  // namespace
}  // namespace vortlan::cli
