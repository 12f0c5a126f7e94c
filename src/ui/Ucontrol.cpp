#include "ui/Ucontrol.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>
#include <tuple>

#include "app/Udebug.h"
#include "ui/Uform.h"

namespace {

const char kControlProp[] = "WuControl";

// Component names are plain ASCII identifiers.
bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool RectsIntersect(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != FALSE;
}

}  // namespace

int NextControlId() {
  static int next = 1000;
  return next++;
}

// ---- TComponent ---------------------------------------------------------------

TComponent::TComponent(TComponent* owner, std::string name, TKind kind)
    : name_(std::move(name)), kind_(kind), owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_) {
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TComponent::DestroyComponents() {
  destroying_ = true;
  while (!components_.empty()) delete components_.back();
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  for (TComponent* c : components_)
    if (EqualNoCase(c->Name(), name)) return c;
  return nullptr;
}

bool TComponent::IsLabel() const {
  return kind_ == TKind::Label || kind_ == TKind::ValueLabel || kind_ == TKind::TabLabel;
}

bool TComponent::Destroying() const {
  for (const TComponent* c = this; c; c = c->owner_)
    if (c->destroying_) return true;
  return false;
}

// ---- TFont ----------------------------------------------------------------------

TFont TFont::System() {
  static const TFont font = [] {
    TFont f;
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof(ncm);
    BOOL ok = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0);
    if (!ok) {
      // Older systems know the structure without the padded border field.
      ncm.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
      ok = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0);
    }
    if (ok && ncm.lfMessageFont.lfFaceName[0]) {
      f.Name = ncm.lfMessageFont.lfFaceName;
      f.Height = ncm.lfMessageFont.lfHeight ? ncm.lfMessageFont.lfHeight : -12;
    } else {
      f.Name = "Tahoma";
      f.Height = -11;
    }
    return f;
  }();
  return font;
}

HFONT TFont::Handle() const {
  // Fonts are few and shared; they live until the program ends, so a window
  // never holds a deleted font.
  using Key = std::tuple<std::string, int, bool, bool, bool>;
  static std::map<Key, HFONT> cache;
  Key key{Name, Height, Bold, Italic, Underline};
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  LOGFONTA lf{};
  lf.lfHeight = Height;
  lf.lfWeight = Bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = Italic;
  lf.lfUnderline = Underline;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynA(lf.lfFaceName, Name.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  cache.emplace(key, font);
  return font;
}

bool TFont::SameFace(const TFont& o) const {
  return Name == o.Name && Height == o.Height && Bold == o.Bold && Italic == o.Italic &&
         Underline == o.Underline;
}

// ---- TControl ---------------------------------------------------------------------

TControl::TControl(TComponent* owner, TContainer* parent, std::string name, TKind kind)
    : TComponent(owner, std::move(name), kind), parent_(parent), font_(TFont::System()) {
  if (parent_) parent_->InsertControl(this);
}

TControl::~TControl() {
  DetachFromParent();
}

void TControl::DetachFromParent() {
  if (parent_) parent_->RemoveControl(this);
  parent_ = nullptr;
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::StoreBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = std::max(0, width);
  height_ = std::max(0, height);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  RECT old = BoundsRect();
  StoreBounds(left, top, width, height);
  BoundsChanged(old);
}

void TControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  VisibleChanged();
}

bool TControl::Showing() const {
  if (!Visible()) return false;
  if (Handle()) return IsWindowVisible(Handle()) != FALSE;
  return parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  EnabledChanged();
}

void TControl::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  CaptionChanged();
}

void TControl::SetFont(const TFont& font) {
  font_ = font;
  FontChanged();
  Invalidate();
}

void TControl::SetFontHeight(int height) {
  TFont f = font_;
  f.Height = height;
  SetFont(f);
}

void TControl::SetFontColor(COLORREF color) {
  TFont f = font_;
  f.Color = color;
  SetFont(f);
}

