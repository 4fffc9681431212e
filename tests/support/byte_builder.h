#pragma once
// Builds files byte by byte in the tests, independently of the program's own writers.

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace vortlan::testing {

class Bytes {
public:
    Bytes& text(std::string_view s) {
        bytes_.append(s);
        return *this;
    }
    Bytes& text(std::string_view s, std::size_t width) {
        std::string padded(s.substr(0, width));
        padded.resize(width, ' ');
        return text(padded);
    }
    Bytes& i16(int value) { return little(static_cast<std::uint16_t>(value), 2); }
    Bytes& i32(std::int32_t value) { return little(static_cast<std::uint32_t>(value), 4); }
    Bytes& f32(float value) { return little(std::bit_cast<std::uint32_t>(value), 4); }
    Bytes& f64(double value) { return little(std::bit_cast<std::uint64_t>(value), 8); }
    // A one-dimensional array block of the given singles.
    template <typename Values>
    Bytes& block(const Values& values) {
        i16(1).i32(static_cast<std::int32_t>(std::size(values))).i32(0);
        for (float v : values) f32(v);
        return *this;
    }
    const std::string& str() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    Bytes& little(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        return *this;
    }
    std::string bytes_;
};

}  // namespace vortlan::testing
