#include "pages/ap/Uframeapfilter.h"

#include "adapter/Unicadapter.h"
#include "pages/station/Upageparts.h"

using namespace pageparts;

TFrameAPFilter::TFrameAPFilter(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrAPFilter");
  LbFilter = MakeHeading(this, this, "LbFilter", "MAC Filter", 16, 12, 300);
  LbType = MakeCaption(this, this, "LbType", "Filter Type", 32, 42);
  CmbType = new TComboBox(this, this, "CmbType");
  CmbType->SetBounds(140, 38, 180, 200);
  BtnSave = MakeButton(this, this, "BtnSave", "Save", "ImgBtnSave", kButtonRight, kButtonTop);
  BtnCancel = MakeButton(this, this, "BtnCancel", "Cancel", "ImgBtnCancel",
                         kButtonRight - kButtonGap - 100, kButtonTop);
  // Saving shows the access-point information page; there is nothing to
  // load or store yet.
  BtnSave->OnClick = [this] {
    if (adapter_)
      if (TForm* form = ParentForm())
        PostMessageA(form->Handle(), NotifyMsg, kNotifyShowPage, kPageAPInfo);
  };
}

void TFrameAPFilter::InitPage() {
  LocalisePage("FrameAPFilter");
  LocaliseButtons(this, "FrameAPFilter");
  CmbType->Clear();
  ResetPage();
}

void TFrameAPFilter::ResetPage() {
  CmbType->SetItemIndex(-1);
  CmbType->SetEnabled(false);
  BtnSave->SetEnabled(false);
  BtnCancel->SetEnabled(false);
}

void TFrameAPFilter::EnableControls() {
  CmbType->SetEnabled(true);
  BtnSave->SetEnabled(true);
  BtnCancel->SetEnabled(true);
}

void TFrameAPFilter::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || !(mode & kModeAP)) return;
    adapter_ = adapter;
    if (!adapter->UseWZC) EnableControls();
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameAPFilter::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  if (!adapter_ || code != kNotifyWZC) return;
  if (value == kWZCOn)
    ResetPage();
  else
    EnableControls();
}