void TControl::SetFontBold(bool bold) {
  TFont f = font_;
  f.Bold = bold;
  SetFont(f);
}

SIZE TControl::TextExtent(std::string_view text) const {
  SIZE size{0, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontHandle());
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  if (text.empty()) {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    size.cy = tm.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

void TControl::SetColor(COLORREF color) {
  color_ = color;
  Invalidate();
}

void TControl::Invalidate() {}

void TControl::Repaint() {
  Invalidate();
  HWND w = Handle() ? Handle() : (parent_ ? parent_->Handle() : nullptr);
  if (w) UpdateWindow(w);
}

void TControl::BringToFront() {
  if (parent_) parent_->MoveControl(this, true);
  Invalidate();
}

void TControl::SendToBack() {
  if (parent_) parent_->MoveControl(this, false);
  Invalidate();
}

void TControl::Click() {
  Fire(OnClick);
}
void TControl::DblClick() {
  Fire(OnDblClick);
}
void TControl::MouseDown(TMouseButton b, UINT keys, int x, int y) {
  Fire(OnMouseDown, b, keys, x, y);
}
void TControl::MouseUp(TMouseButton b, UINT keys, int x, int y) {
  Fire(OnMouseUp, b, keys, x, y);
}
void TControl::MouseMove(UINT keys, int x, int y) {
  Fire(OnMouseMove, keys, x, y);
}
void TControl::MouseEnter() {
  Fire(OnMouseEnter);
}
void TControl::MouseLeave() {
  Fire(OnMouseLeave);
}

// ---- TGraphicControl -----------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner, TContainer* parent, std::string name,
                                 TKind kind)
    : TControl(owner, parent, std::move(name), kind) {}

void TGraphicControl::Invalidate() {
  if (!Parent() || !Parent()->Handle()) return;
  RECT r = BoundsRect();
  // Transparent windowed controls above this one repaint as well.
  RedrawWindow(Parent()->Handle(), &r, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
  RECT old = BoundsRect();
  if (visible_ && Parent() && Parent()->Handle())
    RedrawWindow(Parent()->Handle(), &old, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  TControl::SetBounds(left, top, width, height);
  if (visible_) Invalidate();
}

void TGraphicControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  TControl::SetVisible(visible);
  Invalidate();
}

void TGraphicControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  TControl::SetEnabled(enabled);
  Invalidate();
}

void TGraphicControl::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  TControl::SetCaption(caption);
  Invalidate();
}

// ---- TWinControl ------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner, TContainer* parent, std::string name, TKind kind)
    : TControl(owner, parent, std::move(name), kind) {}

TWinControl::~TWinControl() {
  // Owned controls go first, while this window still exists.
  DestroyComponents();
  if (hwnd_) {
    HWND w = hwnd_;
    // From here on the window no longer reaches this half-destroyed object.
    RemovePropA(w, kControlProp);
    if (prevProc_) SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc_));
    hwnd_ = nullptr;
    DestroyWindow(w);
  }
  if (backBrush_) DeleteObject(backBrush_);
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<TWinControl*>(GetPropA(hwnd, kControlProp));
}

const char* TWinControl::RegisterOwnClass(const char* name, UINT style, HCURSOR cursor) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (GetClassInfoExA(inst, name, &wc)) return name;
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = &TWinControl::OwnClassProc;
  wc.hInstance = inst;
  wc.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(inst, "MAINICON");
  if (!wc.hIcon) wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
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
  HWND w = CreateWindowExA(exStyle, className, caption_.c_str(), style, Left(), Top(), Width(),
                           Height(), parent, id, GetModuleHandleA(nullptr), this);
  inCreate_ = false;
  if (!w) {
    LogError(GetLastError(), "CreateWindowEx(%s, %s)", className, Name().c_str());
    throw std::runtime_error("Cannot create window " + Name());
  }
  if (!hwnd_) Attach(w);
  WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC));
  if (current != &TWinControl::OwnClassProc) {
    prevProc_ = current;
    SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::SubclassProc));
  }
  SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
  // A later control lies above the earlier ones, as it does among graphic
  // controls; the Tab key follows creation order on its own (SelectNext).
  if (style & WS_CHILD)
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Windows may adjust the size (combo boxes, forms); keep what it made.
  RECT r;
  GetWindowRect(w, &r);
  if (style & WS_CHILD) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  StoreBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropA(hwnd, kControlProp, this);
}

