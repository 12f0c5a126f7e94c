// The profile record in INI form: the round trip, defaults, hex addresses,
// damaged values, cut texts, a refused write; the security reset and the
// comparison of IP settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "app/TestSupport.h"
#include "config/Udefine.h"

using namespace wutest;

namespace {

class ProfileIni : public ::testing::Test {
 protected:
  void SetUp() override { var_.LocateFiles(dir_ / "Prog.exe"); }
  std::string Settings() const { return ReadText(dir_ / "Prog.bin"); }
  void Write(const std::string& text) { WriteText(dir_ / "Prog.bin", text); }

  TempDir dir_;
  CFAGlobalVar var_;
};

// Texts with blanks at the ends, quotes, '=' and ';', Latin-1 letters, up
// to the field's full capacity.
template <size_t N>
void RandomText(char (&field)[N], std::mt19937& rng, bool full) {
  static const std::string alphabet =
      " abcxyzABCXYZ0189\"'=;[]\\/.,-_!#$%&()*+<>?@{}|~\xE4\xF6\xFC\xDF\xC9";
  const size_t length = full ? N - 1 : rng() % N;
  std::string s;
  for (size_t i = 0; i < length; ++i) s += alphabet[rng() % alphabet.size()];
  SetField(field, s);
}

WLProfile RandomProfile(std::mt19937& rng, bool full) {
  WLProfile p;
  std::memset(&p, 0, sizeof p);
  auto i32 = [&] { return static_cast<int32_t>(rng()); };
  p.Channel = i32(), p.AdHocBand = i32(), p.TxRate = i32(), p.NetworkMode = i32();
  p.ABGMode = i32(), p.WEPEncryptionLevel = i32(), p.DefaultKey = i32();
  p.WEPKeyFormat = i32(), p.AuthenticationMode = i32(), p.EncryptionMethod = i32();
  p.WPAEncryptionType = i32(), p.FragThreshold = i32(), p.RTSThreshold = i32();
  p.PreambleMode = i32(), p.PowerMode = i32(), p.ValidateServerCert = i32();
  p.MS8021xAuthMode = i32(), p.PeapEap = i32();
  p.ApplyNetwork = rng() & 1, p.bQosEnabled = rng() & 1;
  RandomText(p.ProfileName, rng, full), RandomText(p.Ssid1, rng, full);
  RandomText(p.Ssid2, rng, full), RandomText(p.Ssid3, rng, full);
  RandomText(p.PassPhrase, rng, full), RandomText(p.WEPKey1, rng, full);
  RandomText(p.WEPKey2, rng, full), RandomText(p.WEPKey3, rng, full);
  RandomText(p.WEPKey4, rng, full), RandomText(p.WPAPassphrase, rng, full);
  RandomText(p.LoginName, rng, full), RandomText(p.LoginPassword, rng, full);
  RandomText(p.DomainName, rng, full), RandomText(p.sCertificate, rng, full);
  RandomText(p.sCertAuthority, rng, full);
  NetworkInfo& n = p.NetInfo;
  RandomText(n.NI_sz_CurProfile, rng, full);
  n.NI_wFlags = rng(), n.NI_wNetFlags = rng(), n.NI_wPPPFlags = rng();
  n.NI_wEthWINSMode = rng(), n.NI_VPI = rng(), n.NI_VCI = rng(), n.NI_wEncapsulation = rng();
  for (uint8_t* ip : {n.NI_IpAddr, n.NI_IpMask, n.NI_IpGate1, n.NI_IpGate2, n.NI_IpDNS1,
                      n.NI_IpDNS2, n.NI_IpWINS1, n.NI_IpWINS2}) {
    for (int b = 0; b < 4; ++b) ip[b] = static_cast<uint8_t>(rng());
  }
  RandomText(n.NI_strScopeId, rng, full), RandomText(n.NI_strHostName, rng, full);
  RandomText(n.NI_strDomain, rng, full), RandomText(n.NI_strDomSufSearch, rng, full);
  RandomText(n.NI_strLoginUsr, rng, full), RandomText(n.NI_strLoginPsw, rng, full);
  RandomText(n.NI_strLoginDom, rng, full);
  return p;
}

TEST_F(ProfileIni, WrittenProfilesReadBackByteForByte) {
  std::mt19937 rng(20240607);
  for (int round = 0; round < 12; ++round) {
    const WLProfile written = RandomProfile(rng, round == 0);
    const std::string section = "P" + std::to_string(round);
    var_.ProfToIniFile(written, section);
    WLProfile read;
    std::memset(&read, 0, sizeof read);  // padding stays zero, as written
    ASSERT_TRUE(var_.ProfFromIniFile(section, read));
    ASSERT_EQ(std::memcmp(&read, &written, sizeof read), 0)
        << "round " << round << ", first difference at offset " << [&] {
             const auto* a = reinterpret_cast<const uint8_t*>(&read);
             const auto* b = reinterpret_cast<const uint8_t*>(&written);
             size_t i = 0;
             while (a[i] == b[i]) ++i;
             return i;
           }();
  }
}

TEST_F(ProfileIni, KeysAreWrittenInTheirFixedOrderWithHexAddresses) {
  WLProfile p;
  std::memset(&p, 0, sizeof p);
  const uint8_t ip[4] = {192, 168, 1, 10};
  std::memcpy(p.NetInfo.NI_IpAddr, ip, 4);
  p.NetInfo.NI_IpMask[0] = 0xFF;
  var_.ProfToIniFile(p, "LastApplyProf");
  std::vector<std::string> keys;
  for (const std::string& line : SplitLines(Settings())) {
    if (line.empty() || line[0] == '[') continue;
    keys.push_back(line.substr(0, line.find('=')));
  }
  const std::string order =
      "Channel AdHocBand TxRate NetworkMode ABGMode ProfileName Ssid1 Ssid2 Ssid3 "
      "WEPEncryptionLevel PassPhrase WEPKey1 WEPKey2 WEPKey3 WEPKey4 DefaultKey "
      "WEPKeyFormat AuthenticationMode EncryptionMethod WPAEncryptionType "
      "WPAPassphrase FragThreshold RTSThreshold PreambleMode PowerMode LoginName "
      "LoginPassword DomainName sCertificate sCertAuthority ValidateServerCert "
      "MS8021xAuthMode PeapEap ApplyNetwork bQosEnabled NI_sz_CurProfile NI_wFlags "
      "NI_wNetFlags NI_wPPPFlags NI_wEthWINSMode NI_VPI NI_VCI NI_wEncapsulation "
      "NI_IpAddr NI_IpMask NI_IpGate1 NI_IpGate2 NI_IpDNS1 NI_IpDNS2 NI_IpWINS1 "
      "NI_IpWINS2 NI_strScopeId NI_strHostName NI_strDomain NI_strDomSufSearch "
      "NI_strLoginUsr NI_strLoginPsw NI_strLoginDom";
  std::string written;
  for (const std::string& k : keys) written += k + ' ';
  written.pop_back();
  EXPECT_EQ(written, order);
  EXPECT_EQ(var_.InfoReadString("LastApplyProf", "NI_IpAddr", ""), "C0A8010A");
  EXPECT_EQ(var_.InfoReadString("LastApplyProf", "NI_IpMask", ""), "FF000000");
  EXPECT_EQ(var_.InfoReadString("LastApplyProf", "ApplyNetwork", ""), "0");
}

TEST_F(ProfileIni, ASectionWithOnlyTheNetworkNameGetsTheDefaults) {
  Write("[LastApplyProf]\r\nSsid1=Home\r\n");
  WLProfile p;
  std::memset(&p, 0x5A, sizeof p);
  ASSERT_TRUE(var_.ProfFromIniFile("LastApplyProf", p));
  EXPECT_EQ(FieldText(p.Ssid1), "Home");
  EXPECT_EQ(FieldText(p.ProfileName), "(EditingProfile)");
  EXPECT_EQ(FieldText(p.NetInfo.NI_sz_CurProfile), "(EditingProfile)");
  EXPECT_EQ(p.TxRate, 15);
  EXPECT_EQ(p.NetworkMode, 1);
  EXPECT_EQ(p.ABGMode, 34);
  EXPECT_EQ(p.FragThreshold, 2346);
  EXPECT_EQ(p.RTSThreshold, 2347);
  EXPECT_EQ(p.AuthenticationMode, 2);
  EXPECT_EQ(p.WPAEncryptionType, 1);
  EXPECT_EQ(p.PreambleMode, 2);
  EXPECT_EQ(p.Channel, 0);
  EXPECT_EQ(p.WEPKeyFormat, 0);
  EXPECT_EQ(p.ApplyNetwork, 0);
  EXPECT_EQ(p.NetInfo.NI_VCI, 0);
  EXPECT_EQ(FieldText(p.WPAPassphrase), "");
  // Addresses that are not in the file keep the caller's values.
  EXPECT_EQ(p.NetInfo.NI_IpAddr[0], 0x5A);
  EXPECT_EQ(p.NetInfo.NI_IpWINS2[3], 0x5A);
}

TEST_F(ProfileIni, AnAbsentSectionLeavesTheRecordAlone) {
  Write("[Other]\r\nSsid1=x\r\n[LastApplyProf]\r\n");
  WLProfile p, before;
  std::memset(&p, 0x33, sizeof p);
  before = p;
  EXPECT_FALSE(var_.ProfFromIniFile("LastApplyProf", p));
  EXPECT_FALSE(var_.ProfFromIniFile("Missing", p));
  EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
}

TEST_F(ProfileIni, DamagedValuesGiveDefaultsAndLongTextsAreCut) {
  Write(
      "[S]\r\nTxRate=fast\r\nChannel=4294967296\r\nNI_VPI=300\r\nNI_wFlags=-1\r\n"
      "NI_VCI=255\r\nApplyNetwork=5\r\nSsid1=" +
      std::string(40, 'S') + "\r\nProfileName=" + std::string(500, 'N') +
      "\r\nNI_IpAddr=c0a8010a\r\nNI_IpMask=FFFF\r\nNI_IpGate1=ZZ000000\r\n"
      "NI_IpDNS1=0A0B0C0D0E0F\r\nNI_IpDNS2=\r\n");
  WLProfile p;
  std::memset(&p, 0x11, sizeof p);
  ASSERT_TRUE(var_.ProfFromIniFile("S", p));
  EXPECT_EQ(p.TxRate, 15);
  EXPECT_EQ(p.Channel, 0);
  EXPECT_EQ(p.NetInfo.NI_VPI, 0);
  EXPECT_EQ(p.NetInfo.NI_wFlags, 0);
  EXPECT_EQ(p.NetInfo.NI_VCI, 255);
  EXPECT_EQ(p.ApplyNetwork, 1);
  EXPECT_EQ(FieldText(p.Ssid1), std::string(32, 'S'));
  EXPECT_EQ(p.Ssid1[32], 0);
  EXPECT_EQ(FieldText(p.ProfileName), std::string(64, 'N'));
  EXPECT_EQ(p.Ssid2[0], 0);  // the next field is untouched by the cut text
  const uint8_t addr[4] = {192, 168, 1, 10}, dns1[4] = {10, 11, 12, 13};
  const uint8_t kept[4] = {0x11, 0x11, 0x11, 0x11};
  EXPECT_EQ(std::memcmp(p.NetInfo.NI_IpAddr, addr, 4), 0);
  EXPECT_EQ(std::memcmp(p.NetInfo.NI_IpMask, kept, 4), 0);
  EXPECT_EQ(std::memcmp(p.NetInfo.NI_IpGate1, kept, 4), 0);
  EXPECT_EQ(std::memcmp(p.NetInfo.NI_IpDNS1, dns1, 4), 0);
  EXPECT_EQ(std::memcmp(p.NetInfo.NI_IpDNS2, kept, 4), 0);
}

TEST(ProfileIniWrite, ARefusedWriteStopsAtTheFirstKeyAndIsLogged) {
  TempDir dir;
  CFAGlobalVar var;
  var.LocateFiles(dir / "gone\\Prog.exe");  // its folder does not exist
  WLProfile p;
  std::memset(&p, 0, sizeof p);
  LogCapture capture;
  var.ProfToIniFile(p, "LastApplyProf");
  const auto lines = capture.Lines();
  // No copy can be made there, so nothing is written, and both say so.
  const std::string file = dir / "gone\\Prog.bin";
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "CIniReplace: " + file + " could not be copied to " + file +
                          ".new (error 3); nothing written");
  EXPECT_EQ(lines[1], "ProfToIniFile exception: Unable to write to " + file);
}

