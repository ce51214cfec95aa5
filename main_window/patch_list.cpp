#include "main_window/patch_list.h"

namespace patch_list {

int ActiveSize(int listIndex) {
  switch (listIndex) {
    case 0:
      return 4;
    case 1:
      return 8;
    case 2:
      return 12;  // the entry reads "16x16", but it has always opened 12 x 12
    default:
      return kSide;
  }
}

bool InActiveArea(int index, int activeSize) { return Column(index) < activeSize && Row(index) < activeSize; }

std::string Records(const Marks& marks) {
  std::string bytes;
  bytes.reserve(2 * kPatchCount);
  for (int i = 0; i < kPatchCount; ++i) {
    if (!marks[static_cast<size_t>(i)]) continue;
    bytes += static_cast<char>(Column(i));
    bytes += static_cast<char>(Row(i));
  }
  return bytes;
}

}  // namespace patch_list
