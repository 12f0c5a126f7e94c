// The component and control core: ownership and names, fonts, bounds,
// visibility and captions of graphic and windowed controls. Subclassing,
// keyboard navigation, windowless mouse handling and parent painting live
// in their own files (see README.md).
#include "ui/Ucontrol.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

#include "config/Uunicode.h"
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
    LOGFONTW lf{};
    if (ui::dpi::MessageFont(ui::dpi::kBase, lf) && lf.lfFaceName[0]) {
      f.Name = Utf8(lf.lfFaceName);
      f.Height = lf.lfHeight ? lf.lfHeight : -12;
    } else {
      f.Name = "Tahoma";
      f.Height = -11;
    }
    return f;
  }();
  return font;
}

HFONT TFont::Handle(UINT dpi) const {
  if (!dpi) dpi = ui::dpi::kBase;
  // Fonts are few and shared; they live until the program ends, so a window
  // never holds a deleted font.
  using Key = std::tuple<std::string, int, bool, bool, bool, UINT>;
  static std::map<Key, HFONT> cache;
  Key key{Name, Height, Bold, Italic, Underline, dpi};
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  int height = ui::dpi::Scale(Height, dpi);
  // The system's own face at its own size is what the system says it is at
  // that DPI (its sizes are hinted, not simply multiplied).
  const TFont& system = System();
  LOGFONTW message{};
  if (Name == system.Name && Height == system.Height && ui::dpi::MessageFont(dpi, message) &&
      message.lfHeight)
    height = message.lfHeight;
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = Bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = Italic;
  lf.lfUnderline = Underline;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  std::wstring face = Wide(Name);
  CutUtf16(face, LF_FACESIZE - 1);
  face.copy(lf.lfFaceName, face.size());
  HFONT font = CreateFontIndirectW(&lf);
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
  // Called in every paint: a walk up the parents, no cast to check.
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  if (c->Kind() == TKind::Form) return static_cast<const TForm*>(c)->FormDpi();
  return ui::dpi::System();
}

RECT TControl::PixelBounds() const {
  const UINT dpi = Dpi();
  if (parent_ || Kind() != TKind::Form) return ui::dpi::ScaleRect(BoundsRect(), dpi);
  int w = ui::dpi::Scale(width_, dpi);
  int h = ui::dpi::Scale(height_, dpi);
  RECT r;
  if (Handle() && GetWindowRect(Handle(), &r)) {
    if (ui::dpi::Unscale(r.right - r.left, dpi) == width_) w = r.right - r.left;
    if (ui::dpi::Unscale(r.bottom - r.top, dpi) == height_) h = r.bottom - r.top;
  }
  return RECT{left_, top_, left_ + w, top_ + h};
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
  const std::wstring wide = Wide(text);
  GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &size);
  if (text.empty()) {
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    size.cy = tm.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const UINT dpi = Dpi();
  return SIZE{ui::dpi::UnscaleUp(size.cx, dpi), ui::dpi::UnscaleUp(size.cy, dpi)};
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
  RECT r = PixelBounds();
  // Transparent windowed controls above this one repaint as well.
  RedrawWindow(Parent()->Handle(), &r, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
  RECT old = PixelBounds();
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
    if (hwnd_) StoreWindowBounds();
    return r;
  }
  return DefaultProc(msg, wp, lp);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  StoreBounds(left, top, width, height);
  if (!hwnd_) return;
  const RECT r = PixelBounds();
  MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void TWinControl::StoreWindowBounds() {
  RECT rc;
  if (!GetWindowRect(hwnd_, &rc)) return;
  const bool child = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) != 0;
  if (child) MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&rc), 2);
  const RECT mapped = PixelBounds();
  if (EqualRect(&rc, &mapped)) return;
  const UINT dpi = Dpi();
  if (!child) {
    // A form's place is in screen pixels.
    StoreBounds(rc.left, rc.top, ui::dpi::Unscale(rc.right - rc.left, dpi),
                ui::dpi::Unscale(rc.bottom - rc.top, dpi));
    return;
  }
  const RECT l = ui::dpi::UnscaleRect(rc, dpi);
  StoreBounds(l.left, l.top, l.right - l.left, l.bottom - l.top);
}

bool TWinControl::Visible() const {
  if (!hwnd_) return visible_;
  return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
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

std::string WindowText(HWND hwnd) {
  if (!hwnd) return {};
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(std::max(0, n)) + 1, L'\0');
  n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::max(0, n)));
  return Utf8(text);
}

std::string TWinControl::Caption() const {
  if (!hwnd_) return caption_;
  return WindowText(hwnd_);
}

void TWinControl::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextW(hwnd_, Wide(caption).c_str());
  CaptionChanged();
}

void TWinControl::Invalidate() {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TWinControl::FontChanged() {
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
}
