// SPDX-License-Identifier: MIT
// Husqvarna Viking HUS, and what VIP shares with it (docs/formats/hus.md, vip.md): a 42-byte
// header, a colour section that differs between the two, then three compressed sections
// holding each record's attribute, x and y displacement. The decoder expands the three side
// by side as it reads (decoders/HusExpand.h) and turns records into movements, y up as the
// format stores it. The sizing pass expands every record; a design that is not too long
// keeps them for drawing, a longer one is expanded again.
#pragma once

#include "decoders/Design.h"
#include "decoders/Extents.h"
#include "decoders/HusExpand.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlika {

/// Reads Husqvarna Viking HUS designs.
extern const Decoding HUSFormat;

namespace hus {

constexpr std::int64_t kHeaderSize = 42;
/// Far above any design a machine of the format sews; a larger count is not a HUS header.
constexpr std::uint32_t kMaxRecords = 1'000'000;
/// Colour blocks a header may announce.
constexpr std::uint32_t kMaxColors = 4096;

// Record attributes: bit 7 always set, bit 0 a jump, bit 2 a colour change, bit 3 a trim,
// bit 4 the end.
constexpr std::uint8_t kStitch = 0x80;
constexpr std::uint8_t kJumpBit = 0x01;
constexpr std::uint8_t kColorChangeBit = 0x04;
constexpr std::uint8_t kTrimBit = 0x08;
constexpr std::uint8_t kEndBit = 0x10;
constexpr std::uint8_t kCommandBits = kJumpBit | kColorChangeBit | kTrimBit | kEndBit;

/// An attribute this reader knows: bit 7 set and none of bits 1, 5 and 6. Reading stops at
/// any other.
constexpr bool knownAttribute(std::uint8_t attribute)
{
    return (attribute & 0x80) != 0 && (attribute & 0x62) == 0;
}

/// Whether a record moves the needle as a movement of its own: a stitch, a jump, or a
/// command record that carries a displacement (it travels there before its command).
constexpr bool recordMoves(std::uint8_t attribute, int dx, int dy)
{
    return (attribute & (kColorChangeBit | kTrimBit | kEndBit)) == 0 || dx != 0 || dy != 0;
}

/// The header fields HUS and VIP share.
struct Header {
    std::uint32_t signature = 0;
    std::uint32_t records = 0;  // the end record included
    std::uint32_t colors = 0;
    /// Where the attribute, x and y sections start; the last entry is the end of the file,
    /// where the y section ends.
    std::array<std::int64_t, 4> sections{};
};

/// Reads bytes 0..41 and checks them against the file's size: counts within their limits,
/// the sections in order, inside the file and behind `colorSectionEnd(colors)` as the
/// caller computes it. False when they do not hold.
bool readHeader(ByteCursor& cursor, Header& header, std::int64_t (*colorSectionEnd)(std::uint32_t colors));

/// The records of the three sections, expanded side by side as they are read.
class RecordReader {
public:
    static constexpr std::size_t kChunk = 256;

    RecordReader(DesignFile& file, const Header& header);
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    /// Expands the next records, at most kChunk; 0 once all are read or a section stopped.
    std::size_t next();
    std::span<const std::uint8_t> attributes() const { return std::span(m_attributes).first(m_count); }
    std::span<const std::uint8_t> xs() const { return std::span(m_xs).first(m_count); }
    std::span<const std::uint8_t> ys() const { return std::span(m_ys).first(m_count); }
    /// Why a section stopped before the header's count.
    ExpandError error() const { return m_error; }

private:
    // One section: a view of the file with a position of its own (the three are read in
    // turns), its cursor limited to the section, and its expander.
    class SectionFile final : public DesignFile {
    public:
        SectionFile(DesignFile& file, std::int64_t position) : m_file(file), m_position(position) {}
        std::size_t read(std::span<std::uint8_t> buffer) override;
        void seek(std::int64_t position) override;
        std::int64_t position() const override { return m_position; }
        std::int64_t size() const override { return m_file.size(); }

    private:
        DesignFile& m_file;
        std::int64_t m_position;
    };
    struct Section {
        Section(DesignFile& file, std::int64_t start, std::int64_t end);
        SectionFile view;
        std::array<std::uint8_t, 512> buffer{};
        ByteCursor cursor;
        SectionExpander expander;
    };

    std::array<std::unique_ptr<Section>, 3> m_sections;
    std::uint32_t m_left = 0;
    std::size_t m_count = 0;
    std::array<std::uint8_t, kChunk> m_attributes{}, m_xs{}, m_ys{};
    ExpandError m_error = ExpandError::None;
};

/// What the sizing pass finds: the extents from the origin, the stitch records, the colour
/// changes, and whether the records stopped on damaged data before the end record.
struct Figures {
    Extents extents;
    std::int64_t stitches = 0;
    std::int64_t colorChanges = 0;
    ExpandError error = ExpandError::None;
};

/// The records a sizing pass expanded, kept so that drawing need not expand them again.
struct KeptRecords {
    std::vector<std::uint8_t> attributes, xs, ys;
    std::size_t size() const { return attributes.size(); }
};

/// Designs of up to this many records keep them from the sizing pass to drawing: 1.5 MiB
/// for the three sections at most. Longer ones are expanded twice, in flat memory.
constexpr std::uint32_t kKeptRecords = 1u << 19;

/// The sizing pass over all records; with `kept`, every record it expanded is appended
/// there, up to the one it stopped at and the rest of that one's chunk.
Figures measure(DesignFile& file, const Header& header, KeptRecords* kept = nullptr);

/// What differs between HUS and VIP: the signature and the colour section.
struct Variant {
    std::string_view name;  // "HUS"
    bool (*acceptsSignature)(std::uint32_t signature);
    /// Where the colour section ends for `colors` colours: the sections start there or later.
    std::int64_t (*colorSectionEnd)(std::uint32_t colors);
    /// Reads the threads from the cursor (standing behind the header) into the design's list.
    void (*readThreads)(ByteCursor& cursor, const Header& header, std::vector<Thread>& threads);
};

/// The decoder of a variant's files; designs of up to `keptRecords` records are expanded
/// once, longer ones twice.
std::unique_ptr<DesignDecoder> openDecoder(DesignFile& file, const std::string& path, const Variant& variant,
                                           std::uint32_t keptRecords = kKeptRecords);

/// HUS's variant.
const Variant& husVariant();

/// A HUS colour table entry; names "" beyond the table.
Thread tableThread(std::uint16_t index);

} // namespace hus
} // namespace orlika
