// Windows of our own classes and subclassed standard controls both reach
// TWinControl::WndProc; a container hands the messages its children send it
// (commands, notifications, colour requests) back to the child.
#include <stdexcept>
#include <unordered_map>

#include "app/Udebug.h"
#include "config/Uunicode.h"
#include "ui/Ucontrol.h"

namespace {

// Which object a window belongs to. Every message of every control looks
// its object up, so the table lives in the process: a window property
// costs a round trip to the Wine server each time, which made filling a
// long list take a tenth of a second.
class TControlTable {
 public:
  TWinControl* Find(HWND hwnd) {
    AcquireSRWLockShared(&lock_);
    auto it = map_.find(hwnd);
    TWinControl* found = it == map_.end() ? nullptr : it->second;
    ReleaseSRWLockShared(&lock_);
    return found;
  }
  void Set(HWND hwnd, TWinControl* control) {
    AcquireSRWLockExclusive(&lock_);
    map_[hwnd] = control;
    ReleaseSRWLockExclusive(&lock_);
  }
  void Remove(HWND hwnd) {
    AcquireSRWLockExclusive(&lock_);
    map_.erase(hwnd);
    ReleaseSRWLockExclusive(&lock_);
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  std::unordered_map<HWND, TWinControl*> map_;
};

TControlTable& Controls() {
  static TControlTable* table = new TControlTable;  // outlives every window
  return *table;
}

}  // namespace

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  return Controls().Find(hwnd);
}

const char* TWinControl::RegisterOwnClass(const char* name, UINT style, HCURSOR cursor) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  HINSTANCE inst = GetModuleHandleW(nullptr);
  const std::wstring wideName = Wide(name);
  if (GetClassInfoExW(inst, wideName.c_str(), &wc)) return name;
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = &TWinControl::OwnClassProc;
  wc.hInstance = inst;
  wc.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
  // The program's icon at the sizes the system shows at its DPI (forms set
  // their own again at theirs).
  const UINT dpi = ui::dpi::System();
  const int big = ui::dpi::Metric(SM_CXICON, dpi), small = ui::dpi::Metric(SM_CXSMICON, dpi);
  wc.hIcon = static_cast<HICON>(LoadImageW(inst, L"MAINICON", IMAGE_ICON, big, big, 0));
  wc.hIconSm = static_cast<HICON>(LoadImageW(inst, L"MAINICON", IMAGE_ICON, small, small, 0));
  if (!wc.hIcon) wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.lpszClassName = wideName.c_str();
  RegisterClassExW(&wc);
  return name;
}

void TWinControl::CreateHandle(const char* className, DWORD style, DWORD exStyle,
                               HWND parentWindow) {
  HWND parent = parentWindow ? parentWindow : (Parent() ? Parent()->Handle() : nullptr);
  HMENU id = nullptr;
  if (style & WS_CHILD) {
    id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId()));
    // Overlapping siblings (a panel over a list) must not paint over each other.
    style |= WS_CLIPSIBLINGS;
  }
  if (visible_ && (style & WS_CHILD)) style |= WS_VISIBLE;
  if (!enabled_) style |= WS_DISABLED;
  inCreate_ = true;
  const RECT b = PixelBounds();
  HWND w = CreateWindowExW(exStyle, Wide(className).c_str(), Wide(caption_).c_str(), style, b.left,
                           b.top, b.right - b.left, b.bottom - b.top, parent, id,
                           GetModuleHandleW(nullptr), this);
  inCreate_ = false;
  if (!w) {
    LogError(GetLastError(), "CreateWindowEx(%s, %s)", className, Name().c_str());
    throw std::runtime_error("Cannot create window " + Name());
  }
  if (!hwnd_) Attach(w);
  WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWLP_WNDPROC));
  if (current != &TWinControl::OwnClassProc) {
    prevProc_ = current;
    SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::SubclassProc));
  }
  SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
  // A later control lies above the earlier ones, as it does among graphic
  // controls; the Tab key follows creation order on its own (SelectNext).
  if (style & WS_CHILD)
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Windows may adjust the size (combo boxes, forms); keep what it made.
  StoreWindowBounds();
}

void TWinControl::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  Controls().Set(hwnd, this);
}

LRESULT CALLBACK TWinControl::OwnClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* self = static_cast<TWinControl*>(cs->lpCreateParams);
    if (self) self->Attach(hwnd);
  }
  TWinControl* self = FromHandle(hwnd);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return Dispatch(self, hwnd, msg, wp, lp);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* self = FromHandle(hwnd);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return Dispatch(self, hwnd, msg, wp, lp);
}

LRESULT TWinControl::Dispatch(TWinControl* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCDESTROY) {
    LRESULT r = self->DefaultProc(msg, wp, lp);
    Controls().Remove(hwnd);
    if (self->prevProc_)
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->prevProc_));
    self->prevProc_ = nullptr;
    self->hwnd_ = nullptr;
    return r;
  }
  // Nothing may unwind through the system's window code.
  try {
    return self->WndProc(msg, wp, lp);
  } catch (const std::exception& e) {
    LogWrite("Exception(%s::WndProc %u): %s", self->Name().c_str(), msg, e.what());
  } catch (...) {
    LogWrite("Exception(%s::WndProc %u)", self->Name().c_str(), msg);
  }
  return 0;
}

LRESULT TWinControl::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (!hwnd_) return 0;
  if (prevProc_) return CallWindowProcW(prevProc_, hwnd_, msg, wp, lp);
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void TWinControl::ReleaseHandle() {
  if (!hwnd_) return;
  if (HoldsFocus()) HandOffFocus();
  HWND w = hwnd_;
  // From here on the window no longer reaches this half-destroyed object.
  Controls().Remove(w);
  if (prevProc_) SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc_));
  hwnd_ = nullptr;
  DestroyWindow(w);
}

bool TWinControl::HandleCommand(WORD, LRESULT&) {
  return false;
}
bool TWinControl::HandleNotify(NMHDR*, LRESULT&) {
  return false;
}
HBRUSH TWinControl::CtlColor(HDC, UINT) {
  return nullptr;
}

bool TContainer::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) {
        TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp));
        if (child && child != this && child->HandleCommand(HIWORD(wp), result)) return true;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      TWinControl* child = header ? FromHandle(header->hwndFrom) : nullptr;
      if (child && child != this && child->HandleNotify(header, result)) return true;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp));
      if (child && child != this) {
        HBRUSH brush = child->CtlColor(reinterpret_cast<HDC>(wp), msg);
        if (brush) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      }
      break;
    }
  }
  return false;
}
