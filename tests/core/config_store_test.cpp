#include "paths_dialog/config_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/core/config_store_fakes.h"
#include "tests/support/temp_folder.h"

// Fixed cases for what the random walk in config_store_model_test.cpp does
// not reach: exact bytes, hand-edited and malformed files, refusals, failing
// file systems, many sections.
namespace {

using config_store::SettingFields;
using Names = std::vector<std::string>;

const std::string kCur = "(Current)";
const std::string kBreak = " holds a line break, which a saved configuration cannot hold. Nothing was saved.";

const std::string kCoast =
    "[Save=Coast]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
    "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n";
const std::string kBay =
    "[Save=Bay]\r\ngamePath=D:\\Stormline\r\nlevelName=Bay\r\nmodName=Hyx\r\n"
    "terrainBoolean=False\r\nmergeBoolean=True\r\nobjectBoolean=False\r\nshadowDarkness=0.25\r\n";
const std::string kCliff =
    "[Save=Cliff]\r\ngamePath=E:\\Storm\r\nlevelName=Cliff\r\nmodName=Ulm\r\n"
    "terrainBoolean=True\r\nmergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=2\r\n";
// An older section of the name Coast, as a hand-edited file may hold.
const std::string kOlderCoast =
    "[Save=Coast]\r\ngamePath=X\r\nlevelName=Older\r\nmodName=Ulm\r\n"
    "terrainBoolean=True\r\nmergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=3\r\n";

const SettingFields kCoastFields = {"Coast", "C:\\Games\\Stormline", "Coast", "Stormline", "1.5", true, false, true};
// Fields that no section sets, to see which ones a load changes.
const SettingFields kOld = {"typed name", "old path", "old level", "old mod", "9", false, true, false};

SettingFields With(SettingFields f, void (*change)(SettingFields&)) {
  change(f);
  return f;
}

std::string Join(std::initializer_list<std::string_view> lines, std::string_view end) {
  std::string text;
  for (const std::string_view line : lines) (text += line) += end;
  return text;
}

struct Folder {
  TempFolder temp;
  platform::FileSystem& fs = platform::RealFileSystem();
  std::string ini() const { return temp.File("config.ini"); }
  std::string tmp() const { return temp.File("config.tmp"); }
  void Put(const std::optional<std::string>& bytes) const {
    if (bytes) TempFolder::Write(ini(), *bytes);
  }
  std::string Bytes() const { return TempFolder::Read(ini()); }
  Names ReadNames() const {
    Names names;
    EXPECT_TRUE(config_store::ReadSettingNames(fs, temp.path(), names));
    return names;
  }
  SettingFields Load(const std::string& name, SettingFields fields = kOld, const char* sep = ".") const {
    EXPECT_TRUE(config_store::LoadSetting(fs, temp.path(), name, sep, fields));
    return fields;
  }
};

// A Save (fields given) or a Delete of entry `selected`, byte for byte.
TEST(ConfigStore, SaveAndDeleteWriteTheFileByteForByte) {
  const struct {
    const char* name;
    std::optional<std::string> before;
    Names list;
    std::optional<SettingFields> save;
    int selected;
    std::string after;
    Names listAfter;
  } cases[] = {
      {"FirstSave", std::nullopt, {kCur}, kCoastFields, 0, kCoast, {kCur, "Coast"}},
      {"SecondSaveOfANameWritesItOnceAndLast", kCoast + kBay, {kCur, "Coast", "Bay"},
       With(kCoastFields, [](SettingFields& f) { f.levelName = "Cliffs"; }), 0,
       kBay + "[Save=Coast]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Cliffs\r\nmodName=Stormline\r\n"
              "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n",
       {kCur, "Bay", "Coast"}},
      {"SaveReplacesEveryEntryOfARepeatedName", kCoast + kBay + kOlderCoast, {kCur, "Coast", "Bay", "Coast"},
       kCoastFields, 0, kBay + kCoast, {kCur, "Bay", "Coast"}},
      {"SaveInTheSingleByteCodePage", std::nullopt, {kCur},
       // "Küste" and "€"
       With(kCoastFields, [](SettingFields& f) { f.settingName = "K\xC3\xBCste", f.levelName = "\xE2\x82\xAC"; }), 0,
       "[Save=K\xFCste]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=\x80\r\nmodName=Stormline\r\n"
       "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n",
       {kCur, "K\xC3\xBCste"}},
      // Written by another copy of the tool or by hand since the list was read.
      {"SaveKeepsSectionsTheListDoesNotName", kOlderCoast + kBay + kCliff, {kCur, "Cliff"}, kCoastFields, 0,
       kBay + kCliff + kCoast, {kCur, "Bay", "Cliff", "Coast"}},
      {"DeleteKeepsSectionsTheListDoesNotName", kCoast + kBay + kCliff, {kCur, "Cliff"}, std::nullopt, 1,
       kCoast + kBay, {kCur, "Coast", "Bay"}},
      {"ShortSectionEndsAtTheNextHeaderAndIsFilledUp", "[Save=Cut]\r\ngamePath=X\r\n" + kBay, {kCur, "Cut", "Bay"},
       kCoastFields, 0, "[Save=Cut]\r\ngamePath=X\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + kBay + kCoast,
       {kCur, "Cut", "Bay", "Coast"}},
      {"SaveFillsACutShortSectionUpToEightLines", kBay + "[Save=Cut]\r\ngamePath=X\r\nlevelName=Y",
       {kCur, "Bay", "Cut"}, kCoastFields, 0,
       kBay + "[Save=Cut]\r\ngamePath=X\r\nlevelName=Y\r\n\r\n\r\n\r\n\r\n\r\n" + kCoast,
       {kCur, "Bay", "Cut", "Coast"}},
      {"DeleteOneOfThree", kCoast + kBay + kCliff, {kCur, "Coast", "Bay", "Cliff"}, std::nullopt, 2, kCoast + kCliff,
       {kCur, "Coast", "Cliff"}},
      {"DeleteEveryEntryAndSectionOfARepeatedName", kCoast + kBay + kOlderCoast, {kCur, "Coast", "Bay", "Coast"},
       std::nullopt, 3, kBay, {kCur, "Bay"}},
      {"DeleteOfAStoredCurrentLeavesEntryZero", "[Save=(Current)]\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + kBay,
       {kCur, "(Current)", "Bay"}, std::nullopt, 1, kBay, {kCur, "Bay"}},
      {"DeleteWithoutAFileCreatesAnEmptyOne", std::nullopt, {kCur, "Coast"}, std::nullopt, 1, "", {kCur}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.Put(c.before);
    Names list = c.list;
    const auto outcome = c.save ? config_store::SaveSetting(folder.fs, folder.temp.path(), list, *c.save)
                                : config_store::DeleteSetting(folder.fs, folder.temp.path(), list, c.selected);
    ASSERT_TRUE(outcome.status) << outcome.status.message();
    EXPECT_EQ(folder.Bytes(), c.after);
    EXPECT_EQ(list, c.listAfter);
    // Save selects its new entry, Delete "(Current)".
    EXPECT_EQ(outcome.select, c.save ? static_cast<int>(c.listAfter.size()) - 1 : 0);
    EXPECT_TRUE(TempFolder::Exists(folder.ini()));
    EXPECT_FALSE(TempFolder::Exists(folder.tmp()));
  }
}

TEST(ConfigStore, RefusedSaveOrDeleteChangesNothing) {
  const std::string noName = "Please give the Config a name.";
  const struct {
    std::optional<SettingFields> save;  // nothing: Delete of entry `selected`
    int selected;
    std::string message;
  } cases[] = {
      {With(kCoastFields, [](SettingFields& f) { f.settingName.clear(); }), 0, noName},
      {With(kCoastFields, [](SettingFields& f) { f.settingName = "(Current)"; }), 0, noName},
      {With(kCoastFields, [](SettingFields& f) { f.settingName = "A\r\nB"; }), 0, "The Setting Name" + kBreak},
      {With(kCoastFields, [](SettingFields& f) { f.gamePath = "C:\\x\ny"; }), 0, "The Game Path" + kBreak},
      {With(kCoastFields, [](SettingFields& f) { f.levelName = "a\rb"; }), 0, "The Level Name" + kBreak},
      {With(kCoastFields, [](SettingFields& f) { f.modName = "\n"; }), 0, "The Mod Name" + kBreak},
      {With(kCoastFields, [](SettingFields& f) { f.shadowText = "1.5\r\n"; }), 0, "The Shadow Darkness" + kBreak},
      {With(kCoastFields, [](SettingFields& f) { f.levelName = "K\xC5\x82obuk"; }), 0,
       "The Level Name holds the character \"\xC5\x82\", which the code page of config.ini cannot hold. "
       "Nothing was saved."},
      {std::nullopt, 0, noName},
      {std::nullopt, -1, noName},
  };
  const std::string before = kCoast + "\r\nleft as it was\r\n";
  for (const bool withFile : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.message + (c.save ? " on Save" : " on Delete") + (withFile ? " with config.ini" : " without"));
      Folder folder;
      if (withFile) folder.Put(before);
      Names list = {kCur, "Coast"};
      const auto outcome = c.save ? config_store::SaveSetting(folder.fs, folder.temp.path(), list, *c.save)
                                  : config_store::DeleteSetting(folder.fs, folder.temp.path(), list, c.selected);
      ASSERT_FALSE(outcome.status);
      EXPECT_EQ(outcome.status.message(), c.message);
      EXPECT_EQ(outcome.select, -1);
      EXPECT_EQ(list, (Names{kCur, "Coast"}));
      EXPECT_EQ(folder.temp.Count(), withFile ? 1u : 0u) << "no file is written";
      EXPECT_EQ(folder.Bytes(), withFile ? before : "");
    }
  }
}

