#pragma once

#include <string>
#include <string_view>

// What the tool fixes of the game it drives: the executable, its lighting
// switches with their operands, and the folders below the game folder.
// Paths here are the game's own, so they always use backslashes.
namespace game {

inline constexpr std::string_view kExecutableName = "Stormline.exe";
inline constexpr std::string_view kBrowseFileName = "stormline.exe";
inline constexpr std::string_view kMergeFactor = "0.4";

// gamePath + "\ShadowWork\stormline\levels\" + levelName + "\textures",
// joined as plain text: lmList.dat's folder and the terrain stage's output.
std::string LevelTexturesFolder(std::string_view gamePath, std::string_view levelName);

// One game call per lighting stage, as the batch script writes it.
std::string TerrainStageLine(std::string_view gamePath, std::string_view modName, std::string_view levelName);
std::string MergeStageLine(std::string_view gamePath, std::string_view modName, std::string_view levelName,
                           std::string_view darknessText);
std::string ObjectStageLine(std::string_view gamePath, std::string_view modName, std::string_view levelName);

}  // namespace game
