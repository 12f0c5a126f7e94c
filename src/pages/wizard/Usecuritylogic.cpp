#include "pages/wizard/Usecuritylogic.h"

#include "config/Udefine.h"
#include "config/Utext.h"
#include "config/Uunicode.h"

namespace securitylogic {

std::vector<Offer> CipherOffers() {
  return {{kCipherTKIP, csWPA_TKIP, "EnableTKIP", true},
          {kCipherAES, csWPA_AES, "EnableAES", true}};
}

std::vector<Offer> EapMethodOffers(int32_t securityType) {
  if (securityType == EncRADIUS)
    return {{kEapTLS, csAuthen_TLS, "EnRADIUS_TLS", true},
            {kEapPEAP, csAuthen_PEAP, "EnRADIUS_PEAP", true},
            {kEapTTLS, csAuthen_TTLS, "EnRADIUS_TTLS", true},
            {kEapLEAP, csAuthen_LEAP, "EnRADIUS_LEAP", false}};
  return {{kEapTLS, csAuthen_TLS, "EnWPA_TLS", true},
          {kEapPEAP, csAuthen_PEAP, "EnWPA_PEAP", true},
          {kEapTTLS, csAuthen_TTLS, "EnWPA_TTLS", true},
          {kEapLEAP, csAuthen_LEAP, "EnWPA_LEAP", false}};
}

std::vector<Offer> PeapInnerOffers() {
  return {{kInnerMSCHAPv2, csEAP_MSCHAP_2, "EnPEAP_MSCHAP", true},
          {kInnerGTC, csEAP_GTC, "EnPEAP_GTC", false}};
}

std::vector<Offer> Offered(const std::vector<Offer>& candidates, SwitchReader read,
                           const void* context) {
  std::vector<Offer> out;
  for (const Offer& o : candidates)
    if (read ? read(context, o.Switch, o.Default) : o.Default) out.push_back(o);
  return out;
}

bool PskLengthOk(const std::string& phrase) {
  return phrase.size() >= static_cast<size_t>(kPskMinLength) &&
         phrase.size() <= static_cast<size_t>(kPskMaxLength);
}

int32_t PskAuthMode(int32_t networkMode, int32_t securityType) {
  if (networkMode != 1) return AuthWPA_None;
  return securityType == EncWPA2_PSK ? AuthWPA2_PSK : AuthWPA_PSK;
}

void WritePskFields(WLProfile& profile, const std::string& phrase, int32_t cipher) {
  SetField(profile.WPAPassphrase, phrase);
  profile.WPAEncryptionType = cipher > 0 ? cipher : kCipherTKIP;
  profile.AuthenticationMode = PskAuthMode(profile.NetworkMode, profile.EncryptionMethod);
}

Dot1xRows RowsFor(int32_t method, int32_t securityType) {
  Dot1xRows r;
  r.Shown[RowAuthentication] = true;
  if (method < kEapTLS || method > kEapLEAP) return r;
  r.Shown[RowEncryption] = securityType != EncRADIUS;
  r.Shown[RowLogin] = true;
  r.Shown[RowPassword] = method != kEapTLS;
  r.Shown[RowCertificate] = method == kEapTLS;
  r.Shown[RowServerCA] = method != kEapLEAP;
  r.Shown[RowInner] = method == kEapPEAP;
  return r;
}

std::string CheckDot1x(const Dot1xChoice& choice, std::string* refused, UINT cp) {
  const int32_t method = choice.Method > 0 ? choice.Method : kEapTLS;
  std::string store;
  if (refused) refused->clear();
  for (const std::string* typed : {&choice.User, &choice.Password})
    if (!ToStore(*typed, store, refused, cp)) return "ErProfChar";
  if (method == kEapLEAP) return std::string();
  const bool known = method == kEapTLS || method == kEapTTLS || method == kEapPEAP;
  if (!known) return std::string();
  if (choice.User.empty()) return "ErEmyUser";
  if ((method == kEapTTLS || method == kEapPEAP) && choice.Password.empty()) return "ErEmyPw";
  if (method == kEapTLS && !choice.HasCertificate) return "ErMyCert";
  return std::string();
}

void WriteDot1xFields(WLProfile& profile, int32_t securityType, const Dot1xChoice& choice,
                      UINT cp) {
  auto store = [cp](const std::string& text) {
    std::string out;
    return ToStore(text, out, nullptr, cp) ? out : std::string();
  };
  const int32_t method = choice.Method > 0 ? choice.Method : kEapTLS;
  const Dot1xRows rows = RowsFor(method, securityType);
  profile.MS8021xAuthMode = method;
  if (securityType == EncRADIUS) {
    profile.AuthenticationMode = AuthAuto;
    profile.WPAEncryptionType = kCipherTKIP;
  } else {
    profile.AuthenticationMode = securityType == EncWPA2 ? AuthWPA2 : AuthWPA;
    profile.WPAEncryptionType = choice.Cipher > 0 ? choice.Cipher : kCipherTKIP;
  }
  SetField(profile.LoginName, rows[RowLogin] ? store(choice.User) : std::string());
  SetField(profile.LoginPassword, rows[RowPassword] ? store(choice.Password) : std::string());
  if (method == kEapPEAP) profile.PeapEap = choice.Inner > 0 ? choice.Inner : kInnerMSCHAPv2;
  SetField(profile.sCertificate,
           rows[RowCertificate] && choice.HasCertificate ? choice.Certificate : std::string());
  SetField(profile.sCertAuthority, choice.Authority);
  profile.ValidateServerCert = 0;
}

}  // namespace securitylogic
