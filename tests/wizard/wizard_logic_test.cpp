// The wizard's rules without windows: the page order, the band rule, the
// security types offered, the name checks and new names, the channel lists,
// the band boxes and the profile summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "config/Uchannelrules.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "pages/wizard/Uwizardlogic.h"

using namespace wizardlogic;
using channelrules::TChannelItem;

namespace {

WLProfile Work(int32_t networkMode, int32_t security) {
  WLProfile p{};
  p.NetworkMode = networkMode;
  p.EncryptionMethod = security;
  return p;
}

std::vector<int32_t> Values(const std::vector<TChannelItem>& items) {
  std::vector<int32_t> out;
  for (const auto& i : items) out.push_back(i.Value);
  return out;
}

}  // namespace

TEST(WizardOrder, EveryPathEndsAtConfirmAndTheBandPageOnlyWhenTheRuleHolds) {
  for (int32_t sec = 0; sec <= 8; ++sec) {
    for (bool rule : {false, true}) {
      const WLProfile infra = Work(1, sec);
      ASSERT_EQ(NextPage(TWizPage::NetType, infra, rule), TWizPage::Security);
      ASSERT_EQ(NextPage(TWizPage::NetType, Work(0, sec), rule), TWizPage::WlMode);
      ASSERT_EQ(NextPage(TWizPage::WlMode, infra, rule), TWizPage::Security);
      const TWizPage afterDetail = rule ? TWizPage::Wireless : TWizPage::Confirm;
      const TWizPage detail = NextPage(TWizPage::Security, infra, rule);
      switch (sec) {
        case EncWEP:
          EXPECT_EQ(detail, TWizPage::WEP);
          break;
        case EncWPA_PSK:
        case EncWPA2_PSK:
          EXPECT_EQ(detail, TWizPage::WPAPSK);
          break;
        case EncWPA:
        case EncRADIUS:
        case EncWPA2:
          EXPECT_EQ(detail, TWizPage::Dot11);
          break;
        default:
          EXPECT_EQ(detail, afterDetail) << "type " << sec << ": no detail page";
      }
      for (TWizPage p : {TWizPage::WEP, TWizPage::WPAPSK, TWizPage::Dot11})
        EXPECT_EQ(NextPage(p, infra, rule), afterDetail);
      EXPECT_EQ(NextPage(TWizPage::Wireless, infra, rule), TWizPage::Confirm);
      // Key-only starts at the detail page, or confirms at once.
      const TWizPage first = FirstPage(kProfKeyOnly, sec);
      EXPECT_EQ(first, detail == afterDetail ? TWizPage::Confirm : detail);
      EXPECT_EQ(FirstPage(0, sec), TWizPage::NetType);
      EXPECT_EQ(FirstPage(kProfEditMode, sec), TWizPage::NetType);
    }
  }
}

TEST(WizardOrder, TheBandRuleNeedsInfrastructureAnAdapterAndTwoBands) {
  // Wireless-mode codes with one band and with several.
  for (int32_t single : {1, 2, 3, 21, 22, 23}) EXPECT_FALSE(BandRule(0, 1, true, single));
  for (int32_t several : {11, 12, 13, 14, 31, 32, 33, 34, 99}) {
    EXPECT_TRUE(BandRule(0, 1, true, several)) << several;
    EXPECT_TRUE(BandRule(kProfEditMode, 1, true, several));
    EXPECT_FALSE(BandRule(kProfKeyOnly, 1, true, several));
    EXPECT_FALSE(BandRule(0, 0, true, several)) << "ad hoc";
    EXPECT_FALSE(BandRule(0, 1, false, several)) << "no adapter";
  }
}

