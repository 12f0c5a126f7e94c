// Pass phrases, WEP keys and passwords never reach the debug log: the
// profile store, a connection, the profile INI form and the WEP, WPA-PSK and
// 802.1X pages all run with the log on, and the log holds none of them (as
// typed or in hexadecimal).
#include <memory>
#include <string>

#include "adapter/Unicadapter.h"
#include "config/Uweprules.h"
#include "pages/wizard/Uframedot11.h"
#include "pages/wizard/Uframewep.h"
#include "pages/wizard/Uframewpapsk.h"
#include "shell/tformmain_support.h"

using namespace mainwin;
using namespace securitylogic;

namespace {

DeviceRec Device() {
  DeviceRec d{};
  SetField(d.Description, "Ombrix Test Adapter");
  SetField(d.HardwareId, "VID_1D4F&PID_0A71");
  SetField(d.Tag, "9999");
  return d;
}

std::string Hex(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

// A page of the wizard in a form of its own, entered with the given profile.
template <class Page>
struct OpenPage {
  OpenPage(CNICAdapter& adapter, const WLProfile& work) : host(nullptr, "FormHost"), a(adapter) {
    page = new Page(&host, &host);
    page->InitPage();
    page->Show();
    page->AttachAdapter(&a, kAttach, kModeStation);
    g_GlobalVar.WorkProfile = work;
    entered = page->EnterPage(nullptr, kDirForward, 0);
  }
  ~OpenPage() {
    page->AttachAdapter(&a, kDetach, kModeStation);
    page->DonePage();
  }
  bool Next() { return page->LeavePage(nullptr, kDirForward, 0); }
  TForm host;
  CNICAdapter& a;
  Page* page;
  bool entered = false;
};

WLProfile Secured(const WLProfile& base, const char* name, int32_t type) {
  WLProfile p = base;
  CFAGlobalVar::ResetSecurity(p);
  SetField(p.ProfileName, name);
  SetField(p.NetInfo.NI_sz_CurProfile, name);
  SetField(p.Ssid1, "TestOpen");
  p.EncryptionMethod = type;
  return p;
}

}  // namespace

TEST(Secrets, NoPassPhraseKeyOrPasswordReachesTheDebugLog) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  std::vector<std::string> secrets = {"WpaSecret-7731",  "PhraseSecret-88",   "WepKeyOne1301",
                                      "WepKeyTwo1302",   "LoginPw-Secret-55", "NiPsw-Secret-66",
                                      "WepPagePhrase-9", "PskPageSecret-3",   "Dot11PageSecret"};
  auto adapter = std::make_unique<CNICAdapter>(nullptr, 0, Device());

  // The profile store: add, change, load again, delete.
  WLProfile p = Secured(adapter->DefProf, "SecretProf", EncWPA_PSK);
  SetField(p.WPAPassphrase, secrets[0]);
  SetField(p.PassPhrase, secrets[1]);
  SetField(p.WEPKey1, secrets[2]);
  SetField(p.LoginPassword, secrets[4]);
  SetField(p.NetInfo.NI_strLoginPsw, secrets[5]);
  ASSERT_TRUE(adapter->AddProfile(p));
  SetField(p.WEPKey2, secrets[3]);
  ASSERT_TRUE(adapter->UpdateProfile(p, "SecretProf"));
  adapter = std::make_unique<CNICAdapter>(nullptr, 0, Device());
  ASSERT_TRUE(adapter->IsProfileExist("SecretProf"));

  // A connection, which keeps the profile as the last one applied.
  p.EncryptionMethod = EncNone;
  adapter->Connect(p);
  ASSERT_TRUE(WaitUntil([&] { return env.Logged("CNICAdapter::DoConnect() end"); }, kGenerous));
  WLProfile last{};
  adapter->GetLastApplyProf(last);
  EXPECT_EQ(FieldText(last.WPAPassphrase), secrets[0]) << "the connection path did not run";

  // The profile INI form both ways.
  g_GlobalVar.ProfToIniFile(p, "SecretCopy");
  WLProfile copy{};
  ASSERT_TRUE(g_GlobalVar.ProfFromIniFile("SecretCopy", copy));

  // The wizard's pages: keys made from a pass phrase, a pre-shared key, a
  // password.
  {
    WLProfile work = Secured(adapter->DefProf, kEditingProfile, EncWEP);
    work.WEPEncryptionLevel = kWEPSize128;
    OpenPage<TFrameWEP> wep(*adapter, work);
    ASSERT_TRUE(wep.entered);
    Type(wep.page->Wep->EdtPhrase, secrets[6]);
    for (TEdit* key : {wep.page->Wep->EdtKey1, wep.page->Wep->EdtKey2, wep.page->Wep->EdtKey3,
                       wep.page->Wep->EdtKey4})
      secrets.push_back(key->Text());
    ASSERT_EQ(secrets.back().size(), 26u) << "no keys were made from the phrase";
    EXPECT_TRUE(wep.Next());
    adapter->Connect(g_GlobalVar.WorkProfile);
  }
  {
    OpenPage<TFrameWPAPSK> psk(*adapter, Secured(adapter->DefProf, kEditingProfile, EncWPA_PSK));
    ASSERT_TRUE(psk.entered);
    Type(psk.page->EdtPhrase, secrets[7]);
    EXPECT_TRUE(psk.Next());
    EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.WPAPassphrase), secrets[7]);
  }
  {
    WLProfile work = Secured(adapter->DefProf, kEditingProfile, EncRADIUS);
    work.MS8021xAuthMode = kEapPEAP;
    work.PeapEap = kInnerMSCHAPv2;
    SetField(work.LoginName, "someone");
    OpenPage<TFrameDot11> dot11(*adapter, work);
    ASSERT_TRUE(dot11.entered);
    Type(dot11.page->EdtPasswd, secrets[8]);
    EXPECT_TRUE(dot11.Next());
    EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.LoginPassword), secrets[8]);
  }
  ASSERT_TRUE(adapter->DeleteProfile(kStationList, "SecretProf"));
  adapter.reset();

  const std::vector<std::string> log = env.Log();
  ASSERT_TRUE(Contains(log, "call OMXWL_SetWLANStatus")) << "the debug log was off";
  for (const std::string& secret : secrets) {
    for (const std::string& form : {secret, Hex(secret)}) {
      for (const std::string& line : log)
        EXPECT_EQ(line.find(form), std::string::npos) << "\"" << form << "\" in: " << line;
    }
  }
}
