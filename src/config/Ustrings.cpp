// The shared display words ("Common" section of the string file) and the
// texts of the program's enumerations.
#include <array>

#include "config/Udefine.h"

namespace {

struct CommonEntry {
  const char* Key;
  const char* Default;
};

// Index order is the order of CommonIndex.
constexpr std::array<CommonEntry, kCommonStringCount> kCommon = {{
    {"Unknow", "N/A"},
    {"dBm", "dBm"},
    {"Kbps", "Kbps"},
    {"Mbps", "Mbps"},
    {"GHz", "GHz"},
    {"Auto", "Auto"},
    {"Scanning", "Scanning"},
    {"TrustAny", "Trust Any"},
    {"None", "None"},
    {"NotUse", "Not Use"},
    {"Enabled", "Enabled"},
    {"Disabled", "Disabled"},
    {"Signal", "Signal"},
    {"Quality", "Quality"},
    {"Connecting", "Connecting..."},
    {"Connected", "Connected"},
    {"DisConnected", "Disconnected"},
    {"SignalNull", "No Signal"},
    {"SignalPoor", "Poor"},
    {"SignalGood", "Good"},
    {"SignalVeryGood", "Very Good"},
    {"SignalExcellent", "Excellent"},
    {"Authenticating", "Authenticating..."},
    {"AuthenRetry", "Authentication failed, retrying..."},
    {"AuthenFail", "Authentication failed"},
    {"Authenticated", "Authenticated"},
    {"Infrastructure", "Infrastructure"},
    {"AdHoc", "Ad-Hoc"},
    {"Encrypt_None", "Disabled"},
    {"Encrypt_WEP", "WEP"},
    {"Encrypt_WPA_PSK", "WPA-PSK"},
    {"Encrypt_WPA", "WPA"},
    {"Encrypt_Radius", "RADIUS"},
    {"Encrypt_LEAP", "LEAP"},
    {"Encrypt_WPA2_PSK", "WPA2-PSK"},
    {"Encrypt_WPA2", "WPA2"},
    {"Encrypt_WPA_WPA2_PSK", "WPA-PSK/ WPA2-PSK"},
    {"Encrypt_WPA_WPA2", "WPA/ WPA2"},
    {"Authen_None", "None"},
    {"Authen_MD5", "MD5"},
    {"Authen_LEAP", "LEAP"},
    {"Authen_TLS", "TLS"},
    {"Authen_TTLS", "TTLS"},
    {"Authen_PEAP", "PEAP"},
    {"WEP_64", "64 bit WEP"},
    {"WEP_128", "128 bit WEP"},
    {"WEP_152", "152 bit WEP"},
    {"WEP_256", "256 bit WEP"},
    {"WPA_TKIP", "TKIP"},
    {"WPA_AES", "AES"},
    {"AuthModeOpen", "Open"},
    {"AuthModeShare", "Shared"},
    {"AuthModeAuto", "Auto Switch"},
    {"AuthModeWPA", "WPA"},
    {"EAP_GTC", "EAP/GTC"},
    {"EAP_PAP", "EAP/PAP"},
    {"EAP_CHAP", "EAP/CHAP"},
    {"EAP_MSCHAP", "EAP/MS-CHAP"},
    {"EAP_MSCHAP_2", "EAP/MS-CHAP v2"},
    {"Drv_Encrypt_None", "Not Using WEP"},
    {"Drv_Encrypt_WEP", "WEP"},
    {"Drv_Encrypt_AES", "AES"},
    {"Drv_Encrypt_CKIP", "CKIP"},
    {"Drv_Encrypt_TKIP", "TKIP"},
    {"802B", "802.11b"},
    {"802G", "802.11g"},
    {"802A", "802.11a"},
    {"802G_Trb", "802.11g Turbo"},
    {"802A_Trb", "802.11a Turbo"},
    {"PowSaveNo", "No Power Saving"},
    {"PowSaveMax", "Max. Power Saving"},
    {"PowSaveFast", "Fast Power Saving"},
    {"PreambleLong", "Long Preamble"},
    {"PreambleShort", "Short Preamble"},
    {"PreambleAuto", "Auto"},
    {"RoamNo", "Do not consider roaming"},
    {"RoamDef", "Default roaming mode"},
    {"RoamOpt", "Optimized in roaming"},
    {"PowerLv0", "Level 0(Max. Power)"},
    {"PowerLv1", "Level 1"},
    {"PowerLv2", "Level 2"},
    {"PowerLv3", "Level 3(Min. Power)"},
}};

// A missed row would shift every later word onto the wrong index.
static_assert(kCommon[kCommonStringCount - 1].Key[0] == 'P');

}  // namespace

