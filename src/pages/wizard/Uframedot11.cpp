#include "pages/wizard/Uframedot11.h"

#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Udebug.h"
#include "pages/station/Upageparts.h"
#include "shell/Ulibqueue.h"

using namespace pageparts;
using namespace securitylogic;

namespace {

constexpr const char* kSection = "FrameDot11";
constexpr int kCaptionLeft = 40;
constexpr int kFieldLeft = 190;
constexpr int kFieldWidth = 240;
constexpr int kFirstRow = 40;
constexpr int kRowPitch = 30;
// Certificate kinds of the library.
constexpr int32_t kUserCertificates = 1;
constexpr int32_t kAuthorities = 3;
// Item value of "Trust Any".
constexpr intptr_t kTrustAny = -1;

bool ReadSwitch(const void* adapter, const char* name, bool def) {
  return static_cast<const CNICAdapter*>(adapter)->ReadSet(name, def);
}

std::string MessageDefault(const std::string& key) {
  if (key == "ErEmyUser") return "The login name is empty.\\nPlease enter a login name.";
  if (key == "ErEmyPw") return "The password is empty.\\nPlease enter a password.";
  if (key == "ErMyCert") return "You must specify a certificate.";
  if (key == "ErProfChar") return "'%s' cannot be used in a profile name.";
  return key;
}

}  // namespace

TFrameDot11::TFrameDot11(TComponent* owner, TContainer* parent, std::string name)
    : TPropertyPageFrame(owner, parent, std::move(name)) {
  ImgBG = MakeBackground(this, "ImgFrProfSet");
  LbDot11Set = MakeHeading(this, this, "LbDot11Set", "Security Settings", 16, 12, 300);
  // Rows in their order on the page, so Tab follows what the user sees.
  auto row = [&](int index, TLabel*& label, const char* lname, const char* text,
                 TWinControl* control) {
    label = MakeCaption(this, this, lname, text, kCaptionLeft, 0);
    label->SetWidth(kFieldLeft - kCaptionLeft - 8);
    rowLabel_[index] = label;
    rowControl_[index] = control;
  };
  auto combo = [&](const char* n) {
    auto* c = new TComboBox(this, this, n);
    c->SetBounds(kFieldLeft, 0, kFieldWidth, 200);
    return c;
  };
  auto edit = [&](const char* n) {
    auto* e = new TEdit(this, this, n);
    e->SetBounds(kFieldLeft, 0, kFieldWidth, 21);
    e->SetMaxLength(kDot1xTextMax);
    return e;
  };
  row(RowEncryption, LbEncry, "LbEncry", "Encryption Type", CmbEncryp = combo("CmbEncryp"));
  row(RowAuthentication, LbAuthen, "LbAuthen", "Authentication Type",
      CmbAuthen = combo("CmbAuthen"));
  row(RowLogin, LbUser, "LbUser", "Login Name", EdtUser = edit("EdtUser"));
  row(RowPassword, LbPasswd, "LbPasswd", "Password", EdtPasswd = edit("EdtPasswd"));
  row(RowCertificate, LbMyCert, "LbMyCert", "Certificate:", CmbMyCert = combo("CmbMyCert"));
  row(RowServerCA, LbServerCA, "LbServerCA", "Server CA", CmbServerCA = combo("CmbServerCA"));
  row(RowInner, LbInner, "LbInner", "Inner Authen.", CmbInner = combo("CmbInner"));

  BtnBack = MakeButton(this, this, "BtnBack", "Back", "ImgBtnBack",
                       kButtonRight - 2 * (100 + kButtonGap), kButtonTop);
  BtnNext = MakeButton(this, this, "BtnNext", "Next", "ImgBtnNext",
                       kButtonRight - (100 + kButtonGap), kButtonTop);
  BtnExit = MakeButton(this, this, "BtnExit", "Exit", "ImgBtnExit", kButtonRight, kButtonTop);

  CmbAuthen->OnSelect = [this] { CmbAuthenSelect(); };
  rows_ = RowsFor(kEapTLS, EncWPA);
  LayoutRows();
}

TWinControl* TFrameDot11::FirstFocus() const {
  return EdtUser;
}

void TFrameDot11::InitPage() {
  LocalisePage(kSection);
  LocaliseButtons(this, kSection);
  const TPicture& mark = Picture("ImgMark");
  if (!mark.Empty()) {
    // Placed where the rows are now; LayoutRows moves them with their rows.
    for (int i = 0; i < kDot1xRowCount; ++i) rowMark_[i] = PlaceMarkImage(rowLabel_[i], &mark);
  }
  ResetPage();
}

