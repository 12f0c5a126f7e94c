// The wizard's confirm page (the summary of the working profile, with Save)
// and its activate page (connect now or later).
#pragma once

#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameConfirm : public TPropertyPageFrame {
 public:
  TFrameConfirm(TComponent* owner, TContainer* parent, std::string name = "FrameConfirm1");

  TImage* ImgBG;
  TLabel* LbConfirm;
  TLabel* LbSSID;
  TValueLabel* LblSSID;
  TLabel* LbNetType;
  TValueLabel* LblNetType;
  TLabel* LbWlMode;
  TValueLabel* LblWlMode;
  TLabel* LbChannel;
  TValueLabel* LblChannel;
  TLabel* LbSecurity;
  TValueLabel* LblSecurity;
  TPicButton* BtnBack;
  TPicButton* BtnSave;
  TPicButton* BtnExit;

  void InitPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;

  TWinControl* FirstFocus() const { return BtnSave; }

 protected:
  void LayoutText() override;

 private:
  CNICAdapter* adapter_ = nullptr;
};
