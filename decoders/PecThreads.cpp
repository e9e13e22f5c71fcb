// SPDX-License-Identifier: MIT
#include "decoders/PecThreads.h"

namespace orlika {

namespace {

struct ChartRow {
    const char* name;
    std::uint8_t red, green, blue;
};

// Indices 1 to 65, in order; names spelled as the machines' charts print them.
constexpr ChartRow kChart[kPecThreadCount] = {
    {"Pruissian Blue", 26, 10, 148},  // 1
    {"Blue", 15, 117, 255},  // 2
    {"Teal Green", 0, 147, 76},  // 3
    {"Cornflower Blue", 186, 189, 254},  // 4
    {"Red", 236, 0, 0},  // 5
    {"Reddish Brown", 228, 153, 90},  // 6
    {"Magenta", 204, 72, 171},  // 7
    {"Light Lilac", 253, 196, 250},  // 8
    {"Lilac", 221, 132, 205},  // 9
    {"Mint Green", 107, 211, 138},  // 10
    {"Deep Gold", 228, 169, 69},  // 11
    {"Orange", 255, 189, 66},  // 12
    {"Yellow", 255, 230, 0},  // 13
    {"Lime Green", 108, 217, 0},  // 14
    {"Brass", 193, 169, 65},  // 15
    {"Silver", 181, 173, 151},  // 16
    {"Russet Brown", 186, 156, 95},  // 17
    {"Cream Brown", 250, 245, 158},  // 18
    {"Pewter", 128, 128, 128},  // 19
    {"Black", 0, 0, 0},  // 20
    {"UltraMarine", 0, 28, 223},  // 21
    {"Royal Purple", 223, 0, 184},  // 22
    {"Dark Grey", 98, 98, 98},  // 23
    {"Dark Brown", 105, 38, 13},  // 24
    {"Deep Rose", 255, 0, 96},  // 25
    {"Light Brown", 191, 130, 0},  // 26
    {"Salmon Pink", 243, 145, 120},  // 27
    {"Vermilion", 255, 104, 5},  // 28
    {"White", 240, 240, 240},  // 29
    {"Violet", 200, 50, 205},  // 30
    {"Seacrest", 176, 191, 155},  // 31
    {"Sky Blue", 101, 191, 235},  // 32
    {"Pumpkin", 255, 186, 4},  // 33
    {"Cream Yellow", 255, 240, 108},  // 34
    {"Khaki", 254, 202, 21},  // 35
    {"Clay Brown", 243, 129, 1},  // 36
    {"Leaf Green", 55, 169, 35},  // 37
    {"Peacock Blue", 35, 70, 95},  // 38
    {"Grey", 166, 166, 149},  // 39
    {"Warm Grey", 206, 191, 166},  // 40
    {"Dark Green", 150, 170, 2},  // 41
    {"Linen", 255, 227, 198},  // 42
    {"Pink", 255, 153, 215},  // 43
    {"Deep Green", 0, 112, 4},  // 44
    {"Lavender", 237, 204, 251},  // 45
    {"Wisteria Violet", 192, 137, 216},  // 46
    {"Beige", 231, 217, 180},  // 47
    {"Carmine", 233, 14, 134},  // 48
    {"Amber Red", 207, 104, 41},  // 49
    {"Olive Green", 64, 134, 21},  // 50
    {"Dark Fuchsia", 219, 23, 151},  // 51
    {"Tangerine", 255, 167, 4},  // 52
    {"Light Blue", 185, 255, 255},  // 53
    {"Emerald Green", 34, 137, 39},  // 54
    {"Purple", 182, 18, 205},  // 55
    {"Moss Green", 0, 170, 0},  // 56
    {"Flesh Pink", 254, 169, 220},  // 57
    {"Harvest Gold", 254, 213, 16},  // 58
    {"Electric Blue", 0, 151, 223},  // 59
    {"Lemon Yellow", 255, 255, 132},  // 60
    {"Fresh Green", 207, 231, 116},  // 61
    {"Applique Material", 202, 202, 202},  // 62
    {"Applique Position", 186, 186, 26},  // 63
    {"Applique", 171, 171, 171},  // 64
    {"Not Defined", 220, 220, 220},  // 65
};

} // namespace

void FillThreadTables(PecThreadTables& tables)
{
    // A file's thread index 0 names no thread of the chart. It is drawn in black, the
    // colour of palette entry 0, so that its stitches stay visible on the white page,
    // and is listed with the chart's own name for an undefined thread.
    tables.PecThreadColors[0] = kPaletteRelative | rgb(0, 0, 0);
    tables.PecThreadNames[0] = "Not Defined";
    tables.PecPaletteEntries[0] = PaletteEntry{0, 0, 0, 0};
    for (int index = 1; index <= kPecThreadCount; ++index) {
        const ChartRow& row = kChart[index - 1];
        const auto i = std::size_t(index);
        tables.PecThreadColors[i] = kPaletteRelative | rgb(row.red, row.green, row.blue);
        tables.PecThreadNames[i] = row.name;
        tables.PecPaletteEntries[i] = PaletteEntry{row.blue, row.green, row.red, 0};
    }
    // The palette shows the three applique entries as white, unlike their grey pens.
    for (const int applique : {62, 63, 64})
        tables.PecPaletteEntries[std::size_t(applique)] = PaletteEntry{255, 255, 255, 0};
}

const PecThreadTables& threadChart()
{
    static const PecThreadTables chart;
    return chart;
}

void ResetSystemPalette() {}

PaletteRef BuildThreadPalette(std::span<const PaletteEntry>, int)
{
    return 0;
}

} // namespace orlika
