// The wizard's last page, after a save: connect with the profile now or
// later.
#pragma once

#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class TFrameActive : public TPropertyPageFrame {
 public:
  TFrameActive(TComponent* owner, TContainer* parent, std::string name = "FrameActive1");

  TImage* ImgBG;
  TLabel* LbMsg;
  TPicButton* BtnActNow;
  TPicButton* BtnActLater;

  void InitPage() override;
  TWinControl* FirstFocus() const { return BtnActNow; }
};
