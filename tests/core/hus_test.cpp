// SPDX-License-Identifier: MIT
// HUS and VIP: the expansion of their stitch sections on compressed, hand-built and hostile
// bit streams; the records as movements; the headers a reader refuses; the records kept from
// the sizing pass against those expanded again; the bundled samples against their DST; the
// real files.
#include "cell/CellRules.h"
#include "decoders/Hus.h"
#include "decoders/HusExpand.h"
#include "decoders/Vip.h"
#include "platform/MemoryFile.h"
#include "tests/support/NamedDesigns.h"
#include "tools/designgen/ByteOut.h"
#include "tools/designgen/HusCompressor.h"
#include "tools/designgen/HusWriter.h"
#include "tools/designgen/VipWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace orlika::test {
namespace {

namespace fs = std::filesystem;
using hus::ExpandError;

// ---------------------------------------------------------------------------------------
// Bit streams

// Bits most significant first, as the sections hold them; the last byte padded with zeros.
class BitStream {
public:
    BitStream& put(std::uint64_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_current = std::uint8_t(m_current << 1 | ((value >> i) & 1u));
            if (++m_used == 8) {
                m_bytes.push_back(m_current);
                m_current = 0;
                m_used = 0;
            }
        }
        return *this;
    }
    BitStream& bits(const char* ones)
    {
        for (; *ones; ++ones)
            put(*ones == '1', 1);
        return *this;
    }
    Bytes bytes() const
    {
        Bytes out = m_bytes;
        if (m_used > 0)
            out.push_back(std::uint8_t(m_current << (8 - m_used)));
        return out;
    }

private:
    Bytes m_bytes;
    std::uint8_t m_current = 0;
    int m_used = 0;
};

// A block whose tables each hold one symbol: its codes take no bits. The position symbol's
// extra bits, where a match needs them, are the caller's.
BitStream& singleSymbolBlock(BitStream& s, std::uint32_t codes, std::uint32_t literal, std::uint32_t position = 0)
{
    s.put(codes, 16);
    s.put(0, 5).put(0, 5);        // T: one symbol, never used
    s.put(0, 9).put(literal, 9);  // C
    s.put(0, 5).put(position, 5); // P
    return s;
}

struct Expansion {
    Bytes bytes;
    ExpandError error = ExpandError::None;
};

Expansion expand(const Bytes& packed, std::size_t size)
{
    Expansion e;
    e.bytes = hus::expandSection(packed, size, &e.error);
    return e;
}

// The section expanded in pieces of `piece` bytes, as a reader takes it.
Expansion expandInPieces(const Bytes& packed, std::size_t size, std::size_t piece)
{
    MemoryFile file(packed);
    std::array<std::uint8_t, 512> buffer{};
    ByteCursor cursor(file, buffer);
    hus::SectionExpander expander(cursor);
    Expansion e;
    Bytes part(piece);
    while (e.bytes.size() < size) {
        const std::size_t wanted = std::min(piece, size - e.bytes.size());
        const std::size_t got = expander.expand(std::span(part).first(wanted));
        EXPECT_LE(got, wanted);
        e.bytes.insert(e.bytes.end(), part.begin(), part.begin() + std::ptrdiff_t(got));
        if (got < wanted)
            break;
    }
    e.error = expander.error();
    return e;
}

// ---------------------------------------------------------------------------------------
// The expansion

TEST(HusExpansion, CompressedDataExpandsBackInPiecesOfAnySize)
{
    std::mt19937 random(7);
    Bytes noise(3000);
    for (auto& b : noise)
        b = std::uint8_t(random());
    Bytes runs;  // near and far repeats, overlapping copies, a long run of one byte
    for (int i = 0; i < 5000; ++i)
        runs.push_back(std::uint8_t(i % 7 == 0 ? 0x81 : (i / 300) % 3 == 0 ? 0x80 : i % 13));
    // Byte k about 2^(14-k) times: codes up to 15 bits, the longer ones found past the fast
    // lookup.
    Bytes skewed;
    for (int k = 0; k < 17; ++k)
        skewed.insert(skewed.end(), std::size_t(1) << std::max(0, 14 - k), std::uint8_t(k));
    std::shuffle(skewed.begin(), skewed.end(), random);
    // The first bytes again after exactly 1024 others: a copy from the window's far end.
    Bytes far = noise;
    far.resize(1024);
    far.insert(far.end(), noise.begin(), noise.begin() + 40);

    const std::vector<std::pair<const char*, const Bytes*>> data = {
        {"noise", &noise}, {"runs", &runs}, {"skewed", &skewed}, {"far", &far}};
    const std::vector<gen::HusCompressOptions> options = {{}, {7, true}, {65535, false}};
    for (const auto& [what, bytes] : data) {
        for (const gen::HusCompressOptions& option : options) {
            const Bytes packed = gen::husCompress(*bytes, option);
            for (const std::size_t piece : {std::size_t(1), std::size_t(5), std::size_t(256), bytes->size()}) {
                const Expansion e = expandInPieces(packed, bytes->size(), piece);
                EXPECT_EQ(e.error, ExpandError::None) << what << ": " << hus::describe(e.error);
                EXPECT_TRUE(e.bytes == *bytes) << what << ", " << option.codesPerBlock << " codes a block, pieces of "
                                               << piece;
            }
        }
    }
    // Against the same bytes with fresh ones at the end, the copy saves most of 40 literals.
    Bytes fresh = far;
    std::copy(noise.begin() + 1100, noise.begin() + 1140, fresh.begin() + 1024);
    EXPECT_LT(gen::husCompress(far).size() + 20, gen::husCompress(fresh).size()) << "the far copy is a match";
}

