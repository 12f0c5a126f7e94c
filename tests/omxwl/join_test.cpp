// An independent client joins every network of the default world: the
// documented credentials get a link, wrong ones get none.
#include "omxwl_fixture.h"

namespace {

struct Join {
  const char* what;
  WLProfile profile;
};

std::string SsidOf(const WLProfile& p) {
  return std::string(p.Ssid1, strnlen(p.Ssid1, 33));
}

WLProfile AdHoc(WLProfile p) {
  p.NetworkMode = 0;
  return p;
}

WLProfile WithInner(WLProfile p, int inner) {
  p.PeapEap = inner;
  return p;
}

std::vector<Join> RightJoins() {
  return {
      {"open", OpenProfile("Ombrix-Open")},
      {"WEP 64 key 1", WepProfile("Ombrix-WEP64", 1, 0, "A70CEB1960")},
      {"WEP 64 key 3, lower-case hex", WepProfile("Ombrix-WEP64", 1, 2, "480af512cd")},
      {"WEP 128 ASCII", WepProfile("Ombrix-WEP128", 2, 0, "OmbrixKey128!")},
      {"WEP 128 hex", WepProfile("Ombrix-WEP128", 2, 0, "4F6D627269784B657931323821")},
      {"WPA-PSK TKIP", PskProfile("Ombrix-WPA-TKIP", 2, "OmbrixTKIP")},
      {"WPA2-PSK AES", PskProfile("Ombrix-WPA2-AES", 6, "OmbrixAES2")},
      {"mixed as WPA-PSK", PskProfile("Ombrix-Mixed", 2, "OmbrixMixed")},
      {"mixed as WPA2-PSK", PskProfile("Ombrix-Mixed", 6, "OmbrixMixed")},
      {"WPA2 PEAP", EapProfile("Ombrix-Corp", 7, 3, "alice", "wonderland")},
      {"WPA2 PEAP GTC, CA checked",
       WithInner(EapProfile("Ombrix-Corp", 7, 3, "alice", "wonderland", "", "Ombrix Root CA"), 1)},
      {"WPA2 TTLS", EapProfile("Ombrix-Corp", 7, 2, "alice", "wonderland")},
      {"WPA2 TLS", EapProfile("Ombrix-Corp", 7, 1, "alice", "", "alice@ombrix.example")},
      {"WPA/WPA2 as WPA", EapProfile("Ombrix-Campus", 3, 3, "carol", "Sunshine7")},
      {"WPA/WPA2 as WPA2 TTLS", EapProfile("Ombrix-Campus", 7, 2, "carol", "Sunshine7")},
      {"RADIUS LEAP", EapProfile("Ombrix-Radius", 4, 4, "bob", "builder")},
      {"RADIUS PEAP", EapProfile("Ombrix-Radius", 4, 3, "bob", "builder")},
      {"LEAP", EapProfile("Ombrix-Radius", 5, 0, "bob", "builder")},
      {"ad hoc", AdHoc(OpenProfile("Ombrix-AdHoc"))},
      {"hidden WPA2-PSK", PskProfile("Ombrix-Hidden", 6, "OmbrixHidden")},
  };
}

std::vector<Join> WrongJoins() {
  return {
      {"open network, WEP profile", WepProfile("Ombrix-Open", 1, 0, "A70CEB1960")},
      {"WEP 64 wrong key", WepProfile("Ombrix-WEP64", 1, 0, "A70CEB1961")},
      {"WEP 64 key 1 in slot 2", WepProfile("Ombrix-WEP64", 1, 1, "A70CEB1960")},
      {"WEP 64 network, 128-bit key", WepProfile("Ombrix-WEP64", 2, 0, "OmbrixKey128!")},
      {"WEP 128 wrong ASCII", WepProfile("Ombrix-WEP128", 2, 0, "OmbrixKey128?")},
      {"WEP 128 without security", OpenProfile("Ombrix-WEP128")},
      {"WPA-PSK wrong phrase", PskProfile("Ombrix-WPA-TKIP", 2, "OmbrixTKIq")},
      {"WPA-PSK network, WPA2-PSK profile", PskProfile("Ombrix-WPA-TKIP", 6, "OmbrixTKIP")},
      {"WPA2-PSK phrase in other case", PskProfile("Ombrix-WPA2-AES", 6, "ombrixaes2")},
      {"mixed wrong phrase", PskProfile("Ombrix-Mixed", 6, "OmbrixMixeD")},
      {"WPA2 wrong password", EapProfile("Ombrix-Corp", 7, 3, "alice", "Wonderland")},
      {"WPA2 wrong user", EapProfile("Ombrix-Corp", 7, 3, "alicia", "wonderland")},
      {"WPA2 TLS other certificate",
       EapProfile("Ombrix-Corp", 7, 1, "alice", "", "dave@ombrix.example")},
      {"WPA2 untrusted CA",
       EapProfile("Ombrix-Corp", 7, 3, "alice", "wonderland", "", "Example Global CA")},
      {"WPA2-only network, WPA profile", EapProfile("Ombrix-Corp", 3, 3, "alice", "wonderland")},
      {"WPA2 method not offered", EapProfile("Ombrix-Corp", 7, 4, "alice", "wonderland")},
      {"WPA/WPA2 wrong user", EapProfile("Ombrix-Campus", 3, 3, "bob", "Sunshine7")},
      {"RADIUS wrong password", EapProfile("Ombrix-Radius", 4, 4, "bob", "build")},
      {"LEAP wrong password", EapProfile("Ombrix-Radius", 5, 0, "bob", "builders")},
      {"RADIUS network, static WEP", WepProfile("Ombrix-Radius", 1, 0, "A70CEB1960")},
      {"ad-hoc network, infrastructure profile", OpenProfile("Ombrix-AdHoc")},
      {"hidden wrong phrase", PskProfile("Ombrix-Hidden", 6, "OmbrixHidde")},
      {"out of range", OpenProfile("Far-Away")},
      {"unknown infrastructure network", OpenProfile("Nobody-Here")},
  };
}

}  // namespace

