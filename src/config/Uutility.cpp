#include "config/Uutility.h"

#include <climits>
#include <cstdio>
#include <vector>

#include "config/Uunicode.h"

namespace {

// Optional sign and decimal digits, within 32 bits.
bool ParseDecimal(const std::string& item, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < item.size() && (item[i] == '+' || item[i] == '-')) negative = item[i++] == '-';
  if (i == item.size()) return false;
  int64_t v = 0;
  for (; i < item.size(); ++i) {
    if (item[i] < '0' || item[i] > '9') return false;
    v = v * 10 + (item[i] - '0');
    if (v > static_cast<int64_t>(INT32_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool IsSeparatorBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string GetFileVersionText(const std::string& path, int n) {
  DWORD ignored = 0;
  const std::wstring wide = Wide(path);
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &ignored);
  if (size == 0) return std::string();
  std::vector<char> data(size);
  if (!GetFileVersionInfoW(wide.c_str(), 0, size, data.data())) return std::string();
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return std::string();
  }
  const unsigned major = HIWORD(info->dwFileVersionMS), minor = LOWORD(info->dwFileVersionMS);
  const unsigned build = HIWORD(info->dwFileVersionLS), revision = LOWORD(info->dwFileVersionLS);
  char text[64];
  switch (n) {
    case 1:
      snprintf(text, sizeof text, "%u", major);
      break;
    case 2:
      snprintf(text, sizeof text, "%u.%u", major, minor);
      break;
    case 3:
      snprintf(text, sizeof text, "%u.%u.%u", major, minor, build);
      break;
    default:
      snprintf(text, sizeof text, "%u.%u.%u.%u", major, minor, build, revision);
      break;
  }
  return text;
}

std::string ResolveDriverPath(const std::string& path) {
  wchar_t windows[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string w = Utf8(windows);
  if (w.back() != '\\') w += '\\';
  if (FileExists(w + path)) return w + path;
  const size_t slash = path.find_last_of("\\/:");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string inDrivers = w + "System32\\Drivers\\" + name;
  if (!name.empty() && FileExists(inDrivers)) return inDrivers;
  return std::string();
}

void ForceForeground(HWND window) {
  HWND foreground = GetForegroundWindow();
  if (foreground == window) return;
  const DWORD self = GetCurrentThreadId();
  const DWORD other = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
  const bool attached = other && other != self && AttachThreadInput(self, other, TRUE);
  SetForegroundWindow(window);
  if (attached) AttachThreadInput(self, other, FALSE);
}

bool SelectComboByData(HWND combo, intptr_t value) {
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == value) {
      SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return true;
    }
  }
  return false;
}

bool IsHexText(const std::string& text) {
  for (char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (!hex) return false;
  }
  return true;
}

int ParseIntList(const std::string& text, int32_t* values, int n) {
  int found = 0;
  size_t i = 0;
  const size_t len = text.size();
  while (i < len && IsSeparatorBlank(text[i])) ++i;
  while (i < len) {
    std::string item;
    if (text[i] == '"') {
      // Quoted item: a doubled quote stands for one quote character.
      ++i;
      while (i < len) {
        if (text[i] == '"') {
          if (i + 1 < len && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      while (i < len && !IsSeparatorBlank(text[i]) && text[i] != ',') item += text[i++];
    }
    int32_t v;
    if (ParseDecimal(item, v)) {
      if (values && found < n) values[found] = v;
      ++found;
    }
    while (i < len && IsSeparatorBlank(text[i])) ++i;
    if (i < len && text[i] == ',') {
      ++i;
      while (i < len && IsSeparatorBlank(text[i])) ++i;
    }
  }
  return found;
}

std::string ExpandLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}
