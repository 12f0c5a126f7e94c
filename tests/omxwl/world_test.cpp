// The world file: the built-in default, live changes, and files that
// cannot be used.
#include "world.h"

#include <algorithm>
#include <set>

#include "omxwl_fixture.h"

namespace {

std::string SsidOf(const SiteEntry& e) {
  return std::string(reinterpret_cast<const char*>(e.Ssid), std::min<uint32_t>(e.SsidLength, 32));
}

const SiteEntry* FindSite(const std::vector<SiteEntry>& list, const std::string& ssid) {
  for (const SiteEntry& e : list)
    if (SsidOf(e) == ssid) return &e;
  return nullptr;
}

std::string Bssid(const SiteEntry& e) {
  char b[20];
  snprintf(b, sizeof b, "%02X%02X%02X%02X%02X%02X", e.Bssid[0], e.Bssid[1], e.Bssid[2], e.Bssid[3],
           e.Bssid[4], e.Bssid[5]);
  return b;
}

// What a client can observe of a world, for comparing two of them.
struct Observed {
  std::string description, domain, driver;
  std::set<std::string> sites;
  std::set<std::string> certs;
  bool operator==(const Observed& o) const {
    return description == o.description && domain == o.domain && driver == o.driver &&
           sites == o.sites && certs == o.certs;
  }
};

const char kSmallWorld[] =
    "[World]\nScanTime=100\nAssociateTime=100\n"
    "[Adapter A]\nHardwareId=USB\\VID_1D4F&PID_0A71\nDescription=Test Adapter\n"
    "MAC=00:1D:4F:00:00:01\n"
    "[Network N]\nSSID=Moving\nBSSID=02:00:00:00:00:01\nChannel=6\nSecurity=0\nSignal=-50\n";

}  // namespace

class WorldTest : public OmxTest {
 protected:
  void SetUp() override {
    OmxTest::SetUp();
    scanWaitMs_ = 300;  // the small world scans in 100 ms
  }

  Observed Observe() {
    Observed o;
    DetectRec rec{};
    EXPECT_EQ(api_.OMXWL_DevDetect(&rec), 1);
    o.description = rec.Description;
    char text[256] = {};
    api_.OMXWL_GetWLANDomain(text);
    o.domain = text;
    api_.OMXWL_GetWLANDriverPath(text);
    o.driver = text;
    for (const SiteEntry& e : Scan())
      o.sites.insert(Bssid(e) + "/" + SsidOf(e) + "/" + std::to_string(e.SecurityCode) + "/" +
                     std::to_string(e.Frequency) + "/" + std::to_string(e.InfraMode));
    for (int kind : {1, 3}) {
      const CertEntry* certs = nullptr;
      int n = api_.OMXWL_EnumCertificates(&certs, kind);
      for (int i = 0; i < n; ++i)
        o.certs.insert(std::to_string(kind) + certs[i].Name + "|" + certs[i].Display);
    }
    return o;
  }

  // Waits until a scan sees (or stops seeing) a network.
  bool ScanShows(const std::string& ssid, bool shown, DWORD ms = 10000) {
    return WaitUntil([&] { return (FindSite(Scan(), ssid) != nullptr) == shown; }, ms);
  }
};

TEST_F(WorldTest, BuiltInWorldIsTheShippedFile) {
  scanWaitMs_ = 1700;
  Load();  // no file
  Observed builtIn = Observe();
  Unload();
  Load(DefaultWorldText());
  Observed shipped = Observe();
  EXPECT_TRUE(builtIn == shipped);
  EXPECT_EQ(builtIn.description, "Ombrix 802.11a/b/g USB Wireless Adapter");
  EXPECT_EQ(builtIn.domain, "FCC");
  EXPECT_EQ(builtIn.driver, "System32\\Drivers\\OMXWLNT.SYS");
  EXPECT_EQ(builtIn.certs.size(), 4u);

  uint8_t mac[6] = {};
  uint32_t n = 0;
  ASSERT_EQ(api_.OMXWL_QueryOID(OMXWL_OID_802_3_CURRENT_ADDRESS, mac, 6, &n), 0);
  const uint8_t want[6] = {0x00, 0x1D, 0x4F, 0x6A, 0x21, 0x07};
  EXPECT_EQ(memcmp(mac, want, 6), 0);
}

