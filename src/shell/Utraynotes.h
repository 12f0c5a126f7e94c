// Notification-area balloons: the link comes up or drops, the adapter is
// plugged in or out. At most one balloon every few seconds; what comes in
// meanwhile waits, and only the latest of it shows when the time is up, so
// a flapping link does not flood the user. The settings file's [Setting]
// "Notifications" turns them off.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TComponent;
class TTimer;
class TTrayIcon;

namespace traynotes {

// The rate limit, in plain logic: times are GetTickCount values.
class CBalloonGate {
 public:
  explicit CBalloonGate(DWORD intervalMs) : interval_(intervalMs) {}

  // A new balloon: true when it may show now (then it counts as shown);
  // otherwise it waits in place of any earlier one that waits.
  bool Offer(const std::string& text, DWORD now);
  // The waiting balloon once its time has come: true and text filled;
  // one that repeats the last balloon shown is dropped.
  bool TakeDue(DWORD now, std::string& text);
  // Milliseconds until the waiting balloon is due; 0 when none waits.
  DWORD WaitLeft(DWORD now) const;
  void Clear() { pending_.reset(); }

 private:
  DWORD interval_;
  bool shownAny_ = false;
  DWORD lastShown_ = 0;
  std::string lastText_;
  std::optional<std::string> pending_;
};

enum class LinkChange { None, Up, Down };

// Turns status samples into changes of the link.
class CLinkWatch {
 public:
  // A sample: up with the network's name. Up after down, or up on another
  // network, is Up; down after up is Down.
  LinkChange Sample(bool up, const std::string& network);
  // The network of the last Up (after Down: the one that was dropped).
  const std::string& Network() const { return network_; }
  // No adapter: the next link is new, and no drop is reported.
  void Reset();

 private:
  bool up_ = false;
  std::string network_;
};

// Whether a device list that no longer names the adapter in use proves it
// was unplugged. Detection lists only the first present of the supported
// ids, in the settings' order: an adapter listed before the one in use
// says nothing of it (it may still be plugged in and only gives way); one
// listed after it, or none, says it has gone.
bool LeftForSure(const std::vector<std::string>& probeOrder, const std::string& inUse,
                 const std::vector<std::string>& listed);

}  // namespace traynotes

class CTrayNotes {
 public:
  // owner owns the timer that shows a waiting balloon.
  CTrayNotes(TComponent* owner, TTrayIcon* tray);

  bool Enabled() const { return enabled_; }
  void LinkSample(bool up, const std::string& network);
  void LinkReset() { link_.Reset(); }
  // The first adapter found right after the start was there all along and
  // is not announced.
  void AdapterArrived(const std::string& description);
  void AdapterLeft(const std::string& description);

  // Shows one balloon (title, text); the tray icon's by default.
  std::function<bool(const std::string& title, const std::string& text)> Show;

 private:
  void Offer(const std::string& text);
  void TimerFired();
  void ShowNow(const std::string& text);

  TTrayIcon* tray_;
  TTimer* timer_;
  traynotes::CBalloonGate gate_;
  traynotes::CLinkWatch link_;
  bool enabled_;
  DWORD started_;
};
