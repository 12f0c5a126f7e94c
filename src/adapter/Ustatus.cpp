// Status collection: one sample every two idle seconds of the worker, kept
// in two guarded buffers that the pages copy from.
#include <cstring>
#include <exception>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"

void CNICAdapter::CollectStatus() {
  // Windows wireless management owns the adapter: leave it alone.
  if (UseWZC) return;
  WLStatus status;
  NetworkInfo info;
  std::memset(&status, 0, sizeof status);
  std::memset(&info, 0, sizeof info);

  {
    CLibraryGuard lib(StopEvent, this);
    if (!lib) return;
    const unsigned faults = faultguard::ThreadFaults();
    try {
      if (g_OmxLib.QueryConnectStatus(&status) != 1) status.MediaState = 1;
      if (g_OmxLib.OMXWL_GetNetworkInfo(&info) != 1) std::memset(&info, 0, sizeof info);
      // A fault in the library came back as a failed call; the sample goes
      // on with what was read.
      if (faultguard::ThreadFaults() != faults) LogWrite("Exception(CNICAdapter::CollectStatus)");
    } catch (...) {
      LogWrite("Exception(CNICAdapter::CollectStatus)");
    }
  }

  if (auto held = StatusBuf.Lock()) std::memcpy(held.get(), &status, sizeof status);
  if (auto held = NetInfoBuf.Lock()) std::memcpy(held.get(), &info, sizeof info);

  PostNotify(kNotifyStatus, 0);
}

void CNICAdapter::GetStatus(WLStatus& out) {
  if (auto held = StatusBuf.Lock()) out = *held;
}

void CNICAdapter::GetNetInfo(NetworkInfo& out) {
  if (auto held = NetInfoBuf.Lock()) out = *held;
}

bool CNICAdapter::GetAppliedProf(WLProfile& out) {
  auto held = AppliedProf.Lock();
  if (!held) return false;
  out = *held;
  return true;
}

void CNICAdapter::SetAntenna(uint8_t value) {
  if (!AntennaEnabled) return;
  CLibraryGuard lib(StopEvent, this);
  if (!lib) return;
  g_OmxLib.OMXWL_SetOID(OMXWL_OID_PRIVATE_ANTENNA, &value, 1);
}
