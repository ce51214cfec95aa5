#include "paths_dialog/config_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <tuple>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/core/config_store_fakes.h"
#include "tests/support/temp_folder.h"

namespace {

using config_store::SettingFields;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

const std::string kCur = "(Current)", kLeft = "config.ini was left as it was.";
// The key lines a Save of kCoastFields writes under its header.
const std::string kKeys =
    "gamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
    "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n";
const SettingFields kCoastFields = {"Coast", "C:\\Games\\Stormline", "Coast", "Stormline", "1.5", true, false, true};
std::string S(const std::string& name) { return "[Save=" + name + "]\r\n" + kKeys; }
const std::string kCoast = S("Coast"), kBay = S("Bay"), kCliff = S("Cliff");
const std::string kOlderCoast = "[Save=Coast]\r\nlevelName=Older\r\n\r\n\r\n\r\n\r\n\r\n\r\n";  // as edited by hand
const SettingFields kOld = {"n", "p", "l", "m", "9", false, true, false};  // what no section sets

SettingFields With(std::string SettingFields::*field, const std::string& value) {
  SettingFields fields = kCoastFields;
  fields.*field = value;
  return fields;
}

// Saves fields, or with none Deletes entry `selected`.
config_store::StoreOutcome Change(platform::FileSystem& fs, const std::string& folder, Names& list,
                                  const std::optional<SettingFields>& save, int selected = 1) {
  return save ? config_store::SaveSetting(fs, folder, list, *save) : config_store::DeleteSetting(fs, folder, list, selected);
}

// A folder of its own holding config.ini, unless bytes is nothing.
struct Folder : TempFolder {
  explicit Folder(const std::optional<std::string>& bytes) {
    if (bytes) Write(File("config.ini"), *bytes);
  }
  std::string Bytes() const { return Read(File("config.ini")); }
  config_store::StoreOutcome Change(Names& list, const std::optional<SettingFields>& save, int selected = 1) const {
    return ::Change(platform::RealFileSystem(), path(), list, save, selected);
  }
};

TEST(ConfigStore, SaveAndDeleteWriteTheFileByteForByte) {
  const std::tuple<std::optional<std::string>, Names, const char*, int, std::string, Names> cases[] = {
      // config.ini before, the list, the name kCoastFields are saved under (nullptr: Delete of an entry), after.
      {std::nullopt, {kCur}, "Coast", 0, kCoast, {kCur, "Coast"}},
      {kCoast + kBay + kOlderCoast, {kCur, "Coast", "Bay", "Coast"}, "Coast", 0, kBay + kCoast, {kCur, "Bay", "Coast"}},
      {std::nullopt, {kCur}, "K\xC3\xBCste", 0, "[Save=K\xFCste]\r\n" + kKeys, {kCur, "K\xC3\xBCste"}},
      // Sections written by another copy of the tool, or by hand, since the list was read stay.
      {kOlderCoast + kBay + kCliff, {kCur, "Cliff"}, "Coast", 0, kBay + kCliff + kCoast, {kCur, "Bay", "Cliff", "Coast"}},
      {kCoast + "note\r\n" + kBay + kCliff, {kCur, "Cliff"}, nullptr, 1, kCoast + kBay, {kCur, "Coast", "Bay"}},
      // A section cut short by the next header or the end is filled up to eight lines ended by CR LF.
      {"[Save=A]\nx\r[Save=B]\na\nb\nc\nd\ne\nf\rg", {kCur}, "Coast", 0,
       "[Save=A]\r\nx\r\n\r\n\r\n\r\n\r\n\r\n\r\n[Save=B]\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n" + kCoast,
       {kCur, "A", "B", "Coast"}},
      {kCoast + kBay + kOlderCoast, {kCur, "Coast", "Bay", "Coast"}, nullptr, 3, kBay, {kCur, "Bay"}},
      {"[Save=(Current)]\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + kBay, {kCur, kCur, "Bay"}, nullptr, 1, kBay, {kCur, "Bay"}},
      {std::nullopt, {kCur, "Coast"}, nullptr, 1, "", {kCur}},
      // The names: "Save" in a line that is no key line makes a header; the text after the first "=" (or the
      // whole line) up to the last character is the name.
      {"[Save=A]\r\ngamePath=C:\\Saved Games\r\nSaved by hand\r\n[save=no]\r\nxSavex=yz", {kCur}, "Coast", 0,
       "[Save=A]\r\ngamePath=C:\\Saved Games\r\n\r\n\r\n\r\n\r\n\r\n\r\nSaved by hand\r\n[save=no]\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
       "xSavex=yz\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + kCoast, {kCur, "A", "Saved by han", "y", "Coast"}},
      // CR LF is one line end, LF CR two.
      {"[Save=\r\n\n\r\r\n\n\r\r\n\n\r" + kBay, {kCur}, "Coast", 0, "[Save=\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + kBay + kCoast,
       {kCur, "", "Bay", "Coast"}},
  };
  for (const auto& [before, listBefore, save, selected, after, listAfter] : cases) {
    const Folder folder(before);
    Names list = listBefore;
    const auto fields = save ? std::optional(With(&SettingFields::settingName, save)) : std::nullopt;
    const auto outcome = folder.Change(list, fields, selected);
    EXPECT_TRUE(outcome.status) << outcome.status.message();
    // Save selects its entry, Delete "(Current)".
    const int select = save ? static_cast<int>(listAfter.size()) - 1 : 0;
    EXPECT_EQ(std::tuple(folder.Bytes(), list, outcome.select), std::tuple(after, listAfter, select));
    EXPECT_FALSE(TempFolder::Exists(folder.File("config.tmp")));
  }
}

TEST(ConfigStore, RefusedSaveOrDeleteWritesNothing) {
  const std::string noName(config_store::kNameMissing), cut = " holds a line break, which a saved configuration cannot hold.";
  const std::tuple<std::optional<SettingFields>, int, std::string> cases[] = {
      {With(&SettingFields::settingName, ""), 0, noName},
      {With(&SettingFields::settingName, "(Current)"), 0, noName},
      {With(&SettingFields::settingName, "A\r\nB"), 0, "The Setting Name" + cut + " Nothing was saved."},
      {With(&SettingFields::levelName, "a\rb"), 0, "The Level Name" + cut + " Nothing was saved."},
      {With(&SettingFields::shadowText, "1.5\r\n"), 0, "The Shadow Darkness" + cut + " Nothing was saved."},
      {With(&SettingFields::levelName, "K\xC5\x82obuk"), 0,
       "The Level Name holds the character \"\xC5\x82\", which the code page of config.ini cannot hold. Nothing was saved."},
      {std::nullopt, 0, noName},
      {std::nullopt, 2, noName},
  };
  for (const auto& [save, selected, message] : cases) {
    const Folder folder(std::nullopt);
    Names list = {kCur, "Coast"};
    const auto outcome = folder.Change(list, save, selected);
    EXPECT_EQ(std::tuple(outcome.status.message(), outcome.select, list, folder.Count()),
              std::tuple(message, -1, Names{kCur, "Coast"}, 0u));
  }
}

TEST(ConfigStore, LoadAppliesTheSectionByTheReadingRules) {
  const std::tuple<std::optional<std::string>, std::string, const char*, SettingFields> cases[] = {
      {"[Save=Z]\nshadowDarkness=1,50", "Z", ",", {"Z", "p", "l", "m", "1,5", false, true, false}},
      {"[Save=S]\nterrainBoolean= tRuE\t\nmergeBoolean= -0.0\nobjectBoolean=2", "S", ".", {"S", "p", "l", "m", "9", true, false, true}},
      {"[Save=S]\nterrainBoolean=yes\nmergeBoolean=\nobjectBoolean=1,5", "S", ".", {"S", "p", "l", "m", "9", false, true, false}},
      {"[Save=S]\nmergeBoolean=False", "S", ".", {"S", "p", "l", "m", "9", false, false, false}},
      {"[Save=V]\ngamePath=a=b\nlevelName==c\nmodName", "V", ".", {"V", "a=b", "=c", "modName", "9", false, true, false}},
      // The first key word in kKeys order decides; a later line of a key wins.
      {"[Save=V]\nlevelName=my gamePath\nobjectBoolean=modName\nGAMEPATH=x\nlevelName=1\nlevelName=2", "V", ".",
       {"V", "my gamePath", "2", "modName", "9", false, true, false}},
      {"[Save=V]\nx\nx\nx\nx\nx\nx\nx\nlevelName=not this", "V", ".", {"V", "p", "l", "m", "9", false, true, false}},
      {"[Save=D]\nshadowDarkness=1.5x", "D", ".", {"D", "p", "l", "m", "1.5x", false, true, false}},
      {"[Save=]\nmodName=a\n[Save=B]\nlevelName=b", "", ".", {"", "p", "l", "a", "9", false, true, false}},
      {"[Save=K\xFCste]\nlevelName=\x80", "K\xC3\xBCste", ".", {"K\xC3\xBCste", "p", "\xE2\x82\xAC", "m", "9", false, true, false}},
      {"[Save=coast]\nlevelName=a\n [Save=Coast]\nlevelName=b\n[Save=Coast] \nlevelName=c", "Coast", ".", kOld},
      {"[Save=A]\nlevelName=first\n[Save=A]\nlevelName=second", "A", ".", {"A", "p", "first", "m", "9", false, true, false}},
      {std::nullopt, "Coast", ".", kOld},
  };
  for (const auto& [bytes, pick, separator, expected] : cases) {
    SettingFields fields = kOld;
    EXPECT_TRUE(config_store::LoadSetting(platform::RealFileSystem(), Folder(bytes).path(), pick, separator, fields));
    EXPECT_EQ(fields, expected) << bytes.value_or("no file");
  }
}

// Each step of a rewrite that can fail is made to fail in turn, once and
// from there on: config.ini, the list and the selection stay as they were.
TEST(ConfigStoreFaults, EachFailingStepOfARewriteLeavesEverythingAsItWas) {
  const std::string ini = platform::JoinPath("tool", "config.ini"), tmp = platform::JoinPath("tool", "config.tmp");
  for (const auto& save : {std::optional(With(&SettingFields::settingName, "New")), std::optional<SettingFields>()}) {
    for (const bool persistent : {false, true}) {
      int k = 0;
      for (;; ++k) {
        SCOPED_TRACE(std::string(save ? "Save" : "Delete") + (persistent ? " from" : " at") + " call " + std::to_string(k));
        MemoryFileSystem faulty;
        faulty.files = {{ini, kCoast + "note\r\n" + kBay}, {tmp, "left over"}};
        faulty.failAt = k;
        faulty.persistent = persistent;
        Names list = {kCur, "Coast", "Bay"};
        const auto outcome = Change(faulty, "tool", list, save);
        if (faulty.calls <= k) break;  // none failed
        EXPECT_NE(outcome.status.message().find("injected fault"), std::string::npos) << outcome.status.message();
        EXPECT_NE(outcome.status.message().find(kLeft), std::string::npos) << outcome.status.message();
        EXPECT_EQ(std::tuple(faulty.files.at(ini), list, outcome.select),
                  std::tuple(kCoast + "note\r\n" + kBay, Names{kCur, "Coast", "Bay"}, -1));
        // A config.tmp this write made is removed where that can be done.
        EXPECT_EQ(faulty.files.contains(tmp), k < 3 || (persistent && k == 4));
      }
      // Locking, reading config.ini, removing the leftover config.tmp,
      // writing the new one and moving it over config.ini.
      EXPECT_EQ(k, 5);
    }
  }
}

// What a crash, another copy of the tool, the user or a hostile folder
// leaves is refused with its reason, never forced, followed or waited on.
TEST(ConfigStoreFaults, NothingInTheWayIsForcedFollowedOrWaitedOn) {
  using Lock = std::unique_ptr<platform::FileLock>;
  const auto path = [](const Folder& f, const char* name) { return TempFolder::FromUtf8(f.File(name)); };
  const std::pair<const char*, std::function<void(const Folder&, Lock&)>> cases[] = {
#ifndef _WIN32
      {"\" is in the way and is not a plain file.",
       [&](const Folder& f, Lock&) { fs::create_symlink(path(f, "outside"), path(f, "config.tmp")); }},
      {"\" is in the way and is not a plain file.", [&](const Folder& f, Lock&) { ::mkfifo(path(f, "config.tmp").c_str(), 0666); }},
      // A lock in the way is no other copy: waiting would not help.
      {"config.lock\" is in the way and is not a plain file.", [&](const Folder& f, Lock&) { ::mkfifo(path(f, "config.lock").c_str(), 0666); }},
      {"config.lock\" is in the way and is not a plain file.",
       [&](const Folder& f, Lock&) { fs::create_symlink(path(f, "outside"), path(f, "config.lock")); }},
#endif
      {"config.lock\" is in the way and is not a plain file.", [&](const Folder& f, Lock&) { fs::create_directory(path(f, "config.lock")); }},
      {"\" is in the way and is not a plain file.", [&](const Folder& f, Lock&) { fs::create_directory(path(f, "config.tmp")); }},
      {": it is larger than 64 MiB.", [&](const Folder& f, Lock&) { fs::resize_file(path(f, "config.ini"), (64u << 20) + 1); }},
      {"Another copy of the tool is changing config.ini",
       [&](const Folder& f, Lock& held) { (void)platform::RealFileSystem().Lock(f.File("config.lock"), {}, held); }},
  };
  for (const auto& [reason, setUp] : cases) {
    const Folder folder(kCoast);
    Lock held;
    setUp(folder, held);
    const auto size = fs::file_size(path(folder, "config.ini"));
    Names list = {kCur, "Coast"};
    const std::string message = folder.Change(list, kCoastFields).status.message();
    EXPECT_NE(message.find(reason), std::string::npos) << message;
    // The large file is not read again: that would take long under the sanitizers.
    EXPECT_EQ(std::tuple(fs::file_size(path(folder, "config.ini")), size < 1024 ? folder.Bytes() : kCoast, list),
              std::tuple(size, kCoast, Names{kCur, "Coast"}));
    EXPECT_FALSE(fs::exists(path(folder, "outside")));
  }
}

#ifndef _WIN32
// A config.ini kept elsewhere through a link stays a link: the file it
// names takes the save, beside it its temporary file and its lock.
TEST(ConfigStore, AConfigIniThatIsALinkIsSavedThroughIt) {
  const Folder folder(std::nullopt), synced(kCoast);
  fs::create_symlink(TempFolder::FromUtf8(synced.File("config.ini")), TempFolder::FromUtf8(folder.File("config.ini")));
  Names list = {kCur, "Coast"};
  ASSERT_TRUE(folder.Change(list, With(&SettingFields::settingName, "Bay")).status);
  EXPECT_TRUE(fs::is_symlink(TempFolder::FromUtf8(folder.File("config.ini"))));
  EXPECT_EQ(std::tuple(synced.Bytes(), folder.Count(), fs::exists(TempFolder::FromUtf8(synced.File("config.lock")))),
            std::tuple(kCoast + kBay, 1u, true));
}

// Two processes save different names as fast as they can: each waits for
// the other, and every save is in the file once.
TEST(ConfigStoreFaults, TwoProcessesSavingLoseNothing) {
  const Folder folder(kCoast);
  const auto name = [](int p, int i) { return "P" + std::to_string(p) + "-" + std::to_string(i); };
  std::set<std::string> saved = {"Coast"};
  for (int p = 0; p < 2; ++p) {
    for (int i = 0; i < 200; ++i) saved.insert(name(p, i));
    if (::fork() != 0) continue;
    Names list = {kCur, "Coast"};
    for (int i = 0; i < 200; ++i) {
      if (!folder.Change(list, With(&SettingFields::settingName, name(p, i))).status) ::_exit(1);
    }
    ::_exit(0);
  }
  for (int status = 0; ::wait(&status) > 0;) EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  Names stored;
  ASSERT_TRUE(config_store::ReadSettingNames(platform::RealFileSystem(), folder.path(), stored));
  EXPECT_EQ(std::set<std::string>(stored.begin(), stored.end()), saved);
  EXPECT_EQ(stored.size(), saved.size()) << "each name once";
  EXPECT_EQ(folder.Bytes().substr(0, kCoast.size()), kCoast);
}
#endif

}  // namespace
