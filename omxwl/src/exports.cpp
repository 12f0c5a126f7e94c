// The 35 exported entry points: each one runs its fault knobs, then the
// library, and never lets an exception out.
#include <exception>

#include "debug.h"
#include "library.h"
#include "radio.h"
#include "text.h"

using omx::Entry;
using omx::Library;
using omx::Trace;

namespace {

constexpr int32_t kNdisFailure = static_cast<int32_t>(0xC0000001);

// A real access violation, as a faulty vendor library would raise it: a
// store through an address the compiler cannot see to be bad.
volatile uintptr_t g_BadAddress = 0x10;

[[noreturn]] void Crash(Entry entry) {
  Trace("%s crashes (fault knob)", omx::EntryName(entry));
  *reinterpret_cast<volatile int32_t*>(g_BadAddress) = 1;
  __builtin_trap();
}

template <class Body>
int32_t Run(Entry entry, int32_t failure, Body&& body) {
  Library* lib = Library::Get();
  if (!lib) return failure;
  if (lib->CrashKnob(entry)) Crash(entry);
  const char* name = omx::EntryName(entry);
  try {
    lib->EnsureStarted();
    uint32_t delay = 0;
    bool fail = false;
    lib->Knobs(entry, &delay, &fail);
    if (delay) {
      lib->DelayCall(entry, delay);
      lib->Knobs(entry, &delay, &fail);
    }
    if (fail) {
      Trace("%s fails (fault knob)", name);
      return failure;
    }
    return body(*lib);
  } catch (const std::exception& e) {
    Trace("%s: %s", name, e.what());
  } catch (...) {
    Trace("%s: unexpected failure", name);
  }
  return failure;
}

}  // namespace

