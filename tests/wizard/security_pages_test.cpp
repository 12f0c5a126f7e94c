// The WEP, WPA-PSK and 802.1X pages in-process on the simulated library:
// stored secrets shown masked, pass phrases made into keys, refused input
// with its message, the 802.1X rows and certificate lists, and one join per
// family on the default world through a page's LeavePage and Connect.
#include <memory>
#include <string>

#include "adapter/Unicadapter.h"
#include "config/Uweprules.h"
#include "pages/wizard/Uframedot11.h"
#include "pages/wizard/Uframewep.h"
#include "pages/wizard/Uframewpapsk.h"
#include "shell/Uformmsgbox.h"
#include "shell/tformmain_support.h"
#include "ui/Uuithread.h"

using namespace mainwin;
using namespace securitylogic;

namespace {

DeviceRec Device(const char* description) {
  DeviceRec d{};
  SetField(d.Description, description);
  SetField(d.HardwareId, "VID_1D4F&PID_0A71");
  SetField(d.Tag, "9999");
  return d;
}

// A page in a form of its own, on an adapter that reports to nobody.
template <class Page>
class PageOnAdapter {
 public:
  explicit PageOnAdapter(const char* description = "Ombrix Test Adapter")
      : host(nullptr, "FormHost"), adapter(nullptr, 0, Device(description)) {
    page = new Page(&host, &host);
    page->InitPage();
    page->Show();
    page->AttachAdapter(&adapter, kAttach, kModeStation);
  }
  ~PageOnAdapter() {
    if (!page) return;
    page->AttachAdapter(&adapter, kDetach, kModeStation);
    page->DonePage();
  }
  void Reattach() {
    page->AttachAdapter(&adapter, kDetach, kModeStation);
    page->AttachAdapter(&adapter, kAttach, kModeStation);
  }
  bool Enter() { return page->EnterPage(nullptr, kDirForward, 0); }
  bool Next() { return page->LeavePage(nullptr, kDirForward, 0); }
  TForm host;
  CNICAdapter adapter;
  Page* page;
};

// Answers every message box with OK while it lives, keeping the texts.
class BoxAnswerer {
 public:
  BoxAnswerer() : texts_(std::make_shared<std::vector<std::string>>()) {
    ui::InitUiThread();
    auto texts = texts_;
    timer_ = ui::StartTimer(20, [texts] {
      auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
      if (!box || !box->Visible()) return;
      texts->push_back(box->LbMsg->Caption());
      box->BtnOk->Click();
    });
  }
  ~BoxAnswerer() { ui::StopTimer(timer_); }
  const std::vector<std::string>& Texts() const { return *texts_; }

 private:
  std::shared_ptr<std::vector<std::string>> texts_;
  UINT_PTR timer_ = 0;
};

// Distinct texts for the messages, so a test sees which one was shown.
void WriteStringFile() {
  WriteText(g_GlobalVar.StringFilePath,
            "[Message]\r\nErHex64=hex 64\r\nErWEP64=length 64\r\nErHex128=hex 128\r\n"
            "ErWEP128=length 128\r\nErPassphrase=psk length\r\nErEmyUser=no user\r\n"
            "ErEmyPw=no password\r\nErMyCert=no certificate\r\n"
            "[FrameWEP]\r\nLbKey3=Third key\r\n");
}

WLProfile Secured(const WLProfile& base, const char* ssid, int32_t type) {
  WLProfile p = base;
  CFAGlobalVar::ResetSecurity(p);
  SetField(p.ProfileName, kEditingProfile);
  SetField(p.NetInfo.NI_sz_CurProfile, kEditingProfile);
  SetField(p.Ssid1, ssid);
  p.NetworkMode = 1;
  p.EncryptionMethod = type;
  return p;
}

}  // namespace

// ---- WEP page --------------------------------------------------------------------