TEST_F(WorldTest, DefaultWorldHasEveryKindOfNetworkOnBothBands) {
  scanWaitMs_ = 1700;
  Load();
  std::vector<SiteEntry> sites = Scan();
  std::set<int> codes;
  bool adHoc = false, hidden = false, g24 = false, g5 = false;
  for (const SiteEntry& e : sites) {
    codes.insert(e.SecurityCode);
    adHoc = adHoc || e.InfraMode != 1;
    hidden = hidden || e.SsidLength == 0;
    g24 = g24 || (e.Frequency >= 2412000 && e.Frequency <= 2484000);
    g5 = g5 || e.Frequency >= 5000000;
    EXPECT_EQ(e.Length, sizeof(SiteEntry));
    EXPECT_LT(e.SignalLevel, 0);
  }
  EXPECT_GE(sites.size(), 8u);
  for (int code : {0, 1, 22, 124, 1024, 114, 1012}) EXPECT_TRUE(codes.count(code)) << code;
  EXPECT_TRUE(adHoc && hidden && g24 && g5);
  EXPECT_EQ(FindSite(sites, "Far-Away"), nullptr);  // below the sensitivity
  // the same network from two access points is two entries
  int open = 0;
  for (const SiteEntry& e : sites) open += SsidOf(e) == "Ombrix-Open";
  EXPECT_EQ(open, 2);
}

TEST_F(WorldTest, ScanTakesTimeAndReturnsTheLastCompletedResult) {
  Load();
  auto list = std::make_unique<SiteList>();
  uint32_t len = sizeof(SiteList);
  ASSERT_EQ(api_.OMXWL_SiteSurveyGet(list.get(), &len), 1);
  EXPECT_EQ(list->Count, 0u);  // nothing before the first scan
  EXPECT_EQ(len, 4u);
  ASSERT_EQ(api_.OMXWL_SiteSurveyScan(), 1);
  len = sizeof(SiteList);
  ASSERT_EQ(api_.OMXWL_SiteSurveyGet(list.get(), &len), 1);
  EXPECT_EQ(list->Count, 0u);  // still scanning
  ASSERT_TRUE(WaitUntil(
      [&] {
        len = sizeof(SiteList);
        return api_.OMXWL_SiteSurveyGet(list.get(), &len) == 1 && list->Count > 0;
      },
      5000));
  EXPECT_EQ(len, 4 + list->Count * sizeof(SiteEntry));
}

TEST_F(WorldTest, LiveChangesMoveSignalsAndAddAndRemoveNetworks) {
  Load(kSmallWorld);
  const SiteEntry* e = nullptr;
  std::vector<SiteEntry> sites = Scan();
  ASSERT_NE(e = FindSite(sites, "Moving"), nullptr);
  EXPECT_EQ(e->SignalLevel, -50);

  ASSERT_TRUE(Apply(OpenProfile("Moving")));
  ASSERT_TRUE(WaitLinked("Moving"));

  // the signal moves; the link follows it
  WriteWorld(Edited(kSmallWorld, "Signal=-50", "Signal=-81"));
  ASSERT_TRUE(WaitUntil([&] { return Status().SignalLevel == -81; }));
  EXPECT_EQ(Status().TxRate, 48);
  sites = Scan();
  ASSERT_NE(e = FindSite(sites, "Moving"), nullptr);
  EXPECT_EQ(e->SignalLevel, -81);

  // another network appears
  WriteWorld(std::string(kSmallWorld) +
             "[Network New]\nSSID=Newcomer\nBSSID=02:00:00:00:00:02\nChannel=40\nSignal=-60\n");
  EXPECT_TRUE(ScanShows("Newcomer", true));

  // the joined network leaves: the link drops, and comes back with it
  WriteWorld(
      "[World]\nScanTime=100\nAssociateTime=100\n"
      "[Adapter A]\nHardwareId=USB\\VID_1D4F&PID_0A71\nMAC=00:1D:4F:00:00:01\n");
  EXPECT_TRUE(WaitUntil([&] { return Status().MediaState == 1; }));
  EXPECT_TRUE(ScanShows("Moving", false));
  WriteWorld(kSmallWorld);
  EXPECT_TRUE(WaitLinked("Moving"));

  // out of range is as good as gone
  WriteWorld(Edited(kSmallWorld, "Signal=-50", "Signal=-100"));
  EXPECT_TRUE(WaitUntil([&] { return Status().MediaState == 1; }));
  WriteWorld(kSmallWorld);
  EXPECT_TRUE(WaitLinked("Moving"));

  // the network starts asking for a key: the open client is out
  WriteWorld(Edited(kSmallWorld, "Security=0", "Security=22\nPSK=NowLocked"));
  EXPECT_TRUE(WaitUntil([&] { return Status().MediaState == 1; }));
}

