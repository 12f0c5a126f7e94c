// The wizard's WPA-PSK page: cipher and pre-shared pass phrase for WPA-PSK
// and WPA2-PSK profiles.
#pragma once

#include <memory>
#include <string>

#include "config/Udefine.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameWPAPSK : public TPropertyPageFrame {
 public:
  TFrameWPAPSK(TComponent* owner, TContainer* parent, std::string name = "FrameWPAPSK1");
  ~TFrameWPAPSK() override;

  TImage* ImgBG;
  TLabel* LbPSKSet;
  TLabel* LbEncry;
  TComboBox* CmbEncryp;
  TLabel* LbPhrase;
  TEdit* EdtPhrase;
  // Wired by the wizard controller.
  TPicButton* BtnBack;
  TPicButton* BtnNext;
  TPicButton* BtnExit;

  // The pass phrase.
  TWinControl* FirstFocus() const;

  void InitPage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  bool LeavePage(TPropertyPageFrame* next, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  // A character refused at the length limit: the message follows once the
  // key press has been handled.
  void EdtPhraseMaxText();

  CNICAdapter* Adapter() const { return adapter_; }

 private:
  void FillCiphers();
  void ShowLengthMessage();

  CNICAdapter* adapter_ = nullptr;
  // A message waits in the user-interface thread's queue.
  bool messagePending_ = false;
  // Cleared when the page goes, so a queued message finds no page.
  std::shared_ptr<bool> alive_;
};
