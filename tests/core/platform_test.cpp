#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>
#ifndef _WIN32
#include <sys/stat.h>
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
  TempFolder::Write(file, std::string(1000, 'x'));
  TempFolder::Write(file + ".tmp", "the user's own");
#ifndef _WIN32
  ASSERT_EQ(::chmod(file.c_str(), 0751), 0);
#endif
  ASSERT_TRUE(platform::WriteFileReplacing(files, file, std::string("\0\1\r\n", 4)));
  EXPECT_EQ(TempFolder::Read(file), std::string("\0\1\r\n", 4));
  EXPECT_EQ(TempFolder::Read(file + ".tmp"), "the user's own");
#ifndef _WIN32
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0751)) << "a replaced file keeps its permissions";
#endif
  std::string bytes;
  EXPECT_TRUE(files.ReadAll(file, bytes, 4));
  EXPECT_FALSE(files.ReadAll(file, bytes, 3));
  EXPECT_TRUE(bytes.empty());
  bool inTheWay = false;
  EXPECT_FALSE(files.CreateNew(file, "x", file, inTheWay));
  EXPECT_TRUE(inTheWay);
  // Failures name the file.
  EXPECT_EQ(files.ReadAll(missing, bytes, 100).message().rfind("Could not read \"" + missing + "\": ", 0), 0u);
  EXPECT_NE(platform::WriteFileReplacing(files, missing, "x").message().find("no such folder"), std::string::npos);
  EXPECT_FALSE(files.Exists(missing));
  EXPECT_FALSE(files.Exists(folder.path())) << "a folder is not a file";
  TempFolder::MakeReadOnly(file);
  const std::string readOnly = platform::WriteFileReplacing(files, file, "new").message();
  EXPECT_NE(readOnly.find(file + "\": the file is read-only."), std::string::npos) << readOnly;
  EXPECT_FALSE(files.Remove(file));
  EXPECT_EQ(std::tuple(TempFolder::Read(file), folder.Count()), std::tuple(std::string("\0\1\r\n", 4), 2u));
  // A lock held elsewhere is waited for, then refused.
  std::unique_ptr<platform::FileLock> first, second;
  ASSERT_TRUE(files.Lock(folder.File("x.lock"), {}, first));
  const std::string refused = files.Lock(folder.File("x.lock"), std::chrono::milliseconds(100), second).message();
  EXPECT_NE(refused.find("\": another copy of the tool holds it."), std::string::npos) << refused;
  first.reset();
  EXPECT_TRUE(files.Lock(folder.File("x.lock"), {}, second));
  // The tool's own folder holds the running executable, wherever it was started from.
  const fs::path started = fs::current_path();
  fs::current_path(TempFolder::FromUtf8(folder.path()));
  const std::string tool = platform::ToolFolder();
  fs::current_path(started);
  EXPECT_NE(tool.back(), platform::PathSeparator());
#ifdef _WIN32
  EXPECT_TRUE(TempFolder::Exists(platform::JoinPath(tool, "core_tests.exe"))) << tool;
#else
  EXPECT_TRUE(TempFolder::Exists(platform::JoinPath(tool, "core_tests"))) << tool;
#endif
}

// A Windows folder as the Wine prefix holds it: drive C: may be drive_c,
// other letters are links in dosdevices.
TEST(WineFolder, DriveLettersLeadIntoThePrefix) {
  TempFolder prefix;
  const fs::path root = TempFolder::FromUtf8(prefix.path());
  const std::string p = prefix.path();
  fs::create_directories(root / "drive_c" / "Games" / "Stormline");
  fs::create_directories(root / "drive_c" / "GAMES~1");  // a short 8.3 name
  fs::create_directories(root / "elsewhere" / "Stormline");
  fs::create_directories(root / "dosdevices");
#ifndef _WIN32
  fs::create_directory_symlink(root / "elsewhere", root / "dosdevices" / "d:");
#endif
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {R"(C:\Games\Stormline)", p + "/drive_c/Games/Stormline"},
      {R"(c:\Games\\Stormline\)", p + "/drive_c/Games/Stormline"},
      {"C:", p + "/drive_c"},
      {R"(C:\GAMES~1)", p + "/drive_c/GAMES~1"},
      {R"(C:\Games\Missing)", std::nullopt},
      {R"(\Games)", std::nullopt},
#ifndef _WIN32
      {R"(D:\Stormline)", p + "/dosdevices/d:/Stormline"},
#endif
      {R"(E:\Stormline)", std::nullopt},
  };
  for (const auto& [folder, expected] : cases) EXPECT_EQ(platform::WineFolderFor(folder, p), expected) << folder;
  EXPECT_EQ(platform::WineFolderFor(R"(C:\Games)", ""), std::nullopt);
  EXPECT_EQ(platform::DialogFolderFor(p), p) << "a folder that exists as written is kept";
  EXPECT_EQ(platform::DialogFolderFor(""), std::nullopt);
