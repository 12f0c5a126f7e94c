// The adapter's worker: the deferred-function list, the worker loop, the
// connection steps, the hand-over to Windows wireless management and the
// start of an IP renewal job.
#include <cstring>
#include <exception>
#include <iterator>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "app/Utimescale.h"
#include "config/Uunicode.h"
#include "workers/Uthrddetect.h"
#include "workers/Uthreadipaddr.h"

// ---- TFuncList --------------------------------------------------------------

void TFuncList::Add(const TFuncEntry& entry) {
  CSectionGuard guard(cs_);
  Remove(entry);
  items_.push_back(entry);
}

void TFuncList::Remove(const TFuncEntry& entry) {
  CSectionGuard guard(cs_);
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (*it == entry) {
      items_.erase(it);
      break;
    }
  }
}

TFuncEntry TFuncList::PopFront() {
  TFuncEntry entry;
  CSectionGuard guard(cs_);
  if (!items_.empty()) {
    entry = items_.front();
    items_.pop_front();
  }
  return entry;
}

void TFuncList::Clear() {
  CSectionGuard guard(cs_);
  items_.clear();
}

size_t TFuncList::Count() const {
  CSectionGuard guard(cs_);
  return items_.size();
}

// ---- worker -------------------------------------------------------------------

namespace {

WORD ServicePackMajor() {
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return 0;
  return info.wServicePackMajor;
}

}  // namespace

void CNICAdapter::Execute() {
  LogWrite("CNICAdapter::Execute()");
  DWORD waitTime = timescale::Ms(1000);
  HANDLE handles[2] = {StopEvent, FuncEvent};
  while (!Terminated()) {
    DWORD r = WaitForMultipleObjects(2, handles, FALSE, waitTime);
    if (Terminated()) return;
    if (r == WAIT_OBJECT_0 + 1) {
      LaunchToDoFunc();
    } else if (r == WAIT_TIMEOUT) {
      CollectStatus();
      waitTime = timescale::Ms(2000);
    } else {
      return;  // stop requested, or the wait itself failed
    }
  }
}

void CNICAdapter::LaunchToDoFunc() {
  LogWrite("CNICAdapter::LaunchToDoFunc()");
  for (;;) {
    TFuncEntry entry = FuncList.PopFront();
    if (entry.Empty()) break;
    // One failed function must not end the worker.
    try {
      (entry.Object->*entry.Func)();
    } catch (const std::exception& e) {
      LogWrite("Exception(CNICAdapter::LaunchToDoFunc): %s", e.what());
    }
  }
}

void CNICAdapter::Connect(const WLProfile& profile) {
  WLProfile* copy = new WLProfile(profile);
  // A connection queued earlier and not yet started is replaced. The ticket
  // changes with the profile, so the run that takes one knows the other.
  WLProfile* replaced = nullptr;
  {
    auto held = PendingProf.Lock();
    ++connectTicket_;
    replaced = held.Exchange(copy);
  }
  delete replaced;
  FuncList.Add({this, &CNICAdapter::DoConnect});
  SetEvent(FuncEvent);
}

void CNICAdapter::RecordOutcome(uint32_t ticket, int32_t result) {
  // The slot first: whoever sees the ticket taken finds its slot written.
  outcomes_[ticket % std::size(outcomes_)] =
      (static_cast<uint64_t>(ticket) << 32) | static_cast<uint32_t>(result);
  if (result == kApplyWaiting) takenTicket_ = ticket;
}

int32_t CNICAdapter::ApplyOutcome(uint32_t ticket) const {
  if (ticket == 0) return kApplyWaiting;
  const uint32_t taken = takenTicket_;
  const uint64_t slot = outcomes_[ticket % std::size(outcomes_)];
  if (static_cast<uint32_t>(slot >> 32) == ticket) return static_cast<int32_t>(slot & 0xFFFFFFFF);
  // Runs take the newest ticket: one at or past this one without it means
  // a newer request replaced it before any run took it.
  return ticket <= taken ? kApplyReplaced : kApplyWaiting;
}

