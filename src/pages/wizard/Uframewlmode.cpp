#include "pages/wizard/Uframewlmode.h"

#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Uchannelrules.h"
#include "pages/wizard/Uwizardlogic.h"
#include "pages/wizard/Uwizardparts.h"
#include "shell/Ulibqueue.h"

using namespace pageparts;
using namespace wizardparts;

namespace {
constexpr const char* kSection = "FrameWlMode";
constexpr int kListLeft = 150;
}  // namespace

TFrameWlMode::TFrameWlMode(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbWlSet = MakeHeading(this, this, "LbWlSet", "Wireless Settings", 16, 12, 300);
  LbMode = MakeCaption(this, this, "LbMode", "Wireless Mode", 30, 48);
  LbMode->SetWidth(kListLeft - 38);
  CmbAdHocMode = new TComboBox(this, this, "CmbAdHocMode");
  CmbAdHocMode->SetBounds(kListLeft, 44, 160, 22);
  LbChannel = MakeCaption(this, this, "LbChannel", "Channel", 30, 84);
  LbChannel->SetWidth(kListLeft - 38);
  CmbChannel = new TComboBox(this, this, "CmbChannel");
  CmbChannel->SetBounds(kListLeft, 80, 160, 22);
  BtnBack = MakeBarButton(this, "BtnBack", "Back", "ImgBtnBack", kSlotLeft);
  BtnNext = MakeBarButton(this, "BtnNext", "Next", "ImgBtnNext", kSlotMiddle);
  BtnExit = MakeBarButton(this, "BtnExit", "Exit", "ImgBtnExit", kSlotRight);
  CmbAdHocMode->OnSelect = [this] { CmbAdHocModeSelect(); };
}

void TFrameWlMode::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty())
    for (TLabel* l : {LbMode, LbChannel}) PlaceMarkImage(l, &mark);
  ResetPage();
}

void TFrameWlMode::ResetPage() {
  CmbAdHocMode->Clear();
  CmbChannel->Clear();
}

void TFrameWlMode::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (adapter && !(mode & kModeAP)) adapter_ = adapter;
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameWlMode::FillModes() {
  CmbAdHocMode->Clear();
  if (!adapter_) return;
  const int32_t usable = adapter_->GetUsableAdHocBand(g_GlobalVar.WorkProfile.ABGMode);
  for (const auto& item :
       wizardlogic::AdHocModeItems(usable, adapter_->ReadSet("EnableAdHocG", true)))
    CmbAdHocMode->AddItem(item.Text, item.Value);
}

bool TFrameWlMode::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  FillModes();
  const WLProfile& work = g_GlobalVar.WorkProfile;
  if (!CmbAdHocMode->SelectByValue(work.AdHocBand) &&
      !(adapter_ && CmbAdHocMode->SelectByValue(adapter_->DefBand)) && CmbAdHocMode->Count() > 0)
    CmbAdHocMode->SetItemIndex(0);
  CmbAdHocModeSelect();
  CmbChannel->SelectByValue(work.Channel);
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameWlMode::CmbAdHocModeSelect() {
  CmbChannel->Clear();
  if (!adapter_ || CmbAdHocMode->ItemIndex() < 0) return;
  wizardlogic::TAdHocChannels source{};
  if (!wizardlogic::AdHocChannelsOf(static_cast<int32_t>(CmbAdHocMode->SelectedValue(0)), source))
    return;
  const std::string general = adapter_->ReadSet(source.Setting, "");
  const std::string setting =
      adapter_->ReadSet(channelrules::DomainSettingName(source.Setting, adapter_->Domain), general);
  std::vector<int32_t> library;
  if (setting.empty()) {
    int32_t channels[channelrules::kMaxListed];
    const int n = adapter_->GetAllowedCh(channels, channelrules::kMaxListed, source.Band);
    if (n > 0 && n <= channelrules::kMaxListed) library.assign(channels, channels + n);
    if (n == 0 && librarylock::TimedOut()) {
      // The library is busy: the list shows what it can and is filled again
      // once the library is free, the box waiting till then.
      LogWrite("TFrameWlMode: channels listed without the library, asked again");
      libqueue::Queue(CmbChannel, "Channels (wizard)", [this] { CmbAdHocModeSelect(); });
    }
  }
  const auto items = channelrules::ChannelItems(
      channelrules::ListedChannels(setting, library, true), g_GlobalVar.CommonStrings[csAuto]);
  for (const auto& item : items) CmbChannel->AddItem(item.Text, item.Value);
  const int32_t fallback = source.FiveGHz ? adapter_->DefChA : adapter_->DefChB;
  CmbChannel->SetItemIndex(
      channelrules::PickChannel(items, g_GlobalVar.WorkProfile.Channel, fallback));
}

bool TFrameWlMode::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward) {
    WLProfile& work = g_GlobalVar.WorkProfile;
    const WLProfile* def = adapter_ ? &adapter_->DefProf : nullptr;
    work.AdHocBand =
        static_cast<int32_t>(CmbAdHocMode->SelectedValue(def ? def->AdHocBand : work.AdHocBand));
    work.Channel =
        static_cast<int32_t>(CmbChannel->SelectedValue(def ? def->Channel : work.Channel));
  }
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}