void TFrameDot11::DonePage() {
  ClearCertificates();
  EdtPasswd->SetText("");
}

void TFrameDot11::ResetPage() {
  CmbAuthen->Clear();
  CmbEncryp->Clear();
  CmbInner->Clear();
  ClearCertificates();
  EdtUser->SetText("");
  EdtPasswd->SetText("");
  EdtPasswd->SetMasked(false);
  rows_ = RowsFor(kEapTLS, g_GlobalVar.WorkProfile.EncryptionMethod);
  LayoutRows();
}

void TFrameDot11::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (!adapter || (mode & kModeAP)) return;
    adapter_ = adapter;
  } else if (kind == kDetach) {
    adapter_ = nullptr;
    ResetPage();
  }
}

void TFrameDot11::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  TPropertyPageFrame::AdapterNotify(adapter, code, value);
}

void TFrameDot11::FillMethods() {
  CmbAuthen->Clear();
  if (!adapter_) return;
  const int32_t type = g_GlobalVar.WorkProfile.EncryptionMethod;
  for (const Offer& o : Offered(EapMethodOffers(type), &ReadSwitch, adapter_))
    CmbAuthen->AddItem(g_GlobalVar.CommonStrings[o.TextIndex], o.Value);
}

void TFrameDot11::FillCiphers() {
  CmbEncryp->Clear();
  if (!adapter_) return;
  for (const Offer& o : Offered(CipherOffers(), &ReadSwitch, adapter_))
    CmbEncryp->AddItem(g_GlobalVar.CommonStrings[o.TextIndex], o.Value);
}

void TFrameDot11::FillInner() {
  CmbInner->Clear();
  if (adapter_)
    for (const Offer& o : Offered(PeapInnerOffers(), &ReadSwitch, adapter_))
      CmbInner->AddItem(g_GlobalVar.CommonStrings[o.TextIndex], o.Value);
  if (CmbInner->Count() > 0) CmbInner->SetItemIndex(0);
}

void TFrameDot11::ClearCertificates() {
  CmbMyCert->Clear();
  CmbServerCA->Clear();
  userCerts_.clear();
  authorities_.clear();
}

void TFrameDot11::RefillCertificates() {
  ClearCertificates();
  if (adapter_) {
    const unsigned missed = librarylock::TimeoutCount();
    adapter_->GetCertificateList(userCerts_, kUserCertificates);
    adapter_->GetCertificateList(authorities_, kAuthorities);
    if (librarylock::TimeoutCount() != missed) {
      // The library is busy: the lists show what they can and are filled
      // again once it is free, the boxes waiting till then.
      LogWrite("TFrameDot11: certificates listed without the library, asked again");
      libqueue::Queue(CmbMyCert, "Certificates (wizard)", [this] { RefillCertificates(); });
    }
  }
  // Items carry the index of their entry.
  for (size_t i = 0; i < userCerts_.size(); ++i)
    CmbMyCert->AddItem(StoreFieldText(userCerts_[i].Display), static_cast<intptr_t>(i));
  if (CmbMyCert->Count() > 0) CmbMyCert->SetItemIndex(0);
  CmbServerCA->AddItem(g_GlobalVar.CommonStrings[csTrustAny], kTrustAny);
  for (size_t i = 0; i < authorities_.size(); ++i)
    CmbServerCA->AddItem(StoreFieldText(authorities_[i].Display), static_cast<intptr_t>(i));
  CmbServerCA->SetItemIndex(0);
}

void TFrameDot11::CmbAuthenSelect() {
  if (CmbAuthen->ItemIndex() < 0) return;
  const int32_t method = static_cast<int32_t>(CmbAuthen->SelectedValue(kEapTLS));
  const std::string inner = g_GlobalVar.StrFileRead(kSection, "LbInner", "Inner Authen.");
  if (method == kEapPEAP) {
    LbInner->SetCaption(g_GlobalVar.StrFileRead(kSection, "LbInnerPEAP", "PEAP Inner EAP:"));
    FillInner();
  } else {
    LbInner->SetCaption(inner);
  }
  rows_ = RowsFor(method, g_GlobalVar.WorkProfile.EncryptionMethod);
  LayoutRows();
}