TEST_F(WorldTest, UnusableFileKeepsTheLastGoodWorld) {
  Load(kSmallWorld);
  ASSERT_NE(FindSite(Scan(), "Moving"), nullptr);
  // broken: the network would move to channel 11, but nothing of it applies
  std::string broken = Edited(kSmallWorld, "Channel=6", "Channel=11\nBogus line");
  WriteWorld(broken);
  Sleep(1200);  // several checks of the file
  std::vector<SiteEntry> sites = Scan();
  ASSERT_NE(FindSite(sites, "Moving"), nullptr);
  EXPECT_EQ(FindSite(sites, "Moving")->Frequency, 2437000);
  // the file vanishing keeps the world too
  DeleteFileA(worldPath_.c_str());
  Sleep(1200);
  ASSERT_NE(FindSite(Scan(), "Moving"), nullptr);
  // a good file is taken again
  WriteWorld(Edited(kSmallWorld, "Channel=6", "Channel=11"));
  ASSERT_TRUE(WaitUntil([&] {
    const SiteEntry* e = FindSite(Scan(), "Moving");
    return e && e->Frequency == 2462000;
  }));
}

TEST_F(WorldTest, UnusableFileAtStartGivesTheBuiltInWorld) {
  const std::vector<std::pair<const char*, std::string>> broken = {
      {"key before a section", "SSID=x\n"},
      {"unknown section", "[Planet Earth]\n"},
      {"unknown key", Edited(kSmallWorld, "Signal=-50", "Signall=-50")},
      {"no equals sign", Edited(kSmallWorld, "Signal=-50", "Signal -50")},
      {"zero BSSID", Edited(kSmallWorld, "BSSID=02:00:00:00:00:01", "BSSID=00:00:00:00:00:00")},
      {"bad BSSID", Edited(kSmallWorld, "BSSID=02:00:00:00:00:01", "BSSID=02:00:00:00:00")},
      {"SSID too long", Edited(kSmallWorld, "SSID=Moving", "SSID=" + std::string(33, 'x'))},
      {"5 GHz type on a 2.4 GHz channel", Edited(kSmallWorld, "Channel=6", "Channel=6\nType=a")},
      {"no such channel", Edited(kSmallWorld, "Channel=6", "Channel=15")},
      {"WEP without keys", Edited(kSmallWorld, "Security=0", "Security=1")},
      {"PSK too short", Edited(kSmallWorld, "Security=0", "Security=22\nPSK=short")},
      {"802.1X without user",
       Edited(kSmallWorld, "Security=0", "Security=114\nEAP=PEAP\nPassword=x")},
      {"duplicate key", Edited(kSmallWorld, "Signal=-50", "Signal=-50\nSignal=-40")},
      {"duplicate section", std::string(kSmallWorld) + "[Network N]\n"},
      {"same BSSID twice",
       std::string(kSmallWorld) + "[Network M]\nSSID=Other\nBSSID=02:00:00:00:00:01\nChannel=1\n"},
      {"unknown fault entry", std::string(kSmallWorld) + "[Faults]\nDelay.NoSuchCall=5\n"},
      {"adapter without MAC", "[Adapter A]\nHardwareId=USB\\X\n"},
      {"binary", std::string("[World]\n\0\0", 10)},
  };
  for (const auto& [what, text] : broken) {
    SCOPED_TRACE(what);
    Load(text);
    DetectRec rec{};
    ASSERT_EQ(api_.OMXWL_DevDetect(&rec), 1);
    EXPECT_STREQ(rec.Description, "Ombrix 802.11a/b/g USB Wireless Adapter");
    Unload();
  }
}

