#include "pages/wizard/Uframeconfirm.h"

#include <algorithm>
#include <utility>

#include "adapter/Unicadapter.h"
#include "pages/wizard/Uwizardlogic.h"
#include "pages/wizard/Uwizardparts.h"

using namespace pageparts;
using namespace wizardparts;

namespace {
constexpr const char* kSection = "FrameConfirm";
constexpr int kLeft = 30;
constexpr int kRight = 520;
}  // namespace

TFrameConfirm::TFrameConfirm(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbConfirm = MakeHeading(this, this, "LbConfirm", "Security Settings", 16, 12, 300);
  LabelRows rows{.Owner = this,
                 .Parent = this,
                 .CaptionLeft = kLeft,
                 .ValueLeft = kLeft + 140,
                 .ValueWidth = kRight - kLeft - 140,
                 .Top = 44,
                 .Pitch = 28};
  rows.Add(LbSSID, LblSSID, "LbSSID", "LblSSID", "Network Name(SSID)");
  rows.Add(LbNetType, LblNetType, "LbNetType", "LblNetType", "Network Type");
  rows.Add(LbWlMode, LblWlMode, "LbWlMode", "LblWlMode", "Network Mode");
  rows.Add(LbChannel, LblChannel, "LbChannel", "LblChannel", "Channel");
  rows.Add(LbSecurity, LblSecurity, "LbSecurity", "LblSecurity", "Security");
  BtnBack = MakeBarButton(this, "BtnBack", "Back", "ImgBtnBack", kSlotLeft);
  BtnSave = MakeBarButton(this, "BtnSave", "Save", "ImgBtnSave", kSlotMiddle);
  BtnExit = MakeBarButton(this, "BtnExit", "Exit", "ImgBtnExit", kSlotRight);
}

void TFrameConfirm::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  LayoutText();
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty())
    for (TLabel* caption : {LbSSID, LbNetType, LbWlMode, LbChannel, LbSecurity})
      PlaceMarkImage(caption, &mark);
  ResetPage();
}

void TFrameConfirm::LayoutText() {
  const std::pair<TLabel*, TValueLabel*> rows[] = {{LbSSID, LblSSID},
                                                   {LbNetType, LblNetType},
                                                   {LbWlMode, LblWlMode},
                                                   {LbChannel, LblChannel},
                                                   {LbSecurity, LblSecurity}};
  // The values form one column right of the widest (localised) caption.
  int widest = 0;
  for (auto [caption, value] : rows) widest = std::max<int>(widest, caption->MeasureCaption().cx);
  const int valueLeft = kLeft + widest + 16;
  for (auto [caption, value] : rows) {
    caption->SetWidth(widest + 6);
    value->SetBounds(valueLeft, value->Top(), kRight - valueLeft, value->Height());
  }
}

void TFrameConfirm::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (adapter && !(mode & kModeAP)) adapter_ = adapter;
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

bool TFrameConfirm::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  const auto s = wizardlogic::Summarize(g_GlobalVar.WorkProfile, adapter_ != nullptr,
                                        adapter_ && adapter_->ReadSet("EnableAdHocG", true));
  LblSSID->SetCaption(s.Ssid);
  LblNetType->SetCaption(s.NetType);
  LblWlMode->SetCaption(s.WlMode);
  LblChannel->SetCaption(s.Channel);
  LblSecurity->SetCaption(s.Security);
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}
