#pragma once

#include <memory>
#include <string>

#include "platform/status.h"

namespace platform {

// Starts a batch script through the command interpreter as a process of its
// own and returns at once; the script's outcome is never looked at.
class BatchStarter {
 public:
  virtual ~BatchStarter() = default;
  virtual Status Start(const std::string& scriptPath) = 0;
};

// cmd.exe on Windows; Wine's command interpreter elsewhere.
std::unique_ptr<BatchStarter> MakeSystemBatchStarter();

}  // namespace platform
