// The WEP key rules and the WPA-PSK / 802.1X choices, without windows.
#include <gtest/gtest.h>

#include <string>

#include "config/Udefine.h"
#include "config/Uweprules.h"
#include "pages/wizard/Usecuritylogic.h"

using namespace securitylogic;

namespace {

struct SizeCase {
  int32_t size;
  int hex;
  bool phrase;
  const char* hexMsg;
  const char* lenMsg;
};
const SizeCase kSizes[] = {{kWEPSize64, 10, true, "ErHex64", "ErWEP64"},
                           {kWEPSize128, 26, true, "ErHex128", "ErWEP128"},
                           {kWEPSize152, 32, false, "ErHex152", "ErWEP152"}};

}  // namespace

TEST(WEPRules, EverySizeChecksTheTransmitKeyByLengthAndDigits) {
  for (const SizeCase& c : kSizes) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(WEPHexLength(c.size), c.hex);
    EXPECT_EQ(WEPAsciiLength(c.size), c.hex / 2);
    EXPECT_EQ(WEPPassphraseAllowed(c.size), c.phrase);
    for (int len = 0; len <= c.hex + 1; ++len) {
      // Every character is a hex digit, so both lengths are accepted.
      const WEPKeyCheck digits = CheckTransmitKey(std::string(len, 'a'), c.size);
      if (len == c.hex / 2) {
        EXPECT_TRUE(digits.Ok);
        EXPECT_EQ(digits.Format, kWEPFormatAscii) << "the ASCII length wins";
      } else if (len == c.hex) {
        EXPECT_TRUE(digits.Ok);
        EXPECT_EQ(digits.Format, kWEPFormatHex);
      } else {
        EXPECT_FALSE(digits.Ok) << len;
        EXPECT_EQ(digits.MessageKey, c.lenMsg) << len;
      }
    }
    // ASCII keys: any characters. Hex length with one non-digit: hex message.
    EXPECT_TRUE(CheckTransmitKey(std::string(c.hex / 2, ' '), c.size).Ok);
    std::string bad(c.hex, '0');
    bad[c.hex - 1] = 'G';
    const WEPKeyCheck refused = CheckTransmitKey(bad, c.size);
    EXPECT_FALSE(refused.Ok);
    EXPECT_EQ(refused.MessageKey, c.hexMsg);
    EXPECT_EQ(WEPKeyFormatOf(bad, c.size), kWEPFormatNone);
  }
  for (int32_t size : {kWEPSizeNone, 4, -1}) {
    EXPECT_EQ(WEPHexLength(size), 0);
    EXPECT_FALSE(WEPPassphraseAllowed(size));
    const WEPKeyCheck none = CheckTransmitKey("", size);
    EXPECT_FALSE(none.Ok) << "no size has no valid key, not even the empty one";
    EXPECT_TRUE(none.MessageKey.empty());
  }
}

TEST(WEPRules, StoredKeysFollowTheTransmitKeysFormat) {
  EXPECT_EQ(StoreWEPKey("a70ceb1960", kWEPSize64, kWEPFormatHex), "A70CEB1960");
  EXPECT_EQ(StoreWEPKey("abcde", kWEPSize64, kWEPFormatAscii), "abcde") << "ASCII as typed";
  EXPECT_EQ(StoreWEPKey("A70CEB1960", kWEPSize64, kWEPFormatAscii), "");
  EXPECT_EQ(StoreWEPKey(std::string(32, 'f'), kWEPSize152, kWEPFormatHex), std::string(32, 'F'));
  EXPECT_EQ(StoreWEPKey("abcde", kWEPSizeNone, kWEPFormatAscii), "");

  WLProfile p{};
  SetField(p.PassPhrase, "secret");
  WriteWEPKeys(p, kWEPSize64, kWEPFormatAscii, 2, {"abcde", "A70CEB1960", "x1234", ""});
  EXPECT_EQ(p.WEPEncryptionLevel, kWEPSize64);
  EXPECT_EQ(p.WEPKeyFormat, kWEPFormatAscii);
  EXPECT_EQ(p.DefaultKey, 2);
  EXPECT_EQ(FieldText(p.PassPhrase), "") << "the pass phrase is never stored";
  EXPECT_EQ(ProfileWEPKeys(p), (WEPKeyTexts{"abcde", "", "x1234", ""}));

  ClearWEPKeys(p);
  EXPECT_EQ(p.WEPEncryptionLevel, 0);
  EXPECT_EQ(p.WEPKeyFormat, kWEPFormatHex);
  EXPECT_EQ(p.DefaultKey, 0);
  EXPECT_EQ(ProfileWEPKeys(p), WEPKeyTexts{});
}

