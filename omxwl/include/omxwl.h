// OMXWL.DLL: the vendor wireless library's interface.
//
// The records below are a wire format shared by the program and the library:
// every size and offset is fixed and checked at compile time. Text fields are
// fixed-width, zero-terminated single-byte strings; never trust a terminator
// that came from the other side.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#define OMXWL_API __stdcall
#else
#define OMXWL_API
#endif

#pragma pack(push, 1)

// Network-information record (IP settings), 1036 bytes. Stands alone when read
// from the library and sits inside the profile record at offset 2190.
struct NetworkInfo {
  char NI_sz_CurProfile[260];
  uint16_t NI_wFlags;
  uint16_t NI_wNetFlags;  // bit 0 takes part in SameNetInfo
  uint16_t NI_wPPPFlags;
  uint16_t NI_wEthWINSMode;
  uint8_t NI_VPI;
  uint8_t NI_VCI;
  uint16_t NI_wEncapsulation;
  uint8_t NI_IpAddr[4];  // IPv4 fields: 4 bytes as the library stores them
  uint8_t NI_IpMask[4];
  uint8_t NI_IpGate1[4];
  uint8_t NI_IpGate2[4];
  uint8_t NI_IpDNS1[4];
  uint8_t NI_IpDNS2[4];
  uint8_t NI_IpWINS1[4];
  uint8_t NI_IpWINS2[4];
  char NI_strScopeId[132];
  char NI_strHostName[132];
  char NI_strDomain[132];
  char NI_strDomSufSearch[132];
  char NI_strLoginUsr[68];
  char NI_strLoginPsw[68];
  char NI_strLoginDom[68];
};

// Connection profile, 3228 bytes. Field names are the keys of the profile's
// INI form.
struct WLProfile {
  int32_t Channel;      // ad-hoc channel, 0 = automatic
  int32_t AdHocBand;    // wireless-mode code of an ad-hoc network
  int32_t TxRate;       // transmit rate choice
  int32_t NetworkMode;  // 1 infrastructure, 0 ad hoc
  int32_t ABGMode;      // wireless-mode code
  char ProfileName[65];
  char Ssid1[33];
  char Ssid2[33];
  char Ssid3[33];
  int32_t WEPEncryptionLevel;  // 0 none, 1 64-bit, 2 128-bit, 3 152-bit
  char PassPhrase[257];
  char WEPKey1[33];
  char WEPKey2[33];
  char WEPKey3[33];
  char WEPKey4[33];
  uint8_t Pad577[3];
  int32_t DefaultKey;          // WEP key in use, 0..3
  int32_t WEPKeyFormat;        // 1 hexadecimal, 2 characters
  int32_t AuthenticationMode;  // NDIS numbering: 0 open .. 7 WPA2-PSK
  int32_t EncryptionMethod;    // security type 0..7
  int32_t WPAEncryptionType;   // 1 TKIP, 2 AES
  char WPAPassphrase[260];
  int32_t FragThreshold;
  int32_t RTSThreshold;
  int32_t PreambleMode;
  int32_t PowerMode;
  char LoginName[260];
  char LoginPassword[260];
  char DomainName[260];
  char sCertificate[260];
  char sCertAuthority[260];  // empty = trust any
  int32_t ValidateServerCert;
  int32_t MS8021xAuthMode;  // 1 TLS, 2 TTLS, 3 PEAP, 4 LEAP, 5 MD5
  int32_t PeapEap;          // 1 GTC, 2 MS-CHAP v2
  uint8_t ApplyNetwork;     // bool
  uint8_t Pad2189;
  NetworkInfo NetInfo;
  uint8_t bQosEnabled;  // bool
  uint8_t Pad3227;
};

// Status record, 2352 bytes. Built by OMXWL_WLProfileToWLStatus, filled by
// OMXWL_GetWLANStatus. The Lib* ranges belong to the library.
struct WLStatus {
  uint8_t Bssid[6];
  uint8_t Lib6[2];
  uint32_t SsidLength;
  uint8_t Ssid[32];
  uint8_t Lib44[72];
  int32_t SignalLevel;     // dBm, 0 = no value
  int32_t InfraMode;       // 1 infrastructure, otherwise ad hoc
  uint8_t Lib124[20];
  int32_t Frequency;       // kHz, converted with OMXWL_FrequencyToChannel
  uint8_t Lib148[44];
  int32_t AuthMode;        // 1 shared, 2 automatic switch, otherwise open
  uint8_t Lib196[4];
  uint64_t RxTotal;        // total bytes received
  uint64_t TxTotal;        // total bytes transmitted
  uint64_t RxCounter;      // receive byte counter for rate measurement
  uint64_t TxCounter;      // transmit byte counter for rate measurement
  uint8_t Lib232[4];
  int32_t Security;        // security type of the link, numbered as EncryptionMethod
  uint8_t Lib240[1844];
  int32_t NetType;         // 1 802.11b, 2 802.11a, 3 802.11g
  uint8_t Lib2088[16];
  uint8_t TxRate;          // units of 500 kbit/s
  uint8_t Lib2105[123];
  uint32_t MediaState;     // OID_GEN_MEDIA_CONNECT_STATUS: 0 connected
  int32_t LinkLevel;       // dBm
  uint8_t Lib2236[116];
};

