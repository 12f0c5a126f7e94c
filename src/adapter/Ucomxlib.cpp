#include "adapter/Ucomxlib.h"

#include "app/Udebug.h"
#include "config/Uunicode.h"

COmxLib g_OmxLib;

namespace {

// Visits every entry point of the table in binding order with its export
// name.
template <typename F>
void ForEachEntry(OmxEntryTable& table, F&& f) {
#define OMXWL_VISIT(name, args) f(#name, reinterpret_cast<void**>(&table.name));
  OMXWL_ENTRY_POINTS(OMXWL_VISIT)
#undef OMXWL_VISIT
}

}  // namespace

// The event and the module are left to the end of the process: another
// global object may still take the lock while it is destroyed, and a worker
// killed at exit may have left the library unfit to run its unload code.
COmxLib::~COmxLib() = default;

COmxLib::COmxLib() {
#define OMXWL_NAME_ENTRY(name, args) name.name_ = #name;
  OMXWL_ENTRY_POINTS(OMXWL_NAME_ENTRY)
#undef OMXWL_NAME_ENTRY
}

int32_t LibraryFaulted(const char* entry, const faultguard::Fault& fault) {
  LogWrite("Exception(COmxLib::%s): %s", entry, faultguard::Describe(fault).c_str());
  const std::string name(entry);
  return name == "OMXWL_QueryOID" || name == "OMXWL_SetOID" ? static_cast<int32_t>(0xC0000001) : 0;
}

void COmxLib::Unbind() {
  bound_ = false;
  Install(OmxEntryTable{});
  if (SynchEvent) {
    CloseHandle(SynchEvent);
    SynchEvent = nullptr;
  }
  if (module_) {
    FreeLibrary(module_);
    module_ = nullptr;
  }
}

bool COmxLib::Bind(const std::string& path) {
  Unbind();
  module_ = LoadLibraryW(Wide(path).c_str());
  if (!module_) {
    LogError(GetLastError(), "LoadLibrary(%s) failed", path.c_str());
    return false;
  }
  OmxEntryTable table;
  bool complete = true;
  ForEachEntry(table, [&](const char* name, void** slot) {
    if (!complete) return;
    *slot = reinterpret_cast<void*>(GetProcAddress(module_, name));
    if (!*slot) {
      LogError(GetLastError(), "GetProcAddress(%s) failed", name);
      complete = false;
    }
  });
  if (!complete) {
    FreeLibrary(module_);
    module_ = nullptr;
    return false;
  }
  HMODULE module = module_;
  module_ = nullptr;  // BindTable unbinds first; keep the module out of that
  if (!BindTable(table)) {
    FreeLibrary(module);
    return false;
  }
  module_ = module;
  return true;
}

bool COmxLib::BindTable(const OmxEntryTable& table) {
  Unbind();
  OmxEntryTable copy = table;
  bool complete = true;
  ForEachEntry(copy, [&](const char* name, void** slot) {
    if (!*slot && complete) {
      LogWrite("COmxLib: entry point %s missing", name);
      complete = false;
    }
  });
  if (!complete) return false;

  // Unsignalled until the library is initialised: nobody may call it before.
  SynchEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!SynchEvent) {
    LogError(GetLastError(), "COmxLib: CreateEvent failed");
    return false;
  }
  Install(copy);
  LogWrite("call OMXWL_Initial");
  const int32_t r = OMXWL_Initial("Ombrix", 1);
  LogWrite("call OMXWL_Initial end %d", static_cast<int>(r));
  bound_ = true;
  SetEvent(SynchEvent);
  return true;
}

void COmxLib::Install(const OmxEntryTable& table) {
#define OMXWL_INSTALL_ENTRY(name, args) name.fn_ = table.name;
  OMXWL_ENTRY_POINTS(OMXWL_INSTALL_ENTRY)
#undef OMXWL_INSTALL_ENTRY
}

int32_t COmxLib::QueryConnectStatus(WLStatus* status) {
  if (!bound_ || !status) return -99;
  uint32_t written = 0;
  if (OMXWL_QueryOID(OMXWL_OID_GEN_MEDIA_CONNECT_STATUS, &status->MediaState,
                     sizeof status->MediaState, &written) != 0 ||
      status->MediaState != 0) {
    return -99;
  }
  int32_t again = 0;
  int32_t r = OMXWL_GetWLANStatus(&again, status);
  if (again) r = OMXWL_GetWLANStatus(&again, status);
  return r;
}
