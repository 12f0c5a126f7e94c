// The fault knobs of the [Faults] section, for the program's reliability
// tests.
#include <atomic>
#include <mutex>
#include <thread>

#include "omxwl_fixture.h"

namespace {

const char kWorld[] =
    "[World]\nScanTime=100\nAssociateTime=100\n"
    "[Adapter A]\nHardwareId=USB\\VID_1D4F&PID_0A71\nDescription=Test Adapter\n"
    "MAC=00:1D:4F:00:00:01\n"
    "[Network N]\nSSID=Plain\nBSSID=02:00:00:00:00:01\nChannel=6\nSecurity=0\nSignal=-50\n"
    "[Network K]\nSSID=Keyed\nBSSID=02:00:00:00:00:02\nChannel=1\nSecurity=24\nPSK=12345678\n"
    "Signal=-60\n";

std::string WithFaults(const std::string& faults) {
  return std::string(kWorld) + "[Faults]\n" + faults;
}

}  // namespace

class FaultTest : public OmxTest {
 protected:
  void SetUp() override {
    OmxTest::SetUp();
    scanWaitMs_ = 300;
  }
  SiteList* Fetch(uint32_t* len) {
    list_ = std::make_unique<SiteList>();
    *len = sizeof(SiteList);
    EXPECT_EQ(api_.OMXWL_SiteSurveyGet(list_.get(), len), 1);
    return list_.get();
  }
  std::unique_ptr<SiteList> list_;
};

TEST_F(FaultTest, DelayHoldsOnlyTheNamedCallAndFollowsTheWorld) {
  Load(WithFaults("Delay.SiteSurveyScan=1500\n"));
  DWORD start = GetTickCount();
  std::atomic<bool> done{false};
  std::thread slow([&] {
    EXPECT_EQ(api_.OMXWL_SiteSurveyScan(), 1);
    done = true;
  });
  Sleep(200);
  // other calls go on meanwhile: the delay holds no lock
  DetectRec rec{};
  EXPECT_EQ(api_.OMXWL_DevDetect(&rec), 1);
  EXPECT_FALSE(done);
  slow.join();
  EXPECT_GE(GetTickCount() - start, 1400u);

  // with the OMXWL_ prefix too; removing the knob ends a long delay early
  WriteWorld(WithFaults("Delay.OMXWL_GetWLANDomain=60000\nFail.DevDetect=1\n"));
  ASSERT_TRUE(WaitUntil([&] { return api_.OMXWL_DevDetect(&rec) == 0; }));  // the new world is live
  done = false;
  std::thread hung([&] {
    char domain[256];
    EXPECT_EQ(api_.OMXWL_GetWLANDomain(domain), 1);
    done = true;
  });
  Sleep(500);
  EXPECT_FALSE(done);
  WriteWorld(kWorld);
  EXPECT_TRUE(WaitUntil([&] { return done.load(); }, 10000));
  hung.join();
}

TEST_F(FaultTest, FailMakesTheNamedCallFail) {
  Load(
      WithFaults("Fail.DevDetect=1\nFail.QueryOID=1\nFail.GetWLANStatus=1\nFail.SetWLProfile=1\n"));
  DetectRec rec{};
  EXPECT_EQ(api_.OMXWL_DevDetect(&rec), 0);
  uint8_t mac[6] = {};
  uint32_t n = 0;
  EXPECT_NE(api_.OMXWL_QueryOID(OMXWL_OID_802_3_CURRENT_ADDRESS, mac, 6, &n), 0);
  int32_t again = 0;
  WLStatus st{};
  EXPECT_EQ(api_.OMXWL_GetWLANStatus(&again, &st), 0);
  WLProfile p = OpenProfile("x");
  EXPECT_EQ(api_.OMXWL_SetWLProfile("P", &p), 0);
  char name[256];
  EXPECT_EQ(api_.OMXWL_EnumWLProfiles(0, name), 0);  // nothing was stored
  // other calls are unaffected
  EXPECT_EQ(api_.OMXWL_SiteSurveyScan(), 1);
  WriteWorld(WithFaults("Fail.DevDetect=0\n"));
  EXPECT_TRUE(WaitUntil([&] { return api_.OMXWL_DevDetect(&rec) == 1; }));
}

TEST_F(FaultTest, MisspeltKnobMakesTheWorldFileBad) {
  TraceLog trace;
  // at start: the built-in world, and the trace names the knob
  Load(WithFaults("Fail.DevDetekt=1\n"));
  DetectRec rec{};
  ASSERT_EQ(api_.OMXWL_DevDetect(&rec), 1);
  EXPECT_STREQ(rec.Description, "Ombrix 802.11a/b/g USB Wireless Adapter");
  EXPECT_TRUE(trace.Has("cannot be used")) << trace.Text();
  EXPECT_TRUE(trace.Has("Fail.DevDetekt")) << trace.Text();
  Unload();

  // while running: the last good world stays, with its knobs
  Load(WithFaults("Fail.DevDetect=1\n"));
  ASSERT_EQ(api_.OMXWL_DevDetect(&rec), 0);
  WriteWorld(WithFaults("Fail.DevDetect=0\nDelay.SiteSurvey=10\n"));
  EXPECT_TRUE(WaitUntil([&] { return trace.Has("Delay.SiteSurvey"); })) << trace.Text();
  EXPECT_EQ(api_.OMXWL_DevDetect(&rec), 0);
}

TEST_F(FaultTest, EveryEntryPointOfTheTableHasKnobs) {
  std::string faults;
#define OMX_KNOBS(name, args) \
  faults += std::string("Delay.") + #name + "=0\nFail." + (#name + 6) + "=0\n";
  OMXWL_ENTRY_POINTS(OMX_KNOBS)
#undef OMX_KNOBS
  Load(WithFaults(faults));
  DetectRec rec{};
  ASSERT_EQ(api_.OMXWL_DevDetect(&rec), 1);
  EXPECT_STREQ(rec.Description, "Test Adapter");  // the file was taken
}

