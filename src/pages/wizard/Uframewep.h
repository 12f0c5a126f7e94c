// The wizard's WEP page: key size, authentication, up to four keys typed or
// made from a pass phrase, and the transmit key (the shared WEP key editor).
#pragma once

#include <memory>
#include <string>

#include "pages/Uwepkeys.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameWEP : public TPropertyPageFrame {
 public:
  TFrameWEP(TComponent* owner, TContainer* parent, std::string name = "FrameWEP1");

  TImage* ImgBG;
  TLabel* LbWEPSet;
  // The size, authentication, pass phrase and key controls.
  std::unique_ptr<TWEPKeyEditor> Wep;
  // Wired by the wizard controller.
  TPicButton* BtnBack;
  TPicButton* BtnNext;
  TPicButton* BtnExit;

  // Where the user types first: the pass phrase when it is enabled, else
  // the key edit shown.
  TWinControl* FirstFocus() const { return Wep->FirstFocus(); }

  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  bool LeavePage(TPropertyPageFrame* next, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;

  CNICAdapter* Adapter() const { return Wep->Adapter(); }
};
