// Arbitrary bytes as config.ini: reading the names, loading sections and
// rewriting must never crash, and a rewrite must leave a file whose names
// and sections are exactly what the list says.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "paths_dialog/config_store.h"
#include "tests/core/config_store_fakes.h"

namespace {

using config_store::SettingFields;
using Names = std::vector<std::string>;

const std::string kFolder = "tool";

void Require(bool holds) {
  if (!holds) std::abort();
}

Names ListedNames(const MemoryFileSystem& fs) {
  Names names;
  Require(config_store::ReadSettingNames(fs, kFolder, names).ok());
  Names list = {std::string(config_store::kCurrentEntry)};
  list.insert(list.end(), names.begin(), names.end());
  return list;
}

SettingFields Loaded(const MemoryFileSystem& fs, const std::string& name, const char* sep) {
  SettingFields fields;
  fields.settingName = "untouched";
  fields.shadowText = "7";
  Require(config_store::LoadSetting(fs, kFolder, name, sep, fields).ok());
  return fields;
}

// A few entries of the list, the last one always among them.
std::vector<size_t> Sample(const Names& list) {
  std::vector<size_t> picks;
  for (size_t i = 1; i < list.size() && i <= 6; ++i) picks.push_back(i);
  if (list.size() > 7) picks.push_back(list.size() - 1);
  return picks;
}

// After a rewrite the file lists exactly the list's names, and every name
// that was kept loads as it did before.
void CheckRewrite(const MemoryFileSystem& before, const MemoryFileSystem& after, const Names& list,
                  const std::string& changed) {
  Require(after.files.size() == 1);
  Require(ListedNames(after) == list);
  for (const size_t i : Sample(list)) {
    if (list[i] == changed) continue;
    Require(Loaded(before, list[i], ".") == Loaded(after, list[i], "."));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFileSystem fs;
  fs.files[platform::JoinPath(kFolder, config_store::kFileName)] =
      std::string(reinterpret_cast<const char*>(data), size);
  const Names list = ListedNames(fs);

  for (const size_t i : Sample(list)) {
    const SettingFields fields = Loaded(fs, list[i], i % 2 ? "." : ",");
    Require(fields.settingName == "untouched" || fields.settingName == list[i]);
  }

  // Save under a new name and under a stored one.
  SettingFields typed;
  typed.gamePath = "C:\\Saved Games\\Stormline";
  typed.levelName = "Coast";
  typed.modName = "Hyx";
  typed.shadowText = "1.50";
  typed.terrainBoolean = true;
  for (const std::string& name : {std::string("fuzz"), list.size() > 1 ? list[1] : std::string()}) {
    if (name.empty() || name == config_store::kCurrentEntry) continue;
    typed.settingName = name;
    MemoryFileSystem saved = fs;
    Names savedList = list;
    const auto outcome = config_store::SaveSetting(saved, kFolder, savedList, typed);
    Require(outcome.status.ok() && outcome.select == static_cast<int>(savedList.size()) - 1);
    Require(savedList.back() == name);
    CheckRewrite(fs, saved, savedList, name);
    SettingFields shown = Loaded(saved, name, ".");
    Require(shown.shadowText == "1.5");
    shown.shadowText = typed.shadowText;
    Require(shown == typed);
  }

  // Delete the last entry.
  if (list.size() > 1) {
    MemoryFileSystem deleted = fs;
    Names deletedList = list;
    const std::string name = list.back();
    const auto outcome = config_store::DeleteSetting(deleted, kFolder, deletedList, static_cast<int>(list.size()) - 1);
    Require(outcome.status.ok() && outcome.select == 0);
    for (size_t i = 1; i < deletedList.size(); ++i) Require(deletedList[i] != name);
    CheckRewrite(fs, deleted, deletedList, name);
  }
  return 0;
}
