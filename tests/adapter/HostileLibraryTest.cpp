// A vendor library that answers with random records: counts beyond the
// buffers, texts without terminator, negative and huge numbers, failures at
// random. The adapter keeps to its buffers, lists only sound entries and
// goes on working.
#include <algorithm>
#include <set>

#include "FuzzSupport.h"
#include "adapter/FakeOmx.h"
#include "adapter/Unicadapter.h"
#include "pages/station/Ustationlogic.h"

namespace {

// What the hostile library draws from; entry points run on the worker as
// well, so every draw is under the lock.
struct Hostile {
  std::mutex lock;
  std::mt19937 rng;
  int profiles = 0;
  bool endless = false;  // profile enumeration that never ends
  std::vector<CertEntry> certs;
  bool domainUnterminated = false;
  uint32_t Draw() {
    std::lock_guard<std::mutex> l(lock);
    return rng();
  }
  void Fill(void* p, size_t n) {
    std::lock_guard<std::mutex> l(lock);
    fuzz::Scramble(rng, p, n);
  }
};
Hostile* h = nullptr;

int32_t HostileCount() {
  static const int32_t kCounts[] = {-1,  0,   1,   255,    256,       257,
                                    511, 512, 513, 100000, INT32_MAX, INT32_MIN};
  const uint32_t r = h->Draw();
  return r % 3 ? static_cast<int32_t>(r % 40) : kCounts[(r / 3) % 12];
}

int32_t Result() {
  return h->Draw() % 4 ? 1 : static_cast<int32_t>(h->Draw() % 3) - 1;
}

struct Lib {
  static int32_t __stdcall DevDetect(DetectRec* rec) {
    h->Fill(rec, sizeof *rec);
    return Result();
  }
  static int32_t __stdcall QueryOID(uint32_t, void* buf, uint32_t len, uint32_t* written) {
    h->Fill(buf, len);
    if (written) *written = h->Draw();
    return h->Draw() % 4 ? 0 : 1;
  }
  static int32_t __stdcall GetWLANDomain(char* domain) {
    h->Fill(domain, 256);
    return Result();
  }
  static int32_t __stdcall GetWLANDriverPath(char* path) {
    h->Fill(path, 256);
    return Result();
  }
  static int32_t __stdcall EnumWLProfiles(int32_t index, char* name) {
    if (!h->endless && index >= h->profiles) return 0;
    h->Fill(name, 256);
    if (h->Draw() % 2) name[0] = static_cast<char>('A' + index % 26);
    return 1;
  }
  static int32_t __stdcall GetWLProfile(const char*, WLProfile* p) {
    h->Fill(p, sizeof *p);
    return Result();
  }
  static int32_t __stdcall SetOrDelete(const char*, const WLProfile*) { return Result(); }
  static int32_t __stdcall Delete(const char*) { return Result(); }
  static int32_t __stdcall SiteSurveyGet(SiteList* list, uint32_t* len) {
    h->Fill(list, *len < sizeof *list ? *len : sizeof *list);
    list->Count = static_cast<uint32_t>(HostileCount());
    for (SiteEntry& e : list->Entries) {
      const uint32_t r = h->Draw();
      if (r % 3 == 0) continue;  // left as random bytes
      e.SsidLength = r % 41;     // around the 32-byte name
      if (r % 7 == 0) std::memset(e.Bssid, 0, sizeof e.Bssid);
      if (r % 5 == 0 && &e != list->Entries) e = (&e)[-1];  // the same site twice
    }
    return Result();
  }
  static int32_t __stdcall FrequencyToChannel(int32_t) { return static_cast<int32_t>(h->Draw()); }
  static int32_t __stdcall AllowedChannels(int32_t* out, int32_t, const char* domain) {
    // The program hands a domain of at most 11 characters, terminated.
    if (!memchr(domain, 0, kDomainBufferSize)) h->domainUnterminated = true;
    const int32_t n = HostileCount();
    for (int32_t i = 0; i < n && i < kMaxChannels; ++i) out[i] = static_cast<int32_t>(h->Draw());
    return n;
  }
  static int32_t __stdcall EnumCertificates(const CertEntry** entries, int32_t) {
    const uint32_t r = h->Draw();
    *entries = r % 5 ? h->certs.data() : nullptr;
    // Never more than the array holds: the program cannot know its size.
    return static_cast<int32_t>(r % (h->certs.size() + 1)) - (r % 7 == 0 ? 5 : 0);
  }
  static int32_t __stdcall GetWLANStatus(int32_t* again, WLStatus* s) {
    h->Fill(s, sizeof *s);
    *again = static_cast<int32_t>(h->Draw() % 2);
    return Result();
  }
  static int32_t __stdcall GetNetworkInfo(NetworkInfo* info) {
    h->Fill(info, sizeof *info);
    return Result();
  }
  static int32_t __stdcall WLProfileToWLStatus(const WLProfile*, WLStatus* s) {
    h->Fill(s, sizeof *s);
    return Result();
  }
  static int32_t __stdcall SetWLANStatus(int32_t* word, WLStatus*) {
    *word = static_cast<int32_t>(h->Draw());
    return Result();
  }
};

OmxEntryTable HostileTable() {
  OmxEntryTable t = fake::Table();
  t.OMXWL_DevDetect = &Lib::DevDetect;
  t.OMXWL_QueryOID = &Lib::QueryOID;
  t.OMXWL_GetWLANDomain = &Lib::GetWLANDomain;
  t.OMXWL_GetWLANDriverPath = &Lib::GetWLANDriverPath;
  t.OMXWL_EnumWLProfiles = &Lib::EnumWLProfiles;
  t.OMXWL_GetWLProfile = &Lib::GetWLProfile;
  t.OMXWL_SetWLProfile = &Lib::SetOrDelete;
  t.OMXWL_DeleteWLProfile = &Lib::Delete;
  t.OMXWL_SiteSurveyGet = &Lib::SiteSurveyGet;
  t.OMXWL_FrequencyToChannel = &Lib::FrequencyToChannel;
  t.OMXWL_GetAllowedChannel = t.OMXWL_GetAPAllowedChannel = &Lib::AllowedChannels;
  t.OMXWL_EnumCertificates = &Lib::EnumCertificates;
  t.OMXWL_GetWLANStatus = &Lib::GetWLANStatus;
  t.OMXWL_GetNetworkInfo = &Lib::GetNetworkInfo;
  t.OMXWL_WLProfileToWLStatus = &Lib::WLProfileToWLStatus;
  t.OMXWL_SetWLANStatus = &Lib::SetWLANStatus;
  return t;
}

bool ZeroBssid(const SiteEntry& e) {
  return std::all_of(std::begin(e.Bssid), std::end(e.Bssid), [](uint8_t b) { return b == 0; });
}

}  // namespace