TEST(ProfileRules, ResetSecurityClearsOnlyTheSecurityFields) {
  WLProfile p;
  std::memset(&p, 0x77, sizeof p);
  SetField(p.Ssid1, "Net");
  const WLProfile before = p;
  CFAGlobalVar::ResetSecurity(p);
  EXPECT_EQ(p.EncryptionMethod, 0);
  EXPECT_EQ(p.WEPEncryptionLevel, 0);
  EXPECT_EQ(p.WEPKeyFormat, 1);
  EXPECT_EQ(p.DefaultKey, 0);
  EXPECT_EQ(p.AuthenticationMode, 2);
  EXPECT_EQ(p.WPAEncryptionType, 1);
  EXPECT_EQ(p.MS8021xAuthMode, 0);
  EXPECT_EQ(p.PeapEap, 2);
  EXPECT_EQ(p.ValidateServerCert, 0);
  for (const char* text :
       {p.PassPhrase, p.WEPKey1, p.WEPKey2, p.WEPKey3, p.WEPKey4, p.WPAPassphrase, p.LoginName,
        p.LoginPassword, p.DomainName, p.sCertificate, p.sCertAuthority}) {
    EXPECT_EQ(text[0], 0);
  }
  EXPECT_EQ(FieldText(p.Ssid1), "Net");
  EXPECT_EQ(p.Channel, before.Channel);
  EXPECT_EQ(p.PowerMode, before.PowerMode);
  EXPECT_EQ(std::memcmp(&p.NetInfo, &before.NetInfo, sizeof p.NetInfo), 0);
}

