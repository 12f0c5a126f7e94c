#include "ui/Uuithread.h"

#include <exception>
#include <map>
#include <memory>
#include <mutex>

#include "app/Udebug.h"

namespace ui {
namespace {

constexpr UINT kSyncCall = WM_APP + 1;    // wParam: TSyncCall*
constexpr UINT kQueuedCall = WM_APP + 2;  // lParam: std::function<void()>*
const wchar_t kClassName[] = L"WuUiThreadWindow";

struct TSyncCall {
  const std::function<void()>* fn;
  std::exception_ptr error;
  bool ran = false;
};

HWND g_window = nullptr;
DWORD g_threadId = 0;
std::once_flag g_once;

// Timers live only on the user-interface thread; the map is touched there alone.
std::map<UINT_PTR, std::shared_ptr<std::function<void()>>>& Timers() {
  static std::map<UINT_PTR, std::shared_ptr<std::function<void()>>> timers;
  return timers;
}
UINT_PTR g_nextTimerId = 1;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kSyncCall: {
      auto* call = reinterpret_cast<TSyncCall*>(wp);
      try {
        (*call->fn)();
      } catch (...) {
        call->error = std::current_exception();
      }
      call->ran = true;
      return 1;
    }
    case kQueuedCall: {
      std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lp));
      try {
        (*fn)();
      } catch (const std::exception& e) {
        LogWrite("Exception(ui::Queue): %s", e.what());
      } catch (...) {
        LogWrite("Exception(ui::Queue)");
      }
      return 0;
    }
    case WM_TIMER: {
      auto it = Timers().find(wp);
      if (it == Timers().end()) {
        KillTimer(hwnd, wp);
        return 0;
      }
      // The callback may stop or restart its own timer: keep it alive.
      std::shared_ptr<std::function<void()>> fn = it->second;
      try {
        (*fn)();
      } catch (const std::exception& e) {
        LogWrite("Exception(TTimer::OnTimer): %s", e.what());
      } catch (...) {
        LogWrite("Exception(TTimer::OnTimer)");
      }
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void InitUiThread() {
  std::call_once(g_once, [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    g_window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    if (!g_window) LogError(GetLastError(), "InitUiThread");
    g_threadId = GetCurrentThreadId();
  });
}

HWND UiThreadWindow() {
  return g_window;
}

bool IsUiThread() {
  return g_window && GetCurrentThreadId() == g_threadId;
}

bool Synchronize(const std::function<void()>& fn) {
  if (IsUiThread()) {
    fn();
    return true;
  }
  if (!g_window) return false;
  TSyncCall call{&fn, nullptr};
  SendMessageW(g_window, kSyncCall, reinterpret_cast<WPARAM>(&call), 0);
  if (call.error) std::rethrow_exception(call.error);
  return call.ran;
}

bool Queue(std::function<void()> fn) {
  if (!g_window) return false;
  auto* heap = new std::function<void()>(std::move(fn));
  if (!PostMessageW(g_window, kQueuedCall, 0, reinterpret_cast<LPARAM>(heap))) {
    delete heap;
    return false;
  }
  return true;
}

UINT_PTR StartTimer(UINT intervalMs, std::function<void()> onTimer) {
  InitUiThread();
  if (!g_window || !IsUiThread()) return 0;
  UINT_PTR id = g_nextTimerId++;
  if (g_nextTimerId == 0) g_nextTimerId = 1;
  if (!SetTimer(g_window, id, intervalMs ? intervalMs : 1, nullptr)) return 0;
  Timers()[id] = std::make_shared<std::function<void()>>(std::move(onTimer));
  return id;
}

void StopTimer(UINT_PTR id) {
  if (!id || !g_window) return;
  KillTimer(g_window, id);
  Timers().erase(id);
}

}  // namespace ui