TEST(WEPPage, StoredKeysShowMaskedAndTheFirstKeyPressEmptiesThem) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  WriteStringFile();
  PageOnAdapter<TFrameWEP> p;
  WLProfile& work = g_GlobalVar.WorkProfile;
  work = Secured(p.adapter.DefProf, "x", EncWEP);
  work.WEPEncryptionLevel = kWEPSize128;
  work.AuthenticationMode = AuthShared;
  work.DefaultKey = 2;
  SetField(work.PassPhrase, "old phrase");
  SetField(work.WEPKey3, "OmbrixKey128!");
  ASSERT_TRUE(p.Enter());
  TFrameWEP* page = p.page;
  EXPECT_EQ(page->Wep->CmbWEP->SelectedValue(0), kWEPSize128);
  EXPECT_EQ(page->Wep->CmbAuthen->SelectedValue(-1), AuthShared);
  EXPECT_EQ(page->Wep->LbKey->Caption(), "Third key");
  EXPECT_TRUE(page->Wep->EdtKey3->Visible());
  EXPECT_FALSE(page->Wep->EdtKey1->Visible());
  EXPECT_EQ(page->Wep->EdtKey3->Text(), "OmbrixKey128!");
  EXPECT_EQ(page->Wep->EdtKey3->MaxLength(), 26);
  for (TEdit* e : {page->Wep->EdtPhrase, page->Wep->EdtKey1, page->Wep->EdtKey2, page->Wep->EdtKey3,
                   page->Wep->EdtKey4})
    EXPECT_TRUE(e->Masked()) << e->Name();
  EXPECT_EQ(page->FirstFocus(), page->Wep->EdtPhrase);

  Type(page->Wep->EdtKey3, "k");
  EXPECT_EQ(page->Wep->EdtKey3->Text(), "k") << "replaced, not edited";
  EXPECT_FALSE(page->Wep->EdtKey3->Masked());
  EXPECT_TRUE(page->Wep->EdtKey1->Masked());
  EXPECT_EQ(page->Wep->EdtPhrase->Text(), "") << "a typed key drops the stored pass phrase";
  // Typing in the first key drops the pass phrase that made the keys.
  Type(page->Wep->EdtKey1, "a");
  EXPECT_EQ(page->Wep->EdtPhrase->Text(), "");
  EXPECT_FALSE(page->Wep->EdtPhrase->Masked());

  // Another size empties every secret.
  Type(page->Wep->EdtPhrase, "p");
  Choose(page->Wep->CmbWEP, kWEPSize64);
  for (TEdit* e : {page->Wep->EdtPhrase, page->Wep->EdtKey1, page->Wep->EdtKey2, page->Wep->EdtKey3,
                   page->Wep->EdtKey4})
    EXPECT_EQ(e->Text(), "") << e->Name();
  EXPECT_EQ(page->Wep->EdtKey1->MaxLength(), 10);
}

TEST(WEPPage, APassPhraseMakesTheKeysOfTheSizeThroughTheLibrary) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameWEP> p;
  p.adapter.WriteSet("WEP152", true);
  p.Reattach();
  TFrameWEP* page = p.page;
  ASSERT_EQ(page->Wep->CmbWEP->Count(), 3);
  g_GlobalVar.WorkProfile = Secured(p.adapter.DefProf, "x", EncWEP);
  g_GlobalVar.WorkProfile.WEPEncryptionLevel = kWEPSize64;
  ASSERT_TRUE(p.Enter());
  Type(page->Wep->EdtPhrase, "ombrix");
  EXPECT_EQ(page->Wep->EdtKey1->Text(), "A70CEB1960");
  EXPECT_EQ(page->Wep->EdtKey2->Text(), "83E25E4FC1");
  EXPECT_EQ(page->Wep->EdtKey3->Text(), "480AF512CD");
  EXPECT_EQ(page->Wep->EdtKey4->Text(), "58B229E249");
  EXPECT_FALSE(page->Wep->EdtKey4->Masked());
  EXPECT_EQ(page->Wep->EdtPhrase->Text(), "ombrix") << "made keys do not clear the phrase";

  Choose(page->Wep->CmbWEP, kWEPSize128);
  Type(page->Wep->EdtPhrase, "ombrix");
  EXPECT_EQ(page->Wep->EdtKey1->Text().size(), 26u);
  EXPECT_EQ(WEPKeyFormatOf(page->Wep->EdtKey1->Text(), kWEPSize128), kWEPFormatHex);
  // Emptying the phrase empties the keys.
  SetWindowTextA(page->Wep->EdtPhrase->Handle(), "");
  EXPECT_EQ(page->Wep->EdtKey1->Text(), "");

  Choose(page->Wep->CmbWEP, kWEPSize152);
  EXPECT_FALSE(page->Wep->EdtPhrase->Enabled());
  EXPECT_EQ(page->FirstFocus(), page->Wep->EdtKey1);
  Type(page->Wep->EdtKey1, "0123456789abcdef");
  ASSERT_TRUE(p.Next()) << "16 characters are an ASCII 152-bit key";
  EXPECT_EQ(g_GlobalVar.WorkProfile.WEPKeyFormat, kWEPFormatAscii);
  EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.WEPKey1), "0123456789abcdef");
  for (const std::string& line : env.Log()) {
    EXPECT_EQ(line.find("ombrix"), std::string::npos) << line;
    EXPECT_EQ(line.find("A70CEB"), std::string::npos) << line;
  }
}

