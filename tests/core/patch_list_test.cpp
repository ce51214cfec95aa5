#include "main_window/patch_list.h"

#include <gtest/gtest.h>

// The bytes of lmList.dat, here and nowhere else: a column and a row byte
// per marked patch in index order, read back whole (a repeated record counts
// once); and the smallest grid-size entry (squares of 4, 8, 12 and 16) that
// holds the marks.
TEST(PatchList, RecordsAreColumnThenRowInIndexOrderAndReadBack) {
  std::vector<int> all;
  std::string every;  // the largest list, every patch once
  for (int i = 0; i < 256; ++i) all.push_back(i), every += {static_cast<char>(i % 16), static_cast<char>(i / 16)};
  const std::tuple<std::vector<int>, std::string, int> cases[] = {
      {{}, "", 0},
      {{17, 0, 1}, std::string("\x00\x00\x01\x00\x01\x01", 6), 0},
      {{52}, "\x04\x03", 1},
      {{136}, "\x08\x08", 2},
      {{188}, "\x0C\x0B", 3},
      {all, every, 3},
  };
  for (const auto& [marked, records, listIndex] : cases) {
    patch_list::Marks marks{}, read{};
    for (const int i : marked) marks[static_cast<size_t>(i)] = true;
    EXPECT_EQ(std::tuple(patch_list::Records(marks), patch_list::SmallestListIndexHolding(marks)), std::tuple(records, listIndex));
    EXPECT_TRUE(patch_list::ReadRecords(records.size() < 512 ? records + records : records, "x", read));
    EXPECT_EQ(read, marks) << records.size();
  }
  // A refused list leaves the marks as they were.
  const std::pair<std::string, const char*> refused[] = {
      {every + "ab", "Could not load \"x\": it holds 514 bytes, more than the 512 of a patch list."},
      {std::string("\x00", 1), "Could not load \"x\": its length is odd, and a patch list holds two bytes per patch."},
      {std::string("\x01\x00\x00\x10", 4), "Could not load \"x\": record 2 names column 0, row 16, outside the 16 x 16 grid."},
      {std::string("\x10\x00", 2), "Could not load \"x\": record 1 names column 16, row 0, outside the 16 x 16 grid."},
  };
  for (const auto& [bytes, says] : refused) {
    patch_list::Marks left{true};
    EXPECT_EQ(patch_list::ReadRecords(bytes, "x", left).message(), says);
    EXPECT_EQ(left, patch_list::Marks{true}) << says;
  }
}
