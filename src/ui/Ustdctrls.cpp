#include "ui/Ustdctrls.h"

#include <algorithm>
#include <vector>

#include "ui/Uaccessible.h"
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

SIZE TLabel::MeasureCaption() const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontHandle());
  RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
  std::string text = Caption();
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags() | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT TLabel::TextRect(HDC dc) const {
  RECT r{0, 0, Width(), Height()};
  if (layout_ == TTextLayout::Top) return r;
  RECT m{0, 0, Width(), 0};
  std::string text = Caption();
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &m,
            (TextFlags() & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT);
  int h = m.bottom - m.top;
  r.top = layout_ == TTextLayout::Center ? (Height() - h) / 2 : Height() - h;
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
  // Room for the ellipsis that DrawText may write into the buffer.
  std::vector<char> buffer(text.begin(), text.end());
  buffer.resize(text.size() + 8, '\0');
  RECT r = TextRect(dc);
  DrawTextA(dc, buffer.data(), static_cast<int>(text.size()), &r, DrawFlags() | DT_MODIFYSTRING);
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::string(buffer.data());
}

COLORREF TLabel::TextColor() const {
  return Enabled() ? Font().Color : palette::DisabledText;
}

void TLabel::Paint(HDC dc) {
  if (Color() != CLR_NONE) {
    RECT all{0, 0, Width(), Height()};
    HBRUSH b = CreateSolidBrush(Color());
    FillRect(dc, &all, b);
    DeleteObject(b);
  }
  std::string text = Caption();
  if (text.empty()) return;
  HGDIOBJ old = SelectObject(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TextColor());
  RECT r = TextRect(dc);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DrawFlags());
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
  ui::access::NotifySelected(this, on);
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
}

