#include "paths_dialog/config_store.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>

#include "platform/code_page.h"
#include "platform/number_text.h"
#include "platform/ascii.h"

namespace config_store {
namespace {

using platform::Status;

constexpr size_t kKeyLines = 7;
constexpr std::string_view kEnd = "\r\n";
constexpr std::string_view kUnchanged = " config.ini was left as it was.";

// Lines without their ends; a file edited elsewhere may end them in CR LF,
// LF or CR alone. A last line without an end still counts.
class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes) : bytes_(bytes) {}

  bool Next(std::string_view& line) {
    if (pos_ >= bytes_.size()) return false;
    const size_t end = bytes_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
      line = bytes_.substr(pos_);
      pos_ = bytes_.size();
      return true;
    }
    line = bytes_.substr(pos_, end - pos_);
    const bool crLf = bytes_[end] == '\r' && end + 1 < bytes_.size() && bytes_[end + 1] == '\n';
    pos_ = end + (crLf ? 2 : 1);
    return true;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

// A header line and the key lines that follow it; fewer than seven where
// the next header or the end of the file comes first.
struct Section {
  std::string_view header;
  std::array<std::string_view, kKeyLines> keys;
  size_t keyCount = 0;
};

constexpr std::array<std::string_view, kKeyLines> kKeys = {
    "gamePath", "levelName", "modName", "terrainBoolean", "mergeBoolean", "objectBoolean", "shadowDarkness"};

// A key word before the first "=" (anywhere in a line without one).
bool IsKeyLine(std::string_view line) {
  const std::string_view name = line.substr(0, line.find('='));
  return std::any_of(kKeys.begin(), kKeys.end(),
                     [&](std::string_view key) { return name.find(key) != std::string_view::npos; });
}

// "Save" anywhere but in a key line, so a value under "Saved Games" is never
// a name and a section cut short by hand never swallows the next header.
bool IsHeaderLine(std::string_view line) {
  return line.find("Save") != std::string_view::npos && !IsKeyLine(line);
}

// The text after the first "=" up to the last character; the whole line but
// its last character when there is no "=". "[Save=" gives the empty name.
std::string HeaderName(std::string_view header) {
  const size_t equals = header.find('=');
  const size_t begin = equals == std::string_view::npos ? 0 : equals + 1;
  const size_t end = header.size() - 1;
  if (begin >= end) return std::string();
  return platform::DecodeSingleByte(header.substr(begin, end - begin));
}

// Every reader sees the same sections: a header and up to seven lines after
// it, ending early at the next header. visit returns false to stop.
template <typename Visit>
void ForEachSection(std::string_view bytes, Visit&& visit) {
  LineCursor cursor(bytes);
  std::string_view line;
  bool pending = cursor.Next(line);
  while (pending) {
    if (!IsHeaderLine(line)) {
      pending = cursor.Next(line);
      continue;
    }
    Section section;
    section.header = line;
    pending = false;
    while (section.keyCount < kKeyLines && cursor.Next(line)) {
      if (IsHeaderLine(line)) {
        pending = true;
        break;
      }
      section.keys[section.keyCount++] = line;
    }
    if (!visit(section)) return;
    if (!pending) pending = cursor.Next(line);
  }
}

bool EqualsIgnoringCase(std::string_view text, std::string_view word) {
  return text.size() == word.size() && std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) {
           return platform::ascii::Lower(a) == platform::ascii::Lower(b);
         });
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && platform::ascii::IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && platform::ascii::IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<bool> TruthValue(std::string_view value, std::string_view decimalSeparator) {
  const std::string_view word = TrimBlanks(value);
  if (EqualsIgnoringCase(word, "True")) return true;
  if (EqualsIgnoringCase(word, "False")) return false;
  if (const auto number = platform::TextToNumber(value, decimalSeparator)) return *number != 0;
  return std::nullopt;
}

// The first key word found anywhere in the line decides, in this order, so
// a value holding an earlier key word takes the line for that key.
void ApplyKeyLine(const std::string& line, std::string_view decimalSeparator, SettingFields& fields) {
  size_t key = 0;
  while (key < kKeys.size() && line.find(kKeys[key]) == std::string::npos) ++key;
  if (key == kKeys.size()) return;

  const size_t equals = line.find('=');
  const std::string value = equals == std::string::npos ? line : line.substr(equals + 1);
  // In the order of kKeys.
  std::string* const texts[] = {&fields.gamePath, &fields.levelName, &fields.modName};
  bool* const switches[] = {&fields.terrainBoolean, &fields.mergeBoolean, &fields.objectBoolean};
  if (key < std::size(texts)) {
    *texts[key] = value;
  } else if (key - std::size(texts) < std::size(switches)) {
    if (const auto truth = TruthValue(value, decimalSeparator)) *switches[key - std::size(texts)] = *truth;
  } else if (const auto number = platform::TextToNumber(value, decimalSeparator)) {
    fields.shadowText = platform::NumberToText(*number, decimalSeparator);
  } else {
    // Not a number: shown as stored, so that OK refuses it rather than a
    // run taking the darkness shown before.
    fields.shadowText = value;
  }
}

