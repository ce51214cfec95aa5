#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <random>

#include "paths_dialog/config_store.h"
#include "tests/core/config_store_fakes.h"

// Thousands of random Saves, Deletes and picks over a few names, each
// checked against a plain model of what the dialog and config.ini hold.
namespace {

using config_store::SettingFields;
using Names = std::vector<std::string>;

const std::string kCur = "(Current)";
const std::string kFolder = "tool";
const std::string kIni = platform::JoinPath(kFolder, "config.ini");

const std::array<const char*, 9> kNames = {"Coast", "Bay", "a=b", "x]", " sp ", "Saved", "(current)", "", "(Current)"};
const std::array<const char*, 4> kPaths = {"C:\\Games\\Stormline", "C:\\Saved Games\\Stormline", "", " D:\\x "};
const std::array<const char*, 4> kLevels = {"Coast", "Save", "", "Bay Two"};
const std::array<const char*, 4> kMods = {"Stormline", "Hyx", "Ulm", "Own"};
// Darkness as typed, and as a load shows it again: a number by the number
// rule, anything else as stored.
const std::map<std::string, std::optional<std::string>> kDarkness = {
    {"1.5", "1.5"}, {"1.50", "1.5"}, {"2", "2"},     {"abc", "abc"},        {"", ""},
    {" 3 ", "3"},   {"3", "3"},      {"1e2", "100"}, {"100", "100"},        {"0.25", "0.25"}};

std::string Bytes(const std::vector<SettingFields>& sections) {
  const auto truth = [](bool b) { return std::string(b ? "True" : "False"); };
  std::string text;
  for (const SettingFields& s : sections) {
    text += "[Save=" + s.settingName + "]\r\ngamePath=" + s.gamePath + "\r\nlevelName=" + s.levelName +
            "\r\nmodName=" + s.modName + "\r\nterrainBoolean=" + truth(s.terrainBoolean) +
            "\r\nmergeBoolean=" + truth(s.mergeBoolean) + "\r\nobjectBoolean=" + truth(s.objectBoolean) +
            "\r\nshadowDarkness=" + s.shadowText + "\r\n";
  }
  return text;
}

struct Model {
  std::vector<SettingFields> sections;  // in file order
  Names list;
  int selected = 0;
  SettingFields shown;
  RunConfiguration config;

