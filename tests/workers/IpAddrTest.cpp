// The IP renewal job against a scripted IP helper.
#include <mutex>

#include "adapter/FakeOmx.h"
#include "workers/Uthreadipaddr.h"

namespace {

struct FakeNic {
  const char* description;
  DWORD index;
};
// In the system's order; the wireless adapter appears twice, as the system
// lists a miniport under the adapter's name with a suffix.
const FakeNic kNics[] = {{"Vantor PCIe Gigabit Ethernet Controller", 5},
                         {"Ombrix 802.11a/b/g USB Wireless Adapter - Packet Scheduler", 7},
                         {"Ombrix 802.11a/b/g USB Wireless Adapter #2", 9}};

std::mutex g_lock;
std::vector<std::string> g_calls;
DWORD g_sizeQueryResult = ERROR_INSUFFICIENT_BUFFER;
DWORD g_tableResult = NO_ERROR;
DWORD g_renewDelay = 0;

void Record(const std::string& call) {
  std::lock_guard<std::mutex> l(g_lock);
  g_calls.push_back(call);
}

ULONG WINAPI FakeAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size) {
  const ULONG need = sizeof(IP_ADAPTER_INFO) * 3;
  Record("GetAdaptersInfo");
  if (*size < need) {
    *size = need;
    return ERROR_BUFFER_OVERFLOW;
  }
  memset(info, 0, need);
  for (int i = 0; i < 3; ++i) {
    SetField(info[i].Description, kNics[i].description);
    info[i].Index = kNics[i].index;
    info[i].Next = i < 2 ? &info[i + 1] : nullptr;
  }
  return ERROR_SUCCESS;
}

DWORD WINAPI FakeInterfaceInfo(PIP_INTERFACE_INFO table, PULONG size) {
  const ULONG need = sizeof(IP_INTERFACE_INFO) + 2 * sizeof(IP_ADAPTER_INDEX_MAP);
  if (!table) {
    *size = need;
    return g_sizeQueryResult;
  }
  if (g_tableResult != NO_ERROR || *size < need) return g_tableResult ? g_tableResult : 122;
  table->NumAdapters = 3;
  const DWORD order[] = {5, 9, 7};
  for (int i = 0; i < 3; ++i) table->Adapter[i].Index = order[i];
  return NO_ERROR;
}

DWORD WINAPI FakeRelease(PIP_ADAPTER_INDEX_MAP a) {
  Record("release " + std::to_string(a->Index));
  return NO_ERROR;
}

DWORD WINAPI FakeRenew(PIP_ADAPTER_INDEX_MAP a) {
  Record("renew " + std::to_string(a->Index));
  if (g_renewDelay) Sleep(g_renewDelay);
  return NO_ERROR;
}

IpHelperApi Api() {
  IpHelperApi api;
  api.GetAdaptersInfo = &FakeAdaptersInfo;
  api.GetInterfaceInfo = &FakeInterfaceInfo;
  api.IpReleaseAddress = &FakeRelease;
  api.IpRenewAddress = &FakeRenew;
  return api;
}

// Runs one job to its end and returns the calls it made.
std::vector<std::string> RunJob(const std::string& text, int32_t flags) {
  g_calls.clear();
  ThreadIPAddr job(text, flags, Api());
  EXPECT_TRUE(job.WaitFor(5000));
  std::lock_guard<std::mutex> l(g_lock);
  return g_calls;
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(IPRenewal, MatchesTheFirstInterfaceContainingTheTextInAnyCase) {
  TestEnv env("", false);
  EXPECT_EQ(RunJob("OMBRIX 802.11a/b/g usb wireless ADAPTER", 3),
            (Calls{"GetAdaptersInfo", "GetAdaptersInfo", "release 7", "renew 7"}));
  EXPECT_EQ(RunJob("ombrix", 1), (Calls{"GetAdaptersInfo", "GetAdaptersInfo", "release 7"}));
  EXPECT_EQ(RunJob("Adapter #2", 2), (Calls{"GetAdaptersInfo", "GetAdaptersInfo", "renew 9"}));
  const auto lines = env.LogLines("IP re");
  EXPECT_EQ(lines, (std::vector<std::string>{"IP release", "IP release done", "IP renew",
                                             "IP renew done", "IP release", "IP release done",
                                             "IP renew", "IP renew done"}));
}

TEST(IPRenewal, FailuresAreLoggedAndTouchNothing) {
  TestEnv env("", false);
  EXPECT_EQ(RunJob("Kelmo", 3), (Calls{"GetAdaptersInfo", "GetAdaptersInfo"}));
  EXPECT_EQ(env.LogLines("get NIC index failed").size(), 1u);
  // An adapter of unknown description never picks some other interface.
  EXPECT_TRUE(RunJob("", 3).empty());
  EXPECT_EQ(env.LogLines("get NIC index failed").size(), 2u);
  g_sizeQueryResult = NO_ERROR;
  EXPECT_EQ(RunJob("ombrix", 3).size(), 2u);
  EXPECT_EQ(env.LogLines("GetInterfaceInfo get required failed").size(), 1u);
  g_sizeQueryResult = ERROR_INSUFFICIENT_BUFFER;
  g_tableResult = ERROR_NOT_SUPPORTED;
  EXPECT_EQ(RunJob("ombrix", 3).size(), 2u);
  EXPECT_EQ(env.LogLines("GetInterfaceInfo failed").size(), 1u);
  g_tableResult = NO_ERROR;
}

TEST(IPRenewal, WaitStopKillsAJobThatHangs) {
  TestEnv env("", false);
  g_renewDelay = 8000;
  g_calls.clear();
  {
    ThreadIPAddr job("ombrix", 3, Api());
    ASSERT_TRUE(WaitUntil(
        [] {
          std::lock_guard<std::mutex> l(g_lock);
          return g_calls.size() == 4;
        },
        3000));
    const DWORD start = GetTickCount();
    job.WaitStop();
    EXPECT_LT(GetTickCount() - start, 3000u);
  }
  g_renewDelay = 0;
  EXPECT_EQ(env.LogLines(" TerminateThread").size(), 1u);
  EXPECT_EQ(env.LogLines("wait IPAddr Thread").size(), 1u);
  EXPECT_EQ(env.LogLines("stop IPAddr Thread").size(), 1u);
}
