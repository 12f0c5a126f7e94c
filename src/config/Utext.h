// Fixed-width text fields of the wire records: copy in with one bounded
// helper that always terminates, read out stopping at the terminator or the
// width. Never strcpy, never trust a terminator from outside.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

// Copies at most size-1 bytes of src into dst and terminates. Longer text is
// cut to the field's capacity less one.
inline void CopyText(char* dst, size_t size, std::string_view src) {
  if (size == 0) return;
  size_t n = src.size() < size - 1 ? src.size() : size - 1;
  if (n) std::memcpy(dst, src.data(), n);
  std::memset(dst + n, 0, size - n);
}

// Text of a field of the given width: up to the first zero byte or width.
inline std::string FieldText(const char* field, size_t width) {
  const void* z = std::memchr(field, 0, width);
  size_t n = z ? static_cast<size_t>(static_cast<const char*>(z) - field) : width;
  return std::string(field, n);
}

template <size_t N>
inline void SetField(char (&dst)[N], std::string_view src) {
  CopyText(dst, N, src);
}
template <size_t N>
inline std::string FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}
template <size_t N>
inline std::string FieldText(const unsigned char (&field)[N]) {
  return FieldText(reinterpret_cast<const char*>(field), N);
}

// A text with one "%s" taken from a string file: the first "%s" becomes arg,
// "%%" becomes "%", anything else stays as written. Unlike printf, a format
// with other or more conversions cannot read past its argument.
inline std::string FormatText(std::string_view format, std::string_view arg) {
  std::string out;
  out.reserve(format.size() + arg.size());
  bool used = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 's') {
        if (!used) out.append(arg);
        used = true;
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}
