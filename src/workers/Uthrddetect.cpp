#include "workers/Uthrddetect.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "app/Utimescale.h"
#include "config/Uunicode.h"

CThrdDetect* g_ThrdDetect = nullptr;

namespace {

constexpr UINT_PTR kDetectTimer = 1;
constexpr UINT_PTR kSessionTimer = 2;
// Timer requests from other threads: a window's timers belong to its thread.
constexpr UINT kMsgSetDetectTimer = WM_APP + 1;

// Network adapters' device-interface class.
constexpr GUID kNetAdapterClass = {
    0xad498944, 0x762f, 0x11d0, {0x8d, 0xcb, 0x00, 0xc0, 0x4f, 0xc3, 0x35, 0x8c}};
constexpr const char* kDeviceClassesKey =
    "System\\CurrentControlSet\\Control\\DeviceClasses\\{ad498944-762f-11d0-8dcb-00c04fc3358c}\\";

// Message and codes of the terminal-session notifications.
constexpr UINT kWmWtsSessionChange = 0x02B1;
constexpr WPARAM kWtsConsoleConnect = 1;
constexpr WPARAM kWtsConsoleDisconnect = 2;

using WtsRegisterFn = BOOL(WINAPI*)(HWND, DWORD);
using WtsUnregisterFn = BOOL(WINAPI*)(HWND);

bool IsDetectThread(DWORD threadId) {
  return GetCurrentThreadId() == threadId;
}

// Guards the use of g_ThrdDetect from other threads against its destruction.
// A system mutex: a worker killed while holding it leaves it abandoned, and
// its killer, which resumes detection for it, still gets in.
class DetectorLifetimeLock {
 public:
  DetectorLifetimeLock() { WaitForSingleObject(Mutex(), INFINITE); }
  ~DetectorLifetimeLock() { ReleaseMutex(Mutex()); }
  DetectorLifetimeLock(const DetectorLifetimeLock&) = delete;
  DetectorLifetimeLock& operator=(const DetectorLifetimeLock&) = delete;

 private:
  static HANDLE Mutex() {
    static const HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    return mutex;
  }
};

}  // namespace

void SetDetectIgnore(bool on) {
  DetectorLifetimeLock guard;
  if (g_ThrdDetect) g_ThrdDetect->SetIgnore(on);
}

CDetectIgnoreGuard::CDetectIgnoreGuard(std::atomic<bool>* held) : held_(held) {
  // Marked before the switch goes on and cleared after it goes off: a thread
  // killed in between at worst has detection resumed twice.
  if (held_) *held_ = true;
  SetDetectIgnore(true);
}

void CDetectIgnoreGuard::Resume() {
  if (!active_) return;
  active_ = false;
  // A stop that abandoned this thread may have given the pause back already.
  if (held_ && !held_->exchange(false)) return;
  SetDetectIgnore(false);
}

CThrdDetect::CThrdDetect(HWND notifyWnd) : notifyWnd_(notifyWnd) {
  stopEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  Start();
}

CThrdDetect::~CThrdDetect() {
  {
    DetectorLifetimeLock guard;
    if (g_ThrdDetect == this) g_ThrdDetect = nullptr;
  }
  if (!StopThread()) {
    // Freed under a running thread would be worse than the wait.
    LogWrite("CThrdDetect::~CThrdDetect() waits for the abandoned thread");
    WaitFor(INFINITE);
  }
  ClearDevList();
  if (stopEvent_) CloseHandle(stopEvent_);
}

void CThrdDetect::Dispose(CThrdDetect* detect) {
  if (!detect) return;
  if (detect->StopThread()) {
    delete detect;
    return;
  }
  // Leaked on purpose: the thread, its window and its list live on.
  LogWrite("CThrdDetect::Dispose() left the detector of an abandoned thread in memory");
}

bool CThrdDetect::StopThread() {
  if (stopped_) return !abandoned_;
  stopped_ = true;
  Terminate();
  if (stopEvent_) SetEvent(stopEvent_);
  if (HWND wnd = window_) {
    LogWrite("Close Detect Wnd");
    PostMessageA(wnd, WM_CLOSE, 0, 0);
  }
  // Killed only inside a hung library call; in its own code the thread
  // comes back to its message loop and ends, or is abandoned.
  const StopOutcome outcome =
      WaitOrKillInLibrary(timescale::Ms(2000), false, "CThrdDetect::StopThread() TerminateThread",
                          "CThrdDetect::StopThread() wait for the thread");
  if (outcome == StopOutcome::kEnded) {
    LogWrite("CThrdDetect::StopThread() Thread Stop");
    return true;
  }
  if (outcome == StopOutcome::kAbandoned) {
    // Its window and the library lock it may hold stay its own.
    abandoned_ = true;
    LogWrite("CThrdDetect::StopThread() abandoned the thread");
    return false;
  }
  const DWORD thread = ThreadId();
  Sleep(timescale::Ms(500));
  // The system destroys a dead thread's windows without WM_DESTROY, so the
  // registrations made for the window are undone here.
  DestroyWnd();
  window_ = nullptr;
  librarylock::ReleaseIfHeldBy(thread, "CThrdDetect: release g_OmxLib.SynchEvent event");
  return true;
}

