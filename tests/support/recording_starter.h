#pragma once

#include <string>
#include <vector>

#include "platform/batch_starter.h"

// Remembers what it was asked to start and, when told to, fails like a
// machine without a command interpreter.
class RecordingStarter final : public platform::BatchStarter {
 public:
  platform::Status Start(const std::string& scriptPath) override {
    started.push_back(scriptPath);
    if (!failure.empty()) return platform::Status::Failure(failure);
    return platform::Status::Ok();
  }

  std::vector<std::string> started;
  std::string failure;
};
