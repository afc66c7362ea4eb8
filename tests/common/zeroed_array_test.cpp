#include "common/zeroed_array.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavo {
namespace {

// Records are made within the room, zero until written; a copy is a table of
// its own with the same records and room, and nothing reads or grows past the end.
TEST(ZeroedArray, GrowsWithinItsRoomAndCopiesApart) {
    ZeroedArray<int> table;
    table.Reset(4);
    EXPECT_EQ(table.Grow(1), 0u);
    table.GrowTo(2) = 7;
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.at(1), 0);

    ZeroedArray<int> copy = table;
    copy[2] = 8;
    EXPECT_EQ(table.at(2), 7);
    EXPECT_EQ(copy.at(2), 8);
    EXPECT_EQ(copy.Grow(1), 3u);
    EXPECT_THROW(copy.Grow(1), std::length_error);
    EXPECT_THROW(table.at(3), std::out_of_range);

    const ZeroedArray<long long> cells(5);
    EXPECT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells.at(4), 0);
    EXPECT_THROW(cells.at(5), std::out_of_range);
}

}  // namespace
}  // namespace tavo
