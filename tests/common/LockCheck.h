// Lock discipline, checked: a table of entry points that, before passing a
// call on, fails the running test when the entry is one the program must
// call under the library lock and the calling thread does not hold it.
// The fake library's table and the simulated DLL are bound through it in the
// adapter, worker and page tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"

namespace lockcheck {

// Called without the lock on purpose: initialisation, the profile folder at
// start-up and the three pure conversions.
inline bool Exempt(const char* entry) {
  for (const char* free : {"OMXWL_Initial", "OMXWL_SetWLProfileDir", "OMXWL_FrequencyToChannel",
                           "OMXWL_IPDataToStr", "OMXWL_PassphraseToWEPKey"})
    if (std::strcmp(entry, free) == 0) return true;
  return false;
}

inline OmxEntryTable g_Target;             // where the checked calls go
inline std::atomic<bool> g_Enabled{true};  // a test that means to break the rule turns it off
inline std::atomic<int> g_Violations{0};

inline void Check(const char* entry) {
  if (!g_Enabled || Exempt(entry)) return;
  const DWORD self = GetCurrentThreadId(), holder = librarylock::Holder();
  if (holder == self) return;
  ++g_Violations;
  ADD_FAILURE() << entry << " called by thread " << self
                << " without the library lock (holder: " << holder << ")";
}

enum Index {
#define LOCKCHECK_INDEX(name, args) k_##name,
  OMXWL_ENTRY_POINTS(LOCKCHECK_INDEX)
#undef LOCKCHECK_INDEX
};
inline const char* const kNames[] = {
#define LOCKCHECK_NAME(name, args) #name,
    OMXWL_ENTRY_POINTS(LOCKCHECK_NAME)
#undef LOCKCHECK_NAME
};

template <int I, auto Field, typename Fn>
struct Thunk;
template <int I, auto Field, typename... P>
struct Thunk<I, Field, int32_t(__stdcall*)(P...)> {
  static int32_t __stdcall Call(P... p) {
    Check(kNames[I]);
    return (g_Target.*Field)(p...);
  }
};

// The checking table in front of target.
inline OmxEntryTable Checked(const OmxEntryTable& target) {
  g_Target = target;
  OmxEntryTable t;
#define LOCKCHECK_THUNK(name, args) \
  if (target.name) t.name = &Thunk<k_##name, &OmxEntryTable::name, PFN_##name>::Call;
  OMXWL_ENTRY_POINTS(LOCKCHECK_THUNK)
#undef LOCKCHECK_THUNK
  return t;
}

// Binds a DLL (the simulated library) through the checking table, as
// g_OmxLib.Bind would bind it directly. Unbinds and frees it when it goes.
class CheckedDll {
 public:
  explicit CheckedDll(const std::string& path) {
    module_ = LoadLibraryA(path.c_str());
    if (!module_) return;
    OmxEntryTable t;
#define LOCKCHECK_PROC(name, args) \
  t.name = reinterpret_cast<PFN_##name>(reinterpret_cast<void*>(GetProcAddress(module_, #name)));
    OMXWL_ENTRY_POINTS(LOCKCHECK_PROC)
#undef LOCKCHECK_PROC
    bound_ = g_OmxLib.BindTable(Checked(t));
  }
  ~CheckedDll() {
    g_OmxLib.Unbind();
    if (module_) FreeLibrary(module_);
  }
  CheckedDll(const CheckedDll&) = delete;
  CheckedDll& operator=(const CheckedDll&) = delete;
  bool Bound() const {
    return bound_;
  }

 private:
  HMODULE module_ = nullptr;
  bool bound_ = false;
};

}  // namespace lockcheck
