// Labels (ellipsis, prefix, wrapping), tab labels with three colours, and
// containers that paint their background and graphic children without
// erasing, the parent's picture showing through transparent children.
#include <gtest/gtest.h>

#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upalette.h"
#include "ui/Ustdctrls.h"

using namespace wutest;

namespace {

class LabelPaint : public ::testing::Test {
 protected:
  TForm form_{nullptr, "Form1"};
};

TEST_F(LabelPaint, ValueLabelCutsATextThatDoesNotFitWithAnEllipsis) {
  auto* value = new TValueLabel(&form_, &form_, "LblSSID");
  value->SetBounds(10, 10, 60, 16);
  value->SetCaption("A very long network name that never fits here");
  std::string shown = value->DisplayText();
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_LT(shown.size(), value->Caption().size());
  EXPECT_LE(value->TextExtent(shown).cx, 60);
  // The caption itself is kept whole.
  EXPECT_EQ(value->Caption(), "A very long network name that never fits here");

  value->SetCaption("Net");
  EXPECT_EQ(value->DisplayText(), "Net");

  // A plain label is not cut.
  auto* plain = new TLabel(&form_, &form_, "LbA", "A very long caption of a plain label");
  plain->SetBounds(10, 30, 40, 16);
  EXPECT_EQ(plain->DisplayText(), "A very long caption of a plain label");
}

TEST_F(LabelPaint, MeasuringHonoursPrefixAndWrapping) {
  auto* accel = new TLabel(&form_, &form_, "LbA", "Save&&&Apply");
  auto* value = new TValueLabel(&form_, &form_, "LblB", "Save&&&Apply");
  // With accelerators "&&" shows one "&" and "&A" none; a value shows all.
  EXPECT_LT(accel->MeasureCaption().cx, value->MeasureCaption().cx);
  EXPECT_EQ(value->TextFlags() & DT_NOPREFIX, static_cast<UINT>(DT_NOPREFIX));
  EXPECT_EQ(accel->TextFlags() & DT_NOPREFIX, 0u);

  auto* wrap = new TLabel(&form_, &form_, "LbC", "one two three four five six");
  SIZE single = wrap->MeasureCaption();
  wrap->SetWordWrap(true);
  wrap->SetWidth(single.cx / 2);
  SIZE wrapped = wrap->MeasureCaption();
  EXPECT_GE(wrapped.cy, 2 * single.cy);
  EXPECT_LE(wrapped.cx, single.cx / 2);
}

TEST_F(LabelPaint, TabLabelShowsNormalHoverAndSelectedColours) {
  auto* tab = new TTabLabel(&form_, &form_, "LbLinkInfo", "Link Info");
  tab->SetBounds(24, 80, 130, 30);
  tab->SetColors(RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3));
  int downs = 0, downX = -1, downY = -1;
  tab->OnMouseDown = [&](TMouseButton b, UINT, int x, int y) {
    if (b == TMouseButton::Left) ++downs, downX = x, downY = y;
  };
  HWND w = form_.Handle();
  EXPECT_EQ(tab->TextColor(), RGB(1, 1, 1));
  SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(30, 90));
  EXPECT_TRUE(tab->Hover());
  EXPECT_EQ(tab->TextColor(), RGB(2, 2, 2));
  tab->SetSelected(true);
  EXPECT_EQ(tab->TextColor(), RGB(3, 3, 3));
  tab->SetSelected(false);
  SendMessageA(w, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(tab->Hover());
  EXPECT_EQ(tab->TextColor(), RGB(1, 1, 1));
  // Moving off the label onto the bare form also ends the hover.
  SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(30, 90));
  SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
  EXPECT_FALSE(tab->Hover());

  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(34, 95));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(34, 95));
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(downX, 10);
  EXPECT_EQ(downY, 15);
  // A disabled label lets the mouse through to what lies below.
  tab->SetEnabled(false);
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(34, 95));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(34, 95));
  EXPECT_EQ(downs, 1);
}

