#include "ui/Uform.h"

#include <algorithm>
#include <exception>
#include <map>

#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "config/Uunicode.h"
#include "ui/Upalette.h"
#include "ui/Upicture.h"
#include "ui/Uuithread.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

struct TDisableState {
  HWND self;
  std::vector<HWND> disabled;
};

BOOL CALLBACK DisableOthers(HWND w, LPARAM lp) {
  auto* state = reinterpret_cast<TDisableState*>(lp);
  if (w != state->self && IsWindowVisible(w) && IsWindowEnabled(w)) {
    EnableWindow(w, FALSE);
    state->disabled.push_back(w);
  }
  return TRUE;
}

bool IsMainWindow(HWND w) {
  return w && w == Application.MainWindow;
}

struct TOtherForm {
  HWND self;
  bool shown;
};

BOOL CALLBACK FindShownForm(HWND w, LPARAM lp) {
  auto* state = reinterpret_cast<TOtherForm*>(lp);
  if (w != state->self && IsWindowVisible(w) && TForm::FromHandle(w)) {
    state->shown = true;
    return FALSE;
  }
  return TRUE;
}

// True when this thread shows a form other than self.
bool OtherFormShown(HWND self) {
  TOtherForm state{self, false};
  EnumThreadWindows(GetCurrentThreadId(), FindShownForm, reinterpret_cast<LPARAM>(&state));
  return state.shown;
}

// The program's icon at size x size pixels; null without one. Kept for the
// program's life: every form at that size shares it.
HICON MainIcon(int size) {
  static std::map<int, HICON> icons;
  auto it = icons.find(size);
  if (it != icons.end()) return it->second;
  HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0));
  icons.emplace(size, icon);
  return icon;
}

// Every control inside a container, parents before their children.
void CollectControls(const TContainer* container, std::vector<TControl*>& out) {
  for (TControl* c : container->Controls()) {
    out.push_back(c);
    if (auto* inner = dynamic_cast<const TContainer*>(c)) CollectControls(inner, out);
  }
}

}  // namespace

// ---- TForm ------------------------------------------------------------------------

TForm::TForm(TComponent* owner, std::string name, DWORD style, DWORD exStyle)
    : TContainer(owner, nullptr, std::move(name), TKind::Form) {
  ui::InitUiThread();
  visible_ = false;
  SetColor(palette::Window);
  StoreBounds(0, 0, 320, 240);
  // Made at the system's DPI, then the window's own (its monitor's) taken.
  dpi_ = ui::dpi::System();
  CreateHandle(RegisterOwnClass("WuForm", CS_DBLCLKS, nullptr), style & ~WS_VISIBLE, exStyle,
               nullptr);
  const UINT own = ui::dpi::OfWindow(Handle());
  if (own != dpi_) {
    dpi_ = own;
    SetBounds(Left(), Top(), Width(), Height());
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
  }
  SetIcons();
}

TForm::~TForm() {
  *alive_ = false;
}

TForm* TForm::FromHandle(HWND hwnd) {
  return dynamic_cast<TForm*>(TWinControl::FromHandle(hwnd));
}

int TForm::ClientWidth() const {
  RECT r{};
  if (Handle()) GetClientRect(Handle(), &r);
  return ui::dpi::Unscale(r.right, dpi_);
}

int TForm::ClientHeight() const {
  RECT r{};
  if (Handle()) GetClientRect(Handle(), &r);
  return ui::dpi::Unscale(r.bottom, dpi_);
}

void TForm::SetClientSize(int width, int height) {
  if (!Handle()) return;
  const int cx = ui::dpi::Scale(std::max(0, width), dpi_);
  const int cy = ui::dpi::Scale(std::max(0, height), dpi_);
  RECT r{0, 0, cx, cy};
  ui::dpi::AdjustWindowRect(r, static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE)),
                            static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE)), dpi_);
  // Pixels straight to the window: a size that went through 96-DPI units
  // could come back a pixel off. WM_WINDOWPOSCHANGED stores it.
  int w = r.right - r.left, h = r.bottom - r.top;
  MoveWindow(Handle(), Left(), Top(), w, h, TRUE);
  // The frame the window really has may differ from the one computed for
  // the DPI (a system that draws frames at one DPI only): made up once.
  RECT client;
  if (IsIconic(Handle()) || !GetClientRect(Handle(), &client)) return;
  if (client.right == cx && client.bottom == cy) return;
  w += cx - client.right;
  h += cy - client.bottom;
  MoveWindow(Handle(), Left(), Top(), std::max(0, w), std::max(0, h), TRUE);
}

