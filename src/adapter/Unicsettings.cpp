// Per-adapter settings: the adapter's registry key first, then the settings
// file (the adapter's own sections, then "Setting"), then the caller's
// default. Only the registry is ever written.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Uunicode.h"

namespace {

std::string SystemText(LONG code) {
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result;
  if (text) {
    result = text;
    LocalFree(text);
  }
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  if (result.empty()) {
    char buf[32];
    snprintf(buf, sizeof buf, "error %ld", static_cast<long>(code));
    result = buf;
  }
  return result;
}

// Outcome of one registry read.
enum class RegRead { Missing, Found, Failed };

struct RegValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Reads the raw value; Missing when the key or the value is not there.
RegRead QueryRegValue(const std::string& key, const std::string& name, RegValue& value,
                      std::string& error) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
    return RegRead::Missing;
  const std::wstring wname = Wide(name);
  RegRead result = RegRead::Found;
  // A value can grow between the size query and the read; retry a few times.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    LONG rc = RegQueryValueExW(h, wname.c_str(), nullptr, &value.type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) {
      result = RegRead::Missing;
      break;
    }
    if (rc != ERROR_SUCCESS) {
      error = SystemText(rc);
      result = RegRead::Failed;
      break;
    }
    value.data.assign(size + sizeof(wchar_t), 0);
    DWORD got = size;
    rc = RegQueryValueExW(h, wname.c_str(), nullptr, &value.type, value.data.data(), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) {
      error = SystemText(rc);
      result = RegRead::Failed;
      break;
    }
    value.data.resize(got);
    result = RegRead::Found;
    break;
  }
  RegCloseKey(h);
  return result;
}

// The integer of a REG_DWORD value, or false with a message.
bool RegInteger(const RegValue& value, const std::string& name, int32_t& out, std::string& error) {
  if (value.type != REG_DWORD || value.data.size() != sizeof(DWORD)) {
    error = "Invalid data type for '" + name + "'";
    return false;
  }
  DWORD v = 0;
  memcpy(&v, value.data.data(), sizeof v);
  out = static_cast<int32_t>(v);
  return true;
}

bool RegString(const RegValue& value, const std::string& name, std::string& out,
               std::string& error) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
    error = "Invalid data type for '" + name + "'";
    return false;
  }
  // UTF-16 whatever wrote it, so values an ANSI writer left read the same.
  // The stored text need not be terminated; stop at the first zero unit.
  std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) memcpy(text.data(), value.data.data(), text.size() * sizeof(wchar_t));
  const size_t end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  out = Utf8(text);
  return true;
}

void LogReadFailure(const char* kind, const std::string& name, const std::string& error) {
  if (error.empty())
    LogWrite("Exception(CNICAdapter::ReadSet) %s<%s>", kind, name.c_str());
  else
    LogWrite("Exception(CNICAdapter::ReadSet): %s<%s> => %s", kind, name.c_str(), error.c_str());
}

