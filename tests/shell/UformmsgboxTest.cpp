// The program's message box: its geometry, texts, icon and results for each
// flag set, driven modally from a timer as a user would answer it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "common/PixelFit.h"
#include "shell/Uformmsgbox.h"
#include "ui/UiTest.h"

using namespace wutest;

namespace {

class MsgBox : public ::testing::Test {
 protected:
  // Answers the next message box as soon as it shows, then returns what
  // ShowMsgBox returned.
  int Ask(HWND control, const std::string& text, int flags,
          std::function<void(TFormMsgBox*)> answer) {
    Every(20, [answer] {
      auto* box = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
      if (!box || !box->Showing()) return false;
      answer(box);
      return true;
    });
    return ShowMsgBox(control, text, flags);
  }

  GlobalFiles files_{"[Setting]\r\nHelpFile=\r\n",
                     "[Utility]\r\nMsgTitle=Test Title\r\n[BtnCaption]\r\nBtnYes=Sure\r\n"};
};

TEST_F(MsgBox, TwoLinesMakeItAsWideAsTheLongerLinePlusFourBlanks) {
  TFormMsgBox box;
  const std::string longer = "the second line is clearly the longer one of the two";
  box.Prepare(nullptr, "Short\\n" + longer, 0x41);
  EXPECT_EQ(box.Caption(), "Test Title");
  EXPECT_EQ(box.LbMsg->Caption(), "Short\n" + longer);
  SIZE e = box.LbMsg->TextExtent(longer + "    ");
  EXPECT_EQ(box.LbMsg->Width(), std::max<int>(e.cx, 160));
  EXPECT_EQ(box.LbMsg->Height(), std::max<int>(e.cy * 3, 33));

  const int buttonTop = box.LbMsg->Top() + box.LbMsg->Height() + 8;
  EXPECT_EQ(box.BtnOk->Top(), buttonTop);
  EXPECT_EQ(box.BtnCancel->Top(), buttonTop);
  EXPECT_EQ(box.ClientHeight(), buttonTop + box.BtnOk->Height() + 16);
  EXPECT_EQ(box.ClientWidth(), box.LbMsg->Left() + box.LbMsg->Width() + 16);
  EXPECT_EQ(box.BtnOk->Left(), box.ClientWidth() / 2 - box.BtnOk->Width() - 16);
  EXPECT_EQ(box.BtnCancel->Left(), box.ClientWidth() / 2 + 16);
  EXPECT_TRUE(box.BtnCancel->Visible());
  EXPECT_EQ(box.BtnOk->Caption(), "Ok");
  EXPECT_EQ(box.BtnCancel->Caption(), "Cancel");

  EXPECT_TRUE(box.ImgIcon->Visible());
  EXPECT_FALSE(box.ImgIcon->Picture().Empty());
  EXPECT_EQ(box.ImgIcon->Top(),
            box.LbMsg->Top() + (box.LbMsg->Height() - box.ImgIcon->Height()) / 2);
}

// At every scale the icon is the system's drawing at that scale's icon size
// in the same 32-unit place, not the 32-pixel one enlarged; a box moved to
// another scale draws its icon and measures its text as one made there.
TEST_F(MsgBox, IconAndTextFollowTheDisplayScale) {
  const std::string text = "A line long enough to decide how wide the box is going to be";
  std::map<UINT, std::pair<int, int>> widths;  // of the text, of the box
  const auto check = [&](TFormMsgBox& box, UINT dpi) {
    ASSERT_EQ(box.Dpi(), dpi);
    const TPicture drawn = box.ImgIcon->Picture().ForDpi(dpi);
    const int size = ui::dpi::Metric(SM_CXICON, dpi);
    ASSERT_EQ(std::make_pair(drawn.PixelWidth(), drawn.PixelHeight()), std::make_pair(size, size));
    int opaque = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) opaque += (drawn.Pixel(x, y) >> 24) > 0x80;
    EXPECT_GT(opaque, size * size / 4) << dpi << ": an icon, not a blank";
    EXPECT_EQ(box.ImgIcon->Width(), 32);
    const auto width = std::make_pair(box.LbMsg->Width(), box.ClientWidth());
    EXPECT_EQ(width, widths.emplace(dpi, width).first->second) << dpi;
  };
  for (UINT dpi : {96u, 120u, 144u, 192u}) {
    ScopedDpi scale(dpi);
    TFormMsgBox box;
    box.Prepare(nullptr, text, 0x30);
    check(box, dpi);
  }
  ScopedDpi scale(96);
  TFormMsgBox box;
  box.Prepare(nullptr, text, 0x30);
  for (UINT dpi : {192u, 96u}) {
    box.ApplyDpi(dpi, nullptr);
    check(box, dpi);
  }
}

