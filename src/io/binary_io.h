#pragma once
// Little-endian packed records, read and written field by field.  Every read checks the end of the
// file; every count read is checked against a limit before anything is allocated for it.

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/fixed_text.h"
#include "workspace/point_array.h"

namespace vortlan {

// A read past the end of the file, a failure of the stream, or data that break the records' rules.
class ReadFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class BinaryReader {
  public:
    explicit BinaryReader(std::istream& in) : in_(in) {}

    std::int16_t readShort();
    std::int32_t readLong();
    float readSingle();
    double readDouble();
    std::string readBytes(std::size_t count);
    template <std::size_t N>
    void readText(FixedText<N>& text) {
        text.assign(readBytes(N));
    }

    // An array block: a 16-bit dimension count (0: no storage), then for one dimension a 32-bit element
    // count, a 32-bit lower bound of 0 and the elements.  The array takes the stored bounds; a block with
    // more than maxBound + 1 elements, another lower bound or another dimension count is refused.
    void readArrayBlock(PointArray& array, int maxBound);

    // A block of exactly blockSize singles without a header, of which indexes 0..keepBound are kept
    // (the array must already hold them).
    void readFixedBlock(PointArray& array, int blockSize, int keepBound);

    void skip(std::size_t count);
    // True when nothing is left to read.
    bool atEnd();

  private:
    void readRaw(char* data, std::size_t count);
    std::istream& in_;
};

class BinaryWriter {
  public:
    void writeShort(std::int16_t value);
    void writeLong(std::int32_t value);
    void writeSingle(float value);
    void writeDouble(double value);
    void writeBytes(std::string_view bytes);
    template <std::size_t N>
    void writeText(const FixedText<N>& text) {
        writeBytes(std::string_view(text.bytes().data(), N));
    }
    // The array with its full allocated bound, or a dimension count of 0 for an array without storage.
    void writeArrayBlock(const PointArray& array);
    // `blockSize` singles: the array's elements from index 0, zeros where it has none.
    void writeFixedBlock(const PointArray& array, int blockSize);

    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

// Bytes an array block of an array with indexes 0..bound takes.
inline constexpr std::size_t arrayBlockSize(int bound) {
    return 10 + 4 * static_cast<std::size_t>(bound + 1);
}

}  // namespace vortlan