TEST(WizardSecurity, OfferedTypesFollowNetworkModeWindowsAndSwitches) {
  auto all = [](const char*) { return true; };
  EXPECT_EQ(OfferedSecurity(0, 7, all), (std::vector<int32_t>{0, 1})) << "ad hoc: WEP at most";
  EXPECT_EQ(OfferedSecurity(1, 6, all), (std::vector<int32_t>{0, 1, 3, 7, 2, 6, 4}));
  EXPECT_EQ(OfferedSecurity(1, 5, all), (std::vector<int32_t>{0, 1, 3, 2, 4}));
  std::set<std::string> off = {"EnableWEP", "EnableWPA2", "EnableRADIUS"};
  auto some = [&](const char* name) { return !off.count(name); };
  EXPECT_EQ(OfferedSecurity(1, 6, some), (std::vector<int32_t>{0, 3, 2, 6}));
  EXPECT_TRUE(OfferedSecurity(1, 6, [](const char*) { return false; }).empty());

  const std::vector<int32_t> noWpa2 = {0, 1, 3, 2};
  EXPECT_EQ(PickSecurity(noWpa2, EncWPA2), 2) << "WPA2 falls back to WPA";
  EXPECT_EQ(PickSecurity(noWpa2, EncWPA2_PSK), 3);
  EXPECT_EQ(PickSecurity({0, 7, 6}, EncWPA), 1);
  EXPECT_EQ(PickSecurity({0, 7, 6}, EncWPA_PSK), 2);
  EXPECT_EQ(PickSecurity(noWpa2, EncLEAP), 0) << "LEAP is never offered";
  EXPECT_EQ(PickSecurity({}, EncWEP), -1);
}

// The version class that the settings object derives from today's Windows
// must let an infrastructure profile choose WPA2 and WPA2-PSK.
TEST(WizardSecurity, CurrentWindowsOffersWpa2) {
  auto all = [](const char*) { return true; };
  auto offers = [](const std::vector<int32_t>& types, int32_t type) {
    return std::find(types.begin(), types.end(), type) != types.end();
  };
  const WindowsVersion current[] = {{VER_PLATFORM_WIN32_NT, 6, 0},   // Vista
                                    {VER_PLATFORM_WIN32_NT, 6, 1},   // 7
                                    {VER_PLATFORM_WIN32_NT, 6, 2},   // 8
                                    {VER_PLATFORM_WIN32_NT, 10, 0},  // 10 and 11
                                    {VER_PLATFORM_WIN32_NT, 5, 1}};  // XP
  for (const WindowsVersion& v : current) {
    const auto types = OfferedSecurity(1, ClassifyWindowsVersion(v), all);
    EXPECT_TRUE(offers(types, EncWPA2)) << v.Major << "." << v.Minor;
    EXPECT_TRUE(offers(types, EncWPA2_PSK)) << v.Major << "." << v.Minor;
  }
  // Windows 98 never had WPA2.
  const auto old =
      OfferedSecurity(1, ClassifyWindowsVersion({VER_PLATFORM_WIN32_WINDOWS, 4, 10}), all);
  EXPECT_FALSE(offers(old, EncWPA2));
  EXPECT_FALSE(offers(old, EncWPA2_PSK));
  EXPECT_TRUE(offers(old, EncWPA_PSK));
}

