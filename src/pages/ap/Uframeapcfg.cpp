#include "pages/ap/Uframeapcfg.h"

#include <exception>
#include <initializer_list>
#include <vector>

#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Uchannelrules.h"
#include "config/Unotify.h"
#include "config/Uweprules.h"
#include "pages/ap/Uaplogic.h"
#include "pages/station/Upageparts.h"

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
  int top = kFirstRow, captionLeft = kLeftCaption, fieldLeft = kLeftField, width = kLeftWidth;
  auto caption = [&](const char* n, const char* text) {
    TLabel* l = MakeCaption(this, this, n, text, captionLeft, top + 4);
    l->SetWidth(fieldLeft - captionLeft - 6);
    return l;
  };
  auto combo = [&](const char* n) {
    auto* c = new TComboBox(this, this, n);
    c->SetBounds(fieldLeft, top, width, 200);
    return c;
  };
  auto edit = [&](const char* n) {
    auto* e = new TEdit(this, this, n);
    e->SetBounds(fieldLeft, top, width, 21);
    return e;
  };
  LbSSID = caption("LbSSID", "SSID");
  EdtSSID = edit("EdtSSID");
  EdtSSID->SetMaxLength(static_cast<int>(kSsidMax));
  top += kRowPitch;
  ChkHide = new TCheckBox(this, this, "ChkHide", "Hide SSID");
  ChkHide->SetBounds(fieldLeft, top + 2, width, 17);
  top += kRowPitch;
  LbMode = caption("LbMode", "Wireless Mode");
  CmbMode = combo("CmbMode");
  top += kRowPitch;
  LbChannel = caption("LbChannel", "Channel");
  CmbCh = combo("CmbCh");
  top += kRowPitch;
  LbPower = caption("LbPower", "Output Power");
  CmbPower = combo("CmbPower");

  top = kFirstRow, captionLeft = kRightCaption, fieldLeft = kRightField, width = kRightWidth;
  LbWEP = caption("LbWEP", "WEP");
  CmbWEP = combo("CmbWEP");
  top += kRowPitch;
  LbAuthen = caption("LbAuthen", "Authentication Type");
  CmbAuthen = combo("CmbAuthen");
  top += kRowPitch;
  LbPhrase = caption("LbPhrase", "Pass Phrase");
  EdtPhrase = edit("EdtPhrase");
  EdtPhrase->SetMaxLength(255);
  top += kRowPitch;
  LbDefKey = caption("LbDefKey", "Transmit Key");
  CmbDefKey = combo("CmbDefKey");
  CmbDefKey->SetWidth(60);
  top += kRowPitch;
  LbKey = caption("LbKey", "Key 1");
  EdtKey1 = edit("EdtKey1");
  EdtKey2 = edit("EdtKey2");
  EdtKey3 = edit("EdtKey3");
  EdtKey4 = edit("EdtKey4");

  BtnSave = MakeButton(this, this, "BtnSave", "Save", "ImgBtnSave", kButtonRight, kButtonTop);
  BtnCancel = MakeButton(this, this, "BtnCancel", "Cancel", "ImgBtnCancel",
                         kButtonRight - kButtonGap - 100, kButtonTop);

  CmbMode->OnSelect = [this] { CmbModeSelect(); };
  CmbWEP->OnSelect = [this] { CmbWEPSelect(); };
  CmbDefKey->OnSelect = [this] { CmbDefKeySelect(); };
  EdtPhrase->OnChange = [this] { EdtPhraseChange(); };
  for (int i = 0; i < 4; ++i) KeyEdit(i)->OnChange = [this] { EdtKeyChange(); };
  BtnSave->OnClick = [this] { BtnSaveClick(); };
  BtnCancel->OnClick = [this] { BtnCancelClick(); };
}

TEdit* TFrameAPCfg::KeyEdit(int index) const {
  switch (index) {
    case 0:
      return EdtKey1;
    case 1:
      return EdtKey2;
    case 2:
      return EdtKey3;
    case 3:
      return EdtKey4;
    default:
      return nullptr;
  }
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
  CmbAuthen->Clear();
  CmbAuthen->AddItem(common[csAuthModeOpen], AuthOpen);
  CmbAuthen->AddItem(common[csAuthModeShare], AuthShared);
  CmbDefKey->Clear();
  for (int i = 0; i < 4; ++i) CmbDefKey->AddItem(std::to_string(i + 1), i);
  ResetPage();
}