// Detection record, 516 bytes, given to OMXWL_DevDetect.
struct DetectRec {
  uint8_t Lib0[256];       // zero on input
  char HardwareId[64];     // input
  uint8_t Unused320[64];
  char Description[128];   // output
  uint8_t Unused512[4];
};

// One network seen by a site survey, 120 bytes.
struct SiteEntry {
  uint32_t Length;
  uint8_t Bssid[6];        // all zero marks an unused entry
  uint8_t Lib10[2];
  uint32_t SsidLength;     // 0 or above 32: entry ignored
  uint8_t Ssid[32];
  int32_t SecurityCode;    // site security code
  int32_t SignalLevel;     // dBm, 0 = no value
  int32_t NetType;         // 1 802.11b, 2 802.11a, 3 802.11g
  uint8_t Lib60[12];
  int32_t Frequency;       // kHz
  uint8_t Lib76[16];
  int32_t InfraMode;       // 1 infrastructure, otherwise ad hoc
  uint8_t Lib96[24];
};

constexpr int kMaxSiteEntries = 256;

// Site-survey list, 30724 bytes.
struct SiteList {
  uint32_t Count;
  SiteEntry Entries[kMaxSiteEntries];
};

// Certificate entry, 320 bytes; the library owns the array it hands out.
struct CertEntry {
  char Display[256];       // the library's display text
  char Name[64];           // the certificate's name
};

// Output of OMXWL_PassphraseToWEPKey: a 32-bit value, then four keys.
struct WEPKeySet {
  int32_t KeyLength;       // bytes per key
  char Keys[4][64];
};

#pragma pack(pop)

static_assert(sizeof(NetworkInfo) == 1036);
static_assert(offsetof(NetworkInfo, NI_sz_CurProfile) == 0);
static_assert(offsetof(NetworkInfo, NI_wFlags) == 260);
static_assert(offsetof(NetworkInfo, NI_wNetFlags) == 262);
static_assert(offsetof(NetworkInfo, NI_wPPPFlags) == 264);
static_assert(offsetof(NetworkInfo, NI_wEthWINSMode) == 266);
static_assert(offsetof(NetworkInfo, NI_VPI) == 268);
static_assert(offsetof(NetworkInfo, NI_VCI) == 269);
static_assert(offsetof(NetworkInfo, NI_wEncapsulation) == 270);
static_assert(offsetof(NetworkInfo, NI_IpAddr) == 272);
static_assert(offsetof(NetworkInfo, NI_IpMask) == 276);
static_assert(offsetof(NetworkInfo, NI_IpGate1) == 280);
static_assert(offsetof(NetworkInfo, NI_IpGate2) == 284);
static_assert(offsetof(NetworkInfo, NI_IpDNS1) == 288);
static_assert(offsetof(NetworkInfo, NI_IpDNS2) == 292);
static_assert(offsetof(NetworkInfo, NI_IpWINS1) == 296);
static_assert(offsetof(NetworkInfo, NI_IpWINS2) == 300);
static_assert(offsetof(NetworkInfo, NI_strScopeId) == 304);
static_assert(offsetof(NetworkInfo, NI_strHostName) == 436);
static_assert(offsetof(NetworkInfo, NI_strDomain) == 568);
static_assert(offsetof(NetworkInfo, NI_strDomSufSearch) == 700);
static_assert(offsetof(NetworkInfo, NI_strLoginUsr) == 832);
static_assert(offsetof(NetworkInfo, NI_strLoginPsw) == 900);
static_assert(offsetof(NetworkInfo, NI_strLoginDom) == 968);

