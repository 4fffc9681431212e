#include "base/checked_math.h"

namespace vortlan {

std::string faultMessage(FaultKind kind) {
    switch (kind) {
        case FaultKind::DivisionByZero:
            return "Division by zero";
        case FaultKind::Overflow:
            return "Overflow";
        case FaultKind::NotANumber:
            return "Invalid calculation: the result is not a number";
        case FaultKind::OutOfRange:
            return "Region data out of range";
    }
    return "Calculation error";
}

ComputationFault::ComputationFault(FaultKind kind) : ComputationFault(kind, faultMessage(kind)) {}

ComputationFault::ComputationFault(FaultKind kind, const std::string& message)
    : std::runtime_error(message), kind_(kind) {}

static FaultKind kindOf(double value) {
    return std::isnan(value) ? FaultKind::NotANumber : FaultKind::Overflow;
}

float singleOrFault(double value) {
    const auto single = toSingle(value);
    if (!single) throw ComputationFault(kindOf(value));
    return *single;
}

double divideOrFault(double a, double b) {
    if (b == 0.0) throw ComputationFault(FaultKind::DivisionByZero);
    return finiteOrFault(a / b);
}

double finiteOrFault(double value) {
    if (!std::isfinite(value)) throw ComputationFault(kindOf(value));
    return value;
}

}  // namespace vortlan
