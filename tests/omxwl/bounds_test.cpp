// Conversions, channel sets, key derivation, buffer bounds and calls from
// many threads at once.
#include <windows.h>
// after windows.h
#include <wincrypt.h>

#include <atomic>
#include <thread>

#include "omxwl_fixture.h"

namespace {

std::vector<int32_t> Channels(PFN_OMXWL_GetAllowedChannel fn, int band, const char* domain) {
  std::vector<int32_t> buf(512, -1);
  int32_t n = fn(buf.data(), band, domain);
  EXPECT_GE(n, 0);
  EXPECT_LE(n, 512);
  for (size_t i = std::max(n, 0); i < buf.size(); ++i)
    EXPECT_EQ(buf[i], -1) << "written past " << n;
  buf.resize(std::max(n, 0));
  return buf;
}

std::vector<int32_t> Range(int first, int last, int step = 1) {
  std::vector<int32_t> r;
  for (int c = first; c <= last; c += step) r.push_back(c);
  return r;
}

std::vector<int32_t> Join(std::initializer_list<std::vector<int32_t>> parts) {
  std::vector<int32_t> r;
  for (const auto& p : parts) r.insert(r.end(), p.begin(), p.end());
  return r;
}

// MD5 through the system's CryptoAPI, to check the library's own.
std::string SystemWep128(const std::string& phrase) {
  std::string buf;
  while (buf.size() < 64) buf += phrase;
  buf.resize(64);
  HCRYPTPROV prov = 0;
  HCRYPTHASH hash = 0;
  BYTE digest[16];
  DWORD size = sizeof digest;
  if (!CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return "";
  bool ok = CryptCreateHash(prov, CALG_MD5, 0, 0, &hash) &&
            CryptHashData(hash, reinterpret_cast<const BYTE*>(buf.data()), 64, 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
  if (hash) CryptDestroyHash(hash);
  CryptReleaseContext(prov, 0);
  if (!ok) return "";
  char hex[27];
  for (int i = 0; i < 13; ++i) snprintf(hex + 2 * i, 3, "%02X", digest[i]);
  return hex;
}

}  // namespace

TEST_F(OmxTest, ChannelsAndFrequenciesConvertBothWays) {
  Load();
  for (int ch = 1; ch <= 13; ++ch) {
    EXPECT_EQ(api_.OMXWL_ChannelToFrequency(ch), 2407000 + 5000 * ch);
    EXPECT_EQ(api_.OMXWL_FrequencyToChannel(2407000 + 5000 * ch), ch);
  }
  EXPECT_EQ(api_.OMXWL_ChannelToFrequency(14), 2484000);
  EXPECT_EQ(api_.OMXWL_FrequencyToChannel(2484000), 14);
  for (int ch : Join({Range(36, 64, 4), Range(100, 140, 4), Range(149, 165, 4)})) {
    EXPECT_EQ(api_.OMXWL_ChannelToFrequency(ch), 5000000 + 5000 * ch);
    EXPECT_EQ(api_.OMXWL_FrequencyToChannel(5000000 + 5000 * ch), ch);
  }
  EXPECT_EQ(api_.OMXWL_FrequencyToChannel(5180000), 36);
  for (int bad : {0, -1, 2411000, 2437, 2489000, 5180001, 4920000, 6000000})
    EXPECT_EQ(api_.OMXWL_FrequencyToChannel(bad), 0) << bad;
  for (int bad : {0, -6, 15, 200}) EXPECT_EQ(api_.OMXWL_ChannelToFrequency(bad), 0) << bad;
}

TEST_F(OmxTest, AllowedChannelsFollowBandAndDomain) {
  Load();
  auto sta = api_.OMXWL_GetAllowedChannel;
  auto ap = api_.OMXWL_GetAPAllowedChannel;
  EXPECT_EQ(Channels(sta, 1, "FCC"), Range(1, 11));
  EXPECT_EQ(Channels(sta, 4, "FCC"), Range(1, 11));
  EXPECT_EQ(Channels(sta, 1, "ETSI"), Range(1, 13));
  EXPECT_EQ(Channels(sta, 1, "MKK"), Range(1, 14));
  EXPECT_EQ(Channels(sta, 4, "MKK"), Range(1, 13));  // 14 is 802.11b only
  EXPECT_EQ(Channels(sta, 1, "mkk"), Range(1, 14));
  EXPECT_EQ(Channels(sta, 2, "FCC"),
            Join({Range(36, 64, 4), Range(100, 140, 4), Range(149, 165, 4)}));
  EXPECT_EQ(Channels(sta, 2, "ETSI"), Join({Range(36, 64, 4), Range(100, 140, 4)}));
  EXPECT_EQ(Channels(sta, 2, "MKK"), Join({Range(36, 64, 4), Range(100, 140, 4)}));
  // an access point keeps off the radar channels
  EXPECT_EQ(Channels(ap, 2, "FCC"), Join({Range(36, 48, 4), Range(149, 165, 4)}));
  EXPECT_EQ(Channels(ap, 2, "ETSI"), Range(36, 48, 4));
  EXPECT_EQ(Channels(ap, 1, "MKK"), Range(1, 13));
  // unknown domains and bands give nothing
  EXPECT_TRUE(Channels(sta, 1, "Atlantis").empty());
  EXPECT_TRUE(Channels(sta, 8, "FCC").empty());
  EXPECT_TRUE(Channels(sta, 0, "FCC").empty());
  std::string longDomain(300, 'F');  // no terminator within reach: refused
  EXPECT_TRUE(Channels(sta, 1, longDomain.c_str()).empty());
}

TEST_F(OmxTest, PassphraseToWEPKeyUsesTheConventionalAlgorithms) {
  Load();
  WEPKeySet keys;
  memset(&keys, 0x5A, sizeof keys);
  ASSERT_EQ(api_.OMXWL_PassphraseToWEPKey("ombrix", 1, &keys), 1);
  EXPECT_EQ(keys.KeyLength, 5);
  // computed independently (Python) from the 32-bit LCG convention
  EXPECT_STREQ(keys.Keys[0], "A70CEB1960");
  EXPECT_STREQ(keys.Keys[1], "83E25E4FC1");
  EXPECT_STREQ(keys.Keys[2], "480AF512CD");
  EXPECT_STREQ(keys.Keys[3], "58B229E249");
  ASSERT_EQ(api_.OMXWL_PassphraseToWEPKey("Test", 1, &keys), 1);
  EXPECT_STREQ(keys.Keys[0], "B210D55EEA");
  EXPECT_STREQ(keys.Keys[3], "A04DD8AF33");

  ASSERT_EQ(api_.OMXWL_PassphraseToWEPKey("ombrix", 2, &keys), 1);
  EXPECT_EQ(keys.KeyLength, 13);
  EXPECT_STREQ(keys.Keys[0], "5561881BCAEC2D87E3EB68F535");
  for (const char* phrase :
       {"ombrix", "a", "exactly-sixty-four-characters-long-phrase-for-the-md5-block-xx",
        "a much longer pass phrase than sixty-four characters, cut by the rule"}) {
    ASSERT_EQ(api_.OMXWL_PassphraseToWEPKey(phrase, 2, &keys), 1);
    EXPECT_EQ(std::string(keys.Keys[0]), SystemWep128(phrase)) << phrase;
    for (int i = 1; i < 4; ++i) EXPECT_STREQ(keys.Keys[i], keys.Keys[0]);
  }

  // what cannot be converted leaves the keys alone
  memset(&keys, 0x5A, sizeof keys);
  EXPECT_EQ(api_.OMXWL_PassphraseToWEPKey("", 1, &keys), 0);
  EXPECT_EQ(api_.OMXWL_PassphraseToWEPKey("phrase", 3, &keys), 0);
  std::string unterminated(400, 'p');
  EXPECT_EQ(api_.OMXWL_PassphraseToWEPKey(unterminated.c_str(), 1, &keys), 0);
  EXPECT_EQ(keys.KeyLength, 0x5A5A5A5A);
}

TEST_F(OmxTest, AddressTextsConvertBothWays) {
  Load();
  uint8_t ip[4] = {9, 9, 9, 9};
  ASSERT_EQ(api_.OMXWL_StrToIPData("192.168.1.10", ip), 1);
  const uint8_t want[4] = {192, 168, 1, 10};
  EXPECT_EQ(memcmp(ip, want, 4), 0);
  char text[260];
  memset(text, 0x5A, sizeof text);
  ASSERT_EQ(api_.OMXWL_IPDataToStr(ip, text), 1);
  EXPECT_STREQ(text, "192.168.1.10");
  EXPECT_EQ(text[13], 0x5A);
  for (const char* bad : {"1.2.3", "256.1.1.1", "1.2.3.4x", "1..2.3", "a.b.c.d", "1.2.3.4.5"}) {
    EXPECT_EQ(api_.OMXWL_StrToIPData(bad, ip), 0) << bad;
    EXPECT_EQ(memcmp(ip, want, 4), 0) << bad;
  }
  ASSERT_EQ(api_.OMXWL_StrToIPData("", ip), 1);
  EXPECT_EQ(api_.OMXWL_IPDataToStr(ip, text), 0);  // 0.0.0.0 is "none"
  EXPECT_STREQ(text, "");
}

TEST_F(OmxTest, TextsOfTheWorldNeverOverrunTheCallersBuffers) {
  std::string longDomain(255, 'D'), longDriver(255, 'V'), longDescription(127, 'E');
  Load("[Adapter A]\nHardwareId=USB\\VID_1D4F&PID_0A71\nMAC=00:1D:4F:00:00:01\nDomain=" +
       longDomain + "\nDriver=" + longDriver + "\nDescription=" + longDescription + "\n");
  char buf[300];
  memset(buf, 0x5A, sizeof buf);
  ASSERT_EQ(api_.OMXWL_GetWLANDomain(buf), 1);
  EXPECT_EQ(std::string(buf), longDomain);
  for (size_t i = 256; i < sizeof buf; ++i) ASSERT_EQ(buf[i], 0x5A);
  memset(buf, 0x5A, sizeof buf);
  ASSERT_EQ(api_.OMXWL_GetWLANDriverPath(buf), 1);
  EXPECT_EQ(std::string(buf), longDriver);
  for (size_t i = 256; i < sizeof buf; ++i) ASSERT_EQ(buf[i], 0x5A);
  DetectRec rec{};
  ASSERT_EQ(api_.OMXWL_DevDetect(&rec), 1);
  EXPECT_EQ(std::string(rec.Description), longDescription);
  // the unknown long domain has no channels
  int32_t channels[512];
  EXPECT_EQ(api_.OMXWL_GetAllowedChannel(channels, 1, nullptr), 0);

  // buffers that are too short are refused, not overrun
  uint8_t mac[8];
  memset(mac, 0x5A, sizeof mac);
  uint32_t n = 0;
  EXPECT_NE(api_.OMXWL_QueryOID(OMXWL_OID_802_3_CURRENT_ADDRESS, mac, 5, &n), 0);
  EXPECT_EQ(n, 6u);  // what is needed
  for (uint8_t b : mac) EXPECT_EQ(b, 0x5A);
  uint32_t list[4] = {0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A};
  uint32_t len = 3;
  EXPECT_EQ(api_.OMXWL_SiteSurveyGet(reinterpret_cast<SiteList*>(list), &len), 0);
  EXPECT_EQ(list[0], 0x5A5A5A5Au);
}

TEST_F(OmxTest, CertificatesStayValidUntilTheNextCall) {
  Load();
  const CertEntry* users = nullptr;
  ASSERT_EQ(api_.OMXWL_EnumCertificates(&users, 1), 2);
  EXPECT_STREQ(users[0].Name, "alice@ombrix.example");
  EXPECT_STREQ(users[0].Display, "Alice Example (issued by Ombrix Root CA)");
  const CertEntry* cas = nullptr;
  ASSERT_EQ(api_.OMXWL_EnumCertificates(&cas, 3), 2);
  EXPECT_STREQ(cas[0].Name, "Ombrix Root CA");
  EXPECT_STREQ(users[1].Name, "dave@ombrix.example");  // another kind leaves it alone
  const CertEntry* none = nullptr;
  EXPECT_EQ(api_.OMXWL_EnumCertificates(&none, 2), 0);
}

TEST_F(OmxTest, CallsFromManyThreadsWhileTheWorldChanges) {
  std::string world = Edited(DefaultWorldText(), "ScanTime=1500", "ScanTime=50");
  world = Edited(world, "AssociateTime=1000", "AssociateTime=50");
  Load(world);
  std::atomic<bool> stop{false};
  std::atomic<int> calls{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      auto list = std::make_unique<SiteList>();
      while (!stop) {
        uint32_t len = sizeof(SiteList);
        api_.OMXWL_SiteSurveyScan();
        if (api_.OMXWL_SiteSurveyGet(list.get(), &len) == 1) {
          EXPECT_LE(len, sizeof(SiteList));
          EXPECT_EQ(len, 4 + std::min<uint32_t>(list->Count, 256) * sizeof(SiteEntry));
        }
        WLStatus st{};
        int32_t again;
        if (api_.OMXWL_GetWLANStatus(&again, &st) == 1) {
          EXPECT_LE(st.SsidLength, 32u);
        }
        WLProfile p =
            t % 2 ? OpenProfile("Ombrix-Open") : PskProfile("Ombrix-Mixed", 6, "OmbrixMixed");
        WLStatus built{};
        api_.OMXWL_WLProfileToWLStatus(&p, &built);
        api_.OMXWL_SetWLANStatus(&again, &built);
        DetectRec rec{};
        api_.OMXWL_DevDetect(&rec);
        std::string name = "Thread" + std::to_string(t);
        api_.OMXWL_SetWLProfile(name.c_str(), &p);
        const CertEntry* certs;
        api_.OMXWL_EnumCertificates(&certs, 1 + 2 * (t % 2));
        ++calls;
      }
    });
  for (int i = 0; i < 6; ++i) {
    WriteWorld(i % 2 ? world : Edited(world, "Present=1", "Present=0"));
    WaitUntil([] { return false; }, 400);  // pumps this thread's windows meanwhile
  }
  stop = true;
  for (std::thread& th : threads) th.join();
  EXPECT_GT(calls.load(), 20);
  DetectRec rec{};
  EXPECT_TRUE(WaitUntil([&] { return api_.OMXWL_DevDetect(&rec) == 1; }));  // last world: plugged
}
