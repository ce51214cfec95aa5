#include "main_window/patch_list.h"

#include <gtest/gtest.h>

namespace {

// The bytes of lmList.dat, here and nowhere else: a column and a row byte
// per marked patch in index order; and the smallest grid-size entry
// (squares of 4, 8, 12 and 16) that holds the marks.
TEST(PatchList, RecordsAreColumnThenRowInIndexOrderAndReadBack) {
  const struct {
    std::vector<int> marked;
    std::string records;
    int listIndex;
  } cases[] = {
      {{}, "", 0},
      {{17, 0, 1}, std::string("\x00\x00\x01\x00\x01\x01", 6), 0},
      {{51}, std::string("\x03\x03", 2), 0},
      {{52}, std::string("\x04\x03", 2), 1},
      {{136}, std::string("\x08\x08", 2), 2},
      {{188}, std::string("\x0C\x0B", 2), 3},
      {{255, 15}, std::string("\x0F\x00\x0F\x0F", 4), 3},
  };
  for (const auto& c : cases) {
    patch_list::Marks marks{};
    for (const int i : c.marked) marks[static_cast<size_t>(i)] = true;
    EXPECT_EQ(patch_list::Records(marks), c.records);
    patch_list::Marks read{};
    EXPECT_TRUE(patch_list::ReadRecords(c.records + c.records, "x", read));
    EXPECT_EQ(read, marks) << "a repeated record counts once";
    EXPECT_EQ(patch_list::SmallestListIndexHolding(marks), c.listIndex);
  }
  patch_list::Marks all{};
  all.fill(true);
  std::string every;
  for (int i = 0; i < 256; ++i) every += {static_cast<char>(i % 16), static_cast<char>(i / 16)};
  EXPECT_EQ(patch_list::Records(all), every);
  patch_list::Marks read{};
  EXPECT_TRUE(patch_list::ReadRecords(every, "x", read));
  EXPECT_EQ(read, all) << "the largest list, every patch once";
  const std::pair<std::string, const char*> refused[] = {
      {every + "ab", "Could not load \"x\": it holds 514 bytes, more than the 512 of a patch list."},
      {std::string("\x00", 1), "Could not load \"x\": its length is odd, and a patch list holds two bytes per patch."},
      {std::string("\x00\x00\x00\x10", 4), "Could not load \"x\": record 2 names column 0, row 16, outside the 16 x 16 grid."},
      {std::string("\x10\x00", 2), "Could not load \"x\": record 1 names column 16, row 0, outside the 16 x 16 grid."},
  };
  for (const auto& [bytes, says] : refused) {
    patch_list::Marks left{};
    left[3] = true;
    EXPECT_EQ(patch_list::ReadRecords(bytes, "x", left).message(), says);
    EXPECT_TRUE(left[3]) << "a refused list leaves the marks given";
  }
}

}  // namespace
