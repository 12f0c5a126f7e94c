#include "pages/wizard/Uframenettype.h"

#include <cstring>

#include "adapter/Unicadapter.h"
#include "pages/station/Ustationlogic.h"
#include "pages/wizard/Uwizardlogic.h"
#include "pages/wizard/Uwizardparts.h"
#include "ui/Upalette.h"

using namespace pageparts;
using namespace wizardparts;

namespace {

constexpr const char* kSection = "FrameNetType";
constexpr int kFieldLeft = 120;

std::string SsidText(const SiteEntry& e) {
  const uint32_t n = e.SsidLength < sizeof e.Ssid ? e.SsidLength : sizeof e.Ssid;
  return std::string(reinterpret_cast<const char*>(e.Ssid), n);
}

}  // namespace

TFrameNetType::TFrameNetType(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbEdtMode = MakeHeading(this, this, "LbEdtMode", "Add New Profile", 16, 12, 250);
  LbName = MakeCaption(this, this, "LbName", "Profile Name", 16, 44);
  EdtName = new TEdit(this, this, "EdtName");
  EdtName->SetBounds(kFieldLeft, 40, 150, 22);
  EdtName->SetMaxLength(32);
  LbSSID = MakeCaption(this, this, "LbSSID", "SSID", 16, 76);
  EdtSSID = new TEdit(this, this, "EdtSSID");
  EdtSSID->SetBounds(kFieldLeft, 72, 150, 22);
  EdtSSID->SetMaxLength(static_cast<int>(wizardlogic::kSsidChars));

  LbNetType = MakeHeading(this, this, "LbNetType", "Network Type", 16, 108, 250);
  RBtnInfra = new TRadioButton(this, this, "RBtnInfra");
  RBtnInfra->SetBounds(16, 132, 16, 16);
  LbInfra = MakeCaption(this, this, "LbInfra", "Infrastructure", 38, 132);
  LbInfra->SetWidth(220);
  LblInfra = MakeCaption(this, this, "LblInfra", "-- Connect to an Access Point", 38, 150);
  LblInfra->SetWidth(230);
  RBtnAdHoc = new TRadioButton(this, this, "RBtnAdHoc");
  RBtnAdHoc->SetBounds(16, 176, 16, 16);
  LbAdHoc = MakeCaption(this, this, "LbAdHoc", "Ad-Hoc", 38, 176);
  LbAdHoc->SetWidth(220);
  LblAdHoc = MakeCaption(this, this, "LblAdHoc", "-- Connect directly to other computers", 38, 194);
  LblAdHoc->SetWidth(230);
  LbInfra->OnClick = [this] { RBtnInfra->Click(); };
  LbAdHoc->OnClick = [this] { RBtnAdHoc->Click(); };

  LbScan = MakeHeading(this, this, "LbScan", "Scan Info", 300, 12, 236);
  LvSite = new TSortLv(this, this, "LvSite");
  LvSite->SetBounds(300, 34, 236, 148);
  LvSite->AddColumn("", 26);
  LvSite->AddColumn("SSID", 186);
  LvSite->SkipSort1 = 0;
  LvSite->SetSortColunm(1);
  LvSite->SetIncrease(true);
  LvSite->SetSmallImages(Images("ImgsType"));
  LvSite->SetSortImages(Images("ImgsSort"));
  PlSearch = new TPanel(this, this, "PlSearch", "Search");
  PlSearch->SetColor(palette::AccentTint);
  PlSearch->SetBorderColor(palette::Accent);
  PlSearch->SetFontColor(palette::AccentDark);
  PlSearch->SetFontBold(true);
  PlSearch->SetBounds(LvSite->Left() + (LvSite->Width() - 140) / 2, 92, 140, 34);
  PlSearch->Hide();
  BtnScan = MakeButton(this, this, "BtnScan", "Scan", "ImgBtnScan", 328, 188);
  BtnSelect = MakeButton(this, this, "BtnSelect", "Select", "ImgBtnSelect", 436, 188);

  BtnNext = MakeBarButton(this, "BtnNext", "Next", "ImgBtnNext", kSlotMiddle);
  BtnExit = MakeBarButton(this, "BtnExit", "Exit", "ImgBtnExit", kSlotRight);
  TimerSurvey = new TTimer(this, "TimerSurvey", 3000, false);

  LvSite->OnCompare = [this](const TLvRow& a, const TLvRow& b) {
    const int column = LvSite->SortColunm();
    if (column > 0)
      return stationlogic::CompareTexts(a.SubItem(column - 1), b.SubItem(column - 1),
                                        LvSite->Increase());
    return stationlogic::CompareTexts(a.Caption(), b.Caption(), LvSite->Increase());
  };
  LvSite->OnSelectItem = [this](TLvRow*, bool) {
    BtnSelect->SetEnabled(adapter_ && LvSite->Selected() != nullptr);
  };
  LvSite->OnRowColor = [this](const TLvRow& row) -> COLORREF {
    static const uint8_t zero[6] = {};
    const SiteEntry* e = RowSite(&row);
    if (!e || std::memcmp(currentAP_, zero, 6) == 0) return CLR_NONE;
    return std::memcmp(e->Bssid, currentAP_, 6) == 0 ? kCurrentRowColor : CLR_NONE;
  };
  LvSite->OnDeleteRow = [](TLvRow& row) {
    delete static_cast<SiteEntry*>(row.Data);
    row.Data = nullptr;
  };
  LvSite->OnDblClick = [this] { BtnSelectClick(); };
  BtnScan->OnClick = [this] { BtnScanClick(); };
  BtnSelect->OnClick = [this] { BtnSelectClick(); };
  TimerSurvey->OnTimer = [this] { TimerSurveyTimer(); };
}

