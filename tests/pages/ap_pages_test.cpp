// The access-point configuration and filter pages on a real adapter object
// over the simulated library: their lists, the checks and the saving into
// APProfile, Windows management, and the filter's address fields.
#include "adapter/Unicadapter.h"
#include "config/Unotify.h"
#include "config/Uweprules.h"
#include "pages/ap/Uframeapcfg.h"
#include "pages/ap/Uframeapfilter.h"
#include "shell/Uformmsgbox.h"
#include "shell/tformmain_support.h"

using namespace mainwin;

namespace {

DeviceRec APDevice() {
  DeviceRec d{};
  SetField(d.Description, "Ombrix Test Adapter");
  SetField(d.HardwareId, "VID_1D4F&PID_0A71");
  SetField(d.Tag, "9999");
  return d;
}

// A page in a form of its own, attached in the access-point role.
template <class Page>
struct APPage {
  APPage() : host(nullptr, "FormHost"), adapter(nullptr, 0, APDevice()) {
    g_GlobalVar.APProfile = adapter.DefAPProf;
    page = new Page(&host, &host);
    page->InitPage();
    page->Show();
    page->AttachAdapter(&adapter, kAttach, kModeAP);
  }
  ~APPage() {
    page->AttachAdapter(&adapter, kDetach, kModeAP);
    page->DonePage();
  }
  // True when the page asked its form to show the access-point information page.
  bool AskedForInfoPage() {
    MSG msg;
    bool asked = false;
    while (PeekMessageA(&msg, host.Handle(), NotifyMsg, NotifyMsg, PM_REMOVE))
      asked = asked || (msg.wParam == kNotifyShowPage && msg.lParam == kPageAPInfo);
    return asked;
  }
  TForm host;
  CNICAdapter adapter;
  Page* page;
};

std::vector<std::string> Items(TComboBox* c) {
  std::vector<std::string> out;
  for (int i = 0; i < c->Count(); ++i) out.push_back(c->ItemText(i));
  return out;
}

// Answers the next message box with OK and keeps its text.
void AnswerBox(std::string* text) {
  Every(20, [text] {
    auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
    if (!box) return false;
    *text = box->LbMsg->Caption();
    box->BtnOk->Click();
    return true;
  });
}

TEST(APCfgPage, OffersTheAdaptersModesAndSizesAndShowsAPProfile) {
  MainWindowEnv env("SoftAPChBG=1,6,x,11\r\nSoftAPChA_FCC=0,36,44\r\n");
  ASSERT_TRUE(env.Bound());
  {
    APPage<TFrameAPCfg> station;
    station.page->AttachAdapter(&station.adapter, kDetach, kModeAP);
    station.page->AttachAdapter(&station.adapter, kAttach, kModeStation);
    EXPECT_EQ(station.page->Adapter(), nullptr);
    EXPECT_FALSE(station.page->EdtSSID->Enabled());
  }
  APPage<TFrameAPCfg> p;
  TFrameAPCfg* page = p.page;
  EXPECT_EQ(Items(page->CmbMode),
            (std::vector<std::string>{"802.11b + 802.11g", "802.11b", "802.11g", "802.11a"}));
  EXPECT_EQ(Items(page->Wep->CmbWEP),
            (std::vector<std::string>{"Disabled", "64 bit WEP", "128 bit WEP"}));
  EXPECT_EQ(page->EdtSSID->Text(), FieldText(p.adapter.DefAPProf.Ssid1));
  EXPECT_EQ(page->CmbMode->SelectedValue(-1), 11);
  EXPECT_EQ(Items(page->CmbCh), (std::vector<std::string>{"1", "6", "11"})) << "x is skipped";
  EXPECT_EQ(page->CmbCh->SelectedValue(-1), 6);
  EXPECT_TRUE(page->BtnSave->Enabled());

  page->CmbMode->SelectByValue(2);
  page->CmbModeSelect();
  EXPECT_EQ(Items(page->CmbCh), (std::vector<std::string>{"Auto", "36", "44"}))
      << "the domain's own list";
  EXPECT_EQ(page->CmbCh->SelectedValue(-1), 36) << "the 5 GHz default channel";
  page->CmbMode->SelectByValue(1);
  page->CmbModeSelect();
  EXPECT_GT(page->CmbCh->Count(), 0) << "no setting: the library's channels";
  EXPECT_EQ(page->CmbCh->ItemText(0), "1");
}

TEST(APCfgPage, SaveChecksTheNameAndTheKeyBeforeWritingAnything) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  APPage<TFrameAPCfg> p;
  TFrameAPCfg* page = p.page;
  const WLProfile before = g_GlobalVar.APProfile;
  std::string asked;

