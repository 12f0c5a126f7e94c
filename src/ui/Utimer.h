// A timer component: OnTimer runs on the user-interface thread every
// Interval milliseconds while it is enabled.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Ucontrol.h"

class TTimer : public TComponent {
 public:
  // Created disabled unless enabled is given.
  TTimer(TComponent* owner, std::string name, UINT intervalMs = 1000, bool enabled = false);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  UINT Interval() const { return interval_; }
  // Restarts the period when the timer runs.
  void SetInterval(UINT ms);

  TNotifyEvent OnTimer;

 private:
  void Restart();
  void Stop();
  UINT interval_;
  bool enabled_;
  UINT_PTR id_ = 0;
};
