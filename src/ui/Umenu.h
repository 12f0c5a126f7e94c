// Pop-up menus: items with a name, caption ("-" for a separator),
// visibility, check mark and OnClick.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/Ucontrol.h"

class TPopupMenu;

class TMenuItem : public TComponent {
 public:
  // The item is owned by owner (the form) and shown by menu.
  TMenuItem(TComponent* owner, TPopupMenu* menu, std::string name, const std::string& caption);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  bool Visible() const { return visible_; }
  void SetVisible(bool on) { visible_ = on; }
  bool Checked() const { return checked_; }
  void SetChecked(bool on) { checked_ = on; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  bool IsSeparator() const { return caption_ == "-"; }
  TPopupMenu* Menu() const { return menu_; }

  TNotifyEvent OnClick;
  // As if the user chose the item (nothing when it is disabled).
  void Click();

 private:
  friend class TPopupMenu;
  TPopupMenu* menu_;
  std::string caption_;
  bool visible_ = true;
  bool checked_ = false;
  bool enabled_ = true;
};

class TPopupMenu : public TComponent {
 public:
  TPopupMenu(TComponent* owner, std::string name);
  ~TPopupMenu() override;

  const std::vector<TMenuItem*>& Items() const { return items_; }
  // A menu of the visible items (command id = position in Items() + 1);
  // the caller destroys it.
  HMENU BuildMenu() const;
  // Shows the menu at a screen point for window and runs the chosen item's
  // OnClick. Returns the chosen item, or null.
  TMenuItem* Popup(int x, int y, HWND window);

  TNotifyEvent OnPopup;

 private:
  friend class TMenuItem;
  std::vector<TMenuItem*> items_;
};
