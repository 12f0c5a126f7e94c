#include "pages/ap/Uframeapcfg.h"

#include <exception>
#include <initializer_list>
#include <vector>

#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Uchannelrules.h"
#include "config/Unotify.h"
#include "pages/ap/Uaplogic.h"
#include "pages/station/Upageparts.h"
#include "shell/Ulibqueue.h"

using namespace pageparts;

namespace {

constexpr const char* kSection = "FrameAPCfg";
constexpr int kLeftCaption = 32;
constexpr int kLeftField = 136;
constexpr int kLeftWidth = 130;
constexpr int kRightCaption = 300;
constexpr int kRightField = 420;
constexpr int kRightWidth = 116;
constexpr int kFirstRow = 40;
constexpr int kRowPitch = 32;
constexpr size_t kSsidMax = 32;

}  // namespace

TFrameAPCfg::TFrameAPCfg(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrAPCfg");
  LbWireless = MakeHeading(this, this, "LbWireless", "Wireless Settings", 16, 12, 250);
  LbSecurity = MakeHeading(this, this, "LbSecurity", "Security Settings", 286, 12, 250);

  // Created column by column, top to bottom, so Tab follows what the user sees.
  FieldRows rows{.Owner = this,
                 .Parent = this,
                 .CaptionLeft = kLeftCaption,
                 .FieldLeft = kLeftField,
                 .FieldWidth = kLeftWidth,
                 .Top = kFirstRow,
                 .Pitch = kRowPitch,
                 .CaptionGap = 6};
  LbSSID = rows.Caption("LbSSID", "SSID");
  EdtSSID = rows.Edit("EdtSSID");
  EdtSSID->SetMaxLength(static_cast<int>(kSsidMax));
  rows.Next();
  ChkHide = new TCheckBox(this, this, "ChkHide", "Hide SSID");
  ChkHide->SetBounds(kLeftField, rows.Top + 2, kLeftWidth, 17);
  rows.Next();
  LbMode = rows.Caption("LbMode", "Wireless Mode");
  CmbMode = rows.Combo("CmbMode");
  rows.Next();
  LbChannel = rows.Caption("LbChannel", "Channel");
  CmbCh = rows.Combo("CmbCh");
  rows.Next();
  LbPower = rows.Caption("LbPower", "Output Power");
  CmbPower = rows.Combo("CmbPower");

  Wep = std::make_unique<TWEPKeyEditor>(this, kSection,
                                        FieldRows{.Owner = this,
                                                  .Parent = this,
                                                  .CaptionLeft = kRightCaption,
                                                  .FieldLeft = kRightField,
                                                  .FieldWidth = kRightWidth,
                                                  .Top = kFirstRow,
                                                  .Pitch = kRowPitch,
                                                  .CaptionGap = 6},
                                        60);

  BtnSave = MakeButton(this, this, "BtnSave", "Save", "ImgBtnSave", kButtonRight, kButtonTop);
  BtnCancel = MakeButton(this, this, "BtnCancel", "Cancel", "ImgBtnCancel",
                         kButtonRight - kButtonGap - 100, kButtonTop);

  CmbMode->OnSelect = [this] { CmbModeSelect(); };
  // Keys made from a pass phrase come from the library: the save waits its
  // turn while another thread holds it.
  BtnSave->OnClick = [this] {
    libqueue::Run(BtnSave, "Save (access point)", [this] { BtnSaveClick(); });
  };
  BtnCancel->OnClick = [this] { BtnCancelClick(); };
}

void TFrameAPCfg::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  const std::string* common = g_GlobalVar.CommonStrings;
  CmbPower->Clear();
  CmbPower->AddItem(common[csPowerLv0], 0);
  CmbPower->AddItem(common[csPowerLv1], 1);
  CmbPower->AddItem(common[csPowerLv2], 2);
  CmbPower->AddItem(common[csPowerLv3], 3);
  Wep->FillLists(false);
  ResetPage();
}

void TFrameAPCfg::DonePage() {
  Wep->ClearSecrets();
}

void TFrameAPCfg::ResetPage() {
  EdtSSID->SetText("");
  EdtSSID->SetEnabled(false);
  ChkHide->SetChecked(false);
  ChkHide->SetEnabled(false);
  for (TComboBox* c : {CmbMode, CmbCh, CmbPower, Wep->CmbWEP, Wep->CmbAuthen, Wep->CmbDefKey}) {
    c->SetItemIndex(-1);
    c->SetEnabled(false);
  }
  Wep->Reset();
  BtnSave->SetEnabled(false);
  BtnCancel->SetEnabled(false);
}

void TFrameAPCfg::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || !(mode & kModeAP)) return;
    adapter_ = adapter;
    Wep->SetAdapter(adapter);
    FillModes();
    Wep->FillSizes(true);
    if (!adapter->UseWZC) EnableControls();
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
    Wep->SetAdapter(nullptr);
  }
}

void TFrameAPCfg::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  if (!adapter_ || code != kNotifyWZC) return;
  if (value == kWZCOn)
    ResetPage();
  else
    EnableControls();
}

