// Text fields and drop-down lists.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Ucontrol.h"

class TEdit : public TWinControl {
 public:
  TEdit(TComponent* owner, TContainer* parent, std::string name);

  std::string Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }
  int MaxLength() const { return maxLength_; }
  // 0: no limit of its own.
  void SetMaxLength(int length);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  // A masked edit shows "*" for every character; its first key press (or
  // paste, delete) empties it and shows plain text, so a stored secret is
  // only ever replaced, never edited.
  bool Masked() const { return masked_; }
  void SetMasked(bool on);
  void SelectAll();

  TNotifyEvent OnChange;
  // Before the character is handled; set it to 0 to drop it. A UTF-16 unit
  // (a character outside the basic plane comes as two calls).
  std::function<void(wchar_t& key)> OnKeyPress;
  // A typed character was refused because the text is at its limit.
  TNotifyEvent OnMaxText;

  bool HandleCommand(WORD code, LRESULT& result) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ClearMask();
  int maxLength_ = 0;
  bool readOnly_ = false;
  bool masked_ = false;
};

// A drop-down list; every item carries an integer value.
class TComboBox : public TWinControl {
 public:
  TComboBox(TComponent* owner, TContainer* parent, std::string name);

  int AddItem(const std::string& text, intptr_t value = 0);
  // Inserts before index (0 = at the top); returns the new index.
  int InsertItem(int index, const std::string& text, intptr_t value = 0);
  void DeleteItem(int index);
  void Clear();
  int Count() const;
  std::string ItemText(int index) const;
  intptr_t ItemValue(int index) const;
  // -1: nothing selected.
  int ItemIndex() const;
  void SetItemIndex(int index);
  // The selected item's value, or def when nothing is selected.
  intptr_t SelectedValue(intptr_t def) const;
  // Selects the first item with this value; false (unchanged) when none.
  bool SelectByValue(intptr_t value);
  std::string Text() const;

  // The user picked an item.
  TNotifyEvent OnSelect;

  void SetBounds(int left, int top, int width, int height) override;
  bool HandleCommand(WORD code, LRESULT& result) override;
};
