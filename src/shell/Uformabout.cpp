#include "shell/Uformabout.h"

#include <algorithm>

#include "adapter/Unicadapter.h"
#include "config/Udefine.h"
#include "config/Uunicode.h"
#include "config/Uutility.h"
#include "shell/Uaccessnames.h"
#include "shell/Uformres.h"
#include "ui/Upalette.h"

const char* const kDefaultCopyright = "Copyright (C) 2009-2024 Ombrix Networks Inc.";
const char* const kDefaultRights = "All rights reserved.";

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 240;
constexpr int kTextLeft = 24;
constexpr int kTextRight = 356;

std::string ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Utf8(std::wstring_view(path, n < MAX_PATH ? n : 0));
}

}  // namespace

TFormAbout::TFormAbout(TComponent* owner)
    : TFormBase(owner, "FormAbout", WS_POPUP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT) {
  SetColor(palette::Panel);
  accessnames::DescribeDialog(this);
  ImgBG = MakeBorderlessBackground(ResPicture("ImgAboutBG"), kWidth, kHeight);

  // Enter and Escape close the box too (DialogKey).
  BtnClose = MakeBorderlessFrame(ImgBG);

  LbProduct = new TLabel(this, this, "LbProduct");
  LbProduct->SetFontBold(true);
  LbProduct->SetFontHeight(-15);
  LbProduct->SetShowAccelChar(false);
  LbProduct->SetEllipsisEnd(true);
  LbProduct->SetBounds(kTextLeft, 82, kTextRight - kTextLeft, 20);

  auto pair = [&](TLabel*& caption, TValueLabel*& value, const char* cname, const char* vname,
                  const char* text, int top) {
    caption = new TLabel(this, this, cname, text);
    caption->SetFontColor(palette::CaptionText);
    caption->SetShowAccelChar(false);
    caption->SetBounds(kTextLeft, top, 120, 16);
    value = new TValueLabel(this, this, vname);
    value->SetBounds(kTextLeft + 120, top, kTextRight - kTextLeft - 120, 16);
  };
  pair(LbDriverVer, LblDriverVer, "LbDriverVer", "LblDriverVer", "Driver Version:", 116);
  pair(LbUtilityVer, LblUtilityVer, "LbUtilityVer", "LblUtilityVer", "Utility Version:", 138);

  LbCopyright = new TLabel(this, this, "LbCopyright");
  LbRight = new TLabel(this, this, "LbRight");
  int top = 184;
  for (TLabel* l : {LbCopyright, LbRight}) {
    l->SetFontColor(palette::Copyright);
    l->SetShowAccelChar(false);
    l->SetEllipsisEnd(true);
    l->SetBounds(kTextLeft, top, kTextRight - kTextLeft, 16);
    top += 18;
  }

  // Texts and layout.
  ApplyLayout(this, Name());
  LocaliseLabels(Name());
  SetCaption(g_GlobalVar.AppTitle);
  LbProduct->SetCaption(g_GlobalVar.StrFileRead("Utility", "ProductName", g_GlobalVar.AppTitle));
  LbCopyright->SetCaption(g_GlobalVar.StrFileRead("Utility", "Copyright1", kDefaultCopyright));
  LbRight->SetCaption(g_GlobalVar.StrFileRead("Utility", "Copyright2", kDefaultRights));
  LayoutText();

  LblDriverVer->SetCaption("");
  LblUtilityVer->SetCaption(
      g_GlobalVar.StrFileRead("Utility", "UtilityVer", GetFileVersionText(ProgramPath(), 3)));
}

void TFormAbout::LayoutText() {
  // Both pairs share one right edge, their values start where the wider
  // caption ends.
  FitLabelPair(LbDriverVer, LblDriverVer, kTextRight);
  FitLabelPair(LbUtilityVer, LblUtilityVer, kTextRight);
  const int valueLeft = std::max(LblDriverVer->Left(), LblUtilityVer->Left());
  for (TValueLabel* v : {LblDriverVer, LblUtilityVer})
    v->SetBounds(valueLeft, v->Top(), kTextRight - valueLeft, v->Height());
}

void TFormAbout::DpiChanged(UINT oldDpi, UINT newDpi) {
  TFormBase::DpiChanged(oldDpi, newDpi);
  LayoutText();
}

void TFormAbout::Prepare(TForm* mainWindow, CNICAdapter* adapter) {
  if (adapter)
    LblDriverVer->SetCaption(
        g_GlobalVar.StrFileRead("Utility", "DriverVer", adapter->DriverVersion));
  CenterOn(mainWindow && mainWindow->Showing() ? mainWindow : nullptr);
}

int TFormAbout::ShowAbout(TForm* mainWindow, CNICAdapter* adapter) {
  Prepare(mainWindow, adapter);
  PopupParent = mainWindow && mainWindow->Showing() ? mainWindow : nullptr;
  return ShowModal();
}

void TFormAbout::DialogKey(int id) {
  if (id == IDOK || id == IDCANCEL) SetModalResult(mrOk);
}
