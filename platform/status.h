#pragma once

#include <string>
#include <utility>

namespace platform {

// The result of an operation that can fail. A failure carries the message
// that the window shows to the user; nothing below the window shows anything.
class [[nodiscard]] Status {
 public:
  static Status Ok() { return Status(); }
  static Status Failure(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& message() const { return message_; }

 private:
  Status() = default;
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

}  // namespace platform
