#include "pages/station/Uframelinkinfo.h"

#include <cstdio>
#include <cstring>
#include <exception>

#include "adapter/Ucomxlib.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Unotify.h"
#include "pages/station/Uformchart.h"
#include "pages/station/Upageparts.h"
#include "pages/station/Ustationlogic.h"
#include "shell/Uaccessnames.h"

using namespace pageparts;

namespace {

constexpr const char* kSection = "FrameLinkInfo";
constexpr int kLeftCaption = 32;
constexpr int kLeftRight = 264;
constexpr int kRightCaption = 300;
constexpr int kRightRight = 536;
constexpr int kFirstRow = 38;
constexpr int kRowStep = 24;
constexpr int kLampLeft = 416;

// The chart window while it is open: events reach it through the page, and
// a second one is not opened.
TFormChart* g_FormChart = nullptr;

std::string CommonText(int index) {
  return index >= 0 && index < kCommonStringCount ? g_GlobalVar.CommonStrings[index]
                                                  : std::string();
}

}  // namespace

TFrameLinkInfo::TFrameLinkInfo(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrLink");
  LbStatus = MakeHeading(this, this, "LbStatus", "Wireless Network Status", 16, 12, 266);
  LbStatistics = MakeHeading(this, this, "LbStatistics", "Statistics", 292, 12, 200);

  LabelRows rows{.Owner = this,
                 .Parent = this,
                 .CaptionLeft = kLeftCaption,
                 .ValueLeft = kLeftCaption + 100,
                 .ValueWidth = 100,
                 .Top = kFirstRow,
                 .Pitch = kRowStep};
  rows.Add(LbProfName, LblProfName, "LbProfName", "LblProfName", "Profile Name:");
  rows.Add(LbSSID, LblSSID, "LbSSID", "LblSSID", "Network Name (SSID):");
  rows.Add(LbMAC, LblMAC, "LbMAC", "LblMAC", "AP MAC Address:");
  rows.Add(LbNetType, LblNetType, "LbNetType", "LblNetType", "Network Type:");
  rows.Add(LbTxRate, LblTxRate, "LbTxRate", "LblTxRate", "Transmission Rate:");
  rows.Add(LbSecurity, LblSecurity, "LbSecurity", "LblSecurity", "Security:");
  rows.Add(LbChannel, LblChannel, "LbChannel", "LblChannel", "Channel:");
  rows.Add(LbIP, LblIP, "LbIP", "LblIP", "IP Address");
  rows.CaptionLeft = kRightCaption;
  rows.ValueLeft = kRightCaption + 100;
  rows.Top = kFirstRow;
  rows.Add(LbTransRate, LblTransRate, "LbTransRate", "LblTransRate", "Transmit Rate:");
  rows.Add(LbRecvReate, LblRecvReate, "LbRecvReate", "LblRecvReate", "Receive Rate:");
  rows.Add(LbAuthen, LblAuthen, "LbAuthen", "LblAuthen", "Authentication:");
  rows.Add(LbNetMode, LblNetMode, "LbNetMode", "LblNetMode", "Network Mode:");
  rows.Add(LbTrans, LblTrans, "LbTrans", "LblTrans", "Total Transmit:");
  rows.Add(LbRecv, LblRecv, "LbRecv", "LblRecv", "Total Receive:");
  rows.Add(LbLinkQuality, LblLinkQuality, "LbLinkQuality", "LblLinkQuality", "Link Quality:");

  LbSignal = MakeCaption(this, this, "LbSignal", "Signal Strength", kRightCaption, 214);
  LbQuality = MakeCaption(this, this, "LbQuality", "Link Quality", kRightCaption, 240);
  // Up to a small gap before the lamps: translations run long, and fonts at
  // some scales grow a little more than the layout.
  for (TLabel* l : {LbSignal, LbQuality}) l->SetWidth(kLampLeft - 6 - kRightCaption);
  BtnTChart = new TPicButton(this, this, "BtnTChart");
  BtnTChart->SetFaces(Picture("ImgBtnTChart"), Picture("ImgBtnTChartOn"),
                      Picture("ImgBtnTChartOn"));
  BtnTChart->SetBounds(kRightRight - 30, 4, 30, 30);
  BtnTChart->SetEnabled(false);
  BtnTChart->OnClick = [this] { BtnTChartClick(); };
}