TEST(HusExpansion, CopiesOverlapAndReachBackTheWholeWindowButNoFurther)
{
    // One literal, then a 256-byte copy from one byte back: the copy reads what it writes.
    BitStream overlap;
    singleSymbolBlock(overlap, 1, 'a');
    singleSymbolBlock(overlap, 1, 509);
    Expansion e = expand(overlap.bytes(), 257);
    EXPECT_EQ(e.error, ExpandError::None);
    EXPECT_EQ(e.bytes, Bytes(257, 'a'));

    // 2000 literals, then copies from 1024 back (position 10, extra 511) and from 1025.
    const auto afterLiterals = [](std::uint32_t position, std::uint32_t extra) {
        BitStream s;
        singleSymbolBlock(s, 2000, 'b');
        singleSymbolBlock(s, 1, 256, position).put(extra, int(position) - 1);
        return s.bytes();
    };
    e = expand(afterLiterals(10, 511), 2003);
    EXPECT_EQ(e.error, ExpandError::None);
    EXPECT_EQ(e.bytes.size(), 2003u);
    e = expand(afterLiterals(11, 0), 2003);
    EXPECT_EQ(e.error, ExpandError::OutsideWindow);
    EXPECT_EQ(e.bytes, Bytes(2000, 'b')) << "what came before the bad copy is handed out";
}

TEST(HusExpansion, TheSkipFieldFollowsTheThirdLengthEvenOfAThreeEntryTable)
{
    // T: three lengths (1, 1, 0), then the 2-bit skip field; C: one symbol, 'A'; P: one symbol.
    // A reader that skipped the field would take the C count two bits early.
    BitStream s;
    s.put(3, 16);
    s.put(3, 5).put(1, 3).put(1, 3).put(0, 3).put(0, 2);
    s.put(0, 9).put('A', 9);
    s.put(0, 5).put(0, 5);
    const Expansion e = expand(s.bytes(), 3);
    EXPECT_EQ(e.error, ExpandError::None);
    EXPECT_EQ(e.bytes, (Bytes{'A', 'A', 'A'}));
}

TEST(HusExpansion, DamagedStreamsStopWithTheirReason)
{
    // A T table whose symbols 0 and 1 have the codes 0 and 1 (lengths 1, 1, 0, skip 0, 0).
    const auto twoSymbolLengthCode = [](BitStream& s) { s.put(4, 5).put(1, 3).put(1, 3).put(0, 3).put(0, 2).put(0, 3); };
    struct Case {
        const char* what;
        Bytes packed;
        ExpandError error;
    };
    std::vector<Case> cases;
    cases.push_back({"a block of no codes", BitStream().put(0, 16).put(0, 32).bytes(), ExpandError::EmptyBlock});
    cases.push_back({"a T table of 20 lengths", BitStream().put(1, 16).put(20, 5).put(0, 64).bytes(), ExpandError::BadTable});
    cases.push_back({"a single T symbol beyond 18", BitStream().put(1, 16).put(0, 5).put(19, 5).put(0, 32).bytes(),
                     ExpandError::BadTable});
    cases.push_back({"a single C symbol beyond 510",
                     BitStream().put(1, 16).put(0, 5).put(0, 5).put(0, 9).put(511, 9).put(0, 16).bytes(),
                     ExpandError::BadTable});
    cases.push_back({"a P table of 16 lengths",
                     BitStream().put(1, 16).put(0, 10).put(0, 9).put('x', 9).put(16, 5).put(0, 64).bytes(),
                     ExpandError::BadTable});
    cases.push_back({"a single P symbol beyond 14",
                     BitStream().put(1, 16).put(0, 10).put(0, 9).put('x', 9).put(0, 5).put(15, 5).bytes(),
                     ExpandError::BadTable});
    cases.push_back({"four codes of length 1",
                     BitStream().put(1, 16).put(4, 5).put(1, 3).put(1, 3).put(1, 3).put(0, 2).put(1, 3).put(0, 32).bytes(),
                     ExpandError::BadTable});
    cases.push_back({"a length of 17", BitStream().put(1, 16).put(4, 5).put(7, 3).put(0x3FF, 10).put(0, 32).bytes(),
                     ExpandError::BadTable});
    {
        BitStream s;
        s.put(1, 16);
        twoSymbolLengthCode(s);
        s.put(2, 9).bits("1").put(0, 4).put(0, 32);  // a run of 3 zero lengths in a table of 2
        cases.push_back({"zero lengths past the count", s.bytes(), ExpandError::BadTable});
    }
    {
        BitStream s;
        s.put(1, 16);
        s.put(4, 5).put(1, 3).put(0, 3).put(0, 3).put(0, 2).put(0, 3);  // only the code 0
        s.put(1, 9).bits("1").put(0, 32);
        cases.push_back({"a code not in the table", s.bytes(), ExpandError::UnknownCode});
    }
    {
        BitStream s;
        singleSymbolBlock(s, 1, 256);
        cases.push_back({"a copy before the first byte", s.bytes(), ExpandError::OutsideWindow});
    }
    {
        BitStream s;
        singleSymbolBlock(s, 1, 'z');
        singleSymbolBlock(s, 1, 510);
        cases.push_back({"the end code", s.bytes(), ExpandError::EndCode});
    }
    {
        BitStream s;
        singleSymbolBlock(s, 5, 'y');
        cases.push_back({"codes that run out", s.bytes(), ExpandError::InputExhausted});
    }
    cases.push_back({"nothing", Bytes{}, ExpandError::InputExhausted});
    for (const Case& c : cases) {
        const Expansion e = expand(c.packed, 10);
        EXPECT_EQ(e.error, c.error) << c.what << ": " << hus::describe(e.error);
        EXPECT_LT(e.bytes.size(), 10u) << c.what;
    }
}

