// The wizard's ad-hoc page: the wireless mode (or band) of an ad-hoc
// network and its channel.
#pragma once

#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameWlMode : public TPropertyPageFrame {
 public:
  TFrameWlMode(TComponent* owner, TContainer* parent, std::string name = "FrameWlMode1");

  TImage* ImgBG;
  TLabel* LbWlSet;
  TLabel* LbMode;
  TComboBox* CmbAdHocMode;
  TLabel* LbChannel;
  TComboBox* CmbChannel;
  TPicButton* BtnBack;
  TPicButton* BtnNext;
  TPicButton* BtnExit;

  void InitPage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  bool LeavePage(TPropertyPageFrame* next, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;

  TWinControl* FirstFocus() const { return CmbAdHocMode; }
  void CmbAdHocModeSelect();

 private:
  void FillModes();

  CNICAdapter* adapter_ = nullptr;
};
