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

platform::Status ReadRecords(std::string_view bytes, const std::string& path, Marks& marks) {
  const auto refused = [&](const std::string& reason) {
    return platform::Status::Failure("Could not load \"" + path + "\": " + reason + ".");
  };
  if (bytes.size() > kMaxRecordBytes) {
    return refused("it holds " + std::to_string(bytes.size()) + " bytes, more than the " +
                   std::to_string(kMaxRecordBytes) + " of a patch list");
  }
  if (bytes.size() % 2 != 0) return refused("its length is odd, and a patch list holds two bytes per patch");
  Marks read{};
  for (std::size_t at = 0; at < bytes.size(); at += 2) {
    const auto column = static_cast<unsigned char>(bytes[at]);
    const auto row = static_cast<unsigned char>(bytes[at + 1]);
    if (column >= kSide || row >= kSide) {
      return refused("record " + std::to_string(at / 2 + 1) + " names column " + std::to_string(column) + ", row " +
                     std::to_string(row) + ", outside the 16 x 16 grid");
    }
    read[static_cast<std::size_t>(row * kSide + column)] = true;
  }
  marks = read;
  return platform::Status::Ok();
}

int SmallestListIndexHolding(const Marks& marks) {
  for (int entry = 0; entry < kListEntries - 1; ++entry) {
    bool holds = true;
    for (int i = 0; i < kPatchCount && holds; ++i) holds = !marks[static_cast<std::size_t>(i)] || InActiveArea(i, ActiveSize(entry));
    if (holds) return entry;
  }
  return kListEntries - 1;
}

}  // namespace patch_list
