#include "main_window/go_batch.h"

#include <array>

#include "game/game_interface.h"
#include "platform/code_page.h"
#include "platform/number_text.h"
#include "platform/ascii.h"

namespace go_batch {
namespace {

struct Field {
  const char* label;
  const std::string* text;
  bool unquoted;  // written somewhere without quotation marks around it
};

constexpr const char* kNotPassedOn =
    ", which the command interpreter would not pass on to the game as it stands.";

platform::Status Refusal(const std::string& reason) {
  return platform::Status::Failure(reason + std::string(kNothingDone));
}

// The first count characters (not bytes) of a UTF-8 text.
std::string FirstCharacters(const std::string& text, size_t count) {
  size_t offset = 0;
  char32_t code = 0;
  while (count-- > 0 && offset < text.size() && platform::NextCodePoint(text, offset, code)) {
  }
  return text.substr(0, offset);
}

platform::Status CheckText(const char* label, const std::string& text, bool unquoted) {
  for (const char c : text) {
    const bool everywhere = c == '%' || c == '"' || c == '\r' || c == '\n';
    const bool bare = c == '&' || c == '|' || c == '<' || c == '>' || c == '^';
    if (everywhere || (unquoted && bare)) {
      const std::string what = c == '\r' || c == '\n' ? "a line break" : "the character \"" + std::string(1, c) + "\"";
      return Refusal(std::string("The ") + label + " holds " + what + kNotPassedOn);
    }
  }
  // The script is written in the ANSI code page but the command interpreter
  // reads it in the console's (OEM) one: past ASCII the two disagree, and
  // "K\xC3\xBCste" would reach the game as another name.
  size_t offset = 0;
  while (offset < text.size()) {
    const size_t start = offset;
    char32_t code = 0;
    const bool valid = platform::NextCodePoint(text, offset, code);
    if (valid && code >= 0x20 && code < 0x7F) continue;
    if (!valid) offset = start + 1;
    const std::string character = text.substr(start, offset - start);
    const bool control = valid && platform::ascii::IsControl(code);
    return Refusal(std::string("The ") + label + " holds " +
                   (control ? std::string("a control character") : "the character \"" + character + "\"") +
                   ", which the command interpreter would not read as written: go.bat can pass on plain ASCII "
                   "text only.");
  }
  return platform::Status::Ok();
}

platform::Status CheckTexts(const RunConfiguration& config) {
  // The level name only ever stands inside quotation marks; the game folder
  // follows "@cd " bare, and the mod name is always bare.
  const std::array<Field, 3> fields = {{{"Game Path", &config.gamePath, true},
                                        {"Level Name", &config.levelName, false},
                                        {"Mod Name", &config.modName, true}}};
  for (const Field& field : fields) {
    if (platform::Status checked = CheckText(field.label, *field.text, field.unquoted); !checked) return checked;
  }
  return platform::Status::Ok();
}

}  // namespace

bool IsComplete(const RunConfiguration& config) {
  // Written so that a darkness that is not a number fails too.
  return config.shadowDarkness > 0 && !config.levelName.empty() && !config.gamePath.empty() &&
         !config.modName.empty();
}

platform::Status CheckRun(const RunConfiguration& config, std::string_view decimalSeparator) {
  if (platform::Status checked = CheckTexts(config); !checked) return checked;
  // Line 2 runs "@" and the folder's first two characters as a command: only
  // a drive letter and a colon make that a change of drive.
  const std::string& path = config.gamePath;
  const bool letter = !path.empty() && platform::ascii::IsLetter(path[0]);
  if (!letter || path.size() < 2 || path[1] != ':') {
    return Refusal("The Game Path must begin with a drive letter and a colon, for instance " +
                   std::string(kExampleGamePath) + ".");
  }
  // Bare on every game line: a blank would split it into more arguments.
  if (config.modName.find_first_of(" \t") != std::string::npos) {
    return Refusal("The Mod Name holds a blank, which would reach the game as more than one word.");
  }
  if (config.mergeBoolean) {
    const std::string darkness = platform::NumberToText(config.shadowDarkness, decimalSeparator);
    if (platform::Status checked = CheckText("Shadow Darkness", darkness, false); !checked) return checked;
  }
  // The interpreter cuts a longer line and runs the rest as a command of
  // its own, with the quoting lost.
  const std::string text = ScriptText(config, decimalSeparator);
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    if (end - start > kMaxLineLength) {
      return Refusal("A line of go.bat would be " + std::to_string(end - start) +
                     " characters long, more than the " + std::to_string(kMaxLineLength) +
                     " that the command interpreter reads. Shorten the Game Path or the Level Name.");
    }
    start = end + 2;
  }
  return platform::Status::Ok();
}

std::string ScriptText(const RunConfiguration& config, std::string_view decimalSeparator) {
  const std::string& path = config.gamePath;
  std::string text = "@cd ";
  text += path;
  text += "\r\n@";
  text += FirstCharacters(path, 2);
  text += "\r\n";
  if (config.terrainBoolean) {
    text += game::TerrainStageLine(path, config.modName, config.levelName) + "\r\n";
  }
  if (config.mergeBoolean) {
    const std::string darkness = platform::NumberToText(config.shadowDarkness, decimalSeparator);
    text += game::MergeStageLine(path, config.modName, config.levelName, darkness) + "\r\n";
  }
  if (config.objectBoolean) {
    text += game::ObjectStageLine(path, config.modName, config.levelName) + "\r\n";
  }
  return text;
}

}  // namespace go_batch
