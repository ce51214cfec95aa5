#include "platform/file_system.h"

#include <gtest/gtest.h>

#include "platform/tool_folder.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(FileSystem, ReplacingWritesTheWholeFileAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const std::string file = folder.File("data.bin");
  auto& fs = platform::RealFileSystem();
  TempFolder::Write(file, std::string(1000, 'x'));
  TempFolder::Write(file + ".tmp", "left over from an interrupted write");
  ASSERT_TRUE(platform::WriteFileReplacing(fs, file, std::string("\0\1\r\n", 4)));
  EXPECT_EQ(TempFolder::Read(file), std::string("\0\1\r\n", 4));
  EXPECT_EQ(folder.Count(), 1u);
  std::string bytes;
  ASSERT_TRUE(fs.ReadAll(file, bytes));
  EXPECT_EQ(bytes.size(), 4u);
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
  EXPECT_FALSE(fs.ReadAll(inMissingFolder, bytes));
  EXPECT_FALSE(fs.Exists(inMissingFolder));
  EXPECT_FALSE(fs.Exists(folder.path())) << "a folder is not a file";
}

TEST(FileSystem, TheToolFolderHoldsTheRunningExecutable) {
  const std::string folder = platform::ToolFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), platform::PathSeparator());
  EXPECT_TRUE(TempFolder::Exists(folder));
  EXPECT_NE(folder, ".");
}

}  // namespace
