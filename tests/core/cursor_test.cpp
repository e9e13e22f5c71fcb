// SPDX-License-Identifier: MIT
#include "platform/ByteCursor.h"
#include "platform/MemoryFile.h"
#include "tests/support/TestBytes.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace orlika::test {
namespace {

// 0, 1, 2, ... 255, 0, 1, ...: every byte tells where it came from.
Bytes counting(std::size_t size)
{
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t(0));
    return bytes;
}

TEST(ByteCursor, NumbersAreLittleEndianAndAShortReadIsACount)
{
    MemoryFile file(Bytes{0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF, 0x80, 0x00, 0x00, 0x80, 0xAA, 0xBB, 0xCC});
    std::array<std::uint8_t, 4> buffer{};
    ByteCursor cursor(file, buffer);
    EXPECT_EQ(cursor.u32().value, 0x04030201u);
    const auto minusTwo = cursor.i16();
    EXPECT_EQ(minusTwo.value, -2);
    EXPECT_TRUE(minusTwo.complete());
    EXPECT_EQ(cursor.u16().value, 0x0080);
    EXPECT_EQ(cursor.i16().value, -32768);
    EXPECT_EQ(cursor.position(), 10);
    // Three bytes left: a 32-bit number gets them and zeros above.
    const auto cut = cursor.u32();
    EXPECT_EQ(cut.count, 3u);
    EXPECT_FALSE(cut.complete());
    EXPECT_EQ(cut.value, 0x00CCBBAAu);
    EXPECT_EQ(cursor.u8().count, 0u);
    EXPECT_EQ(cursor.position(), 13);

    cursor.seek(2);
    EXPECT_EQ(cursor.u24().value, 0xFE0403u);
    cursor.skip(1);
    EXPECT_EQ(cursor.i32().value, std::int32_t(0x80000080u));
    cursor.skip(-4);
    EXPECT_EQ(cursor.u8().value, 0x80);
    cursor.seek(100);
    EXPECT_EQ(cursor.i32().count, 0u);
    EXPECT_THROW(cursor.seek(-1), InOutError);
}

TEST(ByteCursor, RecordsComeWholeInFullBlocksWhateverTheReadsDeliver)
{
    // Block edges of 4 records of 3 bytes through buffers that hold a block and a little
    // more, so records straddle the reads; files cut at every length across two blocks.
    for (std::size_t length = 0; length <= 30; ++length) {
        const Bytes data = counting(length);
        for (const std::size_t chunk : {1u, 2u, 5u, 64u}) {
            for (const std::size_t bufferSize : {12u, 13u, 14u}) {
                ChoppyFile file(data, chunk);
                std::vector<std::uint8_t> buffer(bufferSize);
                ByteCursor cursor(file, buffer);
                Bytes seen;
                std::vector<std::size_t> blockSizes;
                while (const RecordBlock<3> block = cursor.records<3>(4)) {
                    blockSizes.push_back(block.size());
                    for (const auto record : block)
                        seen.insert(seen.end(), record.begin(), record.end());
                }
                SCOPED_TRACE(testing::Message() << length << " bytes, reads of " << chunk << ", buffer " << bufferSize);
                EXPECT_EQ(seen, Bytes(data.begin(), data.begin() + std::ptrdiff_t(length / 3 * 3)));
                for (std::size_t k = 0; k + 1 < blockSizes.size(); ++k)
                    EXPECT_EQ(blockSizes[k], 4u);
                EXPECT_EQ(cursor.position(), std::int64_t(length / 3 * 3));  // a part record is not handed out
            }
        }
    }
}

TEST(ByteCursor, NumbersAndRecordsStraddleBlockEdges)
{
    const Bytes data = counting(40);
    ChoppyFile file(data, 3);
    std::array<std::uint8_t, 8> buffer{};
    ByteCursor cursor(file, buffer);
    EXPECT_EQ(cursor.u8().value, 0);
    // The cursor stands one byte into its reads: every later record and number crosses
    // the edges of the 8-byte blocks somewhere.
    const RecordBlock<2> pairs = cursor.records<2>(4);
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[3][0], 7);
    EXPECT_EQ(pairs[3][1], 8);
    EXPECT_EQ(pairs.from(3).size(), 1u);
    EXPECT_TRUE(pairs.from(9).empty());
    EXPECT_EQ(cursor.u32().value, 0x0C0B0A09u);
    EXPECT_EQ(cursor.u16().value, 0x0E0D);
    std::array<std::uint8_t, 20> run{};
    EXPECT_EQ(cursor.bytes(run), 20u);
    EXPECT_EQ(run[0], 15);
    EXPECT_EQ(run[19], 34);
    const auto ahead = cursor.peek(4);
    ASSERT_EQ(ahead.size(), 4u);
    EXPECT_EQ(ahead[3], 38);
    EXPECT_EQ(cursor.position(), 35);
    cursor.skip(2);
    EXPECT_EQ(cursor.peek(4).size(), 3u);  // the data ends
    EXPECT_EQ(cursor.bytes(run), 3u);
}

TEST(ByteCursor, NothingIsHandedOutBeyondTheLimit)
{
    const Bytes data = counting(100);
    MemoryFile file(data);
    std::array<std::uint8_t, 16> buffer{};
    ByteCursor cursor(file, buffer);
    cursor.seek(10);
    EXPECT_EQ(cursor.u8().value, 10);  // the buffer now holds bytes past the limit below
    cursor.limitTo(20);
    EXPECT_EQ(cursor.records<3>(5).size(), 3u);
    EXPECT_EQ(cursor.peek(4).size(), 0u);  // 20 reached
    cursor.seek(17);
    EXPECT_EQ(cursor.u32().count, 3u);
    EXPECT_EQ(cursor.position(), 20);
    cursor.limitTo(ByteCursor::kNoLimit);
    EXPECT_EQ(cursor.u8().value, 20);
}

} // namespace
} // namespace orlika::test