extern "C" {

int32_t OMXWL_API OMXWL_Initial(const char* root, int32_t flags) {
  return Run(Entry::OMXWL_Initial, 0, [&](Library& l) { return l.Initial(root, flags); });
}

int32_t OMXWL_API OMXWL_EnumAvailableDevice(int32_t index, DetectRec* rec) {
  return Run(Entry::OMXWL_EnumAvailableDevice, 0,
             [&](Library& l) { return l.EnumAvailableDevice(index, rec); });
}

int32_t OMXWL_API OMXWL_DevDetect(DetectRec* rec) {
  return Run(Entry::OMXWL_DevDetect, 0, [&](Library& l) { return l.DevDetect(rec); });
}

int32_t OMXWL_API OMXWL_QueryOID(uint32_t oid, void* buf, uint32_t len, uint32_t* written) {
  return Run(Entry::OMXWL_QueryOID, kNdisFailure,
             [&](Library& l) { return l.QueryOID(oid, buf, len, written); });
}

int32_t OMXWL_API OMXWL_SetOID(uint32_t oid, const void* buf, uint32_t len) {
  return Run(Entry::OMXWL_SetOID, kNdisFailure,
             [&](Library& l) { return l.SetOID(oid, buf, len); });
}

int32_t OMXWL_API OMXWL_SiteSurveyScan(void) {
  return Run(Entry::OMXWL_SiteSurveyScan, 0, [&](Library& l) { return l.SiteSurveyScan(); });
}

int32_t OMXWL_API OMXWL_SiteSurveyGet(SiteList* list, uint32_t* len) {
  return Run(Entry::OMXWL_SiteSurveyGet, 0, [&](Library& l) { return l.SiteSurveyGet(list, len); });
}

int32_t OMXWL_API OMXWL_ChannelToFrequency(int32_t channel) {
  return Run(Entry::OMXWL_ChannelToFrequency, 0,
             [&](Library&) { return omx::ChannelToFrequency(channel); });
}

int32_t OMXWL_API OMXWL_FrequencyToChannel(int32_t frequency) {
  return Run(Entry::OMXWL_FrequencyToChannel, 0,
             [&](Library&) { return omx::FrequencyToChannel(frequency); });
}

int32_t OMXWL_API OMXWL_GetWLANStatus(int32_t* again, WLStatus* status) {
  return Run(Entry::OMXWL_GetWLANStatus, 0,
             [&](Library& l) { return l.GetWLANStatus(again, status); });
}

int32_t OMXWL_API OMXWL_SetWLANStatus(int32_t* word, WLStatus* status) {
  return Run(Entry::OMXWL_SetWLANStatus, 0,
             [&](Library& l) { return l.SetWLANStatus(word, status); });
}

int32_t OMXWL_API OMXWL_WLProfileToWLStatus(const WLProfile* profile, WLStatus* status) {
  return Run(Entry::OMXWL_WLProfileToWLStatus, 0,
             [&](Library& l) { return l.WLProfileToWLStatus(profile, status); });
}

int32_t OMXWL_API OMXWL_SetWLProfileDir(const char* root) {
  return Run(Entry::OMXWL_SetWLProfileDir, 0, [&](Library& l) { return l.SetWLProfileDir(root); });
}

int32_t OMXWL_API OMXWL_GetWLProfile(const char* name, WLProfile* profile) {
  return Run(Entry::OMXWL_GetWLProfile, 0,
             [&](Library& l) { return l.GetWLProfile(name, profile); });
}

int32_t OMXWL_API OMXWL_SetWLProfile(const char* name, const WLProfile* profile) {
  return Run(Entry::OMXWL_SetWLProfile, 0,
             [&](Library& l) { return l.SetWLProfile(name, profile); });
}

int32_t OMXWL_API OMXWL_EnumWLProfiles(int32_t index, char* name) {
  return Run(Entry::OMXWL_EnumWLProfiles, 0,
             [&](Library& l) { return l.EnumWLProfiles(index, name); });
}

int32_t OMXWL_API OMXWL_DeleteWLProfile(const char* name) {
  return Run(Entry::OMXWL_DeleteWLProfile, 0, [&](Library& l) { return l.DeleteWLProfile(name); });
}

int32_t OMXWL_API OMXWL_RegExportProfile(const char* name, const char* path) {
  return Run(Entry::OMXWL_RegExportProfile, 0,
             [&](Library& l) { return l.RegExportProfile(name, path); });
}

int32_t OMXWL_API OMXWL_RegImportProfile(const char* path) {
  return Run(Entry::OMXWL_RegImportProfile, 0,
             [&](Library& l) { return l.RegImportProfile(path); });
}

int32_t OMXWL_API OMXWL_GetNetworkInfo(NetworkInfo* info) {
  return Run(Entry::OMXWL_GetNetworkInfo, 0, [&](Library& l) { return l.GetNetworkInfo(info); });
}

int32_t OMXWL_API OMXWL_SetNetworkInfo(const NetworkInfo* info) {
  return Run(Entry::OMXWL_SetNetworkInfo, 0, [&](Library& l) { return l.SetNetworkInfo(info); });
}

// "a.b.c.d" into 4 bytes in network order; an empty text is 0.0.0.0.
int32_t OMXWL_API OMXWL_StrToIPData(const char* text, uint8_t* ip) {
  return Run(Entry::OMXWL_StrToIPData, 0, [&](Library&) -> int32_t {
    if (!text || !ip) return 0;
    bool cut = false;
    std::string s = omx::Trim(omx::InText(text, 260, &cut));
    if (cut) return 0;
    uint8_t out[4] = {};
    if (!s.empty()) {
      size_t pos = 0;
      for (int part = 0; part < 4; ++part) {
        size_t digits = 0;
        unsigned value = 0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && digits < 3) {
          value = value * 10 + (s[pos++] - '0');
          ++digits;
        }
        if (!digits || value > 255) return 0;
        out[part] = static_cast<uint8_t>(value);
        if (part < 3) {
          if (pos >= s.size() || s[pos] != '.') return 0;
          ++pos;
        }
      }
      if (pos != s.size()) return 0;
    }
    for (int i = 0; i < 4; ++i) ip[i] = out[i];
    return 1;
  });
}

// 4 bytes to "a.b.c.d"; 0.0.0.0 gives the empty text (no address).
int32_t OMXWL_API OMXWL_IPDataToStr(const uint8_t* ip, char* text) {
  return Run(Entry::OMXWL_IPDataToStr, 0, [&](Library&) -> int32_t {
    if (!ip || !text) return 0;
    if (!ip[0] && !ip[1] && !ip[2] && !ip[3]) {
      text[0] = 0;
      return 0;
    }
    std::string s = omx::Format("%u.%u.%u.%u", ip[0], ip[1], ip[2], ip[3]);
    omx::PutText(text, s.size() + 1, s);
    return 1;
  });
}

