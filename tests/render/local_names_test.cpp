// SPDX-License-Identifier: MIT
// The names of a folder in the user's collation, as the window lists them.
#include "platform/SortedNameList.h"
#include "render/QtText.h"
#include "tests/support/GuiApplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace orlika {
namespace {

// Names a collation may order in more than one way: case and accent twins, digits, spaces
// and punctuation, letters beyond Latin, a name that comes twice.
const std::vector<std::string> kTrickyNames = {
    "a.dst",          "A.DST",           "a.DST",       "\xC3\xA4.dst", "\xC3\x84.dst", "\xC3\xA0.dst",
    "b.dst",          "B 2.dst",         "b_2.dst",     "b-2.dst",      "b2.dst",       "b10.dst",
    "b1.dst",         "\xC3\xA9.pes",    "e.pes",       "E.PES",        "\xEF\xAC\x81.dst", "fi.dst",
    "\xC3\x9F.dst",   "ss.dst",          "SS.DST",      "z.dst",        "Z.DST",        "zz.dst",
    "\xC3\xB6.exp",   "o.exp",           "O.EXP",       "\xE6\x97\xA5\xE6\x9C\xAC.dst", "\xF0\x9F\x98\x80.dst",
    " .dst",          ".dst",            "ab.dst",      "a b.dst",      "a.dst",        "Rose (2).pes",
    "rose(2).pes",    "rose 2.pes",      "ROSE2.PES",   "r\xC3\xB6se.pes", "ro\xCC\x88se.pes"};

TEST(LocalNames, AFolderListedInOneSortStandsAsNamesAddedOneByOne)
{
    test::guiApplication();
    SortedNameList oneByOne(localNameComparer());
    int added = 0;
    for (const std::string& name : kTrickyNames)
        added += oneByOne.add(name) ? 1 : 0;
    std::mt19937 random(30);
    std::vector<std::string> names = kTrickyNames;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        SortedNameList together(localNameComparer());
        EXPECT_EQ(together.addAll(names), added);
        EXPECT_EQ(together.names(), oneByOne.names());
        std::shuffle(names.begin(), names.end(), random);
    }
    EXPECT_EQ(added, int(kTrickyNames.size()) - 1) << "a.dst comes twice";
    // Names the collation calls equal are apart, in byte order.
    const auto& sorted = oneByOne.names();
    const auto at = [&](const std::string& name) { return std::find(sorted.begin(), sorted.end(), name) - sorted.begin(); };
    EXPECT_LT(at("A.DST"), at("a.DST"));
    EXPECT_LT(at("a.DST"), at("a.dst"));
}

} // namespace
} // namespace orlika
