#include "pages/ap/Uframeapinfo.h"

#include "adapter/Ucomxlib.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Uunicode.h"
#include "pages/station/Upageparts.h"

using namespace pageparts;

namespace {
constexpr const char* kSection = "FrameAPInfo";
constexpr int kCaptionLeft = 32;
constexpr int kValueRight = 264;
}  // namespace

TFrameAPInfo::TFrameAPInfo(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrAPInfo");
  LbStatus = MakeHeading(this, this, "LbStatus", "Status", 16, 12, 266);
  LabelRows rows{.Owner = this,
                 .Parent = this,
                 .CaptionLeft = kCaptionLeft,
                 .ValueLeft = kCaptionLeft + 100,
                 .ValueWidth = 100,
                 .Top = 38,
                 .Pitch = 24};
  rows.Add(LbSSID, LblSSID, "LbSSID", "LblSSID", "SSID:");
  rows.Add(LbChannel, LblChannel, "LbChannel", "LblChannel", "Current Channel:");
  rows.Add(LbTxRate, LblTxRate, "LbTxRate", "LblTxRate", "Transmission Rate:");
  rows.Add(LbSecurity, LblSecurity, "LbSecurity", "LblSecurity", "Security:");
  rows.Add(LbMAC, LblMAC, "LbMAC", "LblMAC", "MAC:");
  rows.Add(LbPower, LblPower, "LbPower", "LblPower", "Output Power:");
  rows.Add(LbIP, LblIP, "LbIP", "LblIP", "IP Address");
  LbAssoc = MakeHeading(this, this, "LbAssoc", "Association List", 300, 12, 236);
  LvMAC = new TSortLv(this, this, "LvMAC");
  LvMAC->SetBounds(300, 34, 236, 186);
  LvMAC->AddColumn("", 0);
  LvMAC->AddColumn("MAC Address", 210);
  LvMAC->SetSortColumn(1);
  LvMAC->SetSortImages(Images("ImgsSort"));
  LvMAC->OnCompare = [this](const TLvRow& a, const TLvRow& b) {
    const int column = LvMAC->SortColunm();
    int r = 0;
    if (column > 0 && column - 1 < a.SubItemCount())
      r = lstrcmpiA(a.SubItem(column - 1).c_str(), b.SubItem(column - 1).c_str());
    else if (column == 0)
      r = lstrcmpiA(a.Caption().c_str(), b.Caption().c_str());
    return LvMAC->Increase() ? r : -r;
  };
  LvMAC->SkipSort1 = 0;
  BtnRefresh = MakeButton(this, this, "BtnRefresh", "Refresh", "ImgBtnRefresh", 436, 228);
  BtnRefresh->OnClick = [this] { BtnRefreshClick(); };
}

void TFrameAPInfo::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  LayoutText();
  ResetPage();
}

void TFrameAPInfo::LayoutText() {
  for (auto [caption, value] : {std::pair<TLabel*, TControl*>{LbSSID, LblSSID},
                                {LbChannel, LblChannel},
                                {LbTxRate, LblTxRate},
                                {LbSecurity, LblSecurity},
                                {LbMAC, LblMAC},
                                {LbPower, LblPower},
                                {LbIP, LblIP}})
    FitLabelPair(caption, value, kValueRight);
}

void TFrameAPInfo::ClearValues() {
  for (TValueLabel* l : {LblSSID, LblChannel, LblTxRate, LblSecurity, LblMAC, LblPower, LblIP})
    l->SetCaption("");
  LvMAC->Clear();
}

void TFrameAPInfo::ResetPage() {
  BtnRefresh->SetEnabled(false);
  ClearValues();
  renewPending_ = false;
}

void TFrameAPInfo::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || !(mode & kModeAP)) return;
    adapter_ = adapter;
    BtnRefresh->SetEnabled(!adapter->UseWZC);
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameAPInfo::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  if (!adapter_) return;
  if (code == kNotifyStatus) {
    Refresh();
  } else if (code == kNotifyConnecting && (value & kNotifyAPSide)) {
    renewPending_ = true;
    ClearValues();
  } else if (code == kNotifyWZC) {
    if (value == kWZCOn)
      ResetPage();
    else
      BtnRefresh->SetEnabled(true);
  }
}

void TFrameAPInfo::Refresh() {
  if (adapter_->UseWZC) return;
  WLStatus s{};
  NetworkInfo info{};
  adapter_->GetStatus(s);
  adapter_->GetNetInfo(info);
  if (s.MediaState == 1) return;
  if (renewPending_) {
    renewPending_ = false;
    if (adapter_->ReadSet("AutoRenewIP", true)) adapter_->IPConfig(kIPRelease | kIPRenew);
  }
  LblSSID->SetCaption(SsidText(s));
  LblChannel->SetCaption(std::to_string(
      g_OmxLib.OMXWL_FrequencyToChannel ? g_OmxLib.OMXWL_FrequencyToChannel(s.Frequency) : 0));
  LblTxRate->SetCaption(RateText(s.TxRate));
  LblSecurity->SetCaption(g_GlobalVar.SecurityText(s.Security));
  LblMAC->SetCaption(adapter_->MacAddress);
  char text[260] = {};  // the library may write up to 260 bytes
  if (g_OmxLib.OMXWL_IPDataToStr) g_OmxLib.OMXWL_IPDataToStr(info.NI_IpAddr, text);
  const std::string ip = FieldText(text, sizeof text);
  LblIP->SetCaption(ip.empty() ? "0.0.0.0" : ip);
  // The adapter offers no list of associated stations: every row goes.
  LvMAC->Clear();
}

void TFrameAPInfo::ConnectLast() {
  if (!adapter_ || !adapter_->ReadSet("InitConnect", true)) return;
  const WLProfile& ap = g_GlobalVar.APProfile;
  LogWrite("Connect last => %s", EscapeControls(ProfileNameText(ap)).c_str());
  adapter_->Connect(ap);
}

void TFrameAPInfo::BtnRefreshClick() {
  LvMAC->Clear();
}