TFrameNetType::~TFrameNetType() {
  TimerSurvey->SetEnabled(false);
  // The list does not report its rows while its owner is being destroyed.
  ClearList();
}

const SiteEntry* TFrameNetType::RowSite(const TLvRow* row) {
  return row ? static_cast<const SiteEntry*>(row->Data) : nullptr;
}

void TFrameNetType::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  ResetPage();
}

void TFrameNetType::DonePage() {
  ClearList();
}

void TFrameNetType::ResetPage() {
  TimerSurvey->SetEnabled(false);
  if (surveyInterval_) {
    TimerSurvey->SetInterval(surveyInterval_);
    surveyInterval_ = 0;
  }
  std::memset(currentAP_, 0, sizeof currentAP_);
  ClearList();
  BtnScan->SetEnabled(false);
  BtnSelect->SetEnabled(false);
  PlSearch->Hide();
  EdtName->SetText("");
  EdtSSID->SetText("");
  adapter_ = nullptr;
}

void TFrameNetType::ClearList() {
  LvSite->Clear();
  BtnSelect->SetEnabled(false);
}

bool TFrameNetType::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  if (mode == kDirForward && adapter_ && BtnScan->Enabled()) BtnScanClick();
  flags_ = flags;
  LbEdtMode->SetCaption((flags & kProfEditMode)
                            ? g_GlobalVar.StrFileRead(kSection, "LbEdt", "Edit Profile")
                            : g_GlobalVar.StrFileRead(kSection, "LbAdd", "Add New Profile"));
  const WLProfile& work = g_GlobalVar.WorkProfile;
  EdtName->SetText(FieldText(work.ProfileName));
  EdtSSID->SetText(FieldText(work.Ssid1));
  (work.NetworkMode == 1 ? RBtnInfra : RBtnAdHoc)->SetChecked(true);
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

