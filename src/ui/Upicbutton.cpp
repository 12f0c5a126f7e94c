#include "ui/Upicbutton.h"

#include <windowsx.h>

#include "config/Uunicode.h"
#include "ui/Uannounce.h"
#include "ui/Upalette.h"

TPicButton::TPicButton(TComponent* owner, TContainer* parent, std::string name,
                       const std::string& caption)
    : TWinControl(owner, parent, std::move(name), TKind::PicButton) {
  caption_ = caption;
  TFont f = Font();
  f.Color = palette::ButtonCaption;
  SetFont(f);
  SetBounds(0, 0, 100, 30);
  CreateHandle(RegisterOwnClass("WuPicButton", CS_DBLCLKS, LoadCursor(nullptr, IDC_HAND)),
               WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS, 0);
}

void TPicButton::SetFaces(const TPicture& normal, const TPicture& pressed, const TPicture& hover,
                          const TPicture& disabled) {
  normal_ = normal;
  pressed_face_ = pressed;
  hover_face_ = hover;
  disabled_face_ = disabled;
  derivedDisabled_ = normal.Disabled();
  Invalidate();
}

void TPicButton::SetNormalFace(const TPicture& face) {
  normal_ = face;
  derivedDisabled_ = face.Disabled();
  Invalidate();
}

void TPicButton::SetPressedFace(const TPicture& face) {
  pressed_face_ = face;
  Invalidate();
}

void TPicButton::SetHoverFace(const TPicture& face) {
  hover_face_ = face;
  Invalidate();
}

void TPicButton::SetDisabledFace(const TPicture& face) {
  disabled_face_ = face;
  Invalidate();
}

const TPicture& TPicButton::FacePicture(TFace face) const {
  switch (face) {
    case TFace::Disabled:
      return disabled_face_.Empty() ? derivedDisabled_ : disabled_face_;
    case TFace::Pressed:
      if (!pressed_face_.Empty()) return pressed_face_;
      return hover_face_.Empty() ? normal_ : hover_face_;
    case TFace::Hover:
      return hover_face_.Empty() ? normal_ : hover_face_;
    case TFace::Normal:
      break;
  }
  return normal_;
}

TPicButton::TFace TPicButton::CurrentFace() const {
  if (!Enabled()) return TFace::Disabled;
  if (pressed_) return TFace::Pressed;
  if (hover_) return TFace::Hover;
  return TFace::Normal;
}

void TPicButton::FitToFace() {
  if (!normal_.Empty()) SetBounds(Left(), Top(), normal_.Width(), normal_.Height());
}

void TPicButton::Click() {
  if (Enabled()) Fire(OnClick);
}

void TPicButton::CaptionChanged() {
  Invalidate();
  ui::announce::NameChanged(this);
}

bool TPicButton::SameLetter(wchar_t a, wchar_t b) {
  if (!a || !b) return false;
  wchar_t pair[2] = {a, b};
  CharUpperBuffW(pair, 2);
  return pair[0] == pair[1];
}

void TPicButton::SetAccelChar(wchar_t letter) {
  accel_ = letter;
  Invalidate();
}

void TPicButton::SetPressed(bool on) {
  if (pressed_ == on) return;
  pressed_ = on;
  Invalidate();
}

void TPicButton::SetHover(bool on) {
  if (hover_ == on) return;
  hover_ = on;
  Invalidate();
}

void TPicButton::EnabledChanged() {
  if (!Enabled()) {
    hover_ = pressed_ = mouseDown_ = spaceDown_ = false;
    if (Handle() && GetCapture() == Handle()) ReleaseCapture();
  }
  Invalidate();
  ui::announce::StateChanged(this);
}

