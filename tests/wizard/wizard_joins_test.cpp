// Joins of the default world's protected networks through the whole wizard,
// driven as a user does: Add or the survey's Connect, keys typed and items
// picked on the pages, Save and Activate now, then the link page. Profiles
// made on the way keep their order after a restart; key-only joins store
// nothing; a wrong pass phrase leaves the link down.
#include <functional>

#include "pages/station/Uframesurvey.h"
#include "pages/wizard/Uframedot11.h"
#include "pages/wizard/Uframewep.h"
#include "pages/wizard/Uframewpapsk.h"
#include "wizard/wizard_fixture.h"

using namespace wizardflow;
using namespace securitylogic;

namespace {

using Details = std::function<void(TFrameProfSet*)>;

Details Psk(const std::string& phrase) {
  return [phrase](TFrameProfSet* w) { Type(w->FrameWPAPSK1->EdtPhrase, phrase); };
}

// 802.1X with a password (cipher 0: RADIUS has no cipher row).
Details Eap(int32_t method, int32_t cipher, const std::string& user, const std::string& password) {
  return [=](TFrameProfSet* w) {
    TFrameDot11* d = w->Frame8021X1;
    Choose(d->CmbAuthen, method);
    if (cipher) Choose(d->CmbEncryp, cipher);
    Type(d->EdtUser, user);
    Type(d->EdtPasswd, password);
  };
}

Details Tls(const std::string& user, const std::string& certificate, const std::string& ca) {
  return [=](TFrameProfSet* w) {
    TFrameDot11* d = w->Frame8021X1;
    Choose(d->CmbAuthen, kEapTLS);
    EXPECT_FALSE(d->EdtPasswd->Visible()) << "the page heard of the method";
    Choose(d->CmbEncryp, kCipherAES);
    Type(d->EdtUser, user);
    Choose(d->CmbMyCert, certificate);
    Choose(d->CmbServerCA, ca);
  };
}

struct Join {
  const char* Name;  // made with Add; null: the survey's Connect with the key alone
  const char* Ssid;
  int32_t Security;  // picked on the security page of an Add
  Details Fill;      // the detail page
};

class WizardJoins : public WizardFlow {
 protected:
  void ConnectFromSurvey(const std::string& ssid) {
    form->SwitchPage(form->LbSiteSurvey, 0);
    ASSERT_TRUE(SelectSurveyRow(form->FrameSurvey1, ssid)) << ssid << " is not in the survey";
    form->FrameSurvey1->BtnConnect->Click();
    ASSERT_EQ(form->CurrentPage(), page);
    ASSERT_EQ(wiz->Flags(), kProfKeyOnly);
  }
  // The wizard from its first page to the link page, as the user goes.
  void Run(const Join& j) {
    if (j.Name) {
      page->BtnAdd->Click();
      Fill(j.Name, j.Ssid, false);
      ChooseSecurity(j.Security);
    } else {
      ConnectFromSurvey(j.Ssid);
    }
    if (::testing::Test::HasFatalFailure()) return;
    j.Fill(wiz);
    wiz->CurrentPage()->FindComponent("BtnNext")->AsControl()->Click();
    if (wiz->Current() == TWizPage::Wireless) wiz->FrameWireless1->BtnNext->Click();
    ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
    wiz->FrameConfirm1->BtnSave->Click();
    if (j.Name) {
      ASSERT_EQ(wiz->Current(), TWizPage::Active);
      wiz->FrameActive1->BtnActNow->Click();
    }
    ASSERT_TRUE(WaitPage(form->FrameLinkInfo1));
  }
  int Connections() const {
    int n = 0;
    for (const std::string& line : env.Log()) n += line == "CNICAdapter::DoConnect() end";
    return n;
  }
};

TEST_F(WizardJoins, EveryProtectedNetworkJoinsThroughTheWizardAndAddedProfilesKeepTheirOrder) {
  // The vendor offers LEAP to RADIUS profiles on this adapter.
  Adapter()->WriteSet("EnRADIUS_LEAP", true);
  // No two joins in a row to the same network: the link of the one before
  // must not pass for the next.
  const Join joins[] = {
      {"Wep128", "Ombrix-WEP128", EncWEP,
       [](TFrameProfSet* w) {
         Choose(w->FrameWEP1->Wep->CmbWEP, kWEPSize128);
         Type(w->FrameWEP1->Wep->EdtKey1, "OmbrixKey128!");
       }},
      {"CorpPeap", "Ombrix-Corp", EncWPA2, Eap(kEapPEAP, kCipherAES, "alice", "wonderland")},
      {"RadiusLeap", "Ombrix-Radius", EncRADIUS, Eap(kEapLEAP, 0, "bob", "builder")},
      {nullptr, "Ombrix-Mixed", 0, Psk("OmbrixMixed")},
      {"CorpTls", "Ombrix-Corp", EncWPA2,
       Tls("alice", "Alice Example (issued by Ombrix Root CA)", "Ombrix Root CA")},
      {nullptr, "Ombrix-Campus", 0, Eap(kEapTTLS, kCipherTKIP, "carol", "Sunshine7")},
      {"RadiusPeap", "Ombrix-Radius", EncRADIUS, Eap(kEapPEAP, 0, "bob", "builder")},
  };
  for (const Join& j : joins) {
    SCOPED_TRACE(std::string(j.Name ? j.Name : "survey") + " to " + j.Ssid);
    Run(j);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(WaitLinkedTo(j.Ssid));
    EXPECT_TRUE(
        WaitUntil([&] { return form->FrameLinkInfo1->LblSSID->Caption() == j.Ssid; }, kGenerous))
        << "the link page shows " << form->FrameLinkInfo1->LblSSID->Caption();
    form->SwitchPage(form->LbProfile, 0);
  }
  const std::vector<std::string> made{"Default",    "Wep128",  "CorpPeap",
                                      "RadiusLeap", "CorpTls", "RadiusPeap"};
  std::vector<WLProfile> list;
  Adapter()->GetProfileList(kStationList, list);
  EXPECT_EQ(Names(list), made) << "key-only joins store no profile";
  for (const std::string& line : env.Log())
    for (const char* secret :
         {"OmbrixKey128!", "OmbrixMixed", "wonderland", "Sunshine7", "builder"})
      EXPECT_EQ(line.find(secret), std::string::npos) << "a secret in the log: " << line;

  // A new adapter object on the same registry and profile folder.
  const DeviceRec device = *form->SelectedDevice();
  delete form;
  form = nullptr;
  CNICAdapter again(nullptr, 0, device);
  std::vector<WLProfile> stored;
  again.GetProfileList(kStationList, stored);
  EXPECT_EQ(Names(stored), made);
  form = new TFormMain(nullptr);  // for TearDown
}

TEST_F(WizardJoins, AWrongPassPhraseLeavesTheLinkDownAndStoresOnlyWhatWasAskedFor) {
  ASSERT_TRUE(WaitLinkedTo("Ombrix-Open")) << "the first profile joins at start";
  const std::string lastProf = Adapter()->ReadSet("LastProf", std::string());
  const Join tries[] = {{nullptr, "Ombrix-Mixed", 0, Psk("NotTheMixedOne")},
                        {"Typo", "Ombrix-WPA2-AES", EncWPA2_PSK, Psk("OmbrixAES3")}};
  for (const Join& j : tries) {
    SCOPED_TRACE(j.Ssid);
    const int before = Connections();
    Run(j);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WaitUntil([&] { return Connections() > before; }, kGenerous));
    ASSERT_TRUE(WaitUntil([&] { return LinkedSsid().empty(); }, kGenerous))
        << "still linked to " << LinkedSsid();
    // Several status samples later the link is still down.
    EXPECT_FALSE(WaitUntil([&] { return !LinkedSsid().empty(); }, 4500)) << LinkedSsid();
    EXPECT_EQ(form->CurrentPage(), form->FrameLinkInfo1);
    EXPECT_EQ(form->FrameLinkInfo1->LblSSID->Caption(), "");
    if (!j.Name) {
      EXPECT_EQ(Adapter()->ReadSet("LastProf", std::string()), lastProf);
    }
    form->SwitchPage(form->LbProfile, 0);
  }
  std::vector<WLProfile> list;
  Adapter()->GetProfileList(kStationList, list);
  ASSERT_EQ(Names(list), (std::vector<std::string>{"Default", "Typo"}));
  EXPECT_EQ(FieldText(list[1].WPAPassphrase), "OmbrixAES3") << "stored as typed";
}

}  // namespace