// Opens (creating) the adapter's key for writing; logs with the caller's text.
HKEY OpenWriteKey(const std::string& key, LONG& rc) {
  HKEY h = nullptr;
  rc = RegCreateKeyExW(HKEY_CURRENT_USER, Wide(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_READ | KEY_WRITE, nullptr, &h, nullptr);
  return rc == ERROR_SUCCESS ? h : nullptr;
}

void WriteRaw(const std::string& key, const std::string& name, DWORD type, const BYTE* data,
              DWORD size) {
  LONG rc = ERROR_SUCCESS;
  HKEY h = OpenWriteKey(key, rc);
  if (h) {
    rc = RegSetValueExW(h, Wide(name).c_str(), 0, type, data, size);
    RegCloseKey(h);
  }
  // The three overloads share one text, "int" included.
  if (rc != ERROR_SUCCESS)
    LogWrite("WriteSet(int) %s exception: %s", name.c_str(), SystemText(rc).c_str());
}

bool RegBool(const RegValue& value, const std::string& name, bool& out, std::string& error) {
  int32_t v = 0;
  if (!RegInteger(value, name, v, error)) return false;
  out = v != 0;
  return true;
}

// One lookup for the three value types: the registry, then the adapter's own
// sections of the settings file, then "Setting", then the default. A value
// that cannot be read gives the default and one log line.
template <typename T, typename FromReg, typename FromIni>
T LookupSetting(const CNICAdapter& adapter, const std::string& name, const T& def, const char* kind,
                FromReg fromReg, FromIni fromIni) {
  try {
    RegValue value;
    std::string error;
    RegRead r = QueryRegValue(adapter.RegKey, name, value, error);
    if (r == RegRead::Found) {
      T v{};
      if (fromReg(value, name, v, error)) return v;
      LogReadFailure(kind, name, error);
      return def;
    }
    if (r == RegRead::Failed) {
      LogReadFailure(kind, name, error);
      return def;
    }
    if (!g_GlobalVar.SettingsOpen) return def;
    if (g_GlobalVar.InfoValueExists(adapter.RegSection, name))
      return fromIni(adapter.RegSection, name, def);
    const std::string hwid = FieldText(adapter.Device.HardwareId);
    if (g_GlobalVar.InfoValueExists(hwid, name)) return fromIni(hwid, name, def);
    return fromIni("Setting", name, def);
  } catch (const std::exception& e) {
    LogReadFailure(kind, name, e.what());
  } catch (...) {
    LogReadFailure(kind, name, "");
  }
  return def;
}

}  // namespace

int32_t CNICAdapter::ReadSet(const std::string& name, int32_t def) const {
  return LookupSetting<int32_t>(*this, name, def, "int", RegInteger,
                                [](const std::string& section, const std::string& key, int32_t d) {
                                  return g_GlobalVar.InfoReadInteger(section, key, d);
                                });
}

bool CNICAdapter::ReadSet(const std::string& name, bool def) const {
  return LookupSetting<bool>(*this, name, def, "bool", RegBool,
                             [](const std::string& section, const std::string& key, bool d) {
                               return g_GlobalVar.InfoReadBool(section, key, d);
                             });
}

std::string CNICAdapter::ReadSet(const std::string& name, const std::string& def) const {
  return LookupSetting<std::string>(
      *this, name, def, "string", RegString,
      [](const std::string& section, const std::string& key, const std::string& d) {
        return g_GlobalVar.InfoReadString(section, key, d);
      });
}

std::string CNICAdapter::ReadSet(const std::string& name, const char* def) const {
  return ReadSet(name, std::string(def ? def : ""));
}

void CNICAdapter::WriteSet(const std::string& name, int32_t value) const {
  try {
    DWORD v = static_cast<DWORD>(value);
    WriteRaw(RegKey, name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  } catch (...) {
    LogWrite("WriteSet(int) %s exception", name.c_str());
  }
}

void CNICAdapter::WriteSet(const std::string& name, bool value) const {
  WriteSet(name, static_cast<int32_t>(value ? 1 : 0));
}

void CNICAdapter::WriteSet(const std::string& name, const std::string& value) const {
  try {
    const std::wstring text = Wide(value);
    WriteRaw(RegKey, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  } catch (...) {
    LogWrite("WriteSet(int) %s exception", name.c_str());
  }
}

void CNICAdapter::WriteSet(const std::string& name, const char* value) const {
  WriteSet(name, std::string(value ? value : ""));
}

void CNICAdapter::SetDeleteKey(const std::string& name) const {
  try {
    LONG rc = ERROR_SUCCESS;
    HKEY h = OpenWriteKey(RegKey, rc);
    if (h) {
      rc = RegDeleteValueW(h, Wide(name).c_str());
      RegCloseKey(h);
      // Deleting what is not there is not a failure.
      if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
    }
    if (rc != ERROR_SUCCESS)
      LogWrite("SetDeleteKey <%s> exception: %s", name.c_str(), SystemText(rc).c_str());
  } catch (...) {
    LogWrite("SetDeleteKey <%s> exception", name.c_str());
  }
}
