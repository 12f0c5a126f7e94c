// Helpers of the window tests: settings and string files in a temp folder
// for the global settings, deferred actions inside modal loops, and the
// pixels a window paints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/TestSupport.h"
#include "config/Udefine.h"
#include "ui/Uuithread.h"

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace wutest {

// Points g_GlobalVar at "<temp>\Prog.exe" with the given settings file
// (Prog.bin) and string file (Prog.ini); an empty text writes no file.
class GlobalFiles {
 public:
  GlobalFiles(const std::string& settings, const std::string& strings) {
    if (!settings.empty()) WriteText(dir_ / "Prog.bin", settings);
    if (!strings.empty()) WriteText(dir_ / "Prog.ini", strings);
    g_GlobalVar.LocateFiles(dir_ / "Prog.exe");
  }
  ~GlobalFiles() {
    // Back to defaults: a settings file that does not exist.
    g_GlobalVar.LocateFiles(dir_ / "gone\\Prog.exe");
  }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
};

// Runs fn once, ms milliseconds from now, on the user-interface thread
// (inside whatever message loop runs then).
inline void After(UINT ms, std::function<void()> fn) {
  ui::InitUiThread();
  auto id = std::make_shared<UINT_PTR>(0);
  *id = ui::StartTimer(ms, [id, fn] {
    ui::StopTimer(*id);
    fn();
  });
}

// Repeats fn every ms milliseconds until it returns true.
inline void Every(UINT ms, std::function<bool()> fn) {
  ui::InitUiThread();
  auto id = std::make_shared<UINT_PTR>(0);
  *id = ui::StartTimer(ms, [id, fn] {
    if (fn()) ui::StopTimer(*id);
  });
}

// The client area of a window as it paints itself (WM_PRINTCLIENT), as
// 0xRRGGBB values, row by row.
class Snapshot {
 public:
  explicit Snapshot(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    width_ = r.right;
    height_ = r.bottom;
    if (width_ <= 0 || height_ <= 0) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    pixels_.assign(static_cast<uint32_t*>(bits),
                   static_cast<uint32_t*>(bits) + static_cast<size_t>(width_) * height_);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint32_t At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFF;
    return pixels_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

inline uint32_t Rgb(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// A 24-bit bottom-up BMP file of w x h: the top-left pixel topLeft, the rest
// fill.
inline std::string Bmp(int w, int h, COLORREF topLeft, COLORREF fill) {
  int stride = (w * 3 + 3) & ~3;
  std::string data(static_cast<size_t>(stride) * h, '\0');
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      COLORREF c = (x == 0 && y == h - 1) ? topLeft : fill;  // row h-1 is the top
      size_t at = static_cast<size_t>(y) * stride + x * 3;
      data[at] = static_cast<char>(GetBValue(c));
      data[at + 1] = static_cast<char>(GetGValue(c));
      data[at + 2] = static_cast<char>(GetRValue(c));
    }
  }
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(ih);
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(data.size());
  ih.biSize = sizeof(ih);
  ih.biWidth = w;
  ih.biHeight = h;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  std::string out(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.append(reinterpret_cast<const char*>(&ih), sizeof(ih));
  return out + data;
}

}  // namespace wutest