void TForm::SetIcons() {
  HICON big = MainIcon(ui::dpi::Metric(SM_CXICON, dpi_));
  HICON small = MainIcon(ui::dpi::Metric(SM_CXSMICON, dpi_));
  if (big) SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (small) SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void TForm::ApplyDpi(UINT dpi, const RECT* suggested) {
  // Nothing a display uses; a broken message changes nothing.
  if (dpi < 48 || dpi > 960) return;
  const UINT old = dpi_;
  if (!Handle()) {
    dpi_ = dpi;
    return;
  }
  if (dpi == old && !suggested) return;
  const int clientWidth = ClientWidth(), clientHeight = ClientHeight();
  dpi_ = dpi;
  if (suggested)
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  else
    SetClientSize(clientWidth, clientHeight);
  // Nothing is made again: windows keep their text, selection and focus,
  // and only take their pixel bounds and the font for the new DPI.
  std::vector<TControl*> all;
  CollectControls(this, all);
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
  for (TControl* c : all) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->Handle()) continue;
    SendMessageW(w->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(w->FontHandle()), FALSE);
    // Virtual: a combo box adds its dropped list.
    w->SetBounds(w->Left(), w->Top(), w->Width(), w->Height());
  }
  // Then what each keeps in pixels, with every window already in place.
  DpiChanged(old, dpi);
  for (TControl* c : all) c->DpiChanged(old, dpi);
  SetIcons();
  RedrawWindow(Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TForm::SetVisible(bool visible) {
  visible_ = visible;
  // The focused control is always marked, however the form was reached.
  if (visible && Handle()) ShowFocusCues();
  // Showing a minimised form brings it back to its normal size.
  if (Handle())
    ShowWindow(Handle(), !visible ? SW_HIDE : IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
  VisibleChanged();
}

void TForm::ShowFocusCues() {
  SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL),
               0);
}

bool TForm::Minimized() const {
  return Handle() && IsIconic(Handle());
}

