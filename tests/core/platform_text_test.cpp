#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "platform/code_page.h"
#include "platform/number_text.h"

namespace {

TEST(CodePage, Windows1252HoldsLatinTextAndRefusesTheRest) {
  const std::tuple<const char*, std::optional<std::string>, const char*> cases[] = {
      {"plain K\xC3\xBCste", "plain K\xFCste", ""},
      {"\xE2\x82\xAC\xE2\x80\x9C\xC5\xB8\xC3\xBF", "\x80\x93\x9F\xFF", ""},  // euro, quotation mark, Y and y diaeresis
      {"a\xC5\x82", std::nullopt, "\xC5\x82"},                               // l with stroke
      {"\xF0\x9F\x98\x80", std::nullopt, "\xF0\x9F\x98\x80"},
      {"a\xFF", std::nullopt, "\xFF"},     // not UTF-8
      {"\xC0\xAF", std::nullopt, "\xC0"},  // overlong
  };
  for (const auto& [utf8, bytes, unheld] : cases) {
    std::string said;
    EXPECT_EQ(platform::EncodeWindows1252(utf8, &said), bytes) << utf8;
    EXPECT_EQ(said, unheld);
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(platform::EncodeWindows1252(platform::DecodeWindows1252(all)), all) << "every byte survives a round trip";
  // The system's code page: the ANSI one on Windows, 1252 on the Western
  // systems (and Wine) these tests run on.
  EXPECT_EQ(platform::EncodeSingleByte("K\xC3\xBCste \xE2\x82\xAC"), std::string("K\xFCste \x80"));
  EXPECT_EQ(platform::EncodeSingleByte("x\xE6\xB8\xB8"), std::nullopt);
  EXPECT_EQ(platform::DecodeSingleByte("K\xFCste \x80"), "K\xC3\xBCste \xE2\x82\xAC");
}

TEST(NumberText, ShowsTheShortestFormWithFifteenDigitsAtMost) {
  const std::tuple<double, const char*, const char*> cases[] = {
      {1.5, ".", "1.5"},
      {-0.25, ",", "-0,25"},
      {2.0 / 3, ".", "0.666666666666667"},
      {0.1 + 0.2, ".", "0.3"},
      {1e15, ".", "1E+15"},
      {0.00001, ".", "1E-05"},
      {-HUGE_VAL, ".", "-Infinity"},
  };
  for (const auto& [value, separator, text] : cases) EXPECT_EQ(platform::NumberToText(value, separator), text) << value;
}

TEST(NumberText, ReadsDecimalTextWithTheUsersSeparatorOnly) {
  const std::tuple<const char*, const char*, std::optional<double>> cases[] = {
      {"1.50", ".", 1.5},
      {" \t-0.5 ", ".", -0.5},
      {".5", ".", 0.5},
      {"2.5E-1", ".", 0.25},
      {"1,5", ",", 1.5},
      {"1.5", ",", std::nullopt},  // a group separator where ',' is the decimal one
      {"1,5", ".", std::nullopt},
      {".", ".", std::nullopt},
      {"1 5", ".", std::nullopt},
      {"1e999", ".", std::nullopt},
  };
  for (const auto& [text, separator, value] : cases) EXPECT_EQ(platform::TextToNumber(text, separator), value) << text;
}

}  // namespace
