#include "config/Uunicode.h"

#include <climits>
#include <vector>

namespace {

constexpr size_t kSsidBytes = 32;

// Code pages whose conversions take no flags at all (and no default
// character): the stateful and the 7-bit ones.
bool TakesNoFlags(UINT cp) {
  return cp == 42 || (cp >= 50220 && cp <= 50229) || cp == 52936 || (cp >= 57002 && cp <= 57011) ||
         cp == CP_UTF7;
}

UINT Resolve(UINT cp) {
  if (cp == CP_ACP) return GetACP();
  if (cp == CP_OEMCP) return GetOEMCP();
  return cp;
}

// One code point of UTF-8 at text[i]: its length, or 0 when the bytes there
// are not a well-formed sequence.
size_t DecodeUtf8(std::string_view text, size_t i, uint32_t& cp) {
  const auto b = [&](size_t k) { return static_cast<uint8_t>(text[i + k]); };
  const uint8_t lead = b(0);
  if (lead < 0x80) {
    cp = lead;
    return 1;
  }
  size_t len;
  uint32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2, min = 0x80, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3, min = 0x800, cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4, min = 0x10000, cp = lead & 0x07;
  } else {
    return 0;  // a continuation byte, C0/C1 (always overlong) or F5..FF
  }
  if (text.size() - i < len) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

void PutUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void PutEscape(std::string& out, uint32_t value) {
  static const char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[(value >> 4) & 0xF];
  out += kHex[value & 0xF];
}

bool IsControl(uint32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

// A network name taken apart: code points, or bytes that did not decode.
struct Piece {
  uint32_t value;
  bool raw;
};

// Exactly one code point from wide text, or false.
bool OneCodePoint(const wchar_t* w, int n, uint32_t& cp) {
  if (n == 1 && (w[0] < 0xD800 || w[0] > 0xDFFF)) {
    cp = w[0];
    return true;
  }
  if (n == 2 && w[0] >= 0xD800 && w[0] <= 0xDBFF && w[1] >= 0xDC00 && w[1] <= 0xDFFF) {
    cp = 0x10000 + ((static_cast<uint32_t>(w[0]) - 0xD800) << 10) + (w[1] - 0xDC00);
    return true;
  }
  return false;
}

std::vector<Piece> SsidPieces(const uint8_t* bytes, size_t n, UINT cp) {
  std::vector<Piece> pieces;
  if (!bytes) return pieces;
  if (n > kSsidBytes) n = kSsidBytes;
  const std::string_view text(reinterpret_cast<const char*>(bytes), n);
  if (IsUtf8(text)) {
    uint32_t c = 0;
    for (size_t i = 0, len; i < n; i += len) {
      len = DecodeUtf8(text, i, c);
      pieces.push_back({c, false});
    }
    return pieces;
  }
  // Character by character, so that one bad byte costs only itself.
  cp = Resolve(cp);
  const DWORD flags = TakesNoFlags(cp) ? 0 : MB_ERR_INVALID_CHARS;
  for (size_t i = 0; i < n;) {
    size_t tries[2] = {1, 0};
    if (IsDBCSLeadByteEx(cp, bytes[i])) tries[0] = 2, tries[1] = 4;  // 4: GB18030
    bool done = false;
    for (size_t len : tries) {
      if (!len || i + len > n) continue;
      wchar_t w[4];
      const int got = MultiByteToWideChar(cp, flags, text.data() + i, static_cast<int>(len), w, 4);
      uint32_t c = 0;
      if (got > 0 && OneCodePoint(w, got, c)) {
        pieces.push_back({c, false});
        i += len;
        done = true;
        break;
      }
    }
    if (!done) pieces.push_back({bytes[i++], true});
  }
  return pieces;
}

// Store bytes of one code point, or false when the store cannot hold it.
bool StoreOf(uint32_t c, std::string& out, UINT cp) {
  std::string utf8;
  PutUtf8(utf8, c);
  return ToStore(utf8, out, nullptr, cp);
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return std::wstring();
  const int len = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), len, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), len, out.data(), n);
  return out;
}

std::string Utf8(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX / 4) return std::string();
  const int len = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), len, out.data(), n, nullptr, nullptr);
  return out;
}

std::string FromCodePage(std::string_view bytes, UINT cp) {
  if (bytes.empty() || bytes.size() > INT_MAX) return std::string();
  const int len = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(cp, 0, bytes.data(), len, nullptr, 0);
  if (n <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, bytes.data(), len, wide.data(), n);
  return Utf8(wide);
}

