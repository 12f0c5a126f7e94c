// The access-point information page: the state of the software access point
// on every status sample, and the start of the access point with the stored
// access-point settings when the main window enters the access-point role.
#pragma once

#include <string>

#include "config/Udefine.h"
#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameAPInfo : public TPropertyPageFrame {
 public:
  TFrameAPInfo(TComponent* owner, TContainer* parent, std::string name = "FrameAPInfo1");

  TImage* ImgBG;
  TLabel* LbStatus;
  TLabel* LbSSID;
  TValueLabel* LblSSID;
  TLabel* LbChannel;
  TValueLabel* LblChannel;
  TLabel* LbTxRate;
  TValueLabel* LblTxRate;
  TLabel* LbSecurity;
  TValueLabel* LblSecurity;
  TLabel* LbMAC;
  TValueLabel* LblMAC;
  TLabel* LbPower;
  TValueLabel* LblPower;
  TLabel* LbIP;
  TValueLabel* LblIP;
  TLabel* LbAssoc;
  TSortLv* LvMAC;
  TPicButton* BtnRefresh;

  void InitPage() override;
  void ResetPage() override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  // Starts the access point with APProfile unless "InitConnect" is off.
  void ConnectLast();
  void BtnRefreshClick();

  CNICAdapter* Adapter() const { return adapter_; }

 protected:
  void LayoutText() override;

 private:
  void ClearValues();
  void Refresh();

  CNICAdapter* adapter_ = nullptr;
  bool renewPending_ = false;
};
