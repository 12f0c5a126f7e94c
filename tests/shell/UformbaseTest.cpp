// The form base: layout and visibility from the settings file (frames
// included), captions from the string file, label fitting, mark images and
// the modal list; the frame of the borderless windows.
#include <gtest/gtest.h>

#include "pages/station/Uformchart.h"
#include "shell/Uformabout.h"
#include "shell/Uformbase.h"
#include "ui/UiTest.h"
#include "ui/Upicbutton.h"

using namespace wutest;

namespace {

class TTestForm : public TFormBase {
 public:
  TTestForm() : TFormBase(nullptr, "Form1") {
    LbA = new TLabel(this, this, "LbA", "Caption A");
    LbA->SetBounds(1, 2, 30, 13);
    EdtB = new TEdit(this, this, "EdtB");
    EdtB->SetBounds(3, 4, 100, 21);
    LblV = new TValueLabel(this, this, "LblV", "value");
    LbTab = new TTabLabel(this, this, "LbTab", "Tab");
    Frame1 = new TFrame(this, this, "Frame1");
    LbC = new TLabel(Frame1, Frame1, "LbC", "Frame caption");
    LbC->SetBounds(9, 9, 40, 13);
    ChkD = new TCheckBox(Frame1, Frame1, "ChkD");
  }
  TLabel* LbA;
  TEdit* EdtB;
  TValueLabel* LblV;
  TTabLabel* LbTab;
  TFrame* Frame1;
  TLabel* LbC;
  TCheckBox* ChkD;
};

TEST(FormBase, CommaTextKeepsOnlyDecimalIntegersInOrder) {
  using layout::CommaIntegers;
  EXPECT_EQ(CommaIntegers("10,20"), (std::vector<int>{10, 20}));
  EXPECT_EQ(CommaIntegers(" 1, 2 ,3 "), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(CommaIntegers("4 5\t6"), (std::vector<int>{4, 5, 6}));
  EXPECT_EQ(CommaIntegers("x,10,20"), (std::vector<int>{10, 20}));
  EXPECT_EQ(CommaIntegers("\"7\",\"a b\",8"), (std::vector<int>{7, 8}));
  EXPECT_EQ(CommaIntegers("\"1 2\",3"), (std::vector<int>{3}));
  EXPECT_EQ(CommaIntegers("1,,2"), (std::vector<int>{1, 2}));
  EXPECT_EQ(CommaIntegers("-5,+6,0x10,$10,1.5,9"), (std::vector<int>{-5, 6, 9}));
  EXPECT_EQ(CommaIntegers("99999999999,2147483647,-2147483648"),
            (std::vector<int>{2147483647, -2147483647 - 1}));
  EXPECT_TRUE(CommaIntegers("").empty());
  EXPECT_TRUE(CommaIntegers("\"unterminated").empty());
}

TEST(FormBase, LayoutAndVisibilityComeFromTheSettingsFileFramesIncluded) {
  GlobalFiles files(
      "[Form1_CtrlPos]\r\n"
      "LbA=10,20\r\n"
      "EdtB=\"x\", 30 40 , 50,60,70\r\n"
      "Frame1=5,6,300,200\r\n"
      "LblV=abc\r\n"
      "[Form1_Visible]\r\n"
      "LbA=0\r\n"
      "Frame1=1\r\n"
      "[Form1_Frame1_CtrlPos]\r\n"
      "LbC=7,8,90,14\r\n"
      "[Form1_Frame1_Visible]\r\n"
      "ChkD=0\r\n",
      "");
  TTestForm form;
  RECT lblv = form.LblV->BoundsRect();
  form.ApplyLayout(&form, "Form1");
  EXPECT_EQ(form.LbA->BoundsRect(), (RECT{10, 20, 40, 33}));  // left and top only
  EXPECT_FALSE(form.LbA->Visible());
  EXPECT_EQ(form.EdtB->BoundsRect(), (RECT{30, 40, 80, 100}));
  EXPECT_TRUE(form.EdtB->Visible());
  EXPECT_EQ(form.LblV->BoundsRect(), lblv);  // no integers: unchanged
  EXPECT_EQ(form.Frame1->BoundsRect(), (RECT{5, 6, 305, 206}));
  EXPECT_TRUE(form.Frame1->Visible());  // frames start hidden
  EXPECT_EQ(form.LbC->BoundsRect(), (RECT{7, 8, 97, 22}));
  EXPECT_TRUE(form.LbC->Visible());
  EXPECT_FALSE(form.ChkD->Visible());
}

TEST(FormBase, WithoutASettingsFileNothingMoves) {
  GlobalFiles files("", "");
  TTestForm form;
  form.ApplyLayout(&form, "Form1");
  EXPECT_EQ(form.LbA->BoundsRect(), (RECT{1, 2, 31, 15}));
  EXPECT_TRUE(form.LbA->Visible());
  EXPECT_FALSE(form.Frame1->Visible());
}

TEST(FormBase, LabelsOfEveryKindTakeTheirCaptionsFromTheStringFile) {
  GlobalFiles files("[Setting]\r\nX=1\r\n",
                    "[Form1]\r\nLbA=Hello\r\nLblV=Shown\r\nLbTab=Profiles\r\nEdtB=Nope\r\n"
                    "LbC=Not mine\r\n");
  TTestForm form;
  form.LocaliseLabels("Form1");
  EXPECT_EQ(form.LbA->Caption(), "Hello");
  EXPECT_EQ(form.LblV->Caption(), "Shown");
  EXPECT_EQ(form.LbTab->Caption(), "Profiles");
  EXPECT_EQ(form.EdtB->Caption(), "");              // not a label
  EXPECT_EQ(form.LbC->Caption(), "Frame caption");  // owned by the frame
  form.LocaliseLabels("Other");
  EXPECT_EQ(form.LbA->Caption(), "Hello");
}

TEST(FormBase, FittingSizesTheLabelAndPlacesTheValueAfterIt) {
  TTestForm form;
  form.LbA->SetCaption("Network Name (SSID):");
  form.LbA->SetBounds(20, 10, 10, 13);
  const int measured = form.LbA->MeasureCaption().cx;
  EXPECT_EQ(form.FitLabel(form.LbA), measured + 6);
  EXPECT_EQ(form.LbA->Width(), measured + 6);

  form.FitLabelPair(form.LbA, form.LblV, 400);
  EXPECT_EQ(form.LblV->Left(), 20 + measured + 6);
  EXPECT_EQ(form.LblV->Width(), 400 - (20 + measured + 6));
  // A right edge before the value's place: the width is clamped.
  form.FitLabelPair(form.LbA, form.EdtB, 10);
  EXPECT_EQ(form.EdtB->Left(), 20 + measured + 6);
  EXPECT_EQ(form.EdtB->Width(), 0);
}

TEST(FormBase, MarkImageSitsLeftOfTheLabelCentredVertically) {
  TTestForm form;
  TPicture mark = TPicture::CreateOpaque(8, 8, RGB(1, 2, 3));
  form.LbA->SetBounds(40, 50, 100, 13);
  TImage* image = form.PlaceMarkImage(form.LbA, &mark);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Owner(), &form);
  EXPECT_EQ(image->Parent(), &form);
  EXPECT_EQ(image->BoundsRect(), (RECT{26, 52, 34, 60}));
  EXPECT_TRUE(image->Picture().SameAs(mark));
  EXPECT_TRUE(image->Visible());

  // Taller than the label: the offset truncates toward zero.
  form.LbA->SetBounds(40, 50, 100, 5);
  form.LbA->Hide();
  image = form.PlaceMarkImage(form.LbA, &mark);
  EXPECT_EQ(image->Top(), 49);
  EXPECT_FALSE(image->Visible());

  // A label inside the frame gets its mark in the same frame.
  image = form.PlaceMarkImage(form.LbC, &mark);
  EXPECT_EQ(image->Parent(), form.Frame1);
  EXPECT_EQ(image->Left(), 9 - 8 - 6);

  EXPECT_EQ(form.PlaceMarkImage(nullptr, &mark), nullptr);
  EXPECT_EQ(form.PlaceMarkImage(form.LbA, nullptr), nullptr);
}

TEST(FormBase, NestedModalFormsStackInTheModalList) {
  TFormBase outer(nullptr, "FormOuter"), inner(nullptr, "FormInner");
  std::vector<TFormBase*> seenInside;
  TFormBase* topAfterInner = nullptr;
  int innerResult = 0;
  After(20, [&] {
    After(20, [&] {
      seenInside = TFormBase::ModalForms();
      inner.SetModalResult(mrYes);
    });
    innerResult = inner.ShowModal();
    topAfterInner = TFormBase::TopModalForm();
    outer.Close();
  });
  EXPECT_EQ(TFormBase::TopModalForm(), nullptr);
  int outerResult = outer.ShowModal();
  EXPECT_EQ(seenInside, (std::vector<TFormBase*>{&outer, &inner}));
  EXPECT_EQ(innerResult, mrYes);
  EXPECT_EQ(topAfterInner, &outer);
  EXPECT_EQ(outerResult, mrCancel);  // closed, as if by the close box
  EXPECT_EQ(TFormBase::TopModalForm(), nullptr);
  EXPECT_FALSE(outer.Visible());
}

TEST(FormBase, AFormFreedInItsOwnModalLoopLeavesTheList) {
  auto* form = new TFormBase(nullptr, "FormGone");
  After(20, [form] { delete form; });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(TFormBase::TopModalForm(), nullptr);
}

TEST(FormBase, OtherWindowsAreDisabledWhileAFormIsModal) {
  TFormBase owner(nullptr, "FormMain"), dialog(nullptr, "FormAbout");
  owner.Show();
  bool ownerEnabledInside = true;
  After(20, [&] {
    ownerEnabledInside = IsWindowEnabled(owner.Handle()) != FALSE;
    dialog.SetModalResult(mrOk);
  });
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  owner.Hide();
}

// A borderless window whose caption drags are counted, not carried out (the
// system's move loop would wait for the mouse).
class TBorderless : public TFormBase {
 public:
  TBorderless() : TFormBase(nullptr, "FormAbout", WS_POPUP | WS_CLIPCHILDREN) {
    ImgBG = new TImage(this, this, "ImgBG");
    ImgBG->SetBounds(0, 0, 300, 200);
    SetClientSize(300, 200);
    BtnClose = MakeBorderlessFrame(ImgBG);
  }
  TImage* ImgBG;
  TPicButton* BtnClose;
  int CaptionDrags = 0;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_NCLBUTTONDOWN && wp == HTCAPTION) {
      ++CaptionDrags;
      return 0;
    }
    return TFormBase::WndProc(msg, wp, lp);
  }
};

