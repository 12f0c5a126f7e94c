// What tests ask of an adapter object: the names of a profile list, the
// network of its link, and a bounded wait for the link.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "adapter/Unicadapter.h"
#include "common/WaitUntil.h"
#include "config/Utext.h"

inline std::vector<std::string> Names(const std::vector<WLProfile>& list) {
  std::vector<std::string> out;
  for (const WLProfile& p : list) out.push_back(FieldText(p.ProfileName));
  return out;
}

inline std::string SsidOf(const WLStatus& s) {
  const size_t n = std::min<size_t>(s.SsidLength, sizeof s.Ssid);
  return std::string(reinterpret_cast<const char*>(s.Ssid), n);
}

// The SSID of the adapter's link; empty while it is down.
inline std::string LinkedSsid(CNICAdapter& adapter) {
  WLStatus s{};
  adapter.GetStatus(s);
  return s.MediaState == 0 ? SsidOf(s) : std::string();
}

// Waits for a link (to ssid, when given); false when none came within ms.
inline bool Linked(CNICAdapter& adapter, const std::string& ssid = std::string(),
                   DWORD ms = 30000) {
  return WaitUntil(
      [&] {
        WLStatus s{};
        adapter.GetStatus(s);
        return s.MediaState == 0 && (ssid.empty() || SsidOf(s) == ssid);
      },
      ms);
}
