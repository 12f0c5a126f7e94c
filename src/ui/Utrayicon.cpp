#include "ui/Utrayicon.h"

#include "app/Udebug.h"
#include "config/Uunicode.h"
#include "ui/Uform.h"
#include "ui/Umenu.h"
#include "ui/Upicture.h"
#include "ui/Uuithread.h"

namespace {

constexpr UINT kIconMessage = WM_APP + 10;
// Adds the icon from the message loop (see SetVisible).
constexpr UINT kAddMessage = WM_APP + 11;
constexpr UINT kIconId = 1;
const wchar_t kClassName[] = L"WuTrayIconWindow";

// Text into a fixed field of the shell's record: cut to what it holds, never
// between the halves of a surrogate pair, and always terminated.
template <size_t N>
std::string PutField(wchar_t (&field)[N], const std::string& text) {
  std::wstring wide = Wide(text);
  CutUtf16(wide, N - 1);
  wide.copy(field, wide.size());
  field[wide.size()] = L'\0';
  return Utf8(wide);
}

UINT TaskbarCreatedMessage() {
  static UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
  return msg;
}

}  // namespace

TTrayIcon::TTrayIcon(TComponent* owner, std::string name)
    : TComponent(owner, std::move(name), TKind::TrayIcon) {
  ui::InitUiThread();
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(inst, kClassName, &wc)) {
    wc = WNDCLASSW{};
    wc.lpfnWndProc = &TTrayIcon::WindowProc;
    wc.hInstance = inst;
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
  }
  // A hidden top-level window: it also hears the shell's restart broadcast.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, inst, nullptr);
  if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (auto* form = dynamic_cast<TForm*>(owner))
    form->AddSysCommandListener(this, [this](WPARAM cmd) { FormSysCommand(cmd); });
}

TTrayIcon::~TTrayIcon() {
  if (auto* form = dynamic_cast<TForm*>(Owner())) form->RemoveSysCommandListener(this);
  if (added_) Update(NIM_DELETE);
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void TTrayIcon::FillData(NOTIFYICONDATAW& data) const {
  data = NOTIFYICONDATAW{};
  data.cbSize = sizeof(data);
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kIconMessage;
  // The notification area shows small icons at the system's DPI.
  data.hIcon =
      icons_ ? icons_->Icon(iconIndex_, ui::dpi::Metric(SM_CXSMICON, ui::dpi::System())) : nullptr;
  PutField(data.szTip, hint_);
}

void TTrayIcon::Update(DWORD command) {
  if (!window_) return;
  NOTIFYICONDATAW data;
  FillData(data);
  switch (command) {
    case NIM_ADD:
      added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
      if (!added_) LogWrite("TTrayIcon: the shell refused the icon");
      break;
    case NIM_MODIFY:
      if (added_) Shell_NotifyIconW(NIM_MODIFY, &data);
      break;
    case NIM_DELETE:
      Shell_NotifyIconW(NIM_DELETE, &data);
      added_ = false;
      break;
  }
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  if (!added_ || !window_) return false;
  NOTIFYICONDATAW data;
  FillData(data);
  data.uFlags |= NIF_INFO;
  const std::string shownText = PutField(data.szInfo, text);
  const std::string shownTitle = PutField(data.szInfoTitle, title);
  data.dwInfoFlags = NIIF_INFO;
  data.uTimeout = 10000;
  if (!Shell_NotifyIconW(NIM_MODIFY, &data)) return false;
  balloon_ = shownText;
  balloonTitle_ = shownTitle;
  return true;
}

void TTrayIcon::SetVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  if (on) {
    // Wine's shell takes some 40 ms to add an icon: that wait gets a turn of
    // the message loop of its own instead of lengthening the caller's (the
    // selection of an adapter, say).
    if (!window_ || !PostMessageW(window_, kAddMessage, 0, 0)) Update(NIM_ADD);
  } else {
    Update(NIM_DELETE);
    // A form hidden by minimising comes back when the icon goes, unless it
    // was shown again meanwhile: a normal window must not be minimised.
    if (hiddenByMinimise_) {
      hiddenByMinimise_ = false;
      if (auto* form = dynamic_cast<TForm*>(Owner());
          form && form->Handle() && !IsWindowVisible(form->Handle()) && IsIconic(form->Handle()))
        ShowWindow(form->Handle(), SW_SHOWMINNOACTIVE);
    }
  }
}

