#include <gtest/gtest.h>

#include <regex>
#ifdef _WIN32
#include "platform/win_text.h"
#endif

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/number_text.h"
#include "platform/tool_folder.h"
#include "platform/wine_folder.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(FileSystem, WritesWholeFilesAndNeverForcesOrTouchesTheUsersFiles) {
  TempFolder folder;
  auto& files = platform::RealFileSystem();
  const std::string file = folder.File("go.bat"), missing = platform::JoinPath(folder.File("no such folder"), "x.dat");
  const std::string bytes("\0\1\r\n", 4);
  TempFolder::Write(file, std::string(1000, 'x'));
  TempFolder::Write(file + ".tmp", "the user's own");
  fs::permissions(TempFolder::FromUtf8(file), fs::perms(0751));
  ASSERT_TRUE(platform::WriteFileReplacing(files, file, bytes));
  EXPECT_EQ(std::tuple(TempFolder::Read(file), TempFolder::Read(file + ".tmp")), std::tuple(bytes, "the user's own"));
#ifndef _WIN32
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0751)) << "a replaced file keeps its permissions";
#endif
  std::string read;
  bool inTheWay = false;
  EXPECT_FALSE(files.CreateNew(file, "x", file, inTheWay));
  EXPECT_TRUE(inTheWay);
  // Failures name the file and say why in words, as the system says them ("error 3" is no reason); a
  // read-only file is neither replaced nor removed.
  const std::string unread = files.ReadAll(missing, read, 100).message();
  EXPECT_TRUE(std::regex_match(unread, std::regex("Could not read \".*x\\.dat\": [A-Z][a-z ]+[a-z]\\."))) << unread;
  fs::permissions(TempFolder::FromUtf8(file), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::string readOnly = platform::WriteFileReplacing(files, file, "new").message();
  EXPECT_NE(readOnly.find(file + "\": the file is read-only."), std::string::npos) << readOnly;
  EXPECT_FALSE(files.Remove(file));
  EXPECT_EQ(std::tuple(TempFolder::Read(file), folder.Count()), std::tuple(bytes, 2u));
  // The tool's own folder holds the running executable, not the folder it was started from.
  const fs::path started = fs::current_path();
  fs::current_path(TempFolder::FromUtf8(folder.path()));
  const std::string tool = platform::ToolFolder(), self = platform::PathSeparator() == '\\' ? "core_tests.exe" : "core_tests";
  EXPECT_TRUE(TempFolder::Exists(platform::JoinPath(tool, self))) << tool;
  fs::current_path(started);
}

// A Windows folder as the Wine prefix holds it: drive C: may be drive_c,
// other letters are links in dosdevices.
TEST(WineFolder, DriveLettersLeadIntoThePrefix) {
  TempFolder home;
  const fs::path root = TempFolder::FromUtf8(home.File(".wine"));
  const std::string p = TempFolder::ToUtf8(root);
  fs::create_directories(root / "drive_c" / "Games" / "Stormline");
  fs::create_directories(root / "elsewhere" / "Stormline" / "Stormline.exe");
  fs::create_directories(root / "dosdevices");
#ifndef _WIN32
  fs::create_directory_symlink(root / "elsewhere", root / "dosdevices" / "d:");
#endif
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {R"(C:\Games\Stormline)", p + "/drive_c/Games/Stormline"},
      {R"(c:\Games\\Stormline\)", p + "/drive_c/Games/Stormline"},
      {"C:", p + "/drive_c"},
      {R"(C:\Games\Missing)", std::nullopt},
      {R"(\Games)", std::nullopt},
#ifndef _WIN32
      {R"(D:\Stormline)", p + "/dosdevices/d:/Stormline"},
#endif
  };
  for (const auto& [folder, expected] : cases) EXPECT_EQ(platform::WineFolderFor(folder, p), expected) << folder;