  page->EdtSSID->SetText("");
  AnswerBox(&asked);
  page->BtnSaveClick();
  EXPECT_EQ(asked, "You should enter a SSID name.");
  EXPECT_EQ(std::memcmp(&before, &g_GlobalVar.APProfile, sizeof before), 0);
  EXPECT_FALSE(p.AskedForInfoPage());

  page->EdtSSID->SetText("MyAccessPoint");
  page->Wep->CmbWEP->SelectByValue(kWEPSize64);
  page->Wep->CmbWEPSelect();
  EXPECT_TRUE(page->Wep->EdtPhrase->Enabled());
  page->Wep->EdtKey1->SetText("12345678ZZ");  // ten characters, not all hex
  asked.clear();
  AnswerBox(&asked);
  page->BtnSaveClick();
  EXPECT_EQ(asked, kWEPKeyMessage);
  EXPECT_EQ(std::memcmp(&before, &g_GlobalVar.APProfile, sizeof before), 0);

  page->Wep->EdtKey1->SetText("abcde");
  page->Wep->EdtKey2->SetText("0123456789");
  page->Wep->CmbAuthen->SelectByValue(AuthShared);
  page->CmbMode->SelectByValue(3);
  page->CmbModeSelect();
  page->CmbCh->SelectByValue(11);
  page->BtnSaveClick();
  const WLProfile& ap = g_GlobalVar.APProfile;
  EXPECT_EQ(FieldText(ap.Ssid1), "MyAccessPoint");
  EXPECT_EQ(ap.EncryptionMethod, EncWEP);
  EXPECT_EQ(ap.WEPEncryptionLevel, kWEPSize64);
  EXPECT_EQ(ap.WEPKeyFormat, kWEPFormatAscii);
  EXPECT_EQ(FieldText(ap.WEPKey1), "abcde");
  EXPECT_EQ(FieldText(ap.WEPKey2), "") << "not in the transmit key's format";
  EXPECT_EQ(ap.AuthenticationMode, AuthShared);
  EXPECT_EQ(ap.ABGMode, 3);
  EXPECT_EQ(ap.Channel, 11);
  EXPECT_TRUE(p.AskedForInfoPage());

  // Disabled empties the stored keys even when the edits hold some.
  page->Wep->CmbWEP->SelectByValue(kWEPSizeNone);
  page->Wep->CmbWEPSelect();
  EXPECT_FALSE(page->Wep->EdtKey1->Enabled());
  page->Wep->EdtKey1->SetText("abcde");
  page->BtnSaveClick();
  EXPECT_EQ(ap.EncryptionMethod, EncNone);
  EXPECT_EQ(ap.WEPEncryptionLevel, 0);
  EXPECT_EQ(FieldText(ap.WEPKey1), "");
  EXPECT_EQ(ap.WEPKeyFormat, kWEPFormatHex);
}