void CNICAdapter::DoConnect() {
  LogWrite("CNICAdapter::DoConnect()");
  uint32_t ticket = 0;
  WLProfile* taken = nullptr;
  {
    auto held = PendingProf.Lock();
    ticket = connectTicket_;
    taken = held.Exchange(nullptr);
  }
  if (taken) RecordOutcome(ticket, kApplyWaiting);
  if (!taken) {
    // An earlier run already applied the newest profile; applying nothing
    // keeps AppliedProf true to what the adapter really got.
    // Detection was not paused by this run, so it is not resumed by it.
    LogWrite("CNICAdapter::DoConnect() no pending profile, nothing to apply");
    LogWrite("CNICAdapter::DoConnect() end");
    return;
  }
  const WLProfile profile = *taken;
  delete AppliedProf.Exchange(taken);
  LastApplyResult = 0;

  CDetectIgnoreGuard ignore(&ignoreHeld_);
  // Sent, not posted: the window clears its view before the link drops.
  if (OwnerWnd) SendMessageA(OwnerWnd, NotifyMsg, kNotifyConnecting, 0);

  CLibraryGuard lib(StopEvent, this);
  if (!lib) {
    RecordOutcome(ticket, kApplyAborted);
    return;
  }
  if (profile.ApplyNetwork) {
    NetworkInfo current{};
    g_OmxLib.OMXWL_GetNetworkInfo(&current);
    if (!CFAGlobalVar::SameNetInfo(current, profile.NetInfo)) {
      LogWrite("set IP");
      g_OmxLib.OMXWL_SetNetworkInfo(&profile.NetInfo);
      // The adapter restarts with new IP settings; give it ten seconds. The
      // lock is free while the worker waits, so nobody waits on a pause.
      for (int attempt = 0; attempt < 10; ++attempt) {
        ::DetectRec probe = DetectRec;
        if (g_OmxLib.OMXWL_DevDetect(&probe) == 1) break;
        lib.Release();
        if (!Pause(timescale::Ms(1000)) || !lib.Retake()) {
          RecordOutcome(ticket, kApplyAborted);
          return;
        }
      }
    }
  }

  WLStatus status;
  std::memset(&status, 0, sizeof status);
  LogWrite("call OMXWL_WLProfileToWLStatus");
  const int32_t built = g_OmxLib.OMXWL_WLProfileToWLStatus(&profile, &status);
  int32_t result = 0;
  if (built == 1) {
    LogWrite("call OMXWL_SetWLANStatus");
    int32_t word = 0;
    result = g_OmxLib.OMXWL_SetWLANStatus(&word, &status);
    LogWrite("call OMXWL_SetWLANStatus end %d", result);
  } else {
    // A record the library did not build is never applied.
    LogWrite("call OMXWL_WLProfileToWLStatus end %d", built);
  }
  // The settle pause and the settings writes need no library: the lock is
  // free for them.
  lib.Release();
  LastApplyResult = result;
  RecordOutcome(ticket, result);
  if (result == 1) {
    if (FieldText(profile.ProfileName) != kEditingProfile)
      WriteSet("LastProf", ProfileNameText(profile));
    g_GlobalVar.ProfToIniFileChecked(profile, "LastApplyProf");
    Pause(timescale::Ms(1000));
  }

  if (g_ThrdDetect) {
    Pause(timescale::Ms(1000));
    ignore.Resume();
  }
  LogWrite("CNICAdapter::DoConnect() end");
}

bool CNICAdapter::Pause(DWORD ms) {
  // A stop ends the pause at once: a worker that is only waiting is never
  // killed for it (a killed thread's stack is never given back).
  if (StopEvent && WaitForSingleObject(StopEvent, ms) == WAIT_OBJECT_0) {
    Terminate();
    SetEvent(StopEvent);  // every later wait of this thread sees the stop too
  }
  return !Terminated();
}

namespace {

// Code 4 goes straight to the main form's handler.
void DeliverWZC(HWND ownerWnd, bool on) {
  HWND mainForm = Application.MainWindow;
  if (!mainForm) mainForm = ownerWnd;
  if (mainForm) SendMessageA(mainForm, NotifyMsg, kNotifyWZC, on ? kWZCOn : kWZCOff);
}

}  // namespace

