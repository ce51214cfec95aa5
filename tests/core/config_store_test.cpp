#include "paths_dialog/config_store.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>

#include "tests/core/config_store_fakes.h"
#include "tests/support/temp_folder.h"

namespace {

using config_store::SettingFields;
using Names = std::vector<std::string>;

const std::string kCur = "(Current)";

const std::string kCoast =
    "[Save=Coast]\r\n"
    "gamePath=C:\\Games\\Stormline\r\n"
    "levelName=Coast\r\n"
    "modName=Stormline\r\n"
    "terrainBoolean=True\r\n"
    "mergeBoolean=False\r\n"
    "objectBoolean=True\r\n"
    "shadowDarkness=1.5\r\n";

const std::string kBay =
    "[Save=Bay]\r\n"
    "gamePath=D:\\Stormline\r\n"
    "levelName=Bay\r\n"
    "modName=Hyx\r\n"
    "terrainBoolean=False\r\n"
    "mergeBoolean=True\r\n"
    "objectBoolean=False\r\n"
    "shadowDarkness=0.25\r\n";

const std::string kCliff =
    "[Save=Cliff]\r\n"
    "gamePath=E:\\Storm\r\n"
    "levelName=Cliff\r\n"
    "modName=Ulm\r\n"
    "terrainBoolean=True\r\n"
    "mergeBoolean=True\r\n"
    "objectBoolean=True\r\n"
    "shadowDarkness=2\r\n";

SettingFields Coast() {
  SettingFields f;
  f.settingName = "Coast";
  f.gamePath = R"(C:\Games\Stormline)";
  f.levelName = "Coast";
  f.modName = "Stormline";
  f.shadowText = "1.5";
  f.terrainBoolean = true;
  f.objectBoolean = true;
  return f;
}

SettingFields With(SettingFields f, void (*change)(SettingFields&)) {
  change(f);
  return f;
}

// Fields that no section sets, to see which ones a load changes.
SettingFields Untouched() {
  SettingFields f;
  f.settingName = "typed name";
  f.gamePath = "old path";
  f.levelName = "old level";
  f.modName = "old mod";
  f.shadowText = "9";
  f.terrainBoolean = false;
  f.mergeBoolean = true;
  f.objectBoolean = false;
  return f;
}

std::string Join(std::initializer_list<std::string_view> lines, std::string_view end) {
  std::string text;
  for (const std::string_view line : lines) (text += line) += end;
  return text;
}

struct Folder {
  TempFolder temp;
  std::string ini() const { return temp.File("config.ini"); }
  std::string tmp() const { return temp.File("config.tmp"); }
  void Put(const std::optional<std::string>& bytes) const {
    if (bytes) TempFolder::Write(ini(), *bytes);
  }
  Names ReadNames() const {
    Names names;
    EXPECT_TRUE(config_store::ReadSettingNames(platform::RealFileSystem(), temp.path(), names));
    return names;
  }
  SettingFields Load(const std::string& name, SettingFields fields = Untouched(), const char* sep = ".") const {
    EXPECT_TRUE(config_store::LoadSetting(platform::RealFileSystem(), temp.path(), name, sep, fields));
    return fields;
  }
};

TEST(ConfigStore, SaveWritesTheFileByteForByte) {
  const struct {
    const char* name;
    std::optional<std::string> before;
    Names list;
    SettingFields fields;
    std::string after;
    Names listAfter;
  } cases[] = {
      {"FirstSaveWithoutAFile", std::nullopt, {kCur}, Coast(), kCoast, {kCur, "Coast"}},
      {"SecondSaveOfANameWritesItOnceAndLast",
       kCoast + kBay,
       {kCur, "Coast", "Bay"},
       With(Coast(), [](SettingFields& f) { f.levelName = "Cliffs"; }),
       kBay + "[Save=Coast]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Cliffs\r\nmodName=Stormline\r\n"
              "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n",
       {kCur, "Bay", "Coast"}},
      {"ValuesAsTyped",
       kCoast,
       {kCur, "Coast"},
       {"Bay", " D:\\My Saved Games ", "", "Own Mod", "1.50", false, false, false},
       kCoast + "[Save=Bay]\r\ngamePath= D:\\My Saved Games \r\nlevelName=\r\nmodName=Own Mod\r\n"
                "terrainBoolean=False\r\nmergeBoolean=False\r\nobjectBoolean=False\r\nshadowDarkness=1.50\r\n",
       {kCur, "Coast", "Bay"}},
      {"CurrentInOtherCaseIsAName",
       std::nullopt,
       {kCur},
       With(Coast(), [](SettingFields& f) { f.settingName = "(current)"; }),
       "[Save=(current)]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
       "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n",
       {kCur, "(current)"}},
      {"NamesKeepEqualsBracketsAndBlanks",
       std::nullopt,
       {kCur},
       With(Coast(), [](SettingFields& f) { f.settingName = " a=b] "; }),
       "[Save= a=b] ]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
       "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n",
       {kCur, " a=b] "}},
      {"SingleByteCodePage",
       std::nullopt,
       {kCur},
       With(Coast(),
            [](SettingFields& f) {
              f.settingName = "K\xC3\xBCste";             // "Küste"
              f.levelName = "K\xC3\xBCste \xE2\x82\xAC";  // "Küste €"
            }),
       "[Save=K\xFCste]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=K\xFCste \x80\r\nmodName=Stormline\r\n"
       "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n",
       {kCur, "K\xC3\xBCste"}},
      {"AllEntriesOfARepeatedNameGo",
       kCoast + kBay +
           "[Save=Coast]\r\ngamePath=X\r\nlevelName=Older\r\nmodName=Ulm\r\nterrainBoolean=True\r\n"
           "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=3\r\n",
       {kCur, "Coast", "Bay", "Coast"},
       Coast(),
       kBay + kCoast,
       {kCur, "Bay", "Coast"}},
      {"SectionsTheListDoesNotNameAreDropped",
       kCoast + kBay + kCliff,
       {kCur, "Cliff"},
       Coast(),
       kCliff + kCoast,
       {kCur, "Cliff", "Coast"}},
      {"ACutShortSectionIsFilledUpToEightLines",
       kBay + "[Save=Cut]\r\ngamePath=X\r\nlevelName=Y",
       {kCur, "Bay", "Cut"},
       Coast(),
       kBay + "[Save=Cut]\r\ngamePath=X\r\nlevelName=Y\r\n\r\n\r\n\r\n\r\n\r\n" + kCoast,
       {kCur, "Bay", "Cut", "Coast"}},
      {"EmptyFile", std::string(), {kCur}, Coast(), kCoast, {kCur, "Coast"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.Put(c.before);
    Names list = c.list;
    const auto outcome = config_store::SaveSetting(platform::RealFileSystem(), folder.temp.path(), list, c.fields);
    ASSERT_TRUE(outcome.status) << outcome.status.message();
    EXPECT_EQ(TempFolder::Read(folder.ini()), c.after);
    EXPECT_EQ(list, c.listAfter);
    EXPECT_EQ(outcome.select, static_cast<int>(c.listAfter.size()) - 1) << "the saved entry is selected";
    EXPECT_EQ(folder.temp.Count(), 1u) << "no config.tmp remains";
  }
}

TEST(ConfigStore, SavedValuesComeBackWhenTheNewEntryIsSelected) {
  Folder folder;
  folder.Put(kCoast);
  Names list = {kCur, "Coast"};
  const SettingFields typed = With(Coast(), [](SettingFields& f) {
    f.levelName = "Cliffs";
    f.shadowText = "1.50";
    f.mergeBoolean = true;
  });
  const auto outcome = config_store::SaveSetting(platform::RealFileSystem(), folder.temp.path(), list, typed);
  ASSERT_TRUE(outcome.status);
  SettingFields shown = Untouched();
  ASSERT_TRUE(config_store::SelectSetting(platform::RealFileSystem(), folder.temp.path(), list, outcome.select,
                                          RunConfiguration{}, ".", shown));
  EXPECT_EQ(shown, With(typed, [](SettingFields& f) { f.shadowText = "1.5"; }));
}

TEST(ConfigStore, RefusedSaveOrDeleteChangesNothing) {
  const struct {
    const char* name;
    std::optional<SettingFields> save;  // nothing: Delete of entry `selected`
    int selected;
    std::string message;
  } cases[] = {
      {"EmptyName", With(Coast(), [](SettingFields& f) { f.settingName.clear(); }), 0,
       "Please give the Config a name."},
      {"CurrentAsName", With(Coast(), [](SettingFields& f) { f.settingName = "(Current)"; }), 0,
       "Please give the Config a name."},
      {"LineBreakInName", With(Coast(), [](SettingFields& f) { f.settingName = "A\r\nB"; }), 0,
       "The Setting Name holds a line break, which a saved configuration cannot hold. Nothing was saved."},
      {"LineBreakInGamePath", With(Coast(), [](SettingFields& f) { f.gamePath = "C:\\x\ny"; }), 0,
       "The Game Path holds a line break, which a saved configuration cannot hold. Nothing was saved."},
      {"CarriageReturnInLevelName", With(Coast(), [](SettingFields& f) { f.levelName = "a\rb"; }), 0,
       "The Level Name holds a line break, which a saved configuration cannot hold. Nothing was saved."},
      {"LineBreakInModName", With(Coast(), [](SettingFields& f) { f.modName = "\n"; }), 0,
       "The Mod Name holds a line break, which a saved configuration cannot hold. Nothing was saved."},
      {"LineBreakInDarkness", With(Coast(), [](SettingFields& f) { f.shadowText = "1.5\r\n"; }), 0,
       "The Shadow Darkness holds a line break, which a saved configuration cannot hold. Nothing was saved."},
      {"OutsideTheCodePage", With(Coast(), [](SettingFields& f) { f.levelName = "K\xC5\x82obuk"; }), 0,
       "The Level Name holds the character \"\xC5\x82\", which the code page of config.ini cannot hold. "
       "Nothing was saved."},
      {"DeleteWithCurrentSelected", std::nullopt, 0, "Please give the Config a name."},
      {"DeleteWithNothingSelected", std::nullopt, -1, "Please give the Config a name."},
  };
  for (const bool withFile : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (withFile ? " with config.ini" : " without config.ini"));
      Folder folder;
      if (withFile) folder.Put(kCoast + "\r\nleft as it was\r\n");
      const Names before = {kCur, "Coast"};
      Names list = before;
      const auto outcome =
          c.save ? config_store::SaveSetting(platform::RealFileSystem(), folder.temp.path(), list, *c.save)
                 : config_store::DeleteSetting(platform::RealFileSystem(), folder.temp.path(), list, c.selected);
      ASSERT_FALSE(outcome.status);
      EXPECT_EQ(outcome.status.message(), c.message);
      EXPECT_EQ(outcome.select, -1);
      EXPECT_EQ(list, before);
      if (withFile) {
        EXPECT_EQ(TempFolder::Read(folder.ini()), kCoast + "\r\nleft as it was\r\n");
        EXPECT_EQ(folder.temp.Count(), 1u);
      } else {
        EXPECT_EQ(folder.temp.Count(), 0u) << "no file is created";
      }
    }
  }
}

TEST(ConfigStore, DeleteRemovesExactlyTheSelectedName) {
  const struct {
    const char* name;
    std::optional<std::string> before;
    Names list;
    int selected;
    std::string after;
    Names listAfter;
  } cases[] = {
      {"OneOfThree",
       kCoast + kBay + kCliff,
       {kCur, "Coast", "Bay", "Cliff"},
       2,
       kCoast + kCliff,
       {kCur, "Coast", "Cliff"}},
      {"TheLastOne", kCoast, {kCur, "Coast"}, 1, "", {kCur}},
      {"EveryEntryAndSectionOfARepeatedName",
       kCoast + kBay +
           "[Save=Coast]\r\ngamePath=X\r\nlevelName=Older\r\nmodName=Ulm\r\nterrainBoolean=True\r\n"
           "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=3\r\n",
       {kCur, "Coast", "Bay", "Coast"},
       3,
       kBay,
       {kCur, "Bay"}},
      {"AStoredCurrentLeavesEntryZero",
       "[Save=(Current)]\r\ngamePath=X\r\nlevelName=Y\r\nmodName=Z\r\nterrainBoolean=True\r\n"
       "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=3\r\n" +
           kBay,
       {kCur, "(Current)", "Bay"},
       1,
       kBay,
       {kCur, "Bay"}},
      {"JunkGoesToo",
       "junk\r\n\r\n" + kCoast + "\r\n" + kBay + "more junk",
       {kCur, "Coast", "Bay"},
       1,
       kBay,
       {kCur, "Bay"}},
      {"WithoutAFileAnEmptyOneIsCreated", std::nullopt, {kCur, "Coast"}, 1, "", {kCur}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.Put(c.before);
    Names list = c.list;
    const auto outcome = config_store::DeleteSetting(platform::RealFileSystem(), folder.temp.path(), list, c.selected);
    ASSERT_TRUE(outcome.status) << outcome.status.message();
    EXPECT_EQ(TempFolder::Read(folder.ini()), c.after);
    EXPECT_TRUE(TempFolder::Exists(folder.ini()));
    EXPECT_EQ(list, c.listAfter);
    EXPECT_EQ(outcome.select, 0) << "\"(Current)\" is selected";
    EXPECT_EQ(folder.temp.Count(), 1u);
  }
}

TEST(ConfigStore, ReadsEveryStoredName) {
  const std::string keys =
      "gamePath=a\r\nlevelName=b\r\nmodName=c\r\nterrainBoolean=True\r\n"
      "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=1\r\n";
  const struct {
    const char* name;
    std::optional<std::string> bytes;
    Names names;
  } cases[] = {
      {"NoFile", std::nullopt, {}},
      {"EmptyFile", "", {}},
      {"InFileOrder", kCoast + kBay + kCliff, {"Coast", "Bay", "Cliff"}},
      {"SaveInAKeyValueIsNoName",
       "[Save=Coast]\r\ngamePath=C:\\Saved Games\\Stormline\r\nlevelName=Save\r\nmodName=Saved\r\n"
       "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n" +
           kBay,
       {"Coast", "Bay"}},
      {"EmptyNameDoesNotEndTheList", "[Save=]\r\n" + keys + kBay, {"", "Bay"}},
      {"FirstEqualsAsLastCharacterGivesTheEmptyName", "[Save=\r\n" + keys + kBay, {"", "Bay"}},
      {"EqualsBracketsAndBlanks",
       "[Save=a=b]\r\n" + keys + "[Save=x]]\r\n" + keys + "[Save= two  blanks ]\r\n" + keys,
       {"a=b", "x]", " two  blanks "}},
      {"WithoutEqualsAllButTheLastCharacter", "Saved Games\r\n" + keys, {"Saved Game"}},
      {"SaveAnywhereAndInCase", "xSavex=yz\r\n" + keys + "[save=low]\r\n[SAVE=up]\r\n", {"y"}},
      {"BlankLinesAndTextBetweenSections",
       "; mine\r\n\r\n" + kCoast + "\r\n\r\nnotes\r\n" + kBay + "\r\n",
       {"Coast", "Bay"}},
      {"RepeatedNames", kCoast + kBay + kCoast, {"Coast", "Bay", "Coast"}},
      {"CutShortAtTheEnd", kCoast + "[Save=Cut]\r\ngamePath=x", {"Coast", "Cut"}},
      {"HeaderAtTheVeryEnd", kCoast + "[Save=Last]", {"Coast", "Last"}},
      {"LfOnly", "[Save=A]\n" + std::string(7, '\n') + "[Save=B]\n", {"A", "B"}},
      {"CrOnly", "[Save=A]\r" + std::string(7, '\r') + "[Save=B]\r", {"A", "B"}},
      {"MixedLineEnds", "[Save=A]\r\n\n\r\r\n\n\r\r\n\n[Save=B]", {"A", "B"}},
      {"CodePage", "[Save=K\xFCste \x80]\r\n", {"K\xC3\xBCste \xE2\x82\xAC"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.Put(c.bytes);
    EXPECT_EQ(folder.ReadNames(), c.names);
  }
}

TEST(ConfigStore, LoadAppliesTheSectionByTheReadingRules) {
  const SettingFields old = Untouched();
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
      {"AsWritten", kBay + kCoast, "Coast", ".", Coast()},
      {"DarknessByTheNumberRule", kBay, "Bay", ".", {"Bay", "D:\\Stormline", "Bay", "Hyx", "0.25", false, true, false}},
      {"TrailingZerosGo", section("Z", {"shadowDarkness=1.50", "x", "x", "x", "x", "x", "x"}), "Z", ".",
       With(old, [](SettingFields& f) { f.settingName = "Z", f.shadowText = "1.5"; })},
      {"ExponentAndBlanks", section("Z", {"shadowDarkness= 2.5E-1 "}), "Z", ".",
       With(old, [](SettingFields& f) { f.settingName = "Z", f.shadowText = "0.25"; })},
      {"UsersSeparator", section("Z", {"shadowDarkness=1,50"}), "Z", ",",
       With(old, [](SettingFields& f) { f.settingName = "Z", f.shadowText = "1,5"; })},
      {"BadDarknessLeavesTheField",
       section("Z", {"shadowDarkness=1,5", "shadowDarkness=abc", "shadowDarkness=", "shadowDarkness=nan",
                     "shadowDarkness=1 000"}),
       "Z", ".", With(old, [](SettingFields& f) { f.settingName = "Z"; })},
      {"KeysInAnyOrder",
       section("R", {"shadowDarkness=2", "objectBoolean=True", "mergeBoolean=False", "terrainBoolean=True",
                     "modName=Ulm", "levelName=Reef", "gamePath=G:\\S"}),
       "R",
       ".",
       {"R", "G:\\S", "Reef", "Ulm", "2", true, false, true}},
      {"MissingKeyLeavesItsField",
       section("M", {"gamePath=G:\\S", "", "modName=Ulm", "terrainBoolean=True", "mergeBoolean=False",
                     "objectBoolean=True", "shadowDarkness=2"}),
       "M",
       ".",
       {"M", "G:\\S", "old level", "Ulm", "2", true, false, true}},
      {"SwitchesOneZeroAndAnyCase", section("S", {"terrainBoolean=1", "mergeBoolean=0", "objectBoolean=tRuE"}), "S",
       ".",
       With(old,
            [](SettingFields& f) {
              f.settingName = "S", f.terrainBoolean = true, f.mergeBoolean = false, f.objectBoolean = true;
            })},
      {"SwitchesFalseWordAndNumbers",
       section("S", {"terrainBoolean=FALSE", "mergeBoolean= -0.0 ", "objectBoolean= 2 "}), "S", ".",
       With(old,
            [](SettingFields& f) {
              f.settingName = "S", f.terrainBoolean = false, f.mergeBoolean = false, f.objectBoolean = true;
            })},
      {"BadSwitchLeavesTheSwitch", section("S", {"terrainBoolean=yes", "mergeBoolean=", "objectBoolean=1,5"}), "S", ".",
       With(old, [](SettingFields& f) { f.settingName = "S"; })},
      {"ValueAfterTheFirstEquals", section("V", {"gamePath=a=b", "levelName==c"}), "V", ".",
       With(old, [](SettingFields& f) { f.settingName = "V", f.gamePath = "a=b", f.levelName = "=c"; })},
      {"WithoutEqualsTheWholeLine", section("V", {"levelName"}), "V", ".",
       With(old, [](SettingFields& f) { f.settingName = "V", f.levelName = "levelName"; })},
      {"FirstKeyWordInOrderDecides", section("V", {"levelName=my gamePath", "objectBoolean=modName"}), "V", ".",
       With(old, [](SettingFields& f) { f.settingName = "V", f.gamePath = "my gamePath", f.modName = "modName"; })},
      {"LaterLineOfAKeyWins", section("V", {"levelName=first", "levelName=second"}), "V", ".",
       With(old, [](SettingFields& f) { f.settingName = "V", f.levelName = "second"; })},
      {"LinesWithoutKeysAreIgnored", section("V", {"", "comment", "GAMEPATH=x", "mod=y"}), "V", ".",
       With(old, [](SettingFields& f) { f.settingName = "V"; })},
      {"OnlySevenLinesBelongToTheSection", section("V", {"x", "x", "x", "x", "x", "x", "x", "levelName=not this"}), "V",
       ".", With(old, [](SettingFields& f) { f.settingName = "V"; })},
      {"CutShortKeepsWhatItHas", kCoast + "[Save=Cut]\r\ngamePath=X\r\nmodName=Y", "Cut", ".",
       With(old, [](SettingFields& f) { f.settingName = "Cut", f.gamePath = "X", f.modName = "Y"; })},
      {"FirstOfTwoSectionsCounts",
       section("D", {"levelName=first"}) + "\r\n\r\n\r\n\r\n\r\n\r\n" + section("D", {"levelName=second"}), "D", ".",
       With(old, [](SettingFields& f) { f.settingName = "D", f.levelName = "first"; })},
      {"NameWithEqualsBracketAndBlanks", section(" a=b] ", {"levelName=odd"}), " a=b] ", ".",
       With(old, [](SettingFields& f) { f.settingName = " a=b] ", f.levelName = "odd"; })},
      {"EmptyName", section("", {"levelName=none"}), "", ".",
       With(old, [](SettingFields& f) { f.settingName = "", f.levelName = "none"; })},
      {"CodePage", "[Save=K\xFCste]\r\nlevelName=\x80 \xFC\r\n", "K\xC3\xBCste", ".",
       With(old, [](SettingFields& f) { f.settingName = "K\xC3\xBCste", f.levelName = "\xE2\x82\xAC \xC3\xBC"; })},
      {"LfOnly", "[Save=L]\nlevelName=lf\ngamePath=g\n", "L", ".",
       With(old, [](SettingFields& f) { f.settingName = "L", f.levelName = "lf", f.gamePath = "g"; })},
      {"CrOnly", "[Save=L]\rlevelName=cr\rgamePath=g\r", "L", ".",
       With(old, [](SettingFields& f) { f.settingName = "L", f.levelName = "cr", f.gamePath = "g"; })},
      {"StartMustMatchInFullAndCase",
       "[Save=coast]\r\nlevelName=a\r\n [Save=Coast]\r\nlevelName=b\r\n"
       "[Save=Coast] \r\nlevelName=c\r\n",
       "Coast", ".", old},
      {"NoSuchSection", kBay, "Coast", ".", old},
      {"NoFile", std::nullopt, "Coast", ".", old},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    folder.Put(c.bytes);
    EXPECT_EQ(folder.Load(c.pick, old, c.sep), c.expected);
  }
}

TEST(ConfigStore, CurrentShowsTheMainWindowsConfigurationAndKeepsTheName) {
  RunConfiguration config;
  config.gamePath = "C:\\G";
  config.levelName = "L";
  config.modName = "M";
  config.shadowDarkness = 0.1;
  config.mergeBoolean = true;
  Folder folder;
  folder.Put(kCoast);
  const Names list = {kCur, "Coast"};
  SettingFields fields = Untouched();
  ASSERT_TRUE(
      config_store::SelectSetting(platform::RealFileSystem(), folder.temp.path(), list, 1, config, ",", fields));
  EXPECT_EQ(fields.levelName, "Coast");
  ASSERT_TRUE(
      config_store::SelectSetting(platform::RealFileSystem(), folder.temp.path(), list, 0, config, ",", fields));
  EXPECT_EQ(fields, (SettingFields{"Coast", "C:\\G", "L", "M", "0,1", false, true, false}));
}

TEST(ConfigStore, FindSettingIndexSearchesTheWholeListAndTheLastMatchWins) {
  Names many = {kCur};
  for (int i = 1; i <= 40; ++i) many.push_back("n" + std::to_string(i));
  const struct {
    Names list;
    const char* name;
    int index;
  } cases[] = {
      {{kCur, "A", "B"}, "B", 2},
      {{kCur, "A", "B", "A"}, "A", 3},
      {{kCur, "A"}, "a", -1},
      {{kCur, "A"}, "A ", -1},
      {{kCur, "A"}, "(Current)", 0},
      {{kCur, "", "A"}, "", 1},
      {{kCur}, "", -1},
      {many, "n30", 30},
      {many, "n40", 40},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(config_store::FindSettingIndex(c.list, c.name), c.index) << c.name;
  }
}

// Thirty, thirty-one and many more sections all stay through Save and Delete.
TEST(ConfigStore, EverySectionSurvives) {
  for (const int count : {30, 31, 500}) {
    SCOPED_TRACE(count);
    std::vector<std::string> sections;
    Names list = {kCur};
    for (int i = 0; i < count; ++i) {
      const std::string n = std::to_string(i);
      sections.push_back("[Save=S" + n + "]\r\ngamePath=G" + n + "\r\nlevelName=L" + n + "\r\nmodName=M" + n +
                         "\r\nterrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=" + n +
                         "\r\n");
      list.push_back("S" + n);
    }
    const auto all = [&](size_t from) {
      std::string text;
      for (size_t i = from; i < sections.size(); ++i) text += sections[i];
      return text;
    };
    Folder folder;
    folder.Put(all(0));
    ASSERT_EQ(folder.ReadNames(), Names(list.begin() + 1, list.end()));
    EXPECT_EQ(folder.Load("S" + std::to_string(count - 1)).levelName, "L" + std::to_string(count - 1));

    auto& fs = platform::RealFileSystem();
    auto saved = config_store::SaveSetting(fs, folder.temp.path(), list, Coast());
    ASSERT_TRUE(saved.status);
    EXPECT_EQ(TempFolder::Read(folder.ini()), all(0) + kCoast);
    EXPECT_EQ(saved.select, count + 1);

    auto deleted = config_store::DeleteSetting(fs, folder.temp.path(), list, 1);
    ASSERT_TRUE(deleted.status);
    EXPECT_EQ(TempFolder::Read(folder.ini()), all(1) + kCoast);
    EXPECT_EQ(list.size(), static_cast<size_t>(count + 1));
    EXPECT_EQ(folder.ReadNames(), Names(list.begin() + 1, list.end()));
  }
}

// A file edited by hand on any system: blank lines and text between the
// sections, keys reordered, a key missing, a repeated name, names holding
// "=", "]" and blanks, switch values 1, 0 and tRuE.
TEST(ConfigStore, HandEditedFileWithAnyLineEnds) {
  const auto handEdited = [](std::string_view end) {
    return Join({"; saved by hand",
                 "",
                 "[Save=Coast]",
                 "shadowDarkness=2",
                 "objectBoolean=0",
                 "mergeBoolean=1",
                 "terrainBoolean=tRuE",
                 "modName=Hyx",
                 "levelName=Coast",
                 "gamePath=C:\\Games\\Stormline",
                 "",
                 "",
                 "[Save=a=b]",
                 "gamePath=D:\\Saved Games\\Stormline",
                 "modName=Ulm",
                 "",
                 "terrainBoolean=False",
                 "mergeBoolean=False",
                 "objectBoolean=True",
                 "shadowDarkness=1.50",
                 "text without the word",
                 "[Save=x]]",
                 "gamePath=E:\\x",
                 "levelName=X",
                 "modName=Stormline",
                 "terrainBoolean=True",
                 "mergeBoolean=True",
                 "objectBoolean=True",
                 "shadowDarkness=0.5",
                 "[Save= two  blanks ]",
                 "gamePath=F:\\y",
                 "levelName=Y",
                 "modName=Stormline",
                 "terrainBoolean=False",
                 "mergeBoolean=False",
                 "objectBoolean=False",
                 "shadowDarkness=1",
                 "[Save=Coast]",
                 "gamePath=C:\\Other",
                 "levelName=Second",
                 "modName=Hyx",
                 "terrainBoolean=True",
                 "mergeBoolean=True",
                 "objectBoolean=True",
                 "shadowDarkness=3"},
                end);
  };
  const std::string kept =
      "[Save=Coast]\r\nshadowDarkness=2\r\nobjectBoolean=0\r\nmergeBoolean=1\r\nterrainBoolean=tRuE\r\n"
      "modName=Hyx\r\nlevelName=Coast\r\ngamePath=C:\\Games\\Stormline\r\n"
      "[Save=a=b]\r\ngamePath=D:\\Saved Games\\Stormline\r\nmodName=Ulm\r\n\r\nterrainBoolean=False\r\n"
      "mergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.50\r\n";
  const std::string rest =
      "[Save=x]]\r\ngamePath=E:\\x\r\nlevelName=X\r\nmodName=Stormline\r\nterrainBoolean=True\r\n"
      "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=0.5\r\n"
      "[Save= two  blanks ]\r\ngamePath=F:\\y\r\nlevelName=Y\r\nmodName=Stormline\r\nterrainBoolean=False\r\n"
      "mergeBoolean=False\r\nobjectBoolean=False\r\nshadowDarkness=1\r\n";
  const std::string secondCoast =
      "[Save=Coast]\r\ngamePath=C:\\Other\r\nlevelName=Second\r\nmodName=Hyx\r\nterrainBoolean=True\r\n"
      "mergeBoolean=True\r\nobjectBoolean=True\r\nshadowDarkness=3\r\n";

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
    EXPECT_EQ(folder.Load("x]").levelName, "X");
    EXPECT_EQ(folder.Load(" two  blanks ").levelName, "Y");

    Names list = {kCur};
    list.insert(list.end(), names.begin(), names.end());
    auto& fs = platform::RealFileSystem();
    ASSERT_TRUE(config_store::SaveSetting(fs, folder.temp.path(), list,
                                          With(Coast(), [](SettingFields& f) { f.settingName = "Bay"; }))
                    .status);
    const std::string bay =
        "[Save=Bay]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Coast\r\nmodName=Stormline\r\n"
        "terrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\nshadowDarkness=1.5\r\n";
    EXPECT_EQ(TempFolder::Read(folder.ini()), kept + rest + secondCoast + bay);

    ASSERT_TRUE(config_store::DeleteSetting(fs, folder.temp.path(), list, 1).status);
    EXPECT_EQ(TempFolder::Read(folder.ini()), kept.substr(kept.find("[Save=a=b]")) + rest + bay);
    EXPECT_EQ(list, (Names{kCur, "a=b", "x]", " two  blanks ", "Bay"}));
  }
}

// Each step of a rewrite that can fail is made to fail in turn, once and
// from there on: config.ini, the list and the selection stay as they were.
TEST(ConfigStoreFaults, EachFailingStepOfARewriteLeavesEverythingAsItWas) {
  const struct {
    const char* name;
    bool save;
    SettingFields fields;
  } operations[] = {
      {"SaveOfANewName", true, With(Coast(), [](SettingFields& f) { f.settingName = "New"; })},
      {"SaveOfAStoredName", true, Coast()},
      {"Delete", false, {}},
  };
  const std::string before = kCoast + "\r\nnote\r\n" + kBay;
  const Names listBefore = {kCur, "Coast", "Bay"};
  for (const auto& op : operations) {
    for (const bool persistent : {false, true}) {
      int steps = 0;
      for (int k = 0;; ++k) {
        SCOPED_TRACE(std::string(op.name) + (persistent ? " from" : " at") + " call " + std::to_string(k));
        Folder folder;
        folder.Put(before);
        TempFolder::Write(folder.tmp(), "left over");
        FaultyFileSystem fs(platform::RealFileSystem());
        fs.failAt = k;
        fs.persistent = persistent;
        Names list = listBefore;
        const auto outcome = op.save ? config_store::SaveSetting(fs, folder.temp.path(), list, op.fields)
                                     : config_store::DeleteSetting(fs, folder.temp.path(), list, 1);
        if (fs.failures == 0) {
          ASSERT_TRUE(outcome.status) << outcome.status.message();
          EXPECT_FALSE(TempFolder::Exists(folder.tmp()));
          break;
        }
        ++steps;
        ASSERT_FALSE(outcome.status);
        EXPECT_NE(outcome.status.message().find("injected fault"), std::string::npos) << outcome.status.message();
        EXPECT_NE(outcome.status.message().find(
                      fs.log[static_cast<size_t>(k)].substr(fs.log[static_cast<size_t>(k)].find(' ') + 1)),
                  std::string::npos)
            << "the message names the file: " << outcome.status.message();
        EXPECT_NE(outcome.status.message().find("config.ini was left as it was."), std::string::npos);
        EXPECT_EQ(TempFolder::Read(folder.ini()), before);
        EXPECT_EQ(list, listBefore);
        EXPECT_EQ(outcome.select, -1);
        const std::string& failed = fs.log[static_cast<size_t>(k)];
        if (!persistent && (failed == "WriteNew config.tmp" || failed == "Replace config.ini")) {
          EXPECT_FALSE(TempFolder::Exists(folder.tmp())) << "config.tmp is removed where possible";
        }
      }
      // Reading config.ini, removing the leftover config.tmp, writing the new
      // one and moving it over config.ini.
      EXPECT_EQ(steps, 4) << op.name;
    }
  }
}

TEST(ConfigStoreFaults, FailedReadsChangeNothingAndSayWhy) {
  Folder folder;
  folder.Put(kCoast);
  FaultyFileSystem fs(platform::RealFileSystem());
  fs.failAt = 0;
  fs.persistent = true;
  Names names = {"stale"};
  const platform::Status listed = config_store::ReadSettingNames(fs, folder.temp.path(), names);
  ASSERT_FALSE(listed);
  EXPECT_NE(listed.message().find(folder.ini()), std::string::npos) << listed.message();
  EXPECT_TRUE(names.empty());

  SettingFields fields = Untouched();
  const platform::Status loaded = config_store::LoadSetting(fs, folder.temp.path(), "Coast", ".", fields);
  ASSERT_FALSE(loaded);
  EXPECT_NE(loaded.message().find(folder.ini()), std::string::npos) << loaded.message();
  EXPECT_EQ(fields, Untouched());
}

TEST(ConfigStoreFaults, RealFailuresNameTheFileAndTheReason) {
  auto& fs = platform::RealFileSystem();
  {
    Folder folder;
    folder.Put(kCoast);
    TempFolder::MakeReadOnly(folder.ini());
    Names list = {kCur, "Coast"};
    const auto saved = config_store::SaveSetting(fs, folder.temp.path(), list,
                                                 With(Coast(), [](SettingFields& f) { f.settingName = "Bay"; }));
    ASSERT_FALSE(saved.status);
    EXPECT_NE(saved.status.message().find(folder.ini()), std::string::npos) << saved.status.message();
    EXPECT_NE(saved.status.message().find("read-only"), std::string::npos) << saved.status.message();
    EXPECT_EQ(TempFolder::Read(folder.ini()), kCoast);
    EXPECT_EQ(list, (Names{kCur, "Coast"}));
    EXPECT_EQ(folder.temp.Count(), 1u) << "config.tmp is removed";
    const auto deleted = config_store::DeleteSetting(fs, folder.temp.path(), list, 1);
    ASSERT_FALSE(deleted.status);
    EXPECT_EQ(TempFolder::Read(folder.ini()), kCoast);
    EXPECT_EQ(list, (Names{kCur, "Coast"}));
  }
  {
    Folder folder;
    const std::string missing = folder.temp.File("no such folder");
    Names list = {kCur};
    const auto saved = config_store::SaveSetting(fs, missing, list, Coast());
    ASSERT_FALSE(saved.status);
    EXPECT_NE(saved.status.message().find(platform::JoinPath(missing, "config.tmp")), std::string::npos)
        << saved.status.message();
    EXPECT_EQ(list, Names{kCur});
  }
}

}  // namespace
