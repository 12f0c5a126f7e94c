// Picture buttons: the face shown for each state, the derived disabled
// face, mouse and keyboard activation, and transparent face corners.
#include <gtest/gtest.h>

#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upicbutton.h"

using namespace wutest;

namespace {

class PicButton : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.SetClientSize(300, 200);
    form_.SetColor(RGB(0x11, 0x22, 0x33));
    button_ = new TPicButton(&form_, &form_, "BtnScan", "");
    button_->SetBounds(20, 20, 100, 30);
    button_->OnClick = [this] { ++clicks_; };
  }
  uint32_t Centre() const { return Snapshot(button_->Handle()).At(50, 15); }
  void Mouse(UINT msg, int x, int y) {
    SendMessageA(button_->Handle(), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
  }

  TForm form_{nullptr, "Form1"};
  TPicButton* button_ = nullptr;
  int clicks_ = 0;
};

TEST_F(PicButton, ShowsNormalHoverAndPressedFacesAndClicksOnReleaseInside) {
  button_->SetFaces(TPicture::CreateOpaque(100, 30, RGB(10, 20, 30)),
                    TPicture::CreateOpaque(100, 30, RGB(0, 200, 0)),
                    TPicture::CreateOpaque(100, 30, RGB(200, 0, 0)));
  EXPECT_EQ(Centre(), 0x0A141Eu);
  Mouse(WM_MOUSEMOVE, 50, 15);
  EXPECT_EQ(button_->CurrentFace(), TPicButton::TFace::Hover);
  EXPECT_EQ(Centre(), 0xC80000u);
  Mouse(WM_LBUTTONDOWN, 50, 15);
  EXPECT_EQ(button_->CurrentFace(), TPicButton::TFace::Pressed);
  EXPECT_EQ(Centre(), 0x00C800u);
  EXPECT_EQ(clicks_, 0);
  Mouse(WM_LBUTTONUP, 50, 15);
  EXPECT_EQ(clicks_, 1);
  EXPECT_EQ(button_->CurrentFace(), TPicButton::TFace::Hover);

  // Pressed, then dragged off and released: no click.
  Mouse(WM_LBUTTONDOWN, 50, 15);
  Mouse(WM_MOUSEMOVE, 150, 15);
  EXPECT_FALSE(button_->Pressed());
  EXPECT_EQ(button_->CurrentFace(), TPicButton::TFace::Normal);
  Mouse(WM_LBUTTONUP, 150, 15);
  EXPECT_EQ(clicks_, 1);
  SendMessageA(button_->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Centre(), 0x0A141Eu);
}

TEST_F(PicButton, MissingFacesFallBackAndTheDisabledFaceIsGreyAndLighter) {
  TPicture normal = TPicture::CreateOpaque(100, 30, RGB(0x0F, 0x76, 0x6E));
  button_->SetFaces(normal);
  EXPECT_TRUE(button_->FacePicture(TPicButton::TFace::Hover).SameAs(normal));
  EXPECT_TRUE(button_->FacePicture(TPicButton::TFace::Pressed).SameAs(normal));
  const TPicture& disabled = button_->FacePicture(TPicButton::TFace::Disabled);
  ASSERT_FALSE(disabled.Empty());
  uint32_t d = disabled.Pixel(50, 15);
  uint32_t r = (d >> 16) & 0xFF, g = (d >> 8) & 0xFF, b = d & 0xFF;
  EXPECT_EQ(r, g);
  EXPECT_EQ(g, b);
  uint32_t gray = (0x0F * 30 + 0x76 * 59 + 0x6E * 11) / 100;
  EXPECT_GT(r, gray);

  // A hover face given: pressed falls back to it.
  TPicture hover = TPicture::CreateOpaque(100, 30, RGB(1, 2, 3));
  button_->SetHoverFace(hover);
  EXPECT_TRUE(button_->FacePicture(TPicButton::TFace::Pressed).SameAs(hover));

  button_->SetEnabled(false);
  EXPECT_EQ(button_->CurrentFace(), TPicButton::TFace::Disabled);
  EXPECT_EQ(Centre(), d & 0xFFFFFF);
}

TEST_F(PicButton, DisabledButtonIgnoresMouseKeyboardAndBmClick) {
  button_->SetEnabled(false);
  Mouse(WM_LBUTTONDOWN, 50, 15);
  Mouse(WM_LBUTTONUP, 50, 15);
  SendMessageA(button_->Handle(), BM_CLICK, 0, 0);
  SendMessageA(button_->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  button_->Click();
  EXPECT_EQ(clicks_, 0);
  button_->SetEnabled(true);
  SendMessageA(button_->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks_, 1);
}

TEST_F(PicButton, SpaceAndEnterActivateTheFocusedButton) {
  SendMessageA(button_->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(button_->Pressed());
  EXPECT_EQ(clicks_, 0);
  SendMessageA(button_->Handle(), WM_KEYUP, VK_SPACE, 0);
  EXPECT_FALSE(button_->Pressed());
  EXPECT_EQ(clicks_, 1);

  // Enter through the dialog manager, as the message loops route keys.
  form_.Show();
  button_->SetFocus();
  ASSERT_TRUE(button_->Focused());
  MSG msg{button_->Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_NE(
      SendMessageA(button_->Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&msg)) &
          DLGC_WANTMESSAGE,
      0);
  EXPECT_TRUE(IsDialogMessageA(form_.Handle(), &msg));
  EXPECT_EQ(clicks_, 2);
  form_.Hide();
}

TEST_F(PicButton, TransparentCornersOfAFaceShowTheParentBackground) {
  TPicture face;
  ASSERT_TRUE(face.LoadFromResource("ImgBtnAct"));
  ASSERT_EQ(face.Pixel(0, 0) >> 24, 0u) << "the face's corner should be transparent";
  button_->SetFaces(face);
  button_->FitToFace();
  EXPECT_EQ(button_->Width(), face.Width());
  Snapshot shot(button_->Handle());
  EXPECT_EQ(shot.At(0, 0), 0x112233u);
  EXPECT_EQ(shot.At(face.Width() / 2, 2), face.Pixel(face.Width() / 2, 2) & 0xFFFFFF);
}

}  // namespace
