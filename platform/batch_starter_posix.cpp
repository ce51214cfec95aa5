#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/batch_starter.h"

namespace platform {
namespace {

bool IsExecutable(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Wine's loader: the one on PATH, else where Debian puts it.
std::string FindWine() {
  if (const char* path = std::getenv("PATH")) {
    std::string list = path;
    size_t start = 0;
    while (start <= list.size()) {
      const size_t colon = list.find(':', start);
      const std::string folder = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
      if (!folder.empty() && IsExecutable(folder + "/wine")) return folder + "/wine";
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
  }
  for (const char* candidate : {"/usr/lib/wine/wine64", "/usr/lib/wine/wine"}) {
    if (IsExecutable(candidate)) return candidate;
  }
  return {};
}

class WineBatchStarter final : public BatchStarter {
 public:
  Status Start(const std::string& scriptPath) override {
    const std::string wine = FindWine();
    if (wine.empty()) {
      return Status::Failure(
          "No command interpreter was found to run \"" + scriptPath +
          "\": Wine is not installed (looked for wine on the PATH and in /usr/lib/wine). "
          "The script was written and can be run by hand.");
    }
    const size_t slash = scriptPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : scriptPath.substr(0, slash));
    const std::string script = slash == std::string::npos ? scriptPath : scriptPath.substr(slash + 1);

    // Everything the children need is made before fork: after it only
    // async-signal-safe calls are allowed.
    // Delayed expansion off whatever the registry says, or "!" in a text
    // would be taken for a variable.
    std::vector<std::string> args = {wine, "cmd.exe", "/v:off", "/c", script};
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
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) {
          ::dup2(null, 0);
          ::close(null);
        }
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
