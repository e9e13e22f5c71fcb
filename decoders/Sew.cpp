// SPDX-License-Identifier: MIT
// The SEW-only parts of the EXP decoder: the Janome thread palette and the header with its
// thread list.
#include "decoders/Sew.h"

#include "platform/ByteCursor.h"
#include "platform/FileSystem.h"

namespace orlika::sew {

// Entry 0 is not part of the palette; see the header for what it shows.
const std::array<std::string_view, kPaletteSize + 1> SewThreadNames = {
    "Undefined",
    "Black", "White", "Yellow", "Orange",
    "Olive Green", "Green", "Sky Blue", "Purple",
    "Pink", "Red", "Light Rust", "Royal",
    "Gold", "Dark Brown", "Pale Violet", "Pale Yellow",
    "Pale Pink", "Peach", "Beige", "Wine Red",
    "Pale Sky", "Yellow Green", "Silver Grey", "Grey",
    "Pale Aqua", "Baby Blue", "Light Blue", "Light Rust",
    "Undefined", "Navy Blue", "Undefined", "Teal Green",
    "Cornflower Blue", "Cinnamon", "Umber", "Undefined",
    "Undefined", "Undefined", "Peony Purple", "Undefined",
    "Royal Purple", "Undefined", "Undefined", "Undefined",
    "Meadow Green", "Russet Brown", "Mint Green", "Emerald Green",
    "Undefined", "Dark Gray", "Royal Purple", "Undefined",
    "Dark Brown", "Salmon Pink", "Light Brown", "Amber Red",
    "Undefined", "Undefined", "Undefined", "Seacrest",
    "Undefined", "Pumpkin", "Cream Yellow", "Undefined",
    "Undefined", "Leaf Green", "Undefined", "Undefined",
    "Undefined", "Undefined", "Tangerine", "Pink",
    "Deep Green", "Undefined", "Deep Green", "Beige",
    "Undefined", "Bamboo", "Undefined", "Undefined",
};

// 0x00BBGGRR; a top byte of 0x02 marks a palette-relative colour, as the charts hold it.
const std::array<Color, kPaletteSize + 1> SewThreadColors = {
    Black,
    0x00000000, 0x02E5E5E5, 0x0000FFFF, 0x020066FF, 0x02339999, 0x0000FF00, 0x02FFCC00, 0x00800080,
    0x02CC99FF, 0x000000FF, 0x023366CC, 0x00FF0000, 0x02CC9933, 0x02FF99FF, 0x02FFFF99, 0x02FFCCCC,
    0x02D799FF, 0x02FFCC99, 0x02990000, 0x0299FFFF, 0x02CCFF66, 0x02CCCCCC, 0x02B2B2B2, 0x0266FFCC,
    0x026699FF, 0x02003399, 0x02FFFFB9, 0x023366CC, 0x00FFFFFF, 0x02DF1C00, 0x024C9300, 0x00FFFFFF,
    0x02FEBDBA, 0x02CC3366, 0x0215CAFE, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x02CC99FF, 0x00FFFFFF,
    0x029933CC, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x02339966, 0x025F9CBA, 0x028AD36B, 0x02006633,
    0x00FFFFFF, 0x027F7F7F, 0x02B800DF, 0x00FFFFFF, 0x020D2669, 0x027891F3, 0x020082BF, 0x022968CF,
    0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x029BBFB0, 0x00FFFFFF, 0x0204BAFF, 0x026CF0FF, 0x00FFFFFF,
    0x00FFFFFF, 0x0223A937, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x0204A7FF, 0x02D799FF,
    0x02047000, 0x00FFFFFF, 0x02047000, 0x02B4D9E7, 0x00FFFFFF, 0x02999966, 0x00FFFFFF, 0x00FFFFFF,
};

std::string_view threadName(std::uint16_t index)
{
    return index < SewThreadNames.size() ? SewThreadNames[index] : SewThreadNames[0];
}

Color threadColor(std::uint16_t index)
{
    return index < SewThreadColors.size() ? SewThreadColors[index] : SewThreadColors[0];
}

HeaderStatus parseHeader(ByteCursor& cursor, ColorList& list)
{
    list.count = 0;
    cursor.seek(0);
    const Read<std::uint16_t> stated = cursor.u16();
    if (!stated.complete() || stated.value > kMaxColors)
        return HeaderStatus::UnknownFormat;
    bool reduced = false;
    // A list cut short by the end of the file keeps the entries it holds whole.
    for (Read<std::uint16_t> entry; list.count < stated.value && (entry = cursor.u16()).complete(); ++list.count) {
        if (entry.value > kPaletteSize - 1) {
            entry.value = std::uint16_t(entry.value % kPaletteSize);
            reduced = true;
        }
        list.entries[list.count] = entry.value;
    }
    return reduced ? HeaderStatus::ColorsReduced : HeaderStatus::Ok;
}

std::string entryText(std::size_t position, std::uint16_t index)
{
    return std::to_string(position + 1) + ". " + std::string(threadName(index));
}

bool namedSew(const std::string& path)
{
    return upperCase(extensionPart(path)) == ".SEW";
}

} // namespace orlika::sew