TEST(PskRules, LengthAndAuthenticationMode) {
  EXPECT_FALSE(PskLengthOk(""));
  EXPECT_FALSE(PskLengthOk(std::string(7, 'x')));
  EXPECT_TRUE(PskLengthOk(std::string(8, 'x')));
  EXPECT_TRUE(PskLengthOk(std::string(63, ' ')));
  EXPECT_FALSE(PskLengthOk(std::string(64, 'x')));

  EXPECT_EQ(PskAuthMode(1, EncWPA2_PSK), AuthWPA2_PSK);
  EXPECT_EQ(PskAuthMode(1, EncWPA_PSK), AuthWPA_PSK);
  EXPECT_EQ(PskAuthMode(0, EncWPA2_PSK), AuthWPA_None);
  EXPECT_EQ(PskAuthMode(0, EncWPA_PSK), AuthWPA_None);
}

TEST(Dot1xRules, OffersFollowTheSwitchesOfTheSecurityType) {
  auto names = [](const std::vector<Offer>& offers) {
    std::string s;
    for (const Offer& o : offers) s += std::string(o.Switch) + ":" + std::to_string(o.Value) + " ";
    return s;
  };
  EXPECT_EQ(names(Offered(EapMethodOffers(EncRADIUS), nullptr, nullptr)),
            "EnRADIUS_TLS:1 EnRADIUS_PEAP:3 EnRADIUS_TTLS:2 ");
  EXPECT_EQ(names(Offered(EapMethodOffers(EncWPA2), nullptr, nullptr)),
            "EnWPA_TLS:1 EnWPA_PEAP:3 EnWPA_TTLS:2 ");
  EXPECT_EQ(names(Offered(PeapInnerOffers(), nullptr, nullptr)), "EnPEAP_MSCHAP:2 ");
  // A reader that turns LEAP and GTC on and TLS off.
  auto read = [](const void*, const char* name, bool def) {
    const std::string n = name;
    if (n.find("LEAP") != std::string::npos || n == "EnPEAP_GTC") return true;
    if (n.find("TLS") != std::string::npos && n.find("TTLS") == std::string::npos) return false;
    return def;
  };
  EXPECT_EQ(names(Offered(EapMethodOffers(EncWPA), read, nullptr)),
            "EnWPA_PEAP:3 EnWPA_TTLS:2 EnWPA_LEAP:4 ");
  EXPECT_EQ(names(Offered(PeapInnerOffers(), read, nullptr)), "EnPEAP_MSCHAP:2 EnPEAP_GTC:1 ");
  EXPECT_EQ(names(Offered(CipherOffers(), nullptr, nullptr)), "EnableTKIP:1 EnableAES:2 ");
}

TEST(Dot1xRules, RowsPerMethodAndType) {
  //                       enc auth login pw cert ca inner
  const bool tls[] = {1, 1, 1, 0, 1, 1, 0};
  const bool ttls[] = {1, 1, 1, 1, 0, 1, 0};
  const bool peap[] = {1, 1, 1, 1, 0, 1, 1};
  const bool leap[] = {1, 1, 1, 1, 0, 0, 0};
  const struct {
    int32_t method;
    const bool* rows;
  } cases[] = {{kEapTLS, tls}, {kEapTTLS, ttls}, {kEapPEAP, peap}, {kEapLEAP, leap}};
  for (int32_t type : {EncWPA, EncWPA2, EncRADIUS}) {
    for (const auto& c : cases) {
      const Dot1xRows rows = RowsFor(c.method, type);
      for (int r = 0; r < kDot1xRowCount; ++r) {
        const bool expected = r == RowEncryption ? c.rows[r] && type != EncRADIUS : c.rows[r];
        EXPECT_EQ(rows[r], expected) << "type " << type << " method " << c.method << " row " << r;
      }
    }
  }
  const Dot1xRows unknown = RowsFor(0, EncWPA);
  for (int r = 0; r < kDot1xRowCount; ++r) EXPECT_EQ(unknown[r], r == RowAuthentication);
}

