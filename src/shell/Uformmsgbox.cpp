#include "shell/Uformmsgbox.h"

#include <algorithm>
#include <exception>

#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "config/Uunicode.h"
#include "config/Uutility.h"
#include "shell/Uaccessnames.h"
#include "ui/Upalette.h"
#include "ui/Uuithread.h"

namespace {

constexpr int kIconSize = 32;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;

// The first letter or digit of a caption (a character, not a byte: "Ändern"
// gives Ä); 0 when it has none. Outside the basic plane a letter cannot be
// one key's character, so it is passed over.
wchar_t FirstLetter(const std::string& caption) {
  for (wchar_t ch : Wide(caption))
    if (!(ch >= 0xD800 && ch <= 0xDFFF) && IsCharAlphaNumericW(ch)) return ch;
  return 0;
}

// The system icon of a message-box icon flag (IDI_HAND ...); 0 for none.
int SystemIconId(int flags) {
  switch (flags & 0xF0) {
    case 0x10:
      return 32513;  // IDI_HAND
    case 0x20:
      return 32514;  // IDI_QUESTION
    case 0x30:
      return 32515;  // IDI_EXCLAMATION
    case 0x40:
      return 32516;  // IDI_ASTERISK
  }
  return 0;
}

// A system icon drawn for size x size pixels: scaled down from a larger
// drawing where the system has one (comctl32 6 and later), else as the
// system gives it at that size.
TPicture SystemIcon(int id, int size) {
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto scaleDown = [] {
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    return comctl ? reinterpret_cast<LoadIconWithScaleDownFn>(
                        reinterpret_cast<void*>(GetProcAddress(comctl, "LoadIconWithScaleDown")))
                  : nullptr;
  }();
  TPicture picture;
  HICON icon = nullptr;
  if (scaleDown && SUCCEEDED(scaleDown(nullptr, MAKEINTRESOURCEW(id), size, size, &icon)) && icon) {
    picture.LoadFromIcon(icon, size, size);
    DestroyIcon(icon);
    return picture;
  }
  // Shared: the system keeps it.
  icon = static_cast<HICON>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
  if (icon) picture.LoadFromIcon(icon, size, size);
  return picture;
}

}  // namespace

TFormMsgBox::TFormMsgBox(TComponent* owner)
    : TFormBase(owner, "FormMsgBox", kDialogStyle, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT) {
  SetColor(palette::Panel);
  accessnames::DescribeDialog(this);
  // Tab order follows creation: the buttons first, so OK has the focus.
  BtnOk = new TPicButton(this, this, "BtnOk", "OK");
  BtnOk->SetBounds(0, 0, kButtonWidth, kButtonHeight);
  BtnCancel = new TPicButton(this, this, "BtnCancel", "Cancel");
  BtnCancel->SetBounds(0, 0, kButtonWidth, kButtonHeight);
  ImgIcon = new TImage(this, this, "ImgIcon");
  ImgIcon->SetBounds(16, 20, kIconSize, kIconSize);
  ImgIcon->SetCenter(true);
  LbMsg = new TLabel(this, this, "LbMsg");
  LbMsg->SetBounds(64, 20, 160, 33);
  LbMsg->SetWordWrap(true);
  LbMsg->SetShowAccelChar(false);
  BtnOk->OnClick = [this] { SetModalResult(okResult_); };
  BtnCancel->OnClick = [this] { SetModalResult(cancelResult_); };
}

void TFormMsgBox::Prepare(TForm* parent, const std::string& rawText, int flags) {
  SetCaption(g_GlobalVar.MsgTitle);
  text_ = ExpandLineBreaks(rawText);
  flags_ = flags;
  LbMsg->SetCaption(text_);
  MakeIcon();
  ImgIcon->SetVisible(SystemIconId(flags) != 0);
  accessnames::DescribeMessageIcon(ImgIcon, flags);

  switch (flags & 0x0F) {
    case 1:
      BtnOk->SetCaption(g_GlobalVar.StrFileRead("BtnCaption", "BtnOk", "Ok"));
      BtnCancel->SetCaption(g_GlobalVar.StrFileRead("BtnCaption", "BtnCancel", "Cancel"));
      okResult_ = mrOk;
      cancelResult_ = mrCancel;
      break;
    case 4:
      BtnOk->SetCaption(g_GlobalVar.StrFileRead("BtnCaption", "BtnYes", "Yes"));
      BtnCancel->SetCaption(g_GlobalVar.StrFileRead("BtnCaption", "BtnNo", "No"));
      okResult_ = mrYes;
      cancelResult_ = mrNo;
      break;
    default:
      BtnOk->SetCaption(g_GlobalVar.StrFileRead("BtnCaption", "BtnOk", "Ok"));
      okResult_ = mrOk;
      cancelResult_ = mrCancel;
      break;
  }
  const bool two = (flags & 0x0F) == 1 || (flags & 0x0F) == 4;
  BtnCancel->SetVisible(two);
  // Alt and the first letter of a caption press its button (Alt+Y, Alt+N);
  // should both start alike, only the first button has one.
  const wchar_t okLetter = FirstLetter(BtnOk->Caption());
  const wchar_t cancelLetter = FirstLetter(BtnCancel->Caption());
  BtnOk->SetAccelChar(okLetter);
  BtnCancel->SetAccelChar(two && !TPicButton::SameLetter(okLetter, cancelLetter) ? cancelLetter
                                                                                 : 0);
  LayoutText();
  CenterOn(parent);
}

