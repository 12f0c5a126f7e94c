// The common controls of forms and pages: labels (plain, value, tab),
// images, paint boxes, edits, drop-down lists, check and radio buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Ucontrol.h"
#include "ui/Upicture.h"

// Static text painted by its parent, transparent unless a colour is set.
class TLabel : public TGraphicControl {
 public:
  TLabel(TComponent* owner, TContainer* parent, std::string name, const std::string& caption = "",
         TKind kind = TKind::Label);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);
  // Cut a text that does not fit with an ellipsis at the end.
  bool EllipsisEnd() const { return ellipsis_; }
  void SetEllipsisEnd(bool on);
  // "&" marks an accelerator; when off the text is shown as it is.
  bool ShowAccelChar() const { return showAccel_; }
  void SetShowAccelChar(bool on);

  // DrawText flags of this label's alignment, wrapping and prefix setting.
  UINT TextFlags() const;
  // Size of the caption as DrawText measures it with TextFlags; a wrapping
  // label measures within its current width.
  SIZE MeasureCaption() const;
  // The caption as it is drawn (cut with the ellipsis when it must be).
  std::string DisplayText() const;
  // Colour the caption is drawn in.
  virtual COLORREF TextColor() const;

  void Paint(HDC dc) override;

 private:
  UINT DrawFlags() const;
  RECT TextRect(HDC dc) const;

  TAlignment alignment_ = TAlignment::Left;
  TTextLayout layout_ = TTextLayout::Top;
  bool wordWrap_ = false;
  bool ellipsis_ = false;
  bool showAccel_ = true;
};

// A label that shows a value: cut with an ellipsis, no accelerators.
class TValueLabel : public TLabel {
 public:
  TValueLabel(TComponent* owner, TContainer* parent, std::string name,
              const std::string& caption = "");
};

// A tab caption with three colours: normal, under the mouse, selected.
class TTabLabel : public TLabel {
 public:
  TTabLabel(TComponent* owner, TContainer* parent, std::string name,
            const std::string& caption = "");

  COLORREF NormalColor;
  COLORREF HoverColor;
  COLORREF SelectedColor;
  bool Selected() const { return selected_; }
  void SetSelected(bool on);
  bool Hover() const { return hover_; }
  COLORREF TextColor() const override;
  void SetColors(COLORREF normal, COLORREF hover, COLORREF selected);
  // A focus rectangle around the caption: the keyboard is on the tabs (the
  // form itself has the focus, Ctrl+Tab moves on).
  bool FocusMark() const { return focusMark_; }
  void SetFocusMark(bool on);

  void MouseEnter() override;
  void MouseLeave() override;
  void Paint(HDC dc) override;

 private:
  bool selected_ = false;
  bool hover_ = false;
  bool focusMark_ = false;
};

// A picture, at the top-left, centred or stretched over the bounds.
class TImage : public TGraphicControl {
 public:
  TImage(TComponent* owner, TContainer* parent, std::string name);

  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  bool Center() const { return center_; }
  void SetCenter(bool on);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  // Bounds take the picture's size.
  void FitToPicture();

  void Paint(HDC dc) override;

 private:
  TPicture picture_;
  bool center_ = false;
  bool stretch_ = false;
};

// An area that its owner paints.
class TPaintBox : public TGraphicControl {
 public:
  TPaintBox(TComponent* owner, TContainer* parent, std::string name);
  // dc origin at the box's top-left corner; rect is the box (0, 0, w, h).
  std::function<void(HDC dc, const RECT& rect)> OnPaint;
  void Paint(HDC dc) override;
};

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
  // Before the character is handled; set it to 0 to drop it.
  std::function<void(char& key)> OnKeyPress;
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

// Check and radio buttons; the parent's background shows behind them.
class TCheckBox : public TWinControl {
 public:
  TCheckBox(TComponent* owner, TContainer* parent, std::string name,
            const std::string& caption = "");
  bool Checked() const;
  // Does not fire OnClick (only the user's clicks do).
  virtual void SetChecked(bool on);
  // Toggles as the user would and fires OnClick.
  void Click() override;

  bool HandleCommand(WORD code, LRESULT& result) override;
  HBRUSH CtlColor(HDC dc, UINT message) override;

 protected:
  TCheckBox(TComponent* owner, TContainer* parent, std::string name, const std::string& caption,
            TKind kind, DWORD style);
};

// Radio buttons of the same parent and GroupIndex exclude each other.
class TRadioButton : public TCheckBox {
 public:
  TRadioButton(TComponent* owner, TContainer* parent, std::string name,
               const std::string& caption = "");
  int GroupIndex = 0;
  // Checking one unchecks the others of its group; no OnClick.
  void SetChecked(bool on) override;
  // Checks it as the user would and fires OnClick.
  void Click() override;
  bool HandleCommand(WORD code, LRESULT& result) override;

 protected:
  // The arrow keys move to the next (Down, Right) or previous (Up, Left)
  // button of the group that can take the focus, and check it.
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
