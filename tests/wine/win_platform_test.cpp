// The Windows implementations of the platform layer against the system
// itself: the wide API, the ANSI code page, file attributes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/tool_folder.h"
#include "platform/win_text.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::win::Widen;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

TEST(WindowsPlatform, TheToolFolderComesFromTheExecutablesPathNotTheWorkingFolder) {
  // The build folder as CMake names it; under Wine a Unix path, which Wine
  // shows on drive Z:.
  std::string expected = STORMLINE_TEST_BINARY_DIR;
  std::replace(expected.begin(), expected.end(), '/', '\\');
  if (expected.front() == '\\') expected = "Z:" + expected;

  TempFolder elsewhere;
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(Widen(elsewhere.path()).c_str()));
  const std::string folder = platform::ToolFolder();
  SetCurrentDirectoryW(previous);

  EXPECT_EQ(Lower(folder), Lower(expected));
  EXPECT_TRUE(TempFolder::Exists(platform::JoinPath(folder, "stormline_double.exe")));
}

TEST(WindowsPlatform, TheAnsiCodePageAgreesWithTheWindows1252TableOnEveryCharacter) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system's ANSI code page is " << GetACP() << ", not 1252";
  // Every character of the Basic Multilingual Plane: the system's converter
  // must hold exactly what the table holds, with no best-fit stand-ins.
  int differences = 0;
  for (char32_t code = 1; code < 0x10000 && differences < 10; ++code) {
    if (code >= 0xD800 && code <= 0xDFFF) continue;
    std::string utf8;
    platform::AppendUtf8(utf8, code);
    const auto system = platform::EncodeSingleByte(utf8);
    const auto table = platform::EncodeWindows1252(utf8);
    if (system != table) {
      ++differences;
      ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(code) << ": system "
                    << (system ? std::to_string(static_cast<unsigned char>((*system)[0])) : "refuses") << ", table "
                    << (table ? std::to_string(static_cast<unsigned char>((*table)[0])) : "refuses");
    }
  }
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(platform::DecodeSingleByte(all), platform::DecodeWindows1252(all));
}

TEST(WindowsPlatform, CharactersTheCodePageLacksAreRefusedNotReplacedByLookAlikes) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system's ANSI code page is " << GetACP() << ", not 1252";
  const struct {
    const char* utf8;
    const char* unheld;
  } cases[] = {
      {"Ko\xC5\x82obrzeg", "\xC5\x82"},   // l with stroke; best fit would give "l"
      {"\xC4\x80rhus", "\xC4\x80"},        // A with macron; best fit "A"
      {"x\xE2\x88\x9E", "\xE2\x88\x9E"},   // infinity; best fit "8"
      {"\xEF\xBC\xA1", "\xEF\xBC\xA1"},    // full-width A
      {"\xE2\x80\x8B", "\xE2\x80\x8B"},    // zero-width space
  };
  for (const auto& c : cases) {
    std::string unheld;
    EXPECT_FALSE(platform::EncodeSingleByte(c.utf8, &unheld)) << c.utf8;
    EXPECT_EQ(unheld, c.unheld);
  }
  EXPECT_EQ(platform::EncodeSingleByte("K\xC3\xBCste \xE2\x82\xAC\xC5\xA0"), std::string("K\xFCste \x80\x8A"));
}

TEST(WindowsPlatform, FilesAreReachedByDriveLetterAndBackslashPaths) {
  TempFolder folder;
  const std::string root = folder.path();
  ASSERT_GE(root.size(), 3u);
  EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(root[0])) && root[1] == ':' && root[2] == '\\') << root;
  EXPECT_EQ(root.find('/'), std::string::npos) << root;

  const std::string sub = folder.File("sub folder");
  ASSERT_TRUE(CreateDirectoryW(Widen(sub).c_str(), nullptr));
  const std::string file = sub + "\\K\xC3\xBCste \xE2\x82\xAC.txt";  // "Küste €.txt"
  auto& fs = platform::RealFileSystem();
  ASSERT_TRUE(platform::WriteFileReplacing(fs, file, "bytes\r\n"));
  EXPECT_TRUE(fs.Exists(file));
  // The same file by its UTF-16 name: the UTF-8 path was widened, not read
  // in the ANSI code page.
  const std::wstring wide = Widen(root) + L"\\sub folder\\K\u00FCste \u20AC.txt";
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  std::string bytes;
  ASSERT_TRUE(fs.ReadAll(file, bytes, 100));
  EXPECT_EQ(bytes, "bytes\r\n");
  EXPECT_TRUE(fs.Remove(file));
  EXPECT_FALSE(fs.Exists(file));
  EXPECT_EQ(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WindowsPlatform, TheReadOnlyAttributeIsNeverForced) {
  TempFolder folder;
  const std::string file = folder.File("go.bat");
  const std::string other = folder.File("other.bat");
  TempFolder::Write(file, "old");
  TempFolder::Write(other, "new");
  ASSERT_TRUE(SetFileAttributesW(Widen(file).c_str(), FILE_ATTRIBUTE_READONLY));
  auto& fs = platform::RealFileSystem();
  bool inTheWay = false;
  EXPECT_FALSE(fs.CreateNew(file, "x", other, inTheWay));
  EXPECT_TRUE(inTheWay);
  EXPECT_FALSE(fs.Replace(other, file));
  EXPECT_FALSE(fs.Remove(file));
  EXPECT_FALSE(platform::WriteFileReplacing(fs, file, "x"));
  EXPECT_EQ(TempFolder::Read(file), "old");
  EXPECT_TRUE(TempFolder::Exists(other));
  SetFileAttributesW(Widen(file).c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