TEST(Dot1xRules, ChecksStopAtTheFirstMissingField) {
  Dot1xChoice c;
  c.Method = kEapTLS;
  EXPECT_EQ(CheckDot1x(c), "ErEmyUser");
  c.User = "alice";
  EXPECT_EQ(CheckDot1x(c), "ErMyCert") << "TLS needs no password";
  c.HasCertificate = true;
  EXPECT_EQ(CheckDot1x(c), "");
  for (int32_t m : {kEapTTLS, kEapPEAP}) {
    Dot1xChoice d;
    d.Method = m;
    EXPECT_EQ(CheckDot1x(d), "ErEmyUser");
    d.User = "carol";
    EXPECT_EQ(CheckDot1x(d), "ErEmyPw");
    d.Password = "x";
    EXPECT_EQ(CheckDot1x(d), "") << "no certificate needed";
  }
  Dot1xChoice leap;
  leap.Method = kEapLEAP;
  EXPECT_EQ(CheckDot1x(leap), "") << "LEAP is not checked";
  EXPECT_EQ(CheckDot1x(Dot1xChoice{}), "ErEmyUser") << "nothing chosen counts as TLS";
}

TEST(Dot1xRules, FieldsWrittenPerTypeAndMethod) {
  Dot1xChoice c;
  c.Method = kEapTLS;
  c.Cipher = kCipherAES;
  c.User = "alice";
  c.Password = "left over";
  c.HasCertificate = true;
  c.Certificate = "alice@ombrix.example";
  c.Authority = "Ombrix Root CA";
  WLProfile p{};
  p.PeapEap = 7;
  p.ValidateServerCert = 1;
  WriteDot1xFields(p, EncWPA2, c);
  EXPECT_EQ(p.MS8021xAuthMode, kEapTLS);
  EXPECT_EQ(p.AuthenticationMode, AuthWPA2);
  EXPECT_EQ(p.WPAEncryptionType, kCipherAES);
  EXPECT_EQ(FieldText(p.LoginName), "alice");
  EXPECT_EQ(FieldText(p.LoginPassword), "") << "no password row for TLS";
  EXPECT_EQ(FieldText(p.sCertificate), "alice@ombrix.example");
  EXPECT_EQ(FieldText(p.sCertAuthority), "Ombrix Root CA");
  EXPECT_EQ(p.PeapEap, 7) << "only PEAP writes its inner method";
  EXPECT_EQ(p.ValidateServerCert, 0);

  // RADIUS: automatic authentication and TKIP whatever the cipher list says.
  c.Method = kEapPEAP;
  c.Inner = 0;
  c.Password = "wonderland";
  c.Authority = "";
  WriteDot1xFields(p, EncRADIUS, c);
  EXPECT_EQ(p.AuthenticationMode, AuthAuto);
  EXPECT_EQ(p.WPAEncryptionType, kCipherTKIP);
  EXPECT_EQ(FieldText(p.LoginPassword), "wonderland");
  EXPECT_EQ(FieldText(p.sCertificate), "") << "no certificate row for PEAP";
  EXPECT_EQ(FieldText(p.sCertAuthority), "");
  EXPECT_EQ(p.PeapEap, kInnerMSCHAPv2) << "no inner method chosen";

  // WPA, LEAP with nothing typed, no cipher chosen.
  Dot1xChoice leap;
  leap.Method = kEapLEAP;
  WriteDot1xFields(p, EncWPA, leap);
  EXPECT_EQ(p.AuthenticationMode, AuthWPA);
  EXPECT_EQ(p.WPAEncryptionType, kCipherTKIP);
  EXPECT_EQ(FieldText(p.LoginName), "");
  EXPECT_EQ(FieldText(p.LoginPassword), "");
  // Nothing selected at all is stored as TLS.
  WriteDot1xFields(p, EncWPA, Dot1xChoice{});
  EXPECT_EQ(p.MS8021xAuthMode, kEapTLS);
}
