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

}  // namespace platform
