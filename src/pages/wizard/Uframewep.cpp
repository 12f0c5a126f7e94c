#include "pages/wizard/Uframewep.h"

#include "adapter/Unicadapter.h"
#include "pages/station/Upageparts.h"

using namespace pageparts;

namespace {

constexpr const char* kSection = "FrameWEP";
constexpr int kCaptionLeft = 40;
constexpr int kFieldLeft = 190;
constexpr int kFieldWidth = 240;
constexpr int kFirstRow = 44;
constexpr int kRowPitch = 32;

}  // namespace

TFrameWEP::TFrameWEP(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbWEPSet = MakeHeading(this, this, "LbWEPSet", "Security Settings", 16, 12, 300);
  // Created top to bottom, so Tab follows what the user sees.
  int top = kFirstRow;
  auto caption = [&](const char* n, const char* text) {
    TLabel* l = MakeCaption(this, this, n, text, kCaptionLeft, top + 4);
    l->SetWidth(kFieldLeft - kCaptionLeft - 8);
    return l;
  };
  auto combo = [&](const char* n) {
    auto* c = new TComboBox(this, this, n);
    c->SetBounds(kFieldLeft, top, kFieldWidth, 200);
    return c;
  };
  auto edit = [&](const char* n) {
    auto* e = new TEdit(this, this, n);
    e->SetBounds(kFieldLeft, top, kFieldWidth, 21);
    return e;
  };
  LbWEP = caption("LbWEP", "WEP");
  CmbWEP = combo("CmbWEP");
  top += kRowPitch;
  LbAuthen = caption("LbAuthen", "Authentication Type");
  CmbAuthen = combo("CmbAuthen");
  top += kRowPitch;
  LbPhrase = caption("LbPhrase", "Pass Phrase");
  EdtPhrase = edit("EdtPhrase");
  EdtPhrase->SetMaxLength(255);
  top += kRowPitch;
  LbDefKey = caption("LbDefKey", "Transmit Key");
  CmbDefKey = combo("CmbDefKey");
  CmbDefKey->SetWidth(80);
  top += kRowPitch;
  LbKey = caption("LbKey", "Key 1");
  EdtKey1 = edit("EdtKey1");
  EdtKey2 = edit("EdtKey2");
  EdtKey3 = edit("EdtKey3");
  EdtKey4 = edit("EdtKey4");

  BtnBack = MakeButton(this, this, "BtnBack", "Back", "ImgBtnBack",
                       kButtonRight - 2 * (100 + kButtonGap), kButtonTop);
  BtnNext = MakeButton(this, this, "BtnNext", "Next", "ImgBtnNext",
                       kButtonRight - (100 + kButtonGap), kButtonTop);
  BtnExit = MakeButton(this, this, "BtnExit", "Exit", "ImgBtnExit", kButtonRight, kButtonTop);

  CmbWEP->OnSelect = [this] { CmbWEPSelect(); };
  CmbDefKey->OnSelect = [this] { CmbDefKeySelect(); };
  EdtPhrase->OnChange = [this] { EdtPhraseChange(); };
  EdtKey1->OnChange = [this] { EdtKey1Change(); };
}

TEdit* TFrameWEP::KeyEdit(int index) const {
  switch (index) {
    case 0:
      return EdtKey1;
    case 1:
      return EdtKey2;
    case 2:
      return EdtKey3;
    case 3:
      return EdtKey4;
    default:
      return nullptr;
  }
}

TWinControl* TFrameWEP::FirstFocus() const {
  if (EdtPhrase->Enabled()) return EdtPhrase;
  TEdit* key = KeyEdit(static_cast<int>(CmbDefKey->SelectedValue(0)));
  return key ? key : EdtKey1;
}

void TFrameWEP::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty())
    for (TLabel* l : {LbWEP, LbAuthen, LbPhrase, LbDefKey, LbKey}) PlaceMarkImage(l, &mark);
  const std::string* common = g_GlobalVar.CommonStrings;
  CmbAuthen->Clear();
  CmbAuthen->AddItem(common[csAuthModeOpen], AuthOpen);
  CmbAuthen->AddItem(common[csAuthModeShare], AuthShared);
  CmbAuthen->AddItem(common[csAuthModeAuto], AuthAuto);
  CmbDefKey->Clear();
  for (int i = 0; i < 4; ++i) CmbDefKey->AddItem(std::to_string(i + 1), i);
  ResetPage();
}

void TFrameWEP::DonePage() {
  // No secret stays in a window that outlives the wizard.
  filling_ = true;
  EdtPhrase->SetText("");
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText("");
  filling_ = false;
}

