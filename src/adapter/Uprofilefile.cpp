// Profile files, and the adapter's operations built on them: export,
// import with a fresh station list, and dropping the link.
#include "adapter/Uprofilefile.h"

#include <cstring>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"

namespace {

// A library that never ends its enumeration must not hold the caller.
constexpr int32_t kMaxProfiles = 4096;

}  // namespace

namespace profilefile {

std::string StoredName(const std::string& name, HANDLE stopEvent, CThread* thread) {
  if (name.empty()) return std::string();
  CLibraryGuard lib(stopEvent, thread);
  if (!lib) return std::string();
  std::string folded;
  for (int32_t index = 0; index < kMaxProfiles; ++index) {
    char buffer[256] = {};
    if (g_OmxLib.OMXWL_EnumWLProfiles(index, buffer) != 1) break;
    const std::string stored = FieldText(buffer, sizeof buffer);
    if (stored == name) return stored;
    if (folded.empty() && _stricmp(stored.c_str(), name.c_str()) == 0) folded = stored;
  }
  return folded;
}

int32_t Export(const std::string& storedName, const std::string& path, HANDLE stopEvent,
               CThread* thread) {
  CLibraryGuard lib(stopEvent, thread);
  if (!lib) return 0;
  LogWrite("call OMXWL_RegExportProfile");
  const int32_t n = g_OmxLib.OMXWL_RegExportProfile(storedName.c_str(), path.c_str());
  LogWrite("call OMXWL_RegExportProfile end %d", static_cast<int>(n));
  return n > 0 ? n : 0;
}

int32_t Import(const std::string& path, HANDLE stopEvent, CThread* thread) {
  CLibraryGuard lib(stopEvent, thread);
  if (!lib) return 0;
  LogWrite("call OMXWL_RegImportProfile");
  const int32_t n = g_OmxLib.OMXWL_RegImportProfile(path.c_str());
  LogWrite("call OMXWL_RegImportProfile end %d", static_cast<int>(n));
  return n > 0 ? n : 0;
}

}  // namespace profilefile

std::string CNICAdapter::StoredProfileName(const std::string& name) {
  return profilefile::StoredName(name, StopEvent, this);
}

int32_t CNICAdapter::ExportProfiles(const std::string& storedName, const std::string& path) {
  LogWrite("CNICAdapter::ExportProfiles()");
  return profilefile::Export(storedName, path, StopEvent, this);
}

int32_t CNICAdapter::ImportProfiles(const std::string& path) {
  LogWrite("CNICAdapter::ImportProfiles()");
  const int32_t n = profilefile::Import(path, StopEvent, this);
  if (n == 0) return 0;
  // The stored order keeps its names; the new ones follow at the end.
  std::vector<WLProfile> fresh;
  ReadProfileList(kStationList, fresh);
  // An aborted read leaves the list as it was rather than empty.
  if (!fresh.empty()) ProfList.swap(fresh);
  PostNotify(kNotifyProfiles, 0);
  return n;
}

void CNICAdapter::Disconnect() {
  FuncList.Add({this, &CNICAdapter::DoDisconnect});
  SetEvent(FuncEvent);
}

void CNICAdapter::DoDisconnect() {
  LogWrite("CNICAdapter::DoDisconnect()");
  {
    CLibraryGuard lib(StopEvent, this);
    if (!lib) return;
    LogWrite("call OMXWL_Disconnect");
    const int32_t r = g_OmxLib.OMXWL_Disconnect();
    LogWrite("call OMXWL_Disconnect end %d", static_cast<int>(r));
  }
  // A sample at once, so the window shows the drop without waiting.
  CollectStatus();
  LogWrite("CNICAdapter::DoDisconnect() end");
}