TEST(ProfileRules, SameNetInfoComparesTheFlagBitAndFiveAddresses) {
  std::mt19937 rng(7);
  const NetworkInfo base = RandomProfile(rng, false).NetInfo;
  auto changed = [&](auto change) {
    NetworkInfo other = base;
    change(other);
    return CFAGlobalVar::SameNetInfo(base, other);
  };
  EXPECT_TRUE(changed([](NetworkInfo&) {}));
  EXPECT_TRUE(changed([](NetworkInfo& n) { n.NI_IpWINS1[0] ^= 1; }));
  EXPECT_TRUE(changed([](NetworkInfo& n) { n.NI_IpWINS2[3] ^= 1; }));
  EXPECT_TRUE(changed([](NetworkInfo& n) { n.NI_IpGate2[1] ^= 1; }));
  EXPECT_TRUE(changed([](NetworkInfo& n) { n.NI_wNetFlags ^= 2; }));
  EXPECT_TRUE(changed([](NetworkInfo& n) { SetField(n.NI_strHostName, "other"); }));
  EXPECT_FALSE(changed([](NetworkInfo& n) { n.NI_wNetFlags ^= 1; }));
  EXPECT_FALSE(changed([](NetworkInfo& n) { n.NI_IpAddr[3] ^= 1; }));
  EXPECT_FALSE(changed([](NetworkInfo& n) { n.NI_IpMask[0] ^= 1; }));
  EXPECT_FALSE(changed([](NetworkInfo& n) { n.NI_IpGate1[2] ^= 1; }));
  EXPECT_FALSE(changed([](NetworkInfo& n) { n.NI_IpDNS1[1] ^= 1; }));
  EXPECT_FALSE(changed([](NetworkInfo& n) { n.NI_IpDNS2[0] ^= 1; }));
}

}  // namespace

