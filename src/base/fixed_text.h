#pragma once
// Fixed-length texts as the records store them: exactly N bytes, padded on the right with blanks.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace vortlan {

template <std::size_t N>
class FixedText {
  public:
    FixedText() { chars_.fill(' '); }
    explicit FixedText(std::string_view text) { assign(text); }

    // Keeps the first N characters of a longer text; pads a shorter one with blanks.
    void assign(std::string_view text) {
        chars_.fill(' ');
        std::copy_n(text.begin(), std::min(text.size(), N), chars_.begin());
    }

    std::string str() const { return std::string(chars_.begin(), chars_.end()); }
    const std::array<char, N>& bytes() const { return chars_; }
    static constexpr std::size_t size() { return N; }

    friend bool operator==(const FixedText&, const FixedText&) = default;

  private:
    std::array<char, N> chars_;
};

using Text20 = FixedText<20>;

}  // namespace vortlan
