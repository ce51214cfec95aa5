#include <windows.h>

#include "platform/code_page.h"
#include "platform/win_text.h"

namespace platform {
namespace {

// The ANSI code page, when it is a single-byte one; 0 means Windows-1252.
UINT SingleByteAnsiCodePage() {
  static const UINT page = [] {
    const UINT acp = GetACP();
    CPINFO info{};
    if (acp == CP_UTF8 || !GetCPInfo(acp, &info) || info.MaxCharSize != 1) return UINT{0};
    return acp;
  }();
  return page;
}

}  // namespace

std::optional<std::string> EncodeSingleByte(std::string_view utf8, std::string* unheld) {
  const UINT page = SingleByteAnsiCodePage();
  if (page == 0) return EncodeWindows1252(utf8, unheld);
  return EncodeEach(utf8, unheld, [page](std::string_view character, char32_t code) -> std::optional<char> {
    if (code < 0x80) return static_cast<char>(code);
    const std::wstring wide = win::Widen(character);
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         bytes, sizeof bytes, nullptr, &usedDefault);
    if (size != 1 || usedDefault) return std::nullopt;
    return bytes[0];
  });
}

std::string DecodeSingleByte(std::string_view bytes) {
  const UINT page = SingleByteAnsiCodePage();
  if (page == 0) return DecodeWindows1252(bytes);
  if (bytes.empty()) return {};
  const int size = MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
  return win::Narrow(wide);
}

}  // namespace platform
