#include "pages/wizard/Uframeprofset.h"

#include <utility>

#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "pages/wizard/Uframeactive.h"
#include "pages/wizard/Uframeconfirm.h"
#include "pages/wizard/Uframedot11.h"
#include "pages/wizard/Uframenettype.h"
#include "pages/wizard/Uframesecurity.h"
#include "pages/wizard/Uframewep.h"
#include "pages/wizard/Uframewireless.h"
#include "pages/wizard/Uframewlmode.h"
#include "pages/wizard/Uframewpapsk.h"
#include "pages/wizard/Uwizardparts.h"
#include "shell/Uaccessnames.h"
#include "shell/Ulibqueue.h"

using wizardlogic::TWizPage;

namespace {

// Posted to itself: focus the current page once it shows.
constexpr UINT kMsgFocusPage = WM_APP + 40;

// Order of pages_: the values of TWizPage after None.
int SlotOf(TWizPage page) {
  return static_cast<int>(page) - static_cast<int>(TWizPage::NetType);
}

}  // namespace

TFrameProfSet::TFrameProfSet(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  SetBounds(Left(), Top(), pageparts::kPageWidth, pageparts::kPageHeight);
  pages_[SlotOf(TWizPage::NetType)] = FrameNetType1 = new TFrameNetType(this, this);
  pages_[SlotOf(TWizPage::WlMode)] = FrameWlMode1 = new TFrameWlMode(this, this);
  pages_[SlotOf(TWizPage::Wireless)] = FrameWireless1 = new TFrameWireless(this, this);
  pages_[SlotOf(TWizPage::Security)] = FrameSecurity1 = new TFrameSecurity(this, this);
  pages_[SlotOf(TWizPage::WEP)] = FrameWEP1 = new TFrameWEP(this, this);
  pages_[SlotOf(TWizPage::WPAPSK)] = FrameWPAPSK1 = new TFrameWPAPSK(this, this);
  pages_[SlotOf(TWizPage::Dot11)] = Frame8021X1 = new TFrameDot11(this, this);
  pages_[SlotOf(TWizPage::Confirm)] = FrameConfirm1 = new TFrameConfirm(this, this);
  pages_[SlotOf(TWizPage::Active)] = FrameActive1 = new TFrameActive(this, this);
  for (TPropertyPageFrame* page : pages_) page->SetBounds(0, 0, Width(), Height());
  // A screen reader reads each page by its title (the last one by what it
  // says), as the tabs name the main window's pages.
  const std::pair<TPropertyPageFrame*, const TControl*> titles[] = {
      {FrameNetType1, FrameNetType1->LbEdtMode},
      {FrameWlMode1, FrameWlMode1->LbWlSet},
      {FrameWireless1, FrameWireless1->LbWlModeSet},
      {FrameSecurity1, FrameSecurity1->LbSecuritySet},
      {FrameWEP1, FrameWEP1->LbWEPSet},
      {FrameWPAPSK1, FrameWPAPSK1->LbPSKSet},
      {Frame8021X1, Frame8021X1->LbDot11Set},
      {FrameConfirm1, FrameConfirm1->LbConfirm},
      {FrameActive1, FrameActive1->LbMsg}};
  for (const auto& [page, title] : titles) accessnames::DescribePage(page, title);

  // The pages never move by themselves: their buttons are the controller's.
  auto wire = [this](TPicButton* button, void (TFrameProfSet::*handler)()) {
    button->OnClick = [this, handler] { (this->*handler)(); };
  };
  wire(FrameNetType1->BtnNext, &TFrameProfSet::BtnNextClick);
  wire(FrameNetType1->BtnExit, &TFrameProfSet::BtnExitClick);
  auto wireMiddle = [&](TPicButton* back, TPicButton* next, TPicButton* exit) {
    wire(back, &TFrameProfSet::BtnBackClick);
    wire(next, &TFrameProfSet::BtnNextClick);
    wire(exit, &TFrameProfSet::BtnExitClick);
  };
  wireMiddle(FrameWlMode1->BtnBack, FrameWlMode1->BtnNext, FrameWlMode1->BtnExit);
  wireMiddle(FrameWireless1->BtnBack, FrameWireless1->BtnNext, FrameWireless1->BtnExit);
  wireMiddle(FrameSecurity1->BtnBack, FrameSecurity1->BtnNext, FrameSecurity1->BtnExit);
  wireMiddle(FrameWEP1->BtnBack, FrameWEP1->BtnNext, FrameWEP1->BtnExit);
  wireMiddle(FrameWPAPSK1->BtnBack, FrameWPAPSK1->BtnNext, FrameWPAPSK1->BtnExit);
  wireMiddle(Frame8021X1->BtnBack, Frame8021X1->BtnNext, Frame8021X1->BtnExit);
  wire(FrameConfirm1->BtnBack, &TFrameProfSet::BtnBackClick);
  wire(FrameConfirm1->BtnSave, &TFrameProfSet::BtnSaveClick);
  wire(FrameConfirm1->BtnExit, &TFrameProfSet::BtnExitClick);
  wire(FrameActive1->BtnActNow, &TFrameProfSet::BtnActNowClick);
  wire(FrameActive1->BtnActLater, &TFrameProfSet::BtnActLaterClick);
}

