// Names in the wizard: refused by name, never cut; counted in store bytes of
// the code page; a network name shown and left alone keeps its own bytes.
#include "adapter/Unames.h"
#include "config/Uunicode.h"
#include "pages/Unetname.h"
#include "pages/wizard/Uwizardlogic.h"
#include "wizard/wizard_fixture.h"

using namespace wizardlogic;
using namespace wizardflow;

const std::string kZhe = "\xD0\x96";
const std::string kRi32 = Utf8(std::wstring(32, L'\u65E5'));  // 3 bytes each, 2 in 932

TEST(WizardNames, ProfileNamesCountTheStoreBytesOfTheCodePage) {
  auto check = [](const std::string& name, UINT cp) {
    return CheckProfileName(
        name, "", [](const std::string&) { return false; }, false, "", nullptr, cp);
  };
  EXPECT_EQ(check("Net " + kZhe, 1251), TNameCheck::Ok) << "a Cyrillic system holds it";
  EXPECT_EQ(check(kRi32, 932), TNameCheck::Ok);
  EXPECT_EQ(check(kRi32 + "x", 932), TNameCheck::TooLong);
  // A numbered name gives way at a character, counted in store bytes.
  EXPECT_EQ(NewProfileName(
                kRi32, [](const std::string& n) { return n == kRi32; }, 932),
            kRi32.substr(0, 93) + "_1");
  // A network name shown with an escape and left alone keeps its byte.
  TNetNameField field;
  std::string bytes;
  EXPECT_EQ(field.Load(std::string("A\tB")), "A\\x09B");
  EXPECT_EQ(field.Take("A\\x09B", bytes), TNetNameField::Check::Ok);
  EXPECT_EQ(bytes, "A\tB");
}

TEST_F(WizardFlow, ALatin1NameKeepsItsBytesThroughAnEditAndTypedNamesAreRefusedByName) {
  WLProfile latin = Adapter()->DefProf;
  SetField(latin.ProfileName, "Latin");
  ASSERT_TRUE(SetSsidBytes(latin, "Caf\xE9"));
  ASSERT_TRUE(Adapter()->AddProfile(latin));
  page->AttachAdapter(Adapter(), kDetach, kModeStation);  // the list reads the store anew
  page->AttachAdapter(Adapter(), kAttach, kModeStation);
  ASSERT_NE(Row("Latin"), nullptr);
  EXPECT_EQ(Row("Latin")->SubItem(1), "Caf\xC3\xA9");
  page->LvProf->SelectRow(page->LvProf->IndexOf(Row("Latin")));
  page->BtnEdit->Click();
  ASSERT_EQ(wiz->Current(), TWizPage::NetType);
  EXPECT_EQ(wiz->FrameNetType1->EdtSSID->Text(), "Caf\xC3\xA9");
  wiz->FrameNetType1->BtnNext->Click();
  ChooseSecurity(EncNone);
  SaveAndConnect();
  std::string saved = "<none>";
  for (const WLProfile& p : Adapter()->ProfList)
    if (FieldText(p.ProfileName) == "Latin") saved = SsidBytes(p);
  EXPECT_EQ(saved, "Caf\xE9");
  page->BtnAdd->Click();
  const struct {
    std::string name, ssid, message;
  } refusals[] = {
      {"Net " + kZhe, "X", "'" + kZhe + "' cannot be used in a profile name."},
      {std::string(65, 'n'), "X", "The profile name is too long; it may have at most 64 bytes."},
      {"N", kRi32.substr(0, 33), "The network name is 33 bytes long; it may have at most 32."},
      {"N", "a\tb", "The network name cannot hold control characters."},
  };
  for (const auto& r : refusals) {
    AnswerBox();
    Fill(r.name, r.ssid, false);
    EXPECT_TRUE(WaitUntil([&] { return boxText == r.message; }, kGenerous)) << boxText;
    ASSERT_EQ(wiz->Current(), TWizPage::NetType) << "refused, not cut";
  }
}
