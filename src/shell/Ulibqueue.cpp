#include "shell/Ulibqueue.h"

#include <deque>
#include <utility>

#include "adapter/Ulibrarylock.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "app/Utimescale.h"
#include "config/Udefine.h"
#include "ui/Ucontrol.h"

namespace libqueue {

namespace {

constexpr UINT kMsgWake = WM_APP + 1;
constexpr UINT_PTR kRetryTimer = 1;
constexpr int kErrorBox = 0x10;

struct Item {
  TControl* busy = nullptr;
  bool wasEnabled = false;
  std::string what;
  std::function<void()> action;
  DWORD queuedAt = 0;
};

std::deque<Item> g_Items;
bool g_Pumping = false;
HWND g_Window = nullptr;

LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kMsgWake || (msg == WM_TIMER && wp == kRetryTimer)) {
    Pump();
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

// A message-only window of the interface thread: the wake-up and the timer
// arrive there whatever page or form is up.
HWND Window() {
  if (g_Window && IsWindow(g_Window)) return g_Window;
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WuLibQueue";
    return RegisterClassA(&wc);
  }();
  if (!atom) return nullptr;
  g_Window = CreateWindowExA(0, "WuLibQueue", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  return g_Window;
}

// The controls get back what they showed before they were queued.
void Restore(const Item& item) {
  if (item.busy) item.busy->SetEnabled(item.wasEnabled);
}

void Arm() {
  HWND wnd = Window();
  if (!wnd) return;
  librarylock::WakeOnRelease(wnd, kMsgWake);
  SetTimer(wnd, kRetryTimer, timescale::Ms(kRetryMs), nullptr);
}

void Disarm() {
  librarylock::WakeOnRelease(nullptr, 0);
  if (g_Window) KillTimer(g_Window, kRetryTimer);
}

void DefaultNotAnswering(size_t) {
  g_GlobalVar.ShowMsgBox(Application.MainWindow,
                         g_GlobalVar.StrFileRead("Message", "ErNotAnswering",
                                                 "The wireless adapter is not answering. What you "
                                                 "asked for was not done; please try again in a "
                                                 "moment."),
                         kErrorBox);
}

}  // namespace

std::function<void(size_t dropped)> OnNotAnswering = DefaultNotAnswering;

bool Run(TControl* busy, const std::string& what, std::function<void()> action) {
  if (!action) return false;
  // Behind anything already waiting, so actions keep the user's order.
  if (g_Items.empty() && librarylock::Available()) {
    const unsigned missed = librarylock::TimeoutCount();
    action();
    // Another thread took the lock between the look and the action's call:
    // the action met it as a refusal of its own.
    if (librarylock::TimeoutCount() != missed)
      LogWrite("libqueue: %s missed the library while it ran", what.c_str());
    return true;
  }
  Queue(busy, what, std::move(action));
  return false;
}

void Queue(TControl* busy, const std::string& what, std::function<void()> action) {
  if (!action) return;
  Item item;
  item.busy = busy;
  item.wasEnabled = busy && busy->Enabled();
  item.what = what;
  item.action = std::move(action);
  item.queuedAt = GetTickCount();
  if (busy) busy->SetEnabled(false);
  LogWrite("libqueue: %s waits for the library (thread %lu holds it), %u before it", what.c_str(),
           static_cast<unsigned long>(librarylock::Holder()),
           static_cast<unsigned>(g_Items.size()));
  g_Items.push_back(std::move(item));
  Arm();
}

void Pump() {
  // An action may open a modal window whose loop brings the next wake-up.
  if (g_Pumping) return;
  g_Pumping = true;
  while (!g_Items.empty()) {
    // A held lock is not waited for here: the release wakes the queue.
    if (librarylock::Holder() == 0 && librarylock::Available()) {
      Item item = std::move(g_Items.front());
      g_Items.pop_front();
      Restore(item);
      LogWrite("libqueue: %s runs after %lu ms", item.what.c_str(),
               static_cast<unsigned long>(GetTickCount() - item.queuedAt));
      try {
        item.action();
      } catch (const std::exception& e) {
        LogWrite("Exception(libqueue %s): %s", item.what.c_str(), e.what());
      }
      continue;
    }
    if (GetTickCount() - g_Items.front().queuedAt < timescale::Ms(kGiveUpMs)) break;
    const size_t dropped = g_Items.size();
    LogWrite(
        "libqueue: the library did not answer for %lu ms (thread %lu holds it): %u actions "
        "dropped",
        static_cast<unsigned long>(GetTickCount() - g_Items.front().queuedAt),
        static_cast<unsigned long>(librarylock::Holder()), static_cast<unsigned>(dropped));
    std::deque<Item> items;
    items.swap(g_Items);
    for (const Item& item : items) Restore(item);
    Disarm();
    if (OnNotAnswering) OnNotAnswering(dropped);
    break;
  }
  if (g_Items.empty())
    Disarm();
  else
    Arm();
  g_Pumping = false;
}

void Clear(const char* why) {
  if (g_Items.empty()) return;
  LogWrite("libqueue: %u waiting actions dropped (%s)", static_cast<unsigned>(g_Items.size()),
           why ? why : "");
  std::deque<Item> items;
  items.swap(g_Items);
  for (const Item& item : items) Restore(item);
  Disarm();
}

void Forget(TControl* busy) {
  if (!busy) return;
  const size_t before = g_Items.size();
  std::erase_if(g_Items, [busy](const Item& item) { return item.busy == busy; });
  if (g_Items.size() != before)
    LogWrite("libqueue: %u waiting actions of %s dropped",
             static_cast<unsigned>(before - g_Items.size()), busy->Name().c_str());
  if (g_Items.empty()) Disarm();
}

size_t Count() {
  return g_Items.size();
}

}  // namespace libqueue
