#include "pages/station/Uframesurvey.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "pages/station/Upageparts.h"
#include "pages/station/Ustationlogic.h"
#include "ui/Upalette.h"

using namespace pageparts;

namespace {

constexpr const char* kSection = "FrameSurvey";
constexpr int kInfoLeft = 362;
constexpr int kInfoRight = 536;

std::string SsidText(const SiteEntry& e) {
  const uint32_t n = e.SsidLength < sizeof e.Ssid ? e.SsidLength : sizeof e.Ssid;
  return std::string(reinterpret_cast<const char*>(e.Ssid), n);
}

std::string MacText(const uint8_t* mac) {
  char text[24];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
  return text;
}

int Channel(const SiteEntry& e) {
  return g_OmxLib.OMXWL_FrequencyToChannel ? g_OmxLib.OMXWL_FrequencyToChannel(e.Frequency) : 0;
}

}  // namespace

TFrameSurvey::TFrameSurvey(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgSurvey");
  LbNetList = MakeHeading(this, this, "LbNetList", "Available Network List", 16, 12, 320);
  LvSite = new TSortLv(this, this, "LvSite");
  LvSite->SetBounds(16, 34, 330, 186);
  LvSite->AddColumn("", 26);
  LvSite->AddColumn("SSID", 150);
  LvSite->AddColumn("Channel", 64);
  LvSite->AddColumn("Signal", 64);
  LvSite->SkipSort1 = 0;
  LvSite->SetSortColunm(3);
  LvSite->SetIncrease(false);
  LvSite->SetGridLines(true);
  LvSite->SetSmallImages(Images("ImgsType"));
  LvSite->SetSortImages(Images("ImgsSort"));

  LbSiteInfo = MakeHeading(this, this, "LbSiteInfo", "Site Information", 354, 12, 182);
  int top = 40;
  auto pair = [&](TLabel*& caption, TValueLabel*& value, const char* cname, const char* vname,
                  const char* text) {
    caption = MakeCaption(this, this, cname, text, kInfoLeft, top);
    value = MakeValue(this, this, vname, kInfoLeft + 80, top, 84);
    top += 24;
  };
  pair(LbNetType, LblNetType, "LbNetType", "LblNetType", "Network Type:");
  pair(LbWlMode, LblWlMode, "LbWlMode", "LblWlMode", "Network Mode:");
  pair(LbChannel, LblChannel, "LbChannel", "LblChannel", "Channel:");
  pair(LbEncry, LblEncry, "LbEncry", "LblEncry", "Encryption:");
  pair(LbMAC, LblMAC, "LbMAC", "LblMAC", "MAC Address:");
  pair(LbTime, LblTime, "LbTime", "LblTime", "Surveyed at:");

  BtnScan = MakeButton(this, this, "BtnScan", "Scan", "ImgBtnScan", 0, kButtonTop);
  BtnConnect =
      MakeButton(this, this, "BtnConnect", "Connect", "ImgBtnConnect", kButtonRight, kButtonTop);
  PlSearch = new TPanel(this, this, "PlSearch", "Searching");
  PlSearch->SetColor(palette::AccentTint);
  PlSearch->SetBorderColor(palette::Accent);
  PlSearch->SetFontColor(palette::AccentDark);
  PlSearch->SetFontBold(true);
  PlSearch->SetBounds(LvSite->Left() + (LvSite->Width() - 160) / 2, 110, 160, 34);
  PlSearch->Hide();
  TimerSurvey = new TTimer(this, "TimerSurvey", 3000, false);

  LvSite->OnCompare = [this](const TLvRow& a, const TLvRow& b) { return LvSiteCompare(a, b); };
  LvSite->OnSelectItem = [this](TLvRow* row, bool selected) { LvSiteSelectItem(row, selected); };
  LvSite->OnRowColor = [this](const TLvRow& row) -> COLORREF {
    const SiteEntry* e = RowSite(&row);
    static const uint8_t zero[6] = {};
    if (!e || std::memcmp(lastStatus_.Bssid, zero, 6) == 0) return CLR_NONE;
    return std::memcmp(e->Bssid, lastStatus_.Bssid, 6) == 0 ? palette::RowHighlight : CLR_NONE;
  };
  LvSite->OnDeleteRow = [](TLvRow& row) {
    delete static_cast<SiteEntry*>(row.Data);
    row.Data = nullptr;
  };
  LvSite->OnDblClick = [this] { BtnConnectClick(); };
  BtnScan->OnClick = [this] { BtnScanClick(); };
  BtnConnect->OnClick = [this] { BtnConnectClick(); };
  TimerSurvey->OnTimer = [this] { TimerSurveyTimer(); };
}

