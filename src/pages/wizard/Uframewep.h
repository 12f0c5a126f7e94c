// The wizard's WEP page: key size, authentication, up to four keys typed or
// made from a pass phrase, and the transmit key.
#pragma once

#include <string>

#include "config/Udefine.h"
#include "config/Uweprules.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameWEP : public TPropertyPageFrame {
 public:
  TFrameWEP(TComponent* owner, TContainer* parent, std::string name = "FrameWEP1");

  TImage* ImgBG;
  TLabel* LbWEPSet;
  TLabel* LbWEP;
  TComboBox* CmbWEP;
  TLabel* LbAuthen;
  TComboBox* CmbAuthen;
  TLabel* LbPhrase;
  TEdit* EdtPhrase;
  TLabel* LbDefKey;
  TComboBox* CmbDefKey;
  TLabel* LbKey;
  TEdit* EdtKey1;
  TEdit* EdtKey2;
  TEdit* EdtKey3;
  TEdit* EdtKey4;
  // Wired by the wizard controller.
  TPicButton* BtnBack;
  TPicButton* BtnNext;
  TPicButton* BtnExit;

  // Where the user types first: the pass phrase when it is enabled, else
  // the key edit shown.
  TWinControl* FirstFocus() const;

  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  bool LeavePage(TPropertyPageFrame* next, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  void CmbWEPSelect();
  void CmbDefKeySelect();
  void EdtPhraseChange();
  void EdtKey1Change();

  CNICAdapter* Adapter() const { return adapter_; }
  // Key edit of a transmit key value 0..3 (null outside).
  TEdit* KeyEdit(int index) const;

 private:
  void FillSizes();
  int32_t SelectedSize() const;

  CNICAdapter* adapter_ = nullptr;
  bool filling_ = false;
  bool generating_ = false;
};
