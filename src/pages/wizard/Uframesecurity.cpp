#include "pages/wizard/Uframesecurity.h"

#include "adapter/Unicadapter.h"
#include "pages/wizard/Uwizardlogic.h"
#include "pages/wizard/Uwizardparts.h"

using namespace pageparts;
using namespace wizardparts;

namespace {
constexpr const char* kSection = "FrameSecurity";
}  // namespace

TFrameSecurity::TFrameSecurity(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbSecuritySet = MakeHeading(this, this, "LbSecuritySet", "Security Settings", 16, 12, 300);
  LbSecurity = MakeCaption(this, this, "LbSecurity", "Encryption Type", 30, 48);
  LbSecurity->SetWidth(112);
  CmbSecurity = new TComboBox(this, this, "CmbSecurity");
  CmbSecurity->SetBounds(150, 44, 160, 22);
  BtnBack = MakeBarButton(this, "BtnBack", "Back", "ImgBtnBack", kSlotLeft);
  BtnNext = MakeBarButton(this, "BtnNext", "Next", "ImgBtnNext", kSlotMiddle);
  BtnExit = MakeBarButton(this, "BtnExit", "Exit", "ImgBtnExit", kSlotRight);
}

void TFrameSecurity::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty()) PlaceMarkImage(LbSecurity, &mark);
  ResetPage();
}

void TFrameSecurity::ResetPage() {
  CmbSecurity->Clear();
}

void TFrameSecurity::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (adapter && !(mode & kModeAP)) adapter_ = adapter;
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

bool TFrameSecurity::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  CmbSecurity->Clear();
  if (adapter_) {
    const WLProfile& work = g_GlobalVar.WorkProfile;
    const auto offered = wizardlogic::OfferedSecurity(
        work.NetworkMode, g_GlobalVar.OsVersionCode,
        [this](const char* name) { return adapter_->ReadSet(name, true); });
    for (int32_t type : offered) CmbSecurity->AddItem(g_GlobalVar.SecurityText(type), type);
    CmbSecurity->SetItemIndex(wizardlogic::PickSecurity(offered, work.EncryptionMethod));
  }
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

bool TFrameSecurity::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward) {
    WLProfile& work = g_GlobalVar.WorkProfile;
    const auto chosen = static_cast<int32_t>(CmbSecurity->SelectedValue(EncNone));
    // Another type starts from empty keys and pass phrases; the same type
    // keeps what was stored.
    if (chosen != work.EncryptionMethod) {
      CFAGlobalVar::ResetSecurity(work);
      work.EncryptionMethod = chosen;
    }
  }
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}
