// Keyboard navigation: Tab and Shift+Tab move the focus through a form's
// controls in creation order, across frames and panels, wrapping around.
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "ui/Ucontrol.h"
#include "ui/Uform.h"

bool TWinControl::TabStop() const {
  return hwnd_ &&
         (GetWindowLongA(hwnd_, GWL_STYLE) & (WS_TABSTOP | WS_CHILD)) == (WS_TABSTOP | WS_CHILD);
}

bool TWinControl::Focused() const {
  return hwnd_ && GetFocus() == hwnd_;
}

bool TWinControl::CanFocus() const {
  if (!hwnd_ || !IsWindowVisible(hwnd_)) return false;
  for (HWND w = hwnd_; w; w = GetParent(w)) {
    if (!IsWindowEnabled(w)) return false;
    if (!(GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw std::runtime_error("Cannot focus a disabled or invisible window");
  ::SetFocus(hwnd_);
}

bool TWinControl::HandleTabKey(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != WM_GETDLGCODE && msg != WM_KEYDOWN && msg != WM_CHAR) return false;
  if (!TabStop()) return false;
  if (msg == WM_GETDLGCODE) {
    result = DefaultProc(msg, wp, lp) | DLGC_WANTTAB;
    return true;
  }
  if (msg == WM_KEYDOWN && wp == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000) &&
      !(GetKeyState(VK_MENU) & 0x8000)) {
    if (TForm* form = ParentForm()) {
      form->SelectNext(this, !(GetKeyState(VK_SHIFT) & 0x8000));
      result = 0;
      return true;
    }
  }
  // The Tab that moved the focus must not reach the control as a character.
  if (msg == WM_CHAR && wp == '\t') {
    result = 0;
    return true;
  }
  return false;
}

namespace {

void CollectTabStops(const TContainer* container, std::vector<TWinControl*>& out) {
  for (TControl* c : container->Controls()) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->Handle() || !w->Visible() || !w->Enabled()) continue;
    if (w->TabStop()) out.push_back(w);
    if (auto* inner = dynamic_cast<const TContainer*>(w)) CollectTabStops(inner, out);
  }
}

}  // namespace

std::vector<TWinControl*> TForm::TabOrder() const {
  std::vector<TWinControl*> order;
  CollectTabStops(this, order);
  return order;
}

void TForm::SelectNext(TWinControl* current, bool forward) {
  std::vector<TWinControl*> order = TabOrder();
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), current);
  size_t n = order.size();
  size_t at = it == order.end() ? (forward ? n - 1 : 0) : static_cast<size_t>(it - order.begin());
  size_t next = forward ? (at + 1) % n : (at + n - 1) % n;
  for (size_t tries = 0; tries < n; ++tries) {
    TWinControl* target = order[next];
    if (target->CanFocus()) {
      // Keyboard navigation shows where the focus is.
      SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
      ::SetFocus(target->Handle());
      if (target->Kind() == TKind::Edit) SendMessageA(target->Handle(), EM_SETSEL, 0, -1);
      return;
    }
    next = forward ? (next + 1) % n : (next + n - 1) % n;
  }
}
