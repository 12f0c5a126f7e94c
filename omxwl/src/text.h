// Bounded text helpers for the records' fixed-width fields and for texts the
// caller hands in: copies always terminate, reads stop at a width.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace omx {

// Copies at most size-1 bytes and zero-fills the rest of the field.
inline void PutText(char* dst, size_t size, std::string_view src) {
  if (!dst || size == 0) return;
  size_t n = src.size() < size - 1 ? src.size() : size - 1;
  if (n) std::memcpy(dst, src.data(), n);
  std::memset(dst + n, 0, size - n);
}

template <size_t N>
inline void PutField(char (&dst)[N], std::string_view src) {
  PutText(dst, N, src);
}

// Text of a field: up to the first zero byte or the width.
inline std::string GetText(const char* src, size_t width) {
  if (!src) return {};
  const void* z = std::memchr(src, 0, width);
  size_t n = z ? static_cast<size_t>(static_cast<const char*>(z) - src) : width;
  return std::string(src, n);
}

template <size_t N>
inline std::string GetField(const char (&src)[N]) {
  return GetText(src, N);
}

// A caller's C string, read no further than max bytes; sets *cut when no
// terminator was found within them.
inline std::string InText(const char* src, size_t max, bool* cut = nullptr) {
  if (cut) *cut = false;
  if (!src) return {};
  size_t n = strnlen(src, max);
  if (cut && n == max) *cut = true;
  return std::string(src, n);
}

std::string Upper(std::string_view s);
std::string Trim(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// A network name for a debug text: control bytes, DEL and bytes above 127 as
// \xNN, so a name of any bytes (a zero byte inside too) stays on its line.
std::string Escaped(std::string_view s);
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace omx
