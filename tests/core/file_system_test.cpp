#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/tool_folder.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(FileSystem, ReplacingWritesTheWholeFileAndTouchesNoFileOfTheUsers) {
  TempFolder folder;
  const std::string file = folder.File("report");
  auto& fs = platform::RealFileSystem();
  TempFolder::Write(file, std::string(1000, 'x'));
  TempFolder::Write(file + ".tmp", "the user's own");
  ASSERT_TRUE(platform::WriteFileReplacing(fs, file, std::string("\0\1\r\n", 4)));
  EXPECT_EQ(TempFolder::Read(file), std::string("\0\1\r\n", 4));
  EXPECT_EQ(TempFolder::Read(file + ".tmp"), "the user's own");
  EXPECT_EQ(folder.Count(), 2u) << "no temporary file is left";
  std::string bytes;
  ASSERT_TRUE(fs.ReadAll(file, bytes, 4));
  EXPECT_EQ(bytes.size(), 4u);
  const platform::Status tooLarge = fs.ReadAll(file, bytes, 3);
  EXPECT_FALSE(tooLarge);
  EXPECT_TRUE(bytes.empty());
}

TEST(FileSystem, AReadOnlyFileIsNeverForced) {
  TempFolder folder;
  const std::string file = folder.File("kept.txt");
  auto& fs = platform::RealFileSystem();
  TempFolder::Write(file, "old");
  TempFolder::MakeReadOnly(file);
  const platform::Status replaced = platform::WriteFileReplacing(fs, file, "new");
  ASSERT_FALSE(replaced);
  EXPECT_NE(replaced.message().find(file), std::string::npos) << replaced.message();
  EXPECT_FALSE(fs.Remove(file));
  EXPECT_EQ(TempFolder::Read(file), "old");
  EXPECT_EQ(folder.Count(), 1u);
}

TEST(FileSystem, FailuresNameTheFile) {
  TempFolder folder;
  auto& fs = platform::RealFileSystem();
  const std::string inMissingFolder = platform::JoinPath(folder.File("no such folder"), "x.dat");
  const platform::Status written = platform::WriteFileReplacing(fs, inMissingFolder, "x");
  ASSERT_FALSE(written);
  EXPECT_NE(written.message().find("no such folder"), std::string::npos) << written.message();
  std::string bytes;
  EXPECT_FALSE(fs.ReadAll(inMissingFolder, bytes, 100));
  EXPECT_FALSE(fs.Exists(inMissingFolder));
  EXPECT_FALSE(fs.Exists(folder.path())) << "a folder is not a file";
}

TEST(FileSystem, ALockHeldElsewhereIsWaitedForThenRefused) {
  TempFolder folder;
  auto& fs = platform::RealFileSystem();
  const std::string path = folder.File("x.lock");
  std::unique_ptr<platform::FileLock> first, second;
  ASSERT_TRUE(fs.Lock(path, std::chrono::milliseconds(0), first));
  const platform::Status refused = fs.Lock(path, std::chrono::milliseconds(100), second);
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.message().find("another copy of the tool"), std::string::npos) << refused.message();
  first.reset();
  EXPECT_TRUE(fs.Lock(path, std::chrono::milliseconds(0), second));
}

#ifndef _WIN32
// A pipe, a link or a folder where the tool writes or reads: refused at once,
// never opened for writing or followed, and left where it is.
TEST(FileSystem, NothingButAPlainFileIsOpenedOrFollowed) {
  namespace fs = std::filesystem;
  TempFolder folder;
  auto& files = platform::RealFileSystem();
  const std::string target = folder.File("lmList.dat"), old = target + ".tmp", outside = folder.File("outside");
  const struct {
    const char* name;
    void (*make)(const std::string& at, const std::string& outside);
  } kinds[] = {
      {"pipe", [](const std::string& at, const std::string&) { ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0); }},
      {"dangling link", [](const std::string& at, const std::string& to) { fs::create_symlink(to, at); }},
      {"folder", [](const std::string& at, const std::string&) { fs::create_directory(at); }},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.name);
    // At the old fixed temporary name: no longer in the tool's way.
    kind.make(old, outside);
    ASSERT_TRUE(platform::WriteFileReplacing(files, target, "ab"));
    EXPECT_EQ(TempFolder::Read(target), "ab");
    // At a fixed temporary name that the tool must use: refused.
    const platform::Status refused = platform::WriteFileReplacing(files, target, "cd", old);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find(old), std::string::npos) << refused.message();
    EXPECT_EQ(TempFolder::Read(target), "ab");
    std::string bytes;
    EXPECT_FALSE(files.ReadAll(old, bytes, 100));
    bool inTheWay = false;
    EXPECT_FALSE(files.CreateNew(old, "x", target, inTheWay));
    EXPECT_TRUE(inTheWay);
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_NE(files.Kind(old), platform::EntryKind::None) << "left where it is";
    fs::remove(old);
  }
}

TEST(FileSystem, AReplacedFileKeepsItsPermissions) {
  TempFolder folder;
  const std::string file = folder.File("go.bat");
  for (const mode_t mode : {0600u, 0640u, 0755u}) {
    TempFolder::Write(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), mode), 0);
    ASSERT_TRUE(platform::WriteFileReplacing(platform::RealFileSystem(), file, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode);
  }
}
#endif

TEST(FileSystem, TheToolFolderHoldsTheRunningExecutable) {
  const std::string folder = platform::ToolFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), platform::PathSeparator());
  EXPECT_TRUE(TempFolder::Exists(folder));
  EXPECT_NE(folder, ".");
}

}  // namespace
