// Names in the library's records as the program's text. A profile name is
// UTF-8 in the program and store text (the system code page) in a record; a
// network name is bytes in a record and shown only through SsidDisplay.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "config/Udefine.h"

// The most store bytes a profile name may have.
constexpr size_t kProfileNameBytes = sizeof(WLProfile::ProfileName) - 1;

// The record's profile name as UTF-8.
std::string ProfileNameText(const WLProfile& p, UINT cp = CP_ACP);

// Sets the profile name (and its copy in the network information) from
// UTF-8. False, record unchanged, when a character cannot be held in the
// store (refused then names it) or the name needs more than 64 store bytes
// (refused then left empty). Never cuts.
bool SetProfileNameText(WLProfile& p, std::string_view utf8, std::string* refused = nullptr,
                        UINT cp = CP_ACP);

// UTF-8 text as a name the store can hold: every character it cannot hold
// becomes '_', cut to at most maxStoreBytes store bytes and never inside a
// character. For names that come from settings, not a user.
std::string StorableName(std::string_view utf8, size_t maxStoreBytes = kProfileNameBytes,
                         UINT cp = CP_ACP);

// A store text field (certificate, login, domain, device description) as
// UTF-8, stopping at the terminator or the width.
std::string StoreBytesText(const char* field, size_t width, UINT cp = CP_ACP);
template <size_t N>
std::string StoreFieldText(const char (&field)[N], UINT cp = CP_ACP) {
  return StoreBytesText(field, N, cp);
}

// Network names as one line of text.
std::string SsidText(const WLProfile& p, UINT cp = CP_ACP);
std::string SsidText(const SiteEntry& e, UINT cp = CP_ACP);
std::string SsidText(const WLStatus& s, UINT cp = CP_ACP);

// The bytes of a profile's network name (Ssid1, a C string of at most 32).
std::string SsidBytes(const WLProfile& p);
// Stores bytes as the profile's network name. False, record unchanged, for
// more than 32 bytes or a zero byte inside (Ssid1 is a C string).
bool SetSsidBytes(WLProfile& p, std::string_view bytes);

// A site's name holds a zero byte after its first byte: it cannot be joined
// through a profile.
bool SsidHasZero(const SiteEntry& e);

// UTF-8 text of the first character of text (for naming a refused one).
std::string FirstChar(std::string_view utf8);
