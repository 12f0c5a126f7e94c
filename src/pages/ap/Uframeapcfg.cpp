#include "pages/ap/Uframeapcfg.h"

#include "pages/station/Upageparts.h"

using namespace pageparts;

TFrameAPCfg::TFrameAPCfg(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrAPCfg");
  LbWireless = MakeHeading(this, this, "LbWireless", "Wireless Settings", 16, 12, 250);
  LbSecurity = MakeHeading(this, this, "LbSecurity", "Security Settings", 286, 12, 250);
  BtnSave = MakeButton(this, this, "BtnSave", "Save", "ImgBtnSave", kButtonRight, kButtonTop);
  BtnCancel = MakeButton(this, this, "BtnCancel", "Cancel", "ImgBtnCancel",
                         kButtonRight - kButtonGap - 100, kButtonTop);
}

void TFrameAPCfg::InitPage() {
  LocalisePage("FrameAPCfg");
  LocaliseButtons(this, "FrameAPCfg");
  ResetPage();
}

void TFrameAPCfg::ResetPage() {
  // The settings controls are not on this page yet, so nothing can be saved.
  BtnSave->SetEnabled(false);
  BtnCancel->SetEnabled(false);
}

void TFrameAPCfg::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (adapter && (mode & kModeAP)) adapter_ = adapter;
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameAPCfg::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  if (adapter_ && code == kNotifyWZC && value == kWZCOn) ResetPage();
}
