#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The one rule by which the tool shows a number: the shortest decimal form
// with at most 15 significant digits, no trailing zeros, with the given
// decimal separator (1.5 -> "1.5", 2 -> "2"; exponent form, "1E-05", only
// where plain digits would need more than 15 places).
std::string NumberToText(double value, std::string_view decimalSeparator);

// The one rule by which the tool reads a number: optional blanks around it,
// an optional sign, digits with at most one decimal separator, an optional
// exponent. Anything else (empty text, group separators, "nan", "inf", a
// value out of range) gives nothing.
std::optional<double> TextToNumber(std::string_view text, std::string_view decimalSeparator);

// The user's decimal separator, from the user's number format.
std::string UserDecimalSeparator();

}  // namespace platform
