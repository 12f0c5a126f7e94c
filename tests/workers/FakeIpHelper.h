// A scripted IP helper for the renewal tests: three interfaces, the wireless
// adapter's listed under its name with a suffix (index 7) and as "#2" (9);
// every call is recorded, and renewals can be held at a gate.
#pragma once

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "config/Utext.h"
#include "workers/Uthreadipaddr.h"

namespace fakeip {

using Calls = std::vector<std::string>;

struct FakeNic {
  const char* description;
  DWORD index;
};
// In the system's order.
inline const FakeNic kNics[] = {{"Vantor PCIe Gigabit Ethernet Controller", 5},
                                {"Ombrix 802.11a/b/g USB Wireless Adapter - Packet Scheduler", 7},
                                {"Ombrix 802.11a/b/g USB Wireless Adapter #2", 9}};

inline std::mutex g_lock;
inline Calls g_calls;
inline DWORD g_sizeQueryResult = ERROR_INSUFFICIENT_BUFFER;
inline DWORD g_tableResult = NO_ERROR;
inline HANDLE g_renewGate = nullptr;  // a renewal waits for it while it is set

inline void Record(const std::string& call) {
  std::lock_guard<std::mutex> l(g_lock);
  g_calls.push_back(call);
}

inline Calls CallsSoFar() {
  std::lock_guard<std::mutex> l(g_lock);
  return g_calls;
}

inline void Clear() {
  std::lock_guard<std::mutex> l(g_lock);
  g_calls.clear();
}

inline ULONG WINAPI AdaptersInfo(PIP_ADAPTER_INFO info, PULONG size) {
  const ULONG need = sizeof(IP_ADAPTER_INFO) * 3;
  Record("GetAdaptersInfo");
  if (*size < need) {
    *size = need;
    return ERROR_BUFFER_OVERFLOW;
  }
  std::memset(info, 0, need);
  for (int i = 0; i < 3; ++i) {
    SetField(info[i].Description, kNics[i].description);
    info[i].Index = kNics[i].index;
    info[i].Next = i < 2 ? &info[i + 1] : nullptr;
  }
  return ERROR_SUCCESS;
}

inline DWORD WINAPI InterfaceInfo(PIP_INTERFACE_INFO table, PULONG size) {
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

inline DWORD WINAPI ReleaseAddress(PIP_ADAPTER_INDEX_MAP a) {
  Record("release " + std::to_string(a->Index));
  return NO_ERROR;
}

inline DWORD WINAPI RenewAddress(PIP_ADAPTER_INDEX_MAP a) {
  Record("renew " + std::to_string(a->Index));
  if (HANDLE gate = g_renewGate) WaitForSingleObject(gate, INFINITE);
  return NO_ERROR;
}

inline IpHelperApi Api() {
  IpHelperApi api;
  api.GetAdaptersInfo = &AdaptersInfo;
  api.GetInterfaceInfo = &InterfaceInfo;
  api.IpReleaseAddress = &ReleaseAddress;
  api.IpRenewAddress = &RenewAddress;
  return api;
}

// Renewals hang until Open; a gate left open lets them all through.
class RenewGate {
 public:
  RenewGate() { g_renewGate = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  ~RenewGate() {
    Open();
    g_renewGate = nullptr;  // the handle stays: a job may still be on its way out
  }
  RenewGate(const RenewGate&) = delete;
  RenewGate& operator=(const RenewGate&) = delete;
  void Open() { SetEvent(g_renewGate); }
  void Close() { ResetEvent(g_renewGate); }
};

}  // namespace fakeip
