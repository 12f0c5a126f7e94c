#include "ui/Ulabel.h"

#include <vector>

#include "config/Uunicode.h"
#include "ui/Uannounce.h"
#include "ui/Upalette.h"

// ---- TLabel ---------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner, TContainer* parent, std::string name, const std::string& caption,
               TKind kind)
    : TGraphicControl(owner, parent, std::move(name), kind) {
  caption_ = caption;
  TFont f = Font();
  f.Color = palette::Text;
  SetFont(f);
  StoreBounds(0, 0, 65, 13);
}

void TLabel::SetAlignment(TAlignment a) {
  alignment_ = a;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout l) {
  layout_ = l;
  Invalidate();
}

void TLabel::SetWordWrap(bool on) {
  wordWrap_ = on;
  Invalidate();
}

void TLabel::SetEllipsisEnd(bool on) {
  ellipsis_ = on;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool on) {
  showAccel_ = on;
  Invalidate();
}

UINT TLabel::TextFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (alignment_ == TAlignment::Right) flags |= DT_RIGHT;
  if (alignment_ == TAlignment::Center) flags |= DT_CENTER;
  if (wordWrap_) flags |= DT_WORDBREAK;
  if (!showAccel_) flags |= DT_NOPREFIX;
  return flags;
}

UINT TLabel::DrawFlags() const {
  return TextFlags() | (ellipsis_ ? DT_END_ELLIPSIS : 0);
}

SIZE TLabel::MeasurePixels() const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontHandle());
  RECT r{0, 0, wordWrap_ ? PixelWidth() : 0, 0};
  const std::wstring text = Wide(Caption());
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags() | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE TLabel::MeasureCaption() const {
  // Rounded up: a label made this wide holds its text on the screen.
  const SIZE px = MeasurePixels();
  const UINT dpi = Dpi();
  return SIZE{ui::dpi::UnscaleUp(px.cx, dpi), ui::dpi::UnscaleUp(px.cy, dpi)};
}

RECT TLabel::TextRect(HDC dc) const {
  const int width = PixelWidth(), height = PixelHeight();
  RECT r{0, 0, width, height};
  if (layout_ == TTextLayout::Top) return r;
  RECT m{0, 0, width, 0};
  const std::wstring text = Wide(Caption());
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &m,
            (TextFlags() & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT);
  int h = m.bottom - m.top;
  r.top = layout_ == TTextLayout::Center ? (height - h) / 2 : height - h;
  r.bottom = r.top + h;
  return r;
}

std::string TLabel::DisplayText() const {
  std::string text = Caption();
  if (!ellipsis_ || text.empty()) return text;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, FontHandle());
  // Room for the ellipsis that DrawText may write into the buffer. The cut
  // is made in UTF-16, where the system keeps surrogate pairs whole.
  const std::wstring wide = Wide(text);
  std::vector<wchar_t> buffer(wide.begin(), wide.end());
  buffer.resize(wide.size() + 8, L'\0');
  RECT r = TextRect(dc);
  DrawTextW(dc, buffer.data(), static_cast<int>(wide.size()), &r, DrawFlags() | DT_MODIFYSTRING);
  SelectObject(dc, old);
  DeleteDC(dc);
  return Utf8(buffer.data());
}

COLORREF TLabel::TextColor() const {
  return Enabled() ? Font().Color : palette::DisabledText;
}

void TLabel::Paint(HDC dc) {
  if (Color() != CLR_NONE) {
    RECT all{0, 0, PixelWidth(), PixelHeight()};
    HBRUSH b = CreateSolidBrush(Color());
    FillRect(dc, &all, b);
    DeleteObject(b);
  }
  const std::wstring text = Wide(Caption());
  if (text.empty()) return;
  HGDIOBJ old = SelectObject(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TextColor());
  RECT r = TextRect(dc);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags());
  SelectObject(dc, old);
}

TValueLabel::TValueLabel(TComponent* owner, TContainer* parent, std::string name,
                         const std::string& caption)
    : TLabel(owner, parent, std::move(name), caption, TKind::ValueLabel) {
  SetEllipsisEnd(true);
  SetShowAccelChar(false);
}

// ---- TTabLabel --------------------------------------------------------------------------

TTabLabel::TTabLabel(TComponent* owner, TContainer* parent, std::string name,
                     const std::string& caption)
    : TLabel(owner, parent, std::move(name), caption, TKind::TabLabel),
      NormalColor(palette::TabNormal),
      HoverColor(palette::TabHover),
      SelectedColor(palette::TabSelected) {
  SetAlignment(TAlignment::Center);
  SetLayout(TTextLayout::Center);
  SetShowAccelChar(false);
  Cursor = LoadCursor(nullptr, IDC_HAND);
}

void TTabLabel::SetSelected(bool on) {
  if (selected_ == on) return;
  selected_ = on;
  Invalidate();
  ui::announce::SelectionChanged(this, on);
}

void TTabLabel::SetColors(COLORREF normal, COLORREF hover, COLORREF selected) {
  NormalColor = normal;
  HoverColor = hover;
  SelectedColor = selected;
  Invalidate();
}

COLORREF TTabLabel::TextColor() const {
  if (!Enabled()) return palette::DisabledText;
  if (selected_) return SelectedColor;
  return hover_ ? HoverColor : NormalColor;
}

void TTabLabel::SetFocusMark(bool on) {
  if (focusMark_ == on) return;
  focusMark_ = on;
  Invalidate();
  ui::announce::FocusChanged(this, on);
}

void TTabLabel::Paint(HDC dc) {
  TLabel::Paint(dc);
  if (!focusMark_) return;
  const SIZE text = MeasurePixels();
  const int width = PixelWidth(), height = PixelHeight();
  RECT r{(width - text.cx) / 2 - Px(4), (height - text.cy) / 2 - Px(2), 0, 0};
  r.right = r.left + text.cx + Px(8);
  r.bottom = r.top + text.cy + Px(4);
  const RECT bounds{0, 0, width, height};
  IntersectRect(&r, &r, &bounds);
  SetTextColor(dc, TextColor());
  SetBkColor(dc, RGB(255, 255, 255));
  DrawFocusRect(dc, &r);
}

void TTabLabel::MouseEnter() {
  hover_ = true;
  Invalidate();
  TLabel::MouseEnter();
}

void TTabLabel::MouseLeave() {
  hover_ = false;
  Invalidate();
  TLabel::MouseLeave();
}
