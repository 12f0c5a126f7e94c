// The focus never stays on a control nobody can see: handed on when a
// control hides, is disabled or goes; the message loops' dialog manager
// drops keys for controls out of reach and repairs a focus left on one
// (Wine's accelerator search would loop forever on it); Enter presses a
// button once and its character goes with it; Alt+letter of a button; the
// arrow keys stay in their group; a form that is a Tab stop itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

using namespace wutest;

namespace {

MSG Key(HWND target, UINT message, WPARAM key, bool repeat = false) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
  return MSG{target, message, key, scan | 1 | (repeat ? 0x40000000 : 0), 0, {0, 0}};
}

bool CharQueued(HWND w) {
  MSG m;
  return PeekMessageW(&m, w, WM_CHAR, WM_CHAR, PM_NOREMOVE) != FALSE;
}

// Two pages of one form, one shown at a time, and a button outside them.
class Focus : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.SetClientSize(400, 300);
    pageA_ = new TFrame(&form_, &form_, "PageA");
    pageA_->SetBounds(0, 0, 400, 200);
    btnA_ = new TPicButton(&form_, pageA_, "BtnA", "Next");
    btnA_->SetBounds(10, 10, 80, 24);
    edtA_ = new TEdit(&form_, pageA_, "EdtA");
    edtA_->SetBounds(10, 50, 80, 22);
    pageB_ = new TFrame(&form_, &form_, "PageB");
    pageB_->SetBounds(0, 0, 400, 200);
    btnB_ = new TPicButton(&form_, pageB_, "BtnB", "Back");
    btnB_->SetBounds(10, 10, 80, 24);
    pageA_->Show();
    form_.Show();
    btnA_->OnClick = [this] {
      ++clicks_;
      pageB_->Show();
      pageA_->Hide();
    };
  }
  void TearDown() override {
    PumpMessages();
    form_.Hide();
  }

  TForm form_{nullptr, "Form1"};
  TFrame *pageA_ = nullptr, *pageB_ = nullptr;
  TPicButton *btnA_ = nullptr, *btnB_ = nullptr;
  TEdit* edtA_ = nullptr;
  int clicks_ = 0;
};

TEST_F(Focus, AControlThatHidesIsDisabledOrGoesHandsTheFocusOn) {
  // A page that hides with the focus inside: the first control shown.
  pageB_->Show();
  btnA_->SetFocus();
  pageA_->Hide();
  EXPECT_TRUE(btnB_->Focused());

  // Nothing else to take it: the form.
  pageA_->Show();
  btnA_->SetFocus();
  pageB_->Hide();
  pageA_->Hide();
  EXPECT_EQ(GetFocus(), form_.Handle());

  // Disabled: the next control in Tab order; the focused control itself
  // hidden: not its parent frame but a control.
  pageA_->Show();
  btnA_->SetFocus();
  btnA_->SetEnabled(false);
  EXPECT_TRUE(edtA_->Focused());
  edtA_->Hide();
  EXPECT_EQ(GetFocus(), form_.Handle());
  btnA_->SetEnabled(true);
  edtA_->Show();

  // Destroyed with the focus.
  edtA_->SetFocus();
  delete edtA_;
  edtA_ = nullptr;
  EXPECT_TRUE(btnA_->Focused());
}

TEST_F(Focus, EnterOnAButtonThatSwitchesThePagePressesItOnceAndItsCharacterGoes) {
  btnA_->SetFocus();
  MSG down = Key(btnA_->Handle(), WM_KEYDOWN, VK_RETURN);
  ASSERT_TRUE(TForm::DialogMessage(form_.Handle(), down));
  EXPECT_EQ(clicks_, 1);
  EXPECT_FALSE(btnA_->Showing());
  EXPECT_FALSE(CharQueued(btnA_->Handle())) << "the Enter's character stayed queued";
  EXPECT_TRUE(btnB_->Focused());

  // Held down: the repeats press nothing.
  pageB_->Hide();
  pageA_->Show();
  btnA_->SetFocus();
  MSG repeat = Key(btnA_->Handle(), WM_KEYDOWN, VK_RETURN, true);
  ASSERT_TRUE(TForm::DialogMessage(form_.Handle(), repeat));
  EXPECT_EQ(clicks_, 1);
}

