#include "game/game_interface.h"

namespace game {
namespace {

// gamePath + "\Stormline.exe"
std::string ExecutablePath(std::string_view gamePath) {
  std::string out(gamePath);
  out += '\\';
  out += kExecutableName;
  return out;
}

// gamePath + "\ShadowWork\", passed with its trailing backslash
std::string WorkingFolder(std::string_view gamePath) {
  std::string out(gamePath);
  out += "\\ShadowWork\\";
  return out;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  out += text;
  out += '"';
  return out;
}

// "stormline\levels\" + levelName + "\": the level relative to the work
// folder; "stormline" is fixed whatever the mod.
std::string LevelOperandText(std::string_view levelName) {
  std::string out = "stormline\\levels\\";
  out += levelName;
  out += '\\';
  return out;
}

// Everything before the stage switch: executable, mod and work folder.
std::string CallPrefix(std::string_view gamePath, std::string_view modName) {
  std::string out = Quoted(ExecutablePath(gamePath));
  out += " +game ";
  out += modName;
  out += " +workingFolder ";
  out += Quoted(WorkingFolder(gamePath));
  return out;
}

}  // namespace


std::string LevelTexturesFolder(std::string_view gamePath, std::string_view levelName) {
  std::string out = WorkingFolder(gamePath);
  out += LevelOperandText(levelName);
  out += "textures";
  return out;
}

std::string TerrainStageLine(std::string_view gamePath, std::string_view modName, std::string_view levelName) {
  std::string lmList(levelName);
  lmList += "\\lmList.dat";
  return CallPrefix(gamePath, modName) + " +traceTerrainShadows " + Quoted(LevelOperandText(levelName)) + " " +
         Quoted(lmList) + " " + Quoted(LevelTexturesFolder(gamePath, levelName));
}

std::string MergeStageLine(std::string_view gamePath, std::string_view modName, std::string_view levelName,
                           std::string_view darknessText) {
  std::string operand = LevelOperandText(levelName);
  operand += ' ';
  operand += darknessText;
  operand += ' ';
  operand += kMergeFactor;
  return CallPrefix(gamePath, modName) + " +mergeTerrainShadows " + Quoted(operand);
}

std::string ObjectStageLine(std::string_view gamePath, std::string_view modName, std::string_view levelName) {
  return CallPrefix(gamePath, modName) + " +traceObjectShadows " + Quoted(LevelOperandText(levelName));
}

}  // namespace game
