#pragma once

#include <string>
#include <string_view>

// The plain-ASCII character rules the file formats and the command
// interpreter go by, whatever the user's locale says.
namespace platform::ascii {

inline bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F; }
inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline std::string Lower(std::string_view text) {
  std::string low(text);
  for (char& c : low) c = Lower(c);
  return low;
}

}  // namespace platform::ascii
