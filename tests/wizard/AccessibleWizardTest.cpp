// The profile wizard as a screen reader reads it, in English and in German:
// each page is named by its title, its fields by their captions where the
// user types, every page can be used without seeing it, and the stored
// secrets (pass phrase, WEP keys, 802.1X password) are protected text that
// never comes back as a name or a value.
#include <string>

#include "common/AccessTest.h"
#include "common/UserInput.h"
#include "pages/Uwepkeys.h"
#include "pages/wizard/Uframedot11.h"
#include "pages/wizard/Uframewep.h"
#include "pages/wizard/Uframewlmode.h"
#include "pages/wizard/Uframewpapsk.h"
#include "pages/wizard/Usecuritylogic.h"
#include "wizard/wizard_fixture.h"

using namespace wizardflow;
using securitylogic::kCipherAES;
using securitylogic::kEapPEAP;

namespace {

// The texts a screen reader reads, per language.
struct Words {
  std::string settings, add, edit, profileName, ssid, infra, adHoc, scanInfo, passPhrase, key1,
      password, addTitle, editTitle, securityTitle, doneTitle;
};

const Words kEnglish{"",
                     "Add",
                     "Edit",
                     "Profile Name",
                     "SSID",
                     "Infrastructure",
                     "Ad-Hoc",
                     "Scan Info",
                     "Pass Phrase",
                     "Key 1",
                     "Password",
                     "Add New Profile",
                     "Edit Profile",
                     "Security Settings",
                     "Your network has been configured successfully!"};
const Words kGerman{"StringFile=Z:" WU_SOURCE_DIR "\\data\\WirelessUtility.de.ini\r\n",
                    "Hinzuf\xC3\xBCgen",
                    "Bearbeiten",
                    "Profilname",
                    "SSID",
                    "Infrastruktur",
                    "Ad-hoc",
                    "Gefundene Netzwerke",
                    "Passphrase",
                    "Schl\xC3\xBCssel 1",
                    "Kennwort",
                    "Neues Profil hinzuf\xC3\xBCgen",
                    "Profil bearbeiten",
                    "Sicherheitseinstellungen",
                    "Ihr Netzwerk wurde erfolgreich eingerichtet!"};

class WizardReader : public WizardFlow, public ::testing::WithParamInterface<const Words*> {
 protected:
  WizardReader() : WizardFlow(GetParam()->settings) {}
  const Words& W() const { return *GetParam(); }

  void SetUp() override {
    WizardFlow::SetUp();
    root = ClientObject(form->Handle());
    ASSERT_TRUE(root);
  }
  AccNode Node(const std::string& name, long role) {
    AccNode n;
    EXPECT_TRUE(FindNode(root.get(), name, role, &n)) << "no \"" << name << "\" of role " << role;
    return n;
  }
  void Usable(const char* where) {
    int checked = 0;
    EXPECT_EQ(Unusable(root.get(), &checked), "") << where;
    EXPECT_GT(checked, 6) << where;
  }
  // The page shown is read by its title.
  void Titled(const std::string& title) { Node(title, ROLE_SYSTEM_PROPERTYPAGE); }
  // The field is protected: its value is refused, and no text below the
  // window holds any of the secrets.
  void Protected(const std::string& field, std::initializer_list<std::string> secrets) {
    const AccNode n = Node(field, ROLE_SYSTEM_TEXT);
    EXPECT_TRUE(n.state & STATE_SYSTEM_PROTECTED) << field;
    EXPECT_EQ(n.valueResult, E_ACCESSDENIED) << field;
    EXPECT_TRUE(n.value.empty()) << field;
    for (const std::string& text : AllTexts(root.get()))
      for (const std::string& secret : secrets)
        EXPECT_EQ(text.find(secret), std::string::npos) << "the secret was read: " << text;
  }
  // Edit the profile up to the page after the security page.
  void EditUpToDetails(const std::string& name) {
    page->LvProf->SelectRow(page->LvProf->IndexOf(Row(name)));
    ASSERT_EQ(Node(W().edit, ROLE_SYSTEM_PUSHBUTTON).DoDefault(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return wiz->Visible(); }, kGenerous));
    Titled(W().editTitle);
    wiz->FrameNetType1->BtnNext->Click();
    wiz->FrameSecurity1->BtnNext->Click();
  }
  // From the page after the details: saved, and activated later.
  void SaveLater() {
    if (wiz->Current() == TWizPage::Wireless) wiz->FrameWireless1->BtnNext->Click();
    ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
    wiz->FrameConfirm1->BtnSave->Click();
    ASSERT_EQ(wiz->Current(), TWizPage::Active);
    Titled(W().doneTitle);
    wiz->FrameActive1->BtnActLater->Click();
    ASSERT_TRUE(WaitUntil([&] { return page->PlProfile->Visible(); }, kGenerous));
  }