#ifndef _WIN32
  // Run Lighting asks first where the game folder, as Wine sees it, holds
  // no Stormline.exe in any letter case; a folder of that name is no game.
  TempFolder::Write(p + "/drive_c/Games/Stormline/STORMLINE.EXE", "");
  fs::create_directories(root / "elsewhere" / "Stormline" / "Stormline.exe");
  ::setenv("WINEPREFIX", p.c_str(), 1);
  EXPECT_TRUE(platform::FolderHoldsFile(platform::RealFileSystem(), R"(C:\Games\Stormline)", "Stormline.exe"));
  EXPECT_FALSE(platform::FolderHoldsFile(platform::RealFileSystem(), R"(c:\games\Stormline)", "Stormline.exe")) << "Linux folders keep their case";
  EXPECT_FALSE(platform::FolderHoldsFile(platform::RealFileSystem(), R"(D:\Stormline)", "Stormline.exe"));
  ::unsetenv("WINEPREFIX");
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", "/home/designer", 1);
  EXPECT_EQ(platform::UserWinePrefix(), "/home/designer/.wine") << "without WINEPREFIX, Wine's own default";
  ::setenv("HOME", home.c_str(), 1);
  // And a file chosen in the prefix is named as Wine names it.
  fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
  fs::create_directory_symlink("/", root / "dosdevices" / "z:");
  const std::string c = fs::canonical(root / "drive_c").string();
  // Without Z: a folder outside the drives has no Windows path.
  TempFolder noZ;
  fs::create_directories(TempFolder::FromUtf8(noZ.File("dosdevices")));
  fs::create_directory_symlink(root / "drive_c", TempFolder::FromUtf8(noZ.File("dosdevices/c:")));
  const std::tuple<std::string, std::string, std::optional<std::string>> chosen[] = {
      {c + "/Games/Stormline.exe", p, R"(C:\Games\Stormline.exe)"},
      {"/opt/Storm line/Stormline.exe", p, R"(Z:\opt\Storm line\Stormline.exe)"},
      {"/opt/Stormline.exe", "", R"(Z:\opt\Stormline.exe)"},  // no prefix: Wine's own Z:
      {"/opt/Stormline.exe", noZ.File("new"), R"(Z:\opt\Stormline.exe)"},  // Wine makes it with Z:
      {c + "/Games/Stormline.exe", noZ.path(), R"(C:\Games\Stormline.exe)"},
      {"/opt/Stormline.exe", noZ.path(), std::nullopt},
  };
  for (const auto& [local, in, windows] : chosen) EXPECT_EQ(platform::WindowsPathFor(local, in), windows) << local;
#endif
}

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

#ifdef _WIN32
#include "platform/win_replace.h"
#include "platform/win_text.h"
#include "platform/tool_folder.h"