void TTrayIcon::SetIcons(const TImageList* icons) {
  icons_ = icons;
  Update(NIM_MODIFY);
}

namespace {
// Wine's notification area draws a changed icon over the old one without
// clearing it, so the old picture shows through its transparent parts.
bool TrayNeedsReAdd() {
  static const bool wine =
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}
}  // namespace

void TTrayIcon::SetIconIndex(int index) {
  if (index == iconIndex_) return;
  iconIndex_ = index;
  // Windows keeps the icon's place only when it is modified, so re-adding is
  // kept to Wine, where it is the only way to repaint the icon cleanly.
  if (added_ && TrayNeedsReAdd()) {
    Update(NIM_DELETE);
    Update(NIM_ADD);
    return;
  }
  Update(NIM_MODIFY);
}

void TTrayIcon::SetHint(const std::string& hint) {
  // The shell's classic tip holds 63 characters (UTF-16 units).
  if (Wide(hint).size() >= 64) return;
  hint_ = hint;
  Update(NIM_MODIFY);
}

void TTrayIcon::FormSysCommand(WPARAM command) {
  auto* form = dynamic_cast<TForm*>(Owner());
  if (!form || !form->Handle()) return;
  if (command == SC_MINIMIZE && visible_ && IsIconic(form->Handle())) {
    // Without its window the form has no taskbar button; the icon stays.
    ShowWindow(form->Handle(), SW_HIDE);
    hiddenByMinimise_ = true;
  } else if (command == SC_RESTORE && hiddenByMinimise_) {
    hiddenByMinimise_ = false;
    ShowWindow(form->Handle(), SW_SHOW);
  }
}

void TTrayIcon::HandleIconMessage(UINT mouseMessage) {
  POINT p{0, 0};
  GetCursorPos(&p);
  switch (mouseMessage) {
    case WM_LBUTTONUP:
      Fire(OnClick);
      break;
    case WM_LBUTTONDBLCLK:
      Fire(OnDblClick);
      break;
    case WM_LBUTTONDOWN:
      Fire(OnMouseDown, TMouseButton::Left, 0u, static_cast<int>(p.x), static_cast<int>(p.y));
      break;
    case WM_RBUTTONDOWN:
      Fire(OnMouseDown, TMouseButton::Right, 0u, static_cast<int>(p.x), static_cast<int>(p.y));
      break;
    case WM_RBUTTONUP:
      if (OnMouseUp) {
        Fire(OnMouseUp, TMouseButton::Right, 0u, static_cast<int>(p.x), static_cast<int>(p.y));
      } else if (PopupMenu) {
        // The menu closes properly only when its window is in front.
        SetForegroundWindow(window_);
        PopupMenu->Popup(p.x, p.y, window_);
        PostMessageW(window_, WM_NULL, 0, 0);
      }
      break;
  }
}

LRESULT CALLBACK TTrayIcon::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TTrayIcon*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) {
    try {
      if (msg == kIconMessage && wp == kIconId) {
        self->HandleIconMessage(static_cast<UINT>(lp));
        return 0;
      }
      if (msg == kAddMessage) {
        if (self->visible_ && !self->added_) self->Update(NIM_ADD);
        return 0;
      }
      if (msg == WM_CLOSE) {
        if (self->OnClose) self->OnClose();
        return 0;
      }
      if (msg == TaskbarCreatedMessage() && msg != 0) {
        // The shell restarted: show the icon again.
        if (self->visible_) self->Update(NIM_ADD);
        return 0;
      }
    } catch (const std::exception& e) {
      LogWrite("Exception(TTrayIcon::WindowProc): %s", e.what());
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}