// Either the bytes of the fields' section, or why it cannot be written.
Status EncodeSection(const SettingFields& fields, std::string& bytes) {
  if (fields.settingName.empty() || fields.settingName == kCurrentEntry) {
    return Status::Failure(std::string(kNameMissing));
  }
  const std::array<std::pair<const char*, const std::string*>, 5> texts = {{{"Setting Name", &fields.settingName},
                                                                            {"Game Path", &fields.gamePath},
                                                                            {"Level Name", &fields.levelName},
                                                                            {"Mod Name", &fields.modName},
                                                                            {"Shadow Darkness", &fields.shadowText}}};
  for (const auto& [label, text] : texts) {
    // A line break would split the section and shift every line after it.
    if (text->find_first_of("\r\n") != std::string::npos) {
      return Status::Failure(std::string("The ") + label +
                             " holds a line break, which a saved configuration cannot hold. Nothing was saved.");
    }
    std::string unheld;
    if (!platform::EncodeSingleByte(*text, &unheld)) {
      return Status::Failure(std::string("The ") + label + " holds the character \"" + unheld +
                             "\", which the code page of config.ini cannot hold. Nothing was saved.");
    }
  }
  const auto truth = [](bool value) { return value ? "True" : "False"; };
  std::string text;
  text += "[Save=" + fields.settingName + "]\r\n";
  text += "gamePath=" + fields.gamePath + "\r\n";
  text += "levelName=" + fields.levelName + "\r\n";
  text += "modName=" + fields.modName + "\r\n";
  text += std::string("terrainBoolean=") + truth(fields.terrainBoolean) + "\r\n";
  text += std::string("mergeBoolean=") + truth(fields.mergeBoolean) + "\r\n";
  text += std::string("objectBoolean=") + truth(fields.objectBoolean) + "\r\n";
  text += "shadowDarkness=" + fields.shadowText + "\r\n";
  bytes = *platform::EncodeSingleByte(text);
  return Status::Ok();
}

Status ReadFile(const platform::FileSystem& fs, const std::string& path, std::string& bytes) {
  return fs.ReadAll(path, bytes, kMaxFileBytes);
}

// The names of the file's sections in file order, after those given.
std::vector<std::string> NamesOf(std::string_view bytes, std::vector<std::string> names = {}) {
  ForEachSection(bytes, [&](const Section& section) {
    names.push_back(HeaderName(section.header));
    return true;
  });
  return names;
}

}  // namespace

Status ReadSettingNames(const platform::FileSystem& fs, const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  const std::string ini = platform::JoinPath(folder, kFileName);
  if (!fs.Exists(ini)) return Status::Ok();
  std::string bytes;
  if (Status read = ReadFile(fs, ini, bytes); !read) return read;
  names = NamesOf(bytes);
  return Status::Ok();
}

namespace {

// The last entry of the whole list that equals name exactly, or -1.
int FindSettingIndex(const std::vector<std::string>& list, std::string_view name);
int FindSettingIndex(const std::vector<std::string>& list, std::string_view name) {
  int result = -1;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == name) result = static_cast<int>(i);
  }
  return result;
}

}  // namespace

Status LoadSetting(const platform::FileSystem& fs, const std::string& folder, std::string_view name,
                   std::string_view decimalSeparator, SettingFields& fields, bool* found) {
  if (found) *found = false;
  const std::string ini = platform::JoinPath(folder, kFileName);
  if (!fs.Exists(ini)) return Status::Ok();
  std::string bytes;
  if (Status read = ReadFile(fs, ini, bytes); !read) return read;
  const std::string start = "[Save=" + std::string(name) + "]";
  ForEachSection(bytes, [&](const Section& section) {
    if (platform::DecodeSingleByte(section.header) != start) return true;
    fields.settingName = std::string(name);
    if (found) *found = true;
    for (size_t k = 0; k < section.keyCount; ++k) {
      ApplyKeyLine(platform::DecodeSingleByte(section.keys[k]), decimalSeparator, fields);
    }
    return false;  // a later section of the same name does not count
  });
  return Status::Ok();
}