namespace {

// A replace waits out a scanner's brief hold, about two seconds at most, and
// keeps the replaced file's attributes; where ReplaceFileW cannot act, a move
// does the work. Errors are given; each letter of a script is one call's
// outcome: r/m ReplaceFileW/MoveFileExW ok, s sharing violation, a access
// denied, p not supported, u could not move the replacement, e file exists.
TEST(WindowsReplace, WaitsOutABriefHoldAndFallsBackToAMove) {
  const std::tuple<bool, const char*, const char*, DWORD, DWORD> cases[] = {
      // target exists, ReplaceFileW's outcomes, MoveFileExW's, the error, the time paused
      {true, "r", "", 0, 0},
      {true, "ssar", "", 0, 70},
      {true, "p", "m", 0, 0},
      {true, "u", "sm", 0, 10},
      {true, "e", "", ERROR_FILE_EXISTS, 0},
      {false, "", "am", 0, 10},
      {true, "sssssssssss", "", ERROR_SHARING_VIOLATION, 2230},  // held for good: given up
  };
  const auto error = [](char c) -> DWORD {
    switch (c) {
      case 's': return ERROR_SHARING_VIOLATION;
      case 'a': return ERROR_ACCESS_DENIED;
      case 'p': return ERROR_NOT_SUPPORTED;
      case 'u': return ERROR_UNABLE_TO_MOVE_REPLACEMENT;
      case 'e': return ERROR_FILE_EXISTS;
      default: return 0;
    }
  };
  for (const auto& [exists, replaces, moves, expected, paused] : cases) {
    std::string replaced, moved;
    DWORD waited = 0;
    const auto next = [&](const char* script, std::string& done) {
      const DWORD outcome = error(script[done.size()]);
      done += '.';
      return outcome;
    };
    const DWORD result = platform::win::ReplaceKeeping(
        exists, [&] { return next(replaces, replaced); }, [&] { return next(moves, moved); }, [&](DWORD ms) { waited += ms; });
    EXPECT_EQ(std::tuple(result, replaced.size(), moved.size(), waited),
              std::tuple(expected, strlen(replaces), strlen(moves), paused)) << replaces << "|" << moves;
  }
}

// Windows' errors are given in words, as Windows says them.
TEST(WindowsPlatform, SaysErrorsInWords) {
  const std::string text = platform::win::ErrorText(ERROR_ACCESS_DENIED);
  EXPECT_NE(text.find("denied"), std::string::npos) << text;
  EXPECT_FALSE(text.ends_with(".")) << "a message goes on after it";
}

// Explorer runs a program opened inside a zip from the user's temporary
// folder: the tool tells, in any letter case, and only there.
TEST(WindowsPlatform, KnowsTheTemporaryFolder) {
  TempFolder temp;
  const std::string inside = temp.File("Temp1_StormlineLighting.zip");
  const auto Lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const char* names[] = {"TMP", "TEMP"};
  std::string saved[2];
  for (int i = 0; i < 2; ++i) saved[i] = std::getenv(names[i]) ? std::getenv(names[i]) : "", _putenv_s(names[i], temp.path().c_str());
  const std::pair<std::string, bool> cases[] = {
      {inside, true}, {temp.path(), true}, {Lower(inside), true}, {temp.path() + "x", false},
      {platform::ToolFolder(), false}};
  for (const auto& [folder, in] : cases) EXPECT_EQ(platform::InTemporaryFolder(folder), in) << folder;
  for (int i = 0; i < 2; ++i) _putenv_s(names[i], saved[i].c_str());
}

// The same for real: a file held without delete sharing for a moment, as a
// scanner holds it, is replaced once let go; and a path past 260 characters,
// the temporary name beside it included.
TEST(WindowsReplace, ReplacesAHeldFileAndLongPaths) {
  TempFolder folder;
  const std::string file = folder.File("go.bat");
  TempFolder::Write(file, "old");
  HANDLE held = CreateFileW(platform::win::Widen(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread scanner([&] { Sleep(500), CloseHandle(held); });
  const platform::Status written = platform::WriteFileReplacing(platform::RealFileSystem(), file, "new");
  scanner.join();
  EXPECT_TRUE(written) << written.message();
  EXPECT_EQ(std::tuple(TempFolder::Read(file), folder.Count()), std::tuple(std::string("new"), 1u));
  std::string deep = folder.path();
  while (deep.size() < 200) ASSERT_TRUE(platform::RealFileSystem().MakeFolder(deep += "\\" + std::string(40, 'd')));
  const std::string longer = deep + "\\" + std::string(255 - deep.size(), 'l');
  EXPECT_TRUE(platform::WriteFileReplacing(platform::RealFileSystem(), longer, "x"));
  EXPECT_TRUE(platform::WriteFileReplacing(platform::RealFileSystem(), longer, "y"));
}

}  // namespace
#endif