TEST_F(OmxTest, DocumentedCredentialsJoinEveryNetworkOfTheDefaultWorld) {
  // The shipped default world (the built-in one is the same file, see
  // BuiltInWorldIsTheShippedFile), associating faster; the real second of
  // an association is LinkedStatusReportsTheNetwork's.
  Load(Edited(DefaultWorldText(), "AssociateTime=1000", "AssociateTime=100"));
  for (const Join& j : RightJoins()) {
    SCOPED_TRACE(j.what);
    ASSERT_TRUE(Apply(j.profile));
    EXPECT_TRUE(WaitLinked(SsidOf(j.profile))) << j.what;
  }
}

TEST_F(OmxTest, WrongCredentialsGetNoLink) {
  // The default world, associating faster so that waiting for nothing is short.
  Load(Edited(DefaultWorldText(), "AssociateTime=1000", "AssociateTime=50"));
  for (const Join& j : WrongJoins()) {
    SCOPED_TRACE(j.what);
    ASSERT_TRUE(Apply(j.profile));
    // Seven association times: a right join would have shown by then.
    EXPECT_TRUE(StaysUnlinked(350)) << j.what;
    // the settings stay applied and nothing else is joined
    EXPECT_EQ(Status().MediaState, 1u);
  }
  // and the same world still lets the right client in
  ASSERT_TRUE(Apply(OpenProfile("Ombrix-Open")));
  EXPECT_TRUE(WaitLinked("Ombrix-Open", 3000));
}

