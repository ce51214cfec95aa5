#include <windows.h>

#include <vector>

#include "platform/batch_starter.h"
#include "platform/win_text.h"

namespace platform {
namespace {

std::wstring CommandInterpreter() {
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = GetEnvironmentVariableW(L"ComSpec", buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > 0 && length < buffer.size()) return std::wstring(buffer.data(), length);
  length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (length > 0 && length < buffer.size()) return std::wstring(buffer.data(), length) + L"\\cmd.exe";
  return L"cmd.exe";
}

class CmdBatchStarter final : public BatchStarter {
 public:
  Status Start(const std::string& scriptPath) override {
    const std::wstring cmd = CommandInterpreter();
    const DWORD attributes = GetFileAttributesW(cmd.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return Status::Failure("No command interpreter was found to run \"" + scriptPath + "\" (looked for " +
                             win::Narrow(cmd) + "). The script was written and can be run by hand.");
    }
    // /s with the whole command in one more pair of quotation marks: cmd then
    // strips just those and takes a script path with blanks as it stands.
    // Delayed expansion off whatever the registry says, or "!" in a text
    // would be taken for a variable.
    std::wstring line = L"\"" + cmd + L"\" /v:off /s /c \"\"" + win::Widen(scriptPath) + L"\"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup, &process)) {
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