TEST(ConfigStore, ReadsEveryStoredName) {
  const std::string keys = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n";  // seven lines
  const struct {
    const char* name;
    std::optional<std::string> bytes;
    Names names;
  } cases[] = {
      {"NoFile", std::nullopt, {}},
      {"SaveInAKeyValueIsNoName",
       "[Save=Coast]\r\ngamePath=C:\\Saved Games\\Stormline\r\nlevelName=Save\r\nmodName=Saved\r\n"
       "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n" + kBay,
       {"Coast", "Bay"}},
      {"EmptyNameDoesNotEndTheList", "[Save=]\r\n" + keys + kBay, {"", "Bay"}},
      {"FirstEqualsAsLastCharacterGivesTheEmptyName", "[Save=\r\n" + keys + kBay, {"", "Bay"}},
      {"WithoutEqualsAllButTheLastCharacter", "Saved Games", {"Saved Game"}},
      {"SaveAnywhereAndInCase", "xSavex=yz\r\n" + keys + "[save=low]\r\n[SAVE=up]\r\n", {"y"}},
      {"CutShortAtTheEnd", kCoast + "[Save=Cut]\r\ngamePath=x", {"Coast", "Cut"}},
      {"ShortSectionEndsAtTheNextHeader", "[Save=A]\r\ngamePath=x\r\n[Save=B]\r\n", {"A", "B"}},
      {"StraySaveLineIsAHeaderOfItsOwn", "[Save=A]\r\nSaved by hand\r\n" + kBay, {"A", "Saved by han", "Bay"}},
      {"CrLfIsOneLineEndLfCrAreTwo", "[Save=A]\r\n\n\r\r\n\n\r\r\n\n[Save=B]", {"A", "B"}},
      {"CodePage", "[Save=K\xFCste \x80]\r\n", {"K\xC3\xBCste \xE2\x82\xAC"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.Put(c.bytes);
    EXPECT_EQ(folder.ReadNames(), c.names);
  }
}

// Loads over kOld: {name, path, level, mod, darkness, terrain, merge, object}.
TEST(ConfigStore, LoadAppliesTheSectionByTheReadingRules) {
  const auto section = [](std::string_view name, std::initializer_list<std::string_view> keys) {
    return "[Save=" + std::string(name) + "]\r\n" + Join(keys, "\r\n");
  };
  const struct {
    const char* name;
    std::optional<std::string> bytes;
    std::string pick;
    const char* sep;
    SettingFields expected;
  } cases[] = {
      {"UsersSeparator", section("Z", {"shadowDarkness=1,50"}), "Z", ",",
       {"Z", "old path", "old level", "old mod", "1,5", false, true, false}},
      {"SwitchesByWordAndNumber", section("S", {"terrainBoolean=TRUE", "mergeBoolean= -0.0 ", "objectBoolean= 2 "}),
       "S", ".", {"S", "old path", "old level", "old mod", "9", true, false, true}},
      {"BadSwitchLeavesTheSwitch", section("S", {"terrainBoolean=yes", "mergeBoolean=", "objectBoolean=1,5"}), "S",
       ".", {"S", "old path", "old level", "old mod", "9", false, true, false}},
      {"ValueAfterTheFirstEqualsOrTheWholeLine", section("V", {"gamePath=a=b", "levelName==c", "modName"}), "V", ".",
       {"V", "a=b", "=c", "modName", "9", false, true, false}},
      {"FirstKeyWordInOrderDecidesAndTheLaterLineWins",
       section("V", {"levelName=my gamePath", "objectBoolean=modName", "GAMEPATH=x", "comment", "levelName=first",
                     "levelName=second"}),
       "V", ".", {"V", "my gamePath", "second", "modName", "9", false, true, false}},
      {"OnlySevenLinesBelongToTheSection", section("V", {"x", "x", "x", "x", "x", "x", "x", "levelName=not this"}),
       "V", ".", {"V", "old path", "old level", "old mod", "9", false, true, false}},
      {"DarknessNotANumberShownAsStored", section("D", {"shadowDarkness=1.5x"}), "D", ".",
       {"D", "old path", "old level", "old mod", "1.5x", false, true, false}},
      {"ShortSectionEndsAtTheNextHeader", "[Save=A]\r\nmodName=a\r\n[Save=B]\r\nlevelName=b\r\n", "A", ".",
       {"A", "old path", "old level", "a", "9", false, true, false}},
      {"CutShortKeepsWhatItHas", kCoast + "[Save=Cut]\r\ngamePath=X\r\nmodName=Y", "Cut", ".",
       {"Cut", "X", "old level", "Y", "9", false, true, false}},
      {"EmptyName", section("", {"levelName=none"}), "", ".",
       {"", "old path", "none", "old mod", "9", false, true, false}},
      {"CodePage", "[Save=K\xFCste]\r\nlevelName=\x80 \xFC\r\n", "K\xC3\xBCste", ".",
       {"K\xC3\xBCste", "old path", "\xE2\x82\xAC \xC3\xBC", "old mod", "9", false, true, false}},
      {"StartMustMatchInFullAndCase",
       "[Save=coast]\r\nlevelName=a\r\n [Save=Coast]\r\nlevelName=b\r\n[Save=Coast] \r\nlevelName=c\r\n", "Coast",
       ".", kOld},
      {"NoSuchSection", kBay, "Coast", ".", kOld},
      {"NoFile", std::nullopt, "Coast", ".", kOld},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.Put(c.bytes);
    EXPECT_EQ(folder.Load(c.pick, kOld, c.sep), c.expected);
  }
}

TEST(ConfigStore, CurrentShowsTheMainWindowsConfigurationWithTheUsersSeparator) {
  const RunConfiguration config{"C:\\G", "L", "M", 0.1, false, true, false};
  SettingFields fields = kOld;
  ASSERT_TRUE(config_store::SelectSetting(platform::RealFileSystem(), "unused", {kCur}, 0, config, ",", fields));
  EXPECT_EQ(fields, (SettingFields{"typed name", "C:\\G", "L", "M", "0,1", false, true, false}));
}

TEST(ConfigStore, FindSettingIndexSearchesTheWholeListAndTheLastMatchWins) {
  Names many = {kCur};
  for (int i = 1; i <= 40; ++i) many.push_back("n" + std::to_string(i));
  const struct {
    Names list;
    const char* name;
    int index;
  } cases[] = {
      {{kCur, "A", "B"}, "B", 2}, {{kCur, "A", "B", "A"}, "A", 3}, {{kCur, "A"}, "a", -1},
      {{kCur, "A"}, "A ", -1},    {{kCur, "A"}, "(Current)", 0},   {{kCur, "", "A"}, "", 1},
      {{kCur}, "", -1},           {many, "n30", 30},               {many, "n40", 40},
  };
  for (const auto& c : cases) EXPECT_EQ(config_store::FindSettingIndex(c.list, c.name), c.index) << c.name;
}

// Thirty, thirty-one and many more sections all stay through Save and Delete.
TEST(ConfigStore, EverySectionSurvives) {
  for (const int count : {30, 31, 500}) {
    SCOPED_TRACE(count);
    std::string all;
    Names list = {kCur};
    for (int i = 0; i < count; ++i) {
      const std::string n = std::to_string(i);
      all += "[Save=S" + n + "]\r\ngamePath=G" + n + "\r\nlevelName=L" + n + "\r\nmodName=M" + n +
             "\r\nterrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=" + n + "\r\n";
      list.push_back("S" + n);
    }
    const std::string fromSecond = all.substr(all.find("[Save=S1]"));
    Folder folder;
    folder.Put(all);
    ASSERT_EQ(folder.ReadNames(), Names(list.begin() + 1, list.end()));
    EXPECT_EQ(folder.Load("S" + std::to_string(count - 1)).levelName, "L" + std::to_string(count - 1));

    const auto saved = config_store::SaveSetting(folder.fs, folder.temp.path(), list, kCoastFields);
    ASSERT_TRUE(saved.status);
    EXPECT_EQ(folder.Bytes(), all + kCoast);
    EXPECT_EQ(saved.select, count + 1);

    ASSERT_TRUE(config_store::DeleteSetting(folder.fs, folder.temp.path(), list, 1).status);
    EXPECT_EQ(folder.Bytes(), fromSecond + kCoast);
    EXPECT_EQ(folder.ReadNames(), Names(list.begin() + 1, list.end()));
  }
}

// A file edited by hand on any system: blank lines and text between the
// sections, keys reordered, a key missing, a repeated name, names holding
// "=", "]" and blanks, switch values 1, 0 and tRuE. A Save and a Delete
// keep the sections as they were, in eight lines ended by CR LF.
TEST(ConfigStore, HandEditedFileWithAnyLineEnds) {
  const auto handEdited = [](std::string_view end) {
    return Join({"; saved by hand", "", "[Save=Coast]", "shadowDarkness=2", "objectBoolean=0", "mergeBoolean=1",
                 "terrainBoolean=tRuE", "modName=Hyx", "levelName=Coast", "gamePath=C:\\Games\\Stormline", "", "",
                 "[Save=a=b]", "gamePath=D:\\Saved Games\\Stormline", "modName=Ulm", "", "terrainBoolean=False",
                 "mergeBoolean=False", "objectBoolean=True", "shadowDarkness=1.50", "text without the word",
                 "[Save=x]]", "gamePath=E:\\x", "levelName=X", "modName=Stormline", "terrainBoolean=True",
                 "mergeBoolean=True", "objectBoolean=True", "shadowDarkness=0.5",
                 "[Save= two  blanks ]", "gamePath=F:\\y", "levelName=Y", "modName=Stormline",
                 "terrainBoolean=False", "mergeBoolean=False", "objectBoolean=False", "shadowDarkness=1",
                 "[Save=Coast]", "gamePath=C:\\Other", "levelName=Second", "modName=Hyx", "terrainBoolean=True",
                 "mergeBoolean=True", "objectBoolean=True", "shadowDarkness=3"},
                end);
  };
  const std::string coast =
      "[Save=Coast]\r\nshadowDarkness=2\r\nobjectBoolean=0\r\nmergeBoolean=1\r\nterrainBoolean=tRuE\r\n"
      "modName=Hyx\r\nlevelName=Coast\r\ngamePath=C:\\Games\\Stormline\r\n";
  const std::string rest =
      "[Save=a=b]\r\ngamePath=D:\\Saved Games\\Stormline\r\nmodName=Ulm\r\n\r\nterrainBoolean=False\r\n"
      "mergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.50\r\n"
      "[Save=x]]\r\ngamePath=E:\\x\r\nlevelName=X\r\nmodName=Stormline\r\nterrainBoolean=True\r\n"
      "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=0.5\r\n"
      "[Save= two  blanks ]\r\ngamePath=F:\\y\r\nlevelName=Y\r\nmodName=Stormline\r\nterrainBoolean=False\r\n"
      "mergeBoolean=False\r\nobjectBoolean=False\r\nshadowDarkness=1\r\n";
  const std::string secondCoast =
      "[Save=Coast]\r\ngamePath=C:\\Other\r\nlevelName=Second\r\nmodName=Hyx\r\nterrainBoolean=True\r\n"
      "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=3\r\n";
  const std::string bay =
      "[Save=Bay]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
      "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n";

  for (const char* end : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(end)));
    Folder folder;
    folder.Put(handEdited(end));
    const Names names = folder.ReadNames();
    ASSERT_EQ(names, (Names{"Coast", "a=b", "x]", " two  blanks ", "Coast"}));
    EXPECT_EQ(folder.Load("Coast"),
              (SettingFields{"Coast", "C:\\Games\\Stormline", "Coast", "Hyx", "2", true, true, false}));
    EXPECT_EQ(folder.Load("a=b"),
              (SettingFields{"a=b", "D:\\Saved Games\\Stormline", "old level", "Ulm", "1.5", false, false, true}));

    Names list = {kCur};
    list.insert(list.end(), names.begin(), names.end());
    const SettingFields newBay = With(kCoastFields, [](SettingFields& f) { f.settingName = "Bay"; });
    ASSERT_TRUE(config_store::SaveSetting(folder.fs, folder.temp.path(), list, newBay).status);
    EXPECT_EQ(folder.Bytes(), coast + rest + secondCoast + bay);

    ASSERT_TRUE(config_store::DeleteSetting(folder.fs, folder.temp.path(), list, 1).status);
    EXPECT_EQ(folder.Bytes(), rest + bay);
    EXPECT_EQ(list, (Names{kCur, "a=b", "x]", " two  blanks ", "Bay"}));
  }
}

