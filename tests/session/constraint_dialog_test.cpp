#include "session/constraint_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/fitted_session.h"

namespace vortlan {
namespace {

using Messages = std::vector<std::string>;

// Region 0 (280..292 eV) holds peaks 0, 1, 2; region 3 (530..538 eV) peak 5.  Peak 1's position is
// tied to peak 0's; peak 2's FWHM is limited to 1..2.
class ConstraintDialogTest : public ::testing::Test {
  protected:
    Workspace& ws() { return f.session.workspace; }
    ConstraintDialog& dialog() { return f.session.dialogs.constraint; }
    ParamConstraint& stored(int peak, PeakParam param) { return ws().constraints[peak].of(param); }
    void open(int peak, PeakParam param) {
        ws().currentPeak = static_cast<short>(peak);
        openConstraintEditor(f.session, param);
    }
    // Opens, types the relation (and the limits, if any given) and presses "OK".
    Messages edit(int peak, PeakParam param, int use, const std::string& ref, const std::string& op = "+",
                  const std::string& arg = "0", const std::string& low = "", const std::string& high = "") {
        open(peak, param);
        ConstraintDialog& d = dialog();
        d.Use = use;
        d.RefPeak = ref;
        d.ArgType = op;
        d.Arg = arg;
        d.Range = low.empty() ? 0 : 1;
        d.Low = low;
        d.High = high;
        afterOpening = ws().constraints;
        f.port.messages.clear();
        const bool accepted = acceptConstraintEdit(f.session);
        EXPECT_EQ(accepted, f.port.messages.empty());
        EXPECT_EQ(f.port.window(Window::Constraint).visible, !accepted);
        return f.port.messages;
    }
    testing::FittedSession f;
    decltype(Workspace::constraints) afterOpening;  // with the corrections opening stores
};

TEST_F(ConstraintDialogTest, OpeningFillsTheDialog) {
    const std::pair<PeakParam, const char*> captions[] = {
        {PeakParam::Position, "Constraints for Peak Position"},
        {PeakParam::Fwhm, "Constraint for Peak FWHM"},
        {PeakParam::Area, "Constraints for Peak Area"},
        {PeakParam::Gl, "Constraint for Peak %GL"}};
    for (int code = 0; code < 4; ++code) {
        open(2, captions[code].first);
        EXPECT_EQ(dialog().caption, captions[code].second);
        EXPECT_EQ(dialog().constraintDialogParam, code);
        EXPECT_EQ(dialog().PrPeak, "2");
    }

    // Peak 1's relation, and its never-set position limits shown as the region's span.
    open(1, PeakParam::Position);
    EXPECT_TRUE(dialog().Use == 1 && dialog().Range == 0 && dialog().RefPeak == "0" &&
                dialog().ArgType == "+");
    EXPECT_EQ(dialog().Arg, "1.5");
    EXPECT_EQ(dialog().High, " 292");
    EXPECT_EQ(dialog().Low, " 280");

    ws().regions[0].beLow = -5;  // a valence band reaches below 0 eV
    stored(0, PeakParam::Position) = {.op = 7, .limited = kTrue, .low = -1, .high = 285};
    dialog().ArgType = "x";  // no operator 7: the box keeps its text
    open(0, PeakParam::Position);
    EXPECT_EQ(dialog().Range, 1);
    EXPECT_EQ(dialog().Low, "-1");
    EXPECT_EQ(dialog().High, " 285");
    EXPECT_EQ(dialog().ArgType, "x");
}

TEST_F(ConstraintDialogTest, ChecksTheEntriesInOrder) {
    struct Row {
        int peak;
        PeakParam param;
        int use;
        const char* ref;
        const char* op;
        const char* arg;
        const char* low;
        const char* high;
        const char* message;
    };
    constexpr PeakParam P = PeakParam::Position, A = PeakParam::Area, W = PeakParam::Fwhm, G = PeakParam::Gl;
    const Row rows[] = {
        {2, P, 0, "0", "", "0", "", "", ""},
        {2, P, 1, "2", "+", "0", "", "", "Wrong Reference Peak"},  // itself
        {2, P, 1, "4", "+", "0", "", "", "Wrong Reference Peak"},  // not defined
        {2, P, 1, "4.5", "+", "0", "", "", "Wrong Reference Peak"},
        {2, P, 1, "4.6", "+", "0", "", "", ""},
        {2, P, 1, "51", "+", "0", "", "", "Wrong Reference Peak"},
        {2, P, 0, "51", "+", "0", "", "", "Wrong Reference Peak"},
        {2, P, 0, "1e9", "+", "0", "", "", "Wrong Reference Peak"},
        {0, P, 1, "1", "+", "0", "", "", "Circular Reference"},
        {0, P, 0, "1", "+", "0", "", "", ""},
        {2, P, 1, "0", "/", "0", "", "", "*0 or /0 not allowed"},
        {2, P, 1, "0", "/", "1e39", "", "", "*0 or /0 not allowed"},  // beyond a single
        {2, P, 0, "0", "/", "0", "", "", ""},
        {2, P, 0, "0", "+", "0", "300", "295", "Range Invalid"},  // before the span
        {2, P, 0, "0", "+", "0", "280", "292.0005", ""},
        {2, P, 0, "0", "+", "0", "280", "292.002", "High BE value out of range"},
        {2, P, 0, "0", "+", "0", "280", "1e39", "High BE value out of range"},
        {2, P, 0, "0", "+", "0", "279.998", "292", "Low BE value out of range"},
        {5, P, 0, "0", "+", "0", "531", "537", ""},
        {2, A, 0, "0", "+", "0", "-1", "10", "Negative range value"},
        {2, A, 0, "0", "+", "0", "0", "1e39", "Range Invalid"},
        {2, W, 0, "0", "+", "0", "-1", "1", "Negative range value"},
        {2, G, 0, "0", "+", "0", "0", "100", ""},
        {2, G, 0, "0", "+", "0", "0", "101", "Out of Range"},
    };
    for (const Row& row : rows) {
        testing::FittedSession fresh;
        std::swap(f.session.workspace, fresh.session.workspace);
        const std::string message = row.message;
        EXPECT_EQ(edit(row.peak, row.param, row.use, row.ref, row.op, row.arg, row.low, row.high),
                  message.empty() ? Messages{} : Messages{message})
            << row.ref << " " << row.arg << " " << row.low << " " << row.high;
        // Refused before the relation is stored: nothing in the table changes.
        if (!message.empty() && !row.low[0]) {
            EXPECT_TRUE(ws().constraints == afterOpening) << row.ref;
        }
    }
}

TEST_F(ConstraintDialogTest, StoresTheRelationWithItsBookkeeping) {
    EXPECT_EQ(edit(1, PeakParam::Position, 0, "0", "x", "2.5"), Messages{});
    const ParamConstraint& unlinked = stored(1, PeakParam::Position);
    EXPECT_TRUE(unlinked.linked == kFalse && unlinked.refPeak == 0 && unlinked.op == 0);
    EXPECT_EQ(unlinked.operand, 2.5f);

    auto reference = [&] { return stored(0, PeakParam::Position); };
    EXPECT_EQ(reference().isReference, kFalse);
    edit(2, PeakParam::Position, 1, "0", "-", "1");
    EXPECT_TRUE(stored(2, PeakParam::Position).linked == kTrue && stored(2, PeakParam::Position).op == 1);
    EXPECT_EQ(reference().tiedPeak, 2);
    edit(5, PeakParam::Position, 1, "0");
    edit(1, PeakParam::Position, 1, "0");
    EXPECT_EQ(reference().tiedPeak, 1);
    edit(1, PeakParam::Position, 0, "0");  // the rescan keeps the last peak still tied
    EXPECT_TRUE(isTrue(reference().isReference));
    EXPECT_EQ(reference().tiedPeak, 5);
    edit(2, PeakParam::Position, 0, "0");
    edit(5, PeakParam::Position, 0, "0");
    EXPECT_EQ(reference().isReference, kFalse);
    EXPECT_EQ(reference().tiedPeak, 5);
}

TEST_F(ConstraintDialogTest, StoresTheLimitsOfTheEditedParameterOnly) {
    for (PeakParam param : kPeakParams) stored(2, param).limited = kTrue;
    edit(2, PeakParam::Area, 0, "0");
    EXPECT_EQ(stored(2, PeakParam::Area).limited, kFalse);
    EXPECT_TRUE(stored(2, PeakParam::Fwhm).limited == kTrue && stored(2, PeakParam::Gl).limited == kTrue);

    // A limit typed at the edge of the span is not moved when the editor opens again.
    edit(2, PeakParam::Position, 0, "0", "+", "0", "279.999", "292.001");
    const ParamConstraint accepted = stored(2, PeakParam::Position);
    EXPECT_EQ(accepted.high, 292.001f);
    EXPECT_EQ(accepted.low, 279.999f);
    open(2, PeakParam::Position);
    EXPECT_EQ(stored(2, PeakParam::Position), accepted);

    // The relation is kept when the limits are then refused.
    EXPECT_EQ(edit(2, PeakParam::Area, 1, "0", "*", "2", "-1", "10"), Messages{"Negative range value"});
    EXPECT_TRUE(stored(2, PeakParam::Area).linked == kTrue && stored(2, PeakParam::Area).limited == kFalse);
}

}  // namespace
}  // namespace vortlan
