// The library binding: all 35 entry points or nothing, the initial call and
// the lock, loading the DLL, and the connect-status query.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "adapter/Ucomxlib.h"
#include "app/TestSupport.h"

using namespace wutest;

namespace {

// An in-process library whose entry points record what the tests need.
struct Fake {
  static inline COmxLib* Lib = nullptr;
  static inline std::vector<std::string> Calls;
  static inline bool LockFreeDuringInitial = true;
  static inline int32_t OidResult = 0;
  static inline uint32_t MediaState = 0;
  static inline int Again = 0;  // how many more times GetWLANStatus asks to be called
  static inline int32_t StatusResult = 1;
  static inline void* OidBuffer = nullptr;
  static inline uint32_t OidLength = 0, Oid = 0;

  static int32_t __stdcall Initial(const char* root, int32_t flags) {
    Calls.push_back(std::string("Initial ") + root + " " + std::to_string(flags));
    LockFreeDuringInitial = WaitForSingleObject(Lib->SynchEvent, 0) == WAIT_OBJECT_0;
    return 1;
  }
  static int32_t __stdcall QueryOID(uint32_t oid, void* buf, uint32_t len, uint32_t* written) {
    Oid = oid, OidBuffer = buf, OidLength = len;
    if (OidResult == 0) {
      std::memcpy(buf, &MediaState, 4);
      *written = 4;
    }
    return OidResult;
  }
  static int32_t __stdcall GetWLANStatus(int32_t* again, WLStatus* status) {
    Calls.push_back("GetWLANStatus");
    status->SignalLevel = -50;
    *again = Again > 0 ? 1 : 0;
    --Again;
    return StatusResult;
  }

