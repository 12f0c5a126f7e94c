// The IP renewal job: a short-lived thread that finds the system's network
// interface of the adapter by its description and releases and/or renews
// its DHCP lease.
#pragma once

#include <windows.h>
// Needs the types of windows.h first.
#include <iphlpapi.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "workers/Uthread.h"

// The four IP helper operations the job uses. The system's by default; a
// test hands in its own.
struct IpHelperApi {
  ULONG(WINAPI* GetAdaptersInfo)(PIP_ADAPTER_INFO info, PULONG size) = nullptr;
  DWORD(WINAPI* GetInterfaceInfo)(PIP_INTERFACE_INFO table, PULONG size) = nullptr;
  DWORD(WINAPI* IpReleaseAddress)(PIP_ADAPTER_INDEX_MAP adapter) = nullptr;
  DWORD(WINAPI* IpRenewAddress)(PIP_ADAPTER_INDEX_MAP adapter) = nullptr;
};
const IpHelperApi& SystemIpHelper();

// A release or renewal is never cut off: a thread killed inside the IP
// helper can leave system locks taken and the adapter without an address.
// A job that outlives its owner's wait is left to finish on its own (see
// CThread::Release); a new job starts after the one before it has ended,
// and its owner lets at most one job wait so (IsQueued).
class ThreadIPAddr : public CThread {
 public:
  // flags: bit 1 release, bit 2 renew. The thread starts at once. previous
  // (may be null) is a job still running: this one owns it, waits for it to
  // end and frees it before doing its own work.
  ThreadIPAddr(const std::string& description, int32_t flags,
               const IpHelperApi& api = SystemIpHelper(), ThreadIPAddr* previous = nullptr);
  // Waits for the job to end, however long it takes.
  ~ThreadIPAddr() override;

  // Waits up to 1000 ms for the job; true when it has ended. When a release
  // of this job or of the ones before it went out and its renewal has not
  // ended yet, waits up to kRenewOwedMs more, so the adapter is not left
  // without an address. A job still running then is not stopped. A job told
  // to terminate (Terminate) before it began its work, say while it waited
  // for the one before it, skips that work: the adapter it was for is gone.
  static constexpr DWORD kRenewOwedMs = 10000;
  bool WaitStop();

  // True while the job still waits for the one before it.
  bool IsQueued() const { return previous_.load() != nullptr; }
  // True while a release went out, from this job or one before it, whose
  // renewal has not ended.
  bool RenewOwed() const { return owed_->load() > 0; }

 protected:
  void Execute() override;

 private:
  bool GetNicIndex(const std::string& text, DWORD& index);
  void ReleaseRenew(const std::string& text, int32_t flags);

  std::string description_;
  int32_t flags_;
  IpHelperApi api_;
  std::atomic<ThreadIPAddr*> previous_;
  // Releases out without their renewal, shared along one chain of jobs.
  std::shared_ptr<std::atomic<int>> owed_;
};
