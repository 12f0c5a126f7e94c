// Names typed into the wizard: profile names the store cannot hold, or that
// are too long, are refused by name and never cut; a typed network name is
// stored as its UTF-8 bytes, refused past 32 bytes; a name the page showed
// and nobody changed keeps its own bytes. The rules first, then the pages.
#include <gtest/gtest.h>

#include <set>

#include "adapter/Unames.h"
#include "config/Uunicode.h"
#include "pages/Unetname.h"
#include "pages/wizard/Uwizardlogic.h"
#include "wizard/wizard_fixture.h"

using namespace wizardlogic;

namespace {

const std::string kZhe = "\xD0\x96";
const std::string kRi = "\xE6\x97\xA5";  // 3 bytes in UTF-8

std::string Times(const std::string& text, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}

}  // namespace

TEST(WizardNames, ProfileAndNetworkNameRulesBeyondASCII) {
  auto none = [](const std::string&) { return false; };
  std::string refused;
  auto check = [&](const std::string& name, UINT cp) {
    return CheckProfileName(name, "Default_SoftAP", none, false, "", &refused, cp);
  };
  EXPECT_EQ(check("Net " + kZhe, 1252), TNameCheck::BadChar);
  EXPECT_EQ(refused, kZhe);
  EXPECT_EQ(NameCheckMessage(TNameCheck::BadChar, "Net " + kZhe, refused),
            "'" + kZhe + "' cannot be used in a profile name.");
  EXPECT_EQ(check("Net " + kZhe, 1251), TNameCheck::Ok) << "a Cyrillic system holds it";
  // Bytes of the store count, not UTF-8 bytes: 64 'é' are 64 store bytes.
  EXPECT_EQ(check(Times("\xC3\xA9", 64), 1252), TNameCheck::Ok);
  EXPECT_EQ(check(Times("\xC3\xA9", 65), 1252), TNameCheck::TooLong);
  EXPECT_EQ(check(Times(kRi, 32), 932), TNameCheck::Ok);
  EXPECT_EQ(check(Times(kRi, 32) + "x", 932), TNameCheck::TooLong);
  // A numbered name gives way at a character, counted in store bytes.
  std::set<std::string> stored = {Times(kRi, 32)};
  auto exists = [&](const std::string& n) { return stored.count(n) > 0; };
  EXPECT_EQ(NewProfileName(Times(kRi, 32), exists, 932), Times(kRi, 31) + "_1");

  // A name proposed from a network is one the store holds.
  const std::string hotspot = "\xF0\x9F\x98\x80 Hotspot";
  const std::string proposed =
      ProposedName(reinterpret_cast<const uint8_t*>(hotspot.data()), hotspot.size());
  EXPECT_EQ(proposed, "_ Hotspot");
  EXPECT_EQ(check(proposed, CP_ACP), TNameCheck::Ok);
  WLProfile p{};
  EXPECT_TRUE(SetProfileNameText(p, proposed));

  // A network name shown with an escape and left alone keeps its byte; the
  // same text typed anew is refused.
  TNetNameField field;
  std::string bytes;
  EXPECT_EQ(field.Load(std::string("A\tB")), "A\\x09B");
  EXPECT_EQ(field.Take("A\\x09B", bytes), TNetNameField::Check::Ok);
  EXPECT_EQ(bytes, "A\tB");
  EXPECT_EQ(field.Take("A\tB", bytes), TNetNameField::Check::BadChar);
}

namespace wizardflow {

TEST_F(WizardFlow, TypedNamesAreRefusedByNameOrStoredAsUtf8AndUntouchedNamesKeepTheirBytes) {
  page->BtnAdd->Click();
  ASSERT_TRUE(wiz->Visible());
  auto* nt = wiz->FrameNetType1;
  struct Refusal {
    std::string name, ssid, message;
  } refusals[] = {
      {"Net " + kZhe, "X", "'" + kZhe + "' cannot be used in a profile name."},
      {std::string(65, 'n'), "X", "The profile name is too long; it may have at most 64 bytes."},
      {"\xC3\x9Cn\xC3\xAF", Times(kRi, 11),
       "The network name is 33 bytes long; it may have at most 32."},
      {"\xC3\x9Cn\xC3\xAF", "a\tb", "The network name cannot hold control characters."},
  };
  for (const Refusal& r : refusals) {
    AnswerBox();
    Fill(r.name, r.ssid, false);
    EXPECT_TRUE(WaitUntil([&] { return !boxText.empty(); }, kGenerous));
    EXPECT_EQ(boxText, r.message);
    ASSERT_EQ(wiz->Current(), TWizPage::NetType) << "refused, not cut";
  }

  // Ten of them fit; the name is store text, the network name UTF-8 bytes.
  Fill("\xC3\x9Cn\xC3\xAF", Times(kRi, 10), false);
  ChooseSecurity(EncNone);
  if (wiz->Current() == TWizPage::Wireless) wiz->FrameWireless1->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
  EXPECT_EQ(wiz->FrameConfirm1->LblSSID->Caption(), Times(kRi, 10));
  wiz->FrameConfirm1->BtnSave->Click();
  ASSERT_NE(Row("\xC3\x9Cn\xC3\xAF"), nullptr);
  std::vector<WLProfile> list;
  Adapter()->GetProfileList(kStationList, list);
  auto find = [&list](const std::string& storeName) -> const WLProfile* {
    for (const WLProfile& p : list)
      if (FieldText(p.ProfileName) == storeName) return &p;
    return nullptr;
  };
  const WLProfile* made = find("\xDCn\xEF");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(SsidBytes(*made), Times(kRi, 10));
  EXPECT_EQ(Row("\xC3\x9Cn\xC3\xAF")->SubItem(1), Times(kRi, 10)) << "the list shows it";

  // A Latin-1 name passes through an edit untouched.
  WLProfile latin = Adapter()->DefProf;
  SetField(latin.ProfileName, "Latin");
  ASSERT_TRUE(SetSsidBytes(latin, "Caf\xE9"));
  ASSERT_TRUE(Adapter()->AddProfile(latin));
  wiz->FrameActive1->BtnActLater->Click();
  page->AttachAdapter(Adapter(), kDetach, kModeStation);  // the list reads the store anew
  page->AttachAdapter(Adapter(), kAttach, kModeStation);
  ASSERT_NE(Row("Latin"), nullptr);
  EXPECT_EQ(Row("Latin")->SubItem(1), "Caf\xC3\xA9");
  page->LvProf->SelectRow(page->LvProf->IndexOf(Row("Latin")));
  page->BtnEdit->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::NetType);
  EXPECT_EQ(nt->EdtSSID->Text(), "Caf\xC3\xA9");
  nt->BtnNext->Click();
  ChooseSecurity(EncNone);
  if (wiz->Current() == TWizPage::Wireless) wiz->FrameWireless1->BtnNext->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::Confirm);
  EXPECT_EQ(wiz->FrameConfirm1->LblSSID->Caption(), "Caf\xC3\xA9");
  wiz->FrameConfirm1->BtnSave->Click();
  list.clear();
  Adapter()->GetProfileList(kStationList, list);
  ASSERT_NE(find("Latin"), nullptr);
  EXPECT_EQ(SsidBytes(*find("Latin")), "Caf\xE9");
}

}  // namespace wizardflow
