#include "session/options_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/file_names.h"
#include "support/temp_dir.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using Messages = std::vector<std::string>;

class OptionsDialogTest : public ::testing::Test {
  protected:
    OptionsDialogTest() {
        options() = defaultFitOptions();
        loadOptionsDialog(session);
        port.windows = {};
    }
    FitOptions& options() { return session.workspace.options; }
    OptionsDialog& dialog() { return session.dialogs.options; }
    bool shown() const { return port.window(Window::Options).visible; }
    // Applies and returns the messages shown by it.
    Messages apply() {
        port.messages.clear();
        applyOptionsDialog(session);
        return port.messages;
    }

    RecordingPort port;
    Session session{port};
    testing::TempDir directory;
};

TEST_F(OptionsDialogTest, LoadShowsTheOptionsInTheirTexts) {
    FitOptions& o = options();
    o = {0.0f, 7, 200, 0.0001f};
    o.searchArea[3] = {kFalse, 12.25f, 1.0f / 3.0f};
    o.newtonFwhm[2] = {kTrue, 0.00002f};
    loadOptionsDialog(session);
    const OptionsDialog& d = dialog();
    EXPECT_TRUE(d.UseSearch && !d.UseNewton);
    EXPECT_EQ(d.SearchTrial, "7");
    EXPECT_EQ(d.NewtonTrial, "200");
    EXPECT_EQ(d.TolVal, "0.01");
    EXPECT_EQ(d.AreaSearchCheck[3], 0);
    EXPECT_EQ(d.AreaRange[3], "12.25");
    EXPECT_EQ(d.AreaStep[3], "0.3333333");
    EXPECT_EQ(d.FWHMNewtonCheck[2], 1);
    EXPECT_EQ(d.FWHMDelta[2], "2E-05");
    EXPECT_TRUE(!d.GLSum && d.GLProduct && !session.dialogs.peak.AsyFrameEnabled);
    EXPECT_TRUE(shown());

    // Any method other than 0 shows as Newton; the percentage shows the 7 digits a single carries.
    o.methodFlag = 0.5f;
    o.tolerance = 0.000123f;
    o.glSum = kTrue;
    loadOptionsDialog(session);
    EXPECT_TRUE(d.UseNewton && !d.UseSearch);
    EXPECT_EQ(d.TolVal, "0.0123");
    EXPECT_TRUE(d.GLSum && !d.GLProduct && session.dialogs.peak.AsyFrameEnabled);
}

TEST_F(OptionsDialogTest, LoadThenApplyGivesBackTheSameOptionsAndHides) {
    port.showWindow(Window::Options);
    EXPECT_EQ(apply(), Messages{});
    EXPECT_EQ(options(), defaultFitOptions());
    EXPECT_FALSE(shown());
}

// Every box made wrong at once; mending each in turn brings the next message, in the dialog's order.
TEST_F(OptionsDialogTest, ReportsTheFirstRefusedValueInTheDialogsOrder) {
    OptionsDialog& d = dialog();
    d.SearchTrial = "0";
    d.NewtonTrial = "201";
    d.TolVal = "101";
    d.PosRange[0] = d.PosStep[0] = d.AreaRange[0] = d.FWHMStep[0] = d.PosDelta[0] = d.FWHMDelta[0] = "0";
    d.AreaDelta[0] = "-0.1";
    d.PosSearchCheck[1] = d.FWHMNewtonCheck[3] = 1;
    d.PosRange[1] = d.FWHMDelta[3] = "abc";
    const struct {
        const char* message;
        std::string* box;
    } steps[] = {
        {"No. of trials for Search method must be in the range 1-200", &d.SearchTrial},
        {"No. of trials for Newton's method must be in the range 1-200", &d.NewtonTrial},
        {"% Tolerence must be in the range 0-100", &d.TolVal},
        {"Range value for Position of level 1 must be >0", &d.PosRange[0]},
        {"Step value for Position of level 1 must be >0", &d.PosStep[0]},
        {"Range value for Area of level 1 must be >0", &d.AreaRange[0]},
        {"Step value for FWHM of level 1 must be >0", &d.FWHMStep[0]},
        {"Delta value for Position of level 1 must be >0", &d.PosDelta[0]},
        {"Delta value for Area of level 1 must be >0", &d.AreaDelta[0]},
        {"Delta value for FWHM of level 1 must be >0", &d.FWHMDelta[0]},
        {"Range value for Position of level 2 must be >0", &d.PosRange[1]},
        {"Delta value for FWHM of level 4 must be >0", &d.FWHMDelta[3]},
    };
    port.showWindow(Window::Options);
    for (const auto& step : steps) {
        EXPECT_EQ(apply(), Messages{step.message});
        EXPECT_TRUE(shown());
        *step.box = "1";
    }
    EXPECT_EQ(apply(), Messages{});
    EXPECT_FALSE(shown());
}