bool ToStore(std::string_view utf8, std::string& out, std::string* refused, UINT cp) {
  // Malformed input or a zero character (store fields are C strings): the
  // first offender is named.
  uint32_t c = 0;
  for (size_t i = 0, len; i < utf8.size(); i += len) {
    len = DecodeUtf8(utf8, i, c);
    if (!len || c == 0) {
      if (refused) {
        refused->clear();
        PutEscape(*refused, static_cast<uint8_t>(utf8[i]));
      }
      return false;
    }
  }
  if (utf8.empty()) {
    out.clear();
    return true;
  }
  cp = Resolve(cp);
  if (cp == CP_UTF8) {
    out.assign(utf8);
    return true;
  }
  const std::wstring wide = Wide(utf8);
  const int wlen = static_cast<int>(wide.size());
  // Without WC_NO_BEST_FIT_CHARS 'ā' would quietly become 'a'. Code pages
  // that take no flags are checked by the way back alone.
  const bool flagged = !TakesNoFlags(cp) && cp != 54936;
  const DWORD flags = flagged ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL usedDefault = FALSE;
  BOOL* used = flagged ? &usedDefault : nullptr;
  std::string bytes;
  int n = WideCharToMultiByte(cp, flags, wide.data(), wlen, nullptr, 0, nullptr, used);
  bool ok = n > 0 && !usedDefault;
  if (ok) {
    bytes.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, flags, wide.data(), wlen, bytes.data(), n, nullptr, used);
    const int back = MultiByteToWideChar(cp, 0, bytes.data(), n, nullptr, 0);
    std::wstring again(back > 0 ? static_cast<size_t>(back) : 0, L'\0');
    if (back > 0) MultiByteToWideChar(cp, 0, bytes.data(), n, again.data(), back);
    ok = !usedDefault && again == wide;
  }
  if (ok) {
    out = std::move(bytes);
    return true;
  }
  if (refused) {
    refused->clear();
    // The first character that fails on its own; for a text of more than
    // one that is always there unless the code page keeps state.
    std::string one;
    for (size_t i = 0, len; i < utf8.size() && refused->empty(); i += len) {
      len = DecodeUtf8(utf8, i, c);
      if (len == utf8.size()) {
        refused->assign(utf8);
      } else if (!StoreOf(c, one, cp)) {
        refused->assign(utf8.substr(i, len));
      }
    }
  }
  return false;
}

bool IsUtf8(std::string_view text) {
  uint32_t c = 0;
  for (size_t i = 0, len; i < text.size(); i += len) {
    len = DecodeUtf8(text, i, c);
    if (!len) return false;
  }
  return true;
}

std::string SsidDisplay(const uint8_t* bytes, size_t n, UINT cp) {
  std::string out;
  for (const Piece& p : SsidPieces(bytes, n, cp)) {
    if (p.raw || IsControl(p.value)) {
      PutEscape(out, p.value);
    } else if (p.value == '\\') {
      out += "\\\\";
    } else {
      PutUtf8(out, p.value);
    }
  }
  return out;
}

std::string ProposedName(const uint8_t* ssid, size_t n, size_t maxStoreBytes, UINT cp) {
  std::string out, stored;
  size_t storeBytes = 0;
  for (const Piece& p : SsidPieces(ssid, n, cp)) {
    uint32_t c = p.value;
    if (p.raw || IsControl(c) || !StoreOf(c, stored, cp)) {
      c = '_';
      stored = "_";
    }
    if (storeBytes + stored.size() > maxStoreBytes) break;
    storeBytes += stored.size();
    PutUtf8(out, c);
  }
  return out;
}

bool TypedSsid(std::string_view utf8, std::string& bytes) {
  if (utf8.size() > kSsidBytes) return false;
  uint32_t c = 0;
  for (size_t i = 0, len; i < utf8.size(); i += len) {
    len = DecodeUtf8(utf8, i, c);
    if (!len || IsControl(c)) return false;
  }
  bytes.assign(utf8);
  return true;
}

void CutUtf16(std::wstring& text, size_t units) {
  if (text.size() <= units) return;
  text.resize(units);
  if (units && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && a == b) return true;
  const std::wstring wa = Wide(a), wb = Wide(b);
  if (wa.size() != wb.size()) return false;
  // CompareStringOrdinal is Vista and later; the program's floor is 7.
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                              static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

std::string EscapeControls(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  uint32_t c = 0;
  for (size_t i = 0, len; i < utf8.size(); i += len) {
    len = DecodeUtf8(utf8, i, c);
    if (!len) {
      PutEscape(out, static_cast<uint8_t>(utf8[i]));
      len = 1;
    } else if (IsControl(c)) {
      PutEscape(out, c);
    } else {
      out.append(utf8.substr(i, len));
    }
  }
  return out;
}