void TFrameAPCfg::DonePage() {
  // No secret stays in a window after the page is finished.
  filling_ = true;
  EdtPhrase->SetText("");
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText("");
  filling_ = false;
}

void TFrameAPCfg::ResetPage() {
  filling_ = true;
  EdtSSID->SetText("");
  EdtSSID->SetEnabled(false);
  ChkHide->SetChecked(false);
  ChkHide->SetEnabled(false);
  for (TComboBox* c : {CmbMode, CmbCh, CmbPower, CmbWEP, CmbAuthen, CmbDefKey}) {
    c->SetItemIndex(-1);
    c->SetEnabled(false);
  }
  CmbWEPSelect();
  CmbDefKeySelect();
  EdtPhrase->SetMasked(false);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(false);
  BtnSave->SetEnabled(false);
  BtnCancel->SetEnabled(false);
  filling_ = false;
}

void TFrameAPCfg::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || !(mode & kModeAP)) return;
    adapter_ = adapter;
    FillModes();
    FillSizes();
    if (!adapter->UseWZC) EnableControls();
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
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
    LoadSecurity();
  }
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameAPCfg::EnableControls() {
  for (TWinControl* c :
       std::initializer_list<TWinControl*>{EdtSSID, ChkHide, CmbMode, CmbCh, CmbPower})
    c->SetEnabled(true);
  LoadWireless();
  CmbWEP->SetEnabled(true);
  CmbAuthen->SetEnabled(true);
  LoadSecurity();
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

void TFrameAPCfg::FillSizes() {
  CmbWEP->Clear();
  CmbWEP->AddItem(g_GlobalVar.CommonStrings[csEncrypt_None], kWEPSizeNone);
  if (!adapter_) return;
  if (adapter_->ReadSet("WEP64", true))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_64], kWEPSize64);
  if (adapter_->ReadSet("WEP128", true))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_128], kWEPSize128);
  if (adapter_->ReadSet("WEP152", false))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_152], kWEPSize152);
}

void TFrameAPCfg::LoadWireless() {
  const WLProfile& ap = g_GlobalVar.APProfile;
  const bool wasFilling = filling_;
  filling_ = true;
  EdtSSID->SetText(FieldText(ap.Ssid1));
  // Nothing keeps these two yet: they show the access point's defaults.
  ChkHide->SetChecked(false);
  CmbPower->SelectByValue(0);
  if (!CmbMode->SelectByValue(ap.ABGMode) && !CmbMode->SelectByValue(adapter_->DefAPBand))
    CmbMode->SetItemIndex(CmbMode->Count() > 0 ? 0 : -1);
  CmbModeSelect();
  filling_ = wasFilling;
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
  }
  const auto items = channelrules::ChannelItems(
      channelrules::ListedChannels(setting, library, false), g_GlobalVar.CommonStrings[csAuto]);
  for (const auto& item : items) CmbCh->AddItem(item.Text, item.Value);
  CmbCh->SetItemIndex(channelrules::PickChannel(items, g_GlobalVar.APProfile.Channel, fallback));
}

void TFrameAPCfg::LoadSecurity() {
  const WLProfile& ap = g_GlobalVar.APProfile;
  const bool wasFilling = filling_;
  filling_ = true;
  if (!CmbWEP->SelectByValue(ap.WEPEncryptionLevel))
    CmbWEP->SetItemIndex(CmbWEP->Count() > 0 ? 0 : -1);
  CmbWEPSelect();
  if (!CmbAuthen->SelectByValue(ap.AuthenticationMode)) CmbAuthen->SetItemIndex(0);
  if (!CmbDefKey->SelectByValue(ap.DefaultKey)) CmbDefKey->SetItemIndex(0);
  CmbDefKeySelect();
  EdtPhrase->SetText(FieldText(ap.PassPhrase));
  const WEPKeyTexts keys = ProfileWEPKeys(ap);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText(keys[i]);
  EdtPhrase->SetMasked(true);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(true);
  filling_ = wasFilling;
}

