// The profile record in INI form (section "LastApplyProf" of the settings
// file), the reset of its security fields and the comparison of IP settings.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>

#include "app/Udebug.h"
#include "config/Udefine.h"
#include "config/Uinifile.h"

namespace {

enum class Kind { Int32, UInt16, UInt8, Bool, Text, IPv4 };

struct ProfileKey {
  const char* Key;
  size_t Offset;
  size_t Size;
  Kind Type;
  int32_t IntDefault;
  const char* TextDefault;
};

#define PF(name) #name, offsetof(WLProfile, name), sizeof(WLProfile::name)
#define NI(name) \
#name, offsetof(WLProfile, NetInfo) + offsetof(NetworkInfo, name), sizeof(NetworkInfo::name)

// Writing and reading order.
const ProfileKey kProfileKeys[] = {
    {PF(Channel), Kind::Int32, 0, nullptr},
    {PF(AdHocBand), Kind::Int32, 0, nullptr},
    {PF(TxRate), Kind::Int32, 15, nullptr},
    {PF(NetworkMode), Kind::Int32, 1, nullptr},
    {PF(ABGMode), Kind::Int32, 34, nullptr},
    {PF(ProfileName), Kind::Text, 0, kEditingProfile},
    {PF(Ssid1), Kind::Text, 0, ""},
    {PF(Ssid2), Kind::Text, 0, ""},
    {PF(Ssid3), Kind::Text, 0, ""},
    {PF(WEPEncryptionLevel), Kind::Int32, 0, nullptr},
    {PF(PassPhrase), Kind::Text, 0, ""},
    {PF(WEPKey1), Kind::Text, 0, ""},
    {PF(WEPKey2), Kind::Text, 0, ""},
    {PF(WEPKey3), Kind::Text, 0, ""},
    {PF(WEPKey4), Kind::Text, 0, ""},
    {PF(DefaultKey), Kind::Int32, 0, nullptr},
    {PF(WEPKeyFormat), Kind::Int32, 0, nullptr},
    {PF(AuthenticationMode), Kind::Int32, 2, nullptr},
    {PF(EncryptionMethod), Kind::Int32, 0, nullptr},
    {PF(WPAEncryptionType), Kind::Int32, 1, nullptr},
    {PF(WPAPassphrase), Kind::Text, 0, ""},
    {PF(FragThreshold), Kind::Int32, 2346, nullptr},
    {PF(RTSThreshold), Kind::Int32, 2347, nullptr},
    {PF(PreambleMode), Kind::Int32, 2, nullptr},
    {PF(PowerMode), Kind::Int32, 0, nullptr},
    {PF(LoginName), Kind::Text, 0, ""},
    {PF(LoginPassword), Kind::Text, 0, ""},
    {PF(DomainName), Kind::Text, 0, ""},
    {PF(sCertificate), Kind::Text, 0, ""},
    {PF(sCertAuthority), Kind::Text, 0, ""},
    {PF(ValidateServerCert), Kind::Int32, 0, nullptr},
    {PF(MS8021xAuthMode), Kind::Int32, 0, nullptr},
    {PF(PeapEap), Kind::Int32, 0, nullptr},
    {PF(ApplyNetwork), Kind::Bool, 0, nullptr},
    {PF(bQosEnabled), Kind::Bool, 0, nullptr},
    {NI(NI_sz_CurProfile), Kind::Text, 0, kEditingProfile},
    {NI(NI_wFlags), Kind::UInt16, 0, nullptr},
    {NI(NI_wNetFlags), Kind::UInt16, 0, nullptr},
    {NI(NI_wPPPFlags), Kind::UInt16, 0, nullptr},
    {NI(NI_wEthWINSMode), Kind::UInt16, 0, nullptr},
    {NI(NI_VPI), Kind::UInt8, 0, nullptr},
    {NI(NI_VCI), Kind::UInt8, 0, nullptr},
    {NI(NI_wEncapsulation), Kind::UInt16, 0, nullptr},
    {NI(NI_IpAddr), Kind::IPv4, 0, nullptr},
    {NI(NI_IpMask), Kind::IPv4, 0, nullptr},
    {NI(NI_IpGate1), Kind::IPv4, 0, nullptr},
    {NI(NI_IpGate2), Kind::IPv4, 0, nullptr},
    {NI(NI_IpDNS1), Kind::IPv4, 0, nullptr},
    {NI(NI_IpDNS2), Kind::IPv4, 0, nullptr},
    {NI(NI_IpWINS1), Kind::IPv4, 0, nullptr},
    {NI(NI_IpWINS2), Kind::IPv4, 0, nullptr},
    {NI(NI_strScopeId), Kind::Text, 0, ""},
    {NI(NI_strHostName), Kind::Text, 0, ""},
    {NI(NI_strDomain), Kind::Text, 0, ""},
    {NI(NI_strDomSufSearch), Kind::Text, 0, ""},
    {NI(NI_strLoginUsr), Kind::Text, 0, ""},
    {NI(NI_strLoginPsw), Kind::Text, 0, ""},
    {NI(NI_strLoginDom), Kind::Text, 0, ""},
};

#undef PF
#undef NI

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string IpToText(const uint8_t* ip) {
  char text[9];
  snprintf(text, sizeof text, "%02X%02X%02X%02X", ip[0], ip[1], ip[2], ip[3]);
  return text;
}

// The first 8 characters must be hexadecimal digits; anything shorter or
// damaged leaves the field as it was rather than storing a wrong address.
bool TextToIp(const std::string& text, uint8_t* ip) {
  if (text.size() < 8) return false;
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) {
    const int hi = HexDigit(text[2 * i]), lo = HexDigit(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  std::memcpy(ip, bytes, 4);
  return true;
}

// An integer of the field's own range; any other text gives the default.
int64_t ReadRanged(const CIniFile& ini, const std::string& section, const ProfileKey& k,
                   int64_t low, int64_t high) {
  int64_t v;
  if (!ParseIniInteger(ini.ReadString(section, k.Key, ""), v) || v < low || v > high) {
    return k.IntDefault;
  }
  return v;
}

void WriteKey(const CIniFile& ini, const std::string& section, const ProfileKey& k,
              const uint8_t* field) {
  switch (k.Type) {
    case Kind::Int32: {
      int32_t v;
      std::memcpy(&v, field, sizeof v);
      ini.WriteInteger(section, k.Key, v);
      break;
    }
    case Kind::UInt16: {
      uint16_t v;
      std::memcpy(&v, field, sizeof v);
      ini.WriteString(section, k.Key, std::to_string(v));
      break;
    }
    case Kind::UInt8:
      ini.WriteString(section, k.Key, std::to_string(*field));
      break;
    case Kind::Bool:
      ini.WriteBool(section, k.Key, *field != 0);
      break;
    case Kind::Text:
      ini.WriteString(section, k.Key, FieldText(reinterpret_cast<const char*>(field), k.Size));
      break;
    case Kind::IPv4:
      ini.WriteString(section, k.Key, IpToText(field));
      break;
  }
}

void ReadKey(const CIniFile& ini, const std::string& section, const ProfileKey& k, uint8_t* field) {
  switch (k.Type) {
    case Kind::Int32: {
      const int32_t v = static_cast<int32_t>(ReadRanged(ini, section, k, INT32_MIN, INT32_MAX));
      std::memcpy(field, &v, sizeof v);
      break;
    }
    case Kind::UInt16: {
      const uint16_t v = static_cast<uint16_t>(ReadRanged(ini, section, k, 0, UINT16_MAX));
      std::memcpy(field, &v, sizeof v);
      break;
    }
    case Kind::UInt8:
      *field = static_cast<uint8_t>(ReadRanged(ini, section, k, 0, UINT8_MAX));
      break;
    case Kind::Bool:
      *field = ini.ReadBool(section, k.Key, k.IntDefault != 0) ? 1 : 0;
      break;
    case Kind::Text:
      // Longer text than the field holds is cut to its capacity less one.
      CopyText(reinterpret_cast<char*>(field), k.Size,
               ini.ReadString(section, k.Key, k.TextDefault));
      break;
    case Kind::IPv4: {
      static const char kAbsent[] = "\x01<absent>";
      const std::string text = ini.ReadString(section, k.Key, kAbsent);
      if (text != kAbsent) TextToIp(text, field);
      break;
    }
  }
}

}  // namespace

void CFAGlobalVar::ProfToIniFile(const WLProfile& profile, const std::string& section) const {
  if (!SettingsOpen) return;
  CIniReplace change(SettingsPath);
  const CIniFile& ini = change.File();
  const uint8_t* base = reinterpret_cast<const uint8_t*>(&profile);
  try {
    for (const ProfileKey& k : kProfileKeys) WriteKey(ini, section, k, base + k.Offset);
    change.Commit();
  } catch (const std::exception& e) {
    LogWrite("ProfToIniFile exception: %s", e.what());
  } catch (...) {
    LogWrite("ProfToIniFile exception: %s", "");
  }
}

bool CFAGlobalVar::ProfFromIniFile(const std::string& section, WLProfile& profile) const {
  if (!InfoSectionExists(section)) return false;
  const CIniFile ini(SettingsPath);
  uint8_t* base = reinterpret_cast<uint8_t*>(&profile);
  try {
    for (const ProfileKey& k : kProfileKeys) ReadKey(ini, section, k, base + k.Offset);
  } catch (const std::exception& e) {
    LogWrite("ProfFromIniFile exception: %s", e.what());
  } catch (...) {
    LogWrite("ProfFromIniFile exception: %s", "");
  }
  return true;
}

namespace {

// Written after every other key of a section that must be used whole or not
// at all: a writer that dies part-way leaves a checksum that no longer fits.
constexpr const char* kChecksumKey = "Checksum";

std::string SectionChecksum(const CIniFile& ini, const std::string& section) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  auto mix = [&hash](const std::string& text) {
    for (unsigned char c : text) {
      hash ^= c;
      hash *= 1099511628211ull;
    }
    hash ^= 0xFF;  // ends each text, so "ab","c" differs from "a","bc"
    hash *= 1099511628211ull;
  };
  for (const ProfileKey& k : kProfileKeys) {
    mix(k.Key);
    mix(ini.ReadString(section, k.Key, "\x01<absent>"));
  }
  char text[17];
  snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace

bool CFAGlobalVar::ProfToIniFileChecked(const WLProfile& profile,
                                        const std::string& section) const {
  if (!SettingsOpen) return false;
  CIniReplace change(SettingsPath);
  const CIniFile& ini = change.File();
  const uint8_t* base = reinterpret_cast<const uint8_t*>(&profile);
  try {
    for (const ProfileKey& k : kProfileKeys) WriteKey(ini, section, k, base + k.Offset);
    // Last, over what the file now holds.
    ini.WriteString(section, kChecksumKey, SectionChecksum(ini, section));
    return change.Commit();
  } catch (const std::exception& e) {
    LogWrite("ProfToIniFile exception: %s", e.what());
  } catch (...) {
    LogWrite("ProfToIniFile exception: %s", "");
  }
  return false;
}

bool CFAGlobalVar::ProfFromIniFileChecked(const std::string& section, WLProfile& profile) const {
  if (!InfoSectionExists(section)) return false;
  const CIniFile ini(SettingsPath);
  if (ini.ReadString(section, kChecksumKey, "") != SectionChecksum(ini, section)) {
    LogWrite("ProfFromIniFile: section %s is incomplete and not used", section.c_str());
    return false;
  }
  return ProfFromIniFile(section, profile);
}

void CFAGlobalVar::ResetSecurity(WLProfile& profile) {
  profile.EncryptionMethod = EncNone;
  profile.WEPEncryptionLevel = 0;
  profile.WEPKeyFormat = 1;
  profile.DefaultKey = 0;
  SetField(profile.PassPhrase, "");
  SetField(profile.WEPKey1, "");
  SetField(profile.WEPKey2, "");
  SetField(profile.WEPKey3, "");
  SetField(profile.WEPKey4, "");
  profile.AuthenticationMode = AuthAuto;
  profile.WPAEncryptionType = 1;
  SetField(profile.WPAPassphrase, "");
  SetField(profile.LoginName, "");
  SetField(profile.LoginPassword, "");
  SetField(profile.DomainName, "");
  SetField(profile.sCertificate, "");
  SetField(profile.sCertAuthority, "");
  profile.MS8021xAuthMode = 0;
  profile.PeapEap = 2;
  profile.ValidateServerCert = 0;
}

bool CFAGlobalVar::SameNetInfo(const NetworkInfo& a, const NetworkInfo& b) {
  return (a.NI_wNetFlags & 1) == (b.NI_wNetFlags & 1) &&
         std::memcmp(a.NI_IpAddr, b.NI_IpAddr, 4) == 0 &&
         std::memcmp(a.NI_IpMask, b.NI_IpMask, 4) == 0 &&
         std::memcmp(a.NI_IpGate1, b.NI_IpGate1, 4) == 0 &&
         std::memcmp(a.NI_IpDNS1, b.NI_IpDNS1, 4) == 0 &&
         std::memcmp(a.NI_IpDNS2, b.NI_IpDNS2, 4) == 0;
}
