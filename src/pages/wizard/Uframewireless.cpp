#include "pages/wizard/Uframewireless.h"

#include "adapter/Unicadapter.h"
#include "pages/wizard/Uwizardlogic.h"
#include "pages/wizard/Uwizardparts.h"

using namespace pageparts;
using namespace wizardparts;

namespace {
constexpr const char* kSection = "FrameWireless";
}  // namespace

TFrameWireless::TFrameWireless(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbWlModeSet = MakeHeading(this, this, "LbWlModeSet", "Wireless Protocol Settings", 16, 12, 300);
  int top = 48;
  auto band = [&](TCheckBox*& box, TLabel*& label, int n) {
    const std::string digit = std::to_string(n);
    box = new TCheckBox(this, this, "ChkBand" + digit);
    box->SetBounds(30, top, 16, 16);
    label = MakeCaption(this, this, "LbBand" + digit, "Mode" + digit, 52, top);
    label->SetWidth(200);
    // The label is the box's caption: a click on it toggles the box.
    label->OnClick = [box] {
      if (box->Enabled() && box->Visible()) box->Click();
    };
    top += 30;
  };
  band(ChkBand1, LbBand1, 1);
  band(ChkBand2, LbBand2, 2);
  band(ChkBand3, LbBand3, 3);
  BtnBack = MakeBarButton(this, "BtnBack", "Back", "ImgBtnBack", kSlotLeft);
  BtnNext = MakeBarButton(this, "BtnNext", "Next", "ImgBtnNext", kSlotMiddle);
  BtnExit = MakeBarButton(this, "BtnExit", "Exit", "ImgBtnExit", kSlotRight);
}

void TFrameWireless::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  ResetPage();
}

void TFrameWireless::ResetPage() {
  for (TCheckBox* box : {ChkBand1, ChkBand2, ChkBand3}) {
    box->SetChecked(false);
    box->Tag = 0;
  }
}

void TFrameWireless::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (adapter && !(mode & kModeAP)) adapter_ = adapter;
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

TWinControl* TFrameWireless::FirstFocus() const {
  for (TCheckBox* box : {ChkBand1, ChkBand2, ChkBand3})
    if (box->Visible() && box->Enabled()) return box;
  return BtnNext;
}

bool TFrameWireless::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  if (adapter_) {
    const auto boxes =
        wizardlogic::BandBoxes(adapter_->SupportMode, g_GlobalVar.WorkProfile.ABGMode);
    TCheckBox* checks[] = {ChkBand1, ChkBand2, ChkBand3};
    TLabel* labels[] = {LbBand1, LbBand2, LbBand3};
    for (int i = 0; i < 3; ++i) {
      checks[i]->SetVisible(boxes[i].Shown);
      labels[i]->SetVisible(boxes[i].Shown);
      checks[i]->SetEnabled(boxes[i].Shown);
      checks[i]->SetChecked(boxes[i].Checked);
      checks[i]->Tag = boxes[i].Tag;
      labels[i]->SetCaption(g_GlobalVar.CommonStrings[boxes[i].TextIndex]);
    }
  }
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

bool TFrameWireless::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward) {
    int32_t bands = 0;
    for (TCheckBox* box : {ChkBand1, ChkBand2, ChkBand3})
      if (box->Checked()) bands |= box->Tag;
    if ((bands & 0xFF) == 0) {
      Warn(this, MessageText("ErNoSelBand",
                             "No band was selected!\\nAt least one band must be selected."));
      return false;
    }
    if (adapter_) {
      WLProfile& work = g_GlobalVar.WorkProfile;
      work.ABGMode = CFAGlobalVar::BandsToMode(bands);
      wizardlogic::FitAdHocBand(adapter_->GetUsableAdHocBand(work.ABGMode), adapter_->DefChB,
                                adapter_->DefChA, work);
    }
  }
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}