void TTabLabel::Paint(HDC dc) {
  TLabel::Paint(dc);
  if (!focusMark_) return;
  const SIZE text = MeasureCaption();
  RECT r{(Width() - text.cx) / 2 - 4, (Height() - text.cy) / 2 - 2, 0, 0};
  r.right = r.left + text.cx + 8;
  r.bottom = r.top + text.cy + 4;
  const RECT bounds{0, 0, Width(), Height()};
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

// ---- TImage / TPaintBox -----------------------------------------------------------------

TImage::TImage(TComponent* owner, TContainer* parent, std::string name)
    : TGraphicControl(owner, parent, std::move(name), TKind::Image) {
  StoreBounds(0, 0, 105, 105);
}

void TImage::SetPicture(const TPicture& picture) {
  picture_ = picture;
  Invalidate();
}

void TImage::SetCenter(bool on) {
  center_ = on;
  Invalidate();
}

void TImage::SetStretch(bool on) {
  stretch_ = on;
  Invalidate();
}

void TImage::FitToPicture() {
  SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
}

void TImage::Paint(HDC dc) {
  if (picture_.Empty()) return;
  if (stretch_) {
    picture_.StretchDraw(dc, RECT{0, 0, Width(), Height()});
  } else if (center_) {
    picture_.Draw(dc, (Width() - picture_.Width()) / 2, (Height() - picture_.Height()) / 2);
  } else {
    picture_.Draw(dc, 0, 0);
  }
}

TPaintBox::TPaintBox(TComponent* owner, TContainer* parent, std::string name)
    : TGraphicControl(owner, parent, std::move(name), TKind::PaintBox) {
  StoreBounds(0, 0, 105, 105);
}

void TPaintBox::Paint(HDC dc) {
  Fire(OnPaint, dc, RECT{0, 0, Width(), Height()});
}

// ---- TEdit ------------------------------------------------------------------------------

TEdit::TEdit(TComponent* owner, TContainer* parent, std::string name)
    : TWinControl(owner, parent, std::move(name), TKind::Edit) {
  SetBounds(0, 0, 121, 21);
  CreateHandle("EDIT", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
}

void TEdit::SetMaxLength(int length) {
  maxLength_ = std::max(0, length);
  if (Handle()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetReadOnly(bool on) {
  readOnly_ = on;
  if (Handle()) SendMessageA(Handle(), EM_SETREADONLY, on, 0);
}

void TEdit::SetMasked(bool on) {
  masked_ = on;
  if (Handle()) {
    SendMessageA(Handle(), EM_SETPASSWORDCHAR, on ? '*' : 0, 0);
    Invalidate();
  }
  ui::access::NotifyStateChange(this);
}

void TEdit::SelectAll() {
  if (Handle()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

void TEdit::ClearMask() {
  SetMasked(false);
  SetText("");
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CHAR:
      if (wp == '\t') break;  // focus moved on; not a key for this edit
      if (masked_ && !readOnly_) ClearMask();
      if (OnKeyPress) {
        char key = static_cast<char>(wp);
        Fire(OnKeyPress, key);
        if (key == 0) return 0;
        wp = static_cast<unsigned char>(key);
      }
      break;
    case WM_KEYDOWN:
      if (wp == VK_DELETE && masked_ && !readOnly_) ClearMask();
      break;
    case WM_PASTE:
    case WM_CLEAR:
    case WM_CUT:
      if (masked_ && !readOnly_) ClearMask();
      break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

bool TEdit::HandleCommand(WORD code, LRESULT& result) {
  result = 0;
  if (code == EN_CHANGE) {
    Fire(OnChange);
    return true;
  }
  if (code == EN_MAXTEXT) {
    Fire(OnMaxText);
    return true;
  }
  return false;
}

// ---- TComboBox -----------------------------------------------------------------------------

namespace {
constexpr int kDropHeight = 240;
}

TComboBox::TComboBox(TComponent* owner, TContainer* parent, std::string name)
    : TWinControl(owner, parent, std::move(name), TKind::ComboBox) {
  StoreBounds(0, 0, 145, kDropHeight);
  CreateHandle("COMBOBOX", WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0);
}

void TComboBox::SetBounds(int left, int top, int width, int height) {
  // The window's height includes the dropped list; the system keeps the
  // closed height it needs for the font.
  StoreBounds(left, top, width, height);
  if (Handle())
    MoveWindow(Handle(), left, top, std::max(0, width), std::max(0, height) + kDropHeight, TRUE);
}

int TComboBox::AddItem(const std::string& text, intptr_t value) {
  return InsertItem(-1, text, value);
}

int TComboBox::InsertItem(int index, const std::string& text, intptr_t value) {
  if (!Handle()) return -1;
  if (index < 0 || index > Count()) index = -1;
  LRESULT i = SendMessageA(Handle(), CB_INSERTSTRING, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(text.c_str()));
  if (i < 0) return -1;
  SendMessageA(Handle(), CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(value));
  return static_cast<int>(i);
}

void TComboBox::DeleteItem(int index) {
  if (Handle() && index >= 0 && index < Count())
    SendMessageA(Handle(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TComboBox::Clear() {
  if (Handle()) SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
}

int TComboBox::Count() const {
  if (!Handle()) return 0;
  return std::max<int>(0, static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0)));
}

std::string TComboBox::ItemText(int index) const {
  if (!Handle() || index < 0 || index >= Count()) return std::string();
  LRESULT n = SendMessageA(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(n) + 1, '\0');
  SendMessageA(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(buffer.data()));
  return std::string(buffer.data());
}

intptr_t TComboBox::ItemValue(int index) const {
  if (!Handle() || index < 0 || index >= Count()) return 0;
  return static_cast<intptr_t>(
      SendMessageA(Handle(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

int TComboBox::ItemIndex() const {
  if (!Handle()) return -1;
  return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
  if (!Handle()) return;
  if (index < 0 || index >= Count()) index = -1;
  SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

intptr_t TComboBox::SelectedValue(intptr_t def) const {
  int i = ItemIndex();
  return i < 0 ? def : ItemValue(i);
}

bool TComboBox::SelectByValue(intptr_t value) {
  for (int i = 0, n = Count(); i < n; ++i) {
    if (ItemValue(i) == value) {
      SetItemIndex(i);
      return true;
    }
  }
  return false;
}

std::string TComboBox::Text() const {
  return ItemText(ItemIndex());
}

bool TComboBox::HandleCommand(WORD code, LRESULT& result) {
  result = 0;
  if (code == CBN_SELCHANGE) {
    Fire(OnSelect);
    return true;
  }
  return false;
}

// ---- TCheckBox / TRadioButton -----------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* owner, TContainer* parent, std::string name,
                     const std::string& caption)
    : TCheckBox(owner, parent, std::move(name), caption, TKind::CheckBox, BS_AUTOCHECKBOX) {}

TCheckBox::TCheckBox(TComponent* owner, TContainer* parent, std::string name,
                     const std::string& caption, TKind kind, DWORD style)
    : TWinControl(owner, parent, std::move(name), kind) {
  caption_ = caption;
  TFont f = Font();
  f.Color = palette::Text;
  SetFont(f);
  SetBounds(0, 0, 97, 17);
  CreateHandle("BUTTON", WS_CHILD | WS_TABSTOP | style, 0);
}

bool TCheckBox::Checked() const {
  return Handle() && SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool on) {
  if (Handle()) SendMessageA(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Click() {
  SetChecked(!Checked());
  Fire(OnClick);
}

bool TCheckBox::HandleCommand(WORD code, LRESULT& result) {
  result = 0;
  if (code == BN_CLICKED) {
    Fire(OnClick);
    return true;
  }
  return false;
}

HBRUSH TCheckBox::CtlColor(HDC dc, UINT) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Enabled() ? Font().Color : palette::DisabledText);
  if (Color() != CLR_NONE) {
    SetDCBrushColor(dc, Color());
    return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
  }
  return ParentBackgroundBrush();
}

TRadioButton::TRadioButton(TComponent* owner, TContainer* parent, std::string name,
                           const std::string& caption)
    : TCheckBox(owner, parent, std::move(name), caption, TKind::RadioButton, BS_RADIOBUTTON) {}

void TRadioButton::SetChecked(bool on) {
  TCheckBox::SetChecked(on);
  if (!on || !Parent()) return;
  for (TControl* c : Parent()->Controls()) {
    auto* other = dynamic_cast<TRadioButton*>(c);
    if (other && other != this && other->GroupIndex == GroupIndex)
      other->TCheckBox::SetChecked(false);
  }
}

void TRadioButton::Click() {
  SetChecked(true);
  Fire(OnClick);
}

LRESULT TRadioButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETDLGCODE) return TCheckBox::WndProc(msg, wp, lp) | DLGC_WANTARROWS;
  if (msg == WM_KEYDOWN && (wp == VK_DOWN || wp == VK_RIGHT || wp == VK_UP || wp == VK_LEFT) &&
      Parent()) {
    std::vector<TRadioButton*> group;
    for (TControl* c : Parent()->Controls()) {
      auto* r = dynamic_cast<TRadioButton*>(c);
      if (r && r->GroupIndex == GroupIndex && (r == this || r->CanFocus())) group.push_back(r);
    }
    const auto at = std::find(group.begin(), group.end(), this);
    if (group.size() > 1 && at != group.end()) {
      const size_t n = group.size();
      const size_t i = static_cast<size_t>(at - group.begin());
      const bool forward = wp == VK_DOWN || wp == VK_RIGHT;
      TRadioButton* next = group[forward ? (i + 1) % n : (i + n - 1) % n];
      ::SetFocus(next->Handle());
      if (!next->Checked()) next->Click();  // last: the handler may change the page
    }
    return 0;
  }
  return TCheckBox::WndProc(msg, wp, lp);
}

bool TRadioButton::HandleCommand(WORD code, LRESULT& result) {
  result = 0;
  if (code == BN_CLICKED) {
    SetChecked(true);
    Fire(OnClick);
    return true;
  }
  return false;
}
