// The global settings object, the notification message id, and the two seams
// (Windows version, message box).
#include "config/Udefine.h"

#include <atomic>

#include "config/Uunicode.h"

CFAGlobalVar g_GlobalVar;
UINT NotifyMsg = 0;

namespace {

std::atomic<WindowsVersionSource> g_versionSource{nullptr};
std::atomic<MsgBoxHandler> g_msgBoxHandler{nullptr};

WindowsVersion SystemWindowsVersion() {
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);  // 148 bytes
  info.dwOSVersionInfoSize = sizeof info;
  WindowsVersion v{0, 0, 0};
  if (GetVersionExA(&info)) {
    v.PlatformId = info.dwPlatformId;
    v.Major = info.dwMajorVersion;
    v.Minor = info.dwMinorVersion;
  }
  return v;
}

}  // namespace

static_assert(sizeof(OSVERSIONINFOA) == 148);

WindowsVersionSource SetWindowsVersionSource(WindowsVersionSource source) {
  return g_versionSource.exchange(source);
}

WindowsVersion ReadWindowsVersion() {
  WindowsVersionSource source = g_versionSource.load();
  return source ? source() : SystemWindowsVersion();
}

int32_t ClassifyWindowsVersion(const WindowsVersion& v) {
  switch (v.PlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:  // 95, 98, Me
      if (v.Minor == 0) return 1;
      if (v.Minor == 10) return 4;
      if (v.Minor == 90) return 5;
      return 3;
    case VER_PLATFORM_WIN32_NT:
      if (v.Major == 4) return 2;
      if (v.Major == 5) return v.Minor == 0 ? 6 : 7;
      // Vista and everything after it have every feature of the newest
      // class; treating them as unknown would switch those features off.
      if (v.Major >= 6) return 7;
      return 0;
    default:
      return 0;
  }
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler) {
  return g_msgBoxHandler.exchange(handler);
}

CFAGlobalVar::CFAGlobalVar() {
  ResetCommonStrings();
  ZeroMemory(&WorkProfile, sizeof WorkProfile);
  ZeroMemory(&APProfile, sizeof APProfile);
}

CFAGlobalVar::~CFAGlobalVar() = default;

int CFAGlobalVar::ShowMsgBox(HWND control, const std::string& text, int flags) const {
  if (MsgBoxHandler handler = g_msgBoxHandler.load()) return handler(control, text, flags);
  HWND owner = control ? GetAncestor(control, GA_ROOT) : nullptr;
  return MessageBoxW(owner, Wide(text).c_str(), Wide(MsgTitle).c_str(), static_cast<UINT>(flags));
}