TPropertyPageFrame* TFrameProfSet::PageOf(TWizPage page) const {
  const int slot = SlotOf(page);
  return slot >= 0 && slot < 9 ? pages_[slot] : nullptr;
}

TWizPage TFrameProfSet::KindOf(const TPropertyPageFrame* page) const {
  for (int i = 0; i < 9; ++i)
    if (pages_[i] == page) return static_cast<TWizPage>(i + static_cast<int>(TWizPage::NetType));
  return TWizPage::None;
}

TWinControl* TFrameProfSet::FirstFocusOf(TWizPage page) const {
  switch (page) {
    case TWizPage::NetType:
      return FrameNetType1->FirstFocus();
    case TWizPage::WlMode:
      return FrameWlMode1->FirstFocus();
    case TWizPage::Wireless:
      return FrameWireless1->FirstFocus();
    case TWizPage::Security:
      return FrameSecurity1->FirstFocus();
    case TWizPage::WEP:
      return FrameWEP1->FirstFocus();
    case TWizPage::WPAPSK:
      return FrameWPAPSK1->FirstFocus();
    case TWizPage::Dot11:
      return Frame8021X1->FirstFocus();
    case TWizPage::Confirm:
      return FrameConfirm1->FirstFocus();
    case TWizPage::Active:
      return FrameActive1->FirstFocus();
    default:
      return nullptr;
  }
}

TPicButton* TFrameProfSet::ForwardButton(TWizPage page) const {
  switch (page) {
    case TWizPage::NetType:
      return FrameNetType1->BtnNext;
    case TWizPage::WlMode:
      return FrameWlMode1->BtnNext;
    case TWizPage::Wireless:
      return FrameWireless1->BtnNext;
    case TWizPage::Security:
      return FrameSecurity1->BtnNext;
    case TWizPage::WEP:
      return FrameWEP1->BtnNext;
    case TWizPage::WPAPSK:
      return FrameWPAPSK1->BtnNext;
    case TWizPage::Dot11:
      return Frame8021X1->BtnNext;
    case TWizPage::Confirm:
      return FrameConfirm1->BtnSave;
    case TWizPage::Active:
      return FrameActive1->BtnActNow;
    default:
      return nullptr;
  }
}

TPicButton* TFrameProfSet::ExitButton(TWizPage page) const {
  switch (page) {
    case TWizPage::NetType:
      return FrameNetType1->BtnExit;
    case TWizPage::WlMode:
      return FrameWlMode1->BtnExit;
    case TWizPage::Wireless:
      return FrameWireless1->BtnExit;
    case TWizPage::Security:
      return FrameSecurity1->BtnExit;
    case TWizPage::WEP:
      return FrameWEP1->BtnExit;
    case TWizPage::WPAPSK:
      return FrameWPAPSK1->BtnExit;
    case TWizPage::Dot11:
      return Frame8021X1->BtnExit;
    case TWizPage::Confirm:
      return FrameConfirm1->BtnExit;
    // The last page has no Exit: later is the way out.
    case TWizPage::Active:
      return FrameActive1->BtnActLater;
    default:
      return nullptr;
  }
}

void TFrameProfSet::InitPage() {
  for (TPropertyPageFrame* page : pages_) page->InitPage();
  ResetPage();
}

void TFrameProfSet::DonePage() {
  // The scan list and the certificate lists own their rows.
  for (TPropertyPageFrame* page : pages_) page->DonePage();
}

void TFrameProfSet::ResetPage() {
  for (TPropertyPageFrame* page : pages_) page->Hide();
  current_ = TWizPage::None;
}

bool TFrameProfSet::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  returnPage_ = mode;
  flags_ = flags;
  ResetPage();
  const WLProfile& work = g_GlobalVar.WorkProfile;
  if (!(flags & kProfKeyOnly)) FrameNetType1->SetNameOnEntry(ProfileNameText(work));
  // The pages always accept; should the first one refuse, the list stays
  // rather than an empty wizard without a way out.
  const bool shown = GoTo(wizardlogic::FirstPage(flags, work.EncryptionMethod), kDirForward);
  TPropertyPageFrame::EnterPage(previous, mode, flags);
  return shown;
}