TEST_F(MsgBox, ShortTextsKeepTheMinimumSizeAndCountLinesExactly) {
  TFormMsgBox box;
  SIZE e = box.LbMsg->TextExtent("Hi    ");
  box.Prepare(nullptr, "Hi", 0);
  EXPECT_EQ(box.LbMsg->Width(), std::max<int>(e.cx, 160));
  EXPECT_EQ(box.LbMsg->Height(), std::max<int>(e.cy * 2, 33));
  // No button pair, no icon: one button in the middle.
  EXPECT_FALSE(box.BtnCancel->Visible());
  EXPECT_FALSE(box.ImgIcon->Visible());
  EXPECT_EQ(box.BtnOk->Caption(), "Ok");
  EXPECT_EQ(box.BtnOk->Left(), (box.ClientWidth() - box.BtnOk->Width()) / 2);

  // A trailing line break adds no line of its own; an empty text has none.
  box.Prepare(nullptr, "Hi\\n", 0);
  EXPECT_EQ(box.LbMsg->Caption(), "Hi\n");
  EXPECT_EQ(box.LbMsg->Height(), std::max<int>(e.cy * 2, 33));
  box.Prepare(nullptr, "", 0);
  EXPECT_EQ(box.LbMsg->Height(), std::max<int>(box.LbMsg->TextExtent("    ").cy, 33));
  box.Prepare(nullptr, "a\\nb\\nc\\nd", 0x30);
  EXPECT_EQ(box.LbMsg->Height(), std::max<int>(box.LbMsg->TextExtent("a    ").cy * 5, 33));
}

TEST_F(MsgBox, YesNoUsesTheStringFileAndAnswersSixOrSeven) {
  std::string yes, no;
  bool yesFocused = false;
  int r = Ask(nullptr, "Really remove 'Home'?", 0x24, [&](TFormMsgBox* box) {
    yesFocused = box->BtnOk->Focused();
    yes = box->BtnOk->Caption();
    no = box->BtnCancel->Caption();
    SendMessageA(box->BtnOk->Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(r, 6);
  EXPECT_TRUE(yesFocused);  // the first button takes the focus
  EXPECT_EQ(yes, "Sure");
  EXPECT_EQ(no, "No");
  r = Ask(nullptr, "Again?", 0x24,
          [](TFormMsgBox* box) { SendMessageA(box->BtnCancel->Handle(), BM_CLICK, 0, 0); });
  EXPECT_EQ(r, 7);
  // The close box gives the cancel result, not No.
  r = Ask(nullptr, "Again?", 0x24,
          [](TFormMsgBox* box) { PostMessageA(box->Handle(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(r, 2);
  EXPECT_EQ(TFormBase::TopModalForm(), nullptr);
}

TEST_F(MsgBox, OkCancelAndSingleButtonResults) {
  int r = Ask(nullptr, "Use it?", 0x41,
              [](TFormMsgBox* box) { SendMessageA(box->BtnOk->Handle(), BM_CLICK, 0, 0); });
  EXPECT_EQ(r, 1);
  r = Ask(nullptr, "Use it?", 0x41,
          [](TFormMsgBox* box) { SendMessageA(box->BtnCancel->Handle(), BM_CLICK, 0, 0); });
  EXPECT_EQ(r, 2);
  bool cancelShown = true;
  r = Ask(nullptr, "Done.", 0, [&](TFormMsgBox* box) {
    cancelShown = box->BtnCancel->Visible();
    SendMessageA(box->BtnOk->Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(r, 1);
  EXPECT_FALSE(cancelShown);
  // Escape, routed by the dialog manager of the modal loop, cancels.
  r = Ask(nullptr, "Use it?", 0x21,
          [](TFormMsgBox* box) { PostMessageA(box->BtnOk->Handle(), WM_KEYDOWN, VK_ESCAPE, 1); });
  EXPECT_EQ(r, 2);
  // Enter presses the focused button.
  r = Ask(nullptr, "Use it?", 0x24,
          [](TFormMsgBox* box) { PostMessageA(box->BtnOk->Handle(), WM_KEYDOWN, VK_RETURN, 1); });
  EXPECT_EQ(r, 6);
}

TEST_F(MsgBox, CentresOnTheShowingFormOfTheControlOtherwiseOnTheScreen) {
  TFormBase parent(nullptr, "FormMain");
  parent.SetBounds(100, 80, 600, 480);
  auto* edit = new TEdit(&parent, &parent, "EdtName");
  parent.Show();
  RECT box{}, screenBox{};
  HWND owner = nullptr;
  Ask(edit->Handle(), "Centred?", 0x30, [&](TFormMsgBox* b) {
    box = b->BoundsRect();
    owner = GetWindow(b->Handle(), GW_OWNER);
    b->Close();
  });
  EXPECT_EQ(owner, parent.Handle());
  int w = box.right - box.left, h = box.bottom - box.top;
  EXPECT_EQ(box.left, 100 + (600 - w) / 2);
  EXPECT_EQ(box.top, 80 + (480 - h) / 2);

  parent.Hide();
  Ask(edit->Handle(), "Centred?", 0x30, [&](TFormMsgBox* b) {
    screenBox = b->BoundsRect();
    b->Close();
  });
  w = screenBox.right - screenBox.left, h = screenBox.bottom - screenBox.top;
  EXPECT_EQ(screenBox.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
  EXPECT_EQ(screenBox.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
}

}  // namespace