LRESULT CALLBACK TWinControl::OwnClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    auto* self = static_cast<TWinControl*>(cs->lpCreateParams);
    if (self) self->Attach(hwnd);
  }
  TWinControl* self = FromHandle(hwnd);
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  return Dispatch(self, hwnd, msg, wp, lp);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* self = FromHandle(hwnd);
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  return Dispatch(self, hwnd, msg, wp, lp);
}

LRESULT TWinControl::Dispatch(TWinControl* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCDESTROY) {
    LRESULT r = self->DefaultProc(msg, wp, lp);
    RemovePropA(hwnd, kControlProp);
    if (self->prevProc_)
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->prevProc_));
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
  if (prevProc_) return CallWindowProcA(prevProc_, hwnd_, msg, wp, lp);
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

bool TWinControl::TabStop() const {
  return hwnd_ &&
         (GetWindowLongA(hwnd_, GWL_STYLE) & (WS_TABSTOP | WS_CHILD)) == (WS_TABSTOP | WS_CHILD);
}

// Windowed controls keep their place in the parent's list, which is also
// the Tab order; only the window moves.
void TWinControl::BringToFront() {
  if (hwnd_) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SendToBack() {
  if (hwnd_) SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // Tab and Shift+Tab move the focus in creation order.
  if (msg == WM_GETDLGCODE && TabStop()) return DefaultProc(msg, wp, lp) | DLGC_WANTTAB;
  if (msg == WM_KEYDOWN && wp == VK_TAB && TabStop() && !(GetKeyState(VK_CONTROL) & 0x8000) &&
      !(GetKeyState(VK_MENU) & 0x8000)) {
    if (TForm* form = ParentForm()) {
      form->SelectNext(this, !(GetKeyState(VK_SHIFT) & 0x8000));
      return 0;
    }
  }
  if (msg == WM_CHAR && wp == '\t' && TabStop()) return 0;
  if (msg == WM_WINDOWPOSCHANGED && hwnd_) {
    LRESULT r = DefaultProc(msg, wp, lp);
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    if (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD)
      MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&rc), 2);
    StoreBounds(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    return r;
  }
  return DefaultProc(msg, wp, lp);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  StoreBounds(left, top, width, height);
  if (hwnd_) MoveWindow(hwnd_, left, top, std::max(0, width), std::max(0, height), TRUE);
}

bool TWinControl::Visible() const {
  if (!hwnd_) return visible_;
  return (GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TWinControl::SetVisible(bool visible) {
  visible_ = visible;
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  VisibleChanged();
}

bool TWinControl::Enabled() const {
  return hwnd_ ? IsWindowEnabled(hwnd_) != FALSE : enabled_;
}

void TWinControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled);
  EnabledChanged();
}

std::string TWinControl::Caption() const {
  if (!hwnd_) return caption_;
  int n = GetWindowTextLengthA(hwnd_);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(hwnd_, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(0, n)));
  return text;
}

void TWinControl::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextA(hwnd_, caption.c_str());
  CaptionChanged();
}