// Each step of a rewrite that can fail is made to fail in turn, once and
// from there on: config.ini, the list and the selection stay as they were.
TEST(ConfigStoreFaults, EachFailingStepOfARewriteLeavesEverythingAsItWas) {
  // A Save of a new name, of a stored name, and (nothing) a Delete of entry 1.
  const std::optional<SettingFields> operations[] = {
      With(kCoastFields, [](SettingFields& f) { f.settingName = "New"; }), kCoastFields, std::nullopt};
  const std::string before = kCoast + "\r\nnote\r\n" + kBay;
  const Names listBefore = {kCur, "Coast", "Bay"};
  for (const auto& op : operations) {
    for (const bool persistent : {false, true}) {
      int steps = 0;
      for (int k = 0;; ++k) {
        SCOPED_TRACE((op ? "Save of " + op->settingName : "Delete") + (persistent ? " from" : " at") + " call " +
                     std::to_string(k));
        Folder folder;
        folder.Put(before);
        TempFolder::Write(folder.tmp(), "left over");
        FaultyFileSystem fs(folder.fs);
        fs.failAt = k;
        fs.persistent = persistent;
        Names list = listBefore;
        const auto outcome = op ? config_store::SaveSetting(fs, folder.temp.path(), list, *op)
                                     : config_store::DeleteSetting(fs, folder.temp.path(), list, 1);
        if (fs.failures == 0) {
          ASSERT_TRUE(outcome.status) << outcome.status.message();
          EXPECT_FALSE(TempFolder::Exists(folder.tmp()));
          break;
        }
        ++steps;
        const std::string& failed = fs.log[static_cast<size_t>(k)];  // "Replace config.ini", ...
        const std::string& message = outcome.status.message();
        ASSERT_FALSE(outcome.status);
        EXPECT_NE(message.find("injected fault"), std::string::npos) << message;
        EXPECT_NE(message.find(failed.substr(failed.find(' ') + 1)), std::string::npos) << "names the file";
        EXPECT_NE(message.find("config.ini was left as it was."), std::string::npos) << message;
        EXPECT_EQ(folder.Bytes(), before);
        EXPECT_EQ(list, listBefore);
        EXPECT_EQ(outcome.select, -1);
        if (!persistent && (failed == "CreateNew config.tmp" || failed == "Replace config.ini")) {
          EXPECT_FALSE(TempFolder::Exists(folder.tmp())) << "config.tmp is removed where possible";
        }
      }
      // Locking, reading config.ini, removing the leftover config.tmp,
      // writing the new one and moving it over config.ini.
      EXPECT_EQ(steps, 5);
    }
  }
}

