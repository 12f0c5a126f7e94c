// The access-point address filter page: a filter type and up to sixteen
// station addresses of the software access point.
#pragma once

#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFrameAPFilter : public TPropertyPageFrame {
 public:
  TFrameAPFilter(TComponent* owner, TContainer* parent, std::string name = "FrameAPFilter1");

  TImage* ImgBG;
  TLabel* LbFilter;
  TLabel* LbType;
  TComboBox* CmbType;
  TPicButton* BtnSave;
  TPicButton* BtnCancel;

  void InitPage() override;
  void ResetPage() override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;

  CNICAdapter* Adapter() const { return adapter_; }

 private:
  void EnableControls();

  CNICAdapter* adapter_ = nullptr;
};