TEST_F(OmxTest, LinkedStatusReportsTheNetwork) {
  Load();
  WLProfile p = PskProfile("Ombrix-WPA2-AES", 6, "OmbrixAES2");
  SET_TEXT(p.ProfileName, "Office");
  ASSERT_TRUE(Apply(p));
  // not at once: association takes about a second
  EXPECT_EQ(Status().MediaState, 1u);
  ASSERT_TRUE(WaitLinked("Ombrix-WPA2-AES"));
  WLStatus st = Status();
  const uint8_t bssid[6] = {0x00, 0x1D, 0x4F, 0x10, 0x00, 0x05};
  EXPECT_EQ(memcmp(st.Bssid, bssid, 6), 0);
  EXPECT_GE(st.SignalLevel, -53);
  EXPECT_LE(st.SignalLevel, -47);
  EXPECT_GE(st.LinkLevel, -53);
  EXPECT_LE(st.LinkLevel, -47);
  EXPECT_EQ(st.InfraMode, 1);
  EXPECT_EQ(st.Frequency, 5180000);
  EXPECT_EQ(st.Security, 6);
  EXPECT_EQ(st.AuthMode, 7);
  EXPECT_EQ(st.NetType, 2);
  EXPECT_EQ(st.TxRate, 108);  // 54 Mbps at this signal
  uint32_t media = 1, n = 0;
  EXPECT_EQ(api_.OMXWL_QueryOID(OMXWL_OID_GEN_MEDIA_CONNECT_STATUS, &media, 4, &n), 0);
  EXPECT_EQ(media, 0u);
  EXPECT_EQ(n, 4u);
  char name[65];
  EXPECT_EQ(api_.OMXWL_GetCurrentProfile(name), 1);
  EXPECT_STREQ(name, "Office");

  // traffic flows while linked
  uint64_t rx = st.RxTotal, tx = st.TxTotal;
  ASSERT_TRUE(WaitUntil([&] { return Status().RxTotal > rx && Status().TxTotal > tx; }, 5000));
  st = Status();
  EXPECT_EQ(st.RxCounter, st.RxTotal);
  EXPECT_EQ(st.TxCounter, st.TxTotal);

  // the DHCP answer of the world once linked
  NetworkInfo ni{};
  ASSERT_EQ(api_.OMXWL_GetNetworkInfo(&ni), 1);
  char text[260];
  ASSERT_EQ(api_.OMXWL_IPDataToStr(ni.NI_IpAddr, text), 1);
  EXPECT_STREQ(text, "192.168.77.23");
  ASSERT_EQ(api_.OMXWL_IPDataToStr(ni.NI_IpGate1, text), 1);
  EXPECT_STREQ(text, "192.168.77.1");
  EXPECT_STREQ(ni.NI_sz_CurProfile, "Office");

  // disconnecting drops the link and forgets the settings
  EXPECT_EQ(api_.OMXWL_Disconnect(), 1);
  EXPECT_EQ(Status().MediaState, 1u);
  EXPECT_TRUE(StaysUnlinked(1500));
  EXPECT_EQ(api_.OMXWL_GetCurrentProfile(name), 0);
  ASSERT_EQ(api_.OMXWL_GetNetworkInfo(&ni), 1);
  EXPECT_EQ(api_.OMXWL_IPDataToStr(ni.NI_IpAddr, text), 0);
  EXPECT_STREQ(text, "");
}

TEST_F(OmxTest, BandsOfTheProfileAndTheAdapterDecideWhatIsJoined) {
  Load(Edited(DefaultWorldText(), "AssociateTime=1000", "AssociateTime=100"));
  // a g network spoken to by a b-only profile runs at b rates
  WLProfile b = OpenProfile("Ombrix-Open");
  b.ABGMode = 1;
  ASSERT_TRUE(Apply(b));
  ASSERT_TRUE(WaitLinked("Ombrix-Open"));
  EXPECT_EQ(Status().NetType, 1);
  EXPECT_LE(Status().TxRate, 22);
  // a 5 GHz network is out of reach of a b/g profile
  WLProfile bg = PskProfile("Ombrix-WPA2-AES", 6, "OmbrixAES2");
  bg.ABGMode = 11;
  ASSERT_TRUE(Apply(bg));
  EXPECT_TRUE(StaysUnlinked(700));
  // the name "ANY" joins the strongest open network
  ASSERT_TRUE(Apply(OpenProfile("ANY")));
  ASSERT_TRUE(WaitLinked("Ombrix-Open"));
  const uint8_t strongest[6] = {0x00, 0x1D, 0x4F, 0x10, 0x00, 0x01};
  EXPECT_EQ(memcmp(Status().Bssid, strongest, 6), 0);
}