TFrameSurvey::~TFrameSurvey() {
  TimerSurvey->SetEnabled(false);
  ClearList();
}

const SiteEntry* TFrameSurvey::RowSite(const TLvRow* row) {
  return row ? static_cast<const SiteEntry*>(row->Data) : nullptr;
}

void TFrameSurvey::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  for (auto [caption, value] : {std::pair<TLabel*, TControl*>{LbNetType, LblNetType},
                                {LbWlMode, LblWlMode},
                                {LbChannel, LblChannel},
                                {LbEncry, LblEncry},
                                {LbMAC, LblMAC},
                                {LbTime, LblTime}})
    FitLabelPair(caption, value, kInfoRight);
  ShrinkCaption(LbSiteInfo);
  BtnScan->SetLeft(BtnConnect->Left() - kButtonGap - BtnScan->Width());
  ResetPage();
}

void TFrameSurvey::DonePage() {
  ClearList();
}

void TFrameSurvey::ResetPage() {
  TimerSurvey->SetEnabled(false);
  std::memset(&lastStatus_, 0, sizeof lastStatus_);
  ClearList();
  BtnScan->SetEnabled(false);
  BtnConnect->SetEnabled(false);
  PlSearch->Hide();
}

bool TFrameSurvey::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  if (!(flags & kSurveyNoScan) && adapter_ && BtnScan->Enabled()) BtnScanClick();
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameSurvey::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == 1) {
    if (!adapter || (mode & 1)) return;
    adapter_ = adapter;
    blocked_ = adapter->UseWZC;
    if (!blocked_) {
      // The adapter started a survey of its own: fetch its result.
      TimerSurvey->SetEnabled(true);
      PlSearch->Show();
    }
  } else if (kind == 2) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameSurvey::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  if (!adapter_) return;
  if (code == 4) {
    blocked_ = value == 1;
    if (blocked_) {
      ResetPage();
    } else {
      BtnScanClick();
    }
  } else if (code == 3) {
    TrackAssociation();
  }
}

void TFrameSurvey::BtnScanClick() {
  if (!adapter_ || adapter_->UseWZC) return;
  BtnScan->SetEnabled(false);
  ClearList();
  PlSearch->Show();
  adapter_->StartSiteSurvey();
  TimerSurvey->SetEnabled(false);
  TimerSurvey->SetEnabled(true);
}

void TFrameSurvey::TimerSurveyTimer() {
  TimerSurvey->SetEnabled(false);
  if (adapter_) {
    std::vector<SiteEntry> entries;
    adapter_->GetSiteList(entries);
    ShowSiteList(entries);
  }
  PlSearch->Hide();
  BtnScan->SetEnabled(adapter_ && !blocked_);
}

void TFrameSurvey::ClearList() {
  LvSite->Clear();
  LblTime->SetCaption("");
  // The list does not report the selection it lost with its rows.
  LvSiteSelectItem(nullptr, false);
}

