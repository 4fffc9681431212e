#include "base/checked_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace vortlan {
namespace {

FaultKind faultOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const ComputationFault& fault) {
        EXPECT_EQ(fault.what(), faultMessage(fault.kind()));
        return fault.kind();
    }
    ADD_FAILURE() << "no fault";
    return FaultKind::OutOfRange;
}

TEST(CheckedMath, FaultsEndTheCommandWithTheirKind) {
    const double nan = std::nan("");
    EXPECT_EQ(faultOf([] { divideOrFault(1.0, 0.0); }), FaultKind::DivisionByZero);
    EXPECT_EQ(faultOf([] { divideOrFault(0.0, -0.0); }), FaultKind::DivisionByZero);
    EXPECT_EQ(faultOf([] { divideOrFault(1e308, 1e-308); }), FaultKind::Overflow);
    EXPECT_EQ(faultOf([=] { divideOrFault(nan, 2.0); }), FaultKind::NotANumber);
    EXPECT_EQ(faultOf([] { singleOrFault(1e39); }), FaultKind::Overflow);
    EXPECT_EQ(faultOf([] { singleOrFault(-1e39); }), FaultKind::Overflow);
    EXPECT_EQ(faultOf([=] { singleOrFault(nan); }), FaultKind::NotANumber);
    EXPECT_EQ(faultOf([=] { finiteOrFault(-std::numeric_limits<double>::infinity()); }), FaultKind::Overflow);
    EXPECT_EQ(faultMessage(FaultKind::DivisionByZero), "Division by zero");
}

TEST(CheckedMath, ResultsWithoutFault) {
    EXPECT_EQ(divideOrFault(1.0, 4.0), 0.25);
    EXPECT_EQ(singleOrFault(0.1), 0.1f);
    EXPECT_EQ(singleOrFault(std::numeric_limits<float>::max()), std::numeric_limits<float>::max());
    EXPECT_EQ(finiteOrFault(-2.5), -2.5);
}

TEST(CheckedMath, StoreSingleKeepsTheOldValueOnAFault) {
    for (const double faulting : {1e39, -1e39, std::nan(""), std::numeric_limits<double>::infinity()}) {
        float target = 2.0f;
        EXPECT_FALSE(storeSingle(target, faulting)) << faulting;
        EXPECT_EQ(target, 2.0f);
    }
    float target = 2.0f;
    EXPECT_TRUE(storeSingle(target, 0.1));
    EXPECT_EQ(target, 0.1f);
}

}  // namespace
}  // namespace vortlan