TEST(FormBase, ABorderlessWindowClosesByItsButtonAndIsDraggedByItsBackground) {
  TBorderless form;
  EXPECT_EQ(form.BtnClose->Left() + form.BtnClose->Width(), 300 - 8) << "not at the top right";
  EXPECT_FALSE(GetWindowLongA(form.BtnClose->Handle(), GWL_STYLE) & WS_TABSTOP)
      << "the close button is for the mouse";
  SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  EXPECT_EQ(form.CaptionDrags, 0) << "a move without the button held dragged the window";
  SendMessageA(form.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 100));
  EXPECT_EQ(form.CaptionDrags, 1);

  // The about box and the chart have that frame.
  TFormAbout about;
  TFormChart chart;
  for (TFormBase* f : {static_cast<TFormBase*>(&form), static_cast<TFormBase*>(&about),
                       static_cast<TFormBase*>(&chart)}) {
    auto* close = dynamic_cast<TPicButton*>(f->FindComponent("BtnClose"));
    ASSERT_NE(close, nullptr) << f->Name();
    EXPECT_FALSE(GetWindowLongA(close->Handle(), GWL_STYLE) & WS_TABSTOP) << f->Name();
    After(20, [close] { close->Click(); });
    EXPECT_EQ(f->ShowModal(), mrOk) << f->Name();
  }
}

}  // namespace