void TFrameLinkInfo::InitPage() {
  LocalisePage(kSection);
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty())
    for (TLabel* l : {LbProfName, LbSSID, LbMAC, LbNetType, LbTxRate, LbSecurity, LbChannel, LbIP})
      PlaceMarkImage(l, &mark);
  LayoutText();
  // Right-aligned with the right column.
  BtnTChart->SetLeft(kRightRight - BtnTChart->Width());
  const TPicture& light = Picture("ImgLight");
  const int w = light.Empty() ? 10 : light.Width();
  const int h = light.Empty() ? 14 : light.Height();
  for (int i = 0; i < kLampCount; ++i) {
    SignalLamps[i] = new TImage(this, this, "ImgSignal" + std::to_string(i + 1));
    SignalLamps[i]->SetPicture(light);
    SignalLamps[i]->SetBounds(kLampLeft + i * w, LbSignal->Top() + 1, w, h);
    QualityLamps[i] = new TImage(this, this, "ImgQuality" + std::to_string(i + 1));
    QualityLamps[i]->SetPicture(light);
    QualityLamps[i]->SetBounds(kLampLeft + i * w, LbQuality->Top() + 1, w, h);
  }
  accessnames::DescribeLampRow(SignalLamps, kLampCount, "SignalLamps", "Signal: %d of %d");
  accessnames::DescribeLampRow(QualityLamps, kLampCount, "QualityLamps", "Link quality: %d of %d");
  accessnames::NameButton(BtnTChart, "Chart", "Throughput Chart");
  ResetPage();
}

void TFrameLinkInfo::LayoutText() {
  TLabel* left[] = {LbProfName, LbSSID, LbMAC, LbNetType, LbTxRate, LbSecurity, LbChannel, LbIP};
  TValueLabel* leftValues[] = {LblProfName, LblSSID,     LblMAC,     LblNetType,
                               LblTxRate,   LblSecurity, LblChannel, LblIP};
  for (int i = 0; i < 8; ++i) FitLabelPair(left[i], leftValues[i], kLeftRight);
  TLabel* right[] = {LbTransRate, LbRecvReate, LbAuthen, LbNetMode, LbTrans, LbRecv, LbLinkQuality};
  TValueLabel* rightValues[] = {LblTransRate, LblRecvReate, LblAuthen,     LblNetMode,
                                LblTrans,     LblRecv,      LblLinkQuality};
  for (int i = 0; i < 7; ++i) FitLabelPair(right[i], rightValues[i], kRightRight);
  ShrinkCaption(LbStatistics);
}

void TFrameLinkInfo::ResetPage() {
  ClearValues();
  BtnTChart->SetEnabled(false);
  haveProfile_ = false;
  std::memset(&profile_, 0, sizeof profile_);
  connecting_ = false;
  rateTime_ = 0;
}

void TFrameLinkInfo::ClearValues() {
  for (TComponent* c : Components())
    if (c->Kind() == TKind::ValueLabel) c->AsControl()->SetCaption("");
  for (int i = 0; i < kLampCount; ++i) {
    if (SignalLamps[i]) SignalLamps[i]->Hide();
    if (QualityLamps[i]) QualityLamps[i]->Hide();
  }
}

int TFrameLinkInfo::LitLamps(bool quality) const {
  int n = 0;
  for (TImage* lamp : quality ? QualityLamps : SignalLamps) n += lamp && lamp->Visible();
  return n;
}

TFormChart* TFrameLinkInfo::Chart() {
  return g_FormChart;
}

void TFrameLinkInfo::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (g_FormChart) g_FormChart->AttachAdapter(adapter, kind, mode);
  if (kind == kAttach) {
    if (!adapter || (mode & kModeAP)) return;
    adapter_ = adapter;
    // While Windows manages the adapter there are no rates to chart.
    BtnTChart->SetEnabled(!adapter->UseWZC);
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameLinkInfo::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  if (!adapter_) return;
  if (g_FormChart) g_FormChart->AdapterNotify(adapter, code, value);
  if (code == kNotifyStatus) {
    Refresh();
  } else if (code == kNotifyConnecting && !(value & kNotifyAPSide)) {
    ConnectStarted();
  } else if (code == kNotifyWZC) {
    if (value == kWZCOn)
      ResetPage();
    else
      BtnTChart->SetEnabled(true);
  }
}

void TFrameLinkInfo::BtnTChartClick() {
  // While Windows manages the adapter the button is off and nothing is charted.
  if (!adapter_ || adapter_->UseWZC || g_FormChart) return;
  try {
    TFormChart chart;
    g_FormChart = &chart;
    chart.ShowChart(ParentForm(), adapter_);
  } catch (const std::exception& e) {
    LogWrite("Exception(TFrameLinkInfo::BtnTChartClick): %s", e.what());
  }
  g_FormChart = nullptr;
}

