// Whether a control's caption fits, measured the way the screen shows it:
// in pixels, with the font the control really draws with, against the
// control's pixel rectangle. Nothing here asks the toolkit how wide a text
// is, so a fault in its measuring cannot hide a caption that is cut.
#pragma once

#include <windows.h>
// (needs the types of windows.h)
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "config/Uunicode.h"
#include "ui/Ucheckbox.h"
#include "ui/Ucontrol.h"
#include "ui/Udpi.h"
#include "ui/Ulabel.h"
#include "ui/Usortlv.h"

namespace wutest {

// The DPI override for a scope, taken back however the scope ends.
struct ScopedDpi {
  explicit ScopedDpi(UINT dpi) { ui::dpi::SetOverride(dpi); }
  ~ScopedDpi() { ui::dpi::SetOverride(0); }
  ScopedDpi(const ScopedDpi&) = delete;
  ScopedDpi& operator=(const ScopedDpi&) = delete;
};

inline std::string PathOf(const TComponent* c) {
  std::string path = c->Name();
  for (const TComponent* o = c->Owner(); o; o = o->Owner()) path = o->Name() + "." + path;
  return path;
}

// The font the control draws with: the window's own, else the control's.
inline HFONT DrawnFont(const TControl* c) {
  if (HWND w = c->Handle())
    if (auto f = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0))) return f;
  return c->FontHandle();
}

// The control's rectangle in pixels of its parent's client area: the window
// itself for windowed controls, the scaled bounds for painted ones.
inline RECT PixelRectOf(const TControl* c) {
  if (HWND w = c->Handle()) {
    RECT r{};
    GetWindowRect(w, &r);
    if (GetWindowLongA(w, GWL_STYLE) & WS_CHILD)
      MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  return ui::dpi::ScaleRect(c->BoundsRect(), c->Dpi());
}

// The size DrawText gives UTF-8 text in font (wrapWidth > 0: wrapped at it).
inline SIZE DrawnSize(HFONT font, const std::string& text, UINT flags, int wrapWidth = 0) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, wrapWidth, 0};
  const std::wstring wide = Wide(text);  // captions are UTF-8
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, flags | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right - r.left, r.bottom - r.top};
}

inline int FontPixelHeight(HFONT font) {
  LOGFONTA lf{};
  if (!font || !GetObjectA(font, sizeof lf, &lf)) return 0;
  return std::abs(static_cast<int>(lf.lfHeight));
}

struct TFit {
  bool Checked = false;  // the control shows a caption of a kind that must fit
  int Need = 0;          // pixels
  int Room = 0;
  bool Fits() const { return !Checked || Need <= Room; }
};

inline TFit CaptionFit(const TControl* c) {
  const std::string caption = c->Caption();
  if (caption.empty()) return {};
  const UINT dpi = c->Dpi();
  const RECT r = PixelRectOf(c);
  HFONT font = DrawnFont(c);
  TFit fit{true, 0, r.right - r.left};
  switch (c->Kind()) {
    case TKind::Label:
    case TKind::ValueLabel:
    case TKind::TabLabel: {
      auto* label = static_cast<const TLabel*>(c);
      const UINT flags = DT_EXPANDTABS | (label->ShowAccelChar() ? 0 : DT_NOPREFIX);
      if (!label->WordWrap()) {
        fit.Need = DrawnSize(font, caption, flags | DT_SINGLELINE).cx;
      } else {
        fit.Need = DrawnSize(font, caption, flags | DT_WORDBREAK, fit.Room).cy;
        fit.Room = r.bottom - r.top;
      }
      return fit;
    }
    case TKind::CheckBox:
    case TKind::RadioButton:  // the box, the gap the system leaves, the text
      fit.Need = DrawnSize(font, caption, DT_SINGLELINE).cx + ui::dpi::Metric(SM_CXMENUCHECK, dpi) +
                 ui::dpi::Scale(4, dpi);
      return fit;
    case TKind::PicButton:
    case TKind::Panel:
      fit.Need = DrawnSize(font, caption, DT_SINGLELINE).cx + ui::dpi::Scale(8, dpi);
      return fit;
    default:
      return {};
  }
}

// A column caption sits between two margins of about six pixels at 96 DPI.
inline TFit ColumnFit(const TSortLv* list, int column) {
  const std::string caption = list->ColumnCaption(column);
  if (caption.empty() || !list->Handle()) return {};
  return {true,
          DrawnSize(DrawnFont(list), caption, DT_SINGLELINE | DT_NOPREFIX).cx +
              ui::dpi::Scale(12, list->Dpi()),
          ListView_GetColumnWidth(list->Handle(), column)};
}

}  // namespace wutest
