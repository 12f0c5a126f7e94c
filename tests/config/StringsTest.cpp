// The shared display words and the enumeration texts, over their whole
// input ranges.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "app/TestSupport.h"
#include "config/Udefine.h"

using namespace wutest;

namespace {

TEST(CommonStrings, KeysAreUniqueAndEachWordSitsAtItsIndex) {
  std::set<std::string> keys;
  for (int i = 0; i < kCommonStringCount; ++i) {
    EXPECT_TRUE(keys.insert(CommonStringKey(i)).second) << CommonStringKey(i);
  }
  EXPECT_STREQ(CommonStringKey(-1), "");
  EXPECT_STREQ(CommonStringKey(kCommonStringCount), "");

  // Words replaced by a string file land on the index their key names.
  TempDir dir;
  WriteText(dir / "P.bin", "[Setting]\r\n");
  WriteText(dir / "P.ini",
            "[Common]\r\nSignalExcellent=v21\r\nEAP_MSCHAP_2=v58\r\n802A_Trb=v68\r\n"
            "RoamOpt=v77\r\nPowerLv3=v81\r\nTrustAny=v7\r\nDrv_Encrypt_TKIP=v63\r\n");
  CFAGlobalVar var;
  var.LocateFiles(dir / "P.exe");
  EXPECT_EQ(var.CommonStrings[21], "v21");
  EXPECT_EQ(var.CommonStrings[58], "v58");
  EXPECT_EQ(var.CommonStrings[68], "v68");
  EXPECT_EQ(var.CommonStrings[77], "v77");
  EXPECT_EQ(var.CommonStrings[81], "v81");
  EXPECT_EQ(var.CommonStrings[7], "v7");
  EXPECT_EQ(var.CommonStrings[63], "v63");
  EXPECT_EQ(var.CommonStrings[20], "Very Good");
  EXPECT_EQ(var.CommonStrings[23], "Authentication failed, retrying...");
  EXPECT_EQ(var.CommonStrings[36], "WPA-PSK/ WPA2-PSK");
  EXPECT_EQ(var.CommonStrings[80], "Level 2");
}

const std::set<int32_t> kModes = {1, 2, 3, 11, 12, 13, 14, 21, 22, 23, 31, 32, 33, 34};

TEST(WirelessModes, EveryCodeHasItsBandsAndAnyOtherMeansAll) {
  const std::pair<int32_t, int32_t> table[] = {
      {1, 0x001},  {2, 0x002},  {3, 0x004},  {11, 0x005}, {12, 0x006}, {13, 0x003}, {14, 0x007},
      {21, 0x001}, {22, 0x102}, {23, 0x204}, {31, 0x205}, {32, 0x306}, {33, 0x103}, {34, 0x307}};
  for (const auto& [mode, bits] : table) EXPECT_EQ(CFAGlobalVar::ModeToBands(mode), bits) << mode;
  for (int32_t mode : {INT_MIN, -1, 0, 4, 10, 15, 20, 24, 30, 35, 100, INT_MAX}) {
    EXPECT_EQ(CFAGlobalVar::ModeToBands(mode), 0x307) << mode;
  }
}

TEST(WirelessModes, BandsGiveAModeThatCarriesTheSameBands) {
  for (int32_t bands = 0; bands <= 0xFFF; ++bands) {
    const int32_t mode = CFAGlobalVar::BandsToMode(bands);
    ASSERT_TRUE(kModes.count(mode)) << bands;
    const int32_t low = bands & 0xFF;
    if (low >= 1 && low <= 7) {
      EXPECT_EQ(CFAGlobalVar::ModeToBands(mode) & 0xFF, low) << bands;
      if ((bands & 0x300) == 0) {
        EXPECT_EQ(CFAGlobalVar::ModeToBands(mode) & 0x300, 0) << bands;
      }
    } else {
      EXPECT_EQ(mode, 34) << bands;
    }
  }
  // Turbo marks count only where the band has a turbo variant.
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x102), 22);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x202), 2);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x103), 33);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x104), 3);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x204), 23);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x205), 31);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x206), 32);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x107), 34);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x007), 14);
  EXPECT_EQ(CFAGlobalVar::BandsToMode(0x301), 1);
  // Every canonical code survives the round trip.
  for (int32_t mode : kModes) {
    if (mode == 21) continue;  // same bands as 1
    EXPECT_EQ(CFAGlobalVar::BandsToMode(CFAGlobalVar::ModeToBands(mode)), mode);
  }
}

