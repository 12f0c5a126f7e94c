// The WEP key rules of the whole program: key sizes, hex and ASCII lengths,
// key formats, the check of the transmit key with its messages, how keys are
// stored in a profile, and keys made from a pass phrase by the library. The
// profile wizard and the access-point configuration page both use them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "omxwl.h"

class CNICAdapter;

// Key sizes (a profile's WEPEncryptionLevel; the values of the size lists).
constexpr int32_t kWEPSizeNone = 0;
constexpr int32_t kWEPSize64 = 1;
constexpr int32_t kWEPSize128 = 2;
constexpr int32_t kWEPSize152 = 3;

// Key formats (a profile's WEPKeyFormat); 0 = the key has neither form.
constexpr int32_t kWEPFormatNone = 0;
constexpr int32_t kWEPFormatHex = 1;
constexpr int32_t kWEPFormatAscii = 2;

// English text of every WEP key message.
constexpr const char* kWEPKeyMessage = "You have entered an incorrect WEP key. Please try again.";

using WEPKeyTexts = std::array<std::string, 4>;

// Hex key length of a size (the limit of the key edits): 10, 26, 32; 0 for
// none or an unknown size.
int WEPHexLength(int32_t size);
// ASCII key length: half the hex length (5, 13, 16); 0 for none.
int WEPAsciiLength(int32_t size);
// Only 64- and 128-bit keys can be made from a pass phrase.
bool WEPPassphraseAllowed(int32_t size);
// 1 to 3.
bool IsWEPKeySize(int32_t size);
// Format of a key for a size: hex when it has the hex length and only hex
// digits, ASCII when it has half that length; kWEPFormatNone otherwise.
int32_t WEPKeyFormatOf(const std::string& key, int32_t size);

// Result of the transmit-key check: the format found, or the "Message" key
// of the refusal (all of them default to kWEPKeyMessage).
struct WEPKeyCheck {
  bool Ok = false;
  int32_t Format = kWEPFormatNone;
  std::string MessageKey;
};
// ASCII length: accepted as ASCII (characters not checked); hex length and
// all hex digits: accepted as hex; hex length otherwise: "ErHex64/128/152";
// any other length: "ErWEP64/128/152". An unknown size is refused with an
// empty message key.
WEPKeyCheck CheckTransmitKey(const std::string& key, int32_t size);
// Message keys of a size; empty for an unknown size.
std::string WEPHexMessageKey(int32_t size);
std::string WEPLengthMessageKey(int32_t size);

// A key as stored, given the transmit key's format: an ASCII key of the ASCII
// length as typed, a hex key of the hex length upper-cased; any key that
// does not match that format is stored empty.
std::string StoreWEPKey(const std::string& key, int32_t size, int32_t format);

// Writes an accepted WEP entry into a profile: WEPEncryptionLevel, the
// format, DefaultKey, an empty PassPhrase (the phrase is never stored) and
// the four keys by StoreWEPKey. EncryptionMethod and AuthenticationMode are
// the caller's.
void WriteWEPKeys(WLProfile& profile, int32_t size, int32_t format, int32_t transmitKey,
                  const WEPKeyTexts& keys);
// No WEP: level 0, format 1 (hex), DefaultKey 0, pass phrase and keys empty.
void ClearWEPKeys(WLProfile& profile);
// Keys of a profile in order.
WEPKeyTexts ProfileWEPKeys(const WLProfile& profile);

// Four keys from a pass phrase through OMXWL_PassphraseToWEPKey, under the
// library lock taken through the adapter. False (keys unchanged) when the
// size does not allow a pass phrase, the lock cannot be had or the library
// does not return 1. Never logs the phrase or the keys.
bool MakeWEPKeys(CNICAdapter* adapter, const std::string& phrase, int32_t size, WEPKeyTexts& keys);
