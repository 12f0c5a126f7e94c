// Binding of the vendor library OMXWL.DLL: a table of its 35 entry points and
// SynchEvent, the auto-reset event that is signalled while the library is free.
#pragma once

#include <windows.h>

#include <string>

#include "omxwl.h"

// The entry-point table. A test may fill one with an in-process fake.
struct OmxEntryTable {
#define OMXWL_TABLE_FIELD(name, args) PFN_##name name = nullptr;
  OMXWL_ENTRY_POINTS(OMXWL_TABLE_FIELD)
#undef OMXWL_TABLE_FIELD
};

class COmxLib : public OmxEntryTable {
 public:
  COmxLib() = default;
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

 private:
  HMODULE module_ = nullptr;
  bool bound_ = false;
};

extern COmxLib g_OmxLib;
