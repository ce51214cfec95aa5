#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/run_configuration.h"
#include "platform/file_system.h"
#include "platform/status.h"

// The named configurations in config.ini beside the executable, and the
// decisions of the paths dialog's Save, Delete and Load Setting list. The
// dialog holds the list and the fields; everything here reads the file anew
// and keeps nothing between calls.
//
// config.ini is a run of eight-line sections, "[Save=" name "]" and seven
// key lines, in the single-byte code page, every line ended by CR LF. It is
// never edited in place: each Save or Delete writes config.tmp whole and
// then moves it over config.ini.
namespace config_store {

inline constexpr std::string_view kFileName = "config.ini";
inline constexpr std::string_view kTempName = "config.tmp";
// Held by the copy of the tool that is rewriting config.ini.
inline constexpr std::string_view kLockName = "config.lock";
inline constexpr std::chrono::milliseconds kLockWait{5000};
// Larger files are refused rather than read into memory.
inline constexpr std::size_t kMaxFileBytes = 64u << 20;

// Entry 0 of the list, standing for the main window's configuration.
inline constexpr std::string_view kCurrentEntry = "(Current)";

inline constexpr std::string_view kNameMissing = "Please give the Config a name.";

// What the dialog's fields hold, as text, and its own three switches.
struct SettingFields {
  std::string settingName;
  std::string gamePath;
  std::string levelName;
  std::string modName;
  std::string shadowText;
  bool terrainBoolean = false;
  bool mergeBoolean = false;
  bool objectBoolean = false;

  bool operator==(const SettingFields&) const = default;
};

// The names of all stored configurations in file order, repeats and empty
// names included. A header line holds "Save" and is no key line (one with a
// key word before its first "="); its section is it and the up to seven
// lines after it, ending early at the next header. A missing file gives no
// names; on a read failure names is empty and the status says why.
platform::Status ReadSettingNames(const platform::FileSystem& fs, const std::string& folder,
                                  std::vector<std::string>& names);

// Loads the first section of that name into fields: the name field takes
// the name, each key line found sets its field. A missing key, a switch
// value that is neither True, False nor a number leaves that field as it
// was; the darkness is shown again by the number rule (1.50 comes back as
// 1.5), or as stored when it is not a number. No file or no such section changes
// nothing (found, where asked, tells). Only a file that exists but cannot be
// read gives a failure.
platform::Status LoadSetting(const platform::FileSystem& fs, const std::string& folder, std::string_view name,
                             std::string_view decimalSeparator, SettingFields& fields, bool* found = nullptr);

// "(Current)": every field but the name takes the main window's values.
void ApplyRunConfiguration(const RunConfiguration& config, std::string_view decimalSeparator, SettingFields& fields);

// The dialog's list selection: entry 0 applies the main window's
// configuration, any other entry loads its section.
platform::Status SelectSetting(const platform::FileSystem& fs, const std::string& folder,
                               const std::vector<std::string>& list, int index, const RunConfiguration& config,
                               std::string_view decimalSeparator, SettingFields& fields);

// What a Save or Delete leaves for the dialog to do.
struct StoreOutcome {
  // A failure's message goes into a message box; the list is then unchanged.
  platform::Status status = platform::Status::Ok();
  // The entry to select next, which loads it; -1 leaves the selection alone.
  int select = -1;
};

// Save: stores the fields under fields.settingName, replacing every stored
// configuration of that name, and selects the new last entry. The name must
// not be empty or "(Current)", and no field may hold a line break or a
// character the code page cannot hold.
StoreOutcome SaveSetting(platform::FileSystem& fs, const std::string& folder, std::vector<std::string>& list,
                         const SettingFields& fields);

// Delete: removes every section of the selected entry's name, then selects
// "(Current)". The name field plays no part.
// With "(Current)" (or nothing) selected it refuses and changes nothing.
StoreOutcome DeleteSetting(platform::FileSystem& fs, const std::string& folder, std::vector<std::string>& list,
                           int selected);

}  // namespace config_store
