#include "io/binary_io.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace vortlan {

namespace {

template <typename Unsigned>
Unsigned fromLittleEndian(const unsigned char* bytes) {
    Unsigned value = 0;
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) value |= static_cast<Unsigned>(bytes[i]) << (8 * i);
    return value;
}

template <typename Unsigned>
void appendLittleEndian(std::string& out, Unsigned value) {
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

void BinaryReader::readRaw(char* data, std::size_t count) {
    if (count == 0) return;
    if (!in_.read(data, static_cast<std::streamsize>(count)))
        throw ReadFailure("read past the end of the file");
}

std::int16_t BinaryReader::readShort() {
    std::array<unsigned char, 2> b;
    readRaw(reinterpret_cast<char*>(b.data()), b.size());
    return static_cast<std::int16_t>(fromLittleEndian<std::uint16_t>(b.data()));
}

std::int32_t BinaryReader::readLong() {
    std::array<unsigned char, 4> b;
    readRaw(reinterpret_cast<char*>(b.data()), b.size());
    return static_cast<std::int32_t>(fromLittleEndian<std::uint32_t>(b.data()));
}

float BinaryReader::readSingle() {
    return std::bit_cast<float>(static_cast<std::uint32_t>(readLong()));
}

double BinaryReader::readDouble() {
    std::array<unsigned char, 8> b;
    readRaw(reinterpret_cast<char*>(b.data()), b.size());
    return std::bit_cast<double>(fromLittleEndian<std::uint64_t>(b.data()));
}

std::string BinaryReader::readBytes(std::size_t count) {
    std::string bytes(count, '\0');
    readRaw(bytes.data(), count);
    return bytes;
}

void BinaryReader::readArrayBlock(PointArray& array, int maxBound) {
    const std::int16_t dimensions = readShort();
    if (dimensions == 0) {
        array.release();
        return;
    }
    if (dimensions != 1) throw ReadFailure("an array block with more than one dimension");
    const std::int32_t count = readLong();
    const std::int32_t lowerBound = readLong();
    if (lowerBound != 0) throw ReadFailure("an array block that does not start at index 0");
    if (count < 0 || count > maxBound + 1) throw ReadFailure("an array block larger than its limit");
    if (count == 0) {
        array.release();
        return;
    }
    array.allocate(count - 1);
    for (int i = 0; i < count; ++i) array[i] = readSingle();
}

void BinaryReader::readFixedBlock(PointArray& array, int blockSize, int keepBound) {
    for (int i = 0; i < blockSize; ++i) {
        const float value = readSingle();
        if (i <= keepBound) array[i] = value;
    }
}

bool BinaryReader::atEnd() {
    return in_.peek() == std::istream::traits_type::eof();
}

void BinaryReader::skip(std::size_t count) {
    std::array<char, 4096> buffer;
    while (count > 0) {
        const std::size_t chunk = std::min(count, buffer.size());
        readRaw(buffer.data(), chunk);
        count -= chunk;
    }
}

void BinaryWriter::writeShort(std::int16_t value) {
    appendLittleEndian(bytes_, static_cast<std::uint16_t>(value));
}

void BinaryWriter::writeLong(std::int32_t value) {
    appendLittleEndian(bytes_, static_cast<std::uint32_t>(value));
}

void BinaryWriter::writeSingle(float value) {
    appendLittleEndian(bytes_, std::bit_cast<std::uint32_t>(value));
}

void BinaryWriter::writeDouble(double value) {
    appendLittleEndian(bytes_, std::bit_cast<std::uint64_t>(value));
}

void BinaryWriter::writeBytes(std::string_view bytes) {
    bytes_.append(bytes);
}

void BinaryWriter::writeArrayBlock(const PointArray& array) {
    if (!array.hasStorage()) {
        writeShort(0);
        return;
    }
    writeShort(1);
    writeLong(array.bound() + 1);
    writeLong(0);
    for (int i = 0; i <= array.bound(); ++i) writeSingle(array[i]);
}

void BinaryWriter::writeFixedBlock(const PointArray& array, int blockSize) {
    for (int i = 0; i < blockSize; ++i) writeSingle(i <= array.bound() ? array[i] : 0.0f);
}

}  // namespace vortlan