TEST_F(OmxTest, AdHocProfileWithANameNotInRangeStartsItsOwnNetwork) {
  Load(Edited(DefaultWorldText(), "AssociateTime=1000", "AssociateTime=100"));
  WLProfile p = AdHoc(OpenProfile("Party-Net"));
  p.Channel = 6;
  p.AdHocBand = 3;
  ASSERT_TRUE(Apply(p));
  ASSERT_TRUE(WaitLinked("Party-Net"));
  WLStatus st = Status();
  EXPECT_EQ(st.InfraMode, 0);
  EXPECT_EQ(st.Frequency, 2437000);
  EXPECT_EQ(st.NetType, 3);
  EXPECT_EQ(st.Bssid[0] & 0x02, 0x02);  // locally administered
  EXPECT_EQ(st.Bssid[0] & 0x01, 0x00);
  uint32_t mode = 9, n = 0;
  EXPECT_EQ(api_.OMXWL_QueryOID(OMXWL_OID_802_11_INFRASTRUCTURE_MODE, &mode, 4, &n), 0);
  EXPECT_EQ(mode, 0u);

  // a channel the domain does not allow falls back to an allowed one
  WLProfile a = AdHoc(OpenProfile("Party-A"));
  a.Channel = 14;
  a.AdHocBand = 2;
  ASSERT_TRUE(Apply(a));
  ASSERT_TRUE(WaitLinked("Party-A"));
  EXPECT_EQ(Status().Frequency, 5180000);

  // an ad-hoc name that is heard but refuses the settings is not copied
  WLProfile wrong = AdHoc(WepProfile("Ombrix-AdHoc", 1, 0, "A70CEB1960"));
  ASSERT_TRUE(Apply(wrong));
  EXPECT_TRUE(StaysUnlinked(700));
  // and 802.1X cannot start an ad-hoc network
  ASSERT_TRUE(Apply(AdHoc(EapProfile("Party-X", 7, 3, "a", "b"))));
  EXPECT_TRUE(StaysUnlinked(700));
}

TEST_F(OmxTest, SetWLANStatusRefusesRecordsItDidNotBuild) {
  Load();
  WLStatus st{};
  int32_t word = 0;
  EXPECT_EQ(api_.OMXWL_SetWLANStatus(&word, &st), 0);
  WLProfile p = OpenProfile("Ombrix-Open");
  p.EncryptionMethod = 9;
  ASSERT_EQ(api_.OMXWL_WLProfileToWLStatus(&p, &st), 1);
  EXPECT_EQ(api_.OMXWL_SetWLANStatus(&word, &st), 0);
  // texts without terminators are cut, not overrun
  WLProfile q = OpenProfile("Ombrix-Open");
  memset(q.ProfileName, 'N', sizeof q.ProfileName);
  memset(q.WPAPassphrase, 'W', sizeof q.WPAPassphrase);
  memset(q.Ssid1, 'S', sizeof q.Ssid1);
  WLStatus built{};
  ASSERT_EQ(api_.OMXWL_WLProfileToWLStatus(&q, &built), 1);
  EXPECT_EQ(built.SsidLength, 32u);
  EXPECT_EQ(api_.OMXWL_SetWLANStatus(&word, &built), 1);
  EXPECT_GT(word, 0);
  char name[65];
  EXPECT_EQ(api_.OMXWL_GetCurrentProfile(name), 1);
  EXPECT_EQ(strlen(name), 64u);
}