TEST(WizardNames, ChecksOfTheProfileName) {
  std::set<std::string> stored = {"home", "office"};
  auto exists = [&](const std::string& n) {
    for (const auto& s : stored)
      if (_stricmp(s.c_str(), n.c_str()) == 0) return true;
    return false;
  };
  auto check = [&](const std::string& name, bool edit = false, const std::string& entry = "") {
    return CheckProfileName(name, "Default_SoftAP", exists, edit, entry);
  };
  EXPECT_EQ(check(""), TNameCheck::Empty);
  EXPECT_EQ(check("(EditingProfile)"), TNameCheck::Reserved);
  EXPECT_EQ(check("Default_SoftAP"), TNameCheck::Reserved);
  EXPECT_EQ(check("default_softap"), TNameCheck::Ok) << "reserved names compare exactly";
  EXPECT_EQ(check("Home"), TNameCheck::Exists) << "add: case does not matter";
  EXPECT_EQ(check("home", true, "home"), TNameCheck::Ok) << "edit keeps its own name";
  EXPECT_EQ(check("Home", true, "home"), TNameCheck::Exists) << "a change of case alone";
  EXPECT_EQ(check("office", true, "home"), TNameCheck::Exists);
  EXPECT_EQ(check("cottage", true, "home"), TNameCheck::Ok);
  // Over-long names are refused, never cut: a cut name could be another
  // profile's (64 'y' is stored) or one the user did not choose.
  EXPECT_EQ(check(std::string(64, 'x') + "home"), TNameCheck::TooLong);
  stored.insert(std::string(64, 'y'));
  EXPECT_EQ(check(std::string(64, 'y') + "z"), TNameCheck::TooLong);
  EXPECT_EQ(check(std::string(64, 'y')), TNameCheck::Exists) << "64 bytes is a name";

  EXPECT_EQ(NameCheckMessage(TNameCheck::Exists, "Home"),
            "'Home' already exists. Please enter another name.");
  EXPECT_EQ(NameCheckMessage(TNameCheck::Empty, ""), "Profile Name can't be empty!");
}

TEST(WizardNames, ANewProfileTakesTheFirstFreeNumberedName) {
  std::set<std::string> stored = {"Default", "Default_1"};
  auto exists = [&](const std::string& n) { return stored.count(n) > 0; };
  EXPECT_EQ(NewProfileName("Default", exists), "Default_2");
  EXPECT_EQ(NewProfileName("Free", exists), "Free");
  EXPECT_EQ(NewProfileName("", exists), "");
  // A name of the full length gives way to the number.
  const std::string full(64, 'n');
  stored.insert(full);
  const std::string made = NewProfileName(full, exists);
  EXPECT_EQ(made, std::string(62, 'n') + "_1");
  EXPECT_FALSE(exists(made));
  // Every number in use: the last one is taken.
  EXPECT_EQ(NewProfileName("Default", [](const std::string&) { return true; }), "Default_9998");
}

TEST(ChannelRules, ListsFromSettingsOrTheLibrary) {
  using namespace channelrules;
  EXPECT_EQ(DomainSettingName("AdHocChB", "FCC"), "AdHocChB_FCC");
  const std::string autoText = "Auto";
  // Entries that are not integers are skipped; a setting gives no "Auto"
  // unless it lists 0.
  auto items = ChannelItems(ListedChannels("1, 6,x,11", {36, 40}, true), autoText);
  EXPECT_EQ(Values(items), (std::vector<int32_t>{1, 6, 11}));
  items = ChannelItems(ListedChannels("0,1,6", {}, false), autoText);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].Text, "Auto");
  EXPECT_EQ(items[2].Text, "6");
  // The library's list leads with "Auto" for ad hoc, not for the access point.
  EXPECT_EQ(Values(ChannelItems(ListedChannels("", {1, 6}, true), autoText)),
            (std::vector<int32_t>{0, 1, 6}));
  EXPECT_EQ(Values(ChannelItems(ListedChannels("", {1, 6}, false), autoText)),
            (std::vector<int32_t>{1, 6}));
  // A negative channel ends the list; at most 256 are taken.
  EXPECT_EQ(Values(ChannelItems({3, 4, -1, 5}, autoText)), (std::vector<int32_t>{3, 4}));
  std::string many;
  for (int i = 1; i <= 300; ++i) many += std::to_string(i) + ",";
  EXPECT_EQ(ChannelsFromSetting(many).size(), 256u);
  EXPECT_EQ(ListedChannels("", std::vector<int32_t>(300, 1), true).size(), 257u);

  items = ChannelItems({0, 1, 6, 11}, autoText);
  EXPECT_EQ(PickChannel(items, 11, 6), 3);
  EXPECT_EQ(PickChannel(items, 13, 6), 2) << "the stored channel is gone: the default";
  EXPECT_EQ(PickChannel(items, 13, 14), 0) << "then the first";
  EXPECT_EQ(PickChannel({}, 1, 1), -1);
}

