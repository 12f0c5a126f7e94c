#include "pages/Uwepkeys.h"

#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "shell/Ulibqueue.h"

using namespace pageparts;

TWEPKeyEditor::TWEPKeyEditor(TPropertyPageFrame* page, std::string section, FieldRows rows,
                             int transmitWidth)
    : page_(page), section_(std::move(section)) {
  LbWEP = rows.Caption("LbWEP", "WEP");
  CmbWEP = rows.Combo("CmbWEP");
  rows.Next();
  LbAuthen = rows.Caption("LbAuthen", "Authentication Type");
  CmbAuthen = rows.Combo("CmbAuthen");
  rows.Next();
  LbPhrase = rows.Caption("LbPhrase", "Pass Phrase");
  EdtPhrase = rows.Edit("EdtPhrase");
  EdtPhrase->SetMaxLength(255);
  rows.Next();
  LbDefKey = rows.Caption("LbDefKey", "Transmit Key");
  CmbDefKey = rows.Combo("CmbDefKey");
  CmbDefKey->SetWidth(transmitWidth);
  rows.Next();
  LbKey = rows.Caption("LbKey", "Key 1");
  EdtKey1 = rows.Edit("EdtKey1");
  EdtKey2 = rows.Edit("EdtKey2");
  EdtKey3 = rows.Edit("EdtKey3");
  EdtKey4 = rows.Edit("EdtKey4");

  CmbWEP->OnSelect = [this] { CmbWEPSelect(); };
  CmbDefKey->OnSelect = [this] { CmbDefKeySelect(); };
  EdtPhrase->OnChange = [this] { EdtPhraseChange(); };
  for (int i = 0; i < 4; ++i) KeyEdit(i)->OnChange = [this] { EdtKeyChange(); };
}

TWEPKeyEditor::~TWEPKeyEditor() {
  // The page frees the controls after the editor: nothing may call it then.
  CmbWEP->OnSelect = nullptr;
  CmbDefKey->OnSelect = nullptr;
  EdtPhrase->OnChange = nullptr;
  for (int i = 0; i < 4; ++i) KeyEdit(i)->OnChange = nullptr;
}

TEdit* TWEPKeyEditor::KeyEdit(int index) const {
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

TWinControl* TWEPKeyEditor::FirstFocus() const {
  if (EdtPhrase->Enabled()) return EdtPhrase;
  TEdit* key = KeyEdit(static_cast<int>(CmbDefKey->SelectedValue(0)));
  return key ? key : EdtKey1;
}

int32_t TWEPKeyEditor::SelectedSize() const {
  return static_cast<int32_t>(CmbWEP->SelectedValue(kWEPSizeNone));
}

void TWEPKeyEditor::FillLists(bool withAuto) {
  const std::string* common = g_GlobalVar.CommonStrings;
  CmbAuthen->Clear();
  CmbAuthen->AddItem(common[csAuthModeOpen], AuthOpen);
  CmbAuthen->AddItem(common[csAuthModeShare], AuthShared);
  if (withAuto) CmbAuthen->AddItem(common[csAuthModeAuto], AuthAuto);
  authDefault_ = withAuto ? AuthAuto : AuthOpen;
  CmbDefKey->Clear();
  for (int i = 0; i < 4; ++i) CmbDefKey->AddItem(std::to_string(i + 1), i);
}

void TWEPKeyEditor::FillSizes(bool withNone) {
  CmbWEP->Clear();
  if (withNone) CmbWEP->AddItem(g_GlobalVar.CommonStrings[csEncrypt_None], kWEPSizeNone);
  if (!adapter_) return;
  if (adapter_->ReadSet("WEP64", true))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_64], kWEPSize64);
  if (adapter_->ReadSet("WEP128", true))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_128], kWEPSize128);
  if (adapter_->ReadSet("WEP152", false))
    CmbWEP->AddItem(g_GlobalVar.CommonStrings[csWEP_152], kWEPSize152);
}

void TWEPKeyEditor::Reset() {
  const bool wasFilling = filling_;
  filling_ = true;
  CmbWEP->SetItemIndex(-1);
  CmbWEPSelect();
  CmbDefKeySelect();
  EdtPhrase->SetMasked(false);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(false);
  filling_ = wasFilling;
}