TEST_F(WorldTest, AdapterBandsAndDomainDecideWhatAScanHears) {
  std::string world = std::string(kSmallWorld) +
                      "[Network Five]\nSSID=Five\nBSSID=02:00:00:00:00:05\nChannel=36\n"
                      "[Network Thirteen]\nSSID=Thirteen\nBSSID=02:00:00:00:00:0D\nChannel=13\n";
  Load(world);
  std::vector<SiteEntry> sites = Scan();
  EXPECT_NE(FindSite(sites, "Five"), nullptr);
  EXPECT_EQ(FindSite(sites, "Thirteen"), nullptr);  // FCC stops at channel 11
  ASSERT_EQ(api_.OMXWL_SetWLANDomain("ETSI"), 1);
  EXPECT_NE(FindSite(Scan(), "Thirteen"), nullptr);
  EXPECT_EQ(api_.OMXWL_SetWLANDomain("Atlantis"), 0);
  char domain[256];
  ASSERT_EQ(api_.OMXWL_GetWLANDomain(domain), 1);
  EXPECT_STREQ(domain, "ETSI");
  Unload();

  Load(Edited(world, "MAC=00:1D:4F:00:00:01", "MAC=00:1D:4F:00:00:01\nBands=b,g"));
  sites = Scan();
  EXPECT_EQ(FindSite(sites, "Five"), nullptr);
  EXPECT_NE(FindSite(sites, "Moving"), nullptr);
  int32_t channels[512];
  EXPECT_EQ(api_.OMXWL_GetAllowedChannel(channels, 2, "FCC"), 0);
}

TEST_F(WorldTest, DevDetectMatchesHardwareIdsAndSelectsTheAdapter) {
  std::string world =
      "[Adapter USB]\nHardwareId=USB\\VID_1D4F&PID_0A71\nDescription=USB one\n"
      "MAC=00:1D:4F:00:00:01\nPresent=0\n"
      "[Adapter PCI]\nHardwareId=PCI\\VEN_1D4F&DEV_0A72&SUBSYS_00011D4F\nDescription=PCI one\n"
      "MAC=00:1D:4F:00:00:02\nDomain=MKK\n";
  Load(world);
  DetectRec rec{};
  SET_TEXT(rec.HardwareId, "vid_1d4f&pid_0a71");  // upper-cased substring match
  EXPECT_EQ(api_.OMXWL_DevDetect(&rec), 0);       // not present
  SET_TEXT(rec.HardwareId, "VEN_1D4F&DEV_0A72");
  ASSERT_EQ(api_.OMXWL_DevDetect(&rec), 1);
  EXPECT_STREQ(rec.Description, "PCI one");
  char domain[256];
  ASSERT_EQ(api_.OMXWL_GetWLANDomain(domain), 1);
  EXPECT_STREQ(domain, "MKK");
  DetectRec any{};
  ASSERT_EQ(api_.OMXWL_DevDetect(&any), 1);  // empty id: first present adapter
  EXPECT_STREQ(any.Description, "PCI one");
  ASSERT_EQ(api_.OMXWL_EnumAvailableDevice(0, &any), 1);
  EXPECT_STREQ(any.HardwareId, "PCI\\VEN_1D4F&DEV_0A72&SUBSYS_00011D4F");
  EXPECT_EQ(api_.OMXWL_EnumAvailableDevice(1, &any), 0);

  // the USB adapter arrives; DevDetect for it switches the library to it
  WriteWorld(Edited(world, "Present=0", "Present=1"));
  SET_TEXT(rec.HardwareId, "VID_1D4F&PID_0A71");
  ASSERT_TRUE(WaitUntil([&] { return api_.OMXWL_DevDetect(&rec) == 1; }));
  EXPECT_STREQ(rec.Description, "USB one");
  uint8_t mac[6];
  uint32_t n;
  ASSERT_EQ(api_.OMXWL_QueryOID(OMXWL_OID_802_3_CURRENT_ADDRESS, mac, 6, &n), 0);
  EXPECT_EQ(mac[5], 1);
}

