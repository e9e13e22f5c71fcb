// SPDX-License-Identifier: MIT
// Work on several threads taken in order: every result once, in order, whatever order the
// workers finish in; a stop leaves the rest undone; a failure on either side ends the work
// and comes out, with no worker left behind.
#include "collection/InOrderWorkers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlika::test {
namespace {

// Later items finish first now and then, so that workers overtake each other.
int slowSquare(std::size_t item)
{
    if (item % 7 == 0)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return int(item * item);
}

TEST(InOrderWorkers, EveryResultComesOnceInOrderAndAStopLeavesTheRest)
{
    std::vector<std::size_t> order;
    std::vector<int> values;
    EXPECT_TRUE((forEachInOrder<int>(500, 4, 16, slowSquare, [&](std::size_t item, int&& value) {
        order.push_back(item);
        values.push_back(value);
        return true;
    })));
    ASSERT_EQ(order.size(), 500u);
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i], i);
        EXPECT_EQ(values[i], int(i * i));
    }

    // Take says stop at the tenth: nothing after it is taken, and the workers ran at most
    // their window ahead of it.
    std::atomic<int> produced{0};
    std::size_t takenCount = 0;
    EXPECT_FALSE((forEachInOrder<int>(
        10'000, 3, 8,
        [&](std::size_t item) {
            ++produced;
            return slowSquare(item);
        },
        [&](std::size_t item, int&&) {
            ++takenCount;
            return item < 9;
        })));
    EXPECT_EQ(takenCount, 10u);
    EXPECT_LE(produced.load(), 10 + 8);
    EXPECT_TRUE((forEachInOrder<int>(0, 2, 4, slowSquare, [](std::size_t, int&&) { return true; })));
}

TEST(InOrderWorkers, AFailureOnEitherSideEndsTheWorkAndComesOut)
{
    std::size_t takenCount = 0;
    const auto countTaken = [&](std::size_t, int&&) {
        ++takenCount;
        return true;
    };
    try {
        forEachInOrder<int>(
            1000, 2, 32,
            [](std::size_t item) {
                if (item == 50)
                    throw std::runtime_error("item 50 cannot be read");
                return slowSquare(item);
            },
            countTaken);
        ADD_FAILURE() << "the producer's failure did not come out";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "item 50 cannot be read");
    }
    EXPECT_LE(takenCount, 50u);

    EXPECT_THROW((forEachInOrder<int>(1000, 2, 32, slowSquare,
                                      [](std::size_t item, int&&) -> bool {
                                          if (item == 20)
                                              throw std::runtime_error("the disk is full");
                                          return true;
                                      })),
                 std::runtime_error);
}

} // namespace
} // namespace orlika::test
