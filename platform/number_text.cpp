#include "platform/number_text.h"
#include "platform/ascii.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace platform {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string NumberToText(double value, std::string_view decimalSeparator) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value > 0 ? "Infinity" : "-Infinity");
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  std::string out;
  for (const char c : text) {
    if (c == '.') {
      out += decimalSeparator;
    } else if (c == 'e') {
      out += 'E';
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<double> TextToNumber(std::string_view text, std::string_view decimalSeparator) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && ascii::IsBlank(text[begin])) ++begin;
  while (end > begin && ascii::IsBlank(text[end - 1])) --end;
  const std::string_view body = text.substr(begin, end - begin);

  // Rebuild the number in the form from_chars reads, checking every character.
  std::string plain;
  size_t i = 0;
  bool negative = false;
  if (i < body.size() && (body[i] == '+' || body[i] == '-')) negative = body[i++] == '-';
  if (negative) plain += '-';
  size_t digits = 0;
  while (i < body.size() && IsDigit(body[i])) plain += body[i++], ++digits;
  if (!decimalSeparator.empty() && body.substr(i, decimalSeparator.size()) == decimalSeparator) {
    i += decimalSeparator.size();
    plain += '.';
    while (i < body.size() && IsDigit(body[i])) plain += body[i++], ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    plain += body[i++];
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) plain += body[i++];
    size_t exponentDigits = 0;
    while (i < body.size() && IsDigit(body[i])) plain += body[i++], ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != body.size()) return std::nullopt;

  double value = 0;
  const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) return std::nullopt;
  return value;
}

}  // namespace platform