void TFrameLinkInfo::ConnectStarted() {
  connecting_ = true;
  rateTime_ = 0;
  ClearValues();
  haveProfile_ = adapter_->GetAppliedProf(profile_);
}

void TFrameLinkInfo::Refresh() {
  if (adapter_->UseWZC) return;
  WLStatus status{};
  NetworkInfo info{};
  adapter_->GetStatus(status);
  adapter_->GetNetInfo(info);
  if (status.MediaState != 0) {
    if (connecting_) return;
    rateTime_ = 0;
    ClearValues();
    return;
  }
  if (connecting_) {
    connecting_ = false;
    if (!adapter_->UseWZC && adapter_->ReadSet("AutoRenewIP", true))
      adapter_->IPConfig(kIPRelease | kIPRenew);
  }
  ShowStatus(status);
  ShowIP(info);
  ShowRates(status);
}

void TFrameLinkInfo::ShowStatus(const WLStatus& s) {
  const std::string* common = g_GlobalVar.CommonStrings;
  if (haveProfile_) {
    const std::string name = ProfileNameText(profile_);
    LblProfName->SetCaption(name == kEditingProfile ? std::string() : name);
    LblSecurity->SetCaption(g_GlobalVar.SecurityText(profile_.EncryptionMethod));
  } else {
    LblSecurity->SetCaption(g_GlobalVar.SecurityText(s.Security));
  }
  LblAuthen->SetCaption(CommonText(stationlogic::AuthenIndex(
      haveProfile_, profile_.EncryptionMethod, profile_.MS8021xAuthMode, s.AuthMode)));
  LblSSID->SetCaption(SsidText(s));
  char text[64];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", s.Bssid[0], s.Bssid[1],
                s.Bssid[2], s.Bssid[3], s.Bssid[4], s.Bssid[5]);
  LblMAC->SetCaption(text);
  LblNetType->SetCaption(s.InfraMode == 1 ? common[csInfrastructure] : common[csAdHoc]);
  LblTxRate->SetCaption(RateText(s.TxRate));
  LblChannel->SetCaption(std::to_string(
      g_OmxLib.OMXWL_FrequencyToChannel ? g_OmxLib.OMXWL_FrequencyToChannel(s.Frequency) : 0));
  switch (s.NetType) {
    case 1:
      LblNetMode->SetCaption(common[cs802B]);
      break;
    case 2:
      LblNetMode->SetCaption(common[cs802A]);
      break;
    case 3:
      LblNetMode->SetCaption(common[cs802G]);
      break;
    default:
      break;
  }
  LblTrans->SetCaption(std::to_string(s.TxTotal));
  LblRecv->SetCaption(std::to_string(s.RxTotal));
  std::snprintf(text, sizeof text, "%d %s", static_cast<int>(s.LinkLevel), common[csdBm].c_str());
  LblLinkQuality->SetCaption(text);
  ShowLamps(SignalLamps, stationlogic::LampCount(s.SignalLevel));
  ShowLamps(QualityLamps, stationlogic::LampCount(s.LinkLevel));
}

void TFrameLinkInfo::ShowLamps(TImage* const* lamps, int lit) {
  for (int i = 0; i < kLampCount; ++i)
    if (lamps[i]) lamps[i]->SetVisible(i < lit);
}

void TFrameLinkInfo::ShowIP(const NetworkInfo& info) {
  char text[260] = {};  // the library may write up to 260 bytes
  if (g_OmxLib.OMXWL_IPDataToStr) g_OmxLib.OMXWL_IPDataToStr(info.NI_IpAddr, text);
  std::string ip = FieldText(text, sizeof text);
  LblIP->SetCaption(ip.empty() ? "0.0.0.0" : ip);
}

void TFrameLinkInfo::ShowRates(const WLStatus& s) {
  const DWORD now = GetTickCount();
  if (rateTime_ == 0) {
    rateTime_ = now;
    prevRx_ = s.RxCounter;
    prevTx_ = s.TxCounter;
    return;
  }
  const DWORD elapsed = now - rateTime_;
  const std::string& kbps = g_GlobalVar.CommonStrings[csKbps];
  char text[64];
  std::snprintf(text, sizeof text, "%.0f %s", stationlogic::KbitRate(s.TxCounter, prevTx_, elapsed),
                kbps.c_str());
  LblTransRate->SetCaption(text);
  std::snprintf(text, sizeof text, "%.0f %s", stationlogic::KbitRate(s.RxCounter, prevRx_, elapsed),
                kbps.c_str());
  LblRecvReate->SetCaption(text);
  prevRx_ = s.RxCounter;
  prevTx_ = s.TxCounter;
  rateTime_ = now;
}
