// Binding of the vendor library OMXWL.DLL: a table of its 35 entry points and
// SynchEvent, the auto-reset event that is signalled while the library is free.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "adapter/Ufaultguard.h"
#include "omxwl.h"
#include "workers/Uthread.h"

// The entry-point table. A test may fill one with an in-process fake.
struct OmxEntryTable {
#define OMXWL_TABLE_FIELD(name, args) PFN_##name name = nullptr;
  OMXWL_ENTRY_POINTS(OMXWL_TABLE_FIELD)
#undef OMXWL_TABLE_FIELD
};

// Logs a fault inside entry and gives the entry's failure result.
int32_t LibraryFaulted(const char* entry, const faultguard::Fault& fault);

// One bound entry point, called like the function it holds. A hardware
// fault inside the library does not end the program: it is logged and
// answered as the library's own failure (0, or NDIS_STATUS_FAILURE for
// QueryOID and SetOID), so every caller carries on as for a failed call and
// frees the library lock on its usual path. For the call's duration a
// worker thread is marked as inside the library: the only place where a
// stop that runs out of time may kill it.
template <typename Fn>
class CLibEntry {
 public:
  explicit operator bool() const { return fn_ != nullptr; }
  Fn Raw() const { return fn_; }
  template <typename... A>
  int32_t operator()(A&&... args) const {
    int32_t result = 0;
    faultguard::Fault fault;
    CThread* inside = nullptr;
    const bool done = faultguard::Run(
        [&] {
          inside = CThread::EnterLibrary();
          result = fn_(std::forward<A>(args)...);
        },
        &fault);
    CThread::LeaveLibrary(inside);
    return done ? result : LibraryFaulted(name_, fault);
  }

 private:
  friend class COmxLib;
  Fn fn_ = nullptr;
  const char* name_ = "";
};

class COmxLib {
 public:
  COmxLib();
  ~COmxLib();
  COmxLib(const COmxLib&) = delete;
  COmxLib& operator=(const COmxLib&) = delete;

  // Loads the DLL, creates SynchEvent, resolves all 35 entry points (one
  // missing fails), calls OMXWL_Initial("Ombrix", 1) and frees the lock.
  bool Bind(const std::string& path);
  // Same with an in-process table (tests); every entry must be set.
  bool BindTable(const OmxEntryTable& table);
  // Drops the binding and the event (tests rebinding in one process).
  void Unbind();
  bool IsBound() const { return bound_; }

  // Media state into status; -99 when it fails or is not connected, else the
  // result of OMXWL_GetWLANStatus (asked once more when the library says so).
  int32_t QueryConnectStatus(WLStatus* status);

  HANDLE SynchEvent = nullptr;

#define OMXWL_ENTRY_FIELD(name, args) CLibEntry<PFN_##name> name;
  OMXWL_ENTRY_POINTS(OMXWL_ENTRY_FIELD)
#undef OMXWL_ENTRY_FIELD

 private:
  void Install(const OmxEntryTable& table);

  HMODULE module_ = nullptr;
  bool bound_ = false;
};

extern COmxLib g_OmxLib;
