// Painting the parent behind a control: containers without a colour,
// picture buttons and transparent standard controls all show what their
// parent paints where they stand.
#include <algorithm>

#include "ui/Ucontrol.h"

HBRUSH TWinControl::ParentBackgroundBrush() {
  if (!hwnd_ || !Parent() || !Parent()->Handle()) return nullptr;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  int w = std::max<int>(1, rc.right), h = std::max<int>(1, rc.bottom);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  PaintParentBehind(mem, RECT{0, 0, w, h});
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  HBRUSH brush = CreatePatternBrush(bmp);
  DeleteObject(bmp);
  if (backBrush_) DeleteObject(backBrush_);
  backBrush_ = brush;
  return brush;
}

bool TWinControl::PaintParentBehind(HDC dc, const RECT& rect) {
  if (!hwnd_ || !Parent() || !Parent()->Handle()) return false;
  POINT o{0, 0};
  MapWindowPoints(hwnd_, Parent()->Handle(), &o, 1);
  int saved = SaveDC(dc);
  // The parent paints in its own coordinates, where our origin is o.
  OffsetViewportOrgEx(dc, -o.x, -o.y, nullptr);
  RECT pc = rect;
  OffsetRect(&pc, o.x, o.y);
  Parent()->PaintClient(dc, pc);
  RestoreDC(dc, saved);
  return true;
}

void TContainer::PaintBackground(HDC dc, const RECT& clip) {
  if (Color() != CLR_NONE) {
    HBRUSH b = CreateSolidBrush(Color());
    FillRect(dc, &clip, b);
    DeleteObject(b);
    return;
  }
  if (parentBackground_ && PaintParentBehind(dc, clip)) return;
  FillRect(dc, &clip, GetSysColorBrush(COLOR_BTNFACE));
}
