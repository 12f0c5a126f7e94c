// The program's message box: the program's message title and button texts,
// Windows message-box flags in (buttons in the low four bits, the icon in
// the next four) and Windows result codes out.
#pragma once

#include <windows.h>

#include <string>

#include "config/Udefine.h"
#include "shell/Uformbase.h"
#include "ui/Upicbutton.h"

class TFormMsgBox : public TFormBase {
 public:
  explicit TFormMsgBox(TComponent* owner = nullptr);

  TImage* ImgIcon;
  TLabel* LbMsg;
  TPicButton* BtnOk;
  TPicButton* BtnCancel;

  using TControl::Show;
  // Lays the box out for text and flags, shows it modally over parent (or
  // the screen) and returns the result: 1 OK, 2 Cancel or closed, 6 Yes,
  // 7 No.
  int Show(TForm* parent, const std::string& text, int flags);
  // Lays the box out without showing it.
  void Prepare(TForm* parent, const std::string& text, int flags);

  void DialogKey(int id) override;

 protected:
  // The text is measured and the icon made again at the new DPI.
  void DpiChanged(UINT oldDpi, UINT newDpi) override;

 private:
  // Label, client size and buttons for the text, measured at the box's DPI.
  void LayoutText();
  // The system's icon of the flags, drawn at the icon size for the DPI.
  void MakeIcon();

  std::string text_;
  int flags_ = 0;
  int okResult_ = mrOk;
  int cancelResult_ = mrCancel;
};

// The message box of the form that contains control (none when control is
// null): creates a box, shows it, frees it and returns its result.
int ShowMsgBox(HWND control, const std::string& text, int flags);
// Makes ShowMsgBox the settings object's message box; returns the handler
// it replaced.
MsgBoxHandler InstallMsgBox();
