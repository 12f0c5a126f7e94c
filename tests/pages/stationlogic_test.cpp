// The window-free rules of the station pages.
#include <gtest/gtest.h>

#include <climits>

#include "pages/station/Ustationlogic.h"

using namespace stationlogic;

namespace {

TEST(StationLogic, LampsFollowTheLevelTenPercentEach) {
  EXPECT_EQ(LampCount(0), 0) << "no value counts as -95 dBm";
  EXPECT_EQ(LampCount(-95), 0);
  EXPECT_EQ(LampCount(-120), 0);
  EXPECT_EQ(LampCount(-94), 1);
  EXPECT_EQ(LampCount(-50), 9);
  EXPECT_EQ(LampCount(-46), 10);
  EXPECT_EQ(LampCount(-45), 10);
  EXPECT_EQ(LampCount(30), 10);
  EXPECT_EQ(LampCount(INT_MIN), 0);
  EXPECT_EQ(LampCount(INT_MAX), 10);
}

TEST(StationLogic, RatesInHalfMegabitUnits) {
  EXPECT_EQ(RateText(11, "Mbps"), "5.5 Mbps");
  EXPECT_EQ(RateText(108, "Mbps"), "54 Mbps");
  EXPECT_EQ(RateText(2, "Mbps"), "1 Mbps");
  EXPECT_EQ(RateText(1, "Mbit/s"), "0.5 Mbit/s");
  EXPECT_EQ(RateText(0, "Mbps"), "0 Mbps");
}

TEST(StationLogic, MeasuredRatesInKilobits) {
  EXPECT_FLOAT_EQ(KbitRate(128000, 0, 1000), 1000.0f);
  EXPECT_FLOAT_EQ(KbitRate(1128000, 1000000, 2000), 500.0f);
  EXPECT_FLOAT_EQ(KbitRate(127, 0, 1000), 0.0f) << "below one kilobit";
  EXPECT_FLOAT_EQ(KbitRate(100, 5000, 1000), 0.0f) << "a counter that went backwards";
  EXPECT_FLOAT_EQ(KbitRate(5000, 100, 0), 0.0f) << "no time passed";
  EXPECT_GT(KbitRate(UINT64_MAX, 0, 1), 0.0f);
}

TEST(StationLogic, RowIconsByProtectionAndNetworkKind) {
  EXPECT_EQ(NetworkIcon(false, 1), 0);
  EXPECT_EQ(NetworkIcon(false, 0), 1);
  EXPECT_EQ(NetworkIcon(true, 1), 2);
  EXPECT_EQ(NetworkIcon(true, 2), 3);
}

TEST(StationLogic, OfferedRatesSkipGarbageAndEndAtTheFirstValueBelowOne) {
  EXPECT_EQ(OfferedRates("2,4,11,22,12,18,24,36,48,72,96,108"),
            (std::vector<int32_t>{2, 4, 11, 22, 12, 18, 24, 36, 48, 72, 96, 108}));
  EXPECT_EQ(OfferedRates("2,x,4,0,22"), (std::vector<int32_t>{2, 4}));
  EXPECT_EQ(OfferedRates("4, -1, 22"), (std::vector<int32_t>{4}));
  EXPECT_TRUE(OfferedRates("").empty());
  std::string many;
  for (int i = 1; i <= 300; ++i) many += std::to_string(i) + ",";
  const auto rates = OfferedRates(many);
  ASSERT_EQ(rates.size(), 256u);
  EXPECT_EQ(rates.back(), 256);
}

TEST(StationLogic, SurveyRowsSortByChannelNumberSignalOrText) {
  // Channel 11 after 6 although "11" sorts before "6" as text.
  EXPECT_EQ(CompareSites(2, true, 6, 11, 0, 0, "6", "11"), -1);
  EXPECT_EQ(CompareSites(2, false, 6, 11, 0, 0, "6", "11"), 1);
  EXPECT_EQ(CompareSites(3, true, 0, 0, -70, -40, "", ""), -1);
  EXPECT_EQ(CompareSites(3, false, 0, 0, -70, -40, "", ""), 1);
  EXPECT_EQ(CompareSites(3, false, 1, 2, -50, -50, "a", "b"), 0) << "no tie-break";
  EXPECT_EQ(CompareSites(1, true, 0, 0, 0, 0, "alpha", "Beta"), -1);
  EXPECT_EQ(CompareSites(1, true, 0, 0, 0, 0, "ALPHA", "alpha"), 0);
  EXPECT_EQ(CompareSites(1, false, 0, 0, 0, 0, "alpha", "Beta"), 1);
  EXPECT_EQ(CompareTexts("Home", "home", true), 0);
  EXPECT_EQ(CompareTexts("Work", "home", true), 1);
  EXPECT_EQ(CompareTexts("Work", "home", false), -1);
}

TEST(StationLogic, AuthenticationShownForTheLink) {
  // Without a profile, and for open and WEP profiles: the link's mode.
  EXPECT_EQ(AuthenIndex(false, EncWPA2, 3, 1), csAuthModeShare);
  EXPECT_EQ(AuthenIndex(false, 0, 0, 2), csAuthModeAuto);
  EXPECT_EQ(AuthenIndex(false, 0, 0, 7), csAuthModeOpen);
  EXPECT_EQ(AuthenIndex(true, EncWEP, 0, 1), csAuthModeShare);
  EXPECT_EQ(AuthenIndex(true, EncNone, 0, 0), csAuthModeOpen);
  // Pre-shared keys: none; 802.1X: the method.
  EXPECT_EQ(AuthenIndex(true, EncWPA_PSK, 3, 1), csNone);
  EXPECT_EQ(AuthenIndex(true, EncWPA2_PSK, 0, 0), csNone);
  EXPECT_EQ(AuthenIndex(true, EncWPA2, 3, 0), csAuthen_PEAP);
  EXPECT_EQ(AuthenIndex(true, EncWPA, 1, 0), csAuthen_TLS);
  EXPECT_EQ(AuthenIndex(true, EncRADIUS, 5, 0), csAuthen_MD5);
  EXPECT_EQ(AuthenIndex(true, EncRADIUS, 9, 0), -1);
  EXPECT_EQ(AuthenIndex(true, EncLEAP, 4, 0), -1);
  EXPECT_EQ(AuthenIndex(true, 8, 1, 1), -1);
  EXPECT_EQ(AuthenIndex(true, -1, 1, 1), -1);
}

}  // namespace
