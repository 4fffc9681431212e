#pragma once
// The two constant tables of the Gaussian-Lorentzian product form, indexed by the integer %GL.
//
// productHalfWidth[k] is the v > 0 where exp(-(1 - m) ln2 v^2) / (1 + m v^2) falls to one half
// (m = k / 100), so that the nominal FWHM is the full width of the product curve.
// productArea[k] is the integral of the same function over -25 <= v <= 25; the finite range is
// deliberate, so productArea[100] is 2 arctan 25, not pi.  The stored values govern: they are the
// ones every saved fit was made with, and differ from a fresh computation in the sixth decimal.

#include <array>

namespace vortlan {

inline constexpr int kMaxGl = 100;

extern const std::array<double, kMaxGl + 1> productHalfWidth;
extern const std::array<float, kMaxGl + 1> productArea;

}  // namespace vortlan
