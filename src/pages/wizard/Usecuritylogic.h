// Rules of the wizard's WPA-PSK and 802.1X pages without any window: the
// cipher and EAP method lists offered, the rows shown per method and type,
// the checks of what the user typed, and the fields written per choice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "omxwl.h"

namespace securitylogic {

// 802.1X methods (a profile's MS8021xAuthMode).
constexpr int32_t kEapTLS = 1;
constexpr int32_t kEapTTLS = 2;
constexpr int32_t kEapPEAP = 3;
constexpr int32_t kEapLEAP = 4;
// Inner methods of PEAP (PeapEap).
constexpr int32_t kInnerGTC = 1;
constexpr int32_t kInnerMSCHAPv2 = 2;
// Ciphers (WPAEncryptionType).
constexpr int32_t kCipherTKIP = 1;
constexpr int32_t kCipherAES = 2;

// Length of a pre-shared pass phrase.
constexpr int kPskMinLength = 8;
constexpr int kPskMaxLength = 63;
// Longest login name and password typed on the 802.1X page.
constexpr int kDot1xTextMax = 255;

// An item a list may offer: its value, the display string (index into the
// "Common" strings), the per-adapter switch that offers it and the switch's
// default.
struct Offer {
  int32_t Value;
  int TextIndex;
  const char* Switch;
  bool Default;
};
// Reads a per-adapter switch (the adapter's ReadSet in the pages).
using SwitchReader = bool (*)(const void* context, const char* name, bool def);

// Candidates in list order; the page keeps those whose switch is on.
std::vector<Offer> CipherOffers();
// EAP methods for a security type: the RADIUS switches for type 4, the WPA
// switches otherwise.
std::vector<Offer> EapMethodOffers(int32_t securityType);
std::vector<Offer> PeapInnerOffers();
// The candidates whose switch reads on.
std::vector<Offer> Offered(const std::vector<Offer>& candidates, SwitchReader read,
                           const void* context);

// ---- WPA-PSK ----
// 8 to 63 characters; the characters themselves are not checked.
bool PskLengthOk(const std::string& phrase);
// 7 (WPA2-PSK) for infrastructure WPA2-PSK, 4 (WPA-PSK) for any other
// infrastructure type, 5 (WPA-None) for ad hoc.
int32_t PskAuthMode(int32_t networkMode, int32_t securityType);
// Pass phrase, cipher (1 when none was chosen, value <= 0) and the
// authentication mode.
void WritePskFields(WLProfile& profile, const std::string& phrase, int32_t cipher);

// ---- 802.1X ----
// Rows of the 802.1X page, top to bottom.
enum Dot1xRow : int {
  RowEncryption = 0,
  RowAuthentication,
  RowLogin,
  RowPassword,
  RowCertificate,
  RowServerCA,
  RowInner,
  kDot1xRowCount
};
struct Dot1xRows {
  bool Shown[kDot1xRowCount] = {};
  bool operator[](int row) const { return Shown[row]; }
};
// Rows shown for a method and security type: the cipher unless RADIUS, the
// method always; login for every method; password for TTLS, PEAP and LEAP;
// certificate for TLS; server CA for all but LEAP; inner method for PEAP.
// An unknown method shows the method row alone.
Dot1xRows RowsFor(int32_t method, int32_t securityType);

// What the user chose on the 802.1X page.
struct Dot1xChoice {
  int32_t Method = 0;           // selected method, 0 = none selected
  int32_t Cipher = 0;           // selected cipher, 0 = none
  int32_t Inner = 0;            // selected PEAP inner method, 0 = none
  std::string User;             // UTF-8, as typed
  std::string Password;         // UTF-8, as typed
  bool HasCertificate = false;  // a client certificate is selected
  std::string Certificate;      // its name (store text, as the library gave it)
  std::string Authority;        // name of the chosen authority, empty = trust any
};
// The "Message" key of the first failed check, empty when all pass: TLS,
// TTLS and PEAP need a login name ("ErEmyUser"), TTLS and PEAP a password
// ("ErEmyPw"), TLS a certificate ("ErMyCert"); LEAP is not checked. A login
// name or password with a character the store (code page cp) cannot hold
// gives "ErProfChar" and that character in refused (LEAP too: it is stored).
std::string CheckDot1x(const Dot1xChoice& choice, std::string* refused = nullptr, UINT cp = CP_ACP);
// Writes the 802.1X fields for a security type: method (1 when none), the
// authentication mode and cipher (RADIUS: automatic and TKIP; WPA2: 6; other:
// 3 with the chosen cipher), login and password of shown rows, PEAP's inner
// method, the certificate of a shown certificate row, the authority, and
// ValidateServerCert 0.
// Login and password are written as store text (a character the store cannot
// hold leaves the field empty: CheckDot1x refuses such a choice first).
void WriteDot1xFields(WLProfile& profile, int32_t securityType, const Dot1xChoice& choice,
                      UINT cp = CP_ACP);

}  // namespace securitylogic
