#include "config/Uinifile.h"

#include <windows.h>

#include <cctype>
#include <climits>

#include "app/Udebug.h"

namespace {

// No value can hold these bytes: the reader never returns a control
// character sequence like this from a text file line.
const char kAbsent[] = "\x01\x02\x03<absent>\x03\x02\x01";

// Upper bound for one read; far beyond any sane INI value, it only keeps a
// damaged file from making the reader grow without end.
constexpr DWORD kMaxRead = 16u << 20;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Calls GetPrivateProfileStringA with a buffer that grows until the result
// fits. listMode: the result is a double-zero-terminated list (section or
// key names), whose truncation the system reports as size - 2.
std::string ReadProfile(const char* section, const char* key, const char* def,
                        const std::string& path, bool listMode) {
  std::string buffer;
  DWORD size = 512;
  for (;;) {
    buffer.assign(size, '\0');
    DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, path.c_str());
    const DWORD full = listMode ? size - 2 : size - 1;
    if (n < full || size >= kMaxRead) {
      if (n > size) n = size;
      buffer.resize(n);
      return buffer;
    }
    size *= 4;
  }
}

}  // namespace

bool ParseIniInteger(const std::string& text, int64_t& value) {
  size_t i = 0, end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  if (i == end) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (end - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == end) return false;
  uint64_t magnitude = 0;
  for (; i < end; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(c)) {
      digit = std::toupper(c) - 'A' + 10;
    } else {
      return false;
    }
    if (magnitude > (static_cast<uint64_t>(INT64_MAX) + 1 - digit) / base) return false;
    magnitude = magnitude * base + digit;
  }
  if (!negative && magnitude > static_cast<uint64_t>(INT64_MAX)) return false;
  value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

std::string IniStoredForm(const std::string& value) {
  std::string v = value;
  for (char& c : v) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  if (v.empty()) return v;
  const char first = v.front(), last = v.back();
  const bool blankEnds = IsBlank(first) || IsBlank(last);
  const bool quoted = v.size() >= 2 && (first == '"' || first == '\'') && last == first;
  if (blankEnds || quoted) return '"' + v + '"';
  return v;
}

std::string CIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  std::string v = ReadProfile(section.c_str(), key.c_str(), kAbsent, path_, false);
  if (v == kAbsent) return def;
  return v;
}

int32_t CIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t def) const {
  int64_t v;
  if (!ParseIniInteger(ReadString(section, key, ""), v)) return def;
  if (v < INT32_MIN || v > INT32_MAX) return def;
  return static_cast<int32_t>(v);
}

bool CIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void CIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) const {
  const std::string stored = IniStoredForm(value);
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), stored.c_str(), path_.c_str())) {
    throw CIniWriteError("Unable to write to " + path_);
  }
}

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh copy of path at temp, or an empty place there when path does not
// exist yet; false when temp cannot be made.
bool PrepareCopy(const std::string& path, const std::string& temp) {
  if (Exists(path)) return CopyFileA(path.c_str(), temp.c_str(), FALSE) != 0;
  DeleteFileA(temp.c_str());
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

}  // namespace

CIniReplace::CIniReplace(const std::string& path)
    : path_(path), temp_(path + ".new"), target_(temp_) {
  if (!PrepareCopy(path_, temp_)) {
    direct_ = true;
    target_ = CIniFile(path_);
  }
}

CIniReplace::~CIniReplace() {
  if (!direct_ && !done_) DeleteFileA(temp_.c_str());
}

bool CIniReplace::Commit() {
  if (direct_ || done_) return true;
  done_ = true;
  // A file that another program holds open cannot be replaced; readers
  // hold it only for a moment.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (MoveFileExA(temp_.c_str(), path_.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    Sleep(attempt < 10 ? 1 : 10);
  }
  const DWORD error = GetLastError();
  const bool copied = CopyFileA(temp_.c_str(), path_.c_str(), FALSE) != 0;
  LogWrite("CIniReplace: %s could not be replaced (error %u); %s", path_.c_str(),
           static_cast<unsigned>(error), copied ? "written over" : "left as it was");
  DeleteFileA(temp_.c_str());
  return copied;
}

void CIniFile::WriteInteger(const std::string& section, const std::string& key,
                            int32_t value) const {
  WriteString(section, key, std::to_string(value));
}

void CIniFile::WriteBool(const std::string& section, const std::string& key, bool value) const {
  WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> CIniFile::ReadSectionKeys(const std::string& section) const {
  std::vector<std::string> keys;
  const std::string list = ReadProfile(section.c_str(), nullptr, "", path_, true);
  size_t start = 0;
  while (start < list.size()) {
    size_t zero = list.find('\0', start);
    if (zero == std::string::npos) zero = list.size();
    if (zero > start) keys.emplace_back(list, start, zero - start);
    start = zero + 1;
  }
  return keys;
}

bool CIniFile::SectionExists(const std::string& section) const {
  return !ReadSectionKeys(section).empty();
}

bool CIniFile::ValueExists(const std::string& section, const std::string& key) const {
  for (const std::string& k : ReadSectionKeys(section)) {
    if (lstrcmpiA(k.c_str(), key.c_str()) == 0) return true;
  }
  return false;
}