TEST_F(WorldTest, RadioOffAndZeroConfigAndObjects) {
  Load(kSmallWorld);
  ASSERT_TRUE(Apply(OpenProfile("Moving")));
  ASSERT_TRUE(WaitLinked("Moving"));
  ASSERT_EQ(api_.OMXWL_EnableDevice(0), 1);
  EXPECT_EQ(Status().MediaState, 1u);
  EXPECT_EQ(api_.OMXWL_SiteSurveyScan(), 0);
  EXPECT_FALSE(Apply(OpenProfile("Moving")));
  DetectRec rec{};
  EXPECT_EQ(api_.OMXWL_DevDetect(&rec), 1);  // still there, only silent
  ASSERT_EQ(api_.OMXWL_EnableDevice(1), 1);
  EXPECT_TRUE(Apply(OpenProfile("Moving")));
  EXPECT_TRUE(WaitLinked("Moving"));

  int32_t zc = 7;
  ASSERT_EQ(api_.OMXWL_Get_ZeroConfig(&zc), 1);
  EXPECT_EQ(zc, 0);
  ASSERT_EQ(api_.OMXWL_Set_ZeroConfig(1), 1);
  ASSERT_EQ(api_.OMXWL_Get_ZeroConfig(&zc), 1);
  EXPECT_EQ(zc, 1);

  uint32_t mode = 0;
  uint32_t n = 0;
  ASSERT_EQ(api_.OMXWL_Disconnect(), 1);
  mode = 2;
  EXPECT_EQ(api_.OMXWL_SetOID(OMXWL_OID_802_11_INFRASTRUCTURE_MODE, &mode, 4), 0);
  mode = 9;
  ASSERT_EQ(api_.OMXWL_QueryOID(OMXWL_OID_802_11_INFRASTRUCTURE_MODE, &mode, 4, &n), 0);
  EXPECT_EQ(mode, 2u);
  mode = 3;
  EXPECT_NE(api_.OMXWL_SetOID(OMXWL_OID_802_11_INFRASTRUCTURE_MODE, &mode, 4), 0);
  uint8_t antenna = 1;
  ASSERT_EQ(api_.OMXWL_SetOID(OMXWL_OID_PRIVATE_ANTENNA, &antenna, 1), 0);
  antenna = 0;
  ASSERT_EQ(api_.OMXWL_QueryOID(OMXWL_OID_PRIVATE_ANTENNA, &antenna, 1, &n), 0);
  EXPECT_EQ(antenna, 1);
  uint8_t mac[6] = {};
  EXPECT_NE(api_.OMXWL_SetOID(OMXWL_OID_802_3_CURRENT_ADDRESS, mac, 6), 0);  // read-only
  EXPECT_NE(api_.OMXWL_QueryOID(0x12345678, mac, 6, &n), 0);
}

TEST_F(WorldTest, IpSettingsStaticOrFromDhcp) {
  Load(Edited(DefaultWorldText(), "AssociateTime=1000", "AssociateTime=100"));
  NetworkInfo ni{};
  ASSERT_EQ(api_.OMXWL_GetNetworkInfo(&ni), 1);
  EXPECT_EQ(ni.NI_wNetFlags & 1, 1);  // DHCP until told otherwise
  NetworkInfo fixed{};
  ASSERT_EQ(api_.OMXWL_StrToIPData("10.0.0.5", fixed.NI_IpAddr), 1);
  ASSERT_EQ(api_.OMXWL_StrToIPData("255.0.0.0", fixed.NI_IpMask), 1);
  SET_TEXT(fixed.NI_strHostName, "laptop");
  ASSERT_EQ(api_.OMXWL_SetNetworkInfo(&fixed), 1);
  ASSERT_EQ(api_.OMXWL_GetNetworkInfo(&ni), 1);
  char text[260];
  ASSERT_EQ(api_.OMXWL_IPDataToStr(ni.NI_IpAddr, text), 1);
  EXPECT_STREQ(text, "10.0.0.5");
  EXPECT_STREQ(ni.NI_strHostName, "laptop");
  // back to DHCP: no address until linked to an access point
  NetworkInfo dhcp{};
  dhcp.NI_wNetFlags = 1;
  ASSERT_EQ(api_.OMXWL_SetNetworkInfo(&dhcp), 1);
  ASSERT_EQ(api_.OMXWL_GetNetworkInfo(&ni), 1);
  EXPECT_EQ(api_.OMXWL_IPDataToStr(ni.NI_IpAddr, text), 0);
  ASSERT_TRUE(Apply(OpenProfile("Ombrix-Open")));
  ASSERT_TRUE(WaitLinked("Ombrix-Open"));
  ASSERT_EQ(api_.OMXWL_GetNetworkInfo(&ni), 1);
  ASSERT_EQ(api_.OMXWL_IPDataToStr(ni.NI_IpMask, text), 1);
  EXPECT_STREQ(text, "255.255.255.0");
}

