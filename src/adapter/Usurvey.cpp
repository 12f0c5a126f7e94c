// Site survey, allowed channels, usable ad-hoc bands and certificates.
#include <algorithm>
#include <cstring>
#include <memory>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"

namespace {

constexpr uint32_t kMaxSsid = 32;

// No certificate store comes near this; a larger count is a broken answer,
// and copying it would read far past the library's array.
constexpr int32_t kMaxCertificates = 1024;

bool ZeroBssid(const SiteEntry& e) {
  for (uint8_t b : e.Bssid)
    if (b) return false;
  return true;
}

bool SameSite(const SiteEntry& a, const SiteEntry& b) {
  return a.SsidLength == b.SsidLength && std::memcmp(a.Ssid, b.Ssid, a.SsidLength) == 0 &&
         std::memcmp(a.Bssid, b.Bssid, sizeof a.Bssid) == 0;
}

struct SiteSecurity {
  int32_t method;
  int32_t wpaType;  // 0: WEP level is set instead
};

// Security type of the profile that joins a site with this security code.
SiteSecurity SecurityOfSite(int32_t code) {
  switch (code) {
    case 1:
      return {EncWEP, 0};
    case 10:
    case 11:
    case 12:
    case 15:
    case 1010:
    case 1011:
    case 1012:
    case 1015:
      return {EncWPA, 1};
    case 13:
    case 14:
    case 1013:
    case 1014:
      return {EncWPA, 2};
    case 20:
    case 21:
    case 22:
    case 25:
    case 99:
    case 1020:
    case 1021:
    case 1022:
    case 1025:
    case 1099:
      return {EncWPA_PSK, 1};
    case 23:
    case 24:
    case 1023:
    case 1024:
      return {EncWPA_PSK, 2};
    case 110:
    case 111:
    case 112:
    case 115:
      return {EncWPA2, 1};
    case 113:
    case 114:
      return {EncWPA2, 2};
    case 120:
    case 121:
    case 122:
    case 125:
    case 199:
      return {EncWPA2_PSK, 1};
    case 123:
    case 124:
      return {EncWPA2_PSK, 2};
    default:
      return {EncNone, 0};
  }
}

}  // namespace

bool CNICAdapter::StartSiteSurvey() {
  CLibraryGuard lib(StopEvent, this);
  if (!lib) return false;
  g_OmxLib.OMXWL_SiteSurveyScan();
  return true;
}

bool CNICAdapter::GetSiteList(std::vector<SiteEntry>& list) {
  auto buffer = std::make_unique<SiteList>();
  std::memset(buffer.get(), 0, sizeof(SiteList));
  {
    CLibraryGuard lib(StopEvent, this);
    if (!lib) return false;
    uint32_t length = sizeof(SiteList);
    g_OmxLib.OMXWL_SiteSurveyGet(buffer.get(), &length);
  }

  // The buffer holds 256 entries, whatever count the library claims.
  const uint32_t count = std::min<uint32_t>(buffer->Count, kMaxSiteEntries);
  for (uint32_t i = 0; i < count; ++i) {
    const SiteEntry& e = buffer->Entries[i];
    if (e.SsidLength > kMaxSsid || e.SsidLength == 0 || e.Ssid[0] == 0 || ZeroBssid(e)) continue;
    bool seen = false;
    for (const SiteEntry& have : list) {
      if (SameSite(have, e)) {
        seen = true;
        break;
      }
    }
    if (!seen) list.push_back(e);
  }
  return true;
}

void CNICAdapter::SiteToProfile(const SiteEntry& site, WLProfile& profile) {
  profile = DefProf;
  const uint32_t n = std::min(site.SsidLength, kMaxSsid);
  // Every byte as the network sends it; a zero byte inside is refused by
  // the pages before a profile is made (the field is a C string).
  std::memset(profile.Ssid1, 0, sizeof profile.Ssid1);
  std::memcpy(profile.Ssid1, site.Ssid, n);
  profile.NetworkMode = site.InfraMode;
  profile.Channel = g_OmxLib.OMXWL_FrequencyToChannel(site.Frequency);
  profile.ABGMode = SupportMode;

  if (profile.NetworkMode != 1) {
    const int32_t usable = GetUsableAdHocBand(SupportMode);
    switch (site.NetType) {
      case 1:
        if (usable & Band11b) profile.AdHocBand = 1;
        break;
      case 2:
        if (usable & Band11a) profile.AdHocBand = 2;
        break;
      case 3:
        if (usable & Band11g)
          profile.AdHocBand = 3;
        else if (usable & Band11b)
          profile.AdHocBand = 1;
        break;
      default:
        break;
    }
  }

  const SiteSecurity sec = SecurityOfSite(site.SecurityCode);
  profile.EncryptionMethod = sec.method;
  if (sec.method == EncWEP)
    profile.WEPEncryptionLevel = 1;
  else if (sec.method == EncNone)
    profile.WEPEncryptionLevel = 0;
  else
    profile.WPAEncryptionType = sec.wpaType;
}