  // A table with every entry set: the recording ones above, the rest a
  // harmless function of the right type.
  static OmxEntryTable Table() {
    OmxEntryTable t;
    void* filler = reinterpret_cast<void*>(&Initial);
#define WU_FILL(name, args) t.name = reinterpret_cast<PFN_##name>(filler);
    OMXWL_ENTRY_POINTS(WU_FILL)
#undef WU_FILL
    t.OMXWL_Initial = Initial;
    t.OMXWL_QueryOID = QueryOID;
    t.OMXWL_GetWLANStatus = GetWLANStatus;
    return t;
  }
};

class ComxLib : public ::testing::Test {
 protected:
  void SetUp() override {
    Fake::Lib = &lib_;
    Fake::Calls.clear();
    Fake::OidResult = 0, Fake::MediaState = 0, Fake::Again = 0, Fake::StatusResult = 1;
  }
  // The binding's destructor leaves a DLL loaded; other tests count on a
  // fresh load.
  void TearDown() override { lib_.Unbind(); }
  COmxLib lib_;
};

TEST_F(ComxLib, BindingInitialisesTheLibraryThenFreesTheLock) {
  ASSERT_TRUE(lib_.BindTable(Fake::Table()));
  EXPECT_TRUE(lib_.IsBound());
  EXPECT_EQ(Fake::Calls, std::vector<std::string>{"Initial Ombrix 1"});
  EXPECT_FALSE(Fake::LockFreeDuringInitial) << "nobody may call in before the library is ready";
  // Free now, and taken by exactly one waiter (auto-reset).
  EXPECT_EQ(WaitForSingleObject(lib_.SynchEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(lib_.SynchEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(lib_.SynchEvent);
}

TEST_F(ComxLib, AnyOneMissingEntryPointFailsTheWholeBinding) {
  int slots = 0;
#define WU_DROP(name, args)                                          \
  {                                                                  \
    ++slots;                                                         \
    OmxEntryTable t = Fake::Table();                                 \
    t.name = nullptr;                                                \
    Fake::Calls.clear();                                             \
    EXPECT_FALSE(lib_.BindTable(t)) << #name;                        \
    EXPECT_FALSE(lib_.IsBound()) << #name;                           \
    EXPECT_EQ(lib_.SynchEvent, nullptr) << #name;                    \
    EXPECT_TRUE(Fake::Calls.empty()) << #name << " yet initialised"; \
  }
  OMXWL_ENTRY_POINTS(WU_DROP)
#undef WU_DROP
  EXPECT_EQ(slots, 35);
  // A complete table binds again afterwards.
  EXPECT_TRUE(lib_.BindTable(Fake::Table()));
}

TEST_F(ComxLib, TheDllIsBoundByItsExportNames) {
  const std::string path = ModuleDir() + "OMXFAKE.DLL";
  ASSERT_TRUE(lib_.Bind(path));
  HMODULE m = GetModuleHandleA(path.c_str());
  ASSERT_NE(m, nullptr);
  auto exported = [m](const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(m, name));
  };
  EXPECT_EQ(reinterpret_cast<void*>(lib_.OMXWL_Initial.Raw()), exported("OMXWL_Initial"));
  EXPECT_EQ(reinterpret_cast<void*>(lib_.OMXWL_EnableDevice.Raw()), exported("OMXWL_EnableDevice"));
  EXPECT_EQ(reinterpret_cast<void*>(lib_.OMXWL_SetWLProfileDir.Raw()), exported("OMXWL_SetWLProfileDir"));
  EXPECT_EQ(WaitForSingleObject(lib_.SynchEvent, 0), WAIT_OBJECT_0);
  lib_.Unbind();
  EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr) << "unbinding keeps the DLL loaded";
}

TEST_F(ComxLib, AnIncompleteOrMissingDllIsRefusedAndLogged) {
  LogCapture capture;
  const std::string incomplete = ModuleDir() + "OMXFAKE_MISSING.DLL";
  EXPECT_FALSE(lib_.Bind(incomplete));
  EXPECT_FALSE(lib_.IsBound());
  EXPECT_EQ(lib_.OMXWL_Initial.Raw(), nullptr);
  EXPECT_EQ(GetModuleHandleA(incomplete.c_str()), nullptr);
  EXPECT_FALSE(lib_.Bind(ModuleDir() + "NOSUCH.DLL"));
  const auto lines = capture.Lines();
  EXPECT_TRUE(AnyStartsWith(lines, "GetProcAddress(OMXWL_PassphraseToWEPKey) failed ErrCode(7f)"));
  EXPECT_TRUE(
      AnyStartsWith(lines, "LoadLibrary(" + ModuleDir() + "NOSUCH.DLL) failed ErrCode(7e)"));
  EXPECT_TRUE(lib_.Bind(ModuleDir() + "OMXFAKE.DLL"));
}

TEST_F(ComxLib, ConnectStatusAsksTheMediaStateFirst) {
  ASSERT_TRUE(lib_.BindTable(Fake::Table()));
  WLStatus status{};
  Fake::Calls.clear();

  Fake::OidResult = 5;  // the query failed
  EXPECT_EQ(lib_.QueryConnectStatus(&status), -99);
  Fake::OidResult = 0, Fake::MediaState = 1;  // not connected
  EXPECT_EQ(lib_.QueryConnectStatus(&status), -99);
  EXPECT_TRUE(Fake::Calls.empty());
  EXPECT_EQ(Fake::Oid, OMXWL_OID_GEN_MEDIA_CONNECT_STATUS);
  EXPECT_EQ(Fake::OidBuffer, &status.MediaState);
  EXPECT_EQ(Fake::OidLength, 4u);
  EXPECT_EQ(status.MediaState, 1u);

  Fake::MediaState = 0, Fake::StatusResult = 1;
  EXPECT_EQ(lib_.QueryConnectStatus(&status), 1);
  EXPECT_EQ(Fake::Calls.size(), 1u);
  EXPECT_EQ(status.SignalLevel, -50);

  // Asked to call again: exactly once more, and that result counts.
  Fake::Calls.clear();
  Fake::Again = 5, Fake::StatusResult = 3;
  EXPECT_EQ(lib_.QueryConnectStatus(&status), 3);
  EXPECT_EQ(Fake::Calls.size(), 2u);

  COmxLib unbound;
  EXPECT_EQ(unbound.QueryConnectStatus(&status), -99);
}

}  // namespace