TEST_F(LabelPaint, ClickReachesTheTopmostGraphicControlOnlyWhenReleasedOverIt) {
  auto* image = new TImage(&form_, &form_, "ImgBG");
  image->SetBounds(0, 0, 200, 200);
  auto* label = new TLabel(&form_, &form_, "LbInfra", "Infrastructure");
  label->SetBounds(20, 20, 80, 16);
  int labelClicks = 0, imageClicks = 0;
  label->OnClick = [&] { ++labelClicks; };
  image->OnClick = [&] { ++imageClicks; };
  HWND w = form_.Handle();
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 25));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(25, 25));
  EXPECT_EQ(labelClicks, 1);
  EXPECT_EQ(imageClicks, 0);
  // Pressed on the label, released elsewhere: no click at all.
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 25));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(150, 150));
  EXPECT_EQ(labelClicks, 1);
  EXPECT_EQ(imageClicks, 0);
}

TEST_F(LabelPaint, ContainersPaintWithoutErasingAndTransparentChildrenShowTheParent) {
  form_.SetClientSize(300, 200);
  auto* bg = new TImage(&form_, &form_, "ImgBG");
  bg->SetPicture(TPicture::CreateOpaque(300, 200, RGB(0x20, 0x40, 0x60)));
  bg->FitToPicture();
  auto* label = new TLabel(&form_, &form_, "LbA", "");
  label->SetBounds(10, 10, 80, 20);
  auto* frame = new TFrame(&form_, &form_, "Frame1");
  frame->SetBounds(100, 50, 150, 100);
  frame->Show();
  auto* panel = new TPanel(&form_, &form_, "PlSearch", "Searching");
  panel->SetBounds(0, 160, 100, 40);
  panel->SetColor(RGB(0xFA, 0xFB, 0xFC));

  EXPECT_NE(SendMessageA(form_.Handle(), WM_ERASEBKGND, 0, 0), 0);
  EXPECT_NE(SendMessageA(frame->Handle(), WM_ERASEBKGND, 0, 0), 0);

  Snapshot shotForm(form_.Handle());
  EXPECT_EQ(shotForm.At(15, 15), 0x204060u);  // under the empty label
  Snapshot shotFrame(frame->Handle());
  EXPECT_EQ(shotFrame.At(5, 5), 0x204060u);  // the frame shows the form's picture
  Snapshot shotPanel(panel->Handle());
  EXPECT_EQ(shotPanel.At(2, 2), 0xFAFBFCu);

  // A graphic child of the frame is drawn over the parent's picture.
  auto* mark = new TImage(&form_, frame, "ImgMark");
  mark->SetPicture(TPicture::CreateOpaque(8, 8, RGB(0xC0, 0x10, 0x10)));
  mark->SetBounds(20, 20, 8, 8);
  Snapshot shotMark(frame->Handle());
  EXPECT_EQ(shotMark.At(24, 24), 0xC01010u);
  EXPECT_EQ(shotMark.At(30, 30), 0x204060u);
  mark->Hide();
  Snapshot shotHidden(frame->Handle());
  EXPECT_EQ(shotHidden.At(24, 24), 0x204060u);
}

TEST_F(LabelPaint, ImagesDrawTheirPictureCentredOrStretched) {
  form_.SetClientSize(100, 100);
  form_.SetColor(RGB(0, 0, 0));
  auto* image = new TImage(&form_, &form_, "ImgIcon");
  image->SetBounds(0, 0, 40, 40);
  image->SetPicture(TPicture::CreateOpaque(10, 10, RGB(0xFF, 0, 0)));
  image->SetCenter(true);
  Snapshot centred(form_.Handle());
  EXPECT_EQ(centred.At(20, 20), 0xFF0000u);
  EXPECT_EQ(centred.At(5, 5), 0u);
  image->SetCenter(false);
  image->SetStretch(true);
  Snapshot stretched(form_.Handle());
  EXPECT_EQ(stretched.At(5, 5), 0xFF0000u);
  EXPECT_EQ(stretched.At(38, 38), 0xFF0000u);
  EXPECT_EQ(stretched.At(45, 45), 0u);
}

}  // namespace
