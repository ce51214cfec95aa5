#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/status.h"

// The patch grid's data: patch i is column i mod 16 (from the left) and
// row i div 16 (from the bottom); lmList.dat holds one column byte and one
// row byte per marked patch, in index order, and nothing else.
namespace patch_list {

inline constexpr int kSide = 16;
inline constexpr int kPatchCount = kSide * kSide;

using Marks = std::array<bool, kPatchCount>;

inline int Column(int index) { return index % kSide; }
inline int Row(int index) { return index / kSide; }

// The side of the active square for an entry of the grid-size list:
// "4x4", "8x8", "16x16" (which opens 12 x 12) and "32x32"; any other index
// opens the whole grid.
int ActiveSize(int listIndex);
bool InActiveArea(int index, int activeSize);

std::string Records(const Marks& marks);

// The largest lmList.dat the grid can give: every patch once.
inline constexpr std::size_t kMaxRecordBytes = 2 * kPatchCount;

// The marks the patch list read from path holds, a repeated record counting
// once; refused where the length is odd or past kMaxRecordBytes, or a
// column or row is 16 or more.
platform::Status ReadRecords(std::string_view bytes, const std::string& path, Marks& marks);

// The first entry of the grid-size list whose active square holds every mark.
int SmallestListIndexHolding(const Marks& marks);
inline constexpr int kListEntries = 4;

}  // namespace patch_list