const char* CommonStringKey(int index) {
  return index >= 0 && index < kCommonStringCount ? kCommon[index].Key : "";
}

void CFAGlobalVar::ResetCommonStrings() {
  for (int i = 0; i < kCommonStringCount; ++i) CommonStrings[i] = kCommon[i].Default;
}

void CFAGlobalVar::LoadCommonStrings() {
  for (int i = 0; i < kCommonStringCount; ++i) {
    CommonStrings[i] = StrFileRead("Common", kCommon[i].Key, CommonStrings[i]);
  }
}

int32_t CFAGlobalVar::ModeToBands(int32_t mode) {
  switch (mode) {
    case 1:
      return 0x001;
    case 2:
      return 0x002;
    case 3:
      return 0x004;
    case 11:
      return 0x005;
    case 12:
      return 0x006;
    case 13:
      return 0x003;
    case 14:
      return 0x007;
    case 21:
      return 0x001;
    case 22:
      return 0x102;
    case 23:
      return 0x204;
    case 31:
      return 0x205;
    case 32:
      return 0x306;
    case 33:
      return 0x103;
    default:
      return 0x307;
  }
}

int32_t CFAGlobalVar::BandsToMode(int32_t bands) {
  const bool turboA = (bands & 0x100) != 0;
  const bool turboG = (bands & 0x200) != 0;
  switch (bands & 0xFF) {
    case 1:
      return 1;
    case 2:
      return turboA ? 22 : 2;
    case 3:
      return turboA ? 33 : 13;
    case 4:
      return turboG ? 23 : 3;
    case 5:
      return turboG ? 31 : 11;
    case 6:
      return turboA || turboG ? 32 : 12;
    case 7:
      return turboA || turboG ? 34 : 14;
    default:
      return 34;
  }
}

std::string CFAGlobalVar::SecurityText(int32_t security) const {
  if (security < EncNone || security > EncWPA2) return std::string();
  return CommonStrings[csEncrypt_None + security];
}

std::string CFAGlobalVar::SiteSecurityText(int32_t code) const {
  int index = csUnknow;
  if (code == 0) {
    index = csEncrypt_None;
  } else if (code == 1) {
    index = csEncrypt_WEP;
  } else if (code >= 10 && code <= 15) {
    index = csEncrypt_WPA;
  } else if ((code >= 20 && code <= 25) || code == 99) {
    index = csEncrypt_WPA_PSK;
  } else if (code >= 110 && code <= 115) {
    index = csEncrypt_WPA2;
  } else if ((code >= 120 && code <= 125) || code == 199) {
    index = csEncrypt_WPA2_PSK;
  } else if (code >= 1010 && code <= 1015) {
    index = csEncrypt_WPA_WPA2;
  } else if ((code >= 1020 && code <= 1025) || code == 1099) {
    index = csEncrypt_WPA_WPA2_PSK;
  }
  return CommonStrings[index];
}

std::string CFAGlobalVar::ModeListText(int32_t mode) {
  const int32_t bits = ModeToBands(mode);
  std::string text = "802.11";
  if (bits & Band11b) text += "b/";
  if (bits & Band11g) text += "g/";
  if (bits & Band11a) text += "a/";
  text.pop_back();
  return text;
}

std::string CFAGlobalVar::BandText(int32_t mode, bool bandNames) const {
  const int32_t bits = ModeToBands(mode);
  std::string text = CommonStrings[csAuto];
  if (bandNames) {
    if (bits & Band11b) text = CommonStrings[cs802B];
    if (bits & Band11g) text = CommonStrings[cs802G];
    if (bits & Band11a) text = CommonStrings[cs802A];
  } else {
    if (bits & (Band11b | Band11g)) text = "2.4 " + CommonStrings[csGHz];
    if (bits & Band11a) text = "5 " + CommonStrings[csGHz];
  }
  return text;
}

int32_t CFAGlobalVar::SignalPercent(int32_t dbm) {
  // Computed in 64 bits: a level from the library may be any 32-bit value.
  const int64_t level = dbm == 0 ? -95 : dbm;
  const int64_t percent = (level * 100 + 9500) / 50;
  if (percent > 100) return 100;
  if (percent < 0) return 0;
  return static_cast<int32_t>(percent);
}