TEST_F(FaultTest, MalformedScanEntries) {
  Load(WithFaults("ScanMalformed=1\n"));
  std::vector<SiteEntry> sites = Scan();
  bool overlong = false, emptyName = false, zeroBssid = false;
  int plain = 0;
  for (const SiteEntry& e : sites) {
    overlong = overlong || e.SsidLength > 32;
    emptyName = emptyName || (e.SsidLength > 0 && e.SsidLength <= 32 && e.Ssid[0] == 0);
    const uint8_t zero[6] = {};
    zeroBssid = zeroBssid || memcmp(e.Bssid, zero, 6) == 0;
    plain += e.SsidLength == 5 && memcmp(e.Ssid, "Plain", 5) == 0;
  }
  EXPECT_TRUE(overlong);
  EXPECT_TRUE(emptyName);
  EXPECT_TRUE(zeroBssid);
  EXPECT_EQ(plain, 2);  // reported twice
}

TEST_F(FaultTest, EntryCountAbove256WritesNoMoreThanTheBuffer) {
  Load(WithFaults("ScanCount=300\n"));
  ASSERT_EQ(api_.OMXWL_SiteSurveyScan(), 1);
  Sleep(400);
  uint32_t len = 0;
  SiteList* list = Fetch(&len);
  EXPECT_EQ(list->Count, 300u);
  EXPECT_EQ(len, sizeof(SiteList));
  const uint8_t zero[6] = {};
  EXPECT_NE(memcmp(list->Entries[255].Bssid, zero, 6), 0);  // all 256 entries filled

  // a smaller buffer gets what fits, and not a byte more
  std::vector<uint8_t> small(4 + 10 * sizeof(SiteEntry) + 64, 0xEE);
  uint32_t smallLen = 4 + 10 * sizeof(SiteEntry) + 50;
  ASSERT_EQ(api_.OMXWL_SiteSurveyGet(reinterpret_cast<SiteList*>(small.data()), &smallLen), 1);
  EXPECT_EQ(smallLen, 4 + 10 * sizeof(SiteEntry));
  for (size_t i = smallLen; i < small.size(); ++i) ASSERT_EQ(small[i], 0xEE) << i;
}

TEST_F(FaultTest, ChannelCountAbove512WritesOnlyTheRealSet) {
  Load(WithFaults("ChannelCount=600\n"));
  std::vector<int32_t> buf(600, -7);
  EXPECT_EQ(api_.OMXWL_GetAllowedChannel(buf.data(), 1, "FCC"), 600);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(buf[i], i + 1);
  for (size_t i = 11; i < buf.size(); ++i) ASSERT_EQ(buf[i], -7) << i;
  EXPECT_EQ(api_.OMXWL_GetAPAllowedChannel(buf.data(), 2, "FCC"), 600);
}

TEST_F(FaultTest, AuthenticationThatAlwaysFails) {
  Load(WithFaults("AuthFail=1\n"));
  ASSERT_TRUE(Apply(OpenProfile("Plain")));
  EXPECT_TRUE(StaysUnlinked(800));
  // the settings stay applied: lifting the fault lets the link come up
  WriteWorld(kWorld);
  EXPECT_TRUE(WaitLinked("Plain"));
  // and switching it on again drops the link
  WriteWorld(WithFaults("AuthFail=1\n"));
  EXPECT_TRUE(WaitUntil([&] { return Status().MediaState == 1; }));
}

TEST_F(FaultTest, StatusAsksForASecondCall) {
  Load(WithFaults("StatusAgain=1\n"));
  int32_t again = -1;
  WLStatus st{};
  ASSERT_EQ(api_.OMXWL_GetWLANStatus(&again, &st), 1);
  EXPECT_EQ(again, 1);
  ASSERT_EQ(api_.OMXWL_GetWLANStatus(&again, &st), 1);
  EXPECT_EQ(again, 0);
  ASSERT_EQ(api_.OMXWL_GetWLANStatus(&again, &st), 1);
  EXPECT_EQ(again, 1);
  Unload();
  Load(kWorld);
  ASSERT_EQ(api_.OMXWL_GetWLANStatus(&again, &st), 1);
  EXPECT_EQ(again, 0);
  ASSERT_EQ(api_.OMXWL_GetWLANStatus(&again, &st), 1);
  EXPECT_EQ(again, 0);
}

namespace {

DWORD WINAPI CallScan(void* api) {
  static_cast<OmxApi*>(api)->OMXWL_SiteSurveyScan();
  return 0;
}

}  // namespace

// The program kills a worker that hangs in the library past its time-out;
// the library must stay usable afterwards.
TEST_F(FaultTest, ThreadKilledDuringADelayedCallLeavesTheLibraryUsable) {
  Load(WithFaults("Delay.SiteSurveyScan=60000\n"));
  HANDLE worker = CreateThread(nullptr, 0, CallScan, &api_, 0, nullptr);
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(WaitForSingleObject(worker, 700), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(TerminateThread(worker, 1));
  WaitForSingleObject(worker, 5000);
  CloseHandle(worker);
  DetectRec rec{};
  EXPECT_EQ(api_.OMXWL_DevDetect(&rec), 1);
  WriteWorld(kWorld);
  EXPECT_TRUE(WaitUntil([&] { return api_.OMXWL_SiteSurveyScan() == 1; }, 5000));
  ASSERT_TRUE(Apply(OpenProfile("Plain")));
  EXPECT_TRUE(WaitLinked("Plain"));
}