#ifndef _WIN32
  // Without WINEPREFIX, Wine's own default ~/.wine is the prefix. Run
  // Lighting asks first where the game folder, as Wine sees it, holds no
  // Stormline.exe in any letter case (Linux folders keep theirs); a folder
  // of that name is no game.
  TempFolder::Write(p + "/drive_c/Games/Stormline/STORMLINE.EXE", "");
  const std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", home.path().c_str(), 1);
  ::unsetenv("WINEPREFIX");
  EXPECT_EQ(platform::UserWinePrefix(), p);
  EXPECT_TRUE(platform::FolderHoldsFile(platform::RealFileSystem(), R"(C:\Games\Stormline)", "Stormline.exe"));
  EXPECT_FALSE(platform::FolderHoldsFile(platform::RealFileSystem(), R"(c:\games\Stormline)", "Stormline.exe"));
  EXPECT_FALSE(platform::FolderHoldsFile(platform::RealFileSystem(), R"(D:\Stormline)", "Stormline.exe"));
  // And a file there is named as Wine's programs name it.
  fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
  EXPECT_EQ(platform::WindowsPathFor(fs::canonical(root / "drive_c").string() + "/Games", p), R"(C:\Games)");
  ::setenv("HOME", "", 1);
  EXPECT_EQ(platform::UserWinePrefix(), "") << "no home, no prefix";
  ::setenv("HOME", saved.c_str(), 1);
#endif
}

TEST(CodePage, Windows1252HoldsLatinTextAndRefusesTheRest) {
  const std::tuple<const char*, std::optional<std::string>, const char*> cases[] = {
      {"plain K\xC3\xBCste", "plain K\xFCste", ""},
      {"\xE2\x82\xAC\xE2\x80\x9C\xC5\xB8\xC3\xBF", "\x80\x93\x9F\xFF", ""},  // euro, quotation mark, Y and y diaeresis
      {"a\xC5\x82", std::nullopt, "\xC5\x82"},                               // l with stroke
      {"\xC0\xAF", std::nullopt, "\xC0"},  // overlong
      {"\xED\xA0\x80", std::nullopt, "\xED"},  // a surrogate, which UTF-8 never holds
  };
  for (const auto& [utf8, bytes, unheld] : cases) {
    std::string said;
    EXPECT_EQ(platform::EncodeWindows1252(utf8, &said), bytes) << utf8;
    EXPECT_EQ(said, unheld) << utf8;
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(platform::EncodeWindows1252(platform::DecodeWindows1252(all)), all) << "every byte survives a round trip";
  // The system's code page: the ANSI one on Windows, 1252 on the Western
  // systems (and Wine) these tests run on.
  EXPECT_EQ(platform::EncodeSingleByte("K\xC3\xBCste \xE2\x82\xAC"), std::string("K\xFCste \x80"));
  EXPECT_EQ(platform::DecodeSingleByte("K\xFCste \x80"), "K\xC3\xBCste \xE2\x82\xAC");
}

// Text is read with the user's decimal separator only, and a value shown
// again in the shortest form with fifteen digits at most.
TEST(NumberText, ReadsAndShowsDecimalTextWithTheUsersSeparatorOnly) {
  const std::tuple<const char*, const char*, std::optional<double>, const char*> cases[] = {
      {"1.50", ".", 1.5, "1.5"},
      {" \t-0,25 ", ",", -0.25, "-0,25"},
      {"2.5E-1", ".", 0.25, "0.25"},
      {"1000000000000000", ".", 1e15, "1E+15"},
      {"1.5", ",", std::nullopt, ""},  // a group separator where ',' is the decimal one
      {"1e999", ".", std::nullopt, ""},
  };
  for (const auto& [text, separator, value, shown] : cases) {
    EXPECT_EQ(platform::TextToNumber(text, separator), value) << text;
    EXPECT_EQ(value ? platform::NumberToText(*value, separator) : shown, shown) << text;
  }
}

#ifdef _WIN32
// A file held without delete sharing for a moment, as a scanner holds it,
// is replaced once let go, and nothing of the replace is left beside it.
TEST(WindowsReplace, ReplacesAHeldFile) {
  TempFolder folder;
  const std::string file = folder.File("go.bat");
  TempFolder::Write(file, "old");
  HANDLE held = CreateFileW(platform::win::Widen(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread scanner([&] { Sleep(500), CloseHandle(held); });
  const platform::Status written = platform::WriteFileReplacing(platform::RealFileSystem(), file, "new");
  scanner.join();
  // The long form reaches past 260 characters.
  EXPECT_EQ(std::tuple(written.ok(), TempFolder::Read(file), folder.Count(), platform::win::LongPath("C:\\a\\b"),
                       platform::win::LongPath("\\\\?\\C:\\a")),
            std::tuple(true, std::string("new"), 1u, std::wstring(L"\\\\?\\C:\\a\\b"), std::wstring(L"\\\\?\\C:\\a")))
      << written.message();
}
#endif

}  // namespace
