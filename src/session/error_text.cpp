#include "session/error_text.h"

#include "base/number_text.h"

namespace vortlan {

namespace {

constexpr char kPlusMinus = '\xB1';  // in Latin-1

}  // namespace

std::string standardErrorText(const StandardError& error) {
    switch (error.kind) {
        case StandardError::Kind::Value:
            return kPlusMinus + (" " + twoDigitNumberText(error.value));
        case StandardError::Kind::Fixed:
            return "fixed";
        case StandardError::Kind::Tied:
            return "tied";
        case StandardError::Kind::NotDetermined:
            break;
    }
    return "not determined";
}

}  // namespace vortlan
