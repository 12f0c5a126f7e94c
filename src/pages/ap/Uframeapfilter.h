// The access-point address filter page: a filter type and up to sixteen
// station addresses of the software access point.
#pragma once

#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Umaskedit.h"
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
  TLabel* LbAddr;
  static constexpr int kAddressCount = 16;
  // Lb1..Lb16 and Edt1..Edt16.
  TLabel* Lb[kAddressCount] = {};
  TMaskEdit* Edt[kAddressCount] = {};
  TPicButton* BtnSave;
  TPicButton* BtnCancel;

  void InitPage() override;
  void ResetPage() override;
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode) override;
  void AdapterNotify(CNICAdapter* adapter, int code, int value) override;
  bool EnterPage(TPropertyPageFrame* previous, int mode, int flags) override;

  void BtnSaveClick();
  void BtnCancelClick();
  // The address input rule, run on every change of an address field.
  void Edt1Change(TMaskEdit* edit);

  CNICAdapter* Adapter() const { return adapter_; }

 private:
  void EnableControls();
  // Nothing is kept anywhere for the filter yet: loading reads nothing.
  void Load() {}

  CNICAdapter* adapter_ = nullptr;
};