  AccPtr root;
};

TEST_P(WizardReader, AScreenReaderAddsAProfileAndNeverHearsItsStoredPassPhrase) {
  // Add, pressed as a screen reader presses it.
  ASSERT_EQ(Node(W().add, ROLE_SYSTEM_PUSHBUTTON).DoDefault(), S_OK);
  ASSERT_TRUE(WaitUntil([&] { return wiz->Visible(); }, kGenerous));
  ASSERT_EQ(wiz->Current(), TWizPage::NetType);
  Titled(W().addTitle);
  Usable("network type");
  AccNode name = Node(W().profileName, ROLE_SYSTEM_TEXT);
  EXPECT_EQ(name.value, wiz->FrameNetType1->EdtName->Text());
  EXPECT_EQ(Node(W().ssid, ROLE_SYSTEM_TEXT).value, "ANY");
  AccNode infra = Node(W().infra, ROLE_SYSTEM_RADIOBUTTON);
  EXPECT_FALSE(infra.action.empty());
  // A radio button's default action checks it as a click does.
  ASSERT_EQ(Node(W().adHoc, ROLE_SYSTEM_RADIOBUTTON).DoDefault(), S_OK);
  ASSERT_TRUE(WaitUntil([&] { return wiz->FrameNetType1->RBtnAdHoc->Checked(); }, kGenerous));
  EXPECT_TRUE(Node(W().adHoc, ROLE_SYSTEM_RADIOBUTTON).state & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(wiz->FrameNetType1->RBtnInfra->Checked());
  // The list of networks is named by its heading, not by a caption in its
  // lower rows' height.
  Node(W().scanInfo, ROLE_SYSTEM_LIST);

  Fill("Secure", "Ombrix-WPA2-AES", false);
  Titled(W().securityTitle);
  Usable("security");
  ChooseSecurity(EncWPA2_PSK);
  ASSERT_EQ(wiz->Current(), TWizPage::WPAPSK);
  Usable("pass phrase");
  AccNode phrase = Node(W().passPhrase, ROLE_SYSTEM_TEXT);
  EXPECT_FALSE(phrase.state & STATE_SYSTEM_PROTECTED) << "a new phrase is typed in plain";
  wiz->FrameWPAPSK1->EdtPhrase->SetText("OmbrixAES2");
  wiz->FrameWPAPSK1->BtnNext->Click();
  if (wiz->Current() == TWizPage::Wireless) {
    Usable("bands");
    wiz->FrameWireless1->BtnNext->Click();
  }
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
  Usable("confirm");
  wiz->FrameConfirm1->BtnSave->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Active);
  Usable("activate");
  wiz->FrameActive1->BtnActLater->Click();
  ASSERT_TRUE(WaitUntil([&] { return page->PlProfile->Visible(); }, kGenerous));

  // Edited again, the stored phrase shows masked: protected, never read.
  EditUpToDetails("Secure");
  if (HasFatalFailure()) return;
  ASSERT_EQ(wiz->Current(), TWizPage::WPAPSK);
  ASSERT_TRUE(wiz->FrameWPAPSK1->EdtPhrase->Masked());
  Protected(W().passPhrase, {"OmbrixAES2"});
  wiz->FrameWPAPSK1->BtnExit->Click();
}

