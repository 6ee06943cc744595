// The environment-check result the host passes to CheckEnvironment. The host
// defines what the status means; the plug-in only ever writes 0 into it.
#pragma once

#include <windows.h>

struct kiIPPEnvironmentCheckResults {
  virtual LONG GetStatus() = 0;
  virtual void SetStatus(LONG status) = 0;
};

class kcIPPEnvironmentCheckResults : public kiIPPEnvironmentCheckResults {
 public:
  LONG GetStatus() override { return status_; }
  void SetStatus(LONG status) override { status_ = status; }

  LONG status_ = -1;
};