void TWinControl::Invalidate() {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
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

bool TWinControl::HandleCommand(WORD, LRESULT&) {
  return false;
}
bool TWinControl::HandleNotify(NMHDR*, LRESULT&) {
  return false;
}
HBRUSH TWinControl::CtlColor(HDC, UINT) {
  return nullptr;
}

void TWinControl::FontChanged() {
  if (hwnd_) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
}

HBRUSH TWinControl::ParentBackgroundBrush() {
  if (!hwnd_ || !Parent() || !Parent()->Handle()) return nullptr;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  int w = std::max<int>(1, rc.right), h = std::max<int>(1, rc.bottom);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  PaintParentBehind(mem, RECT{0, 0, w, h});
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  HBRUSH brush = CreatePatternBrush(bmp);
  DeleteObject(bmp);
  if (backBrush_) DeleteObject(backBrush_);
  backBrush_ = brush;
  return brush;
}

bool TWinControl::PaintParentBehind(HDC dc, const RECT& rect) {
  if (!hwnd_ || !Parent() || !Parent()->Handle()) return false;
  POINT o{0, 0};
  MapWindowPoints(hwnd_, Parent()->Handle(), &o, 1);
  int saved = SaveDC(dc);
  // The parent paints in its own coordinates, where our origin is o.
  OffsetViewportOrgEx(dc, -o.x, -o.y, nullptr);
  RECT pc = rect;
  OffsetRect(&pc, o.x, o.y);
  Parent()->PaintClient(dc, pc);
  RestoreDC(dc, saved);
  return true;
}

// ---- TContainer -------------------------------------------------------------------------

TContainer::TContainer(TComponent* owner, TContainer* parent, std::string name, TKind kind)
    : TWinControl(owner, parent, std::move(name), kind) {}

TContainer::~TContainer() {
  // Children owned elsewhere lose their parent with this window.
  DestroyComponents();
  while (!controls_.empty()) controls_.back()->DetachFromParent();
}

void TContainer::InsertControl(TControl* control) {
  controls_.push_back(control);
}

void TContainer::MoveControl(TControl* control, bool toFront) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (toFront)
    controls_.push_back(control);
  else
    controls_.insert(controls_.begin(), control);
}

void TContainer::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (captureChild_ == control) captureChild_ = nullptr;
  if (hoverChild_ == control) hoverChild_ = nullptr;
}

void TContainer::SetParentBackground(bool on) {
  parentBackground_ = on;
  Invalidate();
}

void TContainer::PaintBackground(HDC dc, const RECT& clip) {
  if (Color() != CLR_NONE) {
    HBRUSH b = CreateSolidBrush(Color());
    FillRect(dc, &clip, b);
    DeleteObject(b);
    return;
  }
  if (parentBackground_ && PaintParentBehind(dc, clip)) return;
  FillRect(dc, &clip, GetSysColorBrush(COLOR_BTNFACE));
}

void TContainer::PaintOverlay(HDC, const RECT&) {}

void TContainer::PaintClient(HDC dc, const RECT& clip) {
  PaintBackground(dc, clip);
  for (size_t i = 0; i < controls_.size(); ++i) {
    TControl* c = controls_[i];
    if (c->Handle() || !c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
    RECT b = c->BoundsRect();
    if (!RectsIntersect(b, clip)) continue;
    int saved = SaveDC(dc);
    POINT org;
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.x + b.left, org.y + b.top, nullptr);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    try {
      static_cast<TGraphicControl*>(c)->Paint(dc);
    } catch (const std::exception& e) {
      LogWrite("Exception(%s::Paint): %s", c->Name().c_str(), e.what());
    }
    RestoreDC(dc, saved);
  }
  PaintOverlay(dc, clip);
}

TControl* TContainer::GraphicChildAt(POINT p) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (c->Handle() || !c->Visible()) continue;
    RECT b = c->BoundsRect();
    if (PtInRect(&b, p)) return c;
  }
  return nullptr;
}

void TContainer::SetHover(TControl* control) {
  if (control == hoverChild_) return;
  TControl* old = hoverChild_;
  hoverChild_ = control;
  if (old) old->MouseLeave();
  if (control && hoverChild_ == control) control->MouseEnter();
}

