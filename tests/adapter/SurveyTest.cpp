// Site survey, joining a site, channels, ad-hoc bands and certificates.
#include "adapter/FakeOmx.h"
#include "adapter/Unicadapter.h"

namespace {

SiteEntry Site(const std::string& ssid, uint8_t bssidLast, int32_t security = 0) {
  SiteEntry e{};
  e.Bssid[0] = 0x02;
  e.Bssid[5] = bssidLast;
  e.SsidLength = static_cast<uint32_t>(ssid.size());
  memcpy(e.Ssid, ssid.data(), std::min<size_t>(ssid.size(), 32));
  e.SecurityCode = security;
  e.InfraMode = 1;
  e.NetType = 3;
  e.Frequency = 2437000;
  return e;
}

}  // namespace

TEST(SiteSurvey, MalformedAndRepeatedEntriesAreDroppedAndNothingIsReadPastTheBuffer) {
  TestEnv env;
  SiteList& s = fake::g->sites;
  s.Count = 1000;  // more than the buffer holds
  s.Entries[0] = Site("Net", 1);
  s.Entries[1] = Site("Net", 1);  // the same network from the same access point
  s.Entries[2] = Site("Net", 2);  // another access point
  s.Entries[3] = Site("Hidden", 3);
  s.Entries[3].SsidLength = 0;
  s.Entries[4] = Site("TooLong", 4);
  s.Entries[4].SsidLength = 40;
  s.Entries[5] = Site("", 5);
  s.Entries[5].SsidLength = 3;
  s.Entries[6] = Site("NoBssid", 0);
  s.Entries[6].Bssid[0] = 0;
  for (int i = 7; i < kMaxSiteEntries; ++i) s.Entries[i] = Site("N" + std::to_string(i), i);

  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  std::vector<SiteEntry> list;
  a.GetSiteList(list);
  ASSERT_EQ(list.size(), 2u + (kMaxSiteEntries - 7));
  EXPECT_EQ(list[1].Bssid[5], 2);
  a.GetSiteList(list);  // merged: nothing new
  EXPECT_EQ(list.size(), 2u + (kMaxSiteEntries - 7));
}

TEST(SiteSurvey, SiteBecomesAProfileWithItsSecurityAndBand) {
  TestEnv env;
  env.SetRegDword("AdHocG", 0);
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  WLProfile p{};
  a.SiteToProfile(Site("Home", 1, 124), p);
  EXPECT_EQ(FieldText(p.Ssid1), "Home");
  EXPECT_EQ(p.EncryptionMethod, EncWPA2_PSK);
  EXPECT_EQ(p.WPAEncryptionType, 2);
  EXPECT_EQ(p.Channel, 6);
  EXPECT_EQ(p.NetworkMode, 1);
  EXPECT_EQ(p.ABGMode, 34);
  EXPECT_EQ(FieldText(p.ProfileName), "Default");

  struct Case {
    int32_t code, method, wpa, wep;
  } cases[] = {{1, EncWEP, 1, 1},        {1012, EncWPA, 1, 0},     {13, EncWPA, 2, 0},
               {99, EncWPA_PSK, 1, 0},   {1023, EncWPA_PSK, 2, 0}, {115, EncWPA2, 1, 0},
               {199, EncWPA2_PSK, 1, 0}, {5, EncNone, 1, 0}};
  for (const Case& c : cases) {
    a.SiteToProfile(Site("X", 1, c.code), p);
    EXPECT_EQ(p.EncryptionMethod, c.method) << c.code;
    EXPECT_EQ(p.WPAEncryptionType, c.wpa) << c.code;
    EXPECT_EQ(p.WEPEncryptionLevel, c.wep) << c.code;
  }

  // An ad-hoc 802.11g network where only b may be used ad hoc.
  SiteEntry adhoc = Site("Peer", 9);
  adhoc.InfraMode = 0;
  a.SiteToProfile(adhoc, p);
  EXPECT_EQ(p.NetworkMode, 0);
  EXPECT_EQ(p.AdHocBand, 1);
  // A 32-byte name without terminator fills the field and is terminated.
  a.SiteToProfile(Site(std::string(32, 'w'), 1), p);
  EXPECT_EQ(FieldText(p.Ssid1), std::string(32, 'w'));
}

TEST(Channels, BandsFollowTheAdapterAndOverlongAnswersAreCapped) {
  TestEnv env("SupportMode=11\r\n");  // b and g only
  env.SetRegString("Domain", "ABCDEFGHIJKLMNO");
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  fake::g->channelCounts = {{1, 11}, {4, 13}, {2, 4}};
  std::vector<int32_t> out(kMaxChannels, -1);
  EXPECT_EQ(a.GetAllowedCh(out.data(), 256, 7), 24);
  EXPECT_EQ(fake::Count("GetAllowedChannel(2)"), 0);
  EXPECT_EQ(out[0], 1000);
  EXPECT_EQ(out[10], 1010);
  EXPECT_EQ(out[11], 4000);  // bands follow each other: b, then g
  EXPECT_EQ(out[23], 4012);
  EXPECT_EQ(out[24], -1);
  EXPECT_EQ(fake::g->domainsAsked.back(), "ABCDEFGHIJK");  // 11 characters

  // Too many for the caller: the size is told, nothing copied.
  fake::g->channelCounts = {{1, 300}, {4, -3}};
  std::fill(out.begin(), out.end(), -1);
  EXPECT_EQ(a.GetAllowedCh(out.data(), 256, 7), 300);
  EXPECT_EQ(out[0], -1);

  // More than 512 in all: what does not fit is dropped.
  fake::g->channelCounts = {{1, 600}, {4, 13}};
  EXPECT_EQ(a.GetSoftAPAllowedCh(out.data(), kMaxChannels, 5), kMaxChannels);
  EXPECT_EQ(out[kMaxChannels - 1], 1000 + kMaxChannels - 1);
}

TEST(Channels, UsableAdHocBandsFollowTheGeneralAndDomainSwitches) {
  TestEnv env("SupportMode=14\r\n");
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  EXPECT_EQ(a.GetUsableAdHocBand(14), Band11b | Band11g | Band11a);
  EXPECT_EQ(a.GetUsableAdHocBand(2), Band11a);
  env.SetRegDword("AdHocA_FCC", 0);  // the domain's switch beats the general one
  EXPECT_EQ(a.GetUsableAdHocBand(14), Band11b | Band11g);
  env.SetRegDword("EnableAdHocG", 0);
  EXPECT_EQ(a.GetUsableAdHocBand(11), Band11b);
  EXPECT_EQ(a.GetUsableAdHocBand(3), Band11b);  // g alone still offers b
  env.SetRegDword("AdHocB", 0);
  env.SetRegDword("AdHocB_FCC", 1);
  EXPECT_TRUE(a.IsBandEnable("AdHocB"));
}

TEST(Certificates, EntriesAreCopiedFromTheLibrary) {
  TestEnv env;
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  std::vector<CertEntry> list;
  a.GetCertificateList(list, 1);
  EXPECT_TRUE(list.empty());
  fake::g->certs.resize(2);
  SetField(fake::g->certs[1].Name, "Root CA");
  a.GetCertificateList(list, 3);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(FieldText(list[1].Name), "Root CA");
}
