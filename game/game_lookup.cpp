#include "game/game_lookup.h"

#include "game/game_interface.h"
#include "platform/wine_folder.h"

namespace game {

bool DiskGameLookup::Found(const std::string& gamePath) const {
  return platform::FolderHoldsFile(fs_, gamePath, kExecutableName);
}

}  // namespace game
