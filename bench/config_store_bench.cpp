// The config.ini store on real files in a temporary folder: a Save into a
// file of many sections, how that time grows with the file, and the load of
// the last name.
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "paths_dialog/config_store.h"
#include "tests/support/temp_folder.h"

namespace {

using config_store::SettingFields;

std::string Name(int i) { return "Level " + std::to_string(i); }

// A file of count sections as the store writes them, and the dialog's list.
std::vector<std::string> Fill(const TempFolder& folder, int count) {
  std::vector<std::string> list = {std::string(config_store::kCurrentEntry)};
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    bytes += "[Save=" + Name(i) + "]\r\ngamePath=C:\\Games\\Stormline\r\nlevelName=Level" + n +
             "\r\nmodName=Stormline\r\nterrainBoolean=True\r\nmergeBoolean=False\r\nobjectBoolean=True\r\n"
             "shadowDarkness=1.5\r\n";
    list.push_back(Name(i));
  }
  TempFolder::Write(folder.File("config.ini"), bytes);
  return list;
}

SettingFields Typed() {
  SettingFields fields;
  fields.settingName = "Bench";
  fields.gamePath = "C:\\Games\\Stormline";
  fields.levelName = "Coast";
  fields.modName = "Hyx";
  fields.shadowText = "1.50";
  fields.terrainBoolean = true;
  return fields;
}

// Saving the same name again and again keeps the file at count + 1 sections.
double RewriteMs(int count) {
  TempFolder folder;
  std::vector<std::string> list = Fill(folder, count);
  auto& fs = platform::RealFileSystem();
  const SettingFields typed = Typed();
  (void)config_store::SaveSetting(fs, folder.path(), list, typed);
  return MedianMs(9, [&] {
    if (!config_store::SaveSetting(fs, folder.path(), list, typed).status) std::abort();
  });
}

double LoadLastMs(int count) {
  TempFolder folder;
  Fill(folder, count);
  auto& fs = platform::RealFileSystem();
  const std::string last = Name(count - 1);
  return MedianMs(15, [&] {
    SettingFields fields;
    if (!config_store::LoadSetting(fs, folder.path(), last, ".", fields) || fields.settingName != last) std::abort();
  });
}

}  // namespace

int main() {
  const double tenThousand = RewriteMs(10000);
  const double twentyThousand = RewriteMs(20000);
  Figure("rewrite_10k_ms", tenThousand, "ms");
  Figure("rewrite_scaling", twentyThousand / tenThousand, "ratio");
  Figure("load_last_of_10k_ms", LoadLastMs(10000), "ms");
  return 0;
}
