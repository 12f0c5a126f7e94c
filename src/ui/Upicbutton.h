// An owner-drawn button whose faces are pictures: normal, pressed, under
// the mouse and disabled, with its caption drawn over the face. It takes the
// keyboard focus and is pressed with Space or Enter.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Ucontrol.h"
#include "ui/Upicture.h"

class TPicButton : public TWinControl {
 public:
  enum class TFace { Normal, Pressed, Hover, Disabled };

  TPicButton(TComponent* owner, TContainer* parent, std::string name,
             const std::string& caption = "");

  // Missing faces fall back: hover to normal, pressed to hover, disabled to
  // the normal face made grey and lighter. Without any picture the button
  // draws a plain flat face.
  void SetFaces(const TPicture& normal, const TPicture& pressed = TPicture(),
                const TPicture& hover = TPicture(), const TPicture& disabled = TPicture());
  void SetNormalFace(const TPicture& face);
  void SetPressedFace(const TPicture& face);
  void SetHoverFace(const TPicture& face);
  void SetDisabledFace(const TPicture& face);
  // The picture shown for a state, after the fallbacks.
  const TPicture& FacePicture(TFace face) const;
  // The state shown now.
  TFace CurrentFace() const;
  bool Hover() const { return hover_; }
  bool Pressed() const { return pressed_; }
  // Width and height take the normal face's size.
  void FitToFace();

  // Fires OnClick when enabled.
  void Click() override;

  // The letter that presses the button with Alt (TForm::KeyPreview), shown
  // underlined in the caption; 0 for none. A UTF-16 unit, as WM_SYSCHAR
  // carries it.
  wchar_t AccelChar() const { return accel_; }
  void SetAccelChar(wchar_t letter);

  // Two letters alike whatever their case (the system's case table); false
  // when either is 0.
  static bool SameLetter(wchar_t a, wchar_t b);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void CaptionChanged() override;
  void EnabledChanged() override;

 private:
  void PaintButton(HDC dc);
  void SetPressed(bool on);
  void SetHover(bool on);

  TPicture normal_, pressed_face_, hover_face_, disabled_face_;
  TPicture derivedDisabled_;
  bool hover_ = false;
  bool pressed_ = false;
  bool mouseDown_ = false;
  bool spaceDown_ = false;
  bool tracking_ = false;
  wchar_t accel_ = 0;
};
