// SPDX-License-Identifier: MIT
#include "decoders/JefThreads.h"

#include <array>

namespace orlika::jef {

namespace {

// Indices 1 to 78 in order, with Janome's own thread numbers.
constexpr std::array<ChartThread, kChartSize> kChart{{
    {rgb(0x00, 0x00, 0x00), "Black", "002"},  // 1
    {rgb(0xFF, 0xFF, 0xFF), "White", "001"},  // 2
    {rgb(0xFF, 0xFF, 0x17), "Yellow", "204"},  // 3
    {rgb(0xFF, 0x66, 0x00), "Orange", "203"},  // 4
    {rgb(0x2F, 0x59, 0x33), "Olive Green", "219"},  // 5
    {rgb(0x23, 0x73, 0x36), "Green", "226"},  // 6
    {rgb(0x65, 0xC2, 0xC8), "Sky", "217"},  // 7
    {rgb(0xAB, 0x5A, 0x96), "Purple", "208"},  // 8
    {rgb(0xF6, 0x69, 0xA0), "Pink", "201"},  // 9
    {rgb(0xFF, 0x00, 0x00), "Red", "225"},  // 10
    {rgb(0xB1, 0x70, 0x4E), "Brown", "214"},  // 11
    {rgb(0x0B, 0x2F, 0x84), "Blue", "207"},  // 12
    {rgb(0xE4, 0xC3, 0x5D), "Gold", "003"},  // 13
    {rgb(0x48, 0x1A, 0x05), "Dark Brown", "205"},  // 14
    {rgb(0xAC, 0x9C, 0xC7), "Pale Violet", "209"},  // 15
    {rgb(0xFC, 0xF2, 0x94), "Pale Yellow", "210"},  // 16
    {rgb(0xF9, 0x99, 0xB7), "Pale Pink", "211"},  // 17
    {rgb(0xFA, 0xB3, 0x81), "Peach", "212"},  // 18
    {rgb(0xC9, 0xA4, 0x80), "Beige", "213"},  // 19
    {rgb(0x97, 0x05, 0x33), "Wine Red", "215"},  // 20
    {rgb(0xA0, 0xB8, 0xCC), "Pale Sky", "216"},  // 21
    {rgb(0x7F, 0xC2, 0x1C), "Yellow Green", "218"},  // 22
    {rgb(0xE5, 0xE5, 0xE5), "Silver Gray", "220"},  // 23
    {rgb(0x88, 0x9B, 0x9B), "Gray", "221"},  // 24
    {rgb(0x98, 0xD6, 0xBD), "Pale Aqua", "227"},  // 25
    {rgb(0xB2, 0xE1, 0xE3), "Baby Blue", "228"},  // 26
    {rgb(0x36, 0x8B, 0xA0), "Powder Blue", "229"},  // 27
    {rgb(0x4F, 0x83, 0xAB), "Bright Blue", "230"},  // 28
    {rgb(0x38, 0x6A, 0x91), "Slate Blue", "231"},  // 29
    {rgb(0x07, 0x16, 0x50), "Navy Blue", "232"},  // 30
    {rgb(0xF9, 0x99, 0xA2), "Salmon Pink", "233"},  // 31
    {rgb(0xF9, 0x67, 0x6B), "Coral", "234"},  // 32
    {rgb(0xE3, 0x31, 0x1F), "Burnt Orange", "235"},  // 33
    {rgb(0xE2, 0xA1, 0x88), "Cinnamon", "236"},  // 34
    {rgb(0xB5, 0x94, 0x74), "Umber", "237"},  // 35
    {rgb(0xE4, 0xCF, 0x99), "Blond", "238"},  // 36
    {rgb(0xFF, 0xCB, 0x00), "Sunflower", "239"},  // 37
    {rgb(0xE1, 0xAD, 0xD4), "Orchid Pink", "240"},  // 38
    {rgb(0xC3, 0x00, 0x7E), "Peony Purple", "241"},  // 39
    {rgb(0x80, 0x00, 0x4B), "Burgundy", "242"},  // 40
    {rgb(0x54, 0x05, 0x71), "Royal Purple", "243"},  // 41
    {rgb(0xB1, 0x05, 0x25), "Cardinal Red", "244"},  // 42
    {rgb(0xCA, 0xE0, 0xC0), "Opal Green", "245"},  // 43
    {rgb(0x89, 0x98, 0x56), "Moss Green", "246"},  // 44
    {rgb(0x5C, 0x94, 0x1A), "Meadow Green", "247"},  // 45
    {rgb(0x00, 0x31, 0x14), "Dark Green", "248"},  // 46
    {rgb(0x5D, 0xAE, 0x94), "Aquamarine", "249"},  // 47
    {rgb(0x4C, 0xBF, 0x8F), "Emerald Green", "250"},  // 48
    {rgb(0x00, 0x77, 0x72), "Peacock Green", "251"},  // 49
    {rgb(0x59, 0x5B, 0x61), "Dark Gray", "252"},  // 50
    {rgb(0xFF, 0xFF, 0xF2), "Ivory White", "253"},  // 51
    {rgb(0xB1, 0x58, 0x18), "Hazel", "254"},  // 52
    {rgb(0xCB, 0x8A, 0x07), "Toast", "255"},  // 53
    {rgb(0x98, 0x6C, 0x80), "Salmon", "256"},  // 54
    {rgb(0x98, 0x69, 0x2D), "Cocoa Brown", "257"},  // 55
    {rgb(0x4D, 0x34, 0x19), "Sienna", "258"},  // 56
    {rgb(0x4C, 0x33, 0x0B), "Sepia", "259"},  // 57
    {rgb(0x33, 0x20, 0x0A), "Dark Sepia", "260"},  // 58
    {rgb(0x52, 0x3A, 0x97), "Violet Blue", "261"},  // 59
    {rgb(0x0D, 0x21, 0x7E), "Blue Ink", "262"},  // 60
    {rgb(0x1E, 0x77, 0xAC), "Sola Blue", "263"},  // 61
    {rgb(0xB2, 0xDD, 0x53), "Green Dust", "264"},  // 62
    {rgb(0xF3, 0x36, 0x89), "Crimson", "265"},  // 63
    {rgb(0xDE, 0x64, 0x9E), "Floral Pink", "266"},  // 64
    {rgb(0x98, 0x41, 0x61), "Wine", "267"},  // 65
    {rgb(0x4C, 0x56, 0x12), "Olive Drab", "268"},  // 66
    {rgb(0x4C, 0x88, 0x1F), "Meadow", "269"},  // 67
    {rgb(0xE4, 0xDE, 0x79), "Mustard", "270"},  // 68
    {rgb(0xCB, 0x8A, 0x1A), "Yellow Ocher", "271"},  // 69
    {rgb(0xCB, 0xA2, 0x1C), "Old Gold", "272"},  // 70
    {rgb(0xFF, 0x98, 0x05), "Honey Dew", "273"},  // 71
    {rgb(0xFC, 0xB2, 0x57), "Tangerine", "274"},  // 72
    {rgb(0xFF, 0xE5, 0x05), "Canary Yellow", "275"},  // 73
    {rgb(0xF0, 0x33, 0x1F), "Vermilion", "202"},  // 74
    {rgb(0x1A, 0x84, 0x2D), "Bright Green", "206"},  // 75
    {rgb(0x38, 0x6C, 0xAE), "Ocean Blue", "222"},  // 76
    {rgb(0xE3, 0xC4, 0xB4), "Beige Gray", "223"},  // 77
    {rgb(0xE3, 0xAC, 0x81), "Bamboo", "224"},  // 78
}};

} // namespace

const ChartThread& chartThread(std::uint32_t index)
{
    return index >= 1 && index <= kChartSize ? kChart[index - 1] : kUnknownThread;
}

} // namespace orlika::jef