TEST(WirelessModes, ListAndBandTexts) {
  CFAGlobalVar var;
  EXPECT_EQ(CFAGlobalVar::ModeListText(1), "802.11b");
  EXPECT_EQ(CFAGlobalVar::ModeListText(2), "802.11a");
  EXPECT_EQ(CFAGlobalVar::ModeListText(11), "802.11b/g");
  EXPECT_EQ(CFAGlobalVar::ModeListText(12), "802.11g/a");
  EXPECT_EQ(CFAGlobalVar::ModeListText(14), "802.11b/g/a");
  EXPECT_EQ(CFAGlobalVar::ModeListText(34), "802.11b/g/a");
  EXPECT_EQ(CFAGlobalVar::ModeListText(-3), "802.11b/g/a");
  EXPECT_EQ(var.BandText(1, true), "802.11b");
  EXPECT_EQ(var.BandText(11, true), "802.11g");
  EXPECT_EQ(var.BandText(14, true), "802.11a");
  EXPECT_EQ(var.BandText(3, false), "2.4 GHz");
  EXPECT_EQ(var.BandText(12, false), "5 GHz");
  EXPECT_EQ(var.BandText(2, false), "5 GHz");
  var.CommonStrings[csGHz] = "G";
  EXPECT_EQ(var.BandText(13, false), "5 G");
}

TEST(SecurityTexts, ProfileTypesAndSiteCodesOverTheirRanges) {
  CFAGlobalVar var;
  for (int32_t t = -2; t <= 10; ++t) {
    EXPECT_EQ(var.SecurityText(t), t >= 0 && t <= 7 ? var.CommonStrings[28 + t] : "") << t;
  }
  auto expected = [](int32_t c) {
    if (c == 0) return 28;
    if (c == 1) return 29;
    if (c >= 10 && c <= 15) return 31;
    if ((c >= 20 && c <= 25) || c == 99) return 30;
    if (c >= 110 && c <= 115) return 35;
    if ((c >= 120 && c <= 125) || c == 199) return 34;
    if (c >= 1010 && c <= 1015) return 37;
    if ((c >= 1020 && c <= 1025) || c == 1099) return 36;
    return 0;
  };
  for (int32_t c = -20; c <= 1200; ++c) {
    ASSERT_EQ(var.SiteSecurityText(c), var.CommonStrings[expected(c)]) << c;
  }
  EXPECT_EQ(var.SiteSecurityText(INT_MIN), "N/A");
  EXPECT_EQ(var.SiteSecurityText(INT_MAX), "N/A");
  EXPECT_EQ(var.SiteSecurityText(1020), "WPA-PSK/ WPA2-PSK");
}

TEST(SignalPercent, ClampsRisesWithTheLevelAndTreatsZeroAsNoSignal) {
  EXPECT_EQ(CFAGlobalVar::SignalPercent(0), 0);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(-94), 2);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(-95), 0);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(-96), 0);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(-70), 50);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(-46), 98);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(-45), 100);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(-93), 4);
  // Levels far outside anything real must not wrap around.
  EXPECT_EQ(CFAGlobalVar::SignalPercent(INT_MIN), 0);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(INT_MAX), 100);
  EXPECT_EQ(CFAGlobalVar::SignalPercent(30000000), 100);
  int32_t previous = 0;
  for (int32_t dbm = -300; dbm <= 100; ++dbm) {
    if (dbm == 0) continue;
    const int32_t p = CFAGlobalVar::SignalPercent(dbm);
    ASSERT_GE(p, previous) << dbm;
    ASSERT_LE(p, 100);
    previous = p;
  }
}

}  // namespace
