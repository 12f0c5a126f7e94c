#include "pages/station/Uframesurvey.h"

#include <cstdio>

#include "adapter/Ucomxlib.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "pages/Unetname.h"
#include "pages/station/Upageparts.h"
#include "pages/station/Ustationlogic.h"
#include "ui/Upalette.h"

using namespace pageparts;

namespace {

constexpr const char* kSection = "FrameSurvey";
constexpr int kInfoLeft = 362;
constexpr int kInfoRight = 536;

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
  Sites = std::make_unique<TScanList>(
      this, TScanList::TLook{.Left = 16,
                             .Top = 34,
                             .Width = 330,
                             .Height = 186,
                             .Columns = {{"SSID", 150}, {"Channel", 64}, {"Signal", 64}},
                             .SortColumn = 3,
                             .Increase = false,
                             .GridLines = true,
                             .SearchCaption = "Searching",
                             .SearchWidth = 160,
                             .SearchTop = 110,
                             .CurrentRowColor = palette::RowHighlight,
                             .ScanLeft = 0,
                             .ScanTop = kButtonTop});
  LvSite = Sites->LvSite;
  PlSearch = Sites->PlSearch;
  BtnScan = Sites->BtnScan;
  TimerSurvey = Sites->TimerSurvey;

  LbSiteInfo = MakeHeading(this, this, "LbSiteInfo", "Site Information", 354, 12, 182);
  LabelRows rows{.Owner = this,
                 .Parent = this,
                 .CaptionLeft = kInfoLeft,
                 .ValueLeft = kInfoLeft + 80,
                 .ValueWidth = 84,
                 .Top = 40,
                 .Pitch = 24};
  rows.Add(LbNetType, LblNetType, "LbNetType", "LblNetType", "Network Type:");
  rows.Add(LbWlMode, LblWlMode, "LbWlMode", "LblWlMode", "Network Mode:");
  rows.Add(LbChannel, LblChannel, "LbChannel", "LblChannel", "Channel:");
  rows.Add(LbEncry, LblEncry, "LbEncry", "LblEncry", "Encryption:");
  rows.Add(LbMAC, LblMAC, "LbMAC", "LblMAC", "MAC Address:");
  rows.Add(LbTime, LblTime, "LbTime", "LblTime", "Surveyed at:");

  BtnConnect =
      MakeButton(this, this, "BtnConnect", "Connect", "ImgBtnConnect", kButtonRight, kButtonTop);

  LvSite->OnCompare = [this](const TLvRow& a, const TLvRow& b) { return LvSiteCompare(a, b); };
  LvSite->OnSelectItem = [this](TLvRow* row, bool selected) { LvSiteSelectItem(row, selected); };
  LvSite->OnDblClick = [this] { BtnConnectClick(); };
  BtnConnect->OnClick = [this] { BtnConnectClick(); };
  Sites->OnAddRow = [](TLvRow& row, const SiteEntry& e) {
    row.AddSubItem(std::to_string(Channel(e)));
    row.AddSubItem(std::to_string(CFAGlobalVar::SignalPercent(e.SignalLevel)) + "%");
  };
  Sites->OnCleared = [this] {
    LblTime->SetCaption("");
    // The list does not report the selection it lost with its rows.
    LvSiteSelectItem(nullptr, false);
  };
  Sites->OnListed = [this] {
    if (LvSite->RowCount() > 0) LvSite->SelectRow(0);
    FocusControl(LvSite, this, "TFrameSurvey::ShowSiteList");
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
    LblTime->SetCaption(text);
  };
}

void TFrameSurvey::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  LayoutText();
  BtnScan->SetLeft(BtnConnect->Left() - kButtonGap - BtnScan->Width());
  ResetPage();
}

void TFrameSurvey::LayoutText() {
  for (auto [caption, value] : {std::pair<TLabel*, TControl*>{LbNetType, LblNetType},
                                {LbWlMode, LblWlMode},
                                {LbChannel, LblChannel},
                                {LbEncry, LblEncry},
                                {LbMAC, LblMAC},
                                {LbTime, LblTime}})
    FitLabelPair(caption, value, kInfoRight);
  ShrinkCaption(LbSiteInfo);
}

void TFrameSurvey::DonePage() {
  Sites->Clear();
}

void TFrameSurvey::ResetPage() {
  Sites->Reset();
  BtnConnect->SetEnabled(false);
}

bool TFrameSurvey::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  if (!(flags & kSurveyNoScan) && Adapter() && BtnScan->Enabled()) BtnScanClick();
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameSurvey::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    Sites->Attach(adapter, mode);
  } else if (kind == kDetach) {
    BtnConnect->SetEnabled(false);
    Sites->Detach();
  }
}

void TFrameSurvey::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  Sites->AdapterNotify(code, value);
}

int TFrameSurvey::LvSiteCompare(const TLvRow& a, const TLvRow& b) const {
  const SiteEntry* ea = TScanList::RowSite(&a);
  const SiteEntry* eb = TScanList::RowSite(&b);
  const int column = LvSite->SortColunm();
  if (!ea || !eb) return stationlogic::CompareTexts(a.Text(column), b.Text(column), true);
  return stationlogic::CompareSites(column, LvSite->Increase(), Channel(*ea), Channel(*eb),
                                    ea->SignalLevel, eb->SignalLevel, a.Text(column),
                                    b.Text(column));
}

void TFrameSurvey::LvSiteSelectItem(TLvRow* row, bool selected) {
  const SiteEntry* e = TScanList::RowSite(row);
  if (selected && e) {
    ShowSiteInfo(*e);
    BtnConnect->SetEnabled(!ScanBlocked());
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

void TFrameSurvey::BtnConnectClick() {
  FocusControl(LvSite, this, "TFrameSurvey::BtnConnectClick");
  const SiteEntry* e = TScanList::RowSite(LvSite->Selected());
  CNICAdapter* adapter = Adapter();
  if (!e || !adapter || ScanBlocked()) return;
  // A name a profile cannot hold is refused, never cut to another network.
  const std::string zero = ZeroSsidMessage(*e);
  if (!zero.empty()) {
    g_GlobalVar.ShowMsgBox(Handle(), zero, MB_ICONWARNING);
    return;
  }
  WLProfile& work = g_GlobalVar.WorkProfile;
  adapter->SiteToProfile(*e, work);
  SetField(work.ProfileName, kEditingProfile);
  SetField(work.NetInfo.NI_sz_CurProfile, kEditingProfile);
  TForm* form = ParentForm();
  if (work.EncryptionMethod != 0) {
    // The profile page opens the wizard at the security step.
    if (form) SendMessageA(form->Handle(), NotifyMsg, kNotifyShowProfile, kProfKeyOnly);
  } else {
    adapter->Connect(work);
    if (form) PostMessageA(form->Handle(), NotifyMsg, kNotifyShowPage, kPageLinkInfo);
  }
}