bool TFrameNetType::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward) {
    using namespace wizardlogic;
    const std::string name = CutText(EdtName->Text(), kNameChars);
    const TNameCheck check = CheckProfileName(
        name, adapter_ ? adapter_->DefAPProfName : std::string(),
        [this](const std::string& n) { return adapter_ && adapter_->IsProfileExist(n); },
        (flags_ & kProfEditMode) != 0, nameOnEntry_);
    if (check != TNameCheck::Ok) {
      Warn(this, NameCheckMessage(check, name));
      FocusFirst(EdtName);
      return false;
    }
    const std::string ssid = CutText(EdtSSID->Text(), kSsidChars);
    if (ssid.empty()) {
      Warn(this, MessageText("ErEmySSID", "SSID can't be empty!"));
      FocusFirst(EdtSSID);
      return false;
    }
    WLProfile& work = g_GlobalVar.WorkProfile;
    SetField(work.ProfileName, name);
    SetField(work.NetInfo.NI_sz_CurProfile, name);
    SetField(work.Ssid1, ssid);
    work.NetworkMode = RBtnInfra->Checked() ? 1 : 0;
    if (adapter_) {
      if (work.NetworkMode == 1) {
        work.Channel = adapter_->DefProf.Channel;
        work.AdHocBand = adapter_->DefProf.AdHocBand;
      } else {
        work.ABGMode = adapter_->SupportMode;
      }
    }
  }
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}

void TFrameNetType::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || (mode & kModeAP)) return;
    adapter_ = adapter;
    // The adapter scanned when it started: its result comes first.
    TimerSurvey->SetEnabled(true);
    PlSearch->Show();
  } else if (kind == kDetach) {
    ResetPage();
  }
}

void TFrameNetType::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter, (void)value;
  if (adapter_ && code == kNotifyStatus) RefreshCurrentAP();
}

void TFrameNetType::CatchUp(DWORD attachedMs) {
  if (!adapter_ || !TimerSurvey->Enabled()) return;
  RefreshCurrentAP();
  const UINT interval = TimerSurvey->Interval();
  if (attachedMs >= interval) {
    TimerSurveyTimer();
    return;
  }
  surveyInterval_ = interval;
  TimerSurvey->SetInterval(interval - attachedMs);
}

void TFrameNetType::RefreshCurrentAP() {
  WLStatus status{};
  adapter_->GetStatus(status);
  if (status.MediaState == 1) std::memset(&status, 0, sizeof status);
  if (std::memcmp(status.Bssid, currentAP_, sizeof currentAP_) != 0) {
    std::memcpy(currentAP_, status.Bssid, sizeof currentAP_);
    LvSite->Invalidate();
  }
}

void TFrameNetType::BtnScanClick() {
  if (!adapter_) return;
  BtnScan->SetEnabled(false);
  ClearList();
  PlSearch->Show();
  adapter_->StartSiteSurvey();
  TimerSurvey->SetEnabled(false);
  TimerSurvey->SetEnabled(true);
}

void TFrameNetType::TimerSurveyTimer() {
  TimerSurvey->SetEnabled(false);
  if (surveyInterval_) {
    TimerSurvey->SetInterval(surveyInterval_);
    surveyInterval_ = 0;
  }
  if (adapter_) {
    std::vector<SiteEntry> entries;
    adapter_->GetSiteList(entries);
    ClearList();
    LvSite->BeginUpdate();
    for (const SiteEntry& e : entries) {
      TLvRow* row = LvSite->AddRow("", new SiteEntry(e));
      row->AddSubItem(SsidText(e));
      row->SetImageIndex(stationlogic::NetworkIcon(e.SecurityCode != 0, e.InfraMode));
    }
    LvSite->EndUpdate();
    LvSite->Sort();
  }
  PlSearch->Hide();
  BtnScan->SetEnabled(adapter_ != nullptr);
}

void TFrameNetType::BtnSelectClick() {
  const SiteEntry* e = RowSite(LvSite->Selected());
  if (!adapter_ || !e) return;
  WLProfile& work = g_GlobalVar.WorkProfile;
  // The network's own settings replace every earlier choice; the name the
  // user typed stays.
  adapter_->SiteToProfile(*e, work);
  EdtSSID->SetText(FieldText(work.Ssid1));
  (work.NetworkMode == 1 ? RBtnInfra : RBtnAdHoc)->SetChecked(true);
}