void TFrameProfSet::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  for (TPropertyPageFrame* page : pages_) page->AttachAdapter(adapter, kind, mode);
  if (kind == kAttach) {
    if (adapter && !(mode & kModeAP)) adapter_ = adapter;
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameProfSet::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  for (TPropertyPageFrame* page : pages_) page->AdapterNotify(adapter, code, value);
}

void TFrameProfSet::CatchUp(unsigned long attachedMs) {
  FrameNetType1->CatchUp(attachedMs);
}

bool TFrameProfSet::GoTo(TWizPage target, int direction) {
  TPropertyPageFrame* page = PageOf(target);
  if (!page) return false;
  TPropertyPageFrame* current = CurrentPage();
  if (!page->EnterPage(current, direction, flags_)) return false;
  if (current && current != page) current->Hide();
  page->Show();
  current_ = target;
  FocusCurrent();
  return true;
}

void TFrameProfSet::FocusCurrent() {
  if (!wizardparts::FocusFirst(FirstFocusOf(current_)) && Handle())
    PostMessageA(Handle(), kMsgFocusPage, 0, 0);
}

LRESULT TFrameProfSet::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kMsgFocusPage) {
    // Only when the user has not put the focus somewhere on the page.
    TPropertyPageFrame* page = CurrentPage();
    HWND focus = GetFocus();
    if (page && page->Showing() && !(focus && IsChild(page->Handle(), focus)))
      wizardparts::FocusFirst(FirstFocusOf(current_));
    return 0;
  }
  return TPropertyPageFrame::WndProc(msg, wp, lp);
}

void TFrameProfSet::BtnNextClick() {
  TPropertyPageFrame* page = CurrentPage();
  if (!page) return;
  const TWizPage from = current_;
  if (!page->LeavePage(nullptr, kDirForward, flags_)) return;
  // A message box of the page may have let the adapter go meanwhile.
  if (current_ != from) return;
  const WLProfile& work = g_GlobalVar.WorkProfile;
  const bool bandRule = wizardlogic::BandRule(flags_, work.NetworkMode, adapter_ != nullptr,
                                              adapter_ ? adapter_->SupportMode : 0);
  GoTo(wizardlogic::NextPage(from, work, bandRule), kDirForward);
}

void TFrameProfSet::BtnBackClick() {
  TPropertyPageFrame* page = CurrentPage();
  if (!page) return;
  TPropertyPageFrame* previous = page->PrevPage();
  if (!page->LeavePage(nullptr, kDirBack, flags_)) return;
  if (previous)
    GoTo(KindOf(previous), kDirBack);
  else
    BtnExitClick();
}

void TFrameProfSet::BtnExitClick() {
  PostToForm(kNotifyShowPage, returnPage_);
}

void TFrameProfSet::BtnSaveClick() {
  if (flags_ & kProfKeyOnly) {
    BtnActNowClick();
    return;
  }
  // While another thread holds the library the save waits its turn; it is
  // made only if the wizard still shows the page it was asked from.
  libqueue::Run(FrameConfirm1->BtnSave, "Save (wizard)", [this, from = current_] {
    if (current_ == from && Showing()) StoreAndGo();
  });
}

void TFrameProfSet::StoreAndGo() {
  TForm* form = ParentForm();
  const LRESULT stored =
      form ? SendMessageA(form->Handle(), NotifyMsg, kNotifyStoreProfile, flags_) : 0;
  if (!stored) {
    // Saying "configured successfully" over a profile that was not stored
    // would lose it without a word: the user stays here and may try again.
    wizardparts::Warn(this, wizardparts::MessageText(
                                "ErSaveProf", "The profile could not be saved. Please try again."));
    return;
  }
  GoTo(TWizPage::Active, kDirForward);
}

void TFrameProfSet::BtnActNowClick() {
  if (adapter_) adapter_->Connect(g_GlobalVar.WorkProfile);
  PostToForm(kNotifyShowPage, kPageLinkInfo);
}

void TFrameProfSet::BtnActLaterClick() {
  BtnExitClick();
}

void TFrameProfSet::PostToForm(WPARAM code, LPARAM value) {
  if (TForm* form = ParentForm()) PostMessageA(form->Handle(), NotifyMsg, code, value);
}

bool TFrameProfSet::DialogKey(int id) {
  if (current_ == TWizPage::None || !Showing()) return false;
  TPicButton* button = id == IDOK       ? ForwardButton(current_)
                       : id == IDCANCEL ? ExitButton(current_)
                                        : nullptr;
  if (!button) return false;
  if (button->Enabled() && button->Visible()) button->Click();
  return true;
}
