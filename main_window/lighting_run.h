#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/game_lookup.h"
#include "main_window/run_configuration.h"
#include "platform/batch_starter.h"
#include "platform/file_system.h"

// A lighting run, written once for Run Lighting, the command line and the
// preview: the runs are checked, go.bat is written as the record of the last
// run, and a copy of its bytes under a name no later run writes is started,
// so a run reads its own lines whatever later runs write.
namespace lighting_run {

// Beside the executable; each started run has its own script in it.
inline constexpr std::string_view kRunsFolder = "runs";
// The script's last act removes it; a run cut short leaves it, and it goes
// at a later run once it is this old.
inline constexpr std::chrono::hours kKeepCopies{24 * 7};
inline constexpr std::string_view kSelfRemoval = "@del \"%~f0\" & exit /b\r\n";

struct Services {
  platform::FileSystem* fs = nullptr;
  platform::BatchStarter* starter = nullptr;
  std::string toolFolder;        // where go.bat lives
  std::string decimalSeparator;  // the user's, for the darkness
  const game::GameLookup* game = nullptr;  // none: the game is not looked for
};

// A run and the name it was saved under (empty in the window), which the
// messages use.
struct Named {
  std::string name;
  RunConfiguration config;
};

struct Result {
  enum class Kind {
    Ready,       // checked; text is the script
    Started,     // text is the script that was started
    Incomplete,  // text is the incomplete-configuration message
    Refused,     // checked and refused, or the game was missing and not to be started
    Declined,    // the user chose not to start without the game
    Failed,      // a file could not be written or the script not started
  };
  Kind kind = Kind::Failed;
  std::string text;
};

// Checks every run and makes the script's bytes, in the single-byte code
// page: what the preview shows, and the first step of Run.
Result Prepare(const std::vector<Named>& runs, std::string_view decimalSeparator, std::string* bytes = nullptr);

// Asked when a game folder holds no Stormline.exe; true starts all the same.
using AskStartWithoutGame = std::function<bool(const std::string& gamePath)>;

Result Run(const std::vector<Named>& runs, const Services& services, const AskStartWithoutGame& ask);

}  // namespace lighting_run
