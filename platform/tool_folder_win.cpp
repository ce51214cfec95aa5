#include <windows.h>

#include <vector>

#include "platform/tool_folder.h"
#include "platform/win_text.h"

namespace platform {

std::string ToolFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return ".";
    if (length < buffer.size()) {
      std::wstring path(buffer.data(), length);
      const size_t slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? "." : win::Narrow(path.substr(0, slash));
    }
    buffer.resize(buffer.size() * 2);
  }
}

namespace {

// The long form, so that C:\Users\LONGNA~1\AppData\Local\Temp and its
// long name compare alike.
std::wstring LongName(const std::wstring& path) {
  std::wstring full(GetLongPathNameW(path.c_str(), nullptr, 0), L'\0');
  if (full.empty()) return path;
  full.resize(GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size())));
  return full;
}

}  // namespace

bool InTemporaryFolder(const std::string& folder) {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return false;
  std::wstring temp = LongName(std::wstring(buffer, length));
  if (!temp.empty() && temp.back() != L'\\') temp += L'\\';
  const std::wstring inside = LongName(win::Widen(folder)) + L'\\';
  return inside.size() >= temp.size() &&
         CompareStringOrdinal(inside.data(), static_cast<int>(temp.size()), temp.data(), static_cast<int>(temp.size()),
                              TRUE) == CSTR_EQUAL;
}

}  // namespace platform
