// The access-point configuration page: network name, wireless mode, channel
// and WEP security of the software access point (APProfile).
#pragma once

#include <cstdint>
#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameAPCfg : public TPropertyPageFrame {
 public:
  TFrameAPCfg(TComponent* owner, TContainer* parent, std::string name = "FrameAPCfg1");

  TImage* ImgBG;
  TLabel* LbWireless;
  TLabel* LbSecurity;
  TLabel* LbSSID;
  TEdit* EdtSSID;
  TCheckBox* ChkHide;
  TLabel* LbMode;
  TComboBox* CmbMode;
  TLabel* LbChannel;
  TComboBox* CmbCh;
  TLabel* LbPower;
  TComboBox* CmbPower;
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
  TPicButton* BtnSave;
  TPicButton* BtnCancel;

  void InitPage() override;
  void DonePage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  // Checks the entries and writes them into APProfile, then shows the
  // access-point information page; a refused entry changes nothing.
  void BtnSaveClick();
  // Back to the values of APProfile.
  void BtnCancelClick();
  void CmbModeSelect();
  void CmbWEPSelect();
  void CmbDefKeySelect();

  CNICAdapter* Adapter() const { return adapter_; }
  // The key edit of a transmit key (0..3), or null.
  TEdit* KeyEdit(int index) const;

 private:
  void FillModes();
  void FillSizes();
  void FillChannels(const std::string& setting, int32_t band, int32_t fallback);
  void EnableControls();
  void LoadWireless();
  void LoadSecurity();
  void EdtPhraseChange();
  void EdtKeyChange();

  CNICAdapter* adapter_ = nullptr;
  // Set while the page writes into its own controls.
  bool filling_ = false;
  // Set while keys are written from the pass phrase.
  bool generating_ = false;
};
