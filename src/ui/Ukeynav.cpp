// Keyboard navigation: Tab and Shift+Tab move the focus through a form's
// controls in creation order, across frames and panels, wrapping around.
// The focus never stays on a control that is hidden, disabled or gone: the
// dialog manager's accelerator search walks only the visible controls and
// never comes back to such a focus, so the next character would hang the
// message loop for good.
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "app/Udebug.h"
#include "ui/Ucontrol.h"
#include "ui/Uform.h"
#include "ui/Upicbutton.h"

namespace {

// Shown and enabled, and so is every parent up to root.
bool Reachable(HWND root, HWND w) {
  if (!w || !IsWindow(w)) return false;
  if (w != root && !IsChild(root, w)) return false;
  if (!IsWindowVisible(w)) return false;
  for (HWND h = w; h && h != root; h = GetParent(h))
    if (!IsWindowEnabled(h)) return false;
  return true;
}

bool IsKeyMessage(UINT msg) {
  return msg >= WM_KEYFIRST && msg <= WM_KEYLAST;
}

}  // namespace

bool TWinControl::TabStop() const {
  return hwnd_ &&
         (GetWindowLongW(hwnd_, GWL_STYLE) & (WS_TABSTOP | WS_CHILD)) == (WS_TABSTOP | WS_CHILD);
}

bool TWinControl::Focused() const {
  return hwnd_ && GetFocus() == hwnd_;
}

bool TWinControl::CanFocus() const {
  if (!hwnd_ || !IsWindowVisible(hwnd_)) return false;
  for (HWND w = hwnd_; w; w = GetParent(w)) {
    if (!IsWindowEnabled(w)) return false;
    if (!(GetWindowLongW(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw std::runtime_error("Cannot focus a disabled or invisible window");
  ::SetFocus(hwnd_);
}

bool TWinControl::HoldsFocus() const {
  HWND focus = hwnd_ ? GetFocus() : nullptr;
  return focus && (focus == hwnd_ || IsChild(hwnd_, focus));
}

void TWinControl::HandOffFocus() {
  TForm* form = ParentForm();
  if (!form || form == this || !form->Handle() || form->Destroying()) return;
  form->RepairFocus(this);
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

// The shown, enabled picture button under container whose accelerator is
// letter; null when none.
TPicButton* ButtonOfAccel(const TContainer* container, wchar_t letter) {
  for (TControl* c : container->Controls()) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->Handle() || !w->Visible() || !w->Enabled()) continue;
    if (auto* button = dynamic_cast<TPicButton*>(w)) {
      if (TPicButton::SameLetter(button->AccelChar(), letter)) return button;
    }
    if (auto* inner = dynamic_cast<const TContainer*>(w))
      if (TPicButton* found = ButtonOfAccel(inner, letter)) return found;
  }
  return nullptr;
}

void CollectTabStops(const TContainer* container, std::vector<TWinControl*>& out) {
  for (TControl* c : container->Controls()) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->Handle() || !w->Visible() || !w->Enabled()) continue;
    if (w->TabStop()) out.push_back(w);
    if (auto* inner = dynamic_cast<const TContainer*>(w)) CollectTabStops(inner, out);
  }
}

}  // namespace

TWinControl* TForm::FirstFocusable(const TWinControl* leaving) const {
  for (TWinControl* c : TabOrder()) {
    if (leaving && (c == leaving || (leaving->Handle() && IsChild(leaving->Handle(), c->Handle()))))
      continue;
    if (c->CanFocus()) return c;
  }
  return nullptr;
}

void TForm::RepairFocus(const TWinControl* leaving) {
  if (!Handle()) return;
  TWinControl* first = FirstFocusable(leaving);
  if (first) {
    ::SetFocus(first->Handle());
  } else if (IsWindowVisible(Handle())) {
    ::SetFocus(Handle());
  } else {
    // A hidden form keeps no focus at all; the next activation picks a
    // control again (WM_ACTIVATE).
    HWND focus = GetFocus();
    if (focus && IsChild(Handle(), focus)) ::SetFocus(nullptr);
  }
}

bool TForm::DialogMessage(HWND root, MSG& msg) {
  if (!root) return false;
  if (IsKeyMessage(msg.message)) {
    // Not for this window: the dialog manager would not take it either.
    if (msg.hwnd != root && !IsChild(root, msg.hwnd)) return false;
    HWND focus = GetFocus();
    const bool focusHere = focus && (focus == root || IsChild(root, focus));
    if (focusHere && !Reachable(root, focus)) {
      // The toolkit hands the focus on whenever a control hides, is
      // disabled or goes; this is the last line should anything miss that.
      static bool logged = false;
      if (!logged) {
        logged = true;
        TWinControl* control = TWinControl::FromHandle(focus);
        LogWrite("Focus repaired: %s was hidden or disabled",
                 control ? control->Name().c_str() : "a window");
      }
      if (TForm* form = FromHandle(root))
        form->RepairFocus(nullptr);
      else
        ::SetFocus(root);
      return true;
    }
    // The focus is in another window now: the key was queued before it
    // moved there, and is not for this one any more.
    if (focus && !focusHere) return true;
    // A key for a control that has gone out of reach since it was queued
    // (the character of the Enter that switched the page): dropped.
    if (!Reachable(root, msg.hwnd)) return true;
    if (TForm* form = FromHandle(root))
      if (form->KeyPreview(msg) || form->NavigationKey(msg)) return true;
  }
  return IsDialogMessageW(root, &msg) != FALSE;
}

