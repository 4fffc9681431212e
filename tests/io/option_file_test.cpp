#include "io/option_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <limits>
#include <sstream>

#include "support/temp_dir.h"

namespace vortlan {
namespace {

// Every value distinct.  Levels 1 and 3 are in use; 2 and 4 are not, and level 4 holds values no
// level in use may hold.
FitOptions distinctOptions() {
    FitOptions o{0.5f, 17, 23, 0.125f};
    for (int i = 0; i < kLevelCount; ++i) {
        const short use = i % 2 == 0 ? kTrue : kFalse;
        const float base = (i == 3 ? -100.0f : 100.0f) * static_cast<float>(i + 1);
        o.searchPosition[i] = {use, base + 1.5f, base + 2.5f};
        o.searchArea[i] = {use, base + 3.5f, base + 4.5f};
        o.searchFwhm[i] = {use, base + 5.5f, base + 6.5f};
        o.newtonPosition[i] = {use, base + 7.5f};
        o.newtonArea[i] = {use, base + 8.5f};
        o.newtonFwhm[i] = {use, base + 9.5f};
    }
    return o;
}

OptionFileRead decode(const std::string& bytes, FitOptions& options) {
    std::istringstream in(bytes);
    return decodeOptionFile(in, options);
}

TEST(OptionFile, FieldsLieAtTheirOffsets) {
    const std::string bytes = encodeOptionFile(distinctOptions());
    ASSERT_EQ(bytes.size(), 206u);
    const auto at = [&](std::size_t offset, std::size_t size) {
        std::uint32_t bits = 0;
        for (std::size_t i = 0; i < size; ++i)
            bits |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << 8 * i;
        return bits;
    };
    const auto single = [&](std::size_t offset) { return std::bit_cast<float>(at(offset, 4)); };
    EXPECT_EQ(single(0), 0.5f);
    EXPECT_EQ(at(4, 2), 17u);
    EXPECT_EQ(at(6, 2), 23u);
    EXPECT_EQ(single(8), 0.125f);
    EXPECT_EQ(at(12, 2), 0xFFFFu);  // level 1 position search in use
    EXPECT_EQ(single(14), 101.5f);  // its range
    EXPECT_EQ(single(28), 104.5f);  // area search step
    EXPECT_EQ(single(38), 106.5f);  // FWHM search step
    EXPECT_EQ(single(44), 107.5f);  // Newton position delta
    EXPECT_EQ(single(56), 109.5f);  // Newton FWHM delta
    EXPECT_EQ(at(60, 2), 0u);       // level 2 position search not in use
    EXPECT_EQ(single(62), 201.5f);
    EXPECT_EQ(single(200), -390.5f);  // level 4 Newton FWHM delta
    EXPECT_EQ(at(204, 2), 0u);        // glSum
}

TEST(OptionFile, ReadsBackEveryFieldIncludingLevelsNotInUse) {
    FitOptions written = distinctOptions();
    written.glSum = kTrue;
    FitOptions read;
    EXPECT_EQ(decode(encodeOptionFile(written), read), OptionFileRead::Complete);
    EXPECT_EQ(read, written);
}

// Only the whole record counts: cut anywhere before the line form, nothing changes; without the line
// form (an older file) everything else is taken and the form stays; bytes after the record are not read.
TEST(OptionFile, LengthDecidesWhatIsTaken) {
    FitOptions written = distinctOptions();
    written.glSum = kTrue;
    const std::string whole = encodeOptionFile(written) + "trailing bytes";
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        FitOptions read = defaultFitOptions();
        read.glSum = kFalse;
        FitOptions expected = length < 204 ? read : written;
        if (length < 206) expected.glSum = kFalse;
        const OptionFileRead result = decode(whole.substr(0, length), read);
        EXPECT_EQ(result, length < 204   ? OptionFileRead::Failed
                          : length < 206 ? OptionFileRead::WithoutGlForm
                                         : OptionFileRead::Complete)
            << length;
        EXPECT_EQ(read, expected) << length;
    }
}

TEST(OptionFile, RefusesValuesTheOptimisersCannotRunOn) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        std::function<void(FitOptions&)> change;
        bool accepted;
    } cases[] = {
        {[](FitOptions& o) { o.searchTrials = 0; }, false},
        {[](FitOptions& o) { o.newtonTrials = 201; }, false},
        {[](FitOptions& o) {
             o.searchTrials = 1;
             o.newtonTrials = 200;
         },
         true},
        {[](FitOptions& o) { o.tolerance = -0.001f; }, false},
        {[](FitOptions& o) { o.tolerance = 1.0001f; }, false},
        {[](FitOptions& o) { o.tolerance = nan; }, false},
        {[](FitOptions& o) { o.tolerance = 1.0f; }, true},
        {[](FitOptions& o) { o.methodFlag = std::numeric_limits<float>::infinity(); }, false},
        {[](FitOptions& o) { o.methodFlag = 2.0f; }, true},  // kept as it is
        {[](FitOptions& o) { o.searchPosition[0].range = 0.0f; }, false},
        {[](FitOptions& o) { o.searchArea[2].step = -1.0f; }, false},
        {[](FitOptions& o) { o.searchFwhm[2].range = nan; }, false},
        {[](FitOptions& o) { o.newtonFwhm[2].delta = 0.0f; }, false},
        {[](FitOptions& o) { o.newtonPosition[3].use = 1; }, false},  // any non-zero use is in use
        {[](FitOptions& o) {
             o.searchPosition[1] = {kFalse, nan, 0.0f};
         },
         true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        FitOptions written = distinctOptions();
        cases[i].change(written);
        const std::string bytes = encodeOptionFile(written);
        FitOptions read = defaultFitOptions();
        const OptionFileRead result = decode(bytes, read);
        EXPECT_EQ(result == OptionFileRead::Complete, cases[i].accepted) << "case " << i;
        // Compared as bytes, since a NaN never equals itself.
        EXPECT_EQ(encodeOptionFile(read), cases[i].accepted ? bytes : encodeOptionFile(defaultFitOptions()))
            << "case " << i;
    }
}

TEST(OptionFile, ShippedDefaultFileHoldsTheDefaults) {
    const std::string shipped = testing::readWholeFile(std::string(VORTLAN_SOURCE_DIR) + "/default.opa");
    EXPECT_EQ(shipped, encodeOptionFile(defaultFitOptions()));
    FitOptions read;
    EXPECT_EQ(decode(shipped, read), OptionFileRead::Complete);
}

}  // namespace
}  // namespace vortlan
