#include "main_window/lighting_run.h"

#include <ctime>

#include "main_window/go_batch.h"
#include "platform/code_page.h"

namespace lighting_run {
namespace {

using Kind = Result::Kind;

std::string ForName(const std::string& name, const std::string& message) {
  return name.empty() ? message : "\"" + name + "\": " + message;
}

// go-20261207-184512-1a2b3c4d.bat: when it was started, for the user who
// looks into the folder; the random part keeps two runs in one second apart.
std::string CopyStem() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "go-%Y%m%d-%H%M%S-", &local);
  return stamp;
}

// Copies that a run cut short left behind. A week is far longer than any
// lighting pass, so no run can still be reading them.
void RemoveOldCopies(platform::FileSystem& fs, const std::string& folder) {
  for (const platform::Listed& old : fs.List(folder)) {
    if (old.file && old.name.ends_with(".bat") && old.age > kKeepCopies) (void)fs.Remove(platform::JoinPath(folder, old.name));
  }
}

}  // namespace

Result Prepare(const std::vector<lighting_run::Named>& runs, std::string_view decimalSeparator, std::string* bytes) {
  std::string text;
  for (const auto& [name, config] : runs) {
    if (!go_batch::IsComplete(config)) return {Kind::Incomplete, ForName(name, std::string(go_batch::kIncompleteStatus))};
    if (platform::Status checked = go_batch::CheckRun(config, decimalSeparator); !checked) {
      return {Kind::Refused, ForName(name, checked.message())};
    }
    text += go_batch::ScriptText(config, decimalSeparator);
  }
  std::string unheld;
  const auto encoded = platform::EncodeSingleByte(text, &unheld);
  if (!encoded) {
    // Only the decimal separator can get here: the texts were checked above.
    return {Kind::Refused, "The decimal separator \"" + unheld + "\" cannot be written in the code page of go.bat." +
                               std::string(go_batch::kNothingDone)};
  }
  if (bytes) *bytes = *encoded;
  return {Kind::Ready, text};
}

Result Run(const std::vector<lighting_run::Named>& runs, const Services& services, const AskStartWithoutGame& ask) {
  std::string bytes;
  if (Result prepared = Prepare(runs, services.decimalSeparator, &bytes); prepared.kind != Kind::Ready) return prepared;
  // Otherwise the interpreter fails in a window that closes at once, while
  // the tool would say the run has started.
  for (const auto& [name, config] : runs) {
    if (services.game && !services.game->Found(config.gamePath) && !ask(config.gamePath)) {
      return {Kind::Declined, ForName(name, "Stormline.exe was not found in \"" + config.gamePath + "\"." +
                                              std::string(go_batch::kNothingDone))};
    }
  }
  platform::FileSystem& fs = *services.fs;
  const std::string record = platform::JoinPath(services.toolFolder, go_batch::kScriptName);
  if (platform::Status written = platform::WriteFileReplacing(fs, record, bytes); !written) {
    return {Kind::Failed, written.message()};
  }
  const std::string folder = platform::JoinPath(services.toolFolder, kRunsFolder);
  const auto unstarted = [](const platform::Status& failed) {
    return Result{Kind::Failed, failed.message() + " go.bat was written but not started."};
  };
  if (platform::Status made = fs.MakeFolder(folder); !made) return unstarted(made);
  RemoveOldCopies(fs, folder);
  // Wine's cmd expands a "%" once more in the path that %~f0 gives: there
  // the copy waits for a later run to remove it.
  const std::string last = folder.find('%') == std::string::npos ? std::string(kSelfRemoval) : std::string();
  std::string copy;
  if (platform::Status created =
          platform::CreateUnique(fs, platform::JoinPath(folder, CopyStem()), ".bat", bytes + last, record, copy);
      !created) {
    return unstarted(created);
  }
  if (platform::Status started = services.starter->Start(copy); !started) {
    (void)fs.Remove(copy);
    return {Kind::Failed, started.message() + " " + record + " was written and can be run by hand."};
  }
  return {Kind::Started, copy};
}

}  // namespace lighting_run
