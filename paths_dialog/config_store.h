#pragma once

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
// names included. Each header line's seven key lines are passed over, so a
// value that holds "Save" is never taken for a name. A missing file gives
// no names. On a read failure names is empty and the status says why; the
// dialog must not then rewrite from that list, or sections would go.
platform::Status ReadSettingNames(const platform::FileSystem& fs, const std::string& folder,
                                  std::vector<std::string>& names);

// The last entry of the whole list that equals name exactly, or -1.
int FindSettingIndex(const std::vector<std::string>& list, std::string_view name);

// Loads the first section of that name into fields: the name field takes
// the name, each key line found sets its field. A missing key, a switch
// value that is neither True, False nor a number, or a darkness that is not
// a number leaves that field as it was; the darkness is shown again by the
// number rule (1.50 comes back as 1.5). No file or no such section changes
// nothing. Only a file that exists but cannot be read gives a failure.
platform::Status LoadSetting(const platform::FileSystem& fs, const std::string& folder, std::string_view name,
                             std::string_view decimalSeparator, SettingFields& fields);

// "(Current)": every field but the name takes the main window's values.
void ApplyRunConfiguration(const RunConfiguration& config, std::string_view decimalSeparator, SettingFields& fields);

// The dialog's list selection: entry 0 applies the main window's
// configuration, any other entry loads its section.
platform::Status SelectSetting(const platform::FileSystem& fs, const std::string& folder,
                               const std::vector<std::string>& list, int index, const RunConfiguration& config,
                               std::string_view decimalSeparator, SettingFields& fields);

// Rewrites config.ini so that it holds the sections whose names stand in the
// list (entries 1 on) in their file order, and with deleteOnly false the
// fields' section last under fields.settingName, whose earlier entries and
// sections go. With deleteOnly false the name must not be empty or
// "(Current)", and no field may hold a line break or a character the code
// page cannot hold. On success with deleteOnly false the name is the last
// entry of the list. On any failure config.ini and the list are as they
// were and the status holds the message to show.
platform::Status RewriteConfigFile(platform::FileSystem& fs, const std::string& folder, std::vector<std::string>& list,
                                   const SettingFields& fields, bool deleteOnly);

// What a Save or Delete leaves for the dialog to do.
struct StoreOutcome {
  // A failure's message goes into a message box; the list is then unchanged.
  platform::Status status = platform::Status::Ok();
  // The entry to select next, which loads it; -1 leaves the selection alone.
  int select = -1;
};

// Save: stores the fields under fields.settingName, replacing every stored
// configuration of that name, and selects the new last entry.
StoreOutcome SaveSetting(platform::FileSystem& fs, const std::string& folder, std::vector<std::string>& list,
                         const SettingFields& fields);

// Delete: removes the selected entry, every other entry of its name and all
// their sections, then selects "(Current)". The name field plays no part.
// With "(Current)" (or nothing) selected it refuses and changes nothing.
StoreOutcome DeleteSetting(platform::FileSystem& fs, const std::string& folder, std::vector<std::string>& list,
                           int selected);

}  // namespace config_store
