// Containers: the ordered list of child controls, and double-buffered
// painting of the background and of the graphic children.
#include <algorithm>
#include <stdexcept>

#include "app/Udebug.h"
#include "ui/Ucontrol.h"

namespace {

bool RectsIntersect(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != FALSE;
}

}  // namespace

TContainer::TContainer(TComponent* owner, TContainer* parent, std::string name, TKind kind)
    : TWinControl(owner, parent, std::move(name), kind) {}

TContainer::~TContainer() {
  // Children owned elsewhere lose their parent with this window.
  DestroyComponents();
  while (!controls_.empty()) controls_.back()->DetachFromParent();
}

void TContainer::InsertControl(TControl* control) {
  controls_.push_back(control);
}

void TContainer::MoveControl(TControl* control, bool toFront) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (toFront)
    controls_.push_back(control);
  else
    controls_.insert(controls_.begin(), control);
}

void TContainer::PlaceControl(TControl* control, size_t index) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  index = std::min(index, controls_.size());
  controls_.insert(controls_.begin() + static_cast<std::ptrdiff_t>(index), control);
  auto* win = dynamic_cast<TWinControl*>(control);
  if (!win || !win->Handle()) return;
  // Just below the first window above it in the list, else on top.
  HWND below = HWND_TOP;
  for (size_t i = index + 1; i < controls_.size(); ++i) {
    auto* above = dynamic_cast<TWinControl*>(controls_[i]);
    if (above && above->Handle()) {
      below = above->Handle();
      break;
    }
  }
  SetWindowPos(win->Handle(), below, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TContainer::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (captureChild_ == control) captureChild_ = nullptr;
  if (hoverChild_ == control) hoverChild_ = nullptr;
}

void TContainer::SetParentBackground(bool on) {
  parentBackground_ = on;
  Invalidate();
}

void TContainer::PaintOverlay(HDC, const RECT&) {}

void TContainer::PaintClient(HDC dc, const RECT& clip) {
  PaintBackground(dc, clip);
  for (size_t i = 0; i < controls_.size(); ++i) {
    TControl* c = controls_[i];
    if (c->Handle() || !c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
    RECT b = c->PixelBounds();
    if (!RectsIntersect(b, clip)) continue;
    int saved = SaveDC(dc);
    POINT org;
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.x + b.left, org.y + b.top, nullptr);
    IntersectClipRect(dc, 0, 0, b.right - b.left, b.bottom - b.top);
    try {
      static_cast<TGraphicControl*>(c)->Paint(dc);
    } catch (const std::exception& e) {
      LogWrite("Exception(%s::Paint): %s", c->Name().c_str(), e.what());
    }
    RestoreDC(dc, saved);
  }
  PaintOverlay(dc, clip);
}

LRESULT TContainer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      // Everything is painted in WM_PAINT through one off-screen bitmap.
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      RECT r = ps.rcPaint;
      int w = r.right - r.left, h = r.bottom - r.top;
      if (w > 0 && h > 0) {
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        SetViewportOrgEx(mem, -r.left, -r.top, nullptr);
        PaintClient(mem, r);
        SetViewportOrgEx(mem, 0, 0, nullptr);
        BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
      }
      EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT r;
      GetClientRect(Handle(), &r);
      PaintClient(reinterpret_cast<HDC>(wp), r);
      return 0;
    }
  }
  LRESULT result = 0;
  if (HandleWindowlessMouse(msg, wp, lp, result)) return result;
  if (ReflectToChild(msg, wp, lp, result)) return result;
  return TWinControl::WndProc(msg, wp, lp);
}
