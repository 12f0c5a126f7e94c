// The component and control core: ownership and names, fonts, bounds,
// visibility and captions of graphic and windowed controls. Subclassing,
// keyboard navigation, windowless mouse handling and parent painting live
// in their own files (see README.md).
#include "ui/Ucontrol.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

#include "ui/Uannounce.h"
#include "ui/Uform.h"

namespace {

// Component names are plain ASCII identifiers.
bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
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

void TComponent::MoveComponent(TComponent* component, size_t index) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it == components_.end()) return;
  components_.erase(it);
  components_.insert(
      components_.begin() + static_cast<std::ptrdiff_t>(std::min(index, components_.size())),
      component);
}

void TComponent::MoveAfter(TComponent* sibling) {
  if (!owner_) return;
  const std::vector<TComponent*>& list = owner_->components_;
  const auto it = std::find(list.begin(), list.end(), sibling);
  const size_t at = it == list.end() ? list.size() : static_cast<size_t>(it - list.begin()) + 1;
  owner_->MoveComponent(this, at);
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

HFONT TFont::Handle(UINT dpi) const {
  (void)dpi;
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
  ui::announce::Destroyed(this);
  DetachFromParent();
}

void TControl::StandAfter(TControl* after) {
  MoveAfter(after);
  if (!parent_) return;
  const std::vector<TControl*>& list = parent_->Controls();
  const auto it = std::find(list.begin(), list.end(), after);
  parent_->PlaceControl(
      this, it == list.end() ? list.size() : static_cast<size_t>(it - list.begin()) + 1);
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

UINT TControl::Dpi() const {
  const TForm* form = ParentForm();
  return form ? form->FormDpi() : ui::dpi::System();
}

RECT TControl::PixelBounds() const {
  return ui::dpi::ScaleRect(BoundsRect(), Dpi());
}

int TControl::PixelWidth() const {
  const RECT r = PixelBounds();
  return r.right - r.left;
}

int TControl::PixelHeight() const {
  const RECT r = PixelBounds();
  return r.bottom - r.top;
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
  ui::announce::VisibilityChanged(this);
}

void TGraphicControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  TControl::SetEnabled(enabled);
  Invalidate();
  ui::announce::StateChanged(this);
}

void TGraphicControl::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  TControl::SetCaption(caption);
  Invalidate();
  ui::announce::NameChanged(this);
}

// ---- TWinControl ------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner, TContainer* parent, std::string name, TKind kind)
    : TControl(owner, parent, std::move(name), kind) {}

TWinControl::~TWinControl() {
  // Owned controls go first, while this window still exists.
  DestroyComponents();
  ReleaseHandle();
  if (backBrush_) DeleteObject(backBrush_);
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
  LRESULT result = 0;
  if (ui::announce::Answer(this, msg, wp, lp, result)) return result;
  if (HandleTabKey(msg, wp, lp, result)) return result;
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
  // Hiding the focus window itself would leave the focus on the parent, a
  // frame or panel nobody can see is focused.
  const bool held = !visible && HoldsFocus();
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (held) HandOffFocus();
  VisibleChanged();
}

bool TWinControl::Enabled() const {
  return hwnd_ ? IsWindowEnabled(hwnd_) != FALSE : enabled_;
}

void TWinControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  // The system drops the focus of a window it disables, but not of the
  // controls inside it: both are handed on first.
  if (!enabled && HoldsFocus()) HandOffFocus();
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

void TWinControl::FontChanged() {
  if (hwnd_) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
}
