#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The single-byte code page of the text files the tool writes and reads:
// the system's ANSI code page on Windows, Windows-1252 elsewhere (and where
// the system's code page is not a single-byte one). Text inside the tool is
// UTF-8.

// Returns the encoded bytes, or nothing when a character cannot be held;
// then *unheld, if given, receives that character (UTF-8), or the bad byte
// of malformed input.
std::optional<std::string> EncodeSingleByte(std::string_view utf8, std::string* unheld = nullptr);
std::string DecodeSingleByte(std::string_view bytes);

std::optional<std::string> EncodeWindows1252(std::string_view utf8, std::string* unheld = nullptr);
std::string DecodeWindows1252(std::string_view bytes);

// Encodes one character at a time: byteFor gives the byte of a character
// (its UTF-8 text and code point) or nothing; malformed input or the first
// character without a byte stops the walk, as for EncodeSingleByte.
using ByteFor = std::function<std::optional<char>(std::string_view character, char32_t code)>;
std::optional<std::string> EncodeEach(std::string_view utf8, std::string* unheld, const ByteFor& byteFor);

// The code point at offset, which moves past it; false on malformed input,
// with offset left where the malformed character begins.
bool NextCodePoint(std::string_view utf8, size_t& offset, char32_t& code);
void AppendUtf8(std::string& out, char32_t code);

}  // namespace platform