TEST_F(OptionsDialogTest, ValuesBeforeARefusedOneStayStoredAndALevelIsStoredWhole) {
    dialog().UseSearch = true;
    dialog().SearchTrial = "9";
    dialog().NewtonTrial = "2000";
    apply();
    EXPECT_EQ(options().methodFlag, 0.0f);
    EXPECT_EQ(options().searchTrials, 9);
    EXPECT_EQ(options().newtonTrials, defaultFitOptions().newtonTrials);

    dialog().NewtonTrial = "3";
    dialog().PosRange[0] = "0.7";
    options().searchPosition[1] = {kFalse, 0.0f, 0.0f};
    dialog().PosSearchCheck[1] = 1;
    dialog().PosRange[1] = "0.5";
    dialog().PosStep[1] = "1e-50";  // above 0, but 0 as a single
    EXPECT_EQ(apply(), Messages{"Step value for Position of level 2 must be >0"});
    EXPECT_EQ(options().searchPosition[0].range, 0.7f);
    EXPECT_EQ(options().searchPosition[1], (SearchLevel{kFalse, 0.0f, 0.0f}));
}

TEST_F(OptionsDialogTest, TrialCountsAndToleranceTakeTheirLeadingNumbers) {
    const struct {
        std::string OptionsDialog::*box;
        const char* text;
        bool accepted;
        std::function<float(const FitOptions&)> stored;
        float expected;
    } cases[] = {
        {&OptionsDialog::SearchTrial, "199.5", true, [](auto& o) { return o.searchTrials; }, 200},
        {&OptionsDialog::SearchTrial, "200.5", true, [](auto& o) { return o.searchTrials; }, 200},
        {&OptionsDialog::NewtonTrial, " 1.5x", true, [](auto& o) { return o.newtonTrials; }, 2},
        {&OptionsDialog::SearchTrial, "0", false, nullptr, 0},
        {&OptionsDialog::SearchTrial, "0.5", false, nullptr, 0},
        {&OptionsDialog::SearchTrial, "201", false, nullptr, 0},
        {&OptionsDialog::SearchTrial, "abc", false, nullptr, 0},
        {&OptionsDialog::NewtonTrial, "32768", false, nullptr, 0},
        {&OptionsDialog::TolVal, "0", true, [](auto& o) { return o.tolerance; }, 0.0f},
        {&OptionsDialog::TolVal, "100", true, [](auto& o) { return o.tolerance; }, 1.0f},
        {&OptionsDialog::TolVal, "100.0001", false, nullptr, 0},
        {&OptionsDialog::TolVal, "-0.0001", false, nullptr, 0},
    };
    for (const auto& c : cases) {
        loadOptionsDialog(session);
        const FitOptions before = options();
        dialog().*c.box = c.text;
        const bool accepted = apply().empty();
        EXPECT_EQ(accepted, c.accepted) << c.text;
        if (accepted) {
            EXPECT_EQ(c.stored(options()), c.expected) << c.text;
        } else {
            EXPECT_EQ(options(), before) << c.text;
        }
    }
}

// Empty is no limit; a width above 0 and up to 20 eV is one; anything else is refused and keeps the
// limit there was.
TEST_F(OptionsDialogTest, InstrumentLimitIsAWidthOrNone) {
    const struct {
        const char* text;
        bool accepted;
        std::optional<double> stored;
    } cases[] = {
        {"0.45", true, 0.45}, {"", true, std::nullopt}, {"  ", true, std::nullopt},
        {"20", true, 20.0},   {"0.3 eV", true, 0.3},    {"0", false, 0.6},
        {"-1", false, 0.6},   {"abc", false, 0.6},      {"20.5", false, 0.6},
    };
    for (const auto& c : cases) {
        session.workspace.instrumentFwhm = 0.6;
        loadOptionsDialog(session);
        EXPECT_EQ(dialog().InstrumentFwhm, "0.6");
        dialog().InstrumentFwhm = c.text;
        EXPECT_EQ(apply().empty(), c.accepted) << c.text;
        EXPECT_EQ(session.workspace.instrumentFwhm, c.stored) << c.text;
        EXPECT_EQ(shown(), !c.accepted) << c.text;
    }
}