TEST_P(WizardReader, StoredWepKeysAndThe8021xPasswordAreProtectedText) {
  // A WEP profile from a pass phrase: the keys it made are typed in plain.
  page->BtnAdd->Click();
  Fill("Lab", "Ombrix-WEP64", false);
  ChooseSecurity(EncWEP);
  ASSERT_EQ(wiz->Current(), TWizPage::WEP);
  Titled(W().securityTitle);
  TWEPKeyEditor& wep = *wiz->FrameWEP1->Wep;
  wep.EdtPhrase->SetText("ombrix");
  wep.EdtPhraseChange();
  const std::string key = wep.EdtKey1->Text();
  ASSERT_FALSE(key.empty());
  EXPECT_FALSE(Node(W().key1, ROLE_SYSTEM_TEXT).state & STATE_SYSTEM_PROTECTED);
  wiz->FrameWEP1->BtnNext->Click();
  SaveLater();
  if (HasFatalFailure()) return;
  EditUpToDetails("Lab");
  if (HasFatalFailure()) return;
  ASSERT_EQ(wiz->Current(), TWizPage::WEP);
  ASSERT_TRUE(wep.EdtKey1->Masked());
  Protected(W().key1, {key, "ombrix"});
  Usable("stored WEP");
  wiz->FrameWEP1->BtnExit->Click();
  ASSERT_TRUE(WaitUntil([&] { return page->PlProfile->Visible(); }, kGenerous));

  // 802.1X with a password.
  page->BtnAdd->Click();
  Fill("Corp", "Ombrix-Corp", false);
  ChooseSecurity(EncWPA2);
  ASSERT_EQ(wiz->Current(), TWizPage::Dot11);
  Titled(W().securityTitle);
  TFrameDot11* dot11 = wiz->Frame8021X1;
  Choose(dot11->CmbAuthen, kEapPEAP);
  Choose(dot11->CmbEncryp, kCipherAES);
  Type(dot11->EdtUser, "alice");
  Type(dot11->EdtPasswd, "wonderland");
  EXPECT_FALSE(Node(W().password, ROLE_SYSTEM_TEXT).state & STATE_SYSTEM_PROTECTED);
  dot11->BtnNext->Click();
  SaveLater();
  if (HasFatalFailure()) return;
  EditUpToDetails("Corp");
  if (HasFatalFailure()) return;
  ASSERT_EQ(wiz->Current(), TWizPage::Dot11);
  ASSERT_TRUE(dot11->EdtPasswd->Masked());
  Protected(W().password, {"wonderland"});
  Usable("stored 802.1X");
  dot11->BtnExit->Click();
}

TEST_P(WizardReader, EveryOtherWizardPageCanBeUsedWithoutSeeingIt) {
  page->BtnAdd->Click();
  Fill("Party", "Party-Net", true);
  ASSERT_EQ(wiz->Current(), TWizPage::WlMode);
  Usable("ad-hoc mode and channel");
  wiz->FrameWlMode1->BtnNext->Click();
  ChooseSecurity(EncWEP);
  ASSERT_EQ(wiz->Current(), TWizPage::WEP);
  Usable("WEP");
  wiz->FrameWEP1->BtnExit->Click();
  ASSERT_TRUE(WaitUntil([&] { return page->PlProfile->Visible(); }, kGenerous));
  page->BtnAdd->Click();
  Fill("Corp", "Ombrix-Corp", false);
  ChooseSecurity(EncWPA2);
  ASSERT_EQ(wiz->Current(), TWizPage::Dot11);
  Usable("802.1X");
}

INSTANTIATE_TEST_SUITE_P(Languages, WizardReader, ::testing::Values(&kEnglish, &kGerman),
                         [](const ::testing::TestParamInfo<const Words*>& info) {
                           return std::string(info.param == &kEnglish ? "English" : "German");
                         });

}  // namespace
