#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Where a Windows folder such as C:\Games\Stormline lives on this machine
// when the game runs under Wine: drive C: in the prefix's drive_c, other
// letters through its dosdevices links. Gives nothing for a text that is not
// a drive-letter path or a folder that does not exist in the prefix.
std::optional<std::string> WineFolderFor(std::string_view windowsFolder, const std::string& prefix);

// The user's Wine prefix: WINEPREFIX, else ~/.wine.
std::string UserWinePrefix();

// The folder a file dialog should open in for a folder text of the game's:
// the text itself where it exists as written, else its Wine folder, else
// nothing (the dialog's own choice).
std::optional<std::string> DialogFolderFor(const std::string& folder);

}  // namespace platform