void TFrameSurvey::ShowSiteList(const std::vector<SiteEntry>& entries) {
  ClearList();
  LvSite->BeginUpdate();
  for (const SiteEntry& e : entries) {
    TLvRow* row = LvSite->AddRow("", new SiteEntry(e));
    row->AddSubItem(SsidText(e));
    row->AddSubItem(std::to_string(Channel(e)));
    row->AddSubItem(std::to_string(CFAGlobalVar::SignalPercent(e.SignalLevel)) + "%");
    row->SetImageIndex(stationlogic::NetworkIcon(e.SecurityCode != 0, e.InfraMode));
  }
  LvSite->EndUpdate();
  LvSite->Sort();
  if (LvSite->RowCount() > 0) LvSite->SelectRow(0);
  FocusControl(LvSite, this, "TFrameSurvey::ShowSiteList");
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
  LblTime->SetCaption(text);
}

int TFrameSurvey::LvSiteCompare(const TLvRow& a, const TLvRow& b) const {
  const SiteEntry* ea = RowSite(&a);
  const SiteEntry* eb = RowSite(&b);
  const int column = LvSite->SortColunm();
  if (!ea || !eb) return stationlogic::CompareTexts(a.Text(column), b.Text(column), true);
  return stationlogic::CompareSites(column, LvSite->Increase(), Channel(*ea), Channel(*eb),
                                    ea->SignalLevel, eb->SignalLevel, a.Text(column),
                                    b.Text(column));
}

void TFrameSurvey::LvSiteSelectItem(TLvRow* row, bool selected) {
  const SiteEntry* e = RowSite(row);
  if (selected && e) {
    ShowSiteInfo(*e);
    BtnConnect->SetEnabled(!blocked_);
    return;
  }
  for (TValueLabel* l : {LblNetType, LblWlMode, LblChannel, LblEncry, LblMAC}) l->SetCaption("");
  BtnConnect->SetEnabled(false);
}

void TFrameSurvey::ShowSiteInfo(const SiteEntry& e) {
  const std::string* common = g_GlobalVar.CommonStrings;
  LblNetType->SetCaption(e.InfraMode == 1 ? common[csInfrastructure] : common[csAdHoc]);
  switch (e.NetType) {
    case 1:
      LblWlMode->SetCaption(common[cs802B]);
      break;
    case 2:
      LblWlMode->SetCaption(common[cs802A]);
      break;
    case 3:
      LblWlMode->SetCaption(common[cs802G]);
      break;
    default:
      LblWlMode->SetCaption("");
      break;
  }
  LblChannel->SetCaption(std::to_string(Channel(e)));
  LblEncry->SetCaption(g_GlobalVar.SiteSecurityText(e.SecurityCode));
  LblMAC->SetCaption(MacText(e.Bssid));
}

void TFrameSurvey::TrackAssociation() {
  if (!adapter_ || adapter_->UseWZC) return;
  WLStatus status{};
  adapter_->GetStatus(status);
  if (status.MediaState == 1) std::memset(&status, 0, sizeof status);
  if (std::memcmp(status.Bssid, lastStatus_.Bssid, 6) != 0) {
    lastStatus_ = status;
    LvSite->Invalidate();
  }
}

void TFrameSurvey::BtnConnectClick() {
  FocusControl(LvSite, this, "TFrameSurvey::BtnConnectClick");
  const SiteEntry* e = RowSite(LvSite->Selected());
  if (!e || !adapter_ || blocked_) return;
  WLProfile& work = g_GlobalVar.WorkProfile;
  adapter_->SiteToProfile(*e, work);
  SetField(work.ProfileName, kEditingProfile);
  SetField(work.NetInfo.NI_sz_CurProfile, kEditingProfile);
  TForm* form = ParentForm();
  if (work.EncryptionMethod != 0) {
    // The profile page opens the wizard at the security step.
    if (form) SendMessageA(form->Handle(), NotifyMsg, kNotifyShowProfile, kProfKeyOnly);
  } else {
    adapter_->Connect(work);
    if (form) PostMessageA(form->Handle(), NotifyMsg, kNotifyShowPage, kPageLinkInfo);
  }
}
