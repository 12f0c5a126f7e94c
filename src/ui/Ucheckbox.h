// Check and radio buttons.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Ucontrol.h"

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
