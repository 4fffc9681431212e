#pragma once
// Arithmetic faults as the program sees them: a division by zero, a result beyond the range of a
// single, or a result that is not a number.  Some computations skip a faulting statement and keep
// the old value of its target; the others end the command that started them with a message.

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

namespace vortlan {

enum class FaultKind { DivisionByZero, Overflow, NotANumber, OutOfRange };

// Ends the command that started the work; the caller shows what() to the user.
class ComputationFault : public std::runtime_error {
  public:
    explicit ComputationFault(FaultKind kind);
    ComputationFault(FaultKind kind, const std::string& message);
    FaultKind kind() const { return kind_; }

  private:
    FaultKind kind_;
};

std::string faultMessage(FaultKind kind);

inline bool fitsSingle(double value) {
    return std::isfinite(value) && std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max());
}

// The value rounded to a single, or nothing when that faults.
inline std::optional<float> toSingle(double value) {
    if (!fitsSingle(value)) return std::nullopt;
    return static_cast<float>(value);
}

// Stores the value into target unless that faults; tells whether it stored.
inline bool storeSingle(float& target, double value) {
    const auto single = toSingle(value);
    if (!single) return false;
    target = *single;
    return true;
}

// The value rounded to a single; a fault ends the command.
float singleOrFault(double value);

// a / b; a zero divisor or a result that is not finite ends the command.
double divideOrFault(double a, double b);

// Ends the command unless the value is a finite double.
double finiteOrFault(double value);

}  // namespace vortlan