TEST_F(Focus, TheLoopDropsKeysOutOfReachAndRepairsAFocusLeftOnAHiddenControl) {
  LogCapture log;
  pageB_->Show();
  // Hidden behind the toolkit's back, as a window of the system might.
  btnA_->SetFocus();
  ShowWindow(pageA_->Handle(), SW_HIDE);
  ASSERT_EQ(GetFocus(), btnA_->Handle());
  MSG ch = Key(btnA_->Handle(), WM_SYSCHAR, 'N');
  EXPECT_TRUE(TForm::DialogMessage(form_.Handle(), ch));  // returns: no endless search
  EXPECT_TRUE(btnB_->Focused());
  MSG again = Key(btnA_->Handle(), WM_CHAR, 'x');
  EXPECT_TRUE(TForm::DialogMessage(form_.Handle(), again));
  EXPECT_TRUE(btnB_->Focused());
  int repaired = 0;
  for (const std::string& line : log.Lines())
    if (line.find("Focus repaired: BtnA") != std::string::npos) ++repaired;
  EXPECT_LE(repaired, 1);  // once in the program's life, whatever came first

  // Keys of a shown, focused control still reach the dialog manager.
  MSG escape = Key(btnB_->Handle(), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(TForm::DialogMessage(form_.Handle(), escape));
}

TEST_F(Focus, AltAndTheAcceleratorLetterPressTheShownButton) {
  btnB_->SetAccelChar('b');
  int back = 0;
  btnB_->OnClick = [&] { ++back; };
  btnA_->SetFocus();
  MSG altB = Key(btnA_->Handle(), WM_SYSCHAR, 'B');
  TForm::DialogMessage(form_.Handle(), altB);
  EXPECT_EQ(back, 0) << "a hidden button was pressed";
  pageA_->Hide();
  pageB_->Show();
  btnB_->SetFocus();
  MSG altB2 = Key(btnB_->Handle(), WM_SYSCHAR, 'B');
  EXPECT_TRUE(TForm::DialogMessage(form_.Handle(), altB2));
  EXPECT_EQ(back, 1);
}

// A form that draws something focusable itself (a tab strip).
class TStripForm : public TForm {
 public:
  using TForm::TForm;
  bool SelfTabStop() const override { return true; }
};

TEST_F(Focus, ArrowKeysMoveOnlyWithinTheirGroupAndWrapAround) {
  // On the page: a row of buttons (the middle one disabled), a column of
  // check boxes, an edit; in the footer a row of buttons Tab never reaches.
  auto* next = new TPicButton(&form_, pageA_, "BtnNext", "Next");
  next->SetBounds(100, 160, 60, 24);
  auto* back = new TPicButton(&form_, pageA_, "BtnBack", "Back");
  back->SetBounds(170, 160, 60, 24);
  back->SetEnabled(false);
  auto* exit = new TPicButton(&form_, pageA_, "BtnExit", "Exit");
  exit->SetBounds(240, 160, 60, 24);
  auto* checkA = new TCheckBox(&form_, pageA_, "ChkA", "A");
  checkA->SetBounds(200, 10, 80, 20);
  auto* checkB = new TCheckBox(&form_, pageA_, "ChkB", "B");
  checkB->SetBounds(200, 40, 80, 20);
  auto* help = new TPicButton(&form_, &form_, "BtnHelp", "?");
  help->SetBounds(300, 260, 28, 28);
  auto* about = new TPicButton(&form_, &form_, "BtnAbout", "i");
  about->SetBounds(340, 260, 28, 28);
  for (TPicButton* b : {help, about})
    SetWindowLongW(b->Handle(), GWL_STYLE, GetWindowLongW(b->Handle(), GWL_STYLE) & ~WS_TABSTOP);

  using Group = std::vector<TWinControl*>;
  EXPECT_EQ(TForm::ArrowGroup(next), (Group{next, back, exit}));
  EXPECT_EQ(TForm::ArrowGroup(checkB), (Group{checkA, checkB}));
  EXPECT_EQ(TForm::ArrowGroup(help), (Group{help, about}));
  // btnA_ stands above the edit in another row: alone.
  EXPECT_EQ(TForm::ArrowGroup(btnA_), (Group{btnA_}));
  // A control marked as the start of a group begins one.
  SetWindowLongW(exit->Handle(), GWL_STYLE, GetWindowLongW(exit->Handle(), GWL_STYLE) | WS_GROUP);
  EXPECT_EQ(TForm::ArrowGroup(next), (Group{next, back}));
  SetWindowLongW(exit->Handle(), GWL_STYLE, GetWindowLongW(exit->Handle(), GWL_STYLE) & ~WS_GROUP);

  // The keys: each move as the loop takes it, and where the focus is after.
  struct Move {
    TWinControl* from;
    WPARAM key;
    TWinControl* to;
  };
  const Move moves[] = {
      {next, VK_RIGHT, exit},    {exit, VK_RIGHT, next},  {next, VK_LEFT, exit},
      {exit, VK_DOWN, next},     {next, VK_UP, exit},     {checkA, VK_DOWN, checkB},
      {checkB, VK_DOWN, checkA}, {btnA_, VK_UP, btnA_},   {btnA_, VK_RIGHT, btnA_},
      {help, VK_RIGHT, about},   {about, VK_RIGHT, help},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(m.from->Name() + " key " + std::to_string(m.key));
    ::SetFocus(m.from->Handle());
    MSG key = Key(m.from->Handle(), WM_KEYDOWN, m.key);
    EXPECT_TRUE(TForm::DialogMessage(form_.Handle(), key));
    EXPECT_EQ(GetFocus(), m.to->Handle()) << "focus on " << TWinControl::FromHandle(GetFocus());
  }
  // An edit keeps its arrows for its caret.
  edtA_->SetFocus();
  MSG left = Key(edtA_->Handle(), WM_KEYDOWN, VK_LEFT);
  TForm::DialogMessage(form_.Handle(), left);
  EXPECT_TRUE(edtA_->Focused());
}

TEST(FocusStrip, AFormThatIsATabStopComesFirstInTheTabOrder) {
  TStripForm form(nullptr, "FormStrip");
  form.SetClientSize(300, 200);
  auto* first = new TEdit(&form, &form, "EdtFirst");
  first->SetBounds(10, 10, 80, 22);
  auto* last = new TPicButton(&form, &form, "BtnLast", "OK");
  last->SetBounds(10, 50, 80, 24);
  form.Show();
  ::SetFocus(form.Handle());
  MSG tab = Key(form.Handle(), WM_KEYDOWN, VK_TAB);
  EXPECT_TRUE(TForm::DialogMessage(form.Handle(), tab));
  EXPECT_TRUE(first->Focused()) << "Tab from the form goes to its first control";
  form.SelectNext(first, false);
  EXPECT_EQ(GetFocus(), form.Handle()) << "Shift+Tab from the first control goes back to the form";
  form.SelectNext(&form, false);
  EXPECT_TRUE(last->Focused());
  form.SelectNext(last, true);
  EXPECT_EQ(GetFocus(), form.Handle()) << "Tab from the last control wraps to the form";

  // Activated again, the form itself has the focus back.
  TForm other(nullptr, "FormOther");
  other.Show();
  SetActiveWindow(other.Handle());
  SetActiveWindow(form.Handle());
  EXPECT_EQ(GetFocus(), form.Handle());
  other.Hide();
  form.Hide();
}

}  // namespace
