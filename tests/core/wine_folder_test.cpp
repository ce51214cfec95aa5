#include "platform/wine_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace {

TEST(WineFolder, DriveLettersLeadIntoThePrefix) {
  TempFolder prefix;
  namespace fs = std::filesystem;
  const fs::path root = TempFolder::FromUtf8(prefix.path());
  fs::create_directories(root / "drive_c" / "Games" / "Stormline" / "ShadowWork" / "stormline" / "levels" / "Coast" /
                         "textures");
  fs::create_directories(root / "elsewhere" / "Stormline");
  fs::create_directories(root / "dosdevices");
  const std::string p = prefix.path();
#ifndef _WIN32
  fs::create_directory_symlink(root / "elsewhere", root / "dosdevices" / "d:");
#endif

  const struct {
    const char* folder;
    std::optional<std::string> expected;
  } cases[] = {
      {R"(C:\Games\Stormline\ShadowWork\stormline\levels\Coast\textures)",
       p + "/drive_c/Games/Stormline/ShadowWork/stormline/levels/Coast/textures"},
      {R"(c:\Games\\Stormline\)", p + "/drive_c/Games/Stormline"},
      {"C:", p + "/drive_c"},
      {R"(C:\Games\Missing)", std::nullopt},
      {R"(\ShadowWork\stormline\levels\\textures)", std::nullopt},
      {"Games", std::nullopt},
      {"", std::nullopt},
#ifndef _WIN32
      {R"(D:\Stormline)", p + "/dosdevices/d:/Stormline"},
#endif
      {R"(E:\Stormline)", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::WineFolderFor(c.folder, p), c.expected) << c.folder;
  }
  EXPECT_EQ(platform::WineFolderFor(R"(C:\Games)", ""), std::nullopt);
}

#ifndef _WIN32
TEST(WineFolder, AChosenFileIsNamedAsWineNamesIt) {
  namespace fs = std::filesystem;
  TempFolder prefix;
  const fs::path root = TempFolder::FromUtf8(prefix.path());
  fs::create_directories(root / "drive_c" / "Games");
  fs::create_directories(root / "dosdevices");
  fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
  fs::create_directory_symlink("/", root / "dosdevices" / "z:");
  const std::string c = fs::canonical(root / "drive_c").string();
  const auto viaZ = [](std::string path) {
    for (char& ch : path) ch = ch == '/' ? '\\' : ch;
    return "Z:" + path;
  };
  const struct {
    std::string local;
    std::string prefix;
    std::string windows;
  } cases[] = {
      {c + "/Games/Stormline/Stormline.exe", prefix.path(), R"(C:\Games\Stormline\Stormline.exe)"},
      {c + "/stormline.exe", prefix.path(), R"(C:\stormline.exe)"},
      {"/opt/Storm line/Stormline.exe", prefix.path(), R"(Z:\opt\Storm line\Stormline.exe)"},
      {c + "x/Stormline.exe", prefix.path(), viaZ(c + "x/Stormline.exe")},  // beside drive_c, not in it
      {"/opt/Stormline.exe", "", R"(Z:\opt\Stormline.exe)"},                // no prefix: Wine's own Z:
  };
  for (const auto& k : cases) EXPECT_EQ(platform::WindowsPathFor(k.local, k.prefix), k.windows) << k.local;
}
#endif

TEST(WineFolder, AFolderThatExistsAsWrittenIsKept) {
  TempFolder folder;
  EXPECT_EQ(platform::DialogFolderFor(folder.path()), folder.path());
  EXPECT_EQ(platform::DialogFolderFor(""), std::nullopt);
}

#ifndef _WIN32
// Run Lighting asks first where the game folder, as Wine sees it, holds no
// Stormline.exe in any letter case.
TEST(WineFolder, TheGameIsFoundInAnyLetterCaseThroughThePrefix) {
  TempFolder prefix;
  namespace fs = std::filesystem;
  const fs::path root = TempFolder::FromUtf8(prefix.path());
  fs::create_directories(root / "drive_c" / "Games" / "Stormline");
  fs::create_directories(root / "drive_c" / "Folder" / "Stormline.exe");
  TempFolder::Write(prefix.path() + "/drive_c/Games/Stormline/STORMLINE.EXE", "");
  ::setenv("WINEPREFIX", prefix.path().c_str(), 1);
  const struct {
    const char* folder;
    bool found;
  } cases[] = {
      {R"(C:\Games\Stormline)", true}, {R"(c:\games\Stormline\)", false},  // Linux folders keep their case
      {R"(C:\Games)", false},          {R"(C:\Folder)", false},              // a folder is not the game
      {R"(E:\Games\Stormline)", false},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::FolderHoldsFile(c.folder, "Stormline.exe"), c.found) << c.folder;
  ::unsetenv("WINEPREFIX");
}
#endif

}  // namespace
