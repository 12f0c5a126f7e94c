// Windowless (graphic) controls have no window of their own: their parent
// container finds the child under the mouse, captures the mouse for it
// between press and release, tracks hover, and shows its cursor.
#include "ui/Ucontrol.h"
// (needs the types of windows.h)
#include <windowsx.h>

#include <algorithm>

TControl* TContainer::GraphicChildAt(POINT p) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->Handle() || !c->Visible()) continue;
    RECT b = c->PixelBounds();
    if (PtInRect(&b, p)) return c;
  }
  return nullptr;
}

void TContainer::SetHover(TControl* control) {
  if (control == hoverChild_) return;
  TControl* old = hoverChild_;
  hoverChild_ = control;
  if (old) old->MouseLeave();
  if (control && hoverChild_ == control) control->MouseEnter();
}

bool TContainer::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
  // p in pixels; controls hear 96-DPI units relative to themselves.
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  const UINT dpi = Dpi();
  const int ox = ui::dpi::UnscaleDown(p.x, dpi), oy = ui::dpi::UnscaleDown(p.y, dpi);
  auto at = [&p, dpi](const TControl* c) {
    const RECT b = c->PixelBounds();
    return POINT{ui::dpi::UnscaleDown(p.x - b.left, dpi), ui::dpi::UnscaleDown(p.y - b.top, dpi)};
  };
  UINT keys = static_cast<UINT>(wp);
  TMouseButton button = TMouseButton::Left;
  if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK)
    button = TMouseButton::Right;
  if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP || msg == WM_MBUTTONDBLCLK)
    button = TMouseButton::Middle;
  TControl* hit = GraphicChildAt(p);
  if (hit && !hit->Enabled()) hit = nullptr;
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (!trackingLeave_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
      }
      SetHover(hit);
      TControl* target = captureChild_ ? captureChild_ : hit;
      if (target) {
        const POINT q = at(target);
        target->MouseMove(keys, q.x, q.y);
      } else {
        MouseMove(keys, ox, oy);
      }
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (hit) {
        captureChild_ = hit;
        SetCapture(Handle());
        const POINT q = at(hit);
        hit->MouseDown(button, keys, q.x, q.y);
      } else {
        MouseDown(button, keys, ox, oy);
      }
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (captureChild_) {
        TControl* c = captureChild_;
        captureChild_ = nullptr;
        if (GetCapture() == Handle()) ReleaseCapture();
        RECT b = c->PixelBounds();
        bool inside = PtInRect(&b, p) != FALSE;
        const POINT q = at(c);
        c->MouseUp(button, keys, q.x, q.y);
        // The handler may have removed the control.
        bool alive = std::find(controls_.begin(), controls_.end(), c) != controls_.end();
        if (alive && inside && button == TMouseButton::Left) c->Click();
      } else if (hit) {
        const POINT q = at(hit);
        hit->MouseUp(button, keys, q.x, q.y);
      } else {
        MouseUp(button, keys, ox, oy);
      }
      return true;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (hit) {
        captureChild_ = hit;
        SetCapture(Handle());
        const POINT q = at(hit);
        hit->MouseDown(button, keys, q.x, q.y);
        bool alive = std::find(controls_.begin(), controls_.end(), hit) != controls_.end();
        if (alive && button == TMouseButton::Left) hit->DblClick();
      } else {
        MouseDown(button, keys, ox, oy);
        if (button == TMouseButton::Left) DblClick();
      }
      return true;
  }
  return false;
}

bool TContainer::HandleWindowlessMouse(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      return RouteMouse(msg, wp, lp);
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      SetHover(nullptr);
      return true;
    case WM_CAPTURECHANGED:
      // Someone else took the mouse: the press no longer ends in a click.
      captureChild_ = nullptr;
      return false;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == Handle() && LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(Handle(), &p);
        TControl* hit = GraphicChildAt(p);
        HCURSOR cursor = hit ? hit->Cursor : Cursor;
        if (cursor) {
          SetCursor(cursor);
          result = TRUE;
          return true;
        }
      }
      return false;
  }
  return false;
}