  // The name stays; the darkness 1.5 of config is shown as "1.5".
  void ShowCurrent() {
    shown = {shown.settingName,     config.gamePath,     config.levelName,    config.modName, "1.5",
             config.terrainBoolean, config.mergeBoolean, config.objectBoolean};
  }
  void Pick(int index) {
    selected = index;
    if (index == 0) return ShowCurrent();
    for (const SettingFields& s : sections) {
      if (s.settingName != list[static_cast<size_t>(index)]) continue;
      const std::string darkness = shown.shadowText;
      shown = s;
      shown.shadowText = kDarkness.at(s.shadowText).value_or(darkness);
      return;
    }
  }
  void Drop(const std::string& name) {
    std::erase_if(sections, [&](const SettingFields& s) { return s.settingName == name; });
    list.erase(std::remove(list.begin() + 1, list.end(), name), list.end());
  }
};

template <typename T, size_t N>
T PickFrom(std::mt19937& rng, const std::array<T, N>& pool) {
  return pool[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

class ConfigStoreModel : public testing::TestWithParam<unsigned> {};

TEST_P(ConfigStoreModel, FileAndListFollowTheModel) {
  std::mt19937 rng(GetParam());
  const auto chance = [&](int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; };
  Model model;
  model.config = {"C:\\Main", "Main", "Stormline", 1.5, false, false, true};
  // A file edited by hand may hold one name twice; both are listed.
  model.sections = {{"Coast", "C:\\A", "First", "Hyx", "2", true, false, true},
                    {"Bay", "C:\\B", "Bay", "Ulm", "1.50", false, true, false},
                    {"Coast", "C:\\C", "Second", "Own", "abc", true, true, true}};
  model.list = {kCur, "Coast", "Bay", "Coast"};
  model.shown.settingName = kCur;
  model.ShowCurrent();

  MemoryFileSystem fs;
  fs.files[kIni] = Bytes(model.sections);
  Names list = model.list;
  int selected = 0;
  SettingFields shown = model.shown;

  int saves = 0, deletes = 0, refusals = 0;
  for (int step = 0; step < 3000; ++step) {
    const int what = std::uniform_int_distribution<int>(0, 99)(rng);
    std::string done;
    if (what < 30) {
      // The user types into the fields.
      SettingFields& typed = model.shown;
      typed.settingName = PickFrom(rng, kNames);
      if (chance(50)) typed.gamePath = PickFrom(rng, kPaths);
      if (chance(50)) typed.levelName = PickFrom(rng, kLevels);
      if (chance(50)) typed.modName = PickFrom(rng, kMods);
      if (chance(50))
        typed.shadowText =
            std::next(kDarkness.begin(), std::uniform_int_distribution<long>(0, kDarkness.size() - 1)(rng))->first;
      if (chance(30)) typed.terrainBoolean = !typed.terrainBoolean;
      if (chance(30)) typed.mergeBoolean = !typed.mergeBoolean;
      if (chance(30)) typed.objectBoolean = !typed.objectBoolean;
      shown = typed;
      done = "type";
    } else if (what < 60) {
      done = "save " + shown.settingName;
      const auto outcome = config_store::SaveSetting(fs, kFolder, list, shown);
      const std::string& name = model.shown.settingName;
      if (name.empty() || name == kCur) {
        ASSERT_FALSE(outcome.status) << done;
        EXPECT_EQ(outcome.status.message(), "Please give the Config a name.");
        ++refusals;
      } else {
        ASSERT_TRUE(outcome.status) << done << ": " << outcome.status.message();
        model.Drop(name);
        model.sections.push_back(model.shown);
        model.list.push_back(name);
        model.Pick(static_cast<int>(model.list.size()) - 1);
        ASSERT_EQ(outcome.select, model.selected) << done;
        selected = outcome.select;
        ASSERT_TRUE(config_store::SelectSetting(fs, kFolder, list, selected, model.config, ".", shown));
        ++saves;
      }
    } else if (what < 75) {
      done = "delete entry " + std::to_string(selected);
      const auto outcome = config_store::DeleteSetting(fs, kFolder, list, selected);
      if (model.selected == 0) {
        ASSERT_FALSE(outcome.status) << done;
        EXPECT_EQ(outcome.status.message(), "Please give the Config a name.");
        ++refusals;
      } else {
        ASSERT_TRUE(outcome.status) << done << ": " << outcome.status.message();
        model.Drop(model.list[static_cast<size_t>(model.selected)]);
        model.Pick(0);
        ASSERT_EQ(outcome.select, 0);
        selected = 0;
        ASSERT_TRUE(config_store::SelectSetting(fs, kFolder, list, selected, model.config, ".", shown));
        ++deletes;
      }
    } else if (what < 97) {
      const int index = std::uniform_int_distribution<int>(0, static_cast<int>(list.size()) - 1)(rng);
      done = "pick entry " + std::to_string(index);
      model.Pick(index);
      selected = index;
      ASSERT_TRUE(config_store::SelectSetting(fs, kFolder, list, selected, model.config, ".", shown));
    } else {
      // The dialog is closed and opened again: the list comes from the file.
      done = "reopen";
      Names names;
      ASSERT_TRUE(config_store::ReadSettingNames(fs, kFolder, names));
      list = {kCur};
      list.insert(list.end(), names.begin(), names.end());
      model.shown.settingName = kCur;
      model.Pick(0);
      selected = 0;
      shown = model.shown;
    }
    ASSERT_EQ(fs.files[kIni], Bytes(model.sections)) << "after step " << step << ", " << done;
    ASSERT_EQ(fs.files.size(), 1u) << "no config.tmp remains";
    ASSERT_EQ(list, model.list) << "after step " << step << ", " << done;
    ASSERT_EQ(shown, model.shown) << "after step " << step << ", " << done;
  }
  // The walk has to reach every kind of step to mean anything.
  EXPECT_GT(saves, 300);
  EXPECT_GT(deletes, 50);
  EXPECT_GT(refusals, 50);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ConfigStoreModel, testing::Values(1u, 2u, 3u, 20240611u));

}  // namespace