TEST(WEPPage, TypingOverAnyKeyDropsThePassPhraseAndKeepsTheOtherMadeKeys) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  PageOnAdapter<TFrameWEP> p;
  g_GlobalVar.WorkProfile = Secured(p.adapter.DefProf, "x", EncWEP);
  g_GlobalVar.WorkProfile.WEPEncryptionLevel = kWEPSize64;
  ASSERT_TRUE(p.Enter());
  TWEPKeyEditor& wep = *p.page->Wep;
  // Transmit key 4 picked as the user does: the page hears of it from the list.
  ASSERT_TRUE(wep.CmbDefKey->SelectByValue(3));
  SendMessageA(p.page->Handle(), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(wep.CmbDefKey->Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(wep.CmbDefKey->Handle()));
  ASSERT_TRUE(wep.EdtKey4->Visible());
  Type(wep.EdtPhrase, "ombrix");
  ASSERT_EQ(wep.EdtKey4->Text(), "58B229E249");

  // The phrase made all four keys; one typed over means it no longer did.
  wep.EdtKey4->SelectAll();
  Type(wep.EdtKey4, "0123456789");
  EXPECT_EQ(wep.EdtKey4->Text(), "0123456789");
  EXPECT_EQ(wep.EdtPhrase->Text(), "");
  EXPECT_EQ(wep.EdtKey1->Text(), "A70CEB1960") << "the other keys stay";
  ASSERT_TRUE(p.Next());
  const WLProfile& work = g_GlobalVar.WorkProfile;
  EXPECT_EQ(work.DefaultKey, 3);
  EXPECT_EQ(FieldText(work.WEPKey4), "0123456789");
  EXPECT_EQ(FieldText(work.WEPKey1), "A70CEB1960");
  EXPECT_EQ(FieldText(work.PassPhrase), "");
}

TEST(WEPPage, NextWithABadTransmitKeyShowsItsMessageAndStays) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  WriteStringFile();
  PageOnAdapter<TFrameWEP> p;
  TFrameWEP* page = p.page;
  g_GlobalVar.WorkProfile = Secured(p.adapter.DefProf, "x", EncWEP);
  g_GlobalVar.WorkProfile.WEPEncryptionLevel = kWEPSize64;
  ASSERT_TRUE(p.Enter());
  BoxAnswerer boxes;
  Type(page->Wep->EdtKey1, "A70CEB196G");
  EXPECT_FALSE(p.Next());
  Type(page->Wep->EdtKey1, "\b");
  EXPECT_FALSE(p.Next());
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"hex 64", "length 64"}));
  EXPECT_EQ(page->Wep->EdtKey1->Text(), "A70CEB196") << "the typed text stays";
  EXPECT_EQ(g_GlobalVar.WorkProfile.WEPEncryptionLevel, kWEPSize64);

  // Lower-case hex is stored upper-cased; keys of the other format are dropped.
  SetWindowTextA(page->Wep->EdtKey1->Handle(), "a70ceb1960");
  SetWindowTextA(page->Wep->EdtKey2->Handle(), "abcde");
  Pick(page->Wep->CmbAuthen, AuthOpen);
  ASSERT_TRUE(p.Next());
  const WLProfile& work = g_GlobalVar.WorkProfile;
  EXPECT_EQ(FieldText(work.WEPKey1), "A70CEB1960");
  EXPECT_EQ(FieldText(work.WEPKey2), "");
  EXPECT_EQ(work.WEPKeyFormat, kWEPFormatHex);
  EXPECT_EQ(work.AuthenticationMode, AuthOpen);

  // No size at all: the profile goes without security.
  for (const char* s : {"WEP64", "WEP128", "WEP152"}) p.adapter.WriteSet(s, false);
  p.Reattach();
  ASSERT_TRUE(p.Enter());
  EXPECT_EQ(page->Wep->CmbWEP->Count(), 0);
  ASSERT_TRUE(p.Next());
  EXPECT_EQ(work.EncryptionMethod, EncNone);
  EXPECT_EQ(work.WEPEncryptionLevel, 0);
  EXPECT_EQ(FieldText(work.WEPKey1), "");
  EXPECT_EQ(boxes.Texts().size(), 2u);
}