TEST(WizardBands, BoxesAndTheChoiceOfAdHocBand) {
  // An adapter with b and g: two boxes.
  auto boxes = BandBoxes(11, 11);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_TRUE(boxes[0].Shown && boxes[0].Checked);
  EXPECT_TRUE(boxes[1].Shown && boxes[1].Checked);
  EXPECT_FALSE(boxes[2].Shown || boxes[2].Checked || boxes[2].Tag);
  // Turbo g: only g checked gives code 23, plain g gives 3.
  boxes = BandBoxes(31, 3);
  EXPECT_FALSE(boxes[0].Checked);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(boxes[1].Tag), 23);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(BandBoxes(11, 3)[1].Tag), 3);
  // a/b/g adapter, an a-only profile.
  boxes = BandBoxes(34, 2);
  EXPECT_TRUE(boxes[2].Shown && boxes[2].Checked && !boxes[0].Checked && !boxes[1].Checked);
  EXPECT_EQ(boxes[2].TextIndex, cs802A);

  WLProfile p{};
  p.AdHocBand = 1;
  p.Channel = 10;
  FitAdHocBand(Band11b | Band11g, 6, 36, p);
  EXPECT_EQ(p.AdHocBand, 1) << "still usable";
  EXPECT_EQ(p.Channel, 10);
  FitAdHocBand(Band11a | Band11g, 6, 36, p);
  EXPECT_EQ(p.AdHocBand, 2) << "5 GHz first";
  EXPECT_EQ(p.Channel, 36);
  FitAdHocBand(Band11g, 6, 36, p);
  EXPECT_EQ(p.AdHocBand, 3);
  EXPECT_EQ(p.Channel, 6);
  FitAdHocBand(Band11b, 11, 36, p);
  EXPECT_EQ(p.AdHocBand, 1);
  EXPECT_EQ(p.Channel, 11);
}

TEST(WizardSummary, AdHocModesAndTheSummaryOfAProfile) {
  g_GlobalVar.ResetCommonStrings();
  auto texts = [](const std::vector<TModeItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(i.Text + "=" + std::to_string(i.Value));
    return out;
  };
  EXPECT_EQ(texts(AdHocModeItems(7, true)),
            (std::vector<std::string>{"802.11b=1", "802.11g=3", "802.11a=2"}));
  EXPECT_EQ(texts(AdHocModeItems(7, false)), (std::vector<std::string>{"2.4 GHz=1", "5 GHz=2"}));
  TAdHocChannels c{};
  ASSERT_TRUE(AdHocChannelsOf(2, c));
  EXPECT_STREQ(c.Setting, "AdHocChA");
  EXPECT_TRUE(c.FiveGHz);
  EXPECT_FALSE(AdHocChannelsOf(4, c));

  WLProfile p{};
  SetField(p.Ssid1, "Net");
  p.NetworkMode = 1;
  p.ABGMode = 11;
  p.Channel = 6;
  p.EncryptionMethod = EncLEAP;
  TProfileSummary s = Summarize(p, true, true);
  EXPECT_EQ(s.Ssid, "Net");
  EXPECT_EQ(s.NetType, "Infrastructure");
  EXPECT_EQ(s.WlMode, "802.11b/g");
  EXPECT_EQ(s.Channel, "Auto") << "infrastructure: always automatic";
  EXPECT_EQ(s.Security, "LEAP");
  p.NetworkMode = 0;
  p.AdHocBand = 11;  // b and g
  EXPECT_EQ(Summarize(p, true, true).WlMode, "802.11g");
  EXPECT_EQ(Summarize(p, true, false).WlMode, "2.4 GHz");
  EXPECT_EQ(Summarize(p, false, true).WlMode, "Auto");
  EXPECT_EQ(Summarize(p, true, true).Channel, "6");
  p.Channel = 0;
  p.EncryptionMethod = 9;
  EXPECT_EQ(Summarize(p, true, true).Channel, "Auto");
  EXPECT_EQ(Summarize(p, true, true).Security, "");
}
