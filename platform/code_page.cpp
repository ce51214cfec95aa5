#include "platform/code_page.h"

#include <array>

namespace platform {
namespace {

// Bytes 0x80 to 0x9F of Windows-1252. The five bytes the code page leaves
// undefined map to the C1 control of the same number, as Windows does, so
// that every byte survives a round trip.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<unsigned char> To1252(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<unsigned char>(code);
  for (size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == code) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

bool NextCodePoint(std::string_view utf8, size_t& offset, char32_t& code) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char lead = byte(offset);
  size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    code = lead;
    offset += 1;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return false;
  }
  if (offset + length > utf8.size()) return false;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(offset + i) & 0xC0) != 0x80) return false;
    code = (code << 6) | (byte(offset + i) & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  offset += length;
  return true;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::optional<std::string> EncodeEach(std::string_view utf8, std::string* unheld, const ByteFor& byteFor) {
  std::string out;
  out.reserve(utf8.size());
  size_t offset = 0;
  while (offset < utf8.size()) {
    const size_t start = offset;
    char32_t code = 0;
    if (!NextCodePoint(utf8, offset, code)) {
      if (unheld) *unheld = std::string(1, utf8[start]);
      return std::nullopt;
    }
    const std::string_view character = utf8.substr(start, offset - start);
    const auto byte = byteFor(character, code);
    if (!byte) {
      if (unheld) *unheld = std::string(character);
      return std::nullopt;
    }
    out += *byte;
  }
  return out;
}

std::optional<std::string> EncodeWindows1252(std::string_view utf8, std::string* unheld) {
  return EncodeEach(utf8, unheld, [](std::string_view, char32_t code) -> std::optional<char> {
    const auto byte = To1252(code);
    if (!byte) return std::nullopt;
    return static_cast<char>(*byte);
  });
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char32_t{b});
  }
  return out;
}

}  // namespace platform
