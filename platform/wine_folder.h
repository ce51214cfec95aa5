#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

// Where a Windows folder such as C:\Games\Stormline lives on this machine
// when the game runs under Wine: drive C: in the prefix's drive_c, other
// letters through its dosdevices links. Gives nothing for a text that is not
// a drive-letter path or a folder that does not exist in the prefix.
std::optional<std::string> WineFolderFor(std::string_view windowsFolder, const std::string& prefix);

// The user's Wine prefix: WINEPREFIX, else ~/.wine.
std::string UserWinePrefix();

// The reverse: the path by which Wine's programs know a file of this
// machine, through the prefix's dosdevices links (the longest match wins).
// "/home/me/.wine/drive_c/Games" gives "C:\Games". Nothing where no drive
// leads to it; a prefix Wine has not made yet will have Z: for the root.
std::optional<std::string> WindowsPathFor(const std::string& localPath, const std::string& prefix);

// A path chosen in a file dialog, in the form the game's command lines need:
// as it stands on Windows, its Wine form elsewhere.
std::string GamePathFor(const std::string& chosenPath);

// The folder a file dialog should open in for a folder text of the game's:
// the text itself where it exists as written, else its Wine folder, else
// nothing (the dialog's own choice).
std::optional<std::string> DialogFolderFor(const std::string& folder);

// Whether a game folder text holds a file of that name, letter case
// ignored as Windows ignores it: the folder as it stands on Windows, its
// Wine folder elsewhere.
bool FolderHoldsFile(const FileSystem& fs, const std::string& gameFolder, std::string_view fileName);

}  // namespace platform
