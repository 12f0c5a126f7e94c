// The adapter settings page: transmission rate, preamble and power saving of
// the profile the adapter is applying, saved into it and applied again.
#pragma once

#include <string>

#include "config/Udefine.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameAdapter : public TPropertyPageFrame {
 public:
  TFrameAdapter(TComponent* owner, TContainer* parent, std::string name = "FrameAdapter1");

  TImage* ImgBG;
  TLabel* LbSetting;
  TLabel* LbTxRate;
  TComboBox* CmbTxRate;
  TLabel* LbPreamble;
  TComboBox* CmbPreamble;
  TLabel* LbPower;
  TComboBox* CmbPower;
  TPicButton* BtnSave;

  void InitPage() override;
  void ResetPage() override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  // Fills the rate list for a band (1 802.11b, 2 802.11a, 3 802.11g) from
  // the adapter's "TxRateB/A/G" setting.
  void InitTxRate(int band);
  void BtnSaveClick();

  CNICAdapter* Adapter() const { return adapter_; }
  // Band whose rates the list holds; 4 when it holds none.
  int RateListBand() const { return rateBand_; }

 private:
  void EnableAndFill();
  void ShowCurrent();
  void FollowBand();

  CNICAdapter* adapter_ = nullptr;
  int rateBand_ = 4;
};