TEST_F(OptionsDialogTest, OnlyLevelsInUseAreChecked) {
    const SearchLevel before = options().searchArea[2];
    dialog().AreaSearchCheck[2] = 0;
    dialog().AreaRange[2] = "0";
    dialog().AreaStep[2] = "abc";
    EXPECT_EQ(apply(), Messages{});
    EXPECT_EQ(options().searchArea[2], (SearchLevel{kFalse, before.range, before.step}));

    loadOptionsDialog(session);
    dialog().PosSearchCheck[0] = 1;
    dialog().PosRange[0] = "0";
    EXPECT_EQ(apply(), Messages{"Range value for Position of level 1 must be >0"});
}

TEST_F(OptionsDialogTest, MethodAndFormButtonsActAtOnce) {
    const struct {
        bool OptionsDialog::*button;
        void (*click)(Session&);
        bool newState;
        bool newton;
    } methods[] = {
        {&OptionsDialog::UseNewton, clickUseNewton, true, true},
        {&OptionsDialog::UseNewton, clickUseNewton, false, false},
        {&OptionsDialog::UseSearch, clickUseSearch, true, false},
        {&OptionsDialog::UseSearch, clickUseSearch, false, true},
    };
    for (const auto& c : methods) {
        dialog().*c.button = c.newState;
        c.click(session);
        EXPECT_EQ(options().methodFlag, c.newton ? 1.0f : 0.0f);
        EXPECT_TRUE(dialog().UseNewton == c.newton && dialog().UseSearch == !c.newton);
    }
    const struct {
        bool OptionsDialog::*button;
        void (*click)(Session&);
        bool newState;
        bool sum;
    } forms[] = {
        {&OptionsDialog::GLSum, clickGLSum, false, false},
        {&OptionsDialog::GLSum, clickGLSum, true, true},
        {&OptionsDialog::GLProduct, clickGLProduct, true, false},
        {&OptionsDialog::GLProduct, clickGLProduct, false, true},
    };
    for (const auto& c : forms) {
        dialog().*c.button = c.newState;
        c.click(session);
        EXPECT_EQ(options().glSum, c.sum ? kTrue : kFalse);
        EXPECT_EQ(session.dialogs.peak.AsyFrameEnabled, c.sum);
        EXPECT_TRUE(dialog().GLSum == c.sum && dialog().GLProduct == !c.sum);
    }
}

TEST_F(OptionsDialogTest, WrittenFileReadsBackIntoTheDialog) {
    session.workspace.fileName = directory.file("fit.opa");
    options().searchTrials = 11;
    options().newtonArea[3] = {kFalse, -2.0f};
    const FitOptions written = options();
    writeOptionFile(session);
    options() = FitOptions{};
    EXPECT_TRUE(readOptionFile(session));
    EXPECT_EQ(options(), written);
    EXPECT_EQ(dialog().SearchTrial, "11");
    EXPECT_TRUE(shown());
    EXPECT_EQ(port.messages, Messages{});
}

TEST_F(OptionsDialogTest, LevenbergMarquardtIsFlagTwoInTheDialogAndTheFile) {
    dialog().UseLM = true;
    clickUseLM(session);
    EXPECT_EQ(options().methodFlag, kLeastSquaresMethodFlag);
    EXPECT_TRUE(dialog().UseLM && !dialog().UseNewton && !dialog().UseSearch);
    EXPECT_TRUE(applyOptionsDialog(session));
    EXPECT_EQ(options().methodFlag, 2.0f);

    session.workspace.fileName = directory.file("lm.opa");
    ASSERT_TRUE(writeOptionFile(session));
    EXPECT_EQ(testing::readWholeFile(session.workspace.fileName).size(), kOptionFileSize);
    options().methodFlag = 0.0f;
    loadOptionsDialog(session);
    ASSERT_TRUE(readOptionFile(session));
    EXPECT_EQ(options().methodFlag, 2.0f);
    EXPECT_TRUE(dialog().UseLM && !dialog().UseNewton && !dialog().UseSearch);

    // Another flag an older version might have written is Newton's method, as before.
    options().methodFlag = 3.0f;
    loadOptionsDialog(session);
    EXPECT_TRUE(dialog().UseNewton && !dialog().UseLM);
}

