#include "ui/Umenu.h"

#include <algorithm>

#include "config/Uunicode.h"

TMenuItem::TMenuItem(TComponent* owner, TPopupMenu* menu, std::string name,
                     const std::string& caption)
    : TComponent(owner, std::move(name), TKind::MenuItem), menu_(menu), caption_(caption) {
  if (menu_) menu_->items_.push_back(this);
}

TMenuItem::~TMenuItem() {
  if (menu_) {
    auto& items = menu_->items_;
    items.erase(std::remove(items.begin(), items.end(), this), items.end());
  }
}

void TMenuItem::Click() {
  if (enabled_ && !IsSeparator()) Fire(OnClick);
}

TPopupMenu::TPopupMenu(TComponent* owner, std::string name)
    : TComponent(owner, std::move(name), TKind::PopupMenu) {}

TPopupMenu::~TPopupMenu() {
  for (TMenuItem* item : items_) item->menu_ = nullptr;
}

HMENU TPopupMenu::BuildMenu() const {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  bool lastWasSeparator = true;  // no separator at the top
  for (size_t i = 0; i < items_.size(); ++i) {
    const TMenuItem* item = items_[i];
    if (!item->Visible()) continue;
    if (item->IsSeparator()) {
      if (!lastWasSeparator) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      lastWasSeparator = true;
      continue;
    }
    UINT flags = MF_STRING;
    if (item->Checked()) flags |= MF_CHECKED;
    if (!item->Enabled()) flags |= MF_GRAYED;
    AppendMenuW(menu, flags, i + 1, Wide(item->Caption()).c_str());
    lastWasSeparator = false;
  }
  // No separator at the bottom either.
  int n = GetMenuItemCount(menu);
  if (n > 0 && (GetMenuState(menu, n - 1, MF_BYPOSITION) & MF_SEPARATOR))
    DeleteMenu(menu, n - 1, MF_BYPOSITION);
  return menu;
}

TMenuItem* TPopupMenu::Popup(int x, int y, HWND window) {
  Fire(OnPopup);
  std::vector<TMenuItem*> shown = items_;
  HMENU menu = BuildMenu();
  if (!menu) return nullptr;
  UINT cmd = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, window,
                            nullptr);
  DestroyMenu(menu);
  if (cmd == 0 || cmd > shown.size()) return nullptr;
  TMenuItem* item = shown[cmd - 1];
  // The item may have gone while the menu was open.
  if (std::find(items_.begin(), items_.end(), item) == items_.end()) return nullptr;
  item->Click();
  return item;
}
