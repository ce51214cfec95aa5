#pragma once

#include <string>

#include "platform/file_system.h"

namespace game {

// Whether a game folder holds the game: asked before a run starts, so that
// a wrong folder is not reported as a run started.
class GameLookup {
 public:
  virtual ~GameLookup() = default;
  virtual bool Found(const std::string& gamePath) const = 0;
};

// On the disk, letter case ignored as Windows ignores it: the folder as it
// stands on Windows, its Wine folder elsewhere.
class DiskGameLookup final : public GameLookup {
 public:
  explicit DiskGameLookup(const platform::FileSystem& fs) : fs_(fs) {}
  bool Found(const std::string& gamePath) const override;

 private:
  const platform::FileSystem& fs_;
};

}  // namespace game
