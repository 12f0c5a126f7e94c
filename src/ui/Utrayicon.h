// The notification-area icon: visible flag, an icon index into an image
// list, a hint, a pop-up menu and mouse callbacks. While it is visible,
// minimising its form hides the form's taskbar button.
#pragma once

#include <windows.h>
// (needs the types of windows.h)
#include <shellapi.h>

#include <string>

#include "ui/Ucontrol.h"

class TImageList;
class TPopupMenu;

class TTrayIcon : public TComponent {
 public:
  TTrayIcon(TComponent* owner, std::string name);
  ~TTrayIcon() override;

  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  const TImageList* Icons() const { return icons_; }
  void SetIcons(const TImageList* icons);
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  const std::string& Hint() const { return hint_; }
  // Taken only when shorter than 64 characters (UTF-16 units, as the
  // shell counts); a longer hint is ignored.
  void SetHint(const std::string& hint);
  // True while the shell shows the icon.
  bool Shown() const { return added_; }
  // A balloon over the icon, its title and text cut to what the shell
  // holds (63 and 255 UTF-16 units, never inside a surrogate pair); false
  // (nothing shown) while the icon is not shown.
  bool ShowBalloon(const std::string& title, const std::string& text);
  // The text and title of the last balloon shown, as the shell got them.
  const std::string& BalloonText() const { return balloon_; }
  const std::string& BalloonTitle() const { return balloonTitle_; }
  // The hidden window that receives the icon's mouse messages.
  HWND Handle() const { return window_; }

  // Shown on right button up when no OnMouseUp handler takes it.
  TPopupMenu* PopupMenu = nullptr;
  // Left click.
  TNotifyEvent OnClick;
  // WM_CLOSE sent to the hidden window from outside; the window itself stays,
  // so the icon never outlives it.
  TNotifyEvent OnClose;
  TNotifyEvent OnDblClick;
  // Coordinates are the cursor's screen position.
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  // Handles one mouse message of the icon (WM_LBUTTONUP, WM_RBUTTONDOWN,
  // ...) as if the shell had sent it.
  void HandleIconMessage(UINT mouseMessage);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Update(DWORD command);
  void FormSysCommand(WPARAM command);
  void FillData(NOTIFYICONDATAW& data) const;

  HWND window_ = nullptr;
  bool visible_ = false;
  bool added_ = false;
  bool hiddenByMinimise_ = false;
  const TImageList* icons_ = nullptr;
  int iconIndex_ = 0;
  std::string hint_;
  std::string balloon_;
  std::string balloonTitle_;
};
