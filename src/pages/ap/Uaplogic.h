// The rules of the access-point pages that need no window: the wireless
// modes offered, where each mode takes its channels from, and the input
// rule of a filter address.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace aplogic {

// Wireless-mode values of the access point.
constexpr int32_t kAPMode11b = 1;
constexpr int32_t kAPMode11a = 2;
constexpr int32_t kAPMode11g = 3;
constexpr int32_t kAPMode11bg = 11;

// The modes offered for an adapter's band bits (1 802.11b, 2 802.11a,
// 4 802.11g), in the order of the list: 802.11b + 802.11g first when both
// are there, then 802.11b, 802.11g and 802.11a.
std::vector<int32_t> APModes(int32_t bands);

// Where a mode's channels come from: the per-adapter list setting, the band
// asked of the library, and whether the 5 GHz default channel is its
// fallback. An unknown mode has no setting (empty name).
struct APChannelSource {
  std::string Setting;
  int32_t Band;
  bool FiveGHz;
};
APChannelSource APChannels(int32_t mode);

// The filter address input rule: upper case, at most limit characters, and
// every character that is not a hex digit becomes "0".
std::string AddressInput(const std::string& value, size_t limit);

}  // namespace aplogic
