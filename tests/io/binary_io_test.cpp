#include "io/binary_io.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/byte_builder.h"

namespace vortlan {
namespace {

using testing::Bytes;

TEST(BinaryIo, FieldsAreLittleEndianAndPacked) {
    BinaryWriter out;
    out.writeShort(-2);
    out.writeSingle(1.5f);
    out.writeLong(0x01020304);
    out.writeText(Text20("abc"));
    EXPECT_EQ(out.bytes(), Bytes().i16(-2).f32(1.5f).i32(0x01020304).text("abc", 20).str());
    std::istringstream stream(out.bytes());
    BinaryReader in(stream);
    EXPECT_EQ(in.readShort(), -2);
    EXPECT_EQ(in.readSingle(), 1.5f);
    EXPECT_EQ(in.readLong(), 0x01020304);
    Text20 text;
    in.readText(text);
    EXPECT_EQ(text.str(), "abc                 ");
    EXPECT_THROW(in.readShort(), ReadFailure);
}

TEST(BinaryIo, ArrayBlocksKeepTheirBoundsAndStorage) {
    PointArray values;
    values.allocate(3);
    values[3] = 7.0f;
    PointArray none;
    BinaryWriter out;
    out.writeArrayBlock(values);
    out.writeArrayBlock(none);
    EXPECT_EQ(out.bytes().size(), arrayBlockSize(3) + 2);
    std::istringstream stream(out.bytes());
    BinaryReader in(stream);
    PointArray read;
    read.allocate(40);
    in.readArrayBlock(read, 5000);
    EXPECT_EQ(read, values);
    in.readArrayBlock(read, 5000);
    EXPECT_FALSE(read.hasStorage());
}

TEST(BinaryIo, ArrayBlocksBreakingTheirRulesAreRefusedBeforeAnyAllocation) {
    const std::string cases[] = {
        Bytes().i16(2).str(),                                    // two dimensions
        Bytes().i16(1).i32(3).i32(1).str(),                      // lower bound 1
        Bytes().i16(1).i32(2'000'000'000).i32(0).str(),          // far beyond the limit
        Bytes().i16(1).i32(-5).i32(0).str(),                     // negative count
        Bytes().i16(1).i32(3).i32(0).f32(1).f32(2).str(),        // ends inside the data
    };
    for (const std::string& bytes : cases) {
        std::istringstream stream(bytes);
        BinaryReader in(stream);
        PointArray read;
        EXPECT_THROW(in.readArrayBlock(read, 5000), ReadFailure);
        EXPECT_LE(read.bound(), 5000);
    }
}

}  // namespace
}  // namespace vortlan
