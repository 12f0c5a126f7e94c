#include "pages/station/Uframeadapter.h"

#include <algorithm>
#include <vector>

#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Uunicode.h"
#include "pages/station/Upageparts.h"
#include "pages/station/Ustationlogic.h"
#include "shell/Ulibqueue.h"

using namespace pageparts;

namespace {

constexpr const char* kSection = "FrameAdapter";
constexpr int kCaptionLeft = 40;
constexpr int kListLeft = 190;
constexpr int kListWidth = 180;

}  // namespace

TFrameAdapter::TFrameAdapter(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgAdapter");
  LbSetting = MakeHeading(this, this, "LbSetting", "Adapter Setting", 16, 12, 300);
  FieldRows rows{.Owner = this,
                 .Parent = this,
                 .CaptionLeft = kCaptionLeft,
                 .FieldLeft = kListLeft,
                 .FieldWidth = kListWidth,
                 .Top = 48,
                 .Pitch = 36};
  LbTxRate = rows.Caption("LbTxRate", "Transfer Rate:");
  CmbTxRate = rows.Combo("CmbTxRate");
  rows.Next();
  LbPreamble = rows.Caption("LbPreamble", "Preamble Type:");
  CmbPreamble = rows.Combo("CmbPreamble");
  rows.Next();
  LbPower = rows.Caption("LbPower", "Power Saving Mode:");
  CmbPower = rows.Combo("CmbPower");
  BtnSave = MakeButton(this, this, "BtnSave", "Save", "ImgBtnSave", kButtonRight, kButtonTop);
  // The save stores through the library: it waits its turn while another
  // thread holds it.
  BtnSave->OnClick = [this] {
    libqueue::Run(BtnSave, "Save (adapter page)", [this] { BtnSaveClick(); });
  };
}

void TFrameAdapter::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty())
    for (TLabel* l : {LbTxRate, LbPreamble, LbPower}) PlaceMarkImage(l, &mark);
  const std::string* common = g_GlobalVar.CommonStrings;
  CmbPreamble->Clear();
  CmbPreamble->AddItem(common[csPreambleAuto], 2);
  CmbPreamble->AddItem(common[csPreambleLong], 0);
  CmbPreamble->AddItem(common[csPreambleShort], 1);
  CmbPower->Clear();
  CmbPower->AddItem(common[csPowSaveNo], 0);
  CmbPower->AddItem(common[csPowSaveFast], 2);
  CmbPower->AddItem(common[csPowSaveMax], 1);
  ResetPage();
}

void TFrameAdapter::ResetPage() {
  CmbTxRate->Clear();
  CmbPreamble->SetItemIndex(-1);
  CmbPower->SetItemIndex(-1);
  for (TWinControl* c :
       std::initializer_list<TWinControl*>{CmbTxRate, CmbPreamble, CmbPower, BtnSave})
    c->SetEnabled(false);
  rateBand_ = 4;
}

bool TFrameAdapter::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  if (adapter_ && !adapter_->UseWZC) ShowCurrent();
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameAdapter::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || (mode & kModeAP)) return;
    adapter_ = adapter;
    if (!adapter->UseWZC) EnableAndFill();
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameAdapter::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  if (!adapter_) return;
  if (code == kNotifyWZC) {
    if (value == kWZCOn)
      ResetPage();
    else
      EnableAndFill();
  } else if (code == kNotifyConnecting && !(value & kNotifyAPSide)) {
    ShowCurrent();
  } else if (code == kNotifyStatus) {
    FollowBand();
  }
}

void TFrameAdapter::EnableAndFill() {
  for (TWinControl* c :
       std::initializer_list<TWinControl*>{CmbTxRate, CmbPreamble, CmbPower, BtnSave})
    c->SetEnabled(true);
  const int32_t bands = CFAGlobalVar::ModeToBands(adapter_->SupportMode);
  if (bands & Band11g)
    InitTxRate(3);
  else if (bands & Band11b)
    InitTxRate(1);
  else if (bands & Band11a)
    InitTxRate(2);
}

