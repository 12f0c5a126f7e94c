#include "config/Uweprules.h"

#include <cctype>

#include "adapter/Ucomxlib.h"
#include "adapter/Ulibrarylock.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "config/Utext.h"
#include "config/Uutility.h"

int WEPHexLength(int32_t size) {
  switch (size) {
    case kWEPSize64:
      return 10;
    case kWEPSize128:
      return 26;
    case kWEPSize152:
      return 32;
    default:
      return 0;
  }
}

int WEPAsciiLength(int32_t size) {
  return WEPHexLength(size) / 2;
}

bool WEPPassphraseAllowed(int32_t size) {
  return size == kWEPSize64 || size == kWEPSize128;
}

bool IsWEPKeySize(int32_t size) {
  return size >= kWEPSize64 && size <= kWEPSize152;
}

int32_t WEPKeyFormatOf(const std::string& key, int32_t size) {
  if (!IsWEPKeySize(size)) return kWEPFormatNone;
  const size_t hex = static_cast<size_t>(WEPHexLength(size));
  if (key.size() == hex && IsHexText(key)) return kWEPFormatHex;
  if (key.size() == hex / 2) return kWEPFormatAscii;
  return kWEPFormatNone;
}

namespace {

const char* SizeSuffix(int32_t size) {
  switch (size) {
    case kWEPSize64:
      return "64";
    case kWEPSize128:
      return "128";
    case kWEPSize152:
      return "152";
    default:
      return nullptr;
  }
}

}  // namespace

std::string WEPHexMessageKey(int32_t size) {
  const char* s = SizeSuffix(size);
  return s ? std::string("ErHex") + s : std::string();
}

std::string WEPLengthMessageKey(int32_t size) {
  const char* s = SizeSuffix(size);
  return s ? std::string("ErWEP") + s : std::string();
}

WEPKeyCheck CheckTransmitKey(const std::string& key, int32_t size) {
  WEPKeyCheck check;
  // Without a size there is no length a key could have; never accept one.
  if (!IsWEPKeySize(size)) return check;
  const size_t hex = static_cast<size_t>(WEPHexLength(size));
  if (key.size() == hex / 2) {
    check.Ok = true;
    check.Format = kWEPFormatAscii;
  } else if (key.size() == hex && IsHexText(key)) {
    check.Ok = true;
    check.Format = kWEPFormatHex;
  } else if (key.size() == hex) {
    check.MessageKey = WEPHexMessageKey(size);
  } else {
    check.MessageKey = WEPLengthMessageKey(size);
  }
  return check;
}

std::string StoreWEPKey(const std::string& key, int32_t size, int32_t format) {
  const size_t hex = static_cast<size_t>(WEPHexLength(size));
  if (hex == 0) return std::string();
  if (format == kWEPFormatAscii) return key.size() == hex / 2 ? key : std::string();
  if (format == kWEPFormatHex) {
    if (key.size() != hex || !IsHexText(key)) return std::string();
    std::string upper = key;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
  }
  return std::string();
}

void WriteWEPKeys(WLProfile& profile, int32_t size, int32_t format, int32_t transmitKey,
                  const WEPKeyTexts& keys) {
  profile.WEPEncryptionLevel = size;
  profile.WEPKeyFormat = format;
  profile.DefaultKey = transmitKey;
  SetField(profile.PassPhrase, "");
  SetField(profile.WEPKey1, StoreWEPKey(keys[0], size, format));
  SetField(profile.WEPKey2, StoreWEPKey(keys[1], size, format));
  SetField(profile.WEPKey3, StoreWEPKey(keys[2], size, format));
  SetField(profile.WEPKey4, StoreWEPKey(keys[3], size, format));
}

void ClearWEPKeys(WLProfile& profile) {
  profile.WEPEncryptionLevel = kWEPSizeNone;
  profile.WEPKeyFormat = kWEPFormatHex;
  profile.DefaultKey = 0;
  SetField(profile.PassPhrase, "");
  SetField(profile.WEPKey1, "");
  SetField(profile.WEPKey2, "");
  SetField(profile.WEPKey3, "");
  SetField(profile.WEPKey4, "");
}

WEPKeyTexts ProfileWEPKeys(const WLProfile& profile) {
  return {FieldText(profile.WEPKey1), FieldText(profile.WEPKey2), FieldText(profile.WEPKey3),
          FieldText(profile.WEPKey4)};
}

bool MakeWEPKeys(CNICAdapter* adapter, const std::string& phrase, int32_t size, WEPKeyTexts& keys) {
  if (!adapter || !WEPPassphraseAllowed(size) || !g_OmxLib.OMXWL_PassphraseToWEPKey) return false;
  // The library reads at most a profile's pass phrase field.
  char text[sizeof(WLProfile::PassPhrase)];
  CopyText(text, sizeof text, phrase);
  WEPKeySet out{};
  CLibraryGuard lib(adapter->StopEvent, adapter);
  if (!lib) return false;
  LogWrite("call OMXWL_PassphraseToWEPKey");
  const int32_t result = g_OmxLib.OMXWL_PassphraseToWEPKey(text, size, &out);
  LogWrite("call OMXWL_PassphraseToWEPKey end %d", result);
  lib.Release();
  SecureZeroMemory(text, sizeof text);
  if (result != 1) {
    SecureZeroMemory(&out, sizeof out);
    return false;
  }
  for (int i = 0; i < 4; ++i) keys[i] = FieldText(out.Keys[i], sizeof out.Keys[i]);
  SecureZeroMemory(&out, sizeof out);
  return true;
}