TEST(APCfgPage, UnsavedEditsAreDroppedAndWindowsManagementDisablesEverything) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  APPage<TFrameAPCfg> p;
  TFrameAPCfg* page = p.page;
  SetField(g_GlobalVar.APProfile.WEPKey3, "0A0B0C0D0E");
  g_GlobalVar.APProfile.WEPEncryptionLevel = kWEPSize64;
  g_GlobalVar.APProfile.DefaultKey = 2;
  page->EdtSSID->SetText("not saved");
  EXPECT_TRUE(page->EnterPage(nullptr, 0, 0));
  EXPECT_EQ(page->EdtSSID->Text(), FieldText(g_GlobalVar.APProfile.Ssid1));
  EXPECT_TRUE(page->Wep->EdtKey3->Visible());
  EXPECT_TRUE(page->Wep->EdtKey3->Masked());
  EXPECT_EQ(page->Wep->LbKey->Caption(), "Key 3");
  // A pass phrase makes the keys; typing into any key edit then drops it.
  for (char c : std::string("phrase")) SendMessageA(page->Wep->EdtPhrase->Handle(), WM_CHAR, c, 1);
  EXPECT_EQ(page->Wep->EdtKey3->Text().size(), 10u);
  EXPECT_FALSE(page->Wep->EdtKey3->Masked());
  page->Wep->EdtKey3->SelectAll();
  SendMessageA(page->Wep->EdtKey3->Handle(), WM_CHAR, '1', 1);
  EXPECT_EQ(page->Wep->EdtPhrase->Text(), "");
  EXPECT_EQ(page->Wep->EdtKey3->Text(), "1");

  page->AdapterNotify(&p.adapter, kNotifyWZC, kWZCOn);
  for (TWinControl* c : std::initializer_list<TWinControl*>{
           page->EdtSSID, page->ChkHide, page->CmbMode, page->CmbCh, page->CmbPower,
           page->Wep->CmbWEP, page->Wep->CmbAuthen, page->Wep->EdtPhrase, page->Wep->CmbDefKey,
           page->Wep->EdtKey1, page->BtnSave, page->BtnCancel})
    EXPECT_FALSE(c->Enabled()) << c->Name();
  EXPECT_EQ(page->EdtSSID->Text(), "");
  page->AdapterNotify(&p.adapter, kNotifyWZC, kWZCOff);
  EXPECT_TRUE(page->BtnSave->Enabled());
  EXPECT_TRUE(page->Wep->CmbWEP->Enabled());
  EXPECT_EQ(page->EdtSSID->Text(), FieldText(g_GlobalVar.APProfile.Ssid1));
  EXPECT_EQ(page->CmbMode->Count(), 4) << "the lists are not filled twice";
}

TEST(APFilterPage, AddressFieldsTakeHexDigitsAndEmptyWithThePage) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  APPage<TFrameAPFilter> p;
  TFrameAPFilter* page = p.page;
  EXPECT_TRUE(page->CmbType->Enabled());
  EXPECT_TRUE(page->BtnSave->Enabled());
  EXPECT_EQ(page->Lb[15]->Caption(), "16");
  TMaskEdit* edit = page->Edt[0];
  edit->SetSelStart(0);
  for (char c : std::string("0a1dzx")) SendMessageA(edit->Handle(), WM_CHAR, c, 1);
  EXPECT_EQ(edit->Text(), "0A:1D:__:__:__:__");
  page->Edt[15]->SetText("00:1d:4f:10:00:0a");
  EXPECT_EQ(page->Edt[15]->Value(), "001D4F10000A");

  page->BtnSaveClick();
  EXPECT_TRUE(p.AskedForInfoPage());
  page->AdapterNotify(&p.adapter, kNotifyWZC, kWZCOn);
  EXPECT_FALSE(page->CmbType->Enabled());
  EXPECT_FALSE(page->BtnSave->Enabled());
  for (TMaskEdit* e : page->Edt) EXPECT_TRUE(e->IsEmpty());

  page->AttachAdapter(&p.adapter, kDetach, kModeAP);
  page->BtnSaveClick();
  EXPECT_FALSE(p.AskedForInfoPage()) << "no adapter, nothing to save";
}

}  // namespace