void TFormMsgBox::LayoutText() {
  // Lines: every line feed, and the text after the last one.
  const std::string& text = text_;
  const size_t feeds = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  const size_t lastFeed = text.rfind('\n');
  const bool tail = lastFeed == std::string::npos ? !text.empty() : lastFeed + 1 < text.size();
  const int lines = static_cast<int>(feeds) + (tail ? 1 : 0);
  std::string longest;
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (line.size() > longest.size()) longest = line;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  SIZE extent = LbMsg->TextExtent(longest + "    ");
  LbMsg->SetBounds(LbMsg->Left(), LbMsg->Top(), std::max<int>(extent.cx, 160),
                   std::max<int>(extent.cy * (lines + 1), 33));

  const int buttonTop = LbMsg->Top() + LbMsg->Height() + 8;
  const int clientHeight = buttonTop + BtnOk->Height() + 16;
  const int clientWidth = LbMsg->Left() + LbMsg->Width() + 16;
  SetClientSize(clientWidth, clientHeight);
  ImgIcon->SetTop(LbMsg->Top() + (LbMsg->Height() - ImgIcon->Height()) / 2);

  const bool two = (flags_ & 0x0F) == 1 || (flags_ & 0x0F) == 4;
  if (two) {
    BtnOk->SetBounds(clientWidth / 2 - BtnOk->Width() - 16, buttonTop, BtnOk->Width(),
                     BtnOk->Height());
    BtnCancel->SetBounds(clientWidth / 2 + 16, buttonTop, BtnCancel->Width(), BtnCancel->Height());
  } else {
    BtnOk->SetBounds((clientWidth - BtnOk->Width()) / 2, buttonTop, BtnOk->Width(),
                     BtnOk->Height());
  }
}

void TFormMsgBox::MakeIcon() {
  const int id = SystemIconId(flags_);
  TPicture picture;
  if (id) {
    // The 96-DPI drawing, and the one for the box's DPI beside it.
    picture = SystemIcon(id, kIconSize);
    const UINT dpi = Dpi();
    const int size = ui::dpi::Metric(SM_CXICON, dpi);
    if (dpi != ui::dpi::kBase && size != kIconSize && !picture.Empty()) {
      TPicture large = SystemIcon(id, size);
      if (!large.Empty()) picture.AddVariant(large, dpi);
    }
  }
  ImgIcon->SetPicture(picture);
}

void TFormMsgBox::DpiChanged(UINT oldDpi, UINT newDpi) {
  TFormBase::DpiChanged(oldDpi, newDpi);
  MakeIcon();
  LayoutText();
}

int TFormMsgBox::Show(TForm* parent, const std::string& text, int flags) {
  Prepare(parent, text, flags);
  PopupParent = parent && parent->Showing() ? parent : nullptr;
  ShowModal();
  Application.ProcessMessages();
  return ModalResult();
}

void TFormMsgBox::DialogKey(int id) {
  if (id == IDOK) BtnOk->Click();
  if (id == IDCANCEL) Close();
}

int ShowMsgBox(HWND control, const std::string& text, int flags) {
  // Windows and the modal list belong to the user-interface thread.
  if (!ui::IsUiThread() && ui::UiThreadWindow()) {
    int result = mrCancel;
    try {
      ui::Synchronize([&] { result = ShowMsgBox(control, text, flags); });
    } catch (...) {
      LogWrite("Exception(ShowMsgBox)");
    }
    return result;
  }
  TForm* parent = control ? TForm::FromHandle(GetAncestor(control, GA_ROOT)) : nullptr;
  try {
    TFormMsgBox box;
    return box.Show(parent, text, flags);
  } catch (const std::exception& e) {
    LogWrite("Exception(ShowMsgBox): %s", e.what());
  } catch (...) {
    LogWrite("Exception(ShowMsgBox)");
  }
  // The question is still asked, in the system's box.
  return MessageBoxW(parent ? parent->Handle() : nullptr, Wide(ExpandLineBreaks(text)).c_str(),
                     Wide(g_GlobalVar.MsgTitle).c_str(), static_cast<UINT>(flags & 0xFF));
}

MsgBoxHandler InstallMsgBox() {
  return SetMsgBoxHandler(&ShowMsgBox);
}
