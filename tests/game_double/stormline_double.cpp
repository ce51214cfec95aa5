// Stands in for the game in the batch tests. Each run appends to calls.log
// beside the executable a line: the working folder, a tab, and the command
// line exactly as the system hands it over (not argv joined again), in UTF-8.
// While a file "hold" lies beside it, a run stays alive after its line (a
// minute at most) with a file "running" beside it, so that a test can see
// that whoever started the script did not wait for the game.
#include <windows.h>

#include <filesystem>
#include <fstream>

std::string Utf8(const std::wstring& text) {
  std::string out(3 * text.size(), '\0');
  out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                     out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

int main() {
  std::wstring own(32768, L'\0'), folder(32768, L'\0');
  own.resize(GetModuleFileNameW(nullptr, own.data(), 32768));
  own.resize(own.find_last_of(L"\\/") + 1);
  folder.resize(GetCurrentDirectoryW(32768, folder.data()));
  const auto held = [&] { return GetFileAttributesW((own + L"hold").c_str()) != INVALID_FILE_ATTRIBUTES; };
  const bool hold = held();
  if (hold) std::ofstream(std::filesystem::path(own + L"running")).put('\n');
  std::ofstream log(std::filesystem::path(own + L"calls.log"), std::ios::app | std::ios::binary);
  log << Utf8(folder) << '\t' << Utf8(GetCommandLineW()) << '\n';
  log.close();
  for (int i = 0; hold && i < 1200 && held(); ++i) Sleep(50);
  if (hold) DeleteFileW((own + L"running").c_str());
  return log ? 0 : 3;
}