void TFrameWEP::ResetPage() {
  filling_ = true;
  if (!adapter_) CmbWEP->Clear();
  CmbWEP->SetItemIndex(-1);
  CmbWEPSelect();
  CmbAuthen->SelectByValue(AuthAuto);
  CmbDefKey->SetItemIndex(0);
  CmbDefKeySelect();
  EdtPhrase->SetMasked(false);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(false);
  filling_ = false;
}

void TFrameWEP::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || (mode & kModeAP)) return;
    adapter_ = adapter;
    FillSizes();
  } else if (kind == kDetach) {
    adapter_ = nullptr;
    ResetPage();
  }
}

void TFrameWEP::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  TPropertyPageFrame::AdapterNotify(adapter, code, value);
}

void TFrameWEP::FillSizes() {
  CmbWEP->Clear();
  if (!adapter_) return;
  if (adapter_->ReadSet("WEP64", true))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_64], kWEPSize64);
  if (adapter_->ReadSet("WEP128", true))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_128], kWEPSize128);
  if (adapter_->ReadSet("WEP152", false))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_152], kWEPSize152);
}

int32_t TFrameWEP::SelectedSize() const {
  return static_cast<int32_t>(CmbWEP->SelectedValue(kWEPSizeNone));
}

void TFrameWEP::CmbWEPSelect() {
  const int32_t size = SelectedSize();
  const bool keys = IsWEPKeySize(size);
  const bool wasFilling = filling_;
  filling_ = true;
  EdtPhrase->SetEnabled(WEPPassphraseAllowed(size));
  EdtPhrase->SetText("");
  CmbDefKey->SetEnabled(keys);
  for (int i = 0; i < 4; ++i) {
    TEdit* e = KeyEdit(i);
    e->SetMaxLength(WEPHexLength(size));
    e->SetEnabled(keys);
    e->SetText("");
  }
  filling_ = wasFilling;
}

void TFrameWEP::CmbDefKeySelect() {
  int index = static_cast<int>(CmbDefKey->SelectedValue(0));
  if (index < 0 || index > 3) index = 0;
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetVisible(i == index);
  const std::string key = "LbKey" + std::to_string(index + 1);
  LbKey->SetCaption(g_GlobalVar.StrFileRead(kSection, key, "Key " + std::to_string(index + 1)));
}

bool TFrameWEP::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  const WLProfile& work = g_GlobalVar.WorkProfile;
  filling_ = true;
  if (!CmbWEP->SelectByValue(work.WEPEncryptionLevel))
    CmbWEP->SetItemIndex(CmbWEP->Count() > 0 ? 0 : -1);
  CmbWEPSelect();
  if (!CmbAuthen->SelectByValue(work.AuthenticationMode)) CmbAuthen->SelectByValue(AuthAuto);
  if (!CmbDefKey->SelectByValue(work.DefaultKey)) CmbDefKey->SetItemIndex(0);
  CmbDefKeySelect();
  EdtPhrase->SetText(FieldText(work.PassPhrase));
  const WEPKeyTexts keys = ProfileWEPKeys(work);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText(keys[i]);
  EdtPhrase->SetMasked(true);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(true);
  filling_ = false;
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

void TFrameWEP::EdtPhraseChange() {
  if (filling_ || CmbWEP->ItemIndex() < 0) return;
  generating_ = true;
  const std::string phrase = EdtPhrase->Text();
  if (phrase.empty()) {
    for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText("");
  } else {
    WEPKeyTexts keys;
    if (MakeWEPKeys(adapter_, phrase, SelectedSize(), keys))
      for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText(keys[i]);
  }
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(false);
  generating_ = false;
}

void TFrameWEP::EdtKey1Change() {
  if (filling_ || generating_) return;
  // A typed key replaces whatever the pass phrase made.
  filling_ = true;
  EdtPhrase->SetText("");
  EdtPhrase->SetMasked(false);
  filling_ = false;
}

bool TFrameWEP::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward) {
    WLProfile& work = g_GlobalVar.WorkProfile;
    const int32_t size = SelectedSize();
    if (!IsWEPKeySize(size)) {
      work.EncryptionMethod = EncNone;
      ClearWEPKeys(work);
    } else {
      const int transmit = static_cast<int>(CmbDefKey->SelectedValue(0));
      TEdit* key = KeyEdit(transmit);
      const WEPKeyCheck check = CheckTransmitKey(key ? key->Text() : std::string(), size);
      if (!check.Ok) {
        g_GlobalVar.ShowMsgBox(Handle(),
                               g_GlobalVar.StrFileRead("Message", check.MessageKey, kWEPKeyMessage),
                               MB_ICONWARNING);
        return false;
      }
      WEPKeyTexts keys;
      for (int i = 0; i < 4; ++i) keys[i] = KeyEdit(i)->Text();
      WriteWEPKeys(work, size, check.Format, transmit, keys);
    }
    work.AuthenticationMode = static_cast<int32_t>(CmbAuthen->SelectedValue(AuthAuto));
  }
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}