void CThrdDetect::GetDevList(std::vector<DeviceRec>& list) {
  CSectionGuard guard(listLock_);
  list.insert(list.end(), devList_.begin(), devList_.end());
}

void CThrdDetect::SetIgnore(bool on) {
  // Each holder (the adapter's worker, the console-away session) ends only
  // its own pause: detection resumes once no holder is left.
  if (on) {
    ++ignoreHolders_;
    Ignore = true;
    LogWrite("Ignore ON");
    return;
  }
  int held = ignoreHolders_.load();
  while (held > 0 && !ignoreHolders_.compare_exchange_weak(held, held - 1)) {
  }
  if (held > 1) {
    LogWrite("Ignore OFF, %d still held", held - 1);
    return;
  }
  Ignore = false;
  LogWrite("Ignore OFF");
  SetDetectTimer(3000, 3);
}

void CThrdDetect::Execute() {
  if (!RegisterWndClass()) {
    LogWrite("Fail: RegisterClass");
    return;
  }
  if (!CreateDetectWnd()) {
    LogWrite("Fail: CreateWindow");
    return;
  }
  // A stop that came while the window was being made found no window to
  // close; end at once.
  if (Terminated()) DestroyWindow(window_);
  MSG msg;
  for (;;) {
    BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0) break;
    if (r == -1) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  LogWrite("CThrdDetect::Execute() return");
}

bool CThrdDetect::RegisterWndClass() {
  const std::wstring name = Wide(kDetectWndClass);
  WNDCLASSW wc;
  std::memset(&wc, 0, sizeof wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &CThrdDetect::WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = name.c_str();
  // A later detection thread of the same process finds the class in place.
  return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CThrdDetect::CreateDetectWnd() {
  const std::wstring name = Wide(kDetectWndClass);
  HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, name.c_str(), name.c_str(), WS_OVERLAPPED,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                             nullptr, GetModuleHandleW(nullptr), this);
  return wnd != nullptr;
}

LRESULT CALLBACK CThrdDetect::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CThrdDetect* self = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<CThrdDetect*>(cs->lpCreateParams);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->window_ = wnd;
  } else {
    self = reinterpret_cast<CThrdDetect*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(wnd, msg, wParam, lParam);
  return self->HandleMessage(wnd, msg, wParam, lParam);
}

