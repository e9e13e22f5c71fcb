// SPDX-License-Identifier: MIT
// The cell layer's table of the formats' cell rules against the registry's readers: every
// reader has its rule, and the rule's pen at the start agrees with what the decoding says
// of the colour the design starts in.
#include "cell/CellRules.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orlika::test {
namespace {

TEST(CellRules, EveryReaderOfTheRegistryHasItsCellRuleAndOtherNamesHaveNone)
{
    for (const Format& format : formats()) {
        SCOPED_TRACE(std::string(format.name));
        const CellRule* named = cellRuleNamed(format.reader.name);
        ASSERT_NE(named, nullptr);
        EXPECT_EQ(&cellRuleOf(format.reader), named);
    }
    // SEW designs are read, and laid out, as EXP's.
    EXPECT_EQ(&cellRuleOf(*readerOfName("A.SEW")), &cellRuleOf(*readerOfName("A.EXP")));

    EXPECT_EQ(cellRuleNamed("NoSuchFormat"), nullptr);
    const Reader unknown{"NoSuchFormat", readerOfName("A.DST")->decoding};
    EXPECT_THROW(cellRuleOf(unknown), std::logic_error);
}

TEST(CellRules, ThePenStartsInTheDesignsColourExactlyWhereTheDecodingSaysItDoes)
{
    // The page cell and every reader outside it (pictures, thumbnails, the index, the
    // conversion) must start the pen alike: the cell's rule by its start, the pen trace by
    // the decoding's form.
    for (const Format& format : formats()) {
        SCOPED_TRACE(std::string(format.name));
        const Placement::Start start = cellRuleOf(format.reader).placement.start;
        const bool cellStartsInColor =
            start == Placement::Start::ColorThenMove || start == Placement::Start::WidthColorThenMove;
        EXPECT_EQ(cellStartsInColor, format.reader.decoding.form.startsInColor);
    }
}

} // namespace
} // namespace orlika::test
