// The channel lists of the ad-hoc and access-point pages, apart from any
// window: which setting names a list, how its text becomes channels, how
// channels become list items and which item is selected.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace channelrules {

// Most channels a list takes from a setting or from the library.
constexpr int kMaxListed = 256;

// The domain-specific name of a channel-list setting ("AdHocChB" and "FCC"
// give "AdHocChB_FCC"); its value overrides the general one.
std::string DomainSettingName(const std::string& name, const std::string& domain);

// Channels of a comma list: its integer entries in order (others skipped),
// at most kMaxListed.
std::vector<int32_t> ChannelsFromSetting(const std::string& text);

// The channels a list offers: those of the setting text when it names any;
// otherwise the library's, led by 0 ("Auto") when autoFirst is set.
std::vector<int32_t> ListedChannels(const std::string& settingText,
                                    const std::vector<int32_t>& libraryChannels, bool autoFirst);

struct TChannelItem {
  std::string Text;
  int32_t Value;
};

// One item per channel, up to the first negative one: 0 becomes autoText,
// any other channel its decimal text.
std::vector<TChannelItem> ChannelItems(const std::vector<int32_t>& channels,
                                       const std::string& autoText);

// Index of the item to select: the one of the wanted channel, else the one
// of the fallback channel, else the first; -1 for an empty list.
int PickChannel(const std::vector<TChannelItem>& items, int32_t wanted, int32_t fallback);

}  // namespace channelrules
