#include "pages/ap/Uaplogic.h"

#include <cctype>

namespace aplogic {

std::vector<int32_t> APModes(int32_t bands) {
  std::vector<int32_t> modes;
  if ((bands & 1) && (bands & 4)) modes.push_back(kAPMode11bg);
  if (bands & 1) modes.push_back(kAPMode11b);
  if (bands & 4) modes.push_back(kAPMode11g);
  if (bands & 2) modes.push_back(kAPMode11a);
  return modes;
}

APChannelSource APChannels(int32_t mode) {
  switch (mode) {
    case kAPMode11b:
      return {"SoftAPChB", 1, false};
    case kAPMode11a:
      return {"SoftAPChA", 2, true};
    case kAPMode11g:
      return {"SoftAPChG", 4, false};
    case kAPMode11bg:
      return {"SoftAPChBG", 4, false};
    default:
      return {"", 0, false};
  }
}

std::string AddressInput(const std::string& value, size_t limit) {
  std::string out = value.substr(0, limit);
  for (char& c : out) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!std::isxdigit(static_cast<unsigned char>(c))) c = '0';
  }
  return out;
}

}  // namespace aplogic