void TFrameDot11::LayoutRows() {
  int top = kFirstRow;
  for (int i = 0; i < kDot1xRowCount; ++i) {
    const bool shown = rows_[i];
    TLabel* label = rowLabel_[i];
    TWinControl* control = rowControl_[i];
    label->SetVisible(shown);
    control->SetVisible(shown);
    if (rowMark_[i]) rowMark_[i]->SetVisible(shown);
    if (!shown) continue;
    label->SetTop(top + 4);
    control->SetTop(top);
    if (TImage* mark = rowMark_[i])
      mark->SetTop(label->Top() + (label->Height() - mark->Height()) / 2);
    top += kRowPitch;
  }
}

bool TFrameDot11::EnterPage(TPropertyPageFrame* previous, int mode, int flags) {
  const WLProfile& work = g_GlobalVar.WorkProfile;
  FillMethods();
  RefillCertificates();
  FillCiphers();
  if (!CmbAuthen->SelectByValue(work.MS8021xAuthMode))
    CmbAuthen->SetItemIndex(CmbAuthen->Count() > 0 ? 0 : -1);
  if (CmbAuthen->ItemIndex() >= 0) {
    CmbAuthenSelect();
    if (CmbAuthen->SelectedValue(0) == kEapPEAP) CmbInner->SelectByValue(work.PeapEap);
  } else {
    // Nothing to choose: Next goes on as TLS, so show what TLS asks for.
    LbInner->SetCaption(g_GlobalVar.StrFileRead(kSection, "LbInner", "Inner Authen."));
    rows_ = RowsFor(kEapTLS, work.EncryptionMethod);
    LayoutRows();
  }
  if (!CmbEncryp->SelectByValue(work.WPAEncryptionType))
    CmbEncryp->SetItemIndex(CmbEncryp->Count() > 0 ? 0 : -1);
  const std::string cert = FieldText(work.sCertificate);
  for (size_t i = 0; i < userCerts_.size(); ++i)
    if (FieldText(userCerts_[i].Name) == cert) {
      CmbMyCert->SelectByValue(static_cast<intptr_t>(i));
      break;
    }
  const std::string authority = FieldText(work.sCertAuthority);
  for (size_t i = 0; i < authorities_.size(); ++i)
    if (FieldText(authorities_[i].Name) == authority) {
      CmbServerCA->SelectByValue(static_cast<intptr_t>(i));
      break;
    }
  EdtUser->SetText(StoreFieldText(work.LoginName));
  const std::string password = StoreFieldText(work.LoginPassword);
  EdtPasswd->SetText(password);
  EdtPasswd->SetMasked(!password.empty());
  return TPropertyPageFrame::EnterPage(previous, mode, flags);
}

Dot1xChoice TFrameDot11::Choice() const {
  Dot1xChoice c;
  c.Method = static_cast<int32_t>(CmbAuthen->SelectedValue(0));
  c.Cipher = static_cast<int32_t>(CmbEncryp->SelectedValue(0));
  c.Inner = static_cast<int32_t>(CmbInner->SelectedValue(0));
  c.User = EdtUser->Text();
  c.Password = EdtPasswd->Text();
  const intptr_t cert = CmbMyCert->SelectedValue(-1);
  if (cert >= 0 && static_cast<size_t>(cert) < userCerts_.size()) {
    c.HasCertificate = true;
    c.Certificate = FieldText(userCerts_[cert].Name);
  }
  const intptr_t ca = CmbServerCA->SelectedValue(kTrustAny);
  if (ca >= 0 && static_cast<size_t>(ca) < authorities_.size())
    c.Authority = FieldText(authorities_[ca].Name);
  return c;
}

bool TFrameDot11::LeavePage(TPropertyPageFrame* next, int mode, int flags) {
  if (mode == kDirForward) {
    const Dot1xChoice choice = Choice();
    std::string refused;
    const std::string error = CheckDot1x(choice, &refused);
    if (!error.empty()) {
      g_GlobalVar.ShowMsgBox(
          Handle(),
          FormatText(g_GlobalVar.StrFileRead("Message", error, MessageDefault(error)), refused),
          MB_ICONWARNING);
      return false;
    }
    WriteDot1xFields(g_GlobalVar.WorkProfile, g_GlobalVar.WorkProfile.EncryptionMethod, choice);
  }
  return TPropertyPageFrame::LeavePage(next, mode, flags);
}
