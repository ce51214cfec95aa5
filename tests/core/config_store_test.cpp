#include "paths_dialog/config_store.h"

#include <gtest/gtest.h>

#include <set>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/core/config_store_fakes.h"
#include "tests/support/temp_folder.h"

namespace {

using config_store::SettingFields;
using F = SettingFields;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

const std::string kCur = "(Current)", kNoName(config_store::kNameMissing);
// The key lines a Save of kCoastFields writes under its header.
const std::string kKeys =
    "gamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
    "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n";
const SettingFields kCoastFields = {"Coast", "C:\\Games\\Stormline", "Coast", "Stormline", "1.5", true, false, true};
std::string S(const std::string& name) { return "[Save=" + name + "]\r\n" + kKeys; }
const std::string kCoast = S("Coast"), kBay = S("Bay"), kCliff = S("Cliff");
const std::string kOlderCoast = "[Save=Coast]\r\nlevelName=Older\r\n\r\n\r\n\r\n\r\n\r\n\r\n";  // as edited by hand

// kCoastFields under another name, or with another text.
SettingFields With(const std::string& value, std::string F::*field = &F::settingName) {
  SettingFields fields = kCoastFields;
  return fields.*field = value, fields;
}

// Saves fields, or with none Deletes entry `selected`.
config_store::StoreOutcome Change(const std::string& folder, Names& list, const std::optional<SettingFields>& save,
                                  int selected = 1, platform::FileSystem& fs = platform::RealFileSystem()) {
  return save ? config_store::SaveSetting(fs, folder, list, *save) : config_store::DeleteSetting(fs, folder, list, selected);
}

// A folder of its own holding config.ini, unless bytes is nothing.
struct Folder : TempFolder {
  explicit Folder(const std::optional<std::string>& bytes) { if (bytes) Write(File("config.ini"), *bytes); }
  std::string Bytes() const { return Read(File("config.ini")); }
};

// Save selects its entry, Delete "(Current)"; a refusal writes nothing and
// leaves the list and the selection.
TEST(ConfigStore, SaveAndDeleteWriteTheFileByteForByteOrNothing) {
  const std::string cut = " holds a line break, which a saved configuration cannot hold. Nothing was saved.";
  const std::tuple<std::optional<std::string>, Names, std::optional<SettingFields>, int, std::string, Names, std::string>
      cases[] = {
          // config.ini before, the list, the fields saved (none: Delete of entry `selected`), after, the refusal.
          {std::nullopt, {kCur}, With("Coast"), 0, kCoast, {kCur, "Coast"}, ""},
          // Sections written by another copy of the tool, or by hand, since the list was read stay.
          {kOlderCoast + kBay + kCliff, {kCur, "Cliff"}, With("Coast"), 0, kBay + kCliff + kCoast, {kCur, "Bay", "Cliff", "Coast"}, ""},
          {kCoast + "note\r\n" + kBay + kCliff, {kCur, "Cliff"}, std::nullopt, 1, kCoast + kBay, {kCur, "Coast", "Bay"}, ""},
          // A section cut short by the next header or the end is filled up to eight lines ended by CR LF.
          {"[Save=A]\nx\r[Save=B]\na\nb\nc\nd\ne\nf\rg", {kCur}, With("Coast"), 0,
           "[Save=A]\r\nx\r\n\r\n\r\n\r\n\r\n\r\n\r\n[Save=B]\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n" + kCoast,
           {kCur, "A", "B", "Coast"}, ""},
          {kCoast + kBay + kOlderCoast, {kCur, "Coast", "Bay", "Coast"}, std::nullopt, 3, kBay, {kCur, "Bay"}, ""},
          // The names: "Save" in a line that is no key line makes a header; the text after the first "=" (or the
          // whole line) up to the last character is the name.
          {"[Save=A]\r\ngamePath=C:\\Saved Games\r\nSaved by hand\r\n[save=no]\r\nxSavex=yz", {kCur}, With("Coast"), 0,
           "[Save=A]\r\ngamePath=C:\\Saved Games\r\n\r\n\r\n\r\n\r\n\r\n\r\nSaved by hand\r\n[save=no]\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
           "xSavex=yz\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + kCoast, {kCur, "A", "Saved by han", "y", "Coast"}, ""},
          {std::nullopt, {kCur, "Coast"}, With(""), 0, "", {kCur, "Coast"}, kNoName},
          {std::nullopt, {kCur, "Coast"}, With("1.5\r\n", &F::shadowText), 0, "", {kCur, "Coast"}, "The Shadow Darkness" + cut},
          {std::nullopt, {kCur, "Coast"}, With("K\xC5\x82obuk", &F::levelName), 0, "", {kCur, "Coast"},
           "The Level Name holds the character \"\xC5\x82\", which the code page of config.ini cannot hold. Nothing was saved."},
          {std::nullopt, {kCur, "Coast"}, std::nullopt, 2, "", {kCur, "Coast"}, kNoName},
      };
  for (const auto& [before, listBefore, save, selected, after, listAfter, refusal] : cases) {
    const Folder folder(before);
    Names list = listBefore;
    const auto outcome = Change(folder.path(), list, save, selected);
    const int select = !refusal.empty() ? -1 : save ? static_cast<int>(listAfter.size()) - 1 : 0;
    EXPECT_EQ(std::tuple(outcome.status.message(), folder.Bytes(), list, outcome.select),
              std::tuple(refusal, after, listAfter, select));
    EXPECT_FALSE(TempFolder::Exists(folder.File(refusal.empty() ? "config.tmp" : "config.ini"))) << refusal;
  }
}

// Each step of a rewrite that can fail is made to fail in turn, once and
// from there on: config.ini, the list and the selection stay as they were,
// and the user is told why.
TEST(ConfigStoreFaults, EachFailingStepOfARewriteLeavesEverythingAsItWas) {
  const std::string ini = platform::JoinPath("tool", "config.ini"), tmp = platform::JoinPath("tool", "config.tmp");
  const std::string bytes = kCoast + "note\r\n" + kBay;
  for (const auto& save : {std::optional(With("New")), std::optional<SettingFields>()})
    for (const bool persistent : {false, true})
      for (int k = 0;; ++k) {
        SCOPED_TRACE(std::string(save ? "Save" : "Delete") + (persistent ? " from" : " at") + " call " + std::to_string(k));
        MemoryFileSystem faulty;
        faulty.files = {{ini, bytes}, {tmp, "left over"}};
        faulty.failAt = k;
        faulty.persistent = persistent;
        Names list = {kCur, "Coast", "Bay"};
        const auto outcome = Change("tool", list, save, 1, faulty);
        // The rewrite fails exactly when a call did; once none does, every step has been tried.
        EXPECT_EQ(outcome.status.ok(), faulty.calls <= k) << outcome.status.message();
        if (faulty.calls <= k) break;
        EXPECT_NE(outcome.status.message().find("injected fault"), std::string::npos) << outcome.status.message();
        EXPECT_NE(outcome.status.message().find("config.ini was left as it was."), std::string::npos);
        EXPECT_EQ(std::tuple(faulty.files[ini], list, outcome.select), std::tuple(bytes, Names{kCur, "Coast", "Bay"}, -1));
        // One step failing leaves no config.tmp of this write behind.
        EXPECT_EQ(persistent || !faulty.files.contains(tmp) ? "left over" : faulty.files[tmp], "left over");
      }
}

// What a crash, another copy of the tool, the user or a hostile folder
// leaves is refused with its reason, never forced, followed or waited on.
TEST(ConfigStoreFaults, NothingInTheWayIsForcedFollowedOrWaitedOn) {
  const std::string notPlain = "\" is in the way and is not a plain file.";
  // What stands at the name: l a link, p a pipe, d a folder, b a file too big to read, h the lock held.
  const std::tuple<const char*, char, std::string> cases[] = {
#ifndef _WIN32
      {"config.tmp", 'l', notPlain},
      {"config.lock", 'p', notPlain},  // no other copy: waiting would not help
#endif
      {"config.lock", 'd', notPlain},
      {"config.tmp", 'd', notPlain},
      {"config.ini", 'b', "\": it is larger than 64 MiB."},
      {"config.lock", 'h', "\": another copy of the tool holds it. Another copy of the tool is changing config.ini"},
  };
  for (const auto& [name, block, reason] : cases) {
    const Folder folder(kCoast);
    const fs::path at = TempFolder::FromUtf8(folder.File(name)), ini = TempFolder::FromUtf8(folder.File("config.ini"));
    std::unique_ptr<platform::FileLock> held;
    if (block == 'l') fs::create_symlink(ini.parent_path() / "outside", at);
#ifndef _WIN32
    if (block == 'p') ::mkfifo(at.c_str(), 0666);
#endif
    if (block == 'd') fs::create_directory(at);
    if (block == 'b') fs::resize_file(at, (64u << 20) + 1);
    if (block == 'h') (void)platform::RealFileSystem().Lock(folder.File(name), {}, held);
    Names list = {kCur, "Coast"};
    const std::string message = Change(folder.path(), list, kCoastFields).status.message();
    EXPECT_NE(message.find(name + reason), std::string::npos) << message;
    // The large file is not read again: that would take long under the sanitizers.
    EXPECT_EQ(std::tuple(fs::file_size(ini), block == 'b' ? kCoast : folder.Bytes(), list, fs::exists(ini.parent_path() / "outside")),
              std::tuple(block == 'b' ? (64u << 20) + 1 : kCoast.size(), kCoast, Names{kCur, "Coast"}, false));
  }
}

#ifndef _WIN32
// A config.ini kept elsewhere through a link, by a path or by a one-letter
// name beside it, stays a link: the file it names takes the save.
TEST(ConfigStore, AConfigIniThatIsALinkIsSavedThroughIt) {
  const Folder synced(kCoast);
  for (const std::string& target : {std::string("c"), synced.File("config.ini")}) {
    const Folder folder(std::nullopt);
    const std::string named = target == "c" ? folder.File("c") : target;
    if (target == "c") TempFolder::Write(named, kCoast);
    fs::create_symlink(target, TempFolder::FromUtf8(folder.File("config.ini")));
    Names list = {kCur, "Coast"};
    ASSERT_TRUE(Change(folder.path(), list, With("Bay")).status) << target;
    EXPECT_EQ(std::tuple(fs::is_symlink(TempFolder::FromUtf8(folder.File("config.ini"))), TempFolder::Read(named)),
              std::tuple(true, kCoast + S("Bay"))) << target;
  }
}

// Two processes save different names as fast as they can: each waits for
// the other, and every save is in the file once.
TEST(ConfigStoreFaults, TwoProcessesSavingLoseNothing) {
  const Folder folder(kCoast);
  std::multiset<std::string> saved = {"Coast"};
  for (const std::string p : {"P", "Q"}) {
    for (int i = 0; i < 20; ++i) saved.insert(p + std::to_string(i));
    if (::fork() != 0) continue;
    Names list = {kCur, "Coast"};
    for (int i = 0; i < 20; ++i) if (!Change(folder.path(), list, With(p + std::to_string(i))).status) ::_exit(1);
    ::_exit(0);
  }
  for (int status = 0; ::wait(&status) > 0;) EXPECT_EQ(status, 0) << "a save failed";
  Names stored;
  ASSERT_TRUE(config_store::ReadSettingNames(platform::RealFileSystem(), folder.path(), stored));
  EXPECT_EQ(std::multiset<std::string>(stored.begin(), stored.end()), saved);
}
#endif

}  // namespace