LRESULT CThrdDetect::HandleMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool suspended = Ignore || ConsoleAway;
  switch (msg) {
    case WM_CREATE:
      RegisterNotifications(wnd);
      return DefWindowProcW(wnd, msg, wParam, lParam);

    case WM_CLOSE:
      // Only StopThread ends detection; a close request from outside (a
      // polite taskkill) does not.
      if (!Terminated()) return 0;
      return DefWindowProcW(wnd, msg, wParam, lParam);

    case WM_DESTROY:
      DestroyWnd();
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;

    case WM_TIMER:
      if (wParam == kDetectTimer) {
        KillTimer(wnd, kDetectTimer);
        --PassesLeft;
        if (!suspended) DetectDev();
        return 1;
      }
      if (wParam == kSessionTimer) {
        if (RegisterSessionNotify(true)) {
          LogWrite("Succ: RegisterSessionNotify");
          KillTimer(wnd, kSessionTimer);
        } else {
          LogWrite("Fail: RegisterSessionNotify");
        }
        return 1;
      }
      break;

    case kMsgSetDetectTimer:
      SetDetectTimer(static_cast<UINT>(wParam), static_cast<int>(lParam));
      return 0;

    case WM_POWER:
      if ((wParam == PWR_SUSPENDRESUME || wParam == PWR_CRITICALRESUME) && !DevNotify &&
          !suspended) {
        LogWrite("WM_POWER resume");
        OnResume();
        return 0;
      }
      break;

    case WM_POWERBROADCAST:
      if ((wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND) && !DevNotify &&
          !suspended) {
        LogWrite("WM_POWERBROADCAST resume");
        OnResume();
        return 1;
      }
      break;

    case WM_DEVICECHANGE:
      if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) {
        if (!DevNotify) return 1;
        if (suspended) {
          LogWrite("Skip DBT_DEVICEARRIVAL/DBT_DEVICEREMOVECOMPLETE");
          return 1;
        }
        auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (header && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
          OnDeviceInterface(wParam,
                            reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(lParam));
        return 1;
      }
      if (wParam == DBT_DEVNODES_CHANGED) {
        if (DevNotify) {
          DefWindowProcW(wnd, msg, wParam, lParam);
        } else if (suspended) {
          LogWrite("Skip DBT_DEVNODES_CHANGED");
        } else {
          LogWrite("DBT_DEVNODES_CHANGED");
          SetDetectTimer(3000, 5);
        }
        return 1;
      }
      break;

    case kWmWtsSessionChange:
      if (wParam == kWtsConsoleConnect) {
        LogWrite("WTS_CONSOLE_CONNECT");
        // Only a pause of its own is ended here, never the worker's.
        if (ConsoleAway.exchange(false))
          SetIgnore(false);
        else if (ignoreHolders_ == 0)
          SetDetectTimer(3000, 3);
      } else if (wParam == kWtsConsoleDisconnect) {
        LogWrite("WTS_CONSOLE_DISCONNECT");
        if (!ConsoleAway.exchange(true)) SetIgnore(true);
        ClearDevList();
        Notify(kDevicesGone);
      }
      break;

    default:
      break;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

void CThrdDetect::RegisterNotifications(HWND wnd) {
  if (g_GlobalVar.OsVersionCode >= 6) {
    DEV_BROADCAST_DEVICEINTERFACE_A filter;
    std::memset(&filter, 0, sizeof filter);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kNetAdapterClass;
    DevNotify = RegisterDeviceNotificationA(wnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    LogWrite(DevNotify ? "Succ: RegisterDeviceNotification" : "Fail: RegisterDeviceNotification");
  }
  if (g_GlobalVar.OsVersionCode >= 7 && !(g_GlobalVar.CmdFlags & CmdService)) {
    if (RegisterSessionNotify(true)) {
      LogWrite("Succ: RegisterSessionNotify");
    } else {
      LogWrite("Fail: RegisterSessionNotify");
      SetTimer(wnd, kSessionTimer, timescale::Ms(500), nullptr);
    }
  }
  SetTimer(wnd, kDetectTimer, timescale::Ms(100), nullptr);
}

void CThrdDetect::DestroyWnd() {
  if (g_GlobalVar.OsVersionCode >= 7) RegisterSessionNotify(false);
  if (HDEVNOTIFY h = DevNotify.exchange(nullptr)) UnregisterDeviceNotification(h);
  LogWrite("CThrdDetect::DestroyWnd()");
}

bool CThrdDetect::RegisterSessionNotify(bool on) {
  if (!wtsApi_) wtsApi_ = LoadLibraryA("Wtsapi32.dll");
  if (!wtsApi_) {
    LogWrite("Fail: load Wtsapi32.dll");
    return false;
  }
  HWND wnd = window_;
  if (on) {
    auto fn = reinterpret_cast<WtsRegisterFn>(
        reinterpret_cast<void*>(GetProcAddress(wtsApi_, "WTSRegisterSessionNotification")));
    if (!fn) {
      LogWrite("Fail: GetProcAddress");
      return false;
    }
    return fn(wnd, 0) == 1;  // notifications of this session only
  }
  auto fn = reinterpret_cast<WtsUnregisterFn>(
      reinterpret_cast<void*>(GetProcAddress(wtsApi_, "WTSUnRegisterSessionNotification")));
  if (!fn) {
    LogWrite("Fail: GetProcAddress");
    return false;
  }
  return fn(wnd) == 1;
}

void CThrdDetect::SetDetectTimer(UINT delay, int passes) {
  HWND wnd = window_;
  if (!wnd) return;
  if (!IsDetectThread(ThreadId())) {
    PostMessageA(wnd, kMsgSetDetectTimer, delay, passes);
    return;
  }
  KillTimer(wnd, kDetectTimer);
  PassesLeft = passes;
  SetTimer(wnd, kDetectTimer, timescale::Ms(delay), nullptr);
}

void CThrdDetect::OnResume() {
  ClearDevList();
  Notify(kDevicesGone);
  SetDetectTimer(3000, 3);
}

void CThrdDetect::OnDeviceInterface(WPARAM event,
                                    const DEV_BROADCAST_DEVICEINTERFACE_A* broadcast) {
  // The path runs to the end of the broadcast; never read past its size.
  constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
  std::string path;
  if (broadcast->dbcc_size > kNameOffset) {
    const size_t bytes = broadcast->dbcc_size - kNameOffset;
    // The window is a wide one, so the name may come in UTF-16; a device
    // path always begins with an ASCII character, whose high byte is zero.
    if (bytes >= 2 && broadcast->dbcc_name[0] && !broadcast->dbcc_name[1]) {
      const auto* wide = reinterpret_cast<const wchar_t*>(broadcast->dbcc_name);
      size_t n = 0;
      while (n < bytes / 2 && wide[n]) ++n;
      path = Utf8(std::wstring_view(wide, n));
    } else {
      path = FieldText(broadcast->dbcc_name, bytes);
    }
  }
  const std::string hwid = GetDeviceHWID(path);
  if (hwid.empty() || !g_GlobalVar.IsSupportedHwId(hwid)) return;
  LogWrite(event == DBT_DEVICEARRIVAL ? "Arrival HWID: %s" : "Remove HWID: %s", hwid.c_str());
  if (!Ignore && !ConsoleAway) SetDetectTimer(500, 3);
}

std::string CThrdDetect::GetDeviceHWID(const std::string& path) {
  try {
    if (path.size() < 4) return std::string();
    std::string key = kDeviceClassesKey;
    if (g_GlobalVar.OsVersionCode >= 6) {
      // "\\?\" prefix off, reference string after the last backslash off.
      const size_t last = path.rfind('\\');
      key += "##?#";
      if (last != std::string::npos && last >= 4) key += path.substr(4, last - 4 + 1);
    } else {
      key += "##.#" + path.substr(4);
    }

    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
      return std::string();
    char value[512] = {};
    DWORD size = sizeof value;
    DWORD type = REG_NONE;
    LONG rc = RegQueryValueExA(h, "DeviceInstance", nullptr, &type, reinterpret_cast<BYTE*>(value),
                               &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
    return FieldText(value, std::min<size_t>(size, sizeof value));
  } catch (...) {
    LogWrite("Exception(CThrdDetect::GetDeviceHWID)");
  }
  return std::string();
}

void CThrdDetect::DetectDev() {
  LogWrite("CThrdDetect::DetectDev()");
  std::vector<DeviceRec> found;
  if (!EnumDetectDev(found)) return;
  LogWrite("available device %d", static_cast<int>(found.size()));

  bool changed = false;
  {
    CSectionGuard guard(listLock_);
    changed = found.size() != devList_.size();
    for (size_t i = 0; !changed && i < devList_.size(); ++i) {
      bool present = false;
      for (const DeviceRec& d : found)
        if (std::memcmp(&d, &devList_[i], sizeof d) == 0) present = true;
      if (!present) changed = true;
    }
    if (changed) devList_.swap(found);
  }

  if (changed) Notify(kDevicesChanged);
  if (PassesLeft > 0) {
    if (HWND wnd = window_) SetTimer(wnd, kDetectTimer, timescale::Ms(2000), nullptr);
  }
}

bool CThrdDetect::EnumDetectDev(std::vector<DeviceRec>& list) {
  std::vector<::DetectRec> records(kMaxProbedHwIds);
  std::memset(records.data(), 0, records.size() * sizeof(::DetectRec));
  int n = g_GlobalVar.FillDetectRecords(records.data(), kMaxProbedHwIds);
  // No id configured: the library is asked once with an empty id.
  n = std::clamp(n, 1, kMaxProbedHwIds);

  CLibraryGuard lib(stopEvent_, this);
  if (!lib) return false;
  const unsigned faults = faultguard::ThreadFaults();
  try {
    for (int i = 0; i < n; ++i) {
      const int32_t result = g_OmxLib.OMXWL_DevDetect(&records[i]);
      if (faultguard::ThreadFaults() != faults) {
        LogWrite("Exception(CThrdDetect::EnumDetectDev)");
        break;
      }
      const std::string hwid = FieldText(records[i].HardwareId);
      LogWrite("DevDetect Result: %s %d", hwid.c_str(), result);
      if (result == 1) {
        DeviceRec device;
        std::memset(&device, 0, sizeof device);
        SetField(device.Description, FieldText(records[i].Description));
        SetField(device.HardwareId, hwid);
        SetField(device.Tag, "9999");
        list.push_back(device);
        break;
      }
    }
  } catch (...) {
    LogWrite("Exception(CThrdDetect::EnumDetectDev)");
  }
  return true;
}

void CThrdDetect::ClearDevList() {
  CSectionGuard guard(listLock_);
  devList_.clear();
}

void CThrdDetect::Notify(LPARAM value) {
  HWND target = notifyWnd_ ? notifyWnd_ : Application.MainWindow;
  if (target) PostMessageA(target, NotifyMsg, kNotifyDevice, value);
}
