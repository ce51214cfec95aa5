#pragma once

#include <string>
#include <vector>

#include "platform/batch_starter.h"

// Remembers what it was asked to start and, when told to, fails like a
// machine without a command interpreter.
struct RecordingStarter final : platform::BatchStarter {
  platform::Status Start(const std::string& scriptPath) override {
    started.push_back(scriptPath);
    return failure.empty() ? platform::Status::Ok() : platform::Status::Failure(failure);
  }
  std::vector<std::string> started;
  std::string failure;
};