bool TForm::KeyPreview(const MSG& msg) {
  // Alt+letter (without Ctrl).
  if (msg.message != WM_SYSCHAR || (GetKeyState(VK_CONTROL) & 0x8000)) return false;
  // A UTF-16 unit: any letter of the basic plane, never half of a pair.
  if (msg.wParam < 0x21 || msg.wParam > 0xFFFF) return false;
  if (msg.wParam >= 0xD800 && msg.wParam <= 0xDFFF) return false;
  TPicButton* button = ButtonOfAccel(this, static_cast<wchar_t>(msg.wParam));
  if (!button) return false;
  button->Click();
  return true;
}

namespace {

bool IsArrowKey(WPARAM vk) {
  return vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
}

// Two picture buttons side by side or one above the other.
bool InLine(const TControl* a, const TControl* b) {
  const RECT ra = a->BoundsRect(), rb = b->BoundsRect();
  const bool row = ra.top < rb.bottom && rb.top < ra.bottom;
  const bool column = ra.left < rb.right && rb.left < ra.right;
  return row || column;
}

bool StartsGroup(const TWinControl* w) {
  return (GetWindowLongW(w->Handle(), GWL_STYLE) & WS_GROUP) != 0;
}

}  // namespace

std::vector<TWinControl*> TForm::ArrowGroup(TWinControl* control) {
  if (!control || !control->Parent()) return {control};
  std::vector<TWinControl*> shown;
  for (TControl* c : control->Parent()->Controls()) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->Handle() && (w == control || w->Visible())) shown.push_back(w);
  }
  const auto at = std::find(shown.begin(), shown.end(), control);
  if (at == shown.end()) return {control};
  // The run of like controls around it; a picture button of another row
  // breaks it like a control of another kind (the help button beside a
  // page's buttons, the footer beside the mode buttons).
  auto like = [control](const TWinControl* w) {
    return w->Kind() == control->Kind() && w->TabStop() == control->TabStop() &&
           (control->Kind() != TKind::PicButton || InLine(w, control));
  };
  auto first = at;
  while (first != shown.begin() && !StartsGroup(*first) && like(*(first - 1))) --first;
  auto last = at + 1;
  while (last != shown.end() && !StartsGroup(*last) && like(*last)) ++last;
  return std::vector<TWinControl*>(first, last);
}

bool TForm::NavigationKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (GetKeyState(VK_CONTROL) & 0x8000) ||
      (GetKeyState(VK_MENU) & 0x8000))
    return false;
  HWND focus = GetFocus();
  if (msg.wParam == VK_TAB && focus == Handle() && SelfTabStop()) {
    SelectNext(this, !(GetKeyState(VK_SHIFT) & 0x8000));
    return true;
  }
  if (!IsArrowKey(msg.wParam) || !focus || focus == Handle()) return false;
  TWinControl* control = TWinControl::FromHandle(focus);
  if (!control || control->ParentForm() != this) return false;
  MSG copy = msg;
  const LRESULT code =
      SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&copy));
  if (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  // The system's dialog manager would walk the whole group of the window
  // (into the footer's buttons, which Tab never reaches): the move stays in
  // the control's own group, wrapping around, and goes nowhere when it is
  // alone.
  const std::vector<TWinControl*> group = ArrowGroup(control);
  const auto at = std::find(group.begin(), group.end(), control);
  const size_t n = group.size();
  if (at == group.end() || n < 2) return true;
  const bool forward = msg.wParam == VK_RIGHT || msg.wParam == VK_DOWN;
  size_t i = static_cast<size_t>(at - group.begin());
  for (size_t tries = 1; tries < n; ++tries) {
    i = forward ? (i + 1) % n : (i + n - 1) % n;
    if (group[i]->CanFocus()) {
      SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
      ::SetFocus(group[i]->Handle());
      return true;
    }
  }
  return true;
}

std::vector<TWinControl*> TForm::TabOrder() const {
  std::vector<TWinControl*> order;
  CollectTabStops(this, order);
  return order;
}

void TForm::SelectNext(TWinControl* current, bool forward) {
  std::vector<TWinControl*> order = TabOrder();
  if (SelfTabStop()) order.insert(order.begin(), this);
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), current);
  size_t n = order.size();
  size_t at = it == order.end() ? (forward ? n - 1 : 0) : static_cast<size_t>(it - order.begin());
  size_t next = forward ? (at + 1) % n : (at + n - 1) % n;
  for (size_t tries = 0; tries < n; ++tries) {
    TWinControl* target = order[next];
    if (target->CanFocus()) {
      // Keyboard navigation shows where the focus is.
      SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
      ::SetFocus(target->Handle());
      if (target->Kind() == TKind::Edit) SendMessageW(target->Handle(), EM_SETSEL, 0, -1);
      return;
    }
    next = forward ? (next + 1) % n : (next + n - 1) % n;
  }
}