void CNICAdapter::WriteUseWZC(bool enable) {
  LogWrite("CNICAdapter::WriteUseWZC()");
  if (g_GlobalVar.OsVersionCode < 7 || enable == UseWZC) return;
  // The switch shows at once; "EnableZeroCfg" is written by DoSetZeroCfg
  // once the library has made it, and a refusal switches back.
  UseWZC = enable;
  LogWrite("EnableZeroCfg %d", enable ? 1 : 0);
  FuncList.Add({this, &CNICAdapter::DoSetZeroCfg});
  SetEvent(FuncEvent);
  DeliverWZC(OwnerWnd, enable);
}

void CNICAdapter::DoSetZeroCfg() {
  if (g_GlobalVar.OsVersionCode < 7) return;
  LogWrite("CNICAdapter::DoSetZeroCfg()");
  const bool wanted = UseWZC;
  bool made = true;
  {
    CDetectIgnoreGuard ignore(&ignoreHeld_);
    CLibraryGuard lib(StopEvent, this);
    if (!lib) return;
    int32_t current = 0;
    // A state that cannot be read is set, not assumed.
    const bool known = g_OmxLib.OMXWL_Get_ZeroConfig(&current) == 1;
    if (!known || (current != 0) != wanted) {
      if (wanted && ServicePackMajor() >= 2) {
        int32_t mode = 0;
        uint32_t written = 0;
        // Only a value that was really read is written back.
        if (g_OmxLib.OMXWL_QueryOID(OMXWL_OID_802_11_INFRASTRUCTURE_MODE, &mode, sizeof mode,
                                    &written) == 0) {
          LogWrite("OID_802_11_INFRASTRUCTURE_MODE %d", mode);
          g_OmxLib.OMXWL_SetOID(OMXWL_OID_802_11_INFRASTRUCTURE_MODE, &mode, sizeof mode);
        }
      }
      LogWrite("Set ZeroCfg: %d", wanted ? 1 : 0);
      made = g_OmxLib.OMXWL_Set_ZeroConfig(wanted ? 1 : 0) == 1;
    }
    lib.Release();
    ignore.Resume();
  }
  if (made) {
    if (ReadSet("EnableZeroCfg", false) != wanted) WriteSet("EnableZeroCfg", wanted);
  } else if (UseWZC == wanted) {
    // The library kept the adapter where it was: so does the program.
    LogWrite("Set ZeroCfg refused, EnableZeroCfg stays %d", wanted ? 0 : 1);
    UseWZC = !wanted;
    DeliverWZC(OwnerWnd, !wanted);
  }
  LogWrite("CNICAdapter::DoSetZeroCfg() end");
}

void CNICAdapter::IPConfig(int32_t flags) {
  try {
    LogWrite("IPConfig 0x%x", static_cast<unsigned>(flags));
    // The system's adapter names are ANSI text, like the library's.
    std::string desc;
    if (!ToStore(ReadSet("NicDesc", StoreFieldText(DetectRec.Description)), desc))
      desc = FieldText(DetectRec.Description);
    LogWrite("IPConfig NIC: %s", desc.c_str());
    // A job still running is never cut off nor waited for here: the new one
    // takes it over and starts once it has ended. One job waits so at most;
    // a request meanwhile would only park another thread behind a stuck one.
    ThreadIPAddr* previous = nullptr;
    if (IPThread) {
      if (IPThread->WaitFor(0)) {
        delete IPThread;
      } else if (IPThread->IsQueued()) {
        LogWrite("IPConfig 0x%x dropped: a renewal already waits for a running one",
                 static_cast<unsigned>(flags));
        return;
      } else {
        previous = IPThread;
      }
      IPThread = nullptr;
    }
    IPThread = new ThreadIPAddr(desc, flags, IpHelper, previous);
  } catch (...) {
    LogWrite("Exception(CNICAdapter::IPConfig)");
  }
}
