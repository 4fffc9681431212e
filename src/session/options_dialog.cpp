#include "session/options_dialog.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <system_error>

#include "base/number_reading.h"
#include "base/number_text.h"
#include "io/file_replace.h"
#include "session/instrument_limit.h"

namespace vortlan {

namespace {

using LevelChecks = std::array<int, kLevelCount>;
using LevelTexts = std::array<std::string, kLevelCount>;

// One column of search levels: where its options live and which controls show them.
struct SearchColumn {
    SearchLevels FitOptions::*levels;
    LevelChecks OptionsDialog::*check;
    LevelTexts OptionsDialog::*range;
    LevelTexts OptionsDialog::*step;
    const char* rangeMessage;
    const char* stepMessage;
};

struct NewtonColumn {
    NewtonLevels FitOptions::*levels;
    LevelChecks OptionsDialog::*check;
    LevelTexts OptionsDialog::*delta;
    const char* deltaMessage;
};

// In the order the dialog checks them within a level.
const std::array<SearchColumn, 3> kSearchColumns = {{
    {&FitOptions::searchPosition, &OptionsDialog::PosSearchCheck, &OptionsDialog::PosRange,
     &OptionsDialog::PosStep, "Range value for Position of level", "Step value for Position of level"},
    {&FitOptions::searchArea, &OptionsDialog::AreaSearchCheck, &OptionsDialog::AreaRange,
     &OptionsDialog::AreaStep, "Range value for Area of level", "Step value for Area of level"},
    {&FitOptions::searchFwhm, &OptionsDialog::FWHMSearchCheck, &OptionsDialog::FWHMRange,
     &OptionsDialog::FWHMStep, "Range value for FWHM of level", "Step value for FWHM of level"},
}};

const std::array<NewtonColumn, 3> kNewtonColumns = {{
    {&FitOptions::newtonPosition, &OptionsDialog::PosNewtonCheck, &OptionsDialog::PosDelta,
     "Delta value for Position of level"},
    {&FitOptions::newtonArea, &OptionsDialog::AreaNewtonCheck, &OptionsDialog::AreaDelta,
     "Delta value for Area of level"},
    {&FitOptions::newtonFwhm, &OptionsDialog::FWHMNewtonCheck, &OptionsDialog::FWHMDelta,
     "Delta value for FWHM of level"},
}};

constexpr double kMaxTolerancePercent = 100.0;

int checkValue(short use) {
    return isTrue(use) ? 1 : 0;
}

// The typed value as the single it will be stored in, when that is finite and above 0.  A text that
// reads as above 0 but rounds to a single 0 is refused as well: a step of 0 never ends a search level.
std::optional<float> positiveSingle(const std::string& text) {
    const double value = leadingNumber(text);
    if (!(value > 0.0) || value > std::numeric_limits<float>::max()) return std::nullopt;
    const float single = static_cast<float>(value);
    if (!(single > 0.0f)) return std::nullopt;
    return single;
}

void showLevelMessage(Session& session, const char* text, int level) {
    session.port.message(std::string(text) + " " + std::to_string(level) + " must be >0");
}

std::optional<short> trialCount(const std::string& text) {
    const std::optional<std::int16_t> n = roundHalfEvenToShort(leadingNumber(text));
    if (!n || *n < kMinTrials || *n > kMaxTrials) return std::nullopt;
    return *n;
}

// A level is stored whole or not at all, so that a refused step never leaves a level marked in use
// with a range or step the optimisers cannot run on.
bool applySearchLevel(Session& session, const SearchColumn& column, int index) {
    const OptionsDialog& dialog = session.dialogs.options;
    SearchLevel& level = (session.workspace.options.*column.levels)[index];
    if ((dialog.*column.check)[index] != 1) {
        level.use = kFalse;
        return true;
    }
    const std::optional<float> range = positiveSingle((dialog.*column.range)[index]);
    if (!range) {
        showLevelMessage(session, column.rangeMessage, index + 1);
        return false;
    }
    const std::optional<float> step = positiveSingle((dialog.*column.step)[index]);
    if (!step) {
        showLevelMessage(session, column.stepMessage, index + 1);
        return false;
    }
    level = {kTrue, *range, *step};
    return true;
}

bool applyNewtonLevel(Session& session, const NewtonColumn& column, int index) {
    const OptionsDialog& dialog = session.dialogs.options;
    NewtonLevel& level = (session.workspace.options.*column.levels)[index];
    if ((dialog.*column.check)[index] != 1) {
        level.use = kFalse;
        return true;
    }
    const std::optional<float> delta = positiveSingle((dialog.*column.delta)[index]);
    if (!delta) {
        showLevelMessage(session, column.deltaMessage, index + 1);
        return false;
    }
    level = {kTrue, *delta};
    return true;
}

void showLineForm(Session& session, bool sum) {
    session.workspace.options.glSum = storedFlag(sum);
    // Both buttons share a frame, so the toolkit keeps them exclusive; the model follows suit.
    session.dialogs.options.GLSum = sum;
    session.dialogs.options.GLProduct = !sum;
    // The tail exists in the sum form only.
    session.dialogs.peak.AsyFrameEnabled = sum;
}

enum class Method { Search, Newton, LeastSquares };

float methodFlagOf(Method method) {
    switch (method) {
        case Method::Search:
            return 0.0f;
        case Method::Newton:
            return 1.0f;
        case Method::LeastSquares:
            break;
    }
    return kLeastSquaresMethodFlag;
}

// The method buttons lie in different frames, so nothing but these handlers keeps them exclusive.
void showMethod(Session& session, Method method) {
    session.workspace.options.methodFlag = methodFlagOf(method);
    session.dialogs.options.UseNewton = method == Method::Newton;
    session.dialogs.options.UseSearch = method == Method::Search;
    session.dialogs.options.UseLM = method == Method::LeastSquares;
}

}  // namespace

void loadOptionsDialog(Session& session) {
    const FitOptions& options = session.workspace.options;
    OptionsDialog& dialog = session.dialogs.options;

    // Any flag but 0 and 2 is Newton's method, as the region fits read it.
    dialog.UseSearch = options.methodFlag == 0.0f;
    dialog.UseLM = options.methodFlag == kLeastSquaresMethodFlag;
    dialog.UseNewton = !dialog.UseSearch && !dialog.UseLM;
    dialog.SearchTrial = std::to_string(options.searchTrials);
    dialog.NewtonTrial = std::to_string(options.newtonTrials);
    // The percentage is formed in single precision, as it is stored, so 0.0001 shows as "0.01".
    const float percent = options.tolerance * 100.0f;
    dialog.TolVal = patternNumberText(percent, "##0.##############");

    const bool sum = isTrue(options.glSum);
    dialog.GLSum = sum;
    dialog.GLProduct = !sum;
    session.dialogs.peak.AsyFrameEnabled = sum;
    dialog.InstrumentFwhm = instrumentFwhmText(session.workspace);

    for (int i = 0; i < kLevelCount; ++i) {
        for (const SearchColumn& column : kSearchColumns) {
            const SearchLevel& level = (options.*column.levels)[i];
            (dialog.*column.check)[i] = checkValue(level.use);
            (dialog.*column.range)[i] = shortNumberText(level.range);
            (dialog.*column.step)[i] = shortNumberText(level.step);
        }
        for (const NewtonColumn& column : kNewtonColumns) {
            const NewtonLevel& level = (options.*column.levels)[i];
            (dialog.*column.check)[i] = checkValue(level.use);
            (dialog.*column.delta)[i] = shortNumberText(level.delta);
        }
    }
    session.port.showWindow(Window::Options);
}

bool applyOptionsDialog(Session& session) {
    FitOptions& options = session.workspace.options;
    const OptionsDialog& dialog = session.dialogs.options;

    options.methodFlag = methodFlagOf(dialog.UseSearch ? Method::Search
                                      : dialog.UseLM   ? Method::LeastSquares
                                                       : Method::Newton);

    const std::optional<short> searchTrials = trialCount(dialog.SearchTrial);
    if (!searchTrials) {
        session.port.message("No. of trials for Search method must be in the range 1-200");
        return false;
    }
    options.searchTrials = *searchTrials;

    const std::optional<short> newtonTrials = trialCount(dialog.NewtonTrial);
    if (!newtonTrials) {
        session.port.message("No. of trials for Newton's method must be in the range 1-200");
        return false;
    }
    options.newtonTrials = *newtonTrials;

    const double percent = leadingNumber(dialog.TolVal);
    if (!(percent >= 0.0 && percent <= kMaxTolerancePercent)) {
        session.port.message("% Tolerence must be in the range 0-100");
        return false;
    }
    options.tolerance = static_cast<float>(percent / 100.0);

    for (int i = 0; i < kLevelCount; ++i) {
        for (const SearchColumn& column : kSearchColumns) {
            if (!applySearchLevel(session, column, i)) return false;
        }
        for (const NewtonColumn& column : kNewtonColumns) {
            if (!applyNewtonLevel(session, column, i)) return false;
        }
    }
    if (!applyInstrumentFwhmText(session, dialog.InstrumentFwhm)) return false;
    session.port.hideWindow(Window::Options);
    return true;
}

void clickUseNewton(Session& session) {
    showMethod(session, session.dialogs.options.UseNewton ? Method::Newton : Method::Search);
}

void clickUseSearch(Session& session) {
    showMethod(session, session.dialogs.options.UseSearch ? Method::Search : Method::Newton);
}

void clickUseLM(Session& session) {
    showMethod(session, session.dialogs.options.UseLM ? Method::LeastSquares : Method::Newton);
}

bool chooseMethodNamed(Session& session, std::string_view method) {
    if (method != "lm" && method != "newton" && method != "search") return false;
    loadOptionsDialog(session);
    OptionsDialog& d = session.dialogs.options;
    d.UseLM = method == "lm";
    d.UseNewton = method == "newton";
    d.UseSearch = method == "search";
    if (d.UseLM) clickUseLM(session);
    if (d.UseNewton) clickUseNewton(session);
    if (d.UseSearch) clickUseSearch(session);
    return true;
}

void clickGLSum(Session& session) {
    showLineForm(session, session.dialogs.options.GLSum);
}

void clickGLProduct(Session& session) {
    showLineForm(session, !session.dialogs.options.GLProduct);
}

bool writeOptionFile(Session& session) {
    const Workspace& workspace = session.workspace;
    if (replaceFile(workspace.fileName, encodeOptionFile(workspace.options))) return true;
    session.port.message("Error in writing file");
    return false;
}

bool readOptionFile(Session& session) {
    std::ifstream in(session.workspace.fileName, std::ios::binary);
    if (!in || decodeOptionFile(in, session.workspace.options) == OptionFileRead::Failed) {
        session.port.message("Error in reading file");
        return false;
    }
    loadOptionsDialog(session);
    return true;
}

namespace {

void useDefaultOptions(Session& session) {
    session.workspace.options = defaultFitOptions();
    loadOptionsDialog(session);
}

}  // namespace

bool readDefaultOptionFile(Session& session, const std::string& path) {
    session.workspace.fileName = path;
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        useDefaultOptions(session);
        return true;
    }
    if (readOptionFile(session)) return true;
    // A damaged file must not leave the options of an empty workspace (no method, no trials) in force.
    useDefaultOptions(session);
    return false;
}

void saveOptionsCommand(Session& session) {
    // A refused value has shown its message; the options are saved as they stand.
    applyOptionsDialog(session);
    writeOptionFile(session);
}

}  // namespace vortlan
