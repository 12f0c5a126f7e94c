#include "workers/Uthreadipaddr.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <vector>

#include "adapter/Ufaultguard.h"
#include "app/Udebug.h"
#include "app/Utimescale.h"
#include "config/Utext.h"

namespace {

// Enough for one adapter entry; a larger list asks for its own size.
constexpr ULONG kFirstAdapterBuffer = 640;
// A corrupt list must not be walked forever.
constexpr int kMaxAdapters = 1024;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

const IpHelperApi& SystemIpHelper() {
  static const IpHelperApi api = [] {
    IpHelperApi a;
    a.GetAdaptersInfo = &::GetAdaptersInfo;
    a.GetInterfaceInfo = &::GetInterfaceInfo;
    a.IpReleaseAddress = &::IpReleaseAddress;
    a.IpRenewAddress = &::IpRenewAddress;
    return a;
  }();
  return api;
}

ThreadIPAddr::ThreadIPAddr(const std::string& description, int32_t flags, const IpHelperApi& api,
                           ThreadIPAddr* previous)
    : description_(description),
      flags_(flags),
      api_(api),
      previous_(previous),
      owed_(previous ? previous->owed_ : std::make_shared<std::atomic<int>>(0)) {
  Start();
}

ThreadIPAddr::~ThreadIPAddr() {
  // The job reads this object's fields; it must be over before they go.
  // A job that frees itself is over already.
  if (GetCurrentThreadId() != ThreadId()) WaitFor(INFINITE);
  delete previous_.load();  // only when the job never ran
}

bool ThreadIPAddr::WaitStop() {
  LogWrite("wait IPAddr Thread");
  bool ended = WaitFor(timescale::Ms(1000));
  if (!ended && RenewOwed()) {
    LogWrite("IPAddr Thread: a release went out, waiting for its renewal");
    ended = WaitFor(timescale::Ms(kRenewOwedMs));
  }
  if (!ended) LogWrite("IPAddr Thread still running, left to finish");
  LogWrite("stop IPAddr Thread");
  return ended;
}

void ThreadIPAddr::Execute() {
  if (ThreadIPAddr* previous = previous_.load()) {
    // One release or renewal at a time, in the order asked.
    previous->WaitFor(INFINITE);
    previous_ = nullptr;
    delete previous;
  }
  if (Terminated()) {
    LogWrite("IPAddr job dropped: the adapter is gone");
    return;
  }
  const std::string text = Lower(description_);
  // The IP helper is the system's; a fault inside it ends this job only.
  bool failed = false;
  const bool finished = faultguard::Run(
      [&] {
        try {
          ReleaseRenew(text, flags_);
        } catch (...) {
          failed = true;
        }
      },
      nullptr);
  if (failed || !finished) LogWrite("Exception(ThreadIPAddr::Execute)");
}

bool ThreadIPAddr::GetNicIndex(const std::string& text, DWORD& index) {
  // An empty text is part of every description: it would release the first
  // interface of the system, most likely another network's.
  if (text.empty()) return false;
  ULONG size = kFirstAdapterBuffer;
  std::vector<BYTE> buffer(size);
  if (api_.GetAdaptersInfo(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size) !=
      ERROR_SUCCESS) {
    buffer.assign(std::max<ULONG>(size, kFirstAdapterBuffer), 0);
    size = static_cast<ULONG>(buffer.size());
  }
  if (api_.GetAdaptersInfo(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size) !=
      ERROR_SUCCESS)
    return false;
  const IP_ADAPTER_INFO* entry = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
  for (int n = 0; entry && n < kMaxAdapters; ++n, entry = entry->Next) {
    if (Lower(FieldText(entry->Description)).find(text) != std::string::npos) {
      index = entry->Index;
      return true;
    }
  }
  return false;
}

void ThreadIPAddr::ReleaseRenew(const std::string& text, int32_t flags) {
  DWORD index = 0;
  if (!GetNicIndex(text, index)) {
    LogWrite("get NIC index failed");
    return;
  }
  ULONG size = 0;
  if (api_.GetInterfaceInfo(nullptr, &size) != ERROR_INSUFFICIENT_BUFFER) {
    LogWrite("GetInterfaceInfo get required failed");
    return;
  }
  constexpr size_t kHeader = offsetof(IP_INTERFACE_INFO, Adapter);
  std::vector<BYTE> buffer(std::max<size_t>(size, sizeof(IP_INTERFACE_INFO)));
  size = static_cast<ULONG>(buffer.size());
  auto* table = reinterpret_cast<IP_INTERFACE_INFO*>(buffer.data());
  if (api_.GetInterfaceInfo(table, &size) != NO_ERROR) {
    LogWrite("GetInterfaceInfo failed");
    return;
  }
  // Never trust the count beyond what the buffer holds.
  const size_t room = (buffer.size() - kHeader) / sizeof(IP_ADAPTER_INDEX_MAP);
  const size_t count =
      table->NumAdapters > 0 ? std::min(static_cast<size_t>(table->NumAdapters), room) : 0;
  auto* maps = reinterpret_cast<IP_ADAPTER_INDEX_MAP*>(buffer.data() + kHeader);
  for (size_t i = 0; i < count; ++i) {
    IP_ADAPTER_INDEX_MAP& adapter = maps[i];
    if (adapter.Index != index) continue;
    // Counted before the release goes out, so a stop never misses it.
    const bool owes = (flags & 1) && (flags & 2);
    if (owes) ++*owed_;
    if (flags & 1) {
      LogWrite("IP release");
      api_.IpReleaseAddress(&adapter);
      LogWrite("IP release done");
    }
    if (flags & 2) {
      LogWrite("IP renew");
      api_.IpRenewAddress(&adapter);
      LogWrite("IP renew done");
    }
    if (owes) --*owed_;
    break;
  }
}
