// The toolkit's base classes. Forms and frames own an ordered list of named
// components (layout and localisation walk it in ownership order); controls
// also have a parent container that shows them.
//
//   TComponent            name, kind, owner, owned components
//     TControl            parent, bounds, visibility, caption, font, mouse
//       TGraphicControl   no window: painted by its parent (labels, images)
//       TWinControl       holds an HWND (edits, lists, buttons, ...)
//         TContainer      paints its background and graphic children,
//                         hosts child controls (forms, frames, panels)
//
// The definitions are split by concern: Ucontrol.cpp (components and
// controls), Ucontainer.cpp (child list and painting), Usubclass.cpp (window
// procedures and messages handed back to children), Ukeynav.cpp (Tab order
// and focus), Uwindowless.cpp (mouse for graphic controls), Uparentpaint.cpp
// (the parent's background behind a control). Changes a screen reader must
// hear of go to the announcer of Uannounce.h.
#pragma once

#include <windows.h>
// (needs the types of windows.h)
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/Udpi.h"

class TControl;
class TContainer;
class TForm;

enum class TKind {
  Form,
  Frame,
  Panel,
  Label,
  ValueLabel,
  TabLabel,
  Edit,
  ComboBox,
  CheckBox,
  RadioButton,
  Image,
  PaintBox,
  ListView,
  PicButton,
  Timer,
  PopupMenu,
  MenuItem,
  TrayIcon,
  ImageList
};

class TComponent {
 public:
  TComponent(TComponent* owner, std::string name, TKind kind);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  TKind Kind() const { return kind_; }
  TComponent* Owner() const { return owner_; }
  // Owned components in ownership (creation) order.
  const std::vector<TComponent*>& Components() const { return components_; }
  // Owned component by name, without regard to case; null when none.
  TComponent* FindComponent(std::string_view name) const;
  virtual TControl* AsControl() { return nullptr; }
  // A label of any kind (plain, value, tab).
  bool IsLabel() const;
  // True while this component or one of its owners frees its components;
  // events are not fired then, because the owner is half gone.
  bool Destroying() const;

  int Tag = 0;

 protected:
  // Frees the owned components, last first.
  void DestroyComponents();
  // Moves an owned component to index in the ownership order, so that a
  // part built later stands where it would have stood had it been built
  // with its owner.
  void MoveComponent(TComponent* component, size_t index);
  // Moves this component right after sibling in its owner's ownership
  // order (last when sibling is not one of the owner's).
  void MoveAfter(TComponent* sibling);
  // Calls an event handler unless the component is being destroyed. The
  // handler is called through a copy: it may free its own component.
  template <class F, class... A>
  void Fire(const F& handler, A&&... args) const {
    if (!handler || Destroying()) return;
    F copy = handler;
    copy(std::forward<A>(args)...);
  }

 private:
  bool destroying_ = false;
  std::string name_;
  TKind kind_;
  TComponent* owner_;
  std::vector<TComponent*> components_;
};

struct TFont {
  std::string Name;
  // LOGFONT height in 96-DPI units: negative = character height. A window
  // gets the font for its own DPI.
  int Height = -12;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  COLORREF Color = RGB(0, 0, 0);

  // The system's message font (face, and size at 96 DPI), black.
  static TFont System();
  // A shared GDI font of these attributes at dpi; valid until the program
  // ends, and the same handle again for the same attributes and DPI.
  HFONT Handle(UINT dpi = ui::dpi::kBase) const;
  bool SameFace(const TFont& other) const;
};

enum class TMouseButton { Left, Right, Middle };
enum class TAlignment { Left, Right, Center };
enum class TTextLayout { Top, Center, Bottom };

using TNotifyEvent = std::function<void()>;
using TMouseEvent = std::function<void(TMouseButton button, UINT keys, int x, int y)>;
using TMouseMoveEvent = std::function<void(UINT keys, int x, int y)>;

class TControl : public TComponent {
 public:
  TControl(TComponent* owner, TContainer* parent, std::string name, TKind kind);
  ~TControl() override;

  TControl* AsControl() override { return this; }
  TContainer* Parent() const { return parent_; }
  virtual HWND Handle() const { return nullptr; }
  // A control built later than its siblings takes the place it would have
  // had: right after `after` in its owner's ownership order and in its
  // parent's stack and Tab order (last where `after` is not there).
  void StandAfter(TControl* after);
  // The top-level form that shows this control (itself for a form).
  TForm* ParentForm() const;

