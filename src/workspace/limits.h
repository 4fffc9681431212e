#pragma once
// The fixed sizes of the workspace tables. Files and the main window depend on them.

namespace vortlan {

inline constexpr int kRegionCount = 10;     // regions 0..9
inline constexpr int kPeakCount = 51;       // one peak table shared by all regions, 0..50
inline constexpr int kPeaksPerRegion = 10;  // slots 0..9 of a region
inline constexpr int kMaxPoints = 5000;     // raw points of one region
inline constexpr int kLevelCount = 4;       // optimiser levels 1..4
inline constexpr int kPeakButtonCount =
    kRegionCount * kPeaksPerRegion;  // button 10 r + s is slot s of region r

// Booleans stored in 16-bit fields: -1 is true, 0 is false; any non-zero value reads as true.
inline constexpr short kTrue = -1;
inline constexpr short kFalse = 0;
inline constexpr bool isTrue(short flag) {
    return flag != 0;
}
inline constexpr short storedFlag(bool value) {
    return value ? kTrue : kFalse;
}

inline constexpr int peakButtonIndex(int region, int slot) {
    return kPeaksPerRegion * region + slot;
}

}  // namespace vortlan