void ApplyRunConfiguration(const RunConfiguration& config, std::string_view decimalSeparator, SettingFields& fields) {
  fields.gamePath = config.gamePath;
  fields.levelName = config.levelName;
  fields.modName = config.modName;
  fields.shadowText = platform::NumberToText(config.shadowDarkness, decimalSeparator);
  fields.terrainBoolean = config.terrainBoolean;
  fields.mergeBoolean = config.mergeBoolean;
  fields.objectBoolean = config.objectBoolean;
}

Status SelectSetting(const platform::FileSystem& fs, const std::string& folder, const std::vector<std::string>& list,
                     int index, const RunConfiguration& config, std::string_view decimalSeparator,
                     SettingFields& fields) {
  if (index == 0) {
    ApplyRunConfiguration(config, decimalSeparator, fields);
    return Status::Ok();
  }
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return Status::Ok();
  return LoadSetting(fs, folder, list[static_cast<size_t>(index)], decimalSeparator, fields);
}

namespace {

// Under config.lock, rewrites config.ini whole through config.tmp: every
// section whose name is not removeName stays, in its order, and newSection
// (encoded bytes, or nothing) comes last. On success list is "(Current)"
// and the names of the new file. On any failure config.ini and list are as
// they were and the status holds the message to show.
Status RewriteConfigFile(platform::FileSystem& fs, const std::string& folder, std::string_view removeName,
                         std::string_view newSection, std::vector<std::string>& list) {
  // A config.ini that links elsewhere (into a synced folder, say) stays a
  // link: the file it names is rewritten, beside it.
  const std::string ini = fs.Resolved(platform::JoinPath(folder, kFileName));
  const std::string home = platform::FolderOf(ini);
  const std::string tmp = platform::JoinPath(home, kTempName);
  const std::string lockPath = platform::JoinPath(home, kLockName);
  // Held from the read to the replace, so that a second copy of the tool
  // never rewrites from a file this one is about to replace.
  std::unique_ptr<platform::FileLock> lock;
  if (Status locked = fs.Lock(lockPath, kLockWait, lock); !locked) {
    if (fs.Kind(lockPath) == platform::EntryKind::Other) {
      return Status::Failure(platform::InTheWay(ini, lockPath).message() + std::string(kUnchanged));
    }
    return Status::Failure(locked.message() + " Another copy of the tool is changing config.ini; try again." +
                           std::string(kUnchanged));
  }
  std::string old;
  if (fs.Exists(ini)) {
    if (Status read = ReadFile(fs, ini, old); !read) return Status::Failure(read.message() + std::string(kUnchanged));
  }

  std::string bytes;
  bytes.reserve(old.size() + old.size() / 8 + newSection.size());
  ForEachSection(old, [&](const Section& section) {
    if (HeaderName(section.header) == removeName) return true;
    bytes += section.header;
    bytes += kEnd;
    for (size_t k = 0; k < kKeyLines; ++k) {
      // A section cut short is filled up with empty lines, which no key
      // reads, so it keeps its eight lines.
      if (k < section.keyCount) bytes += section.keys[k];
      bytes += kEnd;
    }
    return true;
  });
  bytes += newSection;

  if (Status written = platform::WriteFileReplacing(fs, ini, bytes, tmp); !written) {
    return Status::Failure(written.message() + std::string(kUnchanged));
  }
  list = NamesOf(bytes, {std::string(kCurrentEntry)});
  return Status::Ok();
}

}  // namespace

StoreOutcome SaveSetting(platform::FileSystem& fs, const std::string& folder, std::vector<std::string>& list,
                         const SettingFields& fields) {
  StoreOutcome outcome;
  std::string section;
  outcome.status = EncodeSection(fields, section);
  if (outcome.status) outcome.status = RewriteConfigFile(fs, folder, fields.settingName, section, list);
  if (outcome.status) outcome.select = FindSettingIndex(list, fields.settingName);
  return outcome;
}

StoreOutcome DeleteSetting(platform::FileSystem& fs, const std::string& folder, std::vector<std::string>& list,
                           int selected) {
  StoreOutcome outcome;
  if (selected <= 0 || static_cast<size_t>(selected) >= list.size()) {
    outcome.status = Status::Failure(std::string(kNameMissing));
    return outcome;
  }
  // A copy: the list is refilled from the file.
  const std::string name = list[static_cast<size_t>(selected)];
  outcome.status = RewriteConfigFile(fs, folder, name, {}, list);
  if (outcome.status) outcome.select = 0;
  return outcome;
}

}  // namespace config_store