int32_t OMXWL_API OMXWL_GetWLANDriverPath(char* path) {
  return Run(Entry::OMXWL_GetWLANDriverPath, 0,
             [&](Library& l) { return l.GetWLANDriverPath(path); });
}

int32_t OMXWL_API OMXWL_Get_ZeroConfig(int32_t* on) {
  return Run(Entry::OMXWL_Get_ZeroConfig, 0, [&](Library& l) { return l.GetZeroConfig(on); });
}

int32_t OMXWL_API OMXWL_Set_ZeroConfig(int32_t on) {
  return Run(Entry::OMXWL_Set_ZeroConfig, 0, [&](Library& l) { return l.SetZeroConfig(on); });
}

int32_t OMXWL_API OMXWL_PassphraseToWEPKey(const char* phrase, int32_t size, WEPKeySet* keys) {
  return Run(Entry::OMXWL_PassphraseToWEPKey, 0, [&](Library&) -> int32_t {
    if (!phrase || !keys || (size != 1 && size != 2)) return 0;
    bool cut = false;
    std::string p = omx::InText(phrase, 257, &cut);
    if (cut || p.empty()) return 0;
    WEPKeySet out{};
    if (size == 1) {
      uint8_t k[4][5];
      omx::Wep64FromPhrase(p, k);
      out.KeyLength = 5;
      for (int i = 0; i < 4; ++i)
        omx::PutText(out.Keys[i], sizeof out.Keys[i], omx::HexUpper(k[i], 5));
    } else {
      uint8_t k[13];
      omx::Wep128FromPhrase(p, k);
      out.KeyLength = 13;
      for (int i = 0; i < 4; ++i)
        omx::PutText(out.Keys[i], sizeof out.Keys[i], omx::HexUpper(k, 13));
    }
    *keys = out;
    return 1;
  });
}

int32_t OMXWL_API OMXWL_GetWLANDomain(char* domain) {
  return Run(Entry::OMXWL_GetWLANDomain, 0, [&](Library& l) { return l.GetWLANDomain(domain); });
}

int32_t OMXWL_API OMXWL_SetWLANDomain(const char* domain) {
  return Run(Entry::OMXWL_SetWLANDomain, 0, [&](Library& l) { return l.SetWLANDomain(domain); });
}

int32_t OMXWL_API OMXWL_Disconnect(void) {
  return Run(Entry::OMXWL_Disconnect, 0, [&](Library& l) { return l.Disconnect(); });
}

int32_t OMXWL_API OMXWL_EnumCertificates(const CertEntry** entries, int32_t kind) {
  return Run(Entry::OMXWL_EnumCertificates, 0,
             [&](Library& l) { return l.EnumCertificates(entries, kind); });
}

int32_t OMXWL_API OMXWL_GetAllowedChannel(int32_t* channels, int32_t band, const char* domain) {
  return Run(Entry::OMXWL_GetAllowedChannel, 0,
             [&](Library& l) { return l.GetAllowedChannel(channels, band, domain, false); });
}

int32_t OMXWL_API OMXWL_GetAPAllowedChannel(int32_t* channels, int32_t band, const char* domain) {
  return Run(Entry::OMXWL_GetAPAllowedChannel, 0,
             [&](Library& l) { return l.GetAllowedChannel(channels, band, domain, true); });
}

int32_t OMXWL_API OMXWL_GetCurrentProfile(char* name) {
  return Run(Entry::OMXWL_GetCurrentProfile, 0,
             [&](Library& l) { return l.GetCurrentProfile(name); });
}

int32_t OMXWL_API OMXWL_EnableDevice(int32_t enable) {
  return Run(Entry::OMXWL_EnableDevice, 0, [&](Library& l) { return l.EnableDevice(enable); });
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    Library::OnAttach(module);
    return Library::Get() != nullptr;
  }
  if (reason == DLL_PROCESS_DETACH) Library::OnDetach(reserved != nullptr);
  return TRUE;
}

}  // extern "C"