// ---- WPA-PSK page ------------------------------------------------------------------

TEST(WPAPSKPage, MasksAStoredPhraseAndRefusesTheWrongLengths) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  WriteStringFile();
  PageOnAdapter<TFrameWPAPSK> p;
  TFrameWPAPSK* page = p.page;
  WLProfile& work = g_GlobalVar.WorkProfile;
  work = Secured(p.adapter.DefProf, "x", EncWPA2_PSK);
  work.WPAEncryptionType = kCipherAES;
  SetField(work.WPAPassphrase, "stored secret");
  ASSERT_TRUE(p.Enter());
  EXPECT_EQ(page->FirstFocus(), page->EdtPhrase);
  EXPECT_TRUE(page->EdtPhrase->Masked());
  EXPECT_EQ(page->CmbEncryp->SelectedValue(0), kCipherAES);
  Type(page->EdtPhrase, "1234567");
  EXPECT_EQ(page->EdtPhrase->Text(), "1234567");

  BoxAnswerer boxes;
  EXPECT_FALSE(p.Next());
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"psk length"});
  // Typing past 63 characters: one message after the key press.
  Type(page->EdtPhrase, std::string(60, 'x'));
  ASSERT_TRUE(WaitUntil([&] { return boxes.Texts().size() == 2; }, kGenerous));
  EXPECT_EQ(page->EdtPhrase->Text().size(), 63u);
  WaitUntil([] { return false; }, 300);
  EXPECT_EQ(boxes.Texts().size(), 2u);
  ASSERT_TRUE(p.Next());
  EXPECT_EQ(work.AuthenticationMode, AuthWPA2_PSK);
  EXPECT_EQ(FieldText(work.WPAPassphrase).size(), 63u);

  // Empty stored phrase: shown plainly. No cipher offered: TKIP is stored.
  p.adapter.WriteSet("EnableTKIP", false);
  p.adapter.WriteSet("EnableAES", false);
  work.EncryptionMethod = EncWPA_PSK;
  SetField(work.WPAPassphrase, "");
  ASSERT_TRUE(p.Enter());
  EXPECT_FALSE(page->EdtPhrase->Masked());
  EXPECT_EQ(page->CmbEncryp->Count(), 0);
  Type(page->EdtPhrase, "eight ch");
  ASSERT_TRUE(p.Next());
  EXPECT_EQ(work.WPAEncryptionType, kCipherTKIP);
  EXPECT_EQ(work.AuthenticationMode, AuthWPA_PSK);
}

TEST(WPAPSKPage, AMessageQueuedAtTheLimitIsDroppedWhenThePageGoes) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  BoxAnswerer boxes;
  {
    PageOnAdapter<TFrameWPAPSK> p;
    g_GlobalVar.WorkProfile = Secured(p.adapter.DefProf, "x", EncWPA_PSK);
    ASSERT_TRUE(p.Enter());
    Type(p.page->EdtPhrase, std::string(64, 'x'));
    delete p.page;  // before the queued message runs
    p.page = nullptr;
  }
  WaitUntil([] { return false; }, 300);
  EXPECT_TRUE(boxes.Texts().empty());
}

// ---- 802.1X page -------------------------------------------------------------------

