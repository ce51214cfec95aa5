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
  std::string out;
  out.reserve(utf8.size());
  size_t offset = 0;
  // One character at a time, so that the one the code page lacks can be named.
  while (offset < utf8.size()) {
    const size_t start = offset;
    char32_t code = 0;
    if (!NextCodePoint(utf8, offset, code)) {
      if (unheld) *unheld = std::string(1, utf8[start]);
      return std::nullopt;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
      continue;
    }
    const std::wstring wide = win::Widen(utf8.substr(start, offset - start));
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         bytes, sizeof bytes, nullptr, &usedDefault);
    if (size != 1 || usedDefault) {
      if (unheld) *unheld = std::string(utf8.substr(start, offset - start));
      return std::nullopt;
    }
    out += bytes[0];
  }
  return out;
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
