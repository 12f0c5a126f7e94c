// The access-point configuration page: network name, wireless mode, channel
// and WEP security of the software access point (APProfile).
#pragma once

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
  TPicButton* BtnSave;
  TPicButton* BtnCancel;

  void InitPage() override;
  void ResetPage() override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  CNICAdapter* Adapter() const { return adapter_; }

 private:
  CNICAdapter* adapter_ = nullptr;
};
