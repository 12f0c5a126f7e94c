// The scriptable radio world: adapters, networks, certificates, the DHCP
// answer and the fault knobs, read from an INI file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "entries.h"
#include "radio.h"

namespace omx {

using Mac = std::array<uint8_t, 6>;

struct AdapterDef {
  std::string section;
  std::string hardwareId;  // e.g. USB\VID_1D4F&PID_0A71
  std::string instance;    // last part of the device instance id
  std::string description;
  Mac mac{};
  std::string domain = "FCC";
  int bands = 7;  // band bits
  std::string driver = "System32\\Drivers\\OMXWLNT.SYS";
  bool present = true;

  // Identity that survives world reloads.
  std::string Key() const;
  // "USB\VID_1D4F&PID_0A71\OMX0001"
  std::string InstanceId() const;
  // "\\?\USB#VID_1D4F&PID_0A71#OMX0001#{class}\OMXWL"
  std::string InterfacePath() const;
};

struct NetworkDef {
  std::string section;
  std::string ssid;
  Mac bssid{};
  int32_t channel = 0;
  NetType netType = kNetTypeG;
  bool infrastructure = true;
  int32_t security = 0;  // site security code
  int32_t signal = -60;  // dBm
  int32_t jitter = 0;    // +/- dBm
  bool hidden = false;
  // Static WEP: key bytes per index (empty = not set).
  std::array<std::vector<uint8_t>, 4> wepKeys;
  int32_t wepLevel = 0;
  // Pre-shared key.
  std::string psk;
  // 802.1X.
  std::vector<int32_t> eapMethods;  // EapMethod values
  std::string user, password, certificate, serverCA;
  std::vector<int32_t> peapInner;  // 1 GTC, 2 MS-CHAP v2; empty = any

  bool Uses8021X() const { return !eapMethods.empty(); }
};

// Certificate kinds as OMXWL_EnumCertificates takes them.
enum CertKind : int32_t { kCertNone = 0, kCertUser = 1, kCertAuthority = 3 };

struct CertificateDef {
  std::string section;
  CertKind kind = kCertUser;
  std::string name;
  std::string display;
};

struct DhcpDef {
  bool present = false;
  std::array<uint8_t, 4> address{}, mask{}, gateway{}, dns1{}, dns2{};
};

struct FaultDef {
  std::array<uint32_t, kEntryCount> delayMs{};  // by Entry
  std::array<bool, kEntryCount> fail{};
  std::array<bool, kEntryCount> crash{};
  bool scanMalformed = false;
  int32_t scanCount = 0;     // reported entry count, 0 = true count
  int32_t channelCount = 0;  // reported channel count, 0 = true count
  bool authFail = false;
  bool statusAgain = false;
};

struct World {
  uint32_t scanTimeMs = 1500;
  uint32_t associateTimeMs = 1000;
  int32_t sensitivity = -92;  // weaker networks are out of range
  std::vector<AdapterDef> adapters;
  std::vector<NetworkDef> networks;
  std::vector<CertificateDef> certificates;
  DhcpDef dhcp;
  FaultDef faults;
};

// Parses world text; on failure returns false and says why (with the line).
bool ParseWorld(const std::string& text, World* world, std::string* error);

// The world that applies without a file; the same text ships as
// data/OMXWL.world.
const char* DefaultWorldText();

// The network-adapter device interface class.
extern const char kNetClassGuidText[];

}  // namespace omx