void TPicButton::PaintButton(HDC dc) {
  RECT r{0, 0, PixelWidth(), PixelHeight()};
  GetClientRect(Handle(), &r);
  // The parent's background first: faces have transparent corners.
  if (!PaintParentBehind(dc, r)) FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  TFace face = CurrentFace();
  const TPicture& pic = FacePicture(face);
  if (!pic.Empty()) {
    const TPicture drawn = pic.ForDpi(Dpi());
    drawn.Draw(dc, (r.right - drawn.PixelWidth()) / 2, (r.bottom - drawn.PixelHeight()) / 2);
  } else {
    // A plain flat face when no picture was given.
    COLORREF fill = palette::Panel, border = palette::ButtonBorder;
    if (face == TFace::Hover) fill = palette::AccentTint, border = palette::Accent;
    if (face == TFace::Pressed) fill = palette::AccentTintDeep, border = palette::Accent;
    if (face == TFace::Disabled) fill = palette::ActionBar, border = palette::PanelBorder;
    HBRUSH b = CreateSolidBrush(fill);
    const int line = ui::dpi::Line(Dpi());
    HPEN p = CreatePen(line > 1 ? PS_INSIDEFRAME : PS_SOLID, line, border);
    HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, p);
    RoundRect(dc, r.left, r.top, r.right, r.bottom, Px(6), Px(6));
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(b);
    DeleteObject(p);
  }
  std::wstring text = Wide(Caption());
  if (!text.empty()) {
    HGDIOBJ old = SelectObject(dc, FontHandle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, face == TFace::Disabled ? palette::DisabledText : Font().Color);
    RECT tr = r;
    if (face == TFace::Pressed) OffsetRect(&tr, 0, Px(1));
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    // The accelerator underlined: its first place in the caption gets the
    // prefix, every other "&" is doubled to stay as it is.
    std::wstring drawn;
    bool marked = false;
    for (wchar_t ch : text) {
      if (ch == L'&') drawn += L'&';
      if (!marked && SameLetter(ch, accel_)) {
        drawn += L'&';
        marked = true;
      }
      drawn += ch;
    }
    if (marked) {
      text = drawn;
      flags &= ~DT_NOPREFIX;
    }
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &tr, flags);
    SelectObject(dc, old);
  }
  // The focus is always marked: also when the window was reached with the
  // mouse, whose users may go on with the keyboard.
  if (Focused()) {
    RECT fr = r;
    InflateRect(&fr, -Px(3), -Px(3));
    SetTextColor(dc, palette::Text);
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &fr);
  }
}

LRESULT TPicButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      RECT r;
      GetClientRect(Handle(), &r);
      if (r.right > 0 && r.bottom > 0) {
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, r.right, r.bottom);
        HGDIOBJ old = SelectObject(mem, bmp);
        PaintButton(mem);
        BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
      }
      EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintButton(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_MOUSEMOVE: {
      if (!tracking_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
        tracking_ = TrackMouseEvent(&tme) != FALSE;
      }
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      RECT r;
      GetClientRect(Handle(), &r);
      bool inside = PtInRect(&r, p) != FALSE;
      SetHover(inside);
      if (mouseDown_) SetPressed(inside);
      // Handlers hear 96-DPI units, as from every other control.
      const UINT dpi = Dpi();
      MouseMove(static_cast<UINT>(wp), ui::dpi::UnscaleDown(p.x, dpi),
                ui::dpi::UnscaleDown(p.y, dpi));
      return 0;
    }
    case WM_MOUSELEAVE:
      tracking_ = false;
      SetHover(false);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (CanFocus()) ::SetFocus(Handle());
      mouseDown_ = true;
      SetCapture(Handle());
      SetPressed(true);
      return 0;
    case WM_LBUTTONUP:
      if (mouseDown_) {
        mouseDown_ = false;
        bool clicked = pressed_;
        SetPressed(false);
        if (GetCapture() == Handle()) ReleaseCapture();
        if (clicked) Click();  // last: the handler may free the button
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (mouseDown_) {
        mouseDown_ = false;
        SetPressed(false);
      }
      break;
    case WM_KEYDOWN:
      if (wp == VK_SPACE) {
        if (!(lp & 0x40000000)) {
          spaceDown_ = true;
          SetPressed(true);
        }
        return 0;
      }
      if (wp == VK_RETURN) {
        // Once per press, however long the key is held; and the character
        // that the message loop made of this Enter goes with it, so that it
        // never reaches whatever the click shows next.
        MSG ch;
        if (PeekMessageW(&ch, Handle(), WM_CHAR, WM_CHAR, PM_NOREMOVE) && ch.wParam == L'\r')
          PeekMessageW(&ch, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
        if (!(lp & 0x40000000)) Click();
        return 0;
      }
      break;
    case WM_KEYUP:
      if (wp == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        SetPressed(false);
        Click();
        return 0;
      }
      break;
    case WM_GETDLGCODE: {
      auto* m = reinterpret_cast<MSG*>(lp);
      if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN)
        return DLGC_BUTTON | DLGC_WANTTAB | DLGC_WANTMESSAGE;
      return DLGC_BUTTON | DLGC_WANTTAB;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (msg == WM_KILLFOCUS && spaceDown_) {
        spaceDown_ = false;
        SetPressed(false);
      }
      Invalidate();
      break;
    case WM_UPDATEUISTATE: {
      LRESULT r = TWinControl::WndProc(msg, wp, lp);
      Invalidate();
      return r;
    }
    case BM_CLICK:
      Click();
      return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}