static_assert(sizeof(WLProfile) == 3228);
static_assert(offsetof(WLProfile, Channel) == 0);
static_assert(offsetof(WLProfile, AdHocBand) == 4);
static_assert(offsetof(WLProfile, TxRate) == 8);
static_assert(offsetof(WLProfile, NetworkMode) == 12);
static_assert(offsetof(WLProfile, ABGMode) == 16);
static_assert(offsetof(WLProfile, ProfileName) == 20);
static_assert(offsetof(WLProfile, Ssid1) == 85);
static_assert(offsetof(WLProfile, Ssid2) == 118);
static_assert(offsetof(WLProfile, Ssid3) == 151);
static_assert(offsetof(WLProfile, WEPEncryptionLevel) == 184);
static_assert(offsetof(WLProfile, PassPhrase) == 188);
static_assert(offsetof(WLProfile, WEPKey1) == 445);
static_assert(offsetof(WLProfile, WEPKey2) == 478);
static_assert(offsetof(WLProfile, WEPKey3) == 511);
static_assert(offsetof(WLProfile, WEPKey4) == 544);
static_assert(offsetof(WLProfile, Pad577) == 577);
static_assert(offsetof(WLProfile, DefaultKey) == 580);
static_assert(offsetof(WLProfile, WEPKeyFormat) == 584);
static_assert(offsetof(WLProfile, AuthenticationMode) == 588);
static_assert(offsetof(WLProfile, EncryptionMethod) == 592);
static_assert(offsetof(WLProfile, WPAEncryptionType) == 596);
static_assert(offsetof(WLProfile, WPAPassphrase) == 600);
static_assert(offsetof(WLProfile, FragThreshold) == 860);
static_assert(offsetof(WLProfile, RTSThreshold) == 864);
static_assert(offsetof(WLProfile, PreambleMode) == 868);
static_assert(offsetof(WLProfile, PowerMode) == 872);
static_assert(offsetof(WLProfile, LoginName) == 876);
static_assert(offsetof(WLProfile, LoginPassword) == 1136);
static_assert(offsetof(WLProfile, DomainName) == 1396);
static_assert(offsetof(WLProfile, sCertificate) == 1656);
static_assert(offsetof(WLProfile, sCertAuthority) == 1916);
static_assert(offsetof(WLProfile, ValidateServerCert) == 2176);
static_assert(offsetof(WLProfile, MS8021xAuthMode) == 2180);
static_assert(offsetof(WLProfile, PeapEap) == 2184);
static_assert(offsetof(WLProfile, ApplyNetwork) == 2188);
static_assert(offsetof(WLProfile, Pad2189) == 2189);
static_assert(offsetof(WLProfile, NetInfo) == 2190);
static_assert(offsetof(WLProfile, bQosEnabled) == 3226);
static_assert(offsetof(WLProfile, Pad3227) == 3227);

static_assert(sizeof(WLStatus) == 2352);
static_assert(offsetof(WLStatus, Bssid) == 0);
static_assert(offsetof(WLStatus, SsidLength) == 8);
static_assert(offsetof(WLStatus, Ssid) == 12);
static_assert(offsetof(WLStatus, SignalLevel) == 116);
static_assert(offsetof(WLStatus, InfraMode) == 120);
static_assert(offsetof(WLStatus, Frequency) == 144);
static_assert(offsetof(WLStatus, AuthMode) == 192);
static_assert(offsetof(WLStatus, RxTotal) == 200);
static_assert(offsetof(WLStatus, TxTotal) == 208);
static_assert(offsetof(WLStatus, RxCounter) == 216);
static_assert(offsetof(WLStatus, TxCounter) == 224);
static_assert(offsetof(WLStatus, Security) == 236);
static_assert(offsetof(WLStatus, NetType) == 2084);
static_assert(offsetof(WLStatus, TxRate) == 2104);
static_assert(offsetof(WLStatus, MediaState) == 2228);
static_assert(offsetof(WLStatus, LinkLevel) == 2232);

static_assert(sizeof(DetectRec) == 516);
static_assert(offsetof(DetectRec, HardwareId) == 256);
static_assert(offsetof(DetectRec, Unused320) == 320);
static_assert(offsetof(DetectRec, Description) == 384);
static_assert(offsetof(DetectRec, Unused512) == 512);

static_assert(sizeof(SiteEntry) == 120);
static_assert(offsetof(SiteEntry, Length) == 0);
static_assert(offsetof(SiteEntry, Bssid) == 4);
static_assert(offsetof(SiteEntry, SsidLength) == 12);
static_assert(offsetof(SiteEntry, Ssid) == 16);
static_assert(offsetof(SiteEntry, SecurityCode) == 48);
static_assert(offsetof(SiteEntry, SignalLevel) == 52);
static_assert(offsetof(SiteEntry, NetType) == 56);
static_assert(offsetof(SiteEntry, Frequency) == 72);
static_assert(offsetof(SiteEntry, InfraMode) == 92);
static_assert(sizeof(SiteList) == 30724);
static_assert(offsetof(SiteList, Entries) == 4);

static_assert(sizeof(CertEntry) == 320);
static_assert(offsetof(CertEntry, Name) == 256);
static_assert(sizeof(WEPKeySet) == 260);