int CNICAdapter::GetAllowedCh(int32_t* out, int capacity, int32_t bands) {
  return CollectChannels(false, out, capacity, bands);
}

int CNICAdapter::GetSoftAPAllowedCh(int32_t* out, int capacity, int32_t bands) {
  return CollectChannels(true, out, capacity, bands);
}

int CNICAdapter::CollectChannels(bool softAP, int32_t* out, int capacity, int32_t bands) {
  const char* name = softAP ? "CNICAdapter::GetSoftAPAllowedCh" : "CNICAdapter::GetAllowedCh";
  LogWrite("%s()", name);
  const int32_t mask = bands & CFAGlobalVar::ModeToBands(SupportMode);
  // The queries take 11 characters of domain; a longer name is cut to them.
  char domain[kDomainBufferSize];
  CopyText(domain, sizeof domain, Domain);
  if (Domain.size() >= kDomainBufferSize)
    LogWrite("Domain [%s] cut to [%s]", Domain.c_str(), domain);

  CLibraryGuard lib(StopEvent, this);
  if (!lib) return 0;
  std::vector<int32_t> collected;
  collected.reserve(kMaxChannels);
  // Each band gets its own zeroed buffer, so no answer can run past the
  // 512 entries; what does not fit is dropped.
  std::vector<int32_t> scratch(kMaxChannels);
  for (int32_t band : {Band11b, Band11g, Band11a}) {
    if (!(mask & band)) continue;
    std::fill(scratch.begin(), scratch.end(), 0);
    const int32_t n = softAP ? g_OmxLib.OMXWL_GetAPAllowedChannel(scratch.data(), band, domain)
                             : g_OmxLib.OMXWL_GetAllowedChannel(scratch.data(), band, domain);
    if (n <= 0) continue;
    const size_t room = kMaxChannels - collected.size();
    const size_t take = std::min({static_cast<size_t>(n), room, scratch.size()});
    collected.insert(collected.end(), scratch.begin(), scratch.begin() + take);
  }
  lib.Release();

  const int count = static_cast<int>(collected.size());
  if (out && count <= capacity) std::copy(collected.begin(), collected.end(), out);
  return count;
}

int32_t CNICAdapter::GetUsableAdHocBand(int32_t mode) {
  LogWrite("CNICAdapter::GetUsableAdHocBand()");
  const int32_t mask = CFAGlobalVar::ModeToBands(SupportMode) & CFAGlobalVar::ModeToBands(mode);
  int32_t usable = 0;
  if (ReadSet("EnableAdHocG", true)) {
    if ((mask & Band11b) && IsBandEnable("AdHocB")) usable |= Band11b;
    if ((mask & Band11g) && IsBandEnable("AdHocG")) usable |= Band11g;
  } else {
    // 802.11g ad hoc is off: a g-capable mode still offers b.
    if ((mask & (Band11b | Band11g)) && IsBandEnable("AdHocB")) usable |= Band11b;
  }
  if ((mask & Band11a) && IsBandEnable("AdHocA")) usable |= Band11a;
  return usable;
}

bool CNICAdapter::IsBandEnable(const std::string& name) {
  LogWrite("CNICAdapter::IsBandEnable()");
  const bool general = ReadSet(name, true);
  return ReadSet(name + "_" + Domain, general);
}

void CNICAdapter::GetCertificateList(std::vector<CertEntry>& list, int32_t kind) {
  LogWrite("CNICAdapter::GetCertificateList()");
  CLibraryGuard lib(StopEvent, this);
  if (!lib) return;
  const CertEntry* entries = nullptr;
  const int32_t n = g_OmxLib.OMXWL_EnumCertificates(&entries, kind);
  // Copied while the lock is held: the array is the library's and may be
  // rebuilt by the next call from another thread.
  if (entries && n > 0) {
    if (n > kMaxCertificates)
      LogWrite("GetCertificateList: %d entries cut to %d", n, kMaxCertificates);
    list.insert(list.end(), entries, entries + std::min(n, kMaxCertificates));
  }
}