// A writer that dies part-way leaves keys of two profiles: such a section
// must read as absent, never as a profile nobody applied.
TEST_F(ProfileIni, ACheckedSectionIsUsedWholeOrNotAtAll) {
  std::mt19937 rng(19);
  const WLProfile first = RandomProfile(rng, false), second = RandomProfile(rng, true);
  LogCapture capture;

  ASSERT_TRUE(var_.ProfToIniFileChecked(first, "LastApplyProf"));
  WLProfile read{}, plain{};
  ASSERT_TRUE(var_.ProfFromIniFileChecked("LastApplyProf", read));
  ASSERT_TRUE(var_.ProfFromIniFile("LastApplyProf", plain));
  EXPECT_EQ(std::memcmp(&read, &plain, sizeof read), 0);
  EXPECT_EQ(FieldText(read.Ssid1), FieldText(first.Ssid1));

  // The second profile's first keys over the first's, then the writer dies.
  const std::string whole = Settings();
  ASSERT_TRUE(var_.ProfToIniFileChecked(second, "LastApplyProf"));
  const std::string later = Settings();
  var_.InfoWriteString("LastApplyProf", "Ssid1", FieldText(first.Ssid1));
  WLProfile mixed{};
  std::memset(&mixed, 0x5A, sizeof mixed);
  const WLProfile untouched = mixed;
  EXPECT_FALSE(var_.ProfFromIniFileChecked("LastApplyProf", mixed));
  EXPECT_EQ(std::memcmp(&mixed, &untouched, sizeof mixed), 0);

  // A section from before the checksum, or cut short, is not used either.
  for (const std::string& text :
       {std::string("[LastApplyProf]\r\nSsid1=Home\r\n"), later.substr(0, later.size() / 2)}) {
    Write(text);
    EXPECT_FALSE(var_.ProfFromIniFileChecked("LastApplyProf", mixed));
  }
  Write(whole);
  EXPECT_TRUE(var_.ProfFromIniFileChecked("LastApplyProf", mixed));
  const auto lines = capture.Lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "ProfFromIniFile: section LastApplyProf is incomplete and not used"),
            3);
}