// A name given as hex: exactly one of SSID and SSIDHex, 1 to 32 whole bytes.
TEST(WorldParser, SsidHexIsOneToThirtyTwoBytesAndTheOnlyName) {
  const std::string bad = "SSIDHex in [Network Cafe]";
  const std::pair<std::string, std::string> cases[] = {
      // lines, name or reason
      {"ssidhex=436166e9", "Caf\xE9"},
      {"SSIDHex=410042", std::string("A\0B", 3)},
      {"SSIDHex=" + std::string(64, 'A'), std::string(32, '\xAA')},
      {"SSIDHex=" + std::string(66, 'A'), bad},
      {"SSID=x\nSSIDHex=41", bad},
      {"SSIDHex=41\nSSID=x", "SSID in [Network Cafe]"},
      {"Signal=-50", "[Network Cafe] needs SSID or SSIDHex"},
      {"SSIDHex=", bad},
      {"SSIDHex=414", bad},
      {"SSIDHex=41G2", bad},
      {"SSIDHex=41 42", bad},
  };
  for (const auto& [lines, want] : cases) {
    omx::World world;
    std::string why;
    if (omx::ParseWorld("[Network Cafe]\nBSSID=02:00:00:00:00:01\nChannel=6\n" + lines + "\n",
                        &world, &why))
      EXPECT_EQ(world.networks.at(0).ssid, want) << lines;
    else
      EXPECT_NE(why.find(want), std::string::npos) << lines << ": " << why;
  }
}

// Names of any bytes reach a scan, the status and the trace exactly, and a
// profile joins them by their exact bytes.
TEST_F(WorldTest, NamesOfAnyBytesAreScannedLinkedAndTracedExactly) {
  const std::string names[] = {"Caf\xE9", std::string(30, 'w') + "\xC3\xA9", "Line\r\nBreak", "A",
                               std::string("A\0B", 3)};
  const char* given[] = {"SSIDHex=436166E9",
                         "SSIDHex=777777777777777777777777777777777777777777777777777777777777C3A9",
                         "SSIDHex=4C696E650D0A427265616B", "SSID=A\nSignal=-70",
                         "SSIDHex=410042\nSignal=-40"};
  std::string world =
      "[World]\nScanTime=100\nAssociateTime=100\n[Adapter A]\n"
      "HardwareId=USB\\VID_1D4F&PID_0A71\nMAC=00:1D:4F:00:00:01\n";
  for (int i = 1; i <= 5; ++i)
    world += "[Network " + std::to_string(i) + "]\n" + given[i - 1] +
             "\nChannel=6\nBSSID=02:00:00:00:00:0" + std::to_string(i) + "\n";
  TraceLog trace;
  Load(world);
  const std::vector<SiteEntry> sites = Scan();
  for (int i = 1; i <= 5; ++i)  // found, and from its own network
    EXPECT_EQ(FindSite(sites, names[i - 1]) ? FindSite(sites, names[i - 1])->Bssid[5] : 0, i);
  // Joined by the exact name: a Latin-1 byte, all 32 bytes, a line break, and
  // "A", which is not the stronger "A\0B": the zero byte belongs to the name.
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(Apply(OpenProfile(names[i].c_str())) && WaitLinked(names[i])) << i;
  EXPECT_EQ(Status().Bssid[5], 4);
  // The strongest network of all is reported with its zero byte.
  ASSERT_TRUE(Apply(OpenProfile("ANY")));
  ASSERT_TRUE(WaitLinked(names[4]));

  // A trace line is one line, whatever the name holds.
  ASSERT_TRUE(WaitUntil([&] { return trace.Has("linked to \"A\\x00B\""); })) << trace.Text();
  const std::string text = trace.Text(), lines = "\n" + text;
  EXPECT_NE(text.find("linked to \"Line\\x0D\\x0ABreak\""), std::string::npos);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  for (size_t at = 0; (at = lines.find('\n', at)) < text.size(); ++at)
    EXPECT_EQ(text.compare(at, 7, "OMXWL: "), 0) << text.substr(at, 60);
}
