#include "ui/Udpi.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace ui::dpi {
namespace {

// Windows 10 (1607 and later) tells the DPI per window and answers metric
// and font queries for any DPI; older systems know one DPI. The functions
// are looked up so the program still starts on Windows 7 and 8.1.
struct TUser32 {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  using GetDpiForSystemFn = UINT(WINAPI*)();
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

  GetDpiForWindowFn getDpiForWindow = nullptr;
  GetDpiForSystemFn getDpiForSystem = nullptr;
  GetSystemMetricsForDpiFn getSystemMetricsForDpi = nullptr;
  SystemParametersInfoForDpiFn systemParametersInfoForDpi = nullptr;
  AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = nullptr;

  TUser32() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) return;
    getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    getDpiForSystem = reinterpret_cast<GetDpiForSystemFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForSystem")));
    getSystemMetricsForDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetSystemMetricsForDpi")));
    systemParametersInfoForDpi = reinterpret_cast<SystemParametersInfoForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SystemParametersInfoForDpi")));
    adjustWindowRectExForDpi = reinterpret_cast<AdjustWindowRectExForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "AdjustWindowRectExForDpi")));
  }
};

const TUser32& User32() {
  static const TUser32 functions;
  return functions;
}

UINT g_override = 0;

UINT Sane(UINT dpi) {
  // A DPI outside what any display uses is a fault of whoever told it.
  return dpi >= 48 && dpi <= 960 ? dpi : kBase;
}

UINT ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int v = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return Sane(v > 0 ? static_cast<UINT>(v) : kBase);
}

}  // namespace

UINT System() {
  if (g_override) return g_override;
  if (User32().getDpiForSystem) return Sane(User32().getDpiForSystem());
  static const UINT screen = ScreenDpi();
  return screen;
}

UINT OfWindow(HWND hwnd) {
  if (g_override) return g_override;
  if (hwnd && User32().getDpiForWindow) {
    const UINT v = User32().getDpiForWindow(hwnd);
    if (v) return Sane(v);
  }
  return System();
}

int Scale(int value, UINT dpi) {
  return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kBase));
}

int Unscale(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(kBase), static_cast<int>(dpi ? dpi : kBase));
}

int UnscaleUp(int pixels, UINT dpi) {
  if (!dpi) dpi = kBase;
  const long long p = pixels;
  const long long d = dpi;
  if (p >= 0) return static_cast<int>((p * kBase + d - 1) / d);
  return -static_cast<int>((-p * kBase) / d);
}

int UnscaleDown(int pixels, UINT dpi) {
  if (!dpi) dpi = kBase;
  const long long n = static_cast<long long>(pixels) * kBase;
  const long long d = dpi;
  return static_cast<int>(n >= 0 ? n / d : -((-n + d - 1) / d));
}

int Line(UINT dpi) {
  return std::max<int>(1, static_cast<int>(dpi / kBase));
}

RECT ScaleRect(const RECT& r, UINT dpi) {
  return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right, dpi), Scale(r.bottom, dpi)};
}

RECT UnscaleRect(const RECT& r, UINT dpi) {
  return {Unscale(r.left, dpi), Unscale(r.top, dpi), Unscale(r.right, dpi), Unscale(r.bottom, dpi)};
}

int Metric(int index, UINT dpi) {
  if (User32().getSystemMetricsForDpi) return User32().getSystemMetricsForDpi(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
}

bool MessageFont(UINT dpi, LOGFONTW& font) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  if (User32().systemParametersInfoForDpi &&
      User32().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0, dpi) &&
      ncm.lfMessageFont.lfFaceName[0]) {
    const LOGFONTW& w = ncm.lfMessageFont;
    font = LOGFONTW{};
    font.lfHeight = w.lfHeight;
    font.lfWeight = w.lfWeight;
    font.lfCharSet = w.lfCharSet;
    font.lfQuality = w.lfQuality;
    std::copy(std::begin(w.lfFaceName), std::end(w.lfFaceName), font.lfFaceName);
    font.lfFaceName[LF_FACESIZE - 1] = L'\0';
    return font.lfFaceName[0] != 0;
  }
  NONCLIENTMETRICSW a{};
  a.cbSize = sizeof(a);
  BOOL ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, a.cbSize, &a, 0);
  if (!ok) {
    // Older systems know the structure without the padded border field.
    a.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, a.cbSize, &a, 0);
  }
  if (!ok || !a.lfMessageFont.lfFaceName[0]) return false;
  font = a.lfMessageFont;
  // The system's answer is for its own DPI.
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
  return true;
}

void AdjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
  if (User32().adjustWindowRectExForDpi &&
      User32().adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi))
    return;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

RECT WorkAreaOf(HWND hwnd) {
  HMONITOR monitor = hwnd ? MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)
                          : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

void SetOverride(UINT dpi) {
  g_override = dpi ? Sane(dpi) : 0;
}

UINT Override() {
  return g_override;
}

}  // namespace ui::dpi