TEST(ConfigStoreFaults, FailedReadsChangeNothingAndSayWhy) {
  Folder folder;
  folder.Put(kCoast);
  FaultyFileSystem fs(folder.fs);
  fs.failAt = 0;
  fs.persistent = true;
  Names names = {"stale"};
  SettingFields fields = kOld;
  for (const platform::Status& status : {config_store::ReadSettingNames(fs, folder.temp.path(), names),
                                         config_store::LoadSetting(fs, folder.temp.path(), "Coast", ".", fields)}) {
    ASSERT_FALSE(status);
    EXPECT_NE(status.message().find(folder.ini()), std::string::npos) << status.message();
  }
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(fields, kOld);
}

// A real read-only config.ini: Save and Delete say so and change nothing.
TEST(ConfigStoreFaults, AReadOnlyFileIsNamedWithTheReason) {
  Folder folder;
  folder.Put(kCoast);
  TempFolder::MakeReadOnly(folder.ini());
  Names list = {kCur, "Coast"};
  const auto saved = config_store::SaveSetting(folder.fs, folder.temp.path(), list,
                                               With(kCoastFields, [](SettingFields& f) { f.settingName = "Bay"; }));
  ASSERT_FALSE(saved.status);
  EXPECT_NE(saved.status.message().find(folder.ini()), std::string::npos) << saved.status.message();
  EXPECT_NE(saved.status.message().find("read-only"), std::string::npos) << saved.status.message();
  EXPECT_FALSE(config_store::DeleteSetting(folder.fs, folder.temp.path(), list, 1).status);
  EXPECT_EQ(folder.Bytes(), kCoast);
  EXPECT_EQ(list, (Names{kCur, "Coast"}));
  EXPECT_FALSE(TempFolder::Exists(folder.tmp()));
}

