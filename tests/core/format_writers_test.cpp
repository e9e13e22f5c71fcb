// SPDX-License-Identifier: MIT
// The sample generator's writers for the formats whose readers come next: the header fields a
// writer easily gets out of step with its stitches, and the end markers. Reading the samples
// back is the readers' own tests' business.
#include "decoders/HusExpand.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/HusCompressor.h"
#include "tools/designgen/HusWriter.h"
#include "tools/designgen/JefWriter.h"
#include "tools/designgen/ShvWriter.h"
#include "tools/designgen/VipWriter.h"
#include "tools/designgen/Vp3Writer.h"
#include "tools/designgen/XxxWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlika::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace orlika::gen;

std::uint32_t le(const Bytes& b, std::size_t at, int width)
{
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + std::size_t(i));
    return v;
}

std::uint32_t be(const Bytes& b, std::size_t at, int width)
{
    std::uint32_t v = 0;
    for (int i = 0; i < width; ++i)
        v = (v << 8) | b.at(at + std::size_t(i));
    return v;
}

int s8(std::uint8_t b) { return b < 128 ? b : b - 256; }
int s16(std::uint32_t v) { return v < 32768 ? int(v) : int(v) - 65536; }

// A small design with what writers split or escape: a long jump, a stitch of exactly 126 units
// in x (0x7E, a command byte in XXX), a long stitch, a colour change.
Design edgeDesign()
{
    Design d;
    d.name = "edges";
    d.threads = {3, 10};
    d.jump(-500, 300);
    d.stitch(-374, 300);
    d.stitch(-374, 40);
    d.stitch(-380, 30);
    d.colorChange(1);
    d.jump(200, -250);
    d.runTo(260, -100, 30);
    return d;
}