// NDIS objects the program uses with QueryOID/SetOID.
constexpr uint32_t OMXWL_OID_GEN_MEDIA_CONNECT_STATUS = 0x00010114;  // 4 bytes, 0 = connected
constexpr uint32_t OMXWL_OID_802_3_CURRENT_ADDRESS = 0x01010102;     // 6 bytes
constexpr uint32_t OMXWL_OID_802_11_INFRASTRUCTURE_MODE = 0x0D010108;  // 4 bytes
constexpr uint32_t OMXWL_OID_PRIVATE_ANTENNA = 0xFFA00002;           // 1 byte

// Entry points, all __stdcall with int32 results, exported undecorated.
// Each has a pointer type PFN_<name> for GetProcAddress.
// Buffers passed without a length: GetWLANDriverPath and GetWLANDomain 256
// bytes, IPDataToStr 260, EnumWLProfiles 256, GetCurrentProfile 65 (a
// profile name); GetAllowedChannel/GetAPAllowedChannel write at most the real
// channel set of the band (never more than 512 entries). QueryOID sets
// *written to the bytes written, or to the bytes needed when the buffer is
// too short. omxwl/README.md describes the simulated library's behaviour.
#define OMXWL_ENTRY_POINTS(X)                                                              \
  X(OMXWL_Initial, (const char* root, int32_t flags))                                      \
  X(OMXWL_EnumAvailableDevice, (int32_t index, DetectRec* rec))                            \
  X(OMXWL_DevDetect, (DetectRec* rec))                                                     \
  X(OMXWL_QueryOID, (uint32_t oid, void* buf, uint32_t len, uint32_t* written))           \
  X(OMXWL_SetOID, (uint32_t oid, const void* buf, uint32_t len))                          \
  X(OMXWL_SiteSurveyScan, (void))                                                          \
  X(OMXWL_SiteSurveyGet, (SiteList* list, uint32_t* len))                                  \
  X(OMXWL_ChannelToFrequency, (int32_t channel))                                           \
  X(OMXWL_FrequencyToChannel, (int32_t frequency))                                         \
  X(OMXWL_GetWLANStatus, (int32_t* again, WLStatus* status))                               \
  X(OMXWL_SetWLANStatus, (int32_t* word, WLStatus* status))                                \
  X(OMXWL_WLProfileToWLStatus, (const WLProfile* profile, WLStatus* status))               \
  X(OMXWL_SetWLProfileDir, (const char* root))                                             \
  X(OMXWL_GetWLProfile, (const char* name, WLProfile* profile))                            \
  X(OMXWL_SetWLProfile, (const char* name, const WLProfile* profile))                      \
  X(OMXWL_EnumWLProfiles, (int32_t index, char* name))                                     \
  X(OMXWL_DeleteWLProfile, (const char* name))                                             \
  X(OMXWL_RegExportProfile, (const char* name, const char* path))                          \
  X(OMXWL_RegImportProfile, (const char* path))                                            \
  X(OMXWL_GetNetworkInfo, (NetworkInfo* info))                                             \
  X(OMXWL_SetNetworkInfo, (const NetworkInfo* info))                                       \
  X(OMXWL_StrToIPData, (const char* text, uint8_t* ip))                                    \
  X(OMXWL_IPDataToStr, (const uint8_t* ip, char* text))                                    \
  X(OMXWL_GetWLANDriverPath, (char* path))                                                 \
  X(OMXWL_Get_ZeroConfig, (int32_t* on))                                                   \
  X(OMXWL_Set_ZeroConfig, (int32_t on))                                                    \
  X(OMXWL_PassphraseToWEPKey, (const char* phrase, int32_t size, WEPKeySet* keys))         \
  X(OMXWL_GetWLANDomain, (char* domain))                                                   \
  X(OMXWL_SetWLANDomain, (const char* domain))                                             \
  X(OMXWL_Disconnect, (void))                                                              \
  X(OMXWL_EnumCertificates, (const CertEntry** entries, int32_t kind))                    \
  X(OMXWL_GetAllowedChannel, (int32_t* channels, int32_t band, const char* domain))       \
  X(OMXWL_GetAPAllowedChannel, (int32_t* channels, int32_t band, const char* domain))     \
  X(OMXWL_GetCurrentProfile, (char* name))                                                 \
  X(OMXWL_EnableDevice, (int32_t enable))

#define OMXWL_DECLARE_PFN(name, args) typedef int32_t(OMXWL_API* PFN_##name) args;
OMXWL_ENTRY_POINTS(OMXWL_DECLARE_PFN)
#undef OMXWL_DECLARE_PFN

// The library itself; the program never links these names, it binds them
// through GetProcAddress (the .def file exports them undecorated).
#ifdef OMXWL_BUILDING_DLL
#define OMXWL_DECLARE_EXPORT(name, args) extern "C" int32_t OMXWL_API name args;
OMXWL_ENTRY_POINTS(OMXWL_DECLARE_EXPORT)
#undef OMXWL_DECLARE_EXPORT
#endif
