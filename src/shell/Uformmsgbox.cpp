#include "shell/Uformmsgbox.h"

#include <algorithm>
#include <exception>

#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "config/Uutility.h"
#include "shell/Uaccessnames.h"
#include "ui/Upalette.h"
#include "ui/Uuithread.h"

namespace {

constexpr int kIconSize = 32;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;

// The first letter or digit of a caption; 0 when it has none.
char FirstLetter(const std::string& caption) {
  for (char ch : caption)
    if (IsCharAlphaNumericA(ch)) return ch;
  return 0;
}

bool SameLetter(char a, char b) {
  char pair[2] = {a, b};
  CharUpperBuffA(pair, 2);
  return pair[0] == pair[1];
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

  // Lines: every line feed, and the text after the last one.
  const std::string text = ExpandLineBreaks(rawText);
  size_t feeds = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  size_t lastFeed = text.rfind('\n');
  bool tail = lastFeed == std::string::npos ? !text.empty() : lastFeed + 1 < text.size();
  int lines = static_cast<int>(feeds) + (tail ? 1 : 0);
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
  LbMsg->SetCaption(text);

  int buttonTop = LbMsg->Top() + LbMsg->Height() + 8;
  int clientHeight = buttonTop + BtnOk->Height() + 16;
  int clientWidth = LbMsg->Left() + LbMsg->Width() + 16;
  SetClientSize(clientWidth, clientHeight);

  int icon = 0;
  switch (flags & 0xF0) {
    case 0x10:
      icon = 32513;
      break;  // IDI_HAND
    case 0x20:
      icon = 32514;
      break;  // IDI_QUESTION
    case 0x30:
      icon = 32515;
      break;  // IDI_EXCLAMATION
    case 0x40:
      icon = 32516;
      break;  // IDI_ASTERISK
  }
  TPicture picture;
  if (icon) {
    HICON h = LoadIconA(nullptr, MAKEINTRESOURCEA(icon));
    picture.LoadFromIcon(h, kIconSize, kIconSize);
  }
  ImgIcon->SetPicture(picture);
  ImgIcon->SetVisible(icon != 0);
  accessnames::DescribeMessageIcon(ImgIcon, flags);
  ImgIcon->SetTop(LbMsg->Top() + (LbMsg->Height() - ImgIcon->Height()) / 2);

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
  bool two = (flags & 0x0F) == 1 || (flags & 0x0F) == 4;
  BtnCancel->SetVisible(two);
  // Alt and the first letter of a caption press its button (Alt+Y, Alt+N);
  // should both start alike, only the first button has one.
  const char okLetter = FirstLetter(BtnOk->Caption());
  const char cancelLetter = FirstLetter(BtnCancel->Caption());
  BtnOk->SetAccelChar(okLetter);
  BtnCancel->SetAccelChar(two && !SameLetter(okLetter, cancelLetter) ? cancelLetter : 0);
  if (two) {
    BtnOk->SetBounds(clientWidth / 2 - BtnOk->Width() - 16, buttonTop, BtnOk->Width(),
                     BtnOk->Height());
    BtnCancel->SetBounds(clientWidth / 2 + 16, buttonTop, BtnCancel->Width(), BtnCancel->Height());
  } else {
    BtnOk->SetBounds((clientWidth - BtnOk->Width()) / 2, buttonTop, BtnOk->Width(),
                     BtnOk->Height());
  }
  CenterOn(parent);
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
  return MessageBoxA(parent ? parent->Handle() : nullptr, ExpandLineBreaks(text).c_str(),
                     g_GlobalVar.MsgTitle.c_str(), static_cast<UINT>(flags & 0xFF));
}

MsgBoxHandler InstallMsgBox() {
  return SetMsgBoxHandler(&ShowMsgBox);
}
