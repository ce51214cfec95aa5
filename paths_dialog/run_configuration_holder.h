#pragma once

#include "main_window/run_configuration.h"

// What the paths dialog knows of the window that owns the run
// configuration: the configuration to show, and a way to hand one back.
class RunConfigurationHolder {
 public:
  virtual const RunConfiguration& runConfiguration() const = 0;
  virtual void TakeRunConfiguration(const RunConfiguration& config) = 0;

 protected:
  ~RunConfigurationHolder() = default;
};