bool TFrameAPCfg::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  // Edits that were not saved are dropped.
  if (adapter_ && !adapter_->UseWZC) {
    LoadWireless();
    Wep->Load(g_GlobalVar.APProfile);
  }
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameAPCfg::EnableControls() {
  for (TWinControl* c :
       std::initializer_list<TWinControl*>{EdtSSID, ChkHide, CmbMode, CmbCh, CmbPower})
    c->SetEnabled(true);
  LoadWireless();
  Wep->CmbWEP->SetEnabled(true);
  Wep->CmbAuthen->SetEnabled(true);
  Wep->Load(g_GlobalVar.APProfile);
  BtnSave->SetEnabled(true);
  BtnCancel->SetEnabled(true);
}

void TFrameAPCfg::FillModes() {
  CmbMode->Clear();
  if (!adapter_) return;
  const std::string* common = g_GlobalVar.CommonStrings;
  for (int32_t mode : aplogic::APModes(CFAGlobalVar::ModeToBands(adapter_->SupportMode))) {
    switch (mode) {
      case aplogic::kAPMode11bg:
        CmbMode->AddItem(common[cs802B] + " + " + common[cs802G], mode);
        break;
      case aplogic::kAPMode11b:
        CmbMode->AddItem(common[cs802B], mode);
        break;
      case aplogic::kAPMode11g:
        CmbMode->AddItem(common[cs802G], mode);
        break;
      default:
        CmbMode->AddItem(common[cs802A], mode);
        break;
    }
  }
}

void TFrameAPCfg::LoadWireless() {
  const WLProfile& ap = g_GlobalVar.APProfile;
  EdtSSID->SetText(ssid_.Load(ap));
  // Nothing keeps these two yet: they show the access point's defaults.
  ChkHide->SetChecked(false);
  CmbPower->SelectByValue(0);
  if (!CmbMode->SelectByValue(ap.ABGMode) && !CmbMode->SelectByValue(adapter_->DefAPBand))
    CmbMode->SetItemIndex(CmbMode->Count() > 0 ? 0 : -1);
  CmbModeSelect();
}

void TFrameAPCfg::CmbModeSelect() {
  CmbCh->Clear();
  if (!adapter_ || CmbMode->ItemIndex() < 0) return;
  const auto source = aplogic::APChannels(static_cast<int32_t>(CmbMode->SelectedValue(0)));
  if (source.Setting.empty()) return;
  FillChannels(source.Setting, source.Band,
               source.FiveGHz ? adapter_->DefAPChA : adapter_->DefAPChB);
}

void TFrameAPCfg::FillChannels(const std::string& name, int32_t band, int32_t fallback) {
  const std::string general = adapter_->ReadSet(name, "");
  const std::string setting =
      adapter_->ReadSet(channelrules::DomainSettingName(name, adapter_->Domain), general);
  std::vector<int32_t> library;
  if (setting.empty()) {
    int32_t channels[channelrules::kMaxListed];
    const int n = adapter_->GetSoftAPAllowedCh(channels, channelrules::kMaxListed, band);
    // More than fit means nothing was copied.
    if (n > 0 && n <= channelrules::kMaxListed) library.assign(channels, channels + n);
    if (n == 0 && librarylock::TimedOut()) {
      // The library is busy: the list shows what it can and is filled again
      // once the library is free, the box waiting till then.
      LogWrite("TFrameAPCfg: channels listed without the library, asked again");
      libqueue::Queue(CmbCh, "Channels (access point)", [this] { CmbModeSelect(); });
    }
  }
  const auto items = channelrules::ChannelItems(
      channelrules::ListedChannels(setting, library, false), g_GlobalVar.CommonStrings[csAuto]);
  for (const auto& item : items) CmbCh->AddItem(item.Text, item.Value);
  CmbCh->SetItemIndex(channelrules::PickChannel(items, g_GlobalVar.APProfile.Channel, fallback));
}

void TFrameAPCfg::BtnSaveClick() {
  if (!adapter_) return;
  const std::string typed = EdtSSID->Text();
  std::string ssid;
  const TNetNameField::Check check = ssid_.Take(typed, ssid);
  if (check != TNetNameField::Check::Ok) {
    g_GlobalVar.ShowMsgBox(
        Handle(),
        check == TNetNameField::Check::Empty
            ? g_GlobalVar.StrFileRead("Message", "ErAPSSID", "You should enter a SSID name.")
            : TNetNameField::Message(check, typed),
        MB_ICONWARNING);
    try {
      EdtSSID->SetFocus();
    } catch (const std::exception& e) {
      LogWrite("Exception(TFrameAPCfg::BtnSaveClick): %s", e.what());
    }
    return;
  }
  // Every check passes before anything is written: a refusal keeps APProfile.
  WLProfile ap = g_GlobalVar.APProfile;
  if (!Wep->Store(ap)) return;
  if (!SetSsidBytes(ap, ssid)) return;
  ap.ABGMode = static_cast<int32_t>(CmbMode->SelectedValue(adapter_->DefAPProf.ABGMode));
  ap.Channel = static_cast<int32_t>(CmbCh->SelectedValue(adapter_->DefAPProf.Channel));
  g_GlobalVar.APProfile = ap;
  if (TForm* form = ParentForm())
    PostMessageA(form->Handle(), NotifyMsg, kNotifyShowPage, kPageAPInfo);
}

void TFrameAPCfg::BtnCancelClick() {
  if (!adapter_) return;
  LoadWireless();
  Wep->Load(g_GlobalVar.APProfile);
}
