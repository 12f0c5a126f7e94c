// The access-point pages' rules without a window: offered modes and the
// filter address input rule.
#include <gtest/gtest.h>

#include "pages/ap/Uaplogic.h"

using namespace aplogic;

namespace {

TEST(APLogic, ModesFollowTheAdapterBands) {
  EXPECT_EQ(APModes(1 | 2 | 4),
            (std::vector<int32_t>{kAPMode11bg, kAPMode11b, kAPMode11g, kAPMode11a}));
  EXPECT_EQ(APModes(2), (std::vector<int32_t>{kAPMode11a}));
  EXPECT_EQ(APModes(4), (std::vector<int32_t>{kAPMode11g})) << "no mixed mode without 802.11b";
  EXPECT_TRUE(APModes(0).empty());
  EXPECT_EQ(APModes(0x200 | 4 | 1).front(), kAPMode11bg) << "turbo bits change nothing";
}

TEST(APLogic, AddressInputKeepsHexDigitsInUpperCase) {
  EXPECT_EQ(AddressInput("001d4fZz0A", 12), "001D4F000A");
  EXPECT_EQ(AddressInput("ABCDEFabcdef99", 12), "ABCDEFABCDEF") << "cut to the limit";
  EXPECT_EQ(AddressInput("", 12), "");
  EXPECT_EQ(AddressInput(std::string("a\0g", 3), 12), "A00");
}

}  // namespace
