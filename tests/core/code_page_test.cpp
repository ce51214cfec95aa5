#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, Windows1252HoldsLatinTextAndRefusesTheRest) {
  const struct {
    const char* utf8;
    std::optional<std::string> bytes;
    const char* unheld;
  } cases[] = {
      {"plain", std::string("plain"), ""},
      {"K\xC3\xBCste", std::string("K\xFCste"), ""},
      {"\xE2\x82\xAC", std::string("\x80"), ""},      // euro sign
      {"\xE2\x80\x9C", std::string("\x93"), ""},      // left double quotation mark
      {"\xC5\xB8", std::string("\x9F"), ""},          // Y with diaeresis
      {"\xC3\xBF", std::string("\xFF"), ""},
      {"a\xC5\x82", std::nullopt, "\xC5\x82"},        // l with stroke
      {"\xE6\xB8\xB8", std::nullopt, "\xE6\xB8\xB8"},  // a CJK character
      {"\xF0\x9F\x98\x80", std::nullopt, "\xF0\x9F\x98\x80"},
      {"a\xFF", std::nullopt, "\xFF"},                // not UTF-8
      {"\xC3", std::nullopt, "\xC3"},                 // cut short
      {"\xC0\xAF", std::nullopt, "\xC0"},             // overlong
  };
  for (const auto& c : cases) {
    std::string unheld;
    EXPECT_EQ(platform::EncodeWindows1252(c.utf8, &unheld), c.bytes) << c.utf8;
    EXPECT_EQ(unheld, c.unheld);
  }
}

TEST(CodePage, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(platform::EncodeWindows1252(platform::DecodeWindows1252(all)), all);
  EXPECT_EQ(platform::DecodeWindows1252("\x80\xFC"), "\xE2\x82\xAC\xC3\xBC");
}

// The system's code page: Windows-1252 off Windows; on Windows the ANSI code
// page, which is 1252 for the English and Western European systems (and Wine)
// these tests run on.
TEST(CodePage, TheSystemCodePageHoldsWesternText) {
  EXPECT_EQ(platform::EncodeSingleByte("K\xC3\xBCste \xE2\x82\xAC"), std::string("K\xFCste \x80"));
  std::string unheld;
  EXPECT_FALSE(platform::EncodeSingleByte("x\xE6\xB8\xB8", &unheld));
  EXPECT_EQ(unheld, "\xE6\xB8\xB8");
  EXPECT_EQ(platform::DecodeSingleByte("K\xFCste"), "K\xC3\xBCste");
}

}  // namespace
