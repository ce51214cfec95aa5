#pragma once

#include <string>

// What a lighting run needs; the main window owns the one in use.
struct RunConfiguration {
  std::string gamePath;
  std::string levelName;
  std::string modName;
  double shadowDarkness = 1.5;
  bool terrainBoolean = false;
  bool mergeBoolean = false;
  bool objectBoolean = false;
};
