// The access-point configuration page: network name, wireless mode, channel
// and WEP security of the software access point (APProfile).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "pages/Unetname.h"
#include "pages/Uwepkeys.h"
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
  // The size, authentication, pass phrase and key controls.
  std::unique_ptr<TWEPKeyEditor> Wep;
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

  CNICAdapter* Adapter() const { return adapter_; }

 private:
  void FillModes();
  void FillChannels(const std::string& setting, int32_t band, int32_t fallback);
  void EnableControls();
  void LoadWireless();

  CNICAdapter* adapter_ = nullptr;
  TNetNameField ssid_;
};