void TFrameAPCfg::CmbWEPSelect() {
  const int32_t size = static_cast<int32_t>(CmbWEP->SelectedValue(kWEPSizeNone));
  const bool keys = IsWEPKeySize(size);
  const bool wasFilling = filling_;
  filling_ = true;
  EdtPhrase->SetEnabled(WEPPassphraseAllowed(size));
  EdtPhrase->SetText("");
  CmbDefKey->SetEnabled(keys);
  for (int i = 0; i < 4; ++i) {
    TEdit* e = KeyEdit(i);
    e->SetMaxLength(WEPHexLength(size));
    e->SetEnabled(keys);
    e->SetText("");
  }
  filling_ = wasFilling;
}

void TFrameAPCfg::CmbDefKeySelect() {
  int index = static_cast<int>(CmbDefKey->SelectedValue(0));
  if (index < 0 || index > 3) index = 0;
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetVisible(i == index);
  const std::string key = "LbKey" + std::to_string(index + 1);
  LbKey->SetCaption(g_GlobalVar.StrFileRead(kSection, key, "Key " + std::to_string(index + 1)));
}

void TFrameAPCfg::EdtPhraseChange() {
  if (filling_ || CmbWEP->ItemIndex() < 0) return;
  generating_ = true;
  const std::string phrase = EdtPhrase->Text();
  const int32_t size = static_cast<int32_t>(CmbWEP->SelectedValue(kWEPSizeNone));
  if (phrase.empty()) {
    for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText("");
  } else {
    WEPKeyTexts keys;
    if (MakeWEPKeys(adapter_, phrase, size, keys))
      for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText(keys[i]);
  }
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(false);
  generating_ = false;
}

void TFrameAPCfg::EdtKeyChange() {
  if (filling_ || generating_) return;
  // A typed key replaces whatever the pass phrase made.
  filling_ = true;
  EdtPhrase->SetText("");
  EdtPhrase->SetMasked(false);
  filling_ = false;
}

void TFrameAPCfg::BtnSaveClick() {
  if (!adapter_) return;
  const std::string ssid = EdtSSID->Text().substr(0, kSsidMax);
  if (ssid.empty()) {
    g_GlobalVar.ShowMsgBox(
        Handle(), g_GlobalVar.StrFileRead("Message", "ErAPSSID", "You should enter a SSID name."),
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
  const int32_t size = static_cast<int32_t>(CmbWEP->SelectedValue(kWEPSizeNone));
  if (IsWEPKeySize(size)) {
    const int transmit = static_cast<int>(CmbDefKey->SelectedValue(0));
    TEdit* key = KeyEdit(transmit);
    const WEPKeyCheck check = CheckTransmitKey(key ? key->Text() : std::string(), size);
    if (!check.Ok) {
      g_GlobalVar.ShowMsgBox(Handle(),
                             g_GlobalVar.StrFileRead("Message", check.MessageKey, kWEPKeyMessage),
                             MB_ICONWARNING);
      return;
    }
    WEPKeyTexts keys;
    for (int i = 0; i < 4; ++i) keys[i] = KeyEdit(i)->Text();
    ap.EncryptionMethod = EncWEP;
    WriteWEPKeys(ap, size, check.Format, transmit, keys);
  } else {
    ap.EncryptionMethod = EncNone;
    ClearWEPKeys(ap);
  }
  ap.AuthenticationMode = static_cast<int32_t>(CmbAuthen->SelectedValue(AuthOpen));
  SetField(ap.Ssid1, ssid);
  ap.ABGMode = static_cast<int32_t>(CmbMode->SelectedValue(adapter_->DefAPProf.ABGMode));
  ap.Channel = static_cast<int32_t>(CmbCh->SelectedValue(adapter_->DefAPProf.Channel));
  g_GlobalVar.APProfile = ap;
  if (TForm* form = ParentForm())
    PostMessageA(form->Handle(), NotifyMsg, kNotifyShowPage, kPageAPInfo);
}

void TFrameAPCfg::BtnCancelClick() {
  if (!adapter_) return;
  LoadWireless();
  LoadSecurity();
}
