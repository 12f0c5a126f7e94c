// Device detection: a thread with a hidden window that receives the system's
// device, power and session notifications and its own timers, and probes the
// supported hardware ids through the vendor library. Whenever the list of
// present devices changes, the main window is told (NotifyMsg code 2).
#pragma once

#include <windows.h>
// Needs the types of windows.h first.
#include <dbt.h>

#include <atomic>
#include <string>
#include <vector>

#include "config/Udefine.h"
#include "config/Unotify.h"
#include "workers/Ucritsect.h"
#include "workers/Uthread.h"

constexpr const char* kDetectWndClass = "Ombrix WL Detect WndClass";
constexpr int kMaxProbedHwIds = 16;

class CThrdDetect : public CThread {
 public:
  // notifyWnd receives code 2; null means the application's main window.
  explicit CThrdDetect(HWND notifyWnd = nullptr);
  ~CThrdDetect() override;

  // Stops the thread (see CThread::WaitOrKillInLibrary); false when it was
  // abandoned, and the detector must then stay in memory. The destructor
  // waits for an abandoned thread: use Dispose instead.
  bool StopThread();
  // Stops the thread and deletes the detector, or leaves it in memory for
  // good (logged) when its thread was abandoned.
  static void Dispose(CThrdDetect* detect);
  // Appends a copy of every present device.
  void GetDevList(std::vector<DeviceRec>& list);
  // Suspends detection (on) or resumes it with a burst of passes (off). Any
  // thread.
  void SetIgnore(bool on);

  // The hidden window, null until it exists and after it is gone.
  HWND Window() const { return window_; }

  std::atomic<bool> Ignore{false};  // true while any holder has detection paused
  std::atomic<HDEVNOTIFY> DevNotify{nullptr};
  int PassesLeft = 1;  // detection thread only
  std::atomic<bool> ConsoleAway{false};

 protected:
  void Execute() override;

 private:
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool RegisterWndClass();
  bool CreateDetectWnd();
  void RegisterNotifications(HWND wnd);
  void DestroyWnd();
  bool RegisterSessionNotify(bool on);
  void SetDetectTimer(UINT delay, int passes);
  void OnResume();
  void OnDeviceInterface(WPARAM event, const DEV_BROADCAST_DEVICEINTERFACE_A* broadcast);
  std::string GetDeviceHWID(const std::string& path);
  void DetectDev();
  bool EnumDetectDev(std::vector<DeviceRec>& list);
  void ClearDevList();
  void Notify(LPARAM value);

  std::atomic<int> ignoreHolders_{0};
  std::atomic<HWND> window_{nullptr};
  HANDLE stopEvent_ = nullptr;
  HWND notifyWnd_ = nullptr;
  HMODULE wtsApi_ = nullptr;  // loaded once, never unloaded
  CCriticalSection listLock_;
  std::vector<DeviceRec> devList_;
  bool stopped_ = false;
  bool abandoned_ = false;
};

// The one detection thread of the program; null while none exists.
extern CThrdDetect* g_ThrdDetect;

// SetIgnore on g_ThrdDetect when it exists, from any thread; a detection
// thread being destroyed meanwhile is waited for, never touched after.
void SetDetectIgnore(bool on);

// Suspends device detection for as long as it lives, so an adapter that
// applies settings is not dropped while it restarts. held (may be null) is
// true while the guard has detection suspended: whoever kills the thread
// that owns the guard resumes detection for it.
class CDetectIgnoreGuard {
 public:
  explicit CDetectIgnoreGuard(std::atomic<bool>* held);
  ~CDetectIgnoreGuard() { Resume(); }
  CDetectIgnoreGuard(const CDetectIgnoreGuard&) = delete;
  CDetectIgnoreGuard& operator=(const CDetectIgnoreGuard&) = delete;

  // Resumes detection before the scope ends; a second call does nothing.
  void Resume();

 private:
  std::atomic<bool>* held_;
  bool active_ = true;
};
