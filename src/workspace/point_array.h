#pragma once
// A point array holds its data at indexes 1..N and has storage for 0..N; element 0 carries no data.
// An array may also have no storage at all, which the files keep apart from a bound of 0.

#include <cassert>
#include <vector>

namespace vortlan {

class PointArray {
  public:
    PointArray() = default;

    // Storage for indexes 0..bound, all zero; the old contents are lost.
    void allocate(int bound) { values_.assign(static_cast<std::size_t>(bound < 0 ? 0 : bound + 1), 0.0f); }
    void release() { values_.clear(); }

    bool hasStorage() const { return !values_.empty(); }
    // The highest index, or -1 without storage.
    int bound() const { return static_cast<int>(values_.size()) - 1; }
    // Whether indexes 1..count all exist.
    bool holds(int count) const { return count <= bound(); }

    float& operator[](int index) {
        assert(index >= 0 && index <= bound());
        return values_[static_cast<std::size_t>(index)];
    }
    float operator[](int index) const {
        assert(index >= 0 && index <= bound());
        return values_[static_cast<std::size_t>(index)];
    }

    float* data() { return values_.data(); }
    const float* data() const { return values_.data(); }
    std::vector<float>& storage() { return values_; }
    const std::vector<float>& storage() const { return values_; }

    friend bool operator==(const PointArray&, const PointArray&) = default;

  private:
    std::vector<float> values_;
};

}  // namespace vortlan