void TFrameAdapter::InitTxRate(int band) {
  const char* key = band == 1 ? "TxRateB" : band == 2 ? "TxRateA" : band == 3 ? "TxRateG" : nullptr;
  if (!key) {
    LogWrite("TFrameAdapter::InitTxRate NetworkType %d", band);
    return;
  }
  const std::string text = adapter_ ? adapter_->ReadSet(key, "") : std::string();
  CmbTxRate->Clear();
  // Each rate goes on top: the list shows the setting's values reversed.
  for (int32_t rate : stationlogic::OfferedRates(text))
    CmbTxRate->InsertItem(0, RateText(rate), rate);
  CmbTxRate->InsertItem(0, g_GlobalVar.CommonStrings[csAuto], 15);
  rateBand_ = band;
}

void TFrameAdapter::ShowCurrent() {
  if (!adapter_) return;
  WLProfile profile = adapter_->DefProf;
  WLProfile applied{};
  if (adapter_->GetAppliedProf(applied)) profile = applied;
  if (!CmbPower->SelectByValue(profile.PowerMode) && CmbPower->Count() > 0)
    CmbPower->SetItemIndex(0);
  if (!CmbPreamble->SelectByValue(profile.PreambleMode)) CmbPreamble->SelectByValue(2);
  if (!CmbTxRate->SelectByValue(profile.TxRate) && CmbTxRate->Count() > 0)
    CmbTxRate->SetItemIndex(0);
}

void TFrameAdapter::FollowBand() {
  if (adapter_->UseWZC) return;
  WLStatus status{};
  adapter_->GetStatus(status);
  if (status.MediaState != 0) return;
  if (status.NetType != rateBand_) {
    InitTxRate(status.NetType);
    ShowCurrent();
  }
}

void TFrameAdapter::BtnSaveClick() {
  if (!adapter_) return;
  WLProfile applied{};
  if (!adapter_->GetAppliedProf(applied)) return;
  // The stored record of that name, when there is one: edits made in the
  // wizard since it was applied are kept; only the three options change.
  WLProfile work = applied;
  const std::string appliedName = ProfileNameText(applied);
  std::vector<WLProfile> stored;
  adapter_->GetProfileList(kStationList, stored);
  // Exactly that name first: "home" applied is not "Home" stored beside it.
  auto it = std::find_if(stored.begin(), stored.end(),
                         [&](const WLProfile& p) { return ProfileNameText(p) == appliedName; });
  if (it == stored.end())
    it = std::find_if(stored.begin(), stored.end(), [&](const WLProfile& p) {
      return SameName(ProfileNameText(p), appliedName);
    });
  const bool isStored = it != stored.end();
  if (isStored) work = *it;
  work.TxRate = static_cast<int32_t>(CmbTxRate->SelectedValue(15));
  work.PreambleMode = static_cast<int32_t>(CmbPreamble->SelectedValue(2));
  work.PowerMode = static_cast<int32_t>(CmbPower->SelectedValue(0));
  const std::string name = EscapeControls(ProfileNameText(work));
  if (isStored) {
    LogWrite("modify profile %s", name.c_str());
    // The wizard may have its own working profile open: it gets it back.
    const WLProfile wizards = g_GlobalVar.WorkProfile;
    g_GlobalVar.WorkProfile = work;
    TForm* form = ParentForm();
    const bool saved = form && SendMessageA(form->Handle(), NotifyMsg, kNotifyStoreProfile,
                                            kProfEditMode | kProfOwnName) != 0;
    g_GlobalVar.WorkProfile = wizards;
    if (!saved && adapter_)
      g_GlobalVar.ShowMsgBox(
          Handle(),
          g_GlobalVar.StrFileRead("Message", "ErSaveProf",
                                  "The profile could not be saved. Please try again."),
          0x30);
  } else {
    LogWrite("profile %s is not exist", name.c_str());
  }
  // The message box ran a message loop: the adapter may be gone.
  if (adapter_ && !adapter_->UseWZC) adapter_->Connect(work);
}
