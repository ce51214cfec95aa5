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
    std::string reason;
    EXPECT_EQ(patch_list::ReadRecords(c.records + c.records, reason), marks) << "a repeated record counts once";
    EXPECT_EQ(patch_list::SmallestListIndexHolding(marks), c.listIndex);
  }
  patch_list::Marks all{};
  all.fill(true);
  std::string every;
  for (int i = 0; i < 256; ++i) every += {static_cast<char>(i % 16), static_cast<char>(i / 16)};
  EXPECT_EQ(patch_list::Records(all), every);
  std::string reason;
  for (const std::string& refused : {every + "ab", std::string("\x00", 1), std::string("\x00\x10", 2)}) {
    EXPECT_FALSE(patch_list::ReadRecords(refused, reason));
    EXPECT_FALSE(reason.empty());
  }
}

}  // namespace
