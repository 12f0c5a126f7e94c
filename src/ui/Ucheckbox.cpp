#include "ui/Ucheckbox.h"

#include <algorithm>
#include <vector>

#include "ui/Upalette.h"

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
  return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool on) {
  if (Handle()) SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
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
