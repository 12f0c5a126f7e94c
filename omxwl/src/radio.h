// Radio facts the simulated adapter lives by: channels and frequencies,
// regulatory channel sets, the site security codes and the WEP key
// conventions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace omx {

// Band bits as callers pass them.
constexpr int kBandB = 1;
constexpr int kBandA = 2;
constexpr int kBandG = 4;
constexpr int kBandMask = kBandB | kBandA | kBandG;

// Network types as the site and status records carry them (NetType).
enum NetType : int32_t { kNetTypeB = 1, kNetTypeA = 2, kNetTypeG = 3 };

// kHz as NDIS reports them; 0 for anything that is not a channel.
int32_t ChannelToFrequency(int32_t channel);
int32_t FrequencyToChannel(int32_t khz);
bool Is24GHzChannel(int32_t channel);
bool Is5GHzChannel(int32_t channel);
// The band bits of a channel: a on 5 GHz, b and g on 2.4 GHz, 0 for none.
int ChannelBands(int32_t channel);
// The network type of a link on one band.
NetType NetTypeOfBand(int band);

// Station (or access-point) channels of a domain for the given band bits, in
// ascending order without duplicates. Empty for an unknown domain.
bool IsKnownDomain(std::string_view domain);
std::vector<int32_t> AllowedChannels(std::string_view domain, int bands, bool accessPoint);
bool ChannelAllowed(std::string_view domain, int band, int32_t channel);

// Band bits of a wireless-mode code (b, a, g only; turbo bits dropped).
int ModeToBands(int32_t mode);

// What a site security code asks of a client.
enum class SecKind { Open, Wep, Wpa, WpaPsk, Wpa2, Wpa2Psk, WpaWpa2, WpaWpa2Psk, Other };
SecKind KindOfCode(int32_t code);
bool CodeIsAes(int32_t code);

// Security types (a profile's EncryptionMethod).
enum SecurityType : int32_t {
  kSecNone = 0,
  kSecWep = 1,
  kSecWpaPsk = 2,
  kSecWpa = 3,
  kSecRadius = 4,
  kSecLeap = 5,
  kSecWpa2Psk = 6,
  kSecWpa2 = 7,
};

// 802.1X methods (MS8021xAuthMode).
enum EapMethod : int32_t { kEapTls = 1, kEapTtls = 2, kEapPeap = 3, kEapLeap = 4, kEapMd5 = 5 };

// WEP key sizes in bytes by level (1 64-bit, 2 128-bit, 3 152-bit); 0 otherwise.
size_t WepKeyBytes(int32_t level);
int32_t WepLevelOfBytes(size_t bytes);
// A key in hex form (2 digits per byte) or ASCII form (one character per
// byte) turned into its bytes; false when it is neither for any WEP size.
bool WepKeyToBytes(std::string_view key, std::vector<uint8_t>* bytes);

// Pass phrase conventions: 64-bit keys from the 32-bit linear congruential
// generator seeded from the phrase; a 128-bit key from MD5 over the phrase
// repeated to 64 bytes.
void Wep64FromPhrase(std::string_view phrase, uint8_t keys[4][5]);
void Wep128FromPhrase(std::string_view phrase, uint8_t key[13]);

std::string HexUpper(const uint8_t* data, size_t size);

}  // namespace omx