TEST(Dot11Page, RowsFollowTheMethodAndTheChecksNameWhatIsMissing) {
  MainWindowEnv env;  // a world without certificates
  ASSERT_TRUE(env.Bound());
  WriteStringFile();
  PageOnAdapter<TFrameDot11> p;
  TFrameDot11* page = p.page;
  WLProfile& work = g_GlobalVar.WorkProfile;
  work = Secured(p.adapter.DefProf, "x", EncRADIUS);
  work.MS8021xAuthMode = kEapPEAP;
  work.PeapEap = kInnerMSCHAPv2;
  SetField(work.LoginName, "bob");
  SetField(work.LoginPassword, "builder");
  ASSERT_TRUE(p.Enter());
  EXPECT_EQ(page->FirstFocus(), page->EdtUser);
  EXPECT_EQ(page->EdtUser->Text(), "bob");
  EXPECT_TRUE(page->EdtPasswd->Masked());
  EXPECT_EQ(page->LbInner->Caption(), "PEAP Inner EAP:");
  EXPECT_FALSE(page->CmbEncryp->Visible()) << "RADIUS has no cipher row";
  EXPECT_TRUE(page->CmbInner->Visible());
  EXPECT_EQ(page->CmbAuthen->Top(), 40) << "rows packed from the top";
  EXPECT_EQ(page->CmbServerCA->Text(), "Trust Any");
  const int passwordTop = page->EdtPasswd->Top();

  Choose(page->CmbAuthen, kEapTLS);
  EXPECT_FALSE(page->EdtPasswd->Visible());
  EXPECT_TRUE(page->CmbMyCert->Visible());
  EXPECT_EQ(page->CmbMyCert->Top(), passwordTop) << "the certificate takes the password's place";
  BoxAnswerer boxes;
  EXPECT_FALSE(p.Next());
  Choose(page->CmbAuthen, kEapPEAP);
  EXPECT_TRUE(page->EdtPasswd->Visible());
  EXPECT_EQ(page->EdtPasswd->Top(), passwordTop);
  Type(page->EdtPasswd, "\b");
  EXPECT_FALSE(p.Next());
  SetWindowTextA(page->EdtUser->Handle(), "");
  EXPECT_FALSE(p.Next());
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"no certificate", "no password", "no user"}));
  EXPECT_EQ(work.MS8021xAuthMode, kEapPEAP) << "nothing written while refused";
  EXPECT_EQ(FieldText(work.LoginName), "bob");
}

// ---- joins on the default world -------------------------------------------------------

namespace {

// The library's built-in world, which is the product's default world: the
// library falls back to it when its world file does not exist.
bool UseDefaultWorld(MainWindowEnv& env) {
  SetEnvironmentVariableA("OMXWL_WORLD", (ModuleDir() + "no-such-file.world").c_str());
  return env.Rebind();
}

class DefaultWorld : public ::testing::Test {
 protected:
  DefaultWorld() : rebound_(UseDefaultWorld(env_)) {}
  void SetUp() override { ASSERT_TRUE(rebound_); }
  template <class Page>
  std::unique_ptr<PageOnAdapter<Page>> Open() {
    return std::make_unique<PageOnAdapter<Page>>("Ombrix 802.11a/b/g USB Wireless Adapter");
  }
  // Connects with what the page left in WorkProfile and waits for the link.
  bool Joins(CNICAdapter& adapter, const char* ssid) {
    adapter.Connect(g_GlobalVar.WorkProfile);
    return Linked(adapter, ssid, kGenerous);
  }
  bool Secrets(const std::vector<std::string>& secrets) {
    for (const std::string& line : env_.Log())
      for (const std::string& s : secrets)
        if (line.find(s) != std::string::npos) return true;
    return false;
  }

  MainWindowEnv env_;
  bool rebound_;
};

}  // namespace

TEST_F(DefaultWorld, WEP64WithThePassPhrase) {
  auto p = Open<TFrameWEP>();
  g_GlobalVar.WorkProfile = Secured(p->adapter.DefProf, "Ombrix-WEP64", EncWEP);
  g_GlobalVar.WorkProfile.WEPEncryptionLevel = kWEPSize64;
  ASSERT_TRUE(p->Enter());
  Type(p->page->Wep->EdtPhrase, "ombrix");
  ASSERT_TRUE(p->Next());
  EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.PassPhrase), "");
  EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.WEPKey1), "A70CEB1960");
  EXPECT_TRUE(Joins(p->adapter, "Ombrix-WEP64"));
}

TEST_F(DefaultWorld, WPA2PSKWithAES) {
  auto p = Open<TFrameWPAPSK>();
  g_GlobalVar.WorkProfile = Secured(p->adapter.DefProf, "Ombrix-WPA2-AES", EncWPA2_PSK);
  ASSERT_TRUE(p->Enter());
  Choose(p->page->CmbEncryp, kCipherAES);
  Type(p->page->EdtPhrase, "OmbrixAES2");
  ASSERT_TRUE(p->Next());
  EXPECT_TRUE(Joins(p->adapter, "Ombrix-WPA2-AES"));
  EXPECT_FALSE(Secrets({"OmbrixAES2"}));
}