void TWEPKeyEditor::Load(const WLProfile& profile) {
  const bool wasFilling = filling_;
  filling_ = true;
  if (!CmbWEP->SelectByValue(profile.WEPEncryptionLevel))
    CmbWEP->SetItemIndex(CmbWEP->Count() > 0 ? 0 : -1);
  CmbWEPSelect();
  if (!CmbAuthen->SelectByValue(profile.AuthenticationMode)) CmbAuthen->SelectByValue(authDefault_);
  if (!CmbDefKey->SelectByValue(profile.DefaultKey)) CmbDefKey->SetItemIndex(0);
  CmbDefKeySelect();
  EdtPhrase->SetText(FieldText(profile.PassPhrase));
  const WEPKeyTexts keys = ProfileWEPKeys(profile);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText(keys[i]);
  EdtPhrase->SetMasked(true);
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(true);
  filling_ = wasFilling;
}

void TWEPKeyEditor::ClearSecrets() {
  const bool wasFilling = filling_;
  filling_ = true;
  EdtPhrase->SetText("");
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText("");
  filling_ = wasFilling;
}

bool TWEPKeyEditor::Store(WLProfile& profile) {
  const int32_t size = SelectedSize();
  if (IsWEPKeySize(size)) {
    const int transmit = static_cast<int>(CmbDefKey->SelectedValue(0));
    TEdit* key = KeyEdit(transmit);
    const WEPKeyCheck check = CheckTransmitKey(key ? key->Text() : std::string(), size);
    if (!check.Ok) {
      g_GlobalVar.ShowMsgBox(page_->Handle(),
                             g_GlobalVar.StrFileRead("Message", check.MessageKey, kWEPKeyMessage),
                             MB_ICONWARNING);
      return false;
    }
    WEPKeyTexts keys;
    for (int i = 0; i < 4; ++i) keys[i] = KeyEdit(i)->Text();
    profile.EncryptionMethod = EncWEP;
    WriteWEPKeys(profile, size, check.Format, transmit, keys);
  } else {
    profile.EncryptionMethod = EncNone;
    ClearWEPKeys(profile);
  }
  profile.AuthenticationMode = static_cast<int32_t>(CmbAuthen->SelectedValue(authDefault_));
  return true;
}

void TWEPKeyEditor::CmbWEPSelect() {
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

void TWEPKeyEditor::CmbDefKeySelect() {
  int index = static_cast<int>(CmbDefKey->SelectedValue(0));
  if (index < 0 || index > 3) index = 0;
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetVisible(i == index);
  const std::string key = "LbKey" + std::to_string(index + 1);
  LbKey->SetCaption(g_GlobalVar.StrFileRead(section_, key, "Key " + std::to_string(index + 1)));
}

void TWEPKeyEditor::EdtPhraseChange() {
  if (filling_ || CmbWEP->ItemIndex() < 0) return;
  generating_ = true;
  const std::string phrase = EdtPhrase->Text();
  if (phrase.empty()) {
    for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText("");
  } else {
    WEPKeyTexts keys;
    if (MakeWEPKeys(adapter_, phrase, SelectedSize(), keys)) {
      for (int i = 0; i < 4; ++i) KeyEdit(i)->SetText(keys[i]);
    } else if (librarylock::TimedOut() && !phraseQueued_) {
      // The library is busy: the keys follow the phrase once it is free.
      phraseQueued_ = true;
      libqueue::Queue(nullptr, "WEP keys from a pass phrase", [this] {
        phraseQueued_ = false;
        // Keys typed meanwhile emptied the phrase: those stay.
        if (!EdtPhrase->Text().empty()) EdtPhraseChange();
      });
    }
  }
  for (int i = 0; i < 4; ++i) KeyEdit(i)->SetMasked(false);
  generating_ = false;
}

void TWEPKeyEditor::EdtKeyChange() {
  if (filling_ || generating_) return;
  filling_ = true;
  EdtPhrase->SetText("");
  EdtPhrase->SetMasked(false);
  filling_ = false;
}
