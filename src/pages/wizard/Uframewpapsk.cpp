#include "pages/wizard/Uframewpapsk.h"

#include "adapter/Unicadapter.h"
#include "pages/station/Upageparts.h"
#include "pages/wizard/Usecuritylogic.h"
#include "ui/Uuithread.h"

using namespace pageparts;
using namespace securitylogic;

namespace {

constexpr const char* kSection = "FrameWPAPSK";
constexpr const char* kPassphraseMessage =
    "Passphrase should be between 8 to 63 charachers in ASCII format.";
constexpr int kCaptionLeft = 40;
constexpr int kFieldLeft = 190;
constexpr int kFieldWidth = 240;

bool ReadSwitch(const void* adapter, const char* name, bool def) {
  return static_cast<const CNICAdapter*>(adapter)->ReadSet(name, def);
}

}  // namespace

TFrameWPAPSK::TFrameWPAPSK(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)), alive_(std::make_shared<bool>(true)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbPSKSet = MakeHeading(this, this, "LbPSKSet", "Security Settings", 16, 12, 300);
  LbEncry = MakeCaption(this, this, "LbEncry", "Encryption Type", kCaptionLeft, 48);
  LbEncry->SetWidth(kFieldLeft - kCaptionLeft - 8);
  CmbEncryp = new TComboBox(this, this, "CmbEncryp");
  CmbEncryp->SetBounds(kFieldLeft, 44, kFieldWidth, 200);
  LbPhrase = MakeCaption(this, this, "LbPhrase", "Pass Phrase", kCaptionLeft, 80);
  LbPhrase->SetWidth(kFieldLeft - kCaptionLeft - 8);
  EdtPhrase = new TEdit(this, this, "EdtPhrase");
  EdtPhrase->SetBounds(kFieldLeft, 76, kFieldWidth, 21);
  EdtPhrase->SetMaxLength(kPskMaxLength);
  EdtPhrase->OnMaxText = [this] { EdtPhraseMaxText(); };

  BtnBack = MakeButton(this, this, "BtnBack", "Back", "ImgBtnBack",
                       kButtonRight - 2 * (100 + kButtonGap), kButtonTop);
  BtnNext = MakeButton(this, this, "BtnNext", "Next", "ImgBtnNext",
                       kButtonRight - (100 + kButtonGap), kButtonTop);
  BtnExit = MakeButton(this, this, "BtnExit", "Exit", "ImgBtnExit", kButtonRight, kButtonTop);
}

TFrameWPAPSK::~TFrameWPAPSK() {
  *alive_ = false;
}

TWinControl* TFrameWPAPSK::FirstFocus() const {
  return EdtPhrase;
}

void TFrameWPAPSK::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty())
    for (TLabel* l : {LbEncry, LbPhrase}) PlaceMarkImage(l, &mark);
  ResetPage();
}

void TFrameWPAPSK::ResetPage() {
  CmbEncryp->Clear();
  EdtPhrase->SetText("");
  EdtPhrase->SetMasked(false);
}

void TFrameWPAPSK::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || (mode & kModeAP)) return;
    adapter_ = adapter;
  } else if (kind == kDetach) {
    adapter_ = nullptr;
    ResetPage();
  }
}

void TFrameWPAPSK::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  TPropertyPageFrame::AdapterNotify(adapter, code, value);
}

void TFrameWPAPSK::FillCiphers() {
  CmbEncryp->Clear();
  if (!adapter_) return;
  for (const Offer& o : Offered(CipherOffers(), &ReadSwitch, adapter_))
    CmbEncryp->AddItem(g_GlobalVar.CommonStrings[o.TextIndex], o.Value);
}

bool TFrameWPAPSK::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  const WLProfile& work = g_GlobalVar.WorkProfile;
  FillCiphers();
  if (!CmbEncryp->SelectByValue(work.WPAEncryptionType))
    CmbEncryp->SetItemIndex(CmbEncryp->Count() > 0 ? 0 : -1);
  const std::string phrase = FieldText(work.WPAPassphrase);
  EdtPhrase->SetText(phrase);
  EdtPhrase->SetMasked(!phrase.empty());
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

bool TFrameWPAPSK::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward) {
    const std::string phrase = EdtPhrase->Text();
    if (!PskLengthOk(phrase)) {
      ShowLengthMessage();
      return false;
    }
    WritePskFields(g_GlobalVar.WorkProfile, phrase,
                   static_cast<int32_t>(CmbEncryp->SelectedValue(kCipherTKIP)));
  }
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}

void TFrameWPAPSK::EdtPhraseMaxText() {
  // The edit is still inside its own key handling: show the box afterwards,
  // once per refused key press however fast the keys repeat.
  if (messagePending_) return;
  messagePending_ = true;
  std::weak_ptr<bool> alive = alive_;
  const bool queued = ui::Queue([this, alive] {
    auto page = alive.lock();
    if (!page || !*page) return;
    messagePending_ = false;
    ShowLengthMessage();
  });
  if (!queued) messagePending_ = false;
}

void TFrameWPAPSK::ShowLengthMessage() {
  g_GlobalVar.ShowMsgBox(Handle(),
                         g_GlobalVar.StrFileRead("Message", "ErPassphrase", kPassphraseMessage),
                         MB_ICONWARNING);
}
