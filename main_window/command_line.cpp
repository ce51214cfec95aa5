#include "main_window/command_line.h"

#include "main_window/go_batch.h"
#include "paths_dialog/config_store.h"
#include "platform/number_text.h"

namespace command_line {
namespace {

// A stored configuration as a run: what its section leaves unset keeps the
// value the main window starts with.
platform::Status Load(const lighting_run::Services& services, const std::string& name, RunConfiguration& run) {
  config_store::SettingFields fields;
  config_store::ApplyRunConfiguration(RunConfiguration{}, services.decimalSeparator, fields);
  bool found = false;
  if (platform::Status loaded = config_store::LoadSetting(*services.fs, services.toolFolder, name,
                                                          services.decimalSeparator, fields, &found);
      !loaded) {
    return platform::Status::Failure(loaded.message() + std::string(go_batch::kNothingDone));
  }
  const auto darkness = platform::TextToNumber(fields.shadowText, services.decimalSeparator);
  if (!found || !darkness) {
    return platform::Status::Failure(
        (found ? "The Shadow Darkness of \"" + name + "\" is not a number."
               : "config.ini holds no configuration named \"" + name + "\".") +
        std::string(go_batch::kNothingDone));
  }
  run = {fields.gamePath, fields.levelName, fields.modName, *darkness,
         fields.terrainBoolean, fields.mergeBoolean, fields.objectBoolean};
  return platform::Status::Ok();
}

}  // namespace

std::optional<std::string> DroppedFile(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') return std::nullopt;
  return args[0];
}

bool WantsCommandLine(const std::vector<std::string>& args) {
  if (args.empty() || DroppedFile(args)) return false;
  const std::string& first = args[0];
  return first.size() < 2 || first[0] != '-' || first[1] == '-';
}

std::string Usage() {
  return "Usage: StormlineLighting [--run NAME]...\n"
         "Without arguments the windows open. With --run, the configurations saved under\n"
         "these names in config.ini are run one after the other through one go.bat,\n"
         "without a window.\n"
         "Exit status: 0 started, 1 refused or failed (nothing started), 2 usage error.\n";
}

int Run(const std::vector<std::string>& args, const lighting_run::Services& services, std::ostream& out,
        std::ostream& err) {
  std::vector<lighting_run::Named> runs;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help") {
      out << Usage();
      return kStarted;
    }
    if (args[i] == "--run" && i + 1 < args.size()) {
      runs.push_back({args[++i], {}});
      continue;
    }
    err << (args[i] == "--run" ? std::string("--run needs a NAME.") : "Unknown argument \"" + args[i] + "\".") << "\n"
        << Usage();
    return kUsageError;
  }
  if (runs.empty()) {
    err << Usage();
    return kUsageError;
  }
  for (auto& [name, config] : runs) {
    if (platform::Status loaded = Load(services, name, config); !loaded) {
      err << loaded.message() << "\n";
      return kRefused;
    }
  }
  // Nobody is there to be asked, so the question's safe answer holds.
  const lighting_run::Result result = lighting_run::Run(runs, services, [](const std::string&) { return false; });
  if (result.kind != lighting_run::Result::Kind::Started) {
    err << result.text << "\n";
    return kRefused;
  }
  out << "Started " << result.text << " for";
  for (const auto& run : runs) out << " \"" << run.name << "\"";
  out << ".\n";
  return kStarted;
}

}  // namespace command_line
