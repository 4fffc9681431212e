#include "session/constraint_dialog.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "base/number_text.h"
#include "model/constraints.h"

namespace vortlan {

namespace {

// The operators at the positions of their stored codes.
constexpr std::array<std::string_view, 4> kOperatorTexts = {"+", "-", "*", "/"};

std::string captionOf(PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return "Constraints for Peak Position";
        case PeakParam::Area:
            return "Constraints for Peak Area";
        case PeakParam::Fwhm:
            return "Constraint for Peak FWHM";
        case PeakParam::Gl:
            return "Constraint for Peak %GL";
    }
    return {};
}

ParamConstraint& constraintOf(Workspace& ws, int peak, PeakParam param) {
    return ws.constraints.at(static_cast<std::size_t>(peak)).of(param);
}

// The typed reference, or nothing when it names no entry of the peak table.  Checked before anything
// is stored, whether or not the relation is used: with the relation off the table is still rescanned
// for the peaks tied to this reference, and an entry outside the table has none to update.
std::optional<int> readReference(const std::string& text) {
    const auto rounded = roundHalfEvenToShort(leadingNumber(text));
    if (!rounded || *rounded < 0 || *rounded >= kPeakCount) return std::nullopt;
    return *rounded;
}

short readOperator(const std::string& text) {
    for (std::size_t code = 0; code < kOperatorTexts.size(); ++code) {
        if (text == kOperatorTexts[code]) return static_cast<short>(code);
    }
    return static_cast<short>(ConstraintOp::Add);
}

// A number beyond the range of a single reads as 0, like a text that is no number: the operand is
// stored as a single, and 0 is the one value the checks below know how to refuse when it matters.
float readOperand(const std::string& text) {
    return toSingle(leadingNumber(text)).value_or(0.0f);
}

bool isMultiplicative(short op) {
    return op == static_cast<short>(ConstraintOp::Multiply) || op == static_cast<short>(ConstraintOp::Divide);
}

void storeRelation(Workspace& ws, PeakParam param, int edited, bool use, int ref, short op, float operand) {
    ParamConstraint& c = constraintOf(ws, edited, param);
    ParamConstraint& reference = constraintOf(ws, ref, param);
    if (use) {
        reference.isReference = kTrue;
        reference.tiedPeak = static_cast<short>(edited);
        c.linked = kTrue;
    } else {
        c.linked = kFalse;
        bool found = false;
        for (int peak = 0; peak < kPeakCount; ++peak) {
            const ParamConstraint& other = constraintOf(ws, peak, param);
            if (isTrue(other.linked) && other.refPeak == ref) {
                found = true;
                reference.tiedPeak = static_cast<short>(peak);
            }
        }
        reference.isReference = storedFlag(found);
    }
    c.refPeak = static_cast<short>(ref);
    c.op = op;
    c.operand = operand;
}

// The message refusing limits low <= high for the parameter, or nothing when they are accepted.
// Limits beyond the range of a single are refused too, so an infinite limit is never stored: for the
// position and %GL the bounds of the parameter already refuse them, for area and FWHM only the upper
// end is open, and such a range is invalid.
std::optional<std::string_view> limitsRefusal(const Workspace& ws, int peak, PeakParam param, double low,
                                              double high) {
    switch (param) {
        case PeakParam::Position: {
            const short region = ws.peaks.at(static_cast<std::size_t>(peak)).region;
            const Region& r = ws.regions.at(static_cast<std::size_t>(region));
            if (high > r.beHigh + kPositionLimitSlack) return "High BE value out of range";
            if (low < r.beLow - kPositionLimitSlack) return "Low BE value out of range";
            return std::nullopt;
        }
        case PeakParam::Area:
        case PeakParam::Fwhm:
            if (high < 0 || low < 0) return "Negative range value";
            if (!fitsSingle(high)) return "Range Invalid";
            return std::nullopt;
        case PeakParam::Gl:
            if (!(0 <= high && high <= 100 && 0 <= low && low <= 100)) return "Out of Range";
            return std::nullopt;
    }
    return std::nullopt;
}

bool refuse(Session& session, std::string_view message) {
    session.port.message(message);
    return false;
}

}  // namespace

void openConstraintEditor(Session& session, PeakParam param) {
    Workspace& ws = session.workspace;
    ConstraintDialog& d = session.dialogs.constraint;
    const int peak = ws.currentPeak;
    ParamConstraint& c = constraintOf(ws, peak, param);

    d.constraintDialogParam = constraintDialogCode(param);
    d.caption = captionOf(param);
    d.PrPeak = std::to_string(peak);
    d.RefPeak = std::to_string(c.refPeak);
    if (c.op >= 0 && c.op < static_cast<short>(kOperatorTexts.size())) {
        d.ArgType = kOperatorTexts[static_cast<std::size_t>(c.op)];
    }
    d.Arg = shortNumberText(c.operand);
    d.Use = isTrue(c.linked) ? 1 : 0;
    d.Range = isTrue(c.limited) ? 1 : 0;
    normalizeLimits(ws, peak, param);
    d.High = signedNumberText(c.high);
    d.Low = signedNumberText(c.low);
    session.port.showWindow(Window::Constraint);
}

bool acceptConstraintEdit(Session& session) {
    Workspace& ws = session.workspace;
    const ConstraintDialog& d = session.dialogs.constraint;
    const auto param = paramOfConstraintDialogCode(d.constraintDialogParam);
    if (!param) return false;  // the dialog was never opened for a parameter
    const int edited = ws.currentPeak;

    const auto ref = readReference(d.RefPeak);
    const bool use = d.Use == 1;
    if (!ref) return refuse(session, "Wrong Reference Peak");
    if (use && (!isTrue(ws.peaks[static_cast<std::size_t>(*ref)].defined) || *ref == edited)) {
        return refuse(session, "Wrong Reference Peak");
    }
    if (use && formsCycle(ws, *param, edited, *ref)) return refuse(session, "Circular Reference");
    const short op = readOperator(d.ArgType);
    const float operand = readOperand(d.Arg);
    if (use && isMultiplicative(op) && operand == 0) return refuse(session, "*0 or /0 not allowed");

    storeRelation(ws, *param, edited, use, *ref, op, operand);

    ParamConstraint& c = constraintOf(ws, edited, *param);
    if (d.Range != 1) {
        c.limited = kFalse;
        session.port.hideWindow(Window::Constraint);
        return true;
    }
    const double low = leadingNumber(d.Low);
    const double high = leadingNumber(d.High);
    if (low > high) return refuse(session, "Range Invalid");
    if (const auto message = limitsRefusal(ws, edited, *param, low, high)) return refuse(session, *message);
    c.limited = kTrue;
    c.high = static_cast<float>(high);
    c.low = static_cast<float>(low);
    session.port.hideWindow(Window::Constraint);
    return true;
}

}  // namespace vortlan
