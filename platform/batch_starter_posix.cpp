#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/batch_starter.h"
#include "platform/code_page.h"
#include "platform/wine_folder.h"
#include "platform/ascii.h"

namespace platform {
namespace {

// The longest path the command interpreter takes, in UTF-16 units.
constexpr size_t kMaxWindowsPath = 259;

bool IsExecutable(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Wine's loader: the one on PATH, else where Debian puts it. A relative
// entry would name another file once the run changes folder, and one the
// caller's folder put there: only absolute ones count.
std::string FindWine() {
  if (const char* path = std::getenv("PATH")) {
    std::string list = path;
    size_t start = 0;
    while (start <= list.size()) {
      const size_t colon = list.find(':', start);
      const std::string folder = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
      if (folder.starts_with('/') && IsExecutable(folder + "/wine")) return folder + "/wine";
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
  }
  for (const char* candidate : {"/usr/lib/wine/wine64", "/usr/lib/wine/wine"}) {
    if (IsExecutable(candidate)) return candidate;
  }
  return {};
}

// Why Wine's command interpreter could not run a script in this folder, or
// nothing: Wine must know the folder by a drive, and cmd must take the path.
std::string Unreachable(const std::string& folder, const std::string& scriptPath) {
  const std::string prefix = UserWinePrefix();
  const std::optional<std::string> windows = WindowsPathFor(scriptPath, prefix);
  if (!windows) {
    return "Wine cannot reach the folder \"" + folder + "\": no drive of the Wine prefix \"" + prefix +
           "\" leads to it. Move the tool into a folder that a drive leads to, or add a drive for it in winecfg.";
  }
  size_t units = 0;
  for (size_t offset = 0; offset < windows->size();) {
    const size_t start = offset;
    char32_t code = 0;
    if (!NextCodePoint(*windows, offset, code)) {
      offset = start + 1;
      code = 0xFFFD;  // Wine shows a byte that is no UTF-8 as this
    }
    if (code == '"' || ascii::IsControl(code)) {
      return "The folder \"" + folder + "\" holds " +
             std::string(code == '"' ? "a quotation mark" : "a control character") +
             ", which the command interpreter cannot take in a path. Move the tool into another folder.";
    }
    units += code >= 0x10000 ? 2 : 1;
  }
  if (units > kMaxWindowsPath) {
    return "The folder \"" + folder + "\" is too deep for the command interpreter: the script in it, \"" +
           *windows + "\", would be " + std::to_string(units) + " characters long as Wine names it, more than the " +
           std::to_string(kMaxWindowsPath) + " it takes. Move the tool into a folder with a shorter path.";
  }
  return {};
}

class WineBatchStarter final : public BatchStarter {
 public:
  Status Start(const std::string& scriptPath) override {
    const size_t slash = scriptPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : scriptPath.substr(0, slash));
    const std::string script = slash == std::string::npos ? scriptPath : scriptPath.substr(slash + 1);
    if (const std::string why = Unreachable(folder, scriptPath); !why.empty()) return Status::Failure(why);
    const std::string wine = FindWine();
    if (wine.empty()) {
      return Status::Failure("No command interpreter was found to run \"" + scriptPath +
                             "\": Wine is not installed (looked for wine on the PATH and in /usr/lib/wine).");
    }

    // Everything the children need is made before fork: after it only
    // async-signal-safe calls are allowed.
    // Started by its name in its own folder, so no text of the folder is
    // left for the interpreter to act on. No AutoRun commands, extensions
    // on and delayed expansion off whatever the registry says, or "!" in a
    // text would be taken for a variable.
    std::vector<std::string> args = {wine, "cmd.exe", "/d", "/e:on", "/v:off", "/c", script};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return Failure(scriptPath, errno);

    const pid_t middle = ::fork();
    if (middle < 0) {
      const int error = errno;
      ::close(report[0]);
      ::close(report[1]);
      return Failure(scriptPath, error);
    }
    if (middle == 0) {
      // A second fork and a session of its own: the run outlives the tool
      // and never becomes its zombie.
      ::setsid();
      const pid_t run = ::fork();
      if (run != 0) ::_exit(run < 0 ? 1 : 0);
      int error = 0;
      if (::chdir(folder.c_str()) != 0) {
        error = errno;
      } else {
        // Nothing of the caller's: no standard streams (a caller reading
        // ours would wait for the whole lighting pass), no other
        // descriptors, no ignored signals or blocked ones.
        const int null = ::open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3 && null >= 0; ++fd) ::dup2(null, fd);
        if (null > 2) ::close(null);
        ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
        ::signal(SIGPIPE, SIG_DFL);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(argv[0], argv.data());
        error = errno;
      }
      (void)!::write(report[1], &error, sizeof error);
      ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) return Failure(scriptPath, error);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Failure(scriptPath, EAGAIN);
    return Status::Ok();
  }

 private:
  static Status Failure(const std::string& scriptPath, int error) {
    return Status::Failure("Could not start \"" + scriptPath + "\" through Wine: " + std::strerror(error) + ".");
  }
};

}  // namespace

std::unique_ptr<BatchStarter> MakeSystemBatchStarter() { return std::make_unique<WineBatchStarter>(); }

}  // namespace platform