TEST(JefWriter, HeaderAgreesWithTheStitchStream)
{
    const Design design = edgeDesign();
    const Bytes f = writeJef(design);
    const std::uint32_t colours = le(f, 24, 4);
    ASSERT_EQ(colours, 2u);
    const std::uint32_t start = le(f, 0, 4);
    EXPECT_EQ(start, kJefThreadTable + 8 * colours);
    EXPECT_EQ(le(f, kJefThreadTable, 4), 3u);
    EXPECT_EQ(le(f, kJefThreadTable + 4, 4), 10u);
    EXPECT_EQ(le(f, kJefThreadTable + 8, 4), 13u);

    // Walk the stream: every record within -127..127, no zero jump (a trim), one change, the end last.
    int x = 0, y = 0, minX = 0, maxX = 0, minY = 0, maxY = 0, changes = 0;
    std::size_t i = start;
    for (;;) {
        ASSERT_LT(i + 1, f.size());
        if (f[i] == 0x80) {
            if (f[i + 1] == 0x10) {
                i += 2;
                break;
            }
            ASSERT_TRUE(f[i + 1] == 0x01 || f[i + 1] == 0x02) << i;
            if (f[i + 1] == 0x02) {
                EXPECT_FALSE(f[i + 2] == 0 && f[i + 3] == 0) << "a zero jump reads as a trim, at " << i;
            }
            changes += f[i + 1] == 0x01;
            x += s8(f[i + 2]);
            y += s8(f[i + 3]);
            i += 4;
        } else {
            EXPECT_NE(f[i + 1], 0x80) << i;
            x += s8(f[i]);
            y += s8(f[i + 1]);
            i += 2;
        }
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    EXPECT_EQ(i, f.size()) << "nothing after the end command";
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(std::pair(x, y), design.position());
    EXPECT_EQ(le(f, 28, 4), (i - start) / 2) << "count of 2-byte units, the end command included";
    EXPECT_EQ(int(le(f, 36, 4)), -minX);
    EXPECT_EQ(int(le(f, 40, 4)), maxY);
    EXPECT_EQ(int(le(f, 44, 4)), maxX);
    EXPECT_EQ(int(le(f, 48, 4)), -minY);
}

TEST(XxxWriter, RecordsEndWhereTheHeaderSaysAndColoursFollow)
{
    Design design = edgeDesign();
    design.threads = {0x123456, 0xABCDEF};
    const Bytes f = writeXxx(design);
    const std::size_t end = le(f, 0xFC, 4);
    int x = 0, y = 0, changes = 0;
    std::uint32_t records = 0;
    std::size_t i = 0x100;
    while (i < end) {
        if (f[i] == 0x7D) {
            x += s16(le(f, i + 1, 2));
            y += s16(le(f, i + 3, 2));
            i += 5;
        } else if (f[i] == 0x7F) {
            ASSERT_TRUE(f[i + 1] == 0x01 || f[i + 1] == 0x03 || f[i + 1] == 0x08) << i;
            changes += f[i + 1] == 0x08;
            x += s8(f[i + 2]);
            y += s8(f[i + 3]);
            i += 4;
        } else {
            ASSERT_NE(f[i], 0x7E) << "a stitch's first byte must not read as a long move, at " << i;
            x += s8(f[i]);
            y += s8(f[i + 1]);
            i += 2;
        }
        ++records;
    }
    ASSERT_EQ(i, end) << "the end offset falls on a record boundary";
    EXPECT_EQ(Bytes(f.begin() + long(end), f.begin() + long(end) + 6), (Bytes{0x7F, 0x7F, 0x02, 0x14, 0, 0}));
    EXPECT_EQ(le(f, 0x17, 4), records);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(std::pair(x, y), design.position());
    EXPECT_EQ(std::pair(s16(le(f, 0x31, 2)), s16(le(f, 0x33, 2))), design.position());
    ASSERT_EQ(le(f, 0x27, 4), 2u);
    EXPECT_EQ(be(f, end + 6, 4), 0x123456u);
    EXPECT_EQ(be(f, end + 10, 4), 0xABCDEFu);
    EXPECT_EQ(f.size(), end + 14);
    EXPECT_EQ(le(f, 0x2D, 2), 260u + 500u) << "width";
    EXPECT_EQ(le(f, 0x2F, 2), 300u + 250u) << "height";
}

TEST(Vp3Writer, PacketLengthsNestAndThreadsCarryTheirTexts)
{
    Design design = edgeDesign();
    design.threads = {1, 0};
    const std::vector<Vp3Thread> threads = {{0x112233, "7", "Moss", "Brand A"}, {0xA0B0C0, "12", "Sky", "Brand B"}};
    const Bytes f = writeVp3(design, threads);
    ASSERT_EQ(Bytes(f.begin(), f.begin() + 6), (Bytes{'%', 'v', 's', 'm', '%', 0}));
    std::size_t i = 6 + 2 + be(f, 6, 2);
    ASSERT_EQ(be(f, i, 3), 0x000200u);
    EXPECT_EQ(i + 7 + be(f, i + 3, 4), f.size()) << "the summary packet runs to the end of the file";
    i += 7;
    i += 2 + be(f, i, 2) + 25;
    ASSERT_EQ(be(f, i, 3), 0x000300u);
    const std::size_t hoopEnd = i + 7 + be(f, i + 3, 4);
    EXPECT_EQ(hoopEnd, f.size());
    i += 7 + 8 + 27;
    i += 2 + be(f, i, 2) + 24;
    i += 2 + be(f, i, 2);
    ASSERT_EQ(be(f, i, 2), 2u) << "one thread packet per colour block";
    i += 2;
    const std::vector<std::pair<std::uint32_t, std::string>> expected = {{0xA0B0C0, "Sky"}, {0x112233, "Moss"}};
    for (const auto& [rgb, name] : expected) {
        ASSERT_EQ(be(f, i, 3), 0x000500u) << i;
        const std::size_t end = i + 7 + be(f, i + 3, 4);
        ASSERT_LE(end, hoopEnd);
        i += 7 + 8;
        EXPECT_EQ(f[i], 1);
        EXPECT_EQ(be(f, i + 2, 3), rgb);
        i += 2 + 6 + 2;
        std::vector<std::string> texts;
        for (int s = 0; s < 3; ++s) {
            const std::size_t n = be(f, i, 2);
            texts.emplace_back(f.begin() + long(i) + 2, f.begin() + long(i + 2 + n));
            i += 2 + n;
        }
        EXPECT_EQ(texts[1], name);
        i += 8;
        ASSERT_EQ(be(f, i, 3), 0x000100u);
        const std::size_t runEnd = i + 7 + be(f, i + 3, 4);
        EXPECT_EQ(be(f, i + 7, 3), 0x0AF600u);
        EXPECT_EQ(runEnd + 1, end) << "one 0 byte between the stitch run and the packet's end";
        EXPECT_EQ(f.at(runEnd), 0);
        i = end;
    }
    EXPECT_EQ(i, hoopEnd);
}

TEST(ShvWriter, BlockLengthsAddUpToTheStream)
{
    const Design design = edgeDesign();
    const Bytes f = writeShv(design);
    ASSERT_EQ(std::string(f.begin(), f.begin() + 86), kShvSignature);
    std::size_t i = 86;
    EXPECT_EQ(std::string(f.begin() + long(i) + 1, f.begin() + long(i) + 1 + f[i]), "edges");
    i += 1 + f[i];
    const std::size_t pictureBytes = std::size_t(f[i]) * ((f[i + 1] + 1u) / 2);
    i += 6 + pictureBytes;
    const std::size_t blocks = f[i];
    ASSERT_EQ(blocks, 2u);
    const std::uint32_t total = be(f, i + 15, 4);
    i += 19;
    std::vector<std::uint32_t> lengths;
    for (std::size_t b = 0; b < blocks; ++b, i += 14)
        lengths.push_back(be(f, i, 4));
    EXPECT_EQ(f[i - 28 + 4], 3) << "colour index of the first block";
    EXPECT_EQ(f[i - 14 + 4], 10);
    EXPECT_EQ(lengths[0] + lengths[1], total);
    // Walk the stream counting units (a long move counts three) and cut it into the blocks.
    std::uint32_t units = 0;
    int x = 0, y = 0;
    std::vector<std::uint32_t> blockEnds;
    while (i < f.size()) {
        if (f[i] == 0x80) {
            ASSERT_TRUE(f[i + 1] >= 1 && f[i + 1] <= 3);
            if (f[i + 1] == 0x01) {
                x += s16(be(f, i + 2, 2));
                y -= s16(be(f, i + 4, 2));
                units += 3;
                i += 6;
                continue;
            }
            units += 1;
            i += 2;
            continue;
        }
        x += s8(f[i]);
        y -= s8(f[i + 1]);
        units += 1;
        i += 2;
    }
    EXPECT_EQ(units, total);
    EXPECT_EQ(std::pair(x, y), design.position()) << "y is stored downward";
}

// The reader's expansion of one HUS/VIP section, which must give back what was compressed.
Bytes expanded(const Bytes& packed, std::size_t size)
{
    hus::ExpandError error = hus::ExpandError::None;
    Bytes out = hus::expandSection(packed, size, &error);
    EXPECT_EQ(error, hus::ExpandError::None) << hus::describe(error);
    return out;
}

TEST(HusCompressor, ExpandsBackToItsInput)
{
    std::mt19937 random(21);
    Bytes noise(3000);
    for (auto& b : noise)
        b = std::uint8_t(random());
    Bytes runs;  // repeats near and far, overlapping copies, a long run of one byte
    for (int i = 0; i < 4000; ++i)
        runs.push_back(std::uint8_t(i % 7 == 0 ? 0x81 : (i / 300) % 3 == 0 ? 0x80 : i % 13));
    const Bytes single(2000, 0x80);
    const Bytes empty;
    for (const Bytes* data : std::vector<const Bytes*>{&noise, &runs, &single, &empty}) {
        for (const HusCompressOptions& options : std::vector<HusCompressOptions>{{}, {100, true}, {65535, false}}) {
            const Bytes packed = husCompress(*data, options);
            EXPECT_EQ(expanded(packed, data->size()), *data)
                << data->size() << " bytes, " << options.codesPerBlock << " codes a block";
        }
    }
    EXPECT_LT(husCompress(runs).size(), runs.size() / 4) << "repeats are found";
    EXPECT_THROW(husCompress(runs, {0, true}), std::invalid_argument);
}

// Header fields of HUS and VIP against the expanded sections.
void checkHusBody(const Bytes& f, std::size_t firstSection, const Design& design)
{
    const std::uint32_t records = le(f, 4, 4);
    const std::size_t a = le(f, 20, 4), xo = le(f, 24, 4), yo = le(f, 28, 4);
    EXPECT_EQ(a, firstSection);
    ASSERT_TRUE(a < xo && xo < yo && yo < f.size());
    const Bytes attributes = expanded(Bytes(f.begin() + long(a), f.begin() + long(xo)), records);
    const Bytes xs = expanded(Bytes(f.begin() + long(xo), f.begin() + long(yo)), records);
    const Bytes ys = expanded(Bytes(f.begin() + long(yo), f.end()), records);
    int x = 0, y = 0, minX = 0, maxX = 0, minY = 0, maxY = 0, changes = 0;
    for (std::uint32_t r = 0; r < records; ++r) {
        const bool last = r + 1 == records;
        EXPECT_EQ(attributes[r] == kHusEnd, last) << "the end record is the last, record " << r;
        changes += attributes[r] == kHusColorChange;
        x += s8(xs[r]);
        y += s8(ys[r]);
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(std::pair(x, y), design.position());
    EXPECT_EQ(s16(le(f, 12, 2)), maxX);
    EXPECT_EQ(s16(le(f, 14, 2)), maxY);
    EXPECT_EQ(s16(le(f, 16, 2)), minX);
    EXPECT_EQ(s16(le(f, 18, 2)), minY);
}

TEST(HusWriter, HeaderAgreesWithTheExpandedRecords)
{
    const Design design = edgeDesign();
    const Bytes f = writeHus(design, {50, true});
    EXPECT_EQ(le(f, 0, 4), 0x00C8AF5Bu);
    ASSERT_EQ(le(f, 8, 4), 2u);
    EXPECT_EQ(le(f, 42, 2), 3u);
    EXPECT_EQ(le(f, 44, 2), 10u);
    checkHusBody(f, 46, design);
}

TEST(VipWriter, ColourSectionAndHeaderAgreeWithTheRecords)
{
    Design design = edgeDesign();
    design.threads = {0x123456, 0xFEDCBA};
    const Bytes f = writeVip(design);
    EXPECT_EQ(le(f, 0, 4), 0x0190FC5Du);
    ASSERT_EQ(le(f, 8, 4), 2u);
    EXPECT_EQ(le(f, 42, 4), 0x2Eu + 16);
    // Undo the chaining (zero key): each byte XOR the stored byte before it.
    Bytes plain;
    for (std::size_t i = 46; i < 46 + 8; ++i)
        plain.push_back(std::uint8_t(f[i] ^ (i == 46 ? 0 : f[i - 1])));
    EXPECT_EQ(plain, (Bytes{0x12, 0x34, 0x56, 0, 0xFE, 0xDC, 0xBA, 0}));
    for (std::size_t i = 54; i < 66; i += 4)
        EXPECT_EQ(le(f, i, 4), 1u);
    EXPECT_EQ(le(f, 66, 2), 0u);
    checkHusBody(f, 68, design);
}

} // namespace
} // namespace orlika::test
