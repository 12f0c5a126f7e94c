// Containers: top-level forms with a modal loop, frames (the pages' child
// windows) and panels.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Ucontrol.h"

// What a close request does with a form.
enum class TCloseAction { None, Hide, Free };

// Results of a modal form, as the Windows message box numbers them.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

class TForm : public TContainer {
 public:
  static constexpr DWORD kDefaultStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  static constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

  // The window is created hidden; owner may be null (the form then belongs
  // to whoever deletes it).
  TForm(TComponent* owner, std::string name, DWORD style = kDefaultStyle,
        DWORD exStyle = WS_EX_CONTROLPARENT);
  ~TForm() override;

  static TForm* FromHandle(HWND hwnd);

  // Client size in 96-DPI units.
  int ClientWidth() const;
  int ClientHeight() const;
  void SetClientSize(int width, int height);

  // The DPI the form draws at: its monitor's when it was made, then what
  // WM_DPICHANGED says.
  UINT FormDpi() const { return dpi_; }
  // What WM_DPICHANGED does: the window takes the suggested rectangle
  // (when given, else keeps its client size in 96-DPI units), every control
  // its pixel bounds, font and pictures for the new DPI. Page, selection,
  // typed text and focus stay.
  void ApplyDpi(UINT dpi, const RECT* suggested);

  void SetVisible(bool visible) override;
  // Focus rectangles and accelerator marks shown on every control.
  void ShowFocusCues();
  bool Minimized() const;
  // Shows the window and restores it when it is minimised.
  void Restore();
  void BringToFront();
  // Centres the form over another form, or on the work area of its
  // monitor when other is null; kept inside that work area.
  void CenterOn(const TForm* other);

  // Modal show: other windows of the thread are disabled while the form
  // runs its own message loop, which ends when ModalResult is set or the
  // form is closed (cancel result). Returns the modal result.
  virtual int ShowModal();
  bool InModal() const { return inModal_; }
  int ModalResult() const { return modalResult_; }
  // Ends a running modal loop with this result (0 does nothing).
  void SetModalResult(int result);
  // The window that owns the form while it is modal; null: the active
  // window of the thread, else the application's main window.
  TForm* PopupParent = nullptr;

  // A close request (close box, system menu, Close()): the form decides
  // through FormClose and OnClose. A modal form ends its loop with the
  // cancel result instead of hiding. None keeps the form as it is; Hide and
  // Free hide it (whoever owns the object frees it); for the application's
  // main window both also end the message loop.
  void Close();
  // Default: Hide, or Free for the application's main window.
  virtual void FormClose(TCloseAction& action);
  std::function<void(TCloseAction& action)> OnClose;

  // Moves the focus to the next (or previous) control that takes the Tab
  // key, in creation order through frames and panels, wrapping around; the
  // form itself comes first when it is a stop of its own (SelfTabStop).
  void SelectNext(TWinControl* current, bool forward);
  // The form draws something that takes the focus itself (a tab strip): it
  // stands first in the Tab order, before its controls, and gets the focus
  // back when it is activated again.
  virtual bool SelfTabStop() const { return false; }
  // The controls the arrow keys move between, control among them: its
  // shown siblings of the same kind next to it in its parent (nothing
  // windowed of another kind between them, no WS_GROUP mark), on the same
  // side of the Tab order, and for picture buttons in one row or column
  // with it. Radio buttons keep their own groups (GroupIndex); controls that
  // want the arrow keys (edits, lists) never ask.
  static std::vector<TWinControl*> ArrowGroup(TWinControl* control);
  // The controls the Tab key reaches now, in order.
  std::vector<TWinControl*> TabOrder() const;
  // The first control in Tab order that can take the focus now, leaving
  // out leaving and the controls inside it; null when none.
  TWinControl* FirstFocusable(const TWinControl* leaving = nullptr) const;
  // Moves the focus to FirstFocusable, else to the form while it shows.
  void RepairFocus(const TWinControl* leaving = nullptr);

  // The message loops' dialog manager: Tab, Enter, Escape and accelerators
  // for the window root. A key is never handed to the system's dialog
  // manager while the focus is on a hidden or disabled control (the focus
  // is repaired instead, and that logged once) or while its target has gone
  // out of reach (dropped). KeyPreview of a toolkit form sees the key first.
  // True when the message was dealt with.
  static bool DialogMessage(HWND root, MSG& msg);
  // Keys the form takes before its controls (WM_KEYDOWN, WM_SYSKEYDOWN,
  // WM_SYSCHAR, ...); true when it took this one. Default: Alt+letter
  // presses the shown button whose accelerator the letter is.
  virtual bool KeyPreview(const MSG& msg);

  // Enter and Escape that no control wanted (IDOK / IDCANCEL of the dialog
  // manager).
  virtual void DialogKey(int id) { (void)id; }

  // Observers of the system commands (minimise, restore) of this window.
  void AddSysCommandListener(const void* key, std::function<void(WPARAM command)> listener);
  void RemoveSysCommandListener(const void* key);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PaintBackground(HDC dc, const RECT& clip) override;

 private:
  // The program's icon, big and small, at the form's DPI.
  void SetIcons();
  // Tab on the form itself (SelfTabStop), and the arrow keys within the
  // focused control's group; true when the key was taken.
  bool NavigationKey(const MSG& msg);

  UINT dpi_ = ui::dpi::kBase;
  int modalResult_ = mrNone;
  bool inModal_ = false;
  // Cleared by the destructor: a form freed inside its own modal loop.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  HWND savedFocus_ = nullptr;
  std::map<const void*, std::function<void(WPARAM)>> sysCommandListeners_;
};

// A child container for a page; created hidden.
class TFrame : public TContainer {
 public:
  TFrame(TComponent* owner, TContainer* parent, std::string name);
};

// A child container; with a colour it paints a flat area with an optional
// border and its caption centred, without one the parent shows through.
class TPanel : public TContainer {
 public:
  TPanel(TComponent* owner, TContainer* parent, std::string name, const std::string& caption = "");
  COLORREF BorderColor() const { return borderColor_; }
  void SetBorderColor(COLORREF color);

 protected:
  void CaptionChanged() override;
  void PaintOverlay(HDC dc, const RECT& clip) override;

 private:
  COLORREF borderColor_ = CLR_NONE;
};
