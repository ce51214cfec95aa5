#include "main_window/command_line.h"

#include "main_window/go_batch.h"
#include "main_window/run_configuration.h"
#include "paths_dialog/config_store.h"
#include "platform/number_text.h"

namespace command_line {
namespace {

// A stored configuration as a run: what its section leaves unset keeps the
// value the main window starts with.
platform::Status Load(const Services& services, const std::string& name, RunConfiguration& run) {
  config_store::SettingFields fields;
  fields.shadowText = "1.5";
  if (platform::Status loaded =
          config_store::LoadSetting(*services.fs, services.toolFolder, name, services.decimalSeparator, fields);
      !loaded) {
    return loaded;
  }
  if (fields.settingName != name) return platform::Status::Failure("config.ini holds no configuration named \"" + name + "\".");
  const auto darkness = platform::TextToNumber(fields.shadowText, services.decimalSeparator);
  if (!darkness) {
    return platform::Status::Failure("The Shadow Darkness of \"" + name + "\" is not a number.");
  }
  run = {fields.gamePath, fields.levelName, fields.modName, *darkness,
         fields.terrainBoolean, fields.mergeBoolean, fields.objectBoolean};
  if (!go_batch::IsComplete(run)) {
    return platform::Status::Failure("\"" + name + "\": " + std::string(go_batch::kIncompleteStatus));
  }
  if (platform::Status checked = go_batch::CheckRun(run, services.decimalSeparator); !checked) {
    return platform::Status::Failure("\"" + name + "\": " + checked.message());
  }
  // Nobody is there to be asked, so the question's safe answer holds.
  if (services.gameFound && !services.gameFound(run.gamePath)) {
    return platform::Status::Failure("\"" + name + "\": Stormline.exe was not found in \"" + run.gamePath + "\".");
  }
  return platform::Status::Ok();
}

}  // namespace

bool WantsCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return false;
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

int Run(const std::vector<std::string>& args, const Services& services, std::ostream& out, std::ostream& err) {
  std::vector<std::string> names;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help") {
      out << Usage();
      return kStarted;
    }
    if (args[i] == "--run" && i + 1 < args.size()) {
      names.push_back(args[++i]);
      continue;
    }
    err << (args[i] == "--run" ? std::string("--run needs a NAME.") : "Unknown argument \"" + args[i] + "\".") << "\n"
        << Usage();
    return kUsageError;
  }
  if (names.empty()) {
    err << Usage();
    return kUsageError;
  }

  std::vector<RunConfiguration> runs(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    if (platform::Status loaded = Load(services, names[i], runs[i]); !loaded) {
      err << loaded.message() << " Nothing was written or started.\n";
      return kRefused;
    }
  }
  const std::string script = platform::JoinPath(services.toolFolder, go_batch::kScriptName);
  std::string bytes;
  platform::Status done = go_batch::ScriptBytes(runs, services.decimalSeparator, bytes);
  if (done) done = platform::WriteFileReplacing(*services.fs, script, bytes);
  if (!done) {
    err << done.message() << "\n";
    return kRefused;
  }
  if (platform::Status started = services.starter->Start(script); !started) {
    err << started.message() << "\n";
    return kRefused;
  }
  out << "Started " << script << " for";
  for (const std::string& name : names) out << " \"" << name << "\"";
  out << ".\n";
  return kStarted;
}

}  // namespace command_line
