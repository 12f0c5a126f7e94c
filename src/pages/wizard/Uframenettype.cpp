#include "pages/wizard/Uframenettype.h"

#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "pages/station/Ustationlogic.h"
#include "pages/wizard/Uwizardlogic.h"
#include "pages/wizard/Uwizardparts.h"

using namespace pageparts;
using namespace wizardparts;

namespace {

constexpr const char* kSection = "FrameNetType";
constexpr int kFieldLeft = 120;

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
  Sites = std::make_unique<TScanList>(this, TScanList::TLook{.Left = 300,
                                                             .Top = 34,
                                                             .Width = 236,
                                                             .Height = 148,
                                                             .Columns = {{"SSID", 186}},
                                                             .SortColumn = 1,
                                                             .Increase = true,
                                                             .SearchCaption = "Search",
                                                             .SearchWidth = 140,
                                                             .SearchTop = 92,
                                                             .CurrentRowColor = kCurrentRowColor,
                                                             .ScanLeft = 328,
                                                             .ScanTop = 188});
  LvSite = Sites->LvSite;
  PlSearch = Sites->PlSearch;
  BtnScan = Sites->BtnScan;
  TimerSurvey = Sites->TimerSurvey;
  BtnSelect = MakeButton(this, this, "BtnSelect", "Select", "ImgBtnSelect", 436, 188);

  BtnNext = MakeBarButton(this, "BtnNext", "Next", "ImgBtnNext", kSlotMiddle);
  BtnExit = MakeBarButton(this, "BtnExit", "Exit", "ImgBtnExit", kSlotRight);

  LvSite->OnCompare = [this](const TLvRow& a, const TLvRow& b) {
    const int column = LvSite->SortColunm();
    if (column > 0)
      return stationlogic::CompareTexts(a.SubItem(column - 1), b.SubItem(column - 1),
                                        LvSite->Increase());
    return stationlogic::CompareTexts(a.Caption(), b.Caption(), LvSite->Increase());
  };
  LvSite->OnSelectItem = [this](TLvRow*, bool) {
    BtnSelect->SetEnabled(Adapter() && LvSite->Selected() != nullptr);
  };
  LvSite->OnDblClick = [this] { BtnSelectClick(); };
  BtnSelect->OnClick = [this] { BtnSelectClick(); };
  Sites->OnCleared = [this] { BtnSelect->SetEnabled(false); };
}

void TFrameNetType::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  ResetPage();
}

void TFrameNetType::DonePage() {
  Sites->Clear();
}

void TFrameNetType::ResetPage() {
  Sites->Detach();
  BtnSelect->SetEnabled(false);
  EdtName->SetText("");
  EdtSSID->SetText("");
}

bool TFrameNetType::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  if (mode == kDirForward && Adapter() && BtnScan->Enabled()) BtnScanClick();
  flags_ = flags;
  LbEdtMode->SetCaption((flags & kProfEditMode)
                            ? g_GlobalVar.StrFileRead(kSection, "LbEdt", "Edit Profile")
                            : g_GlobalVar.StrFileRead(kSection, "LbAdd", "Add New Profile"));
  const WLProfile& work = g_GlobalVar.WorkProfile;
  EdtName->SetText(ProfileNameText(work));
  EdtSSID->SetText(ssid_.Load(work));
  (work.NetworkMode == 1 ? RBtnInfra : RBtnAdHoc)->SetChecked(true);
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

bool TFrameNetType::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward) {
    using namespace wizardlogic;
    const std::string name = EdtName->Text();
    std::string refused;
    const TNameCheck check = CheckProfileName(
        name, Adapter() ? Adapter()->DefAPProfName : std::string(),
        [this](const std::string& n) { return Adapter() && Adapter()->IsProfileExist(n); },
        (flags_ & kProfEditMode) != 0, nameOnEntry_, &refused);
    if (check != TNameCheck::Ok) {
      Warn(this, NameCheckMessage(check, name, refused));
      FocusFirst(EdtName);
      return false;
    }
    const std::string typed = EdtSSID->Text();
    std::string ssid;
    const TNetNameField::Check ssidCheck = ssid_.Take(typed, ssid);
    if (ssidCheck != TNetNameField::Check::Ok) {
      Warn(this, ssidCheck == TNetNameField::Check::Empty
                     ? MessageText("ErEmySSID", "SSID can't be empty!")
                     : TNetNameField::Message(ssidCheck, typed));
      FocusFirst(EdtSSID);
      return false;
    }
    WLProfile& work = g_GlobalVar.WorkProfile;
    WLProfile next = work;
    if (!SetProfileNameText(next, name) || !SetSsidBytes(next, ssid)) return false;
    work = next;
    work.NetworkMode = RBtnInfra->Checked() ? 1 : 0;
    if (CNICAdapter* adapter = Adapter()) {
      if (work.NetworkMode == 1) {
        work.Channel = adapter->DefProf.Channel;
        work.AdHocBand = adapter->DefProf.AdHocBand;
      } else {
        work.ABGMode = adapter->SupportMode;
      }
    }
  }
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}

void TFrameNetType::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    Sites->Attach(adapter, mode);
  } else if (kind == kDetach) {
    ResetPage();
  }
}

void TFrameNetType::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  Sites->AdapterNotify(code, value);
}

void TFrameNetType::BtnSelectClick() {
  const SiteEntry* e = TScanList::RowSite(LvSite->Selected());
  if (!Adapter() || !e) return;
  // A name a profile cannot hold is refused, never cut to another network.
  const std::string zero = ZeroSsidMessage(*e);
  if (!zero.empty()) {
    Warn(this, zero);
    return;
  }
  WLProfile& work = g_GlobalVar.WorkProfile;
  // The network's own settings replace every earlier choice; the name the
  // user typed stays.
  Adapter()->SiteToProfile(*e, work);
  EdtSSID->SetText(ssid_.Load(work));
  (work.NetworkMode == 1 ? RBtnInfra : RBtnAdHoc)->SetChecked(true);
}
