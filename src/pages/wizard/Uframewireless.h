// The wizard's band page: the bands an infrastructure profile may use on an
// adapter that has more than one.
#pragma once

#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameWireless : public TPropertyPageFrame {
 public:
  TFrameWireless(TComponent* owner, TContainer* parent, std::string name = "FrameWireless1");

  TImage* ImgBG;
  TLabel* LbWlModeSet;
  TCheckBox* ChkBand1;
  TLabel* LbBand1;
  TCheckBox* ChkBand2;
  TLabel* LbBand2;
  TCheckBox* ChkBand3;
  TLabel* LbBand3;
  TPicButton* BtnBack;
  TPicButton* BtnNext;
  TPicButton* BtnExit;

  void InitPage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  bool LeavePage(TPropertyPageFrame* next, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;

  // The first band box shown.
  TWinControl* FirstFocus() const;

 private:
  CNICAdapter* adapter_ = nullptr;
};
