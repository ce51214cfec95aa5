// Stands in for the game in the batch tests. Each run appends one record to
// calls.log beside the executable, then exits:
//   the working folder, a tab, the command line exactly as the system hands
//   it over (not argv joined again), a line feed; all UTF-8.
// While a file named "hold" lies beside it, a run stays alive after its
// record (at most a minute) with a file "running" beside it, so a test can
// see that whoever started the script did not wait for the game.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text, size_t length) {
  if (length == 0) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring OwnFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L".\\";
    if (length < path.size()) {
      path.resize(length);
      return path.substr(0, path.find_last_of(L"\\/") + 1);
    }
    path.resize(path.size() * 2);
  }
}

std::wstring WorkingFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length < folder.size()) {
      folder.resize(length);
      return folder;
    }
    folder.resize(length);
  }
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main() {
  const std::wstring own = OwnFolder();
  const std::wstring folder = WorkingFolder();
  const wchar_t* line = GetCommandLineW();
  const std::string record = Utf8(folder.data(), folder.size()) + "\t" + Utf8(line, wcslen(line)) + "\n";

  const bool hold = Exists(own + L"hold");
  if (hold) {
    HANDLE running = CreateFileW((own + L"running").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (running != INVALID_HANDLE_VALUE) CloseHandle(running);
  }

  // Appending only: records of runs that overlap never mix.
  HANDLE log = CreateFileW((own + L"calls.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  const BOOL ok = WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(log);

  if (hold) {
    for (int i = 0; i < 1200 && Exists(own + L"hold"); ++i) Sleep(50);
    DeleteFileW((own + L"running").c_str());
  }
  return ok && written == record.size() ? 0 : 3;
}
