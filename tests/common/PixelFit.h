// Whether a control's caption fits, measured the way the screen shows it:
// in pixels, with the font the control really draws with (the window's
// WM_GETFONT, the control's font at its DPI for painted ones), against the
// control's pixel rectangle. Nothing here asks the toolkit how wide a text
// is, so a fault in its measuring cannot hide a caption that is cut.
#pragma once

#include <windows.h>
// (needs the types of windows.h)
#include <commctrl.h>

#include <string>

#include "ui/Ucheckbox.h"
#include "ui/Ucontrol.h"
#include "ui/Udpi.h"
#include "ui/Ulabel.h"
#include "ui/Usortlv.h"

namespace wutest {

// The font the control draws its caption with.
inline HFONT DrawnFont(const TControl* c) {
  if (HWND w = c->Handle())
    if (auto f = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0))) return f;
  return c->FontHandle();
}

// The control's rectangle in pixels of its parent's client area: from the
// window itself for windowed controls, the 96-DPI bounds scaled edge by
// edge for painted ones.
inline RECT PixelRectOf(const TControl* c) {
  if (HWND w = c->Handle()) {
    RECT r{};
    GetWindowRect(w, &r);
    HWND parent = GetParent(w);
    if (parent && (GetWindowLongA(w, GWL_STYLE) & WS_CHILD))
      MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  return ui::dpi::ScaleRect(c->BoundsRect(), c->Dpi());
}

// The size DrawText gives text in font (wrapWidth > 0: wrapped at it).
inline SIZE DrawnSize(HFONT font, const std::string& text, UINT flags, int wrapWidth = 0) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, wrapWidth, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right - r.left, r.bottom - r.top};
}

// The pixel height of a font's characters (the LOGFONT height, positive).
inline int FontPixelHeight(HFONT font) {
  LOGFONTA lf{};
  if (!font || !GetObjectA(font, sizeof lf, &lf)) return 0;
  return lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
}

struct TFit {
  bool Checked = false;  // the control shows a caption of a kind that must fit
  int Need = 0;          // pixels
  int Room = 0;
  bool Fits() const { return !Checked || Need <= Room; }
};

// A control's caption against its room, in pixels at the control's DPI.
inline TFit CaptionFit(const TControl* c) {
  TFit fit;
  const std::string caption = c->Caption();
  if (caption.empty()) return fit;
  const UINT dpi = c->Dpi();
  const RECT r = PixelRectOf(c);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HFONT font = DrawnFont(c);
  switch (c->Kind()) {
    case TKind::Label:
    case TKind::ValueLabel:
    case TKind::TabLabel: {
      auto* label = static_cast<const TLabel*>(c);
      const UINT flags = DT_EXPANDTABS | (label->ShowAccelChar() ? 0 : DT_NOPREFIX);
      if (label->WordWrap()) {
        fit.Need = DrawnSize(font, caption, flags | DT_WORDBREAK, width).cy;
        fit.Room = height;
      } else {
        fit.Need = DrawnSize(font, caption, flags | DT_SINGLELINE).cx;
        fit.Room = width;
      }
      break;
    }
    case TKind::CheckBox:
    case TKind::RadioButton:
      // The box, the gap the system leaves after it, then the text.
      fit.Need = DrawnSize(font, caption, DT_SINGLELINE).cx + ui::dpi::Metric(SM_CXMENUCHECK, dpi) +
                 ui::dpi::Scale(4, dpi);
      fit.Room = width;
      break;
    case TKind::PicButton:
    case TKind::Panel:
      fit.Need = DrawnSize(font, caption, DT_SINGLELINE).cx + ui::dpi::Scale(8, dpi);
      fit.Room = width;
      break;
    default:
      return fit;
  }
  fit.Checked = true;
  return fit;
}

// A list view's column caption against the column's pixel width: the header
// text sits between two margins of about six pixels at 96 DPI.
inline TFit ColumnFit(const TSortLv* list, int column) {
  TFit fit;
  const std::string caption = list->ColumnCaption(column);
  if (caption.empty() || !list->Handle()) return fit;
  fit.Checked = true;
  fit.Need = DrawnSize(DrawnFont(list), caption, DT_SINGLELINE | DT_NOPREFIX).cx +
             ui::dpi::Scale(12, list->Dpi());
  fit.Room = ListView_GetColumnWidth(list->Handle(), column);
  return fit;
}

}  // namespace wutest
