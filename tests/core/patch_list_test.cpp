#include "main_window/patch_list.h"

#include <gtest/gtest.h>

namespace {

patch_list::Marks Marked(std::initializer_list<int> indexes) {
  patch_list::Marks marks{};
  for (const int i : indexes) marks[static_cast<size_t>(i)] = true;
  return marks;
}

TEST(PatchList, RecordsAreColumnThenRowInIndexOrder) {
  EXPECT_EQ(patch_list::Records(Marked({})), "");
  EXPECT_EQ(patch_list::Records(Marked({17, 0, 1})), std::string("\x00\x00\x01\x00\x01\x01", 6));
  EXPECT_EQ(patch_list::Records(Marked({240})), std::string("\x00\x0F", 2));
  EXPECT_EQ(patch_list::Records(Marked({255, 15})), std::string("\x0F\x00\x0F\x0F", 4));

  patch_list::Marks all{};
  all.fill(true);
  std::string expected;
  for (int row = 0; row < 16; ++row) {
    for (int column = 0; column < 16; ++column) {
      expected += static_cast<char>(column);
      expected += static_cast<char>(row);
    }
  }
  EXPECT_EQ(patch_list::Records(all), expected);
}

TEST(PatchList, EachListEntryOpensItsSquare) {
  const struct {
    int listIndex;
    int side;
  } cases[] = {{0, 4}, {1, 8}, {2, 12}, {3, 16}, {7, 16}, {-1, 16}};
  for (const auto& c : cases) {
    EXPECT_EQ(patch_list::ActiveSize(c.listIndex), c.side) << c.listIndex;
    int active = 0;
    for (int i = 0; i < patch_list::kPatchCount; ++i) active += patch_list::InActiveArea(i, c.side);
    EXPECT_EQ(active, c.side * c.side);
  }
  EXPECT_TRUE(patch_list::InActiveArea(51, 4));    // column 3, row 3
  EXPECT_FALSE(patch_list::InActiveArea(4, 4));    // column 4, row 0
  EXPECT_FALSE(patch_list::InActiveArea(64, 4));   // column 0, row 4
  EXPECT_TRUE(patch_list::InActiveArea(187, 12));  // column 11, row 11
  EXPECT_FALSE(patch_list::InActiveArea(192, 12));
}

}  // namespace