TEST_F(DefaultWorld, CorpWithPEAPAndWithTLS) {
  auto p = Open<TFrameDot11>();
  TFrameDot11* page = p->page;
  g_GlobalVar.WorkProfile = Secured(p->adapter.DefProf, "Ombrix-Corp", EncWPA2);
  g_GlobalVar.WorkProfile.MS8021xAuthMode = kEapPEAP;
  SetField(g_GlobalVar.WorkProfile.sCertAuthority, "Gone CA");
  ASSERT_TRUE(p->Enter());
  ASSERT_EQ(page->CmbMyCert->Count(), 2);
  EXPECT_EQ(page->CmbMyCert->ItemText(0), "Alice Example (issued by Ombrix Root CA)");
  ASSERT_EQ(page->CmbServerCA->Count(), 3);
  EXPECT_EQ(page->CmbServerCA->ItemIndex(), 0) << "a stored authority that is gone";
  Choose(page->CmbEncryp, kCipherAES);
  Type(page->EdtUser, "alice");
  Type(page->EdtPasswd, "wonderland");
  ASSERT_TRUE(p->Next());
  EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.sCertAuthority), "");
  EXPECT_EQ(g_GlobalVar.WorkProfile.PeapEap, kInnerMSCHAPv2);
  EXPECT_TRUE(Joins(p->adapter, "Ombrix-Corp"));

  // Again with TLS, the user's certificate and the real authority.
  ASSERT_TRUE(p->Enter());
  EXPECT_TRUE(page->EdtPasswd->Masked());
  Choose(page->CmbAuthen, kEapTLS);
  page->CmbMyCert->SetItemIndex(0);
  page->CmbServerCA->SetItemIndex(1);
  ASSERT_TRUE(p->Next());
  const WLProfile& work = g_GlobalVar.WorkProfile;
  EXPECT_EQ(FieldText(work.sCertificate), "alice@ombrix.example");
  EXPECT_EQ(FieldText(work.sCertAuthority), "Ombrix Root CA");
  EXPECT_EQ(FieldText(work.LoginPassword), "");
  EXPECT_TRUE(Joins(p->adapter, "Ombrix-Corp"));
  // Entering again finds the stored certificate among the entries.
  ASSERT_TRUE(p->Enter());
  EXPECT_EQ(page->CmbServerCA->Text(), "Ombrix Root CA");
  EXPECT_FALSE(Secrets({"wonderland"}));
}

TEST_F(DefaultWorld, CampusWithTTLS) {
  auto p = Open<TFrameDot11>();
  g_GlobalVar.WorkProfile = Secured(p->adapter.DefProf, "Ombrix-Campus", EncWPA);
  ASSERT_TRUE(p->Enter());
  Choose(p->page->CmbAuthen, kEapTTLS);
  Choose(p->page->CmbEncryp, kCipherTKIP);
  Type(p->page->EdtUser, "carol");
  Type(p->page->EdtPasswd, "Sunshine7");
  ASSERT_TRUE(p->Next());
  EXPECT_EQ(g_GlobalVar.WorkProfile.AuthenticationMode, AuthWPA);
  EXPECT_TRUE(Joins(p->adapter, "Ombrix-Campus"));
}

TEST_F(DefaultWorld, RadiusWithLEAP) {
  auto p = Open<TFrameDot11>();
  p->adapter.WriteSet("EnRADIUS_LEAP", true);
  g_GlobalVar.WorkProfile = Secured(p->adapter.DefProf, "Ombrix-Radius", EncRADIUS);
  ASSERT_TRUE(p->Enter());
  Choose(p->page->CmbAuthen, kEapLEAP);
  EXPECT_FALSE(p->page->CmbServerCA->Visible());
  Type(p->page->EdtUser, "bob");
  Type(p->page->EdtPasswd, "builder");
  ASSERT_TRUE(p->Next());
  EXPECT_EQ(g_GlobalVar.WorkProfile.MS8021xAuthMode, kEapLEAP);
  EXPECT_TRUE(Joins(p->adapter, "Ombrix-Radius"));
}
