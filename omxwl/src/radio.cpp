#include "radio.h"

#include <algorithm>
#include <cctype>

#include "md5.h"
#include "text.h"

namespace omx {
namespace {

struct Range {
  int32_t first, last, step;
};

struct DomainPlan {
  const char* name;
  std::vector<Range> b, g, a;        // station
  std::vector<Range> apB, apG, apA;  // access point: no radar channels
};

const std::vector<DomainPlan>& Plans() {
  static const std::vector<DomainPlan> plans = {
      {"FCC",
       {{1, 11, 1}},
       {{1, 11, 1}},
       {{36, 64, 4}, {100, 140, 4}, {149, 165, 4}},
       {{1, 11, 1}},
       {{1, 11, 1}},
       {{36, 48, 4}, {149, 165, 4}}},
      {"IC",
       {{1, 11, 1}},
       {{1, 11, 1}},
       {{36, 64, 4}, {100, 116, 4}, {132, 140, 4}, {149, 165, 4}},
       {{1, 11, 1}},
       {{1, 11, 1}},
       {{36, 48, 4}, {149, 165, 4}}},
      {"ETSI",
       {{1, 13, 1}},
       {{1, 13, 1}},
       {{36, 64, 4}, {100, 140, 4}},
       {{1, 13, 1}},
       {{1, 13, 1}},
       {{36, 48, 4}}},
      {"SPAIN",
       {{10, 11, 1}},
       {{10, 11, 1}},
       {{36, 64, 4}, {100, 140, 4}},
       {{10, 11, 1}},
       {{10, 11, 1}},
       {{36, 48, 4}}},
      {"FRANCE",
       {{10, 13, 1}},
       {{10, 13, 1}},
       {{36, 64, 4}, {100, 140, 4}},
       {{10, 13, 1}},
       {{10, 13, 1}},
       {{36, 48, 4}}},
      // Channel 14 is for 802.11b stations only.
      {"MKK",
       {{1, 14, 1}},
       {{1, 13, 1}},
       {{36, 64, 4}, {100, 140, 4}},
       {{1, 13, 1}},
       {{1, 13, 1}},
       {{36, 48, 4}}},
  };
  return plans;
}

const DomainPlan* FindPlan(std::string_view domain) {
  std::string d = Trim(domain);
  for (const DomainPlan& p : Plans())
    if (EqualsNoCase(d, p.name)) return &p;
  return nullptr;
}

void AddRanges(const std::vector<Range>& ranges, std::vector<int32_t>* out) {
  for (const Range& r : ranges)
    for (int32_t c = r.first; c <= r.last; c += r.step) out->push_back(c);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool Is24GHzChannel(int32_t channel) {
  return channel >= 1 && channel <= 14;
}
bool Is5GHzChannel(int32_t channel) {
  return channel >= 32 && channel <= 177;
}

int ChannelBands(int32_t channel) {
  if (Is5GHzChannel(channel)) return kBandA;
  if (Is24GHzChannel(channel)) return kBandB | kBandG;
  return 0;
}

NetType NetTypeOfBand(int band) {
  if (band == kBandA) return kNetTypeA;
  if (band == kBandB) return kNetTypeB;
  return kNetTypeG;
}

int32_t ChannelToFrequency(int32_t channel) {
  if (channel == 14) return 2484000;
  if (channel >= 1 && channel <= 13) return 2407000 + 5000 * channel;
  if (Is5GHzChannel(channel)) return 5000000 + 5000 * channel;
  return 0;
}

int32_t FrequencyToChannel(int32_t khz) {
  if (khz == 2484000) return 14;
  if (khz >= 2412000 && khz <= 2472000 && (khz - 2407000) % 5000 == 0)
    return (khz - 2407000) / 5000;
  if (khz >= 5160000 && khz <= 5885000 && khz % 5000 == 0) return (khz - 5000000) / 5000;
  return 0;
}

bool IsKnownDomain(std::string_view domain) {
  return FindPlan(domain) != nullptr;
}

std::vector<int32_t> AllowedChannels(std::string_view domain, int bands, bool accessPoint) {
  std::vector<int32_t> out;
  const DomainPlan* p = FindPlan(domain);
  if (!p) return out;
  if (bands & kBandB) AddRanges(accessPoint ? p->apB : p->b, &out);
  if (bands & kBandG) AddRanges(accessPoint ? p->apG : p->g, &out);
  if (bands & kBandA) AddRanges(accessPoint ? p->apA : p->a, &out);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

bool ChannelAllowed(std::string_view domain, int band, int32_t channel) {
  std::vector<int32_t> set = AllowedChannels(domain, band, false);
  return std::find(set.begin(), set.end(), channel) != set.end();
}

int ModeToBands(int32_t mode) {
  switch (mode) {
    case 1:
    case 21:
      return kBandB;
    case 2:
    case 22:
      return kBandA;
    case 3:
    case 23:
      return kBandG;
    case 11:
    case 31:
      return kBandB | kBandG;
    case 12:
    case 32:
      return kBandA | kBandG;
    case 13:
    case 33:
      return kBandB | kBandA;
    default:
      return kBandMask;
  }
}

SecKind KindOfCode(int32_t code) {
  if (code == 0) return SecKind::Open;
  if (code == 1) return SecKind::Wep;
  if (code >= 10 && code <= 15) return SecKind::Wpa;
  if ((code >= 20 && code <= 25) || code == 99) return SecKind::WpaPsk;
  if (code >= 110 && code <= 115) return SecKind::Wpa2;
  if ((code >= 120 && code <= 125) || code == 199) return SecKind::Wpa2Psk;
  if (code >= 1010 && code <= 1015) return SecKind::WpaWpa2;
  if ((code >= 1020 && code <= 1025) || code == 1099) return SecKind::WpaWpa2Psk;
  return SecKind::Other;
}

bool CodeIsAes(int32_t code) {
  int last = code % 10;
  return last == 3 || last == 4;
}

size_t WepKeyBytes(int32_t level) {
  switch (level) {
    case 1:
      return 5;
    case 2:
      return 13;
    case 3:
      return 16;
    default:
      return 0;
  }
}

int32_t WepLevelOfBytes(size_t bytes) {
  for (int32_t level = 1; level <= 3; ++level)
    if (WepKeyBytes(level) == bytes) return level;
  return 0;
}

bool WepKeyToBytes(std::string_view key, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (WepLevelOfBytes(key.size() / 2) != 0 && key.size() % 2 == 0) {
    bool hex = std::all_of(key.begin(), key.end(), [](char c) { return HexValue(c) >= 0; });
    if (hex) {
      for (size_t i = 0; i < key.size(); i += 2)
        bytes->push_back(static_cast<uint8_t>(HexValue(key[i]) * 16 + HexValue(key[i + 1])));
      return true;
    }
  }
  if (WepLevelOfBytes(key.size()) != 0) {
    bytes->assign(key.begin(), key.end());
    return true;
  }
  return false;
}

void Wep64FromPhrase(std::string_view phrase, uint8_t keys[4][5]) {
  uint8_t seed[4] = {};
  for (size_t i = 0; i < phrase.size(); ++i) seed[i % 4] ^= static_cast<uint8_t>(phrase[i]);
  uint32_t x = seed[0] | (seed[1] << 8) | (seed[2] << 16) | (static_cast<uint32_t>(seed[3]) << 24);
  for (int k = 0; k < 4; ++k)
    for (int j = 0; j < 5; ++j) {
      x = x * 0x343FDu + 0x269EC3u;
      keys[k][j] = static_cast<uint8_t>(x >> 16);
    }
}

void Wep128FromPhrase(std::string_view phrase, uint8_t key[13]) {
  uint8_t buf[64];
  for (size_t i = 0; i < sizeof buf; ++i)
    buf[i] = phrase.empty() ? 0 : static_cast<uint8_t>(phrase[i % phrase.size()]);
  uint8_t digest[16];
  Md5(buf, sizeof buf, digest);
  for (int i = 0; i < 13; ++i) key[i] = digest[i];
}

std::string HexUpper(const uint8_t* data, size_t size) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    s.push_back(digits[data[i] >> 4]);
    s.push_back(digits[data[i] & 15]);
  }
  return s;
}

}  // namespace omx
