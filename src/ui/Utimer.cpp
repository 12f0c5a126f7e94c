#include "ui/Utimer.h"

#include "ui/Uuithread.h"

TTimer::TTimer(TComponent* owner, std::string name, UINT intervalMs, bool enabled)
    : TComponent(owner, std::move(name), TKind::Timer), interval_(intervalMs), enabled_(enabled) {
  ui::InitUiThread();
  if (enabled_) Restart();
}

TTimer::~TTimer() {
  Stop();
}

void TTimer::Stop() {
  if (id_) ui::StopTimer(id_);
  id_ = 0;
}

void TTimer::Restart() {
  Stop();
  if (!enabled_ || interval_ == 0) return;
  id_ = ui::StartTimer(interval_, [this] { Fire(OnTimer); });
}

void TTimer::SetEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  Restart();
}

void TTimer::SetInterval(UINT ms) {
  interval_ = ms;
  if (enabled_) Restart();
}