  // Bounds relative to the parent's client area (screen for forms), in
  // 96-DPI units: layout code never sees a pixel. A form's position is in
  // screen pixels (a place on the desktop has no 96-DPI meaning); its size
  // is in 96-DPI units like every other control's.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  // Negative sizes are clamped to 0.
  virtual void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }

  // The DPI the control is drawn at: its form's, the system's without one.
  UINT Dpi() const;
  // A 96-DPI distance in pixels at the control's DPI (drawing offsets).
  int Px(int value) const { return ui::dpi::Scale(value, Dpi()); }
  // Bounds in pixels of the parent's client area: the one mapping from
  // layout to pixels (edges scaled, so touching controls still touch). A
  // form: its screen position, and its window's size while that still reads
  // as the stored one (no rounding drift).
  RECT PixelBounds() const;
  int PixelWidth() const;
  int PixelHeight() const;

  virtual bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to the form showing as well.
  bool Showing() const;
  virtual bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  virtual std::string Caption() const { return caption_; }
  virtual void SetCaption(const std::string& caption);

  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  void SetFontHeight(int height);
  void SetFontColor(COLORREF color);
  void SetFontBold(bool bold);
  // The font at the control's DPI.
  HFONT FontHandle() const { return font_.Handle(Dpi()); }
  // Extent of a single line of text in this control's font, in 96-DPI
  // units (measured in pixels at the control's DPI, rounded up, so text
  // that fits by this measure fits on the screen).
  SIZE TextExtent(std::string_view text) const;

  // Background colour; CLR_NONE lets the parent's background show through.
  COLORREF Color() const { return color_; }
  void SetColor(COLORREF color);
  HCURSOR Cursor = nullptr;  // null: the arrow

  virtual void Invalidate();
  // Invalidates and paints at once.
  void Repaint();

  // Performs a click as the user would (fires OnClick).
  virtual void Click();
  // Above or below the siblings (windowed controls always lie above the
  // graphic ones of the same parent). Controls are stacked in creation
  // order, the last one on top.
  virtual void BringToFront();
  virtual void SendToBack();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // Mouse input, called by the parent for graphic controls and by the
  // window procedure for windowed ones; coordinates relative to the
  // control, in 96-DPI units.
  virtual void MouseDown(TMouseButton button, UINT keys, int x, int y);
  virtual void MouseUp(TMouseButton button, UINT keys, int x, int y);
  virtual void MouseMove(UINT keys, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void DblClick();

 protected:
  friend class TForm;  // ApplyDpi tells every control of the new DPI
  virtual void BoundsChanged(const RECT& old) { (void)old; }
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void CaptionChanged() {}
  virtual void FontChanged() {}
  // The form now draws at another DPI (moved to another monitor): the
  // control makes again what it keeps in pixels (fonts, pictures, column
  // widths). Bounds, text, selection and focus stay as they are.
  virtual void DpiChanged(UINT oldDpi, UINT newDpi) {
    (void)oldDpi;
    (void)newDpi;
  }
  // Stores bounds without touching any window (used when a window moved).
  void StoreBounds(int left, int top, int width, int height);
  void DetachFromParent();

  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;

 private:
  friend class TContainer;
  TContainer* parent_;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TFont font_;
  COLORREF color_ = CLR_NONE;
};

// A control without a window of its own: its parent paints it and routes
// the mouse to it.
class TGraphicControl : public TControl {
 public:
  TGraphicControl(TComponent* owner, TContainer* parent, std::string name, TKind kind);
  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetCaption(const std::string& caption) override;
  void Invalidate() override;

  // Paints into dc, whose origin is the control's top-left corner and whose
  // clip region is the control's bounds. The dc is in pixels: sizes come
  // from PixelWidth()/PixelHeight() and offsets through Px().
  virtual void Paint(HDC dc) = 0;
};

// A window's text as UTF-8 (read wide, so nothing is lost to the code page).
std::string WindowText(HWND hwnd);

class TWinControl : public TControl {
 public:
  TWinControl(TComponent* owner, TContainer* parent, std::string name, TKind kind);
  ~TWinControl() override;

  HWND Handle() const override { return hwnd_; }
  static TWinControl* FromHandle(HWND hwnd);

