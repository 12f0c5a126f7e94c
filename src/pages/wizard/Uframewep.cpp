#include "pages/wizard/Uframewep.h"

#include "adapter/Unicadapter.h"
#include "pages/station/Upageparts.h"

using namespace pageparts;

namespace {
constexpr const char* kSection = "FrameWEP";
}  // namespace

TFrameWEP::TFrameWEP(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbWEPSet = MakeHeading(this, this, "LbWEPSet", "Security Settings", 16, 12, 300);
  Wep = std::make_unique<TWEPKeyEditor>(this, kSection,
                                        FieldRows{.Owner = this,
                                                  .Parent = this,
                                                  .CaptionLeft = 40,
                                                  .FieldLeft = 190,
                                                  .FieldWidth = 240,
                                                  .Top = 44,
                                                  .Pitch = 32},
                                        80);
  BtnBack = MakeButton(this, this, "BtnBack", "Back", "ImgBtnBack",
                       kButtonRight - 2 * (100 + kButtonGap), kButtonTop);
  BtnNext = MakeButton(this, this, "BtnNext", "Next", "ImgBtnNext",
                       kButtonRight - (100 + kButtonGap), kButtonTop);
  BtnExit = MakeButton(this, this, "BtnExit", "Exit", "ImgBtnExit", kButtonRight, kButtonTop);
}

void TFrameWEP::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty())
    for (TLabel* l : {Wep->LbWEP, Wep->LbAuthen, Wep->LbPhrase, Wep->LbDefKey, Wep->LbKey})
      PlaceMarkImage(l, &mark);
  Wep->FillLists(true);
  ResetPage();
}

void TFrameWEP::DonePage() {
  Wep->ClearSecrets();
}

void TFrameWEP::ResetPage() {
  if (!Adapter()) Wep->CmbWEP->Clear();
  Wep->Reset();
  Wep->CmbAuthen->SelectByValue(AuthAuto);
  Wep->CmbDefKey->SetItemIndex(0);
}

void TFrameWEP::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || (mode & kModeAP)) return;
    Wep->SetAdapter(adapter);
    // No item for "no WEP": a page without sizes stores no security.
    Wep->FillSizes(false);
  } else if (kind == kDetach) {
    Wep->SetAdapter(nullptr);
    ResetPage();
  }
}

bool TFrameWEP::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  Wep->Load(g_GlobalVar.WorkProfile);
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

bool TFrameWEP::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward && !Wep->Store(g_GlobalVar.WorkProfile)) return false;
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}
