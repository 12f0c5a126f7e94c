// A stand-in vendor library for the program's core tests: every entry point
// exists, does almost nothing and leaves a trace that the tests read back
// through FakeOmx_CallLog.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "omxwl.h"

namespace {

std::string& Calls() {
  static std::string calls;
  return calls;
}

void Trace(const char* name, const char* arg = nullptr) {
  Calls() += name;
  if (arg) {
    Calls() += '(';
    Calls() += arg;
    Calls() += ')';
  }
  Calls() += ';';
}

}  // namespace

extern "C" {

// Copies the trace into buf (at most size - 1 bytes); returns its length.
int32_t __stdcall FakeOmx_CallLog(char* buf, int32_t size) {
  const std::string& c = Calls();
  if (buf && size > 0) {
    const size_t n = c.size() < static_cast<size_t>(size - 1) ? c.size() : size - 1;
    std::memcpy(buf, c.data(), n);
    buf[n] = 0;
  }
  return static_cast<int32_t>(c.size());
}

int32_t OMXWL_API OMXWL_Initial(const char* root, int32_t flags) {
  char arg[300];
  snprintf(arg, sizeof arg, "%s,%d", root ? root : "<null>", static_cast<int>(flags));
  Trace("Initial", arg);
  return 1;
}
int32_t OMXWL_API OMXWL_SetWLProfileDir(const char* root) {
  Trace("SetWLProfileDir", root ? root : "<null>");
  return 1;
}

// The rest answers "nothing there"; out values are cleared.
// clang-format off
int32_t OMXWL_API OMXWL_EnumAvailableDevice(int32_t, DetectRec*) { return 0; }
int32_t OMXWL_API OMXWL_DevDetect(DetectRec*) { return 0; }
int32_t OMXWL_API OMXWL_QueryOID(uint32_t, void*, uint32_t, uint32_t* n) { if (n) *n = 0; return 1; }
int32_t OMXWL_API OMXWL_SetOID(uint32_t, const void*, uint32_t) { return 1; }
int32_t OMXWL_API OMXWL_SiteSurveyScan(void) { return 1; }
int32_t OMXWL_API OMXWL_SiteSurveyGet(SiteList*, uint32_t*) { return 0; }
int32_t OMXWL_API OMXWL_ChannelToFrequency(int32_t) { return 0; }
int32_t OMXWL_API OMXWL_FrequencyToChannel(int32_t) { return 0; }
int32_t OMXWL_API OMXWL_GetWLANStatus(int32_t* again, WLStatus*) { if (again) *again = 0; return 0; }
int32_t OMXWL_API OMXWL_SetWLANStatus(int32_t*, WLStatus*) { return 0; }
int32_t OMXWL_API OMXWL_WLProfileToWLStatus(const WLProfile*, WLStatus*) { return 0; }
int32_t OMXWL_API OMXWL_GetWLProfile(const char*, WLProfile*) { return 0; }
int32_t OMXWL_API OMXWL_SetWLProfile(const char*, const WLProfile*) { return 0; }
int32_t OMXWL_API OMXWL_EnumWLProfiles(int32_t, char*) { return 0; }
int32_t OMXWL_API OMXWL_DeleteWLProfile(const char*) { return 0; }
int32_t OMXWL_API OMXWL_RegExportProfile(const char*, const char*) { return 0; }
int32_t OMXWL_API OMXWL_RegImportProfile(const char*) { return 0; }
int32_t OMXWL_API OMXWL_GetNetworkInfo(NetworkInfo*) { return 0; }
int32_t OMXWL_API OMXWL_SetNetworkInfo(const NetworkInfo*) { return 0; }
int32_t OMXWL_API OMXWL_StrToIPData(const char*, uint8_t*) { return 0; }
int32_t OMXWL_API OMXWL_IPDataToStr(const uint8_t*, char* text) { if (text) *text = 0; return 0; }
int32_t OMXWL_API OMXWL_GetWLANDriverPath(char* path) { if (path) *path = 0; return 0; }
int32_t OMXWL_API OMXWL_Get_ZeroConfig(int32_t* on) { if (on) *on = 0; return 1; }
int32_t OMXWL_API OMXWL_Set_ZeroConfig(int32_t) { return 1; }
int32_t OMXWL_API OMXWL_PassphraseToWEPKey(const char*, int32_t, WEPKeySet*) { return 0; }
int32_t OMXWL_API OMXWL_GetWLANDomain(char* domain) { if (domain) *domain = 0; return 0; }
int32_t OMXWL_API OMXWL_SetWLANDomain(const char*) { return 0; }
int32_t OMXWL_API OMXWL_Disconnect(void) { return 0; }
int32_t OMXWL_API OMXWL_EnumCertificates(const CertEntry** e, int32_t) { if (e) *e = nullptr; return 0; }
int32_t OMXWL_API OMXWL_GetAllowedChannel(int32_t*, int32_t, const char*) { return 0; }
int32_t OMXWL_API OMXWL_GetAPAllowedChannel(int32_t*, int32_t, const char*) { return 0; }
int32_t OMXWL_API OMXWL_GetCurrentProfile(char* name) { if (name) *name = 0; return 0; }
int32_t OMXWL_API OMXWL_EnableDevice(int32_t) { return 1; }
// clang-format on

}  // extern "C"