  void SetBounds(int left, int top, int width, int height) override;
  bool Visible() const override;
  void SetVisible(bool visible) override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  void Invalidate() override;

  void BringToFront() override;
  void SendToBack() override;

  bool Focused() const;
  // Enabled and showing, so that it can take the keyboard focus.
  bool CanFocus() const;
  // Reached with the Tab key.
  bool TabStop() const;
  // Throws std::runtime_error when the control cannot take the focus.
  void SetFocus();

  // Messages that the parent hands back to the control that sent them.
  virtual bool HandleCommand(WORD code, LRESULT& result);
  virtual bool HandleNotify(NMHDR* header, LRESULT& result);
  // Brush for WM_CTLCOLOR*; null for the default.
  virtual HBRUSH CtlColor(HDC dc, UINT message);

 protected:
  // Creates the window; standard classes are subclassed so that WndProc
  // sees their messages. parentWindow overrides the parent's handle (forms).
  void CreateHandle(const char* className, DWORD style, DWORD exStyle, HWND parentWindow = nullptr);
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
  void FontChanged() override;
  // The parent's background behind this control, as a brush aligned to the
  // control's client origin (for transparent standard controls).
  HBRUSH ParentBackgroundBrush();
  // Has the parent paint its client area behind rect (client coordinates of
  // this control) into dc; false when there is no parent window to ask.
  bool PaintParentBehind(HDC dc, const RECT& rect);
  // Window procedure of our own classes.
  static LRESULT CALLBACK OwnClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static const char* RegisterOwnClass(const char* name, UINT style, HCURSOR cursor);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT Dispatch(TWinControl* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Attach(HWND hwnd);
  // Takes the window's rectangle as the bounds when the system made it
  // other than PixelBounds() (a move by the user, a combo box's own
  // height); an equal one leaves the 96-DPI bounds as they are.
  void StoreWindowBounds();
  // Undoes the subclassing and destroys the window.
  void ReleaseHandle();
  // Tab and Shift+Tab; true when the message was handled.
  bool HandleTabKey(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // It or a control inside it has the keyboard focus.
  bool HoldsFocus() const;
  // When this control that held the focus hides, is disabled or goes: the
  // form's first control that can take the focus gets it, else the form.
  void HandOffFocus();

  HWND hwnd_ = nullptr;
  WNDPROC prevProc_ = nullptr;
  HBRUSH backBrush_ = nullptr;
  bool inCreate_ = false;
};

// A windowed control that hosts other controls and paints a background and
// its graphic children, double-buffered, so nothing flickers.
class TContainer : public TWinControl {
 public:
  TContainer(TComponent* owner, TContainer* parent, std::string name, TKind kind);
  ~TContainer() override;

  // Child controls in z-order (first is bottom).
  const std::vector<TControl*>& Controls() const { return controls_; }
  // Moves a child to index in that order, which is also the Tab order, its
  // window with it: a control built later takes the place it would have had
  // had it been built with its siblings.
  void PlaceControl(TControl* control, size_t index);
  // When set (and no colour is set), the parent's background shows through.
  bool ParentBackground() const { return parentBackground_; }
  void SetParentBackground(bool on);

  // Paints background and graphic children into dc, origin at the client
  // area's top-left corner; clip and dc in pixels.
  void PaintClient(HDC dc, const RECT& clip);
  // Topmost visible graphic child at a client point in pixels; null when
  // none.
  TControl* GraphicChildAt(POINT p) const;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // Background of the container itself (colour or the parent's).
  virtual void PaintBackground(HDC dc, const RECT& clip);
  // Painted after the graphic children (borders, captions).
  virtual void PaintOverlay(HDC dc, const RECT& clip);

 private:
  friend class TControl;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void MoveControl(TControl* control, bool toFront);
  // Mouse, hover and cursor of the graphic children; true when handled.
  bool HandleWindowlessMouse(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool RouteMouse(UINT msg, WPARAM wp, LPARAM lp);
  void SetHover(TControl* control);
  // Commands, notifications and colour requests go back to the child that
  // sent them; true when the child handled the message.
  bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  std::vector<TControl*> controls_;
  bool parentBackground_ = true;
  TControl* captureChild_ = nullptr;
  TControl* hoverChild_ = nullptr;
  bool trackingLeave_ = false;
};

// The id a toolkit control window gets from its parent (WM_COMMAND ids).
int NextControlId();