TEST_F(OptionsDialogTest, UnreadableFileChangesNothing) {
    testing::writeWholeFile(directory.file("short.opa"), encodeOptionFile(options()).substr(0, 100));
    options().searchTrials = 3;
    for (const std::string& path :
         {directory.file("short.opa"), directory.file("missing.opa"), directory.file("")}) {
        session.workspace.fileName = path;
        port.messages.clear();
        EXPECT_FALSE(readOptionFile(session));
        EXPECT_EQ(port.messages, Messages{"Error in reading file"}) << path;
        EXPECT_EQ(options().searchTrials, 3);
        EXPECT_FALSE(shown());
    }
}

TEST_F(OptionsDialogTest, WriteFailureIsReportedAndTheOldFileKept) {
    // A name as long as a name may be leaves no room for the temporary file written beside it, which
    // fails the write whoever runs the test.
    const std::string existing = directory.file(std::string(255, 'o'));
    testing::writeWholeFile(existing, "previous");
    for (const std::string& path : {directory.file("no such directory/fit.opa"), existing}) {
        session.workspace.fileName = path;
        port.messages.clear();
        writeOptionFile(session);
        EXPECT_EQ(port.messages, Messages{"Error in writing file"}) << path;
    }
    EXPECT_EQ(testing::readWholeFile(existing), "previous");
}

TEST_F(OptionsDialogTest, StartUpWithoutAReadableDefaultFileTakesTheBuiltInDefaults) {
    options() = FitOptions{};
    const std::string path = directory.file("default.opa");
    EXPECT_TRUE(readDefaultOptionFile(session, path));
    EXPECT_EQ(session.workspace.fileName, path);
    EXPECT_EQ(options(), defaultFitOptions());
    EXPECT_EQ(port.messages, Messages{});
    EXPECT_TRUE(shown());
    EXPECT_FALSE(std::filesystem::exists(path));

    // A damaged file says so, and the defaults apply rather than the empty options it found.
    FitOptions damaged = defaultFitOptions();
    damaged.newtonTrials = 0;
    for (const std::string& bytes : {std::string("short"), encodeOptionFile(damaged)}) {
        options() = FitOptions{};
        port.messages.clear();
        testing::writeWholeFile(path, bytes);
        EXPECT_FALSE(readDefaultOptionFile(session, path));
        EXPECT_EQ(port.messages, Messages{"Error in reading file"});
        EXPECT_EQ(options(), defaultFitOptions());
        EXPECT_EQ(dialog().NewtonTrial, std::to_string(defaultFitOptions().newtonTrials));
    }
}

TEST_F(OptionsDialogTest, SaveWritesTheOptionsAsTheyStandAfterARefusal) {
    session.workspace.fileName = directory.file("saved.opa");
    dialog().SearchTrial = "15";
    dialog().NewtonTrial = "0";
    saveOptionsCommand(session);
    EXPECT_EQ(port.messages, Messages{"No. of trials for Newton's method must be in the range 1-200"});
    FitOptions saved;
    std::ifstream in(session.workspace.fileName, std::ios::binary);
    ASSERT_EQ(decodeOptionFile(in, saved), OptionFileRead::Complete);
    EXPECT_EQ(saved.searchTrials, 15);
    EXPECT_EQ(saved.newtonTrials, defaultFitOptions().newtonTrials);
}

TEST(ProposedFileName, EverythingAfterTheFirstDotReplaced) {
    EXPECT_EQ(proposedFileName("spectrum.xps", "opa"), "spectrum.opa");
    EXPECT_EQ(proposedFileName("fit.v2.xps", "opa"), "fit.opa");
    EXPECT_EQ(proposedFileName("trailing.", "opa"), "trailing.opa");
    EXPECT_EQ(proposedFileName("noextension", "opa"), "noextension");
    EXPECT_EQ(proposedFileName("/data/my.dir/sample", "xps"), "/data/my.dir/sample");
    EXPECT_EQ(proposedFileName("C:\\data\\sample.dat", "xps"), "C:\\data\\sample.xps");
}

}  // namespace
}  // namespace vortlan
