// The wizard's security page: the security type of the profile, from the
// types the network type, the adapter's switches and Windows allow.
#pragma once

#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameSecurity : public TPropertyPageFrame {
 public:
  TFrameSecurity(TComponent* owner, TContainer* parent, std::string name = "FrameSecurity1");

  TImage* ImgBG;
  TLabel* LbSecuritySet;
  TLabel* LbSecurity;
  TComboBox* CmbSecurity;
  TPicButton* BtnBack;
  TPicButton* BtnNext;
  TPicButton* BtnExit;

  void InitPage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  bool LeavePage(TPropertyPageFrame* next, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;

  TWinControl* FirstFocus() const { return CmbSecurity; }

 private:
  CNICAdapter* adapter_ = nullptr;
};
