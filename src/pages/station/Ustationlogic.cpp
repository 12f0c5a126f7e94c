#include "pages/station/Ustationlogic.h"

#include <windows.h>

#include <cstdio>

#include "config/Uutility.h"

namespace stationlogic {

namespace {

constexpr int kMaxRates = 256;

// The system's case-insensitive order, as list views sort.
int CompareNoCase(const std::string& a, const std::string& b) {
  const int r = lstrcmpiA(a.c_str(), b.c_str());
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace

int LampCount(int32_t dbm) {
  return (CFAGlobalVar::SignalPercent(dbm) + 9) / 10;
}

std::string RateText(int32_t rate, const std::string& unit) {
  char text[32];
  if (rate % 2 != 0)
    std::snprintf(text, sizeof text, "%.1f ", rate * 0.5);
  else
    std::snprintf(text, sizeof text, "%d ", static_cast<int>(rate / 2));
  return text + unit;
}

float KbitRate(uint64_t now, uint64_t before, uint32_t elapsedMs) {
  if (now < before || elapsedMs == 0) return 0.0f;
  // Units of 128 bytes are kilobits.
  return static_cast<float>((now - before) >> 7) / static_cast<float>(elapsedMs) * 1000.0f;
}

int NetworkIcon(bool secured, int32_t infraMode) {
  return (secured ? 2 : 0) + (infraMode != 1 ? 1 : 0);
}

std::vector<int32_t> OfferedRates(const std::string& setting) {
  int32_t values[kMaxRates];
  const int found = ParseIntList(setting, values, kMaxRates);
  const int count = found < kMaxRates ? found : kMaxRates;
  std::vector<int32_t> rates;
  for (int i = 0; i < count && values[i] >= 1; ++i) rates.push_back(values[i]);
  return rates;
}

int CompareTexts(const std::string& a, const std::string& b, bool ascending) {
  const int r = CompareNoCase(a, b);
  return ascending ? r : -r;
}

int CompareSites(int column, bool ascending, int channelA, int channelB, int32_t signalA,
                 int32_t signalB, const std::string& textA, const std::string& textB) {
  int r;
  if (column == 2)
    r = channelA < channelB ? -1 : (channelA > channelB ? 1 : 0);
  else if (column == 3)
    r = signalA < signalB ? -1 : (signalA > signalB ? 1 : 0);
  else
    r = CompareNoCase(textA, textB);
  return ascending ? r : -r;
}

int AuthenIndex(bool haveProfile, int32_t encryptionMethod, int32_t dot1xMethod,
                int32_t linkAuthMode) {
  auto fromLink = [linkAuthMode] {
    if (linkAuthMode == 1) return static_cast<int>(csAuthModeShare);
    if (linkAuthMode == 2) return static_cast<int>(csAuthModeAuto);
    return static_cast<int>(csAuthModeOpen);
  };
  if (!haveProfile) return fromLink();
  switch (encryptionMethod) {
    case EncNone:
    case EncWEP:
      return fromLink();
    case EncWPA_PSK:
    case EncWPA2_PSK:
      return csNone;
    case EncWPA:
    case EncRADIUS:
    case EncWPA2:
      switch (dot1xMethod) {
        case 1:
          return csAuthen_TLS;
        case 2:
          return csAuthen_TTLS;
        case 3:
          return csAuthen_PEAP;
        case 4:
          return csAuthen_LEAP;
        case 5:
          return csAuthen_MD5;
      }
      return -1;
  }
  return -1;  // LEAP and unknown methods show nothing
}

}  // namespace stationlogic