void TForm::Restore() {
  if (!Handle()) return;
  visible_ = true;
  ShowFocusCues();
  ShowWindow(Handle(), IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
}

void TForm::BringToFront() {
  if (!Handle()) return;
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(Handle());
}

void TForm::CenterOn(const TForm* other) {
  if (!Handle()) return;
  RECT mine;
  GetWindowRect(Handle(), &mine);
  const int w = mine.right - mine.left, h = mine.bottom - mine.top;
  RECT area;
  int left, top;
  if (other && other->Handle() && other->Showing()) {
    RECT o;
    GetWindowRect(other->Handle(), &o);
    left = o.left + ((o.right - o.left) - w) / 2;
    top = o.top + ((o.bottom - o.top) - h) / 2;
    area = ui::dpi::WorkAreaOf(other->Handle());
  } else {
    area = ui::dpi::WorkAreaOf(Handle());
    left = area.left + ((area.right - area.left) - w) / 2;
    top = area.top + ((area.bottom - area.top) - h) / 2;
  }
  // Inside the work area; its top-left corner wins when it is too small.
  left = std::max<int>(area.left, std::min<int>(left, area.right - w));
  top = std::max<int>(area.top, std::min<int>(top, area.bottom - h));
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetModalResult(int result) {
  modalResult_ = result;
  // A result set inside a sent message leaves GetMessage waiting: wake it.
  if (result != mrNone && inModal_ && Handle()) PostMessageW(Handle(), WM_NULL, 0, 0);
}

int TForm::ShowModal() {
  if (!Handle() || inModal_) return mrCancel;
  HWND self = Handle();
  HWND owner = PopupParent ? PopupParent->Handle() : nullptr;
  if (!owner) {
    HWND active = GetActiveWindow();
    if (active && active != self && IsWindowVisible(active)) owner = active;
  }
  if (!owner && Application.MainWindow != self && Application.MainWindow &&
      IsWindowVisible(Application.MainWindow))
    owner = Application.MainWindow;
  if (owner && owner != self)
    SetWindowLongPtrW(self, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));

  TDisableState state{self, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOthers, reinterpret_cast<LPARAM>(&state));

  modalResult_ = mrNone;
  inModal_ = true;
  Show();
  SetForegroundWindow(self);
  bool quit = false;
  WPARAM quitCode = 0;
  std::shared_ptr<bool> alive = alive_;
  MSG msg;
  for (;;) {
    if (!*alive) break;
    if (modalResult_ != mrNone) {
      TCloseAction action = TCloseAction::Hide;
      FormClose(action);
      if (action != TCloseAction::None) break;
      modalResult_ = mrNone;
    }
    if (!IsWindow(self) || Application.Terminated()) {
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
      break;
    }
    BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (!*alive) {
      if (r == 0) quit = true, quitCode = msg.wParam;
      break;
    }
    if (r == 0) {
      quit = true;
      quitCode = msg.wParam;
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
      break;
    }
    if (r == -1) {
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
      break;
    }
    // Tab, Enter and Escape go to the dialog manager of the form they are for.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && TForm::FromHandle(root) && DialogMessage(root, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // Enable the others before hiding, so activation returns to the owner.
  for (HWND w : state.disabled)
    if (IsWindow(w)) EnableWindow(w, TRUE);
  if (!*alive) {
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return mrCancel;
  }
  int result = modalResult_;
  if (IsWindow(self)) {
    inModal_ = false;
    Hide();
    if (owner && IsWindow(owner) && IsWindowVisible(owner)) SetActiveWindow(owner);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return result;
}

void TForm::Close() {
  if (inModal_) {
    if (modalResult_ == mrNone) SetModalResult(mrCancel);
    return;
  }
  bool main = IsMainWindow(Handle());
  TCloseAction action = main ? TCloseAction::Free : TCloseAction::Hide;
  FormClose(action);
  if (action == TCloseAction::None) return;
  Hide();
  if (main) Application.Terminate();
}

void TForm::FormClose(TCloseAction& action) {
  Fire(OnClose, action);
}

void TForm::AddSysCommandListener(const void* key, std::function<void(WPARAM)> listener) {
  sysCommandListeners_[key] = std::move(listener);
}

void TForm::RemoveSysCommandListener(const void* key) {
  sysCommandListeners_.erase(key);
}

void TForm::PaintBackground(HDC dc, const RECT& clip) {
  if (Color() == CLR_NONE) {
    FillRect(dc, &clip, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  TContainer::PaintBackground(dc, clip);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DPICHANGED:
      ApplyDpi(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SHOWWINDOW:
      // With no form left on screen (in the tray), the pictures give back
      // their pixels; the next paint decodes them again.
      if (!wp && lp == 0 && !OtherFormShown(Handle())) TPicture::ReleasePixels();
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && (IsChild(Handle(), f) || (f == Handle() && SelfTabStop()))) savedFocus_ = f;
        return 0;
      }
      if (!HIWORD(wp)) {
        // Give the focus back to the control that had it (or to the form
        // itself when it is a stop of its own).
        HWND f = savedFocus_;
        const bool ours = f && (IsChild(Handle(), f) || (f == Handle() && SelfTabStop()));
        if (!(ours && IsWindow(f) && IsWindowVisible(f) && IsWindowEnabled(f))) {
          // The first control in Tab order.
          f = nullptr;
          for (TWinControl* c : TabOrder()) {
            if (c->CanFocus()) {
              f = c->Handle();
              break;
            }
          }
        }
        ::SetFocus(f ? f : Handle());
      }
      return 0;
    case WM_SYSCOMMAND: {
      LRESULT r = DefaultProc(msg, wp, lp);
      // Listeners may remove themselves: call a copy.
      auto listeners = sysCommandListeners_;
      for (auto& entry : listeners)
        if (entry.second) entry.second(wp & 0xFFF0);
      return r;
    }
    case WM_CHANGEUISTATE:
    case WM_UPDATEUISTATE:
      // Focus marks and accelerators stay shown, also after a mouse click.
      if (LOWORD(wp) == UIS_SET) {
        const WORD flags = HIWORD(wp) & ~(UISF_HIDEFOCUS | UISF_HIDEACCEL);
        if (!flags) return 0;
        wp = MAKEWPARAM(UIS_SET, flags);
      }
      break;
    case WM_NEXTDLGCTL: {
      // The dialog manager's Tab and arrows when the form itself has the
      // focus (no control of it could take it) or a control that leaves
      // Tab to it.
      if (LOWORD(lp)) {
        HWND target = reinterpret_cast<HWND>(wp);
        TWinControl* control = TWinControl::FromHandle(target);
        if (control && control->CanFocus() && IsChild(Handle(), target)) ::SetFocus(target);
      } else {
        SelectNext(TWinControl::FromHandle(GetFocus()), wp == 0);
      }
      return 0;
    }
    case WM_COMMAND:
      if (lp == 0 && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        DialogKey(LOWORD(wp));
        return 0;
      }
      break;
  }
  return TContainer::WndProc(msg, wp, lp);
}

// ---- TFrame --------------------------------------------------------------------------

TFrame::TFrame(TComponent* owner, TContainer* parent, std::string name)
    : TContainer(owner, parent, std::move(name), TKind::Frame) {
  visible_ = false;
  CreateHandle(RegisterOwnClass("WuFrame", CS_DBLCLKS, nullptr),
               WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
}

// ---- TPanel --------------------------------------------------------------------------

TPanel::TPanel(TComponent* owner, TContainer* parent, std::string name, const std::string& caption)
    : TContainer(owner, parent, std::move(name), TKind::Panel) {
  caption_ = caption;
  CreateHandle(RegisterOwnClass("WuPanel", CS_DBLCLKS, nullptr),
               WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
}

void TPanel::SetBorderColor(COLORREF color) {
  borderColor_ = color;
  Invalidate();
}

void TPanel::CaptionChanged() {
  Invalidate();
}

void TPanel::PaintOverlay(HDC dc, const RECT&) {
  RECT r{0, 0, PixelWidth(), PixelHeight()};
  if (Handle()) GetClientRect(Handle(), &r);
  if (borderColor_ != CLR_NONE) {
    HBRUSH b = CreateSolidBrush(borderColor_);
    RECT edge = r;
    for (int i = ui::dpi::Line(Dpi()); i > 0; --i) {
      FrameRect(dc, &edge, b);
      InflateRect(&edge, -1, -1);
    }
    DeleteObject(b);
  }
  const std::wstring text = Wide(Caption());
  if (text.empty()) return;
  HGDIOBJ old = SelectObject(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Enabled() ? Font().Color : palette::DisabledText);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
}
