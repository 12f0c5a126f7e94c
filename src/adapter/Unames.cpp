#include "adapter/Unames.h"

#include <cstring>

#include "config/Uunicode.h"

namespace {

constexpr size_t kSsidMax = 32;

size_t FieldLength(const char* field, size_t width) {
  const void* z = std::memchr(field, 0, width);
  return z ? static_cast<size_t>(static_cast<const char*>(z) - field) : width;
}

// Length in bytes of the UTF-8 sequence starting at text[i] (1 for a
// malformed byte, so a walk always moves on).
size_t CharLength(std::string_view text, size_t i) {
  const unsigned char b = static_cast<unsigned char>(text[i]);
  size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
  if (i + len > text.size()) return 1;
  for (size_t k = 1; k < len; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  return len;
}

}  // namespace

std::string ProfileNameText(const WLProfile& p, UINT cp) {
  return StoreFieldText(p.ProfileName, cp);
}

bool SetProfileNameText(WLProfile& p, std::string_view utf8, std::string* refused, UINT cp) {
  std::string store;
  if (refused) refused->clear();
  if (!ToStore(utf8, store, refused, cp)) return false;
  if (store.size() > kProfileNameBytes) return false;
  SetField(p.ProfileName, store);
  SetField(p.NetInfo.NI_sz_CurProfile, store);
  return true;
}

std::string StorableName(std::string_view utf8, size_t maxStoreBytes, UINT cp) {
  std::string out, stored;
  size_t storeBytes = 0;
  for (size_t i = 0; i < utf8.size();) {
    const size_t len = CharLength(utf8, i);
    std::string_view c = utf8.substr(i, len);
    const bool held = ToStore(c, stored, nullptr, cp);
    if (!held) c = "_";
    const size_t size = held ? stored.size() : 1;
    if (storeBytes + size > maxStoreBytes) break;
    storeBytes += size;
    out.append(c);
    i += len;
  }
  return out;
}

std::string StoreBytesText(const char* field, size_t width, UINT cp) {
  return FromCodePage(std::string_view(field, FieldLength(field, width)), cp);
}

std::string SsidText(const WLProfile& p, UINT cp) {
  return SsidDisplay(reinterpret_cast<const uint8_t*>(p.Ssid1), FieldLength(p.Ssid1, kSsidMax), cp);
}

std::string SsidText(const SiteEntry& e, UINT cp) {
  return SsidDisplay(e.Ssid, e.SsidLength < kSsidMax ? e.SsidLength : kSsidMax, cp);
}

std::string SsidText(const WLStatus& s, UINT cp) {
  return SsidDisplay(s.Ssid, s.SsidLength < kSsidMax ? s.SsidLength : kSsidMax, cp);
}

std::string SsidBytes(const WLProfile& p) {
  return std::string(p.Ssid1, FieldLength(p.Ssid1, kSsidMax));
}

bool SetSsidBytes(WLProfile& p, std::string_view bytes) {
  if (bytes.size() > kSsidMax || bytes.find('\0') != std::string_view::npos) return false;
  std::memset(p.Ssid1, 0, sizeof p.Ssid1);
  if (!bytes.empty()) std::memcpy(p.Ssid1, bytes.data(), bytes.size());
  return true;
}

bool SsidHasZero(const SiteEntry& e) {
  const size_t n = e.SsidLength < kSsidMax ? e.SsidLength : kSsidMax;
  return n > 1 && std::memchr(e.Ssid + 1, 0, n - 1) != nullptr;
}

std::string FirstChar(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  return std::string(utf8.substr(0, CharLength(utf8, 0)));
}
