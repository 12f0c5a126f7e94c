#include "pages/ap/Uframeapfilter.h"

#include "adapter/Unicadapter.h"
#include "config/Unotify.h"
#include "pages/ap/Uaplogic.h"
#include "pages/station/Upageparts.h"

using namespace pageparts;

namespace {
constexpr const char* kSection = "FrameAPFilter";
// Four rows of four addresses, numbered along the rows.
constexpr int kAddrLeft = 24;
constexpr int kAddrTop = 96;
constexpr int kColumnStep = 130;
constexpr int kRowStep = 28;
constexpr int kNumberWidth = 18;
constexpr int kEditWidth = 110;
}  // namespace

TFrameAPFilter::TFrameAPFilter(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrAPFilter");
  LbFilter = MakeHeading(this, this, "LbFilter", "MAC Filter", 16, 12, 300);
  LbType = MakeCaption(this, this, "LbType", "Filter Type", 32, 42);
  CmbType = new TComboBox(this, this, "CmbType");
  CmbType->SetBounds(140, 38, 180, 200);
  LbAddr = MakeCaption(this, this, "LbAddr", "Filter MAC Address", 32, 72);
  LbAddr->SetWidth(300);
  for (int i = 0; i < kAddressCount; ++i) {
    const int left = kAddrLeft + (i % 4) * kColumnStep;
    const int top = kAddrTop + (i / 4) * kRowStep;
    const std::string number = std::to_string(i + 1);
    Lb[i] = MakeCaption(this, this, "Lb" + number, number, left, top + 3);
    Lb[i]->SetWidth(kNumberWidth);
    Lb[i]->SetAlignment(TAlignment::Right);
    Edt[i] = new TMaskEdit(this, this, "Edt" + number);
    Edt[i]->SetBounds(left + kNumberWidth + 4, top, kEditWidth, 21);
    TMaskEdit* edit = Edt[i];
    // Every field follows the rule, so all sixteen behave alike.
    edit->OnChange = [this, edit] { Edt1Change(edit); };
  }
  BtnSave = MakeButton(this, this, "BtnSave", "Save", "ImgBtnSave", kButtonRight, kButtonTop);
  BtnCancel = MakeButton(this, this, "BtnCancel", "Cancel", "ImgBtnCancel",
                         kButtonRight - kButtonGap - 100, kButtonTop);
  BtnSave->OnClick = [this] { BtnSaveClick(); };
  BtnCancel->OnClick = [this] { BtnCancelClick(); };
  CmbType->OnSelect = [] {};  // choosing a type changes nothing yet
}

void TFrameAPFilter::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  CmbType->Clear();
  ResetPage();
}

void TFrameAPFilter::ResetPage() {
  CmbType->SetItemIndex(-1);
  CmbType->SetEnabled(false);
  for (TMaskEdit* e : Edt) e->SetText("");
  BtnSave->SetEnabled(false);
  BtnCancel->SetEnabled(false);
}

void TFrameAPFilter::EnableControls() {
  CmbType->SetEnabled(true);
  Load();
  BtnSave->SetEnabled(true);
  BtnCancel->SetEnabled(true);
}

void TFrameAPFilter::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || !(mode & kModeAP)) return;
    adapter_ = adapter;
    if (!adapter->UseWZC) EnableControls();
  } else if (kind == kDetach) {
    ResetPage();
    adapter_ = nullptr;
  }
}

void TFrameAPFilter::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  if (!adapter_ || code != kNotifyWZC) return;
  if (value == kWZCOn)
    ResetPage();
  else
    EnableControls();
}

bool TFrameAPFilter::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  if (adapter_ && !adapter_->UseWZC) Load();
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameAPFilter::BtnSaveClick() {
  // Saving shows the access-point information page; there is nothing to
  // store yet.
  if (!adapter_) return;
  if (TForm* form = ParentForm())
    PostMessageA(form->Handle(), NotifyMsg, kNotifyShowPage, kPageAPInfo);
}

void TFrameAPFilter::BtnCancelClick() {
  Load();
}

void TFrameAPFilter::Edt1Change(TMaskEdit* edit) {
  const std::string value = edit->Value();
  const std::string fixed = aplogic::AddressInput(value, edit->Mask().size());
  if (fixed == value) return;
  const int caret = edit->SelStart();
  edit->SetValue(fixed);
  edit->SetSelStart(caret);
}
