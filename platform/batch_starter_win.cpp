#include <windows.h>

#include <vector>

#include "platform/batch_starter.h"
#include "platform/win_text.h"

namespace platform {
namespace {

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// %ComSpec% where it names a file, else the system's own cmd.exe.
std::vector<std::wstring> CommandInterpreters() {
  std::vector<std::wstring> found;
  std::vector<wchar_t> buffer(32768);
  DWORD length = GetEnvironmentVariableW(L"ComSpec", buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > 0 && length < buffer.size()) found.emplace_back(buffer.data(), length);
  length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (length > 0 && length < buffer.size()) found.push_back(std::wstring(buffer.data(), length) + L"\\cmd.exe");
  return found;
}

class CmdBatchStarter final : public BatchStarter {
 public:
  Status Start(const std::string& scriptPath) override {
    const std::vector<std::wstring> candidates = CommandInterpreters();
    std::wstring cmd;
    for (const std::wstring& candidate : candidates) {
      if (IsFile(candidate)) {
        cmd = candidate;
        break;
      }
    }
    if (cmd.empty()) {
      std::string looked;
      for (const std::wstring& candidate : candidates) looked += (looked.empty() ? "" : ", ") + win::Narrow(candidate);
      return Status::Failure("No command interpreter was found to run \"" + scriptPath + "\" (looked for " + looked +
                             ").");
    }
    // Started by its name in its own folder: cmd expands %...% even inside
    // quotation marks, so no text of the folder may reach its command line.
    // No AutoRun commands from the registry, extensions on and delayed
    // expansion off whatever it says, or "!" in a text would be taken for a
    // variable. /s with the name in one more pair of quotation marks: cmd
    // strips just those.
    const size_t slash = scriptPath.find_last_of("\\/");
    const std::wstring folder = win::Widen(slash == std::string::npos ? "." : scriptPath.substr(0, slash));
    const std::wstring name = win::Widen(slash == std::string::npos ? scriptPath : scriptPath.substr(slash + 1));
    std::wstring line = L"\"" + cmd + L"\" /d /e:on /v:off /s /c \"\"" + name + L"\"\"";
    // The console says whose run it is; cmd adds the command it runs.
    std::wstring title = L"Stormline Lighting: " + name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpTitle = title.data();
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // A console of its own, and no handle of the tool's: a caller reading
    // the tool's output does not wait for the lighting pass.
    if (!CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT, nullptr, folder.c_str(), &startup, &process)) {
      return Status::Failure("Could not start \"" + scriptPath + "\": " + win::ErrorText(GetLastError()) + ".");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return Status::Ok();
  }
};

}  // namespace

std::unique_ptr<BatchStarter> MakeSystemBatchStarter() { return std::make_unique<CmdBatchStarter>(); }

}  // namespace platform
