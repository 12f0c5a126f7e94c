#include "config/Uchannelrules.h"

#include "config/Uutility.h"

namespace channelrules {

std::string DomainSettingName(const std::string& name, const std::string& domain) {
  return name + "_" + domain;
}

std::vector<int32_t> ChannelsFromSetting(const std::string& text) {
  int32_t values[kMaxListed];
  const int found = ParseIntList(text, values, kMaxListed);
  const int count = found < kMaxListed ? found : kMaxListed;
  return std::vector<int32_t>(values, values + (count > 0 ? count : 0));
}

std::vector<int32_t> ListedChannels(const std::string& settingText,
                                    const std::vector<int32_t>& libraryChannels, bool autoFirst) {
  if (!settingText.empty()) return ChannelsFromSetting(settingText);
  std::vector<int32_t> out;
  if (autoFirst) out.push_back(0);
  const size_t n = libraryChannels.size() < static_cast<size_t>(kMaxListed)
                       ? libraryChannels.size()
                       : static_cast<size_t>(kMaxListed);
  out.insert(out.end(), libraryChannels.begin(), libraryChannels.begin() + n);
  return out;
}

std::vector<TChannelItem> ChannelItems(const std::vector<int32_t>& channels,
                                       const std::string& autoText) {
  std::vector<TChannelItem> items;
  for (int32_t ch : channels) {
    if (ch < 0) break;
    items.push_back({ch == 0 ? autoText : std::to_string(ch), ch});
  }
  return items;
}

int PickChannel(const std::vector<TChannelItem>& items, int32_t wanted, int32_t fallback) {
  for (int32_t value : {wanted, fallback})
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].Value == value) return static_cast<int>(i);
  return items.empty() ? -1 : 0;
}

}  // namespace channelrules
