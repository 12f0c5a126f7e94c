// The library's face: exactly the 35 entry points by plain name.
#include <set>

#include "omxwl_fixture.h"

namespace {

std::set<std::string> ExportedNames(HMODULE module) {
  std::set<std::string> names;
  auto* base = reinterpret_cast<const uint8_t*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (!dir.VirtualAddress) return names;
  auto* exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* nameRvas = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
  for (DWORD i = 0; i < exp->NumberOfNames; ++i)
    names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
  return names;
}

}  // namespace

TEST_F(OmxTest, ExportsExactlyTheEntryPointsUndecorated) {
  Load();
  std::set<std::string> expected;
#define OMX_NAME(name, args) expected.insert(#name);
  OMXWL_ENTRY_POINTS(OMX_NAME)
#undef OMX_NAME
  ASSERT_EQ(expected.size(), 35u);
  EXPECT_EQ(ExportedNames(module_), expected);
}

// Every entry point answers sensible input without crashing, and null
// pointers are refused rather than written through.
TEST_F(OmxTest, EveryEntryPointIsCallableAndRefusesNullPointers) {
  Load();
  DetectRec rec{};
  EXPECT_EQ(api_.OMXWL_EnumAvailableDevice(0, &rec), 1);
  EXPECT_EQ(api_.OMXWL_DevDetect(&rec), 1);
  uint8_t mac[6];
  uint32_t n = 0;
  EXPECT_EQ(api_.OMXWL_QueryOID(OMXWL_OID_802_3_CURRENT_ADDRESS, mac, 6, &n), 0);
  uint8_t antenna = 2;
  EXPECT_EQ(api_.OMXWL_SetOID(OMXWL_OID_PRIVATE_ANTENNA, &antenna, 1), 0);
  EXPECT_EQ(api_.OMXWL_SiteSurveyScan(), 1);
  EXPECT_EQ(api_.OMXWL_ChannelToFrequency(6), 2437000);
  EXPECT_EQ(api_.OMXWL_FrequencyToChannel(2437000), 6);
  int32_t flag = 0;
  WLStatus st{};
  EXPECT_EQ(api_.OMXWL_GetWLANStatus(&flag, &st), 1);
  WLProfile p = OpenProfile("Ombrix-Open");
  EXPECT_EQ(api_.OMXWL_WLProfileToWLStatus(&p, &st), 1);
  EXPECT_EQ(api_.OMXWL_SetWLANStatus(&flag, &st), 1);
  EXPECT_EQ(api_.OMXWL_SetWLProfileDir("OmxTest"), 1);
  EXPECT_EQ(api_.OMXWL_SetWLProfile("A", &p), 1);
  EXPECT_EQ(api_.OMXWL_GetWLProfile("A", &p), 1);
  char name[256];
  EXPECT_EQ(api_.OMXWL_EnumWLProfiles(0, name), 1);
  std::string exportFile = dir_->File("export.prf");
  EXPECT_EQ(api_.OMXWL_RegExportProfile("A", exportFile.c_str()), 1);
  EXPECT_EQ(api_.OMXWL_DeleteWLProfile("A"), 1);
  EXPECT_EQ(api_.OMXWL_RegImportProfile(exportFile.c_str()), 1);
  NetworkInfo ni{};
  EXPECT_EQ(api_.OMXWL_GetNetworkInfo(&ni), 1);
  EXPECT_EQ(api_.OMXWL_SetNetworkInfo(&ni), 1);
  uint8_t ip[4];
  EXPECT_EQ(api_.OMXWL_StrToIPData("10.1.2.3", ip), 1);
  char text[260];
  EXPECT_EQ(api_.OMXWL_IPDataToStr(ip, text), 1);
  EXPECT_EQ(api_.OMXWL_GetWLANDriverPath(text), 1);
  EXPECT_EQ(api_.OMXWL_Get_ZeroConfig(&flag), 1);
  EXPECT_EQ(api_.OMXWL_Set_ZeroConfig(1), 1);
  WEPKeySet keys;
  EXPECT_EQ(api_.OMXWL_PassphraseToWEPKey("secret", 1, &keys), 1);
  EXPECT_EQ(api_.OMXWL_GetWLANDomain(text), 1);
  EXPECT_EQ(api_.OMXWL_SetWLANDomain("ETSI"), 1);
  const CertEntry* certs = nullptr;
  EXPECT_GT(api_.OMXWL_EnumCertificates(&certs, 1), 0);
  int32_t channels[512];
  EXPECT_GT(api_.OMXWL_GetAllowedChannel(channels, 1, "FCC"), 0);
  EXPECT_GT(api_.OMXWL_GetAPAllowedChannel(channels, 2, "FCC"), 0);
  EXPECT_EQ(api_.OMXWL_GetCurrentProfile(name), 1);
  EXPECT_EQ(api_.OMXWL_Disconnect(), 1);
  EXPECT_EQ(api_.OMXWL_EnableDevice(1), 1);

  EXPECT_EQ(api_.OMXWL_Initial(nullptr, 1), 0);
  EXPECT_EQ(api_.OMXWL_EnumAvailableDevice(0, nullptr), 0);
  EXPECT_EQ(api_.OMXWL_DevDetect(nullptr), 0);
  EXPECT_NE(api_.OMXWL_QueryOID(OMXWL_OID_802_3_CURRENT_ADDRESS, nullptr, 6, &n), 0);
  EXPECT_NE(api_.OMXWL_SetOID(OMXWL_OID_PRIVATE_ANTENNA, nullptr, 1), 0);
  EXPECT_EQ(api_.OMXWL_SiteSurveyGet(nullptr, nullptr), 0);
  EXPECT_EQ(api_.OMXWL_GetWLANStatus(&flag, nullptr), 0);
  EXPECT_EQ(api_.OMXWL_SetWLANStatus(&flag, nullptr), 0);
  EXPECT_EQ(api_.OMXWL_WLProfileToWLStatus(nullptr, &st), 0);
  EXPECT_EQ(api_.OMXWL_SetWLProfileDir(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_GetWLProfile(nullptr, &p), 0);
  EXPECT_EQ(api_.OMXWL_GetWLProfile("A", nullptr), 0);
  EXPECT_EQ(api_.OMXWL_SetWLProfile("A", nullptr), 0);
  EXPECT_EQ(api_.OMXWL_EnumWLProfiles(0, nullptr), 0);
  EXPECT_EQ(api_.OMXWL_DeleteWLProfile(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_RegExportProfile(nullptr, nullptr), 0);
  EXPECT_EQ(api_.OMXWL_RegImportProfile(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_GetNetworkInfo(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_SetNetworkInfo(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_StrToIPData(nullptr, ip), 0);
  EXPECT_EQ(api_.OMXWL_IPDataToStr(nullptr, text), 0);
  EXPECT_EQ(api_.OMXWL_GetWLANDriverPath(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_Get_ZeroConfig(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_PassphraseToWEPKey(nullptr, 1, &keys), 0);
  EXPECT_EQ(api_.OMXWL_PassphraseToWEPKey("x", 1, nullptr), 0);
  EXPECT_EQ(api_.OMXWL_GetWLANDomain(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_SetWLANDomain(nullptr), 0);
  EXPECT_EQ(api_.OMXWL_GetAllowedChannel(channels, 1, nullptr), 13);  // the domain set above (ETSI)
  EXPECT_EQ(api_.OMXWL_GetCurrentProfile(nullptr), 0);
}