TEST(HostileLibrary, RandomRecordsCountsAndTextsStayInsideTheBuffers) {
  fuzz::Run(
      "HostileLibrary.RandomRecordsCountsAndTextsStayInsideTheBuffers", 4400, 15,
      [](std::mt19937& rng, uint32_t seed) {
        TestEnv env;
        Hostile hostile;
        h = &hostile;
        hostile.rng.seed(seed);
        hostile.profiles = static_cast<int>(fuzz::Below(rng, 8));
        hostile.endless = fuzz::Chance(rng, 5);
        hostile.certs.resize(fuzz::Below(rng, 4));
        for (CertEntry& c : hostile.certs) fuzz::Scramble(rng, &c, sizeof c);
        ASSERT_TRUE(g_OmxLib.BindTable(lockcheck::Checked(HostileTable())));

        {
          CNICAdapter a(nullptr, 0, TestEnv::Device());
          EXPECT_EQ(a.MacAddress.size(), 17u);
          EXPECT_LE(a.Domain.size(), 256u);

          std::vector<WLProfile> list;
          a.GetProfileList(kStationList, list);
          EXPECT_LE(list.size(), 4096u);
          for (const WLProfile& p : list) {
            ASSERT_TRUE(memchr(p.ProfileName, 0, sizeof p.ProfileName));
            EXPECT_EQ(FieldText(p.NetInfo.NI_sz_CurProfile), FieldText(p.ProfileName));
          }
          // A list the library could not read whole leaves the order as it was.
          if (env.LogLines("order kept").empty()) {
            EXPECT_EQ(env.Reg("ProfCount"), "#" + std::to_string(list.size()));
          } else {
            EXPECT_EQ(env.Reg("ProfCount"), "<none>");
          }

          // Sites: sound entries only, each once.
          std::vector<SiteEntry> sites;
          a.GetSiteList(sites);
          EXPECT_LE(sites.size(), static_cast<size_t>(kMaxSiteEntries));
          std::set<std::string> seen;
          for (const SiteEntry& e : sites) {
            ASSERT_GE(e.SsidLength, 1u);
            ASSERT_LE(e.SsidLength, 32u);
            EXPECT_NE(e.Ssid[0], 0);
            EXPECT_FALSE(ZeroBssid(e));
            const std::string id(reinterpret_cast<const char*>(e.Ssid), e.SsidLength);
            EXPECT_TRUE(
                seen.insert(id + std::string(reinterpret_cast<const char*>(e.Bssid), 6)).second);
            WLProfile joined;
            a.SiteToProfile(e, joined);
            EXPECT_TRUE(memchr(joined.Ssid1, 0, sizeof joined.Ssid1));
          }
          SiteEntry garbage;
          fuzz::Scramble(rng, &garbage, sizeof garbage);
          WLProfile joined;
          a.SiteToProfile(garbage, joined);
          EXPECT_TRUE(memchr(joined.Ssid1, 0, sizeof joined.Ssid1));

          // Channels: never more than the caller's capacity is written.
          for (bool softAP : {false, true}) {
            const int capacity = static_cast<int>(fuzz::Below(rng, 600));
            std::vector<int32_t> out(capacity + 8, 0x0BADF00D);
            const int32_t bands = static_cast<int32_t>(rng());
            const int n = softAP ? a.GetSoftAPAllowedCh(out.data(), capacity, bands)
                                 : a.GetAllowedCh(out.data(), capacity, bands);
            EXPECT_GE(n, 0);
            EXPECT_LE(n, kMaxChannels);
            const int written = n <= capacity ? n : 0;
            for (int i = written; i < capacity + 8; ++i)
              ASSERT_EQ(out[i], 0x0BADF00D) << "entry " << i << " of " << capacity;
          }
          EXPECT_FALSE(hostile.domainUnterminated);

          std::vector<CertEntry> certs;
          a.GetCertificateList(certs, 1);
          EXPECT_LE(certs.size(), hostile.certs.size());

          // Status samples as the pages turn them into texts and lamps.
          a.CollectStatus();
          WLStatus s;
          a.GetStatus(s);
          EXPECT_GE(stationlogic::LampCount(s.SignalLevel), 0);
          stationlogic::RateText(s.TxRate, "Mbps");
          stationlogic::KbitRate(s.TxCounter, s.RxCounter, static_cast<uint32_t>(rng()));
          EXPECT_GE(CFAGlobalVar::SignalPercent(s.SignalLevel), 0);
          EXPECT_LE(CFAGlobalVar::SignalPercent(s.SignalLevel), 100);

          // A connection with a profile of random bytes: the last
          // applied profile is stored with every text terminated.
          // (Only some cases: a good connection waits a second before it ends.)
          if (!fuzz::Chance(rng, 20)) return;
          WLProfile wild;
          fuzz::Scramble(rng, &wild, sizeof wild);
          wild.ApplyNetwork = 0;  // a failed restart waits ten seconds
          a.Connect(wild);
          EXPECT_TRUE(WaitUntil(
              [&] { return !env.LogLines("CNICAdapter::DoConnect() end").empty(); }, 20000));
          WLProfile last{};
          if (g_GlobalVar.ProfFromIniFile("LastApplyProf", last)) {
            EXPECT_TRUE(memchr(last.ProfileName, 0, sizeof last.ProfileName));
            EXPECT_TRUE(memchr(last.WPAPassphrase, 0, sizeof last.WPAPassphrase));
          }
        }
        h = nullptr;
      });
}

TEST(HostileLibrary, AnAbsurdCertificateCountIsCutToTheMostAStoreCanHold) {
  TestEnv env;
  static std::vector<CertEntry> store(1024);
  for (size_t i = 0; i < store.size(); ++i) SetField(store[i].Name, "cert" + std::to_string(i));
  OmxEntryTable t = fake::Table();
  t.OMXWL_EnumCertificates = [](const CertEntry** entries, int32_t) -> int32_t __stdcall {
    *entries = store.data();
    return INT32_MAX;
  };
  ASSERT_TRUE(g_OmxLib.BindTable(t));
  CNICAdapter a(nullptr, CmdService, TestEnv::Device());
  std::vector<CertEntry> certs;
  a.GetCertificateList(certs, 1);
  ASSERT_EQ(certs.size(), store.size());
  EXPECT_EQ(FieldText(certs.back().Name), "cert1023");
  EXPECT_EQ(env.LogLines("GetCertificateList: 2147483647 entries cut to 1024").size(), 1u);
}
