#include "shell/Utraynotes.h"

#include <algorithm>

#include "app/Udebug.h"
#include "app/Utimescale.h"
#include "config/Udefine.h"
#include "ui/Utimer.h"
#include "ui/Utrayicon.h"

namespace traynotes {

bool CBalloonGate::Offer(const std::string& text, DWORD now) {
  if (shownAny_ && now - lastShown_ < interval_) {
    pending_ = text;
    return false;
  }
  pending_.reset();
  shownAny_ = true;
  lastShown_ = now;
  lastText_ = text;
  return true;
}

bool CBalloonGate::TakeDue(DWORD now, std::string& text) {
  if (!pending_ || now - lastShown_ < interval_) return false;
  const std::string next = *pending_;
  pending_.reset();
  // Down and up again meanwhile: nothing the user has not been told.
  if (next == lastText_) return false;
  lastShown_ = now;
  lastText_ = next;
  text = next;
  return true;
}

DWORD CBalloonGate::WaitLeft(DWORD now) const {
  if (!pending_) return 0;
  const DWORD passed = now - lastShown_;
  return passed >= interval_ ? 1 : interval_ - passed;
}

LinkChange CLinkWatch::Sample(bool up, const std::string& network) {
  if (up) {
    const bool change = !up_ || network != network_;
    up_ = true;
    network_ = network;
    return change ? LinkChange::Up : LinkChange::None;
  }
  if (!up_) return LinkChange::None;
  up_ = false;
  return LinkChange::Down;
}

void CLinkWatch::Reset() {
  up_ = false;
  network_.clear();
}

bool LeftForSure(const std::vector<std::string>& probeOrder, const std::string& inUse,
                 const std::vector<std::string>& listed) {
  const auto mine = std::find(probeOrder.begin(), probeOrder.end(), inUse);
  if (mine == probeOrder.end()) return true;
  for (const std::string& id : listed)
    if (std::find(probeOrder.begin(), mine, id) != mine) return false;
  return true;
}

}  // namespace traynotes

namespace {

constexpr DWORD kIntervalMs = 5000;
// Detection reports the adapter within its first passes after the start.
constexpr DWORD kStartQuietMs = 10000;

}  // namespace

CTrayNotes::CTrayNotes(TComponent* owner, TTrayIcon* tray)
    : tray_(tray),
      timer_(new TTimer(owner, "TimerTrayNotes")),
      gate_(timescale::Ms(kIntervalMs)),
      enabled_(g_GlobalVar.InfoReadBool("Setting", "Notifications", true)),
      started_(GetTickCount()) {
  timer_->OnTimer = [this] { TimerFired(); };
  Show = [this](const std::string& title, const std::string& text) {
    return tray_ && tray_->ShowBalloon(title, text);
  };
}

void CTrayNotes::LinkSample(bool up, const std::string& network) {
  switch (link_.Sample(up, network)) {
    case traynotes::LinkChange::Up:
      Offer(FormatText(g_GlobalVar.StrFileRead("Notify", "Connected", "Connected to %s"), network));
      break;
    case traynotes::LinkChange::Down:
      Offer(FormatText(g_GlobalVar.StrFileRead("Notify", "Disconnected", "Disconnected from %s"),
                       link_.Network()));
      break;
    default:
      break;
  }
}

void CTrayNotes::AdapterArrived(const std::string& description) {
  const DWORD quiet = timescale::Ms(kStartQuietMs);
  if (GetTickCount() - started_ < quiet) {
    // Later arrivals are news, even within the quiet time.
    started_ = GetTickCount() - quiet;
    return;
  }
  Offer(
      FormatText(g_GlobalVar.StrFileRead("Notify", "Plugged", "%s was plugged in."), description));
}

void CTrayNotes::AdapterLeft(const std::string& description) {
  link_.Reset();
  Offer(
      FormatText(g_GlobalVar.StrFileRead("Notify", "Unplugged", "%s was unplugged."), description));
}

void CTrayNotes::Offer(const std::string& text) {
  if (!enabled_) return;
  const DWORD now = GetTickCount();
  if (gate_.Offer(text, now)) {
    ShowNow(text);
    return;
  }
  timer_->SetInterval(gate_.WaitLeft(now));
  timer_->SetEnabled(true);
}

void CTrayNotes::TimerFired() {
  timer_->SetEnabled(false);
  const DWORD now = GetTickCount();
  std::string text;
  if (gate_.TakeDue(now, text)) {
    ShowNow(text);
  } else if (const DWORD left = gate_.WaitLeft(now)) {
    timer_->SetInterval(left);
    timer_->SetEnabled(true);
  }
}

void CTrayNotes::ShowNow(const std::string& text) {
  LogWrite("Notify: %s", text.c_str());
  if (Show) Show(g_GlobalVar.StrFileRead("Utility", "ProductName", g_GlobalVar.AppTitle), text);
}