TEST(HusExpansion, OutputStopsAtWhatIsAskedHoweverMuchTheCodesWouldMake)
{
    // 36 bytes that would make 1 + 65535 x 256 bytes, then a second such pair of blocks.
    BitStream s;
    for (int round = 0; round < 2; ++round) {
        singleSymbolBlock(s, 1, 0x80);
        singleSymbolBlock(s, 65535, 509);
    }
    const Bytes bomb = s.bytes();
    ASSERT_LT(bomb.size(), 40u);
    const Expansion some = expand(bomb, 100'000);
    EXPECT_EQ(some.error, ExpandError::None);
    EXPECT_EQ(some.bytes, Bytes(100'000, 0x80));

    // In pieces to the end: the blocks give exactly what they hold, then the data ends.
    MemoryFile file(bomb);
    std::array<std::uint8_t, 512> buffer{};
    ByteCursor cursor(file, buffer);
    hus::SectionExpander expander(cursor);
    Bytes piece(1 << 16);
    std::uint64_t total = 0;
    for (std::size_t got; (got = expander.expand(piece)) > 0;)
        total += got;
    EXPECT_EQ(total, 2 * (1 + 65535ull * 256));
    EXPECT_EQ(expander.error(), ExpandError::InputExhausted);
}

TEST(HusExpansion, EveryCutAndRandomBitsStopWithinWhatIsAsked)
{
    const gen::HusRecords records = gen::husRecords(gen::makeStar(400));
    const Bytes packed = gen::husCompress(records.xs, {100, true});
    const std::size_t size = records.xs.size();
    for (std::size_t length = 0; length < packed.size(); ++length) {
        const Expansion e = expand(Bytes(packed.begin(), packed.begin() + std::ptrdiff_t(length)), size);
        // The last byte may hold padding only; any shorter cut loses codes.
        if (length + 1 < packed.size()) {
            EXPECT_NE(e.error, ExpandError::None) << "cut to " << length;
        }
        EXPECT_TRUE(std::equal(e.bytes.begin(), e.bytes.end(), records.xs.begin())) << "cut to " << length;
    }
    std::mt19937 random(21);
    for (int trial = 0; trial < 3000; ++trial) {
        Bytes noise(1 + random() % 300);
        for (auto& b : noise)
            b = std::uint8_t(random());
        // A plausible start now and then, so that some get past the first tables.
        if (trial % 2 == 0 && noise.size() > 4)
            noise[0] = 0, noise[1] = 40, noise[2] &= 0x07;
        const Expansion e = expand(noise, 5000);
        EXPECT_TRUE(e.bytes.size() == 5000 || e.error != ExpandError::None) << trial;
    }
}

// ---------------------------------------------------------------------------------------
// The records

constexpr std::uint32_t kHusSignature = 0x00C8AF5Bu;

struct Record {
    int attribute, dx, dy;
};

// A HUS file of these records (compressed as the sample writer does) and colour indices.
Bytes husFile(const std::vector<Record>& records, const std::vector<int>& colors, std::uint32_t signature = kHusSignature)
{
    gen::HusRecords r;
    for (const Record& record : records) {
        r.attributes.push_back(std::uint8_t(record.attribute));
        r.xs.push_back(std::uint8_t(record.dx));
        r.ys.push_back(std::uint8_t(record.dy));
    }
    Bytes f = gen::husCommonHeader(signature, r, std::uint32_t(colors.size()));
    for (const int index : colors)
        gen::putLittleEndian(f, std::uint32_t(index), 2);
    gen::appendHusSections(f, r, {});
    return f;
}

void patch32(Bytes& f, std::size_t at, std::uint32_t value)
{
    gen::patchLittleEndian(f, at, value, 4);
}

std::string colorStep(Color color)
{
    return stepTexts({Movement{0, 0, color, Step::ColorChange}}).front();
}

TEST(HusReader, RecordsMoveByTheirDisplacementThenActUntilTheEndRecord)
{
    const Bytes f = husFile({{0x81, 10, 20}, {0x80, 5, 0}, {0x88, 3, 4}, {0x88, 0, 0}, {0x84, 0, 0}, {0x84, -7, 1},
                             {0x80, 0, -5}, {0x81, 0, 0}, {0x90, 0, 0}, {0x80, 100, 100}},
                            {3, 12, 5});
    const DesignValue v = decodeNamed("records.hus", f);
    ASSERT_TRUE(v.accepted);
    ASSERT_FALSE(v.error);
    const std::vector<std::string> expected = {
        "Jump 10 20",  "Stitch 5 0",        "Jump 3 4",          "Trim",       "Trim", colorStep(rgb(255, 255, 255)),
        "Jump -7 1",   colorStep(rgb(255, 255, 0)), "Stitch 0 -5", "Jump 0 0", "End"};
    EXPECT_EQ(stepTexts(v.movements), expected);
    const Design& d = v.design;
    EXPECT_EQ(d.remarks.stitches, 2);
    EXPECT_EQ(d.remarks.colorChanges, 2);
    // Points (10, 20), (15, 20), (18, 24), (11, 25), (11, 20); the origin in the minima.
    EXPECT_EQ(d.bounds.minX, 0);
    EXPECT_EQ(d.bounds.maxX, 18);
    EXPECT_EQ(d.bounds.minY, 0);
    EXPECT_EQ(d.bounds.maxY, 25);
    EXPECT_EQ(d.frame.width, 18);
    EXPECT_EQ(d.frame.height, 25);
    ASSERT_EQ(d.threads.size(), 3u);
    EXPECT_EQ(d.threads[0].name, "Red");
    EXPECT_EQ(d.threads[0].color, rgb(255, 0, 0));
    EXPECT_EQ(d.startColor, rgb(255, 0, 0));
    EXPECT_EQ(d.cellList, (std::vector<std::string>{"1. Red", "2. White", "3. Yellow"}));
    EXPECT_EQ(d.unit, DesignUnit::TenthMillimetre);
}

TEST(HusReader, AnUnknownAttributeEndsTheDesignAndChangesBeyondTheListKeepThePen)
{
    const Bytes f = husFile({{0x80, 1, 1}, {0x84, 0, 0}, {0x84, 0, 0}, {0x89, 2, 2}, {0xA0, 5, 5}, {0x80, 9, 9}}, {40, 0});
    const DesignValue v = decodeNamed("unknown.hus", f);
    ASSERT_TRUE(v.accepted);
    EXPECT_FALSE(v.error);
    // 0x89: a jump and a trim; 0xA0 (bit 5) is no attribute this reader knows.
    EXPECT_EQ(stepTexts(v.movements),
              (std::vector<std::string>{"Stitch 1 1", colorStep(Black), "Color kept", "Jump 2 2", "Trim"}));
    EXPECT_EQ(v.design.threads[0].name, "");
    EXPECT_EQ(v.design.threads[0].color, Black);
    EXPECT_EQ(v.design.cellList, (std::vector<std::string>{"1. Unknown", "2. Black"}));
    EXPECT_EQ(v.design.bounds.maxX, 3);
}

TEST(HusReader, HeadersThatCannotBeAreRejectedBeforeTheStitchData)
{
    const Bytes good = husFile({{0x80, 1, 1}, {0x90, 0, 0}}, {1});
    ASSERT_TRUE(decodeNamed("good.hus", good).accepted);
    Bytes other = good;
    patch32(other, 0, 0x00C8FC5Du);  // the second HUS signature
    EXPECT_TRUE(decodeNamed("other.hus", other).accepted);

    const auto rejected = [](const std::string& what, const Bytes& f) {
        const DesignValue v = decodeNamed("bad.hus", f);
        EXPECT_FALSE(v.accepted) << what;
        ASSERT_TRUE(v.design.rejection) << what;
        EXPECT_EQ(v.design.rejection->cellText, "Unknown Format") << what;
        EXPECT_EQ(cellRuleOf(*readerNamed("HUSFormat")).rejected.place, ErrorPlace::MiddleLine);
        EXPECT_TRUE(cellRuleOf(*readerNamed("HUSFormat")).rejected.selectionColor);
        ASSERT_EQ(v.design.messages.size(), 1u) << what;
        EXPECT_EQ(v.design.messages[0].text, "bad.hus Has an Unknown File Format");
        EXPECT_EQ(v.design.messages[0].caption, "HUS File Format Error");
    };
    Bytes f = good;
    patch32(f, 0, vip::kSignature);
    rejected("a VIP signature", f);
    f = good;
    patch32(f, 4, hus::kMaxRecords + 1);
    rejected("more records than a design has", f);
    f = good;
    patch32(f, 8, 3);
    rejected("a colour list that runs into the stitch data", f);
    f = good;
    patch32(f, 8, hus::kMaxColors + 1);
    rejected("an absurd colour count", f);
    f = good;
    const std::uint32_t x = std::uint32_t(f[24] | f[25] << 8), y = std::uint32_t(f[28] | f[29] << 8);
    patch32(f, 24, y);
    patch32(f, 28, x);
    rejected("sections out of order", f);
    f = good;
    patch32(f, 28, std::uint32_t(f.size() + 1));
    rejected("a section beyond the file", f);
    rejected("a short file", Bytes(good.begin(), good.begin() + 30));
}

TEST(HusReader, StitchDataThatDoesNotExpandIsRejectedWithItsReason)
{
    const Bytes star = fileBytesAt(fs::path(ORLIKA_SAMPLES) / "star.hus");
    const DesignValue whole = decodeNamed("star.hus", star);
    ASSERT_TRUE(whole.accepted);
    // Every cut that loses a code of the records is rejected; none gives another design.
    std::size_t rejected = 0;
    for (std::size_t length = 0; length < star.size(); ++length) {
        const DesignValue v = decodeNamed("cut.hus", Bytes(star.begin(), star.begin() + std::ptrdiff_t(length)));
        ASSERT_FALSE(v.error) << length;
        if (!v.accepted) {
            ++rejected;
            continue;
        }
        EXPECT_EQ(v.movements.size(), whole.movements.size()) << "cut to " << length;
    }
    EXPECT_GE(rejected + 1, star.size()) << "only a last byte of padding is lost unnoticed";

    const DesignValue cut = decodeNamed("cut.hus", Bytes(star.begin(), star.end() - 20));
    ASSERT_TRUE(cut.design.rejection);
    EXPECT_EQ(cut.design.rejection->cellText, "Damaged Stitch Data");
    ASSERT_EQ(cut.design.messages.size(), 1u);
    EXPECT_EQ(cut.design.messages[0].text, "cut.hus Has Damaged Stitch Data (the data ends before the last record)");
}

TEST(HusReader, RecordsAreTheHeadersCountWhateverTheSectionsCouldMake)
{
    // Each section: one byte, then 65535 copies of 256 bytes from 14 bytes of data.
    const auto bombOf = [](std::uint8_t value) {
        BitStream s;
        singleSymbolBlock(s, 1, value);
        singleSymbolBlock(s, 65535, 509);
        return s.bytes();
    };
    Bytes f = gen::husCommonHeader(kHusSignature, gen::HusRecords{}, 1);
    gen::putLittleEndian(f, 5, 2);
    std::size_t field = 20;
    for (const std::uint8_t value : {std::uint8_t(0x80), std::uint8_t(1), std::uint8_t(0)}) {
        patch32(f, field, std::uint32_t(f.size()));
        field += 4;
        const Bytes section = bombOf(value);
        f.insert(f.end(), section.begin(), section.end());
    }
    patch32(f, 4, 50'000);
    const DesignValue v = decodeNamed("bomb.hus", f);
    ASSERT_TRUE(v.accepted);
    EXPECT_FALSE(v.error);
    EXPECT_EQ(v.movements.size(), 50'000u);
    EXPECT_EQ(v.design.remarks.stitches, 50'000);
    EXPECT_EQ(v.design.bounds.maxX, 50'000);
    patch32(f, 4, hus::kMaxRecords + 1);
    EXPECT_FALSE(decodeNamed("bomb.hus", f).accepted) << "a count beyond the limit is refused unread";
}

// ---------------------------------------------------------------------------------------
// Records kept from the sizing pass, or expanded again

// A file that counts the bytes read from it.
class CountingFile final : public DesignFile {
public:
    explicit CountingFile(const Bytes& bytes) : m_file(bytes) {}
    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        const std::size_t got = m_file.read(buffer);
        bytesRead += std::int64_t(got);
        return got;
    }
    void seek(std::int64_t position) override { m_file.seek(position); }
    std::int64_t position() const override { return m_file.position(); }
    std::int64_t size() const override { return m_file.size(); }

    std::int64_t bytesRead = 0;

private:
    MemoryFile m_file;
};

struct Reading {
    DesignValue value;
    std::int64_t drawingReads = 0;  // bytes read after the sizing pass
};

// The whole design as the decoder `open` makes reads it, and what its movements read.
template <typename Open>
Reading readCounting(const Bytes& bytes, Open&& open)
{
    Reading reading;
    DesignValue& v = reading.value;
    CountingFile file(bytes);
    try {
        const std::unique_ptr<DesignDecoder> decoder = open(file);
        v.accepted = decoder->readHeader(v.design);
        if (!v.accepted)
            return reading;
        decoder->measure(v.design);
        const std::int64_t sized = file.bytesRead;
        for (auto batch = decoder->next(); !batch.empty(); batch = decoder->next())
            v.movements.insert(v.movements.end(), batch.begin(), batch.end());
        v.error = decoder->error();
        reading.drawingReads = file.bytesRead - sized;
    } catch (const InOutError& error) {
        v.error = error.what();
    }
    return reading;
}

// The design read by `variant`'s decoder keeping the records of designs of up to
// `keptRecords` records.
Reading readKeeping(const hus::Variant& variant, const Bytes& bytes, std::uint32_t keptRecords)
{
    return readCounting(bytes, [&](DesignFile& file) {
        return hus::openDecoder(file, std::string("/designs/d.") + std::string(variant.name), variant, keptRecords);
    });
}

void expectSameDesign(const DesignValue& a, const DesignValue& b)
{
    EXPECT_EQ(a.accepted, b.accepted);
    EXPECT_EQ(a.error, b.error);
    ASSERT_EQ(a.movements.size(), b.movements.size());
    const auto differ = std::mismatch(a.movements.begin(), a.movements.end(), b.movements.begin(),
                                      [](const Movement& m, const Movement& n) {
                                          return m.kind == n.kind && m.x == n.x && m.y == n.y && m.color == n.color;
                                      });
    EXPECT_EQ(differ.first, a.movements.end()) << "movement " << (differ.first - a.movements.begin());
    const Design &x = a.design, &y = b.design;
    EXPECT_EQ((std::array{x.bounds.minX, x.bounds.maxX, x.bounds.minY, x.bounds.maxY}),
              (std::array{y.bounds.minX, y.bounds.maxX, y.bounds.minY, y.bounds.maxY}));
    EXPECT_EQ((std::array{x.frame.width, x.frame.height, x.frame.left, x.frame.low}),
              (std::array{y.frame.width, y.frame.height, y.frame.left, y.frame.low}));
    EXPECT_EQ(x.remarks.stitches, y.remarks.stitches);
    EXPECT_EQ(x.remarks.colorChanges, y.remarks.colorChanges);
    EXPECT_EQ(x.cellList, y.cellList);
    EXPECT_EQ(x.startColor, y.startColor);
    ASSERT_EQ(x.messages.size(), y.messages.size());
    for (std::size_t i = 0; i < x.messages.size(); ++i)
        EXPECT_EQ(x.messages[i].text, y.messages[i].text);
    EXPECT_EQ(x.rejection.has_value(), y.rejection.has_value());
    if (x.rejection && y.rejection) {
        EXPECT_EQ(x.rejection->cellText, y.rejection->cellText);
    }
}

// The design read with its records kept from the sizing pass and with them expanded again
// for drawing: the same in every respect.
void expectKeptAsExpandedAgain(const hus::Variant& variant, const Bytes& f)
{
    const Reading kept = readKeeping(variant, f, hus::kMaxRecords);
    const Reading again = readKeeping(variant, f, 0);
    expectSameDesign(kept.value, again.value);
    EXPECT_EQ(kept.drawingReads, 0) << "the records kept are not read again";
    if (again.value.accepted && !again.value.movements.empty()) {
        EXPECT_GT(again.drawingReads, 0) << "the records are expanded again";
    }
}

TEST(HusKeptRecords, KeptFromTheSizingPassTheyDrawAsExpandedAgain)
{
    for (const char* name : {"star.hus", "circle.hus", "star.vip", "circle.vip"}) {
        SCOPED_TRACE(name);
        const Bytes f = fileBytesAt(fs::path(ORLIKA_SAMPLES) / name);
        const hus::Variant& variant = std::string_view(name).ends_with(".vip") ? vip::variant() : hus::husVariant();
        expectKeptAsExpandedAgain(variant, f);
        // Damaged copies, rejected or read as far as they go, alike both ways.
        std::mt19937 random(7);
        for (int trial = 0; trial < 300; ++trial) {
            Bytes flipped = f;
            flipped[random() % flipped.size()] ^= std::uint8_t(1u << (random() % 8));
            SCOPED_TRACE(trial);
            expectKeptAsExpandedAgain(variant, flipped);
        }
    }

    // Many chunks of records, colour changes and their colours among them.
    SCOPED_TRACE("spiral");
    const gen::Design spiral = gen::makeSpiral(3000, 12);
    expectKeptAsExpandedAgain(hus::husVariant(), gen::writeHus(spiral));
    expectKeptAsExpandedAgain(vip::variant(), gen::writeVip(spiral));

    // Records that end before the header's count, within a chunk and at its end, followed
    // by more records; an unknown attribute; every cut of the sections, within the records
    // drawn and behind them.
    std::vector<Record> records;
    for (int r = 0; r < 700; ++r)
        records.push_back({r % 97 == 0 ? 0x84 : r % 31 == 0 ? 0x89 : 0x80, r % 11 - 5, r % 7 - 3});
    for (const std::size_t end : {300u, 511u, 699u}) {
        SCOPED_TRACE(end);
        std::vector<Record> ending = records;
        ending[end] = {0x90, 1, 1};
        const Bytes f = husFile(ending, {1, 2, 3, 4, 5, 6, 7, 8});
        for (std::size_t length = 42; length <= f.size(); ++length) {
            SCOPED_TRACE(length);
            expectKeptAsExpandedAgain(hus::husVariant(), Bytes(f.begin(), f.begin() + std::ptrdiff_t(length)));
        }
        std::vector<Record> unknown = ending;
        unknown[end - 40] = {0xC0, 2, 2};
        expectKeptAsExpandedAgain(hus::husVariant(), husFile(unknown, {3}));
    }
}

// Each section: one record of `value`, then 65535 copies of 256 bytes from 14 bytes of data.
Bytes recordBomb(std::uint32_t records)
{
    const auto sectionOf = [](std::uint8_t value) {
        BitStream s;
        singleSymbolBlock(s, 1, value);
        singleSymbolBlock(s, 65535, 509);
        return s.bytes();
    };
    Bytes f = gen::husCommonHeader(kHusSignature, gen::HusRecords{}, 1);
    gen::putLittleEndian(f, 5, 2);
    std::size_t field = 20;
    for (const std::uint8_t value : {std::uint8_t(0x80), std::uint8_t(1), std::uint8_t(0)}) {
        patch32(f, field, std::uint32_t(f.size()));
        field += 4;
        const Bytes section = sectionOf(value);
        f.insert(f.end(), section.begin(), section.end());
    }
    patch32(f, 4, records);
    return f;
}

TEST(HusKeptRecords, DesignsOfUpTo512KiRecordsAreExpandedOnceLongerOnesAgainForDrawing)
{
    ASSERT_EQ(hus::kKeptRecords, 524'288u);
    for (const std::uint32_t records : {hus::kKeptRecords, hus::kKeptRecords + 1}) {
        SCOPED_TRACE(records);
        const Reading read = readCounting(recordBomb(records), [](DesignFile& file) { return HUSFormat.open(file, "/designs/long.hus"); });
        ASSERT_TRUE(read.value.accepted);
        EXPECT_FALSE(read.value.error);
        EXPECT_EQ(read.value.movements.size(), records);
        EXPECT_EQ(read.value.design.bounds.maxX, records);
        if (records <= hus::kKeptRecords) {
            EXPECT_EQ(read.drawingReads, 0) << "kept from the sizing pass";
        } else {
            EXPECT_GT(read.drawingReads, 0) << "expanded again, a chunk at a time";
        }
    }
    const Reading vipRead = readCounting(fileBytesAt(fs::path(ORLIKA_SAMPLES) / "star.vip"),
                                         [](DesignFile& file) { return VIPFormat.open(file, "/designs/star.vip"); });
    ASSERT_TRUE(vipRead.value.accepted);
    EXPECT_EQ(vipRead.drawingReads, 0) << "VIP keeps its records as HUS does";
}

// ---------------------------------------------------------------------------------------
// The samples and the real files

TEST(HusSamples, ReadAsTheirDstWithTheirThreads)
{
    for (const char* design : {"star", "circle"}) {
        SCOPED_TRACE(design);
        const DesignValue dst = decodeSample(std::string(design) + ".dst");
        const DesignValue hus = decodeSample(std::string(design) + ".hus");
        const DesignValue vip = decodeSample(std::string(design) + ".vip");
        expectSameDesignAsDst(dst, hus);
        expectSameDesignAsDst(dst, vip);
        // The same records: the movements differ only in the colours of the changes.
        ASSERT_EQ(hus.movements.size(), vip.movements.size());
        for (std::size_t i = 0; i < hus.movements.size(); ++i) {
            const Movement &a = hus.movements[i], &b = vip.movements[i];
            ASSERT_TRUE(a.kind == b.kind && a.x == b.x && a.y == b.y) << "movement " << i;
        }
    }
    // HUS table indices 5 Yellow, 3 Red; 1 Blue, 12 White.
    const DesignValue star = decodeSample("star.hus");
    ASSERT_EQ(star.design.threads.size(), 2u);
    EXPECT_EQ(star.design.threads[0].color, rgb(255, 255, 0));
    EXPECT_EQ(star.design.threads[1].color, rgb(255, 0, 0));
    EXPECT_EQ(star.design.cellList, (std::vector<std::string>{"1. Yellow", "2. Red"}));
    EXPECT_EQ(star.design.startColor, rgb(255, 255, 0));
    const auto change = std::find_if(star.movements.begin(), star.movements.end(),
                                     [](const Movement& m) { return m.kind == Step::ColorChange; });
    ASSERT_NE(change, star.movements.end());
    EXPECT_EQ(change->color, rgb(255, 0, 0));
    EXPECT_EQ(decodeSample("circle.hus").design.cellList, (std::vector<std::string>{"1. Blue", "2. White"}));

    // VIP colours cannot be read: the pen table's, in order, without names or a list.
    const DesignValue vip = decodeSample("star.vip");
    ASSERT_EQ(vip.design.threads.size(), 2u);
    EXPECT_EQ(vip.design.threads[0].color, penColors()[0]);
    EXPECT_EQ(vip.design.threads[1].color, penColors()[1]);
    EXPECT_EQ(vip.design.threads[1].name, "");
    EXPECT_TRUE(vip.design.cellList.empty());
    EXPECT_EQ(countOf(vip, Step::ColorChange), 1);
    EXPECT_EQ(vip::unknownThreadColor(17), penColors()[0]) << "white, entry 17, is skipped";
}

struct RealFile {
    const char* name;
    std::int64_t stitches;
    std::int64_t colorChanges;
    std::vector<std::string> threads;
};

TEST(HusRealFiles, SectionsExpandExactlyToTheirRecordsAndTheHeadersExtents)
{
    const fs::path folder(ORLIKA_REAL_SAMPLES);
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no real design files at " << folder << ": HUS and VIP real files not checked";
    const std::vector<RealFile> files = {{"Star.HUS", 2552, 1, {"Red", "White"}},
                                         {"Embroidermodder.HUS", 3408, 0, {"Dark Blue"}},
                                         {"Star.VIP", 2540, 1, {"", ""}}};
    for (const RealFile& real : files) {
        SCOPED_TRACE(real.name);
        const Bytes f = fileBytesAt(folder / real.name);
        ASSERT_GE(f.size(), 42u);
        const auto u32 = [&](std::size_t at) { return std::uint32_t(f[at] | f[at + 1] << 8 | f[at + 2] << 16 | f[at + 3] << 24); };
        const auto i16 = [&](std::size_t at) { return int(std::int16_t(f[at] | f[at + 1] << 8)); };
        const std::uint32_t records = u32(4);
        const std::array<std::size_t, 4> at{u32(20), u32(24), u32(28), f.size()};
        std::array<Bytes, 3> sections;
        for (std::size_t k = 0; k < 3; ++k) {
            const Expansion e = expand(Bytes(f.begin() + std::ptrdiff_t(at[k]), f.begin() + std::ptrdiff_t(at[k + 1])), records);
            EXPECT_EQ(e.error, ExpandError::None) << "section " << k << ": " << hus::describe(e.error);
            EXPECT_EQ(e.bytes.size(), records) << "section " << k;
            sections[k] = e.bytes;
        }
        int x = 0, y = 0, minX = 0, maxX = 0, minY = 0, maxY = 0;
        for (std::uint32_t r = 0; r < records && sections[0].size() == records; ++r) {
            EXPECT_TRUE(hus::knownAttribute(sections[0][r])) << r;
            EXPECT_EQ((sections[0][r] & hus::kEndBit) != 0, r + 1 == records) << r;
            x += std::int8_t(sections[1][r]);
            y += std::int8_t(sections[2][r]);
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
        EXPECT_EQ((std::array{maxX, maxY, minX, minY}), (std::array{i16(12), i16(14), i16(16), i16(18)}));

        const DesignValue v = decodeNamed(real.name, f);
        ASSERT_TRUE(v.accepted);
        EXPECT_FALSE(v.error);
        EXPECT_EQ(v.design.remarks.stitches, real.stitches);
        EXPECT_EQ(v.design.remarks.colorChanges, real.colorChanges);
        EXPECT_EQ(v.design.bounds.width(), maxX - minX);
        EXPECT_EQ(v.design.bounds.height(), maxY - minY);
        std::vector<std::string> names;
        for (const Thread& t : v.design.threads)
            names.push_back(t.name);
        EXPECT_EQ(names, real.threads);
    }
    // The star as DST, HUS and VIP: one size, one colour change.
    const DesignValue dst = decodeNamed("Star.DST", fileBytesAt(folder / "Star.DST"));
    expectSameDesignAsDst(dst, decodeNamed("Star.HUS", fileBytesAt(folder / "Star.HUS")), false);
    expectSameDesignAsDst(dst, decodeNamed("Star.VIP", fileBytesAt(folder / "Star.VIP")), false);
}

} // namespace
} // namespace orlika::test
