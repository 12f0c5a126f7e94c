#include "ui/Uedit.h"

#include <algorithm>
#include <vector>

#include "config/Uunicode.h"
#include "ui/Uannounce.h"

// ---- TEdit ------------------------------------------------------------------------------

TEdit::TEdit(TComponent* owner, TContainer* parent, std::string name)
    : TWinControl(owner, parent, std::move(name), TKind::Edit) {
  SetBounds(0, 0, 121, 21);
  CreateHandle("EDIT", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
}

void TEdit::SetMaxLength(int length) {
  maxLength_ = std::max(0, length);
  if (Handle()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetReadOnly(bool on) {
  readOnly_ = on;
  if (Handle()) SendMessageW(Handle(), EM_SETREADONLY, on, 0);
}

void TEdit::SetMasked(bool on) {
  masked_ = on;
  if (Handle()) {
    SendMessageW(Handle(), EM_SETPASSWORDCHAR, on ? '*' : 0, 0);
    Invalidate();
  }
  ui::announce::StateChanged(this);
}

void TEdit::SelectAll() {
  if (Handle()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
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
        // A UTF-16 unit: a character outside the basic plane comes as two.
        wchar_t key = static_cast<wchar_t>(wp);
        Fire(OnKeyPress, key);
        if (key == 0) return 0;
        wp = static_cast<WPARAM>(key);
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
  if (!Handle()) return;
  const RECT r = PixelBounds();
  MoveWindow(Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top + Px(kDropHeight), TRUE);
}

int TComboBox::AddItem(const std::string& text, intptr_t value) {
  return InsertItem(-1, text, value);
}

int TComboBox::InsertItem(int index, const std::string& text, intptr_t value) {
  if (!Handle()) return -1;
  if (index < 0 || index > Count()) index = -1;
  const std::wstring wide = Wide(text);
  LRESULT i = SendMessageW(Handle(), CB_INSERTSTRING, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(wide.c_str()));
  if (i < 0) return -1;
  SendMessageW(Handle(), CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(value));
  return static_cast<int>(i);
}

void TComboBox::DeleteItem(int index) {
  if (Handle() && index >= 0 && index < Count())
    SendMessageW(Handle(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TComboBox::Clear() {
  if (Handle()) SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
}

int TComboBox::Count() const {
  if (!Handle()) return 0;
  return std::max<int>(0, static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)));
}

std::string TComboBox::ItemText(int index) const {
  if (!Handle() || index < 0 || index >= Count()) return std::string();
  LRESULT n = SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n <= 0) return std::string();
  std::vector<wchar_t> buffer(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(buffer.data()));
  return Utf8(buffer.data());
}

intptr_t TComboBox::ItemValue(int index) const {
  if (!Handle() || index < 0 || index >= Count()) return 0;
  return static_cast<intptr_t>(
      SendMessageW(Handle(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

int TComboBox::ItemIndex() const {
  if (!Handle()) return -1;
  return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
  if (!Handle()) return;
  if (index < 0 || index >= Count()) index = -1;
  SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
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
