// Arbitrary bytes as config.ini: reading and rewriting must never crash, and
// a Save or a Delete must leave a file whose names are exactly the new list
// and whose other sections load as before.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "paths_dialog/config_store.h"
#include "tests/core/config_store_fakes.h"

namespace {

void Require(bool holds) { if (!holds) std::abort(); }

std::vector<std::string> Listed(const MemoryFileSystem& fs) {
  std::vector<std::string> names;
  Require(config_store::ReadSettingNames(fs, "tool", names).ok());
  names.insert(names.begin(), std::string(config_store::kCurrentEntry));
  return names;
}

config_store::SettingFields Loaded(const MemoryFileSystem& fs, const std::string& name, const char* separator = ".") {
  config_store::SettingFields fields{"untouched", "", "", "", "7", false, false, false};
  Require(config_store::LoadSetting(fs, "tool", name, separator, fields).ok());
  Require(fields.settingName == "untouched" || fields.settingName == name);
  return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFileSystem fs;
  fs.files[platform::JoinPath("tool", config_store::kFileName)] = std::string(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> list = Listed(fs);
  const config_store::SettingFields typed{"fuzz", "C:\\Saved Games", "Coast", "Hyx", "1.50", true, false, false};
  // As a load shows it again.
  const config_store::SettingFields shown{"fuzz", "C:\\Saved Games", "Coast", "Hyx", "1.5", true, false, false};
  // A Save of a new name, and a Delete of the last entry.
  for (const int deleted : {0, static_cast<int>(list.size()) - 1}) {
    MemoryFileSystem after = fs;
    std::vector<std::string> changed = list;
    const auto outcome = deleted ? config_store::DeleteSetting(after, "tool", changed, deleted)
                                 : config_store::SaveSetting(after, "tool", changed, typed);
    const std::string& name = deleted ? list.back() : typed.settingName;
    Require(outcome.status.ok() && outcome.select == (deleted ? 0 : static_cast<int>(changed.size()) - 1));
    Require(after.files.size() == 1 && Listed(after) == changed);
    Require(std::count(changed.begin() + 1, changed.end(), name) == (deleted ? 0 : 1));
    // The first few entries and the last, which may follow thousands.
    for (size_t i = 1; i < changed.size(); i = i < 6 ? i + 1 : std::max(i + 1, changed.size() - 1)) {
      const char* separator = i % 2 ? "." : ",";
      Require(changed[i] == name || Loaded(fs, changed[i], separator) == Loaded(after, changed[i], separator));
    }
    Require(deleted || Loaded(after, name) == shown);
  }
  return 0;
}