// What a crash, another copy of the tool or a hostile folder leaves beside
// config.ini is refused with its name, never followed, opened or waited on.
TEST(ConfigStoreFaults, NothingInTheWayIsFollowedOrWaitedOn) {
  namespace fs = std::filesystem;
  const struct {
    const char* name;
    void (*setUp)(Folder&, std::unique_ptr<platform::FileLock>&);
    const char* message;
  } cases[] = {
#ifndef _WIN32
      {"DanglingLink",
       [](Folder& f, std::unique_ptr<platform::FileLock>&) {
         fs::create_symlink(TempFolder::FromUtf8(f.temp.File("outside")), TempFolder::FromUtf8(f.tmp()));
       },
       "is in the way and is not a plain file"},
      {"Pipe", [](Folder& f, std::unique_ptr<platform::FileLock>&) { ASSERT_EQ(::mkfifo(f.tmp().c_str(), 0666), 0); },
       "is in the way and is not a plain file"},
#endif
      {"Folder", [](Folder& f, std::unique_ptr<platform::FileLock>&) { fs::create_directory(TempFolder::FromUtf8(f.tmp())); },
       "is in the way and is not a plain file"},
      {"TooLarge",
       [](Folder& f, std::unique_ptr<platform::FileLock>&) { fs::resize_file(TempFolder::FromUtf8(f.ini()), (64u << 20) + 1); },
       "larger than 64 MiB"},
      {"AnotherCopySaving",
       [](Folder& f, std::unique_ptr<platform::FileLock>& held) {
         ASSERT_TRUE(f.fs.Lock(f.temp.File("config.lock"), std::chrono::milliseconds(0), held));
       },
       "Another copy of the tool is changing config.ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.Put(kCoast);
    std::unique_ptr<platform::FileLock> held;
    c.setUp(folder, held);
    // Read only when small: the large case would take long under the sanitizers.
    const auto size = std::filesystem::file_size(TempFolder::FromUtf8(folder.ini()));
    const std::string before = size < 1024 ? folder.Bytes() : std::string();
    Names list = {kCur, "Coast"};
    const auto saved = config_store::SaveSetting(folder.fs, folder.temp.path(), list,
                                                 With(kCoastFields, [](SettingFields& f) { f.settingName = "Bay"; }));
    ASSERT_FALSE(saved.status);
    EXPECT_NE(saved.status.message().find(c.message), std::string::npos) << saved.status.message();
    EXPECT_NE(saved.status.message().find("config.ini was left as it was."), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(TempFolder::FromUtf8(folder.ini())), size);
    if (size < 1024) {
      EXPECT_EQ(folder.Bytes(), before);
    }
    EXPECT_EQ(list, (Names{kCur, "Coast"}));
    EXPECT_FALSE(TempFolder::Exists(folder.temp.File("outside")));
  }
}

#ifndef _WIN32
// Two processes save different names as fast as they can: a save reported
// done is in the file, one reported refused is not, and nothing else changes.
TEST(ConfigStoreFaults, TwoProcessesSavingLoseNothing) {
  constexpr int kSaves = 200;
  Folder folder;
  folder.Put(kCoast);
  std::string reports[2];
  pid_t children[2];
  int pipes[2][2];
  for (int p = 0; p < 2; ++p) {
    ASSERT_EQ(::pipe(pipes[p]), 0);
    children[p] = ::fork();
    ASSERT_GE(children[p], 0);
    if (children[p] == 0) {
      ::close(pipes[p][0]);
      Names list = {kCur, "Coast"};
      for (int i = 0; i < kSaves; ++i) {
        const std::string name = "P" + std::to_string(p) + "-" + std::to_string(i);
        SettingFields fields = kCoastFields;
        fields.settingName = name;
        const auto saved = config_store::SaveSetting(folder.fs, folder.temp.path(), list, fields);
        const std::string line = (saved.status ? "+" : "-") + name + "\n";
        (void)!::write(pipes[p][1], line.data(), line.size());
      }
      ::_exit(0);
    }
    ::close(pipes[p][1]);
  }
  for (int p = 0; p < 2; ++p) {
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipes[p][0], buffer, sizeof buffer)) > 0) reports[p].append(buffer, static_cast<size_t>(got));
    ::close(pipes[p][0]);
    int status = 0;
    ::waitpid(children[p], &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const Names stored = folder.ReadNames();
  const std::set<std::string> inFile(stored.begin(), stored.end());
  std::set<std::string> reportedDone = {"Coast"};
  int tried = 0;
  for (const std::string& report : reports) {
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line); ++tried) {
      const std::string name = line.substr(1);
      if (line[0] == '+') reportedDone.insert(name);
      EXPECT_EQ(inFile.contains(name), line[0] == '+') << name;
    }
  }
  EXPECT_EQ(tried, 2 * kSaves);
  EXPECT_EQ(inFile, reportedDone);
  EXPECT_EQ(stored.size(), reportedDone.size()) << "each name once";
  EXPECT_GT(reportedDone.size(), static_cast<size_t>(kSaves)) << "most saves get through";
  EXPECT_EQ(folder.Bytes().substr(0, kCoast.size()), kCoast);
  std::cout << "[ two processes ] saves tried " << tried << ", reported done " << reportedDone.size() - 1
            << ", found " << stored.size() - 1 << "\n";
}
#endif

}  // namespace