bool TContainer::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  UINT keys = static_cast<UINT>(wp);
  TMouseButton button = TMouseButton::Left;
  if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK)
    button = TMouseButton::Right;
  if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP || msg == WM_MBUTTONDBLCLK)
    button = TMouseButton::Middle;
  TControl* hit = GraphicChildAt(p);
  if (hit && !hit->Enabled()) hit = nullptr;
  switch (msg) {
    case WM_MOUSEMOVE: {
      if (!trackingLeave_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
      }
      SetHover(hit);
      TControl* target = captureChild_ ? captureChild_ : hit;
      if (target)
        target->MouseMove(keys, p.x - target->Left(), p.y - target->Top());
      else
        MouseMove(keys, p.x, p.y);
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (hit) {
        captureChild_ = hit;
        SetCapture(Handle());
        hit->MouseDown(button, keys, p.x - hit->Left(), p.y - hit->Top());
      } else {
        MouseDown(button, keys, p.x, p.y);
      }
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (captureChild_) {
        TControl* c = captureChild_;
        captureChild_ = nullptr;
        if (GetCapture() == Handle()) ReleaseCapture();
        RECT b = c->BoundsRect();
        bool inside = PtInRect(&b, p) != FALSE;
        c->MouseUp(button, keys, p.x - c->Left(), p.y - c->Top());
        // The handler may have removed the control.
        bool alive = std::find(controls_.begin(), controls_.end(), c) != controls_.end();
        if (alive && inside && button == TMouseButton::Left) c->Click();
      } else if (hit) {
        hit->MouseUp(button, keys, p.x - hit->Left(), p.y - hit->Top());
      } else {
        MouseUp(button, keys, p.x, p.y);
      }
      return true;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (hit) {
        captureChild_ = hit;
        SetCapture(Handle());
        hit->MouseDown(button, keys, p.x - hit->Left(), p.y - hit->Top());
        bool alive = std::find(controls_.begin(), controls_.end(), hit) != controls_.end();
        if (alive && button == TMouseButton::Left) hit->DblClick();
      } else {
        MouseDown(button, keys, p.x, p.y);
        if (button == TMouseButton::Left) DblClick();
      }
      return true;
  }
  return false;
}

LRESULT TContainer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      // Everything is painted in WM_PAINT through one off-screen bitmap.
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      RECT r = ps.rcPaint;
      int w = r.right - r.left, h = r.bottom - r.top;
      if (w > 0 && h > 0) {
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        SetViewportOrgEx(mem, -r.left, -r.top, nullptr);
        PaintClient(mem, r);
        SetViewportOrgEx(mem, 0, 0, nullptr);
        BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
      }
      EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT r;
      GetClientRect(Handle(), &r);
      PaintClient(reinterpret_cast<HDC>(wp), r);
      return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (RouteMouse(msg, wp, lp)) return 0;
      break;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      SetHover(nullptr);
      return 0;
    case WM_CAPTURECHANGED:
      captureChild_ = nullptr;
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == Handle() && LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(Handle(), &p);
        TControl* hit = GraphicChildAt(p);
        HCURSOR cursor = hit ? hit->Cursor : Cursor;
        if (cursor) {
          SetCursor(cursor);
          return TRUE;
        }
      }
      break;
    case WM_COMMAND:
      if (lp) {
        TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp));
        LRESULT result = 0;
        if (child && child != this && child->HandleCommand(HIWORD(wp), result)) return result;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      TWinControl* child = header ? FromHandle(header->hwndFrom) : nullptr;
      LRESULT result = 0;
      if (child && child != this && child->HandleNotify(header, result)) return result;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp));
      if (child && child != this) {
        HBRUSH brush = child->CtlColor(reinterpret_cast<HDC>(wp), msg);
        if (brush) return reinterpret_cast<LRESULT>(brush);
      }
      break;
    }
  }
  return TWinControl::WndProc(msg, wp, lp);
}
