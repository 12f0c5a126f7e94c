// A vendor library that faults: the fault guard itself, and the program's
// operations over a simulated library whose entry points crash on demand.
#include <memory>
#include <stdexcept>

#include "adapter/SimLibrary.h"
#include "adapter/Ufaultguard.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "workers/Uthrddetect.h"

namespace {

volatile uintptr_t g_Bad = 0x10;

void Fault() {
  *reinterpret_cast<volatile int*>(g_Bad) = 1;
}

bool LockFree() {
  if (WaitForSingleObject(g_OmxLib.SynchEvent, 0) != WAIT_OBJECT_0) return false;
  SetEvent(g_OmxLib.SynchEvent);
  return true;
}

// Takes the library lock and faults while holding it, outside any library call.
class FaultingHolder : public CThread {
 public:
  explicit FaultingHolder(HANDLE stop) : stop_(stop) { Start(); }

 protected:
  void Execute() override {
    CLibraryGuard lib(stop_, this);
    Fault();
  }

 private:
  HANDLE stop_;
};

}  // namespace

TEST(FaultGuard, RecoversFromFaultsNestedOrNotAndLetsCppExceptionsThrough) {
  const unsigned before = faultguard::ThreadFaults();
  faultguard::Fault fault;
  EXPECT_FALSE(faultguard::Run([] { Fault(); }, &fault));
  EXPECT_EQ(fault.Code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_NE(faultguard::Describe(fault).find("access violation (0xC0000005)"), std::string::npos);

  // The inner guard takes the fault; the outer one finishes its body.
  bool innerCaught = false, outerFinished = false;
  EXPECT_TRUE(faultguard::Run(
      [&] {
        innerCaught = !faultguard::Run([] { Fault(); }, nullptr);
        outerFinished = true;
      },
      nullptr));
  EXPECT_TRUE(innerCaught);
  EXPECT_TRUE(outerFinished);

  EXPECT_THROW(faultguard::Run([] { throw std::runtime_error("x"); }, nullptr), std::runtime_error);
  // After an exception left a guard, the next fault is still caught.
  EXPECT_FALSE(faultguard::Run([] { Fault(); }, nullptr));
  EXPECT_TRUE(faultguard::Run([] {}, nullptr));
  EXPECT_EQ(faultguard::ThreadFaults() - before, 3u);
}

TEST(CrashingLibrary, EveryOperationCarriesOnAsForAFailedCallAndFreesTheLock) {
  TestEnv env("", false);
  g_GlobalVar.OsVersionCode = 6;
  SimLibrary lib(env);
  ASSERT_TRUE(lib.Bound());
  NotifyRecorder rec;
  auto adapter = std::make_unique<CNICAdapter>(rec.Wnd(), 0, TestEnv::Device());
  ASSERT_EQ(adapter->ProfList.size(), 1u);

  lib.WriteWorld(true,
                 "Crash.GetNetworkInfo=1\r\nCrash.SetWLProfile=1\r\nCrash.GetWLProfile=1\r\n"
                 "Crash.SiteSurveyGet=1\r\nCrash.DevDetect=1\r\n");
  ASSERT_TRUE(WaitUntil(
      [&] { return !env.LogLines("Exception(CNICAdapter::CollectStatus)").empty(); }, 10000));
  // The worker goes on sampling; each sample is still posted.
  const size_t samples = rec.Events(kNotifyStatus).size();
  ASSERT_TRUE(WaitUntil([&] { return rec.Events(kNotifyStatus).size() > samples + 1; }, 10000));
  EXPECT_FALSE(env.LogLines("Exception(COmxLib::OMXWL_GetNetworkInfo): access violation").empty());

  // On this thread: the failed calls leave their outputs empty.
  std::vector<SiteEntry> sites;
  adapter->GetSiteList(sites);
  EXPECT_TRUE(sites.empty());
  std::vector<WLProfile> read;
  adapter->ReadProfileList(kStationList, read);
  EXPECT_TRUE(read.empty());
  EXPECT_FALSE(env.LogLines("Exception(COmxLib::OMXWL_GetWLProfile)").empty());

  // The detection thread logs its own text and ends the pass.
  {
    CThrdDetect detect(rec.Wnd());
    ASSERT_TRUE(WaitUntil(
        [&] { return !env.LogLines("Exception(CThrdDetect::EnumDetectDev)").empty(); }, 10000));
  }

  // A library that works again is used as before.
  lib.WriteWorld(true);
  ASSERT_TRUE(WaitUntil(
      [&] {
        std::vector<WLProfile> again;
        adapter->ReadProfileList(kStationList, again);
        return again.size() == 1;
      },
      10000));
  adapter.reset();
  EXPECT_TRUE(LockFree());
}

TEST(CrashingLibrary, AThreadThatFaultsHoldingTheLockEndsAndTheLockIsTakenOver) {
  TestEnv env;
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  {
    FaultingHolder holder(stop);
    ASSERT_TRUE(holder.WaitFor(5000));
  }
  EXPECT_FALSE(env.LogLines("Exception(CThread::Execute): access violation").empty());
  {
    CLibraryGuard lib(stop, nullptr);
    EXPECT_TRUE(lib) << "the lock a dead thread left is taken over";
  }
  EXPECT_FALSE(env.LogLines("taken over from a thread that ended holding it").empty());
  EXPECT_TRUE(LockFree());
  CloseHandle(stop);
}
