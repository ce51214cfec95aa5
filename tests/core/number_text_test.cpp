#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(NumberText, ShowsTheShortestFormWithFifteenDigitsAtMost) {
  const struct {
    double value;
    const char* separator;
    const char* text;
  } cases[] = {
      {1.5, ".", "1.5"},
      {2, ".", "2"},
      {0.1, ".", "0.1"},
      {1.5, ",", "1,5"},
      {-0.25, ",", "-0,25"},
      {1.0 / 3, ".", "0.333333333333333"},
      {2.0 / 3, ".", "0.666666666666667"},
      {123456789012345.0, ".", "123456789012345"},
      {0.1 + 0.2, ".", "0.3"},
      {1e15, ".", "1E+15"},
      {0.00001, ".", "1E-05"},
      {0.0001, ".", "0.0001"},
      {100, ".", "100"},
      {0, ".", "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::NumberToText(c.value, c.separator), c.text) << c.value;
  }
}

TEST(NumberText, ReadsDecimalTextWithTheUsersSeparatorOnly) {
  const struct {
    const char* text;
    const char* separator;
    std::optional<double> value;
  } cases[] = {
      {"1.5", ".", 1.5},
      {"1.50", ".", 1.5},
      {"  2 ", ".", 2},
      {"\t-0.5", ".", -0.5},
      {"+3", ".", 3},
      {".5", ".", 0.5},
      {"5.", ".", 5},
      {"1e3", ".", 1000},
      {"2.5E-1", ".", 0.25},
      {"1,5", ",", 1.5},
      {"1.5", ",", std::nullopt},  // a group separator where ',' is the decimal one
      {"1,5", ".", std::nullopt},
      {"1,000.5", ".", std::nullopt},
      {"", ".", std::nullopt},
      {"   ", ".", std::nullopt},
      {".", ".", std::nullopt},
      {"-", ".", std::nullopt},
      {"1e", ".", std::nullopt},
      {"1e+", ".", std::nullopt},
      {"e5", ".", std::nullopt},
      {"nan", ".", std::nullopt},
      {"NaN", ".", std::nullopt},
      {"inf", ".", std::nullopt},
      {"-Infinity", ".", std::nullopt},
      {"0x10", ".", std::nullopt},
      {"1 5", ".", std::nullopt},
      {"1.5.", ".", std::nullopt},
      {"--1", ".", std::nullopt},
      {"1e999", ".", std::nullopt},
      {"1.5abc", ".", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::TextToNumber(c.text, c.separator), c.value) << '"' << c.text << '"';
  }
}

TEST(NumberText, WhatIsShownReadsBackAsTheSameText) {
  for (const double value : {1.5, 2.0, 0.1, 1.0 / 3, 1e-7, 12345.678, 1e20, -4.25}) {
    for (const char* separator : {".", ","}) {
      const std::string text = platform::NumberToText(value, separator);
      const auto back = platform::TextToNumber(text, separator);
      ASSERT_TRUE(back) << text;
      EXPECT_EQ(platform::NumberToText(*back, separator), text);
    }
  }
}

}  // namespace
