// The close-form thread: nested modal windows close top first, one at a
// time, and the completion runs on the user-interface thread afterwards.
#include <gtest/gtest.h>

#include "app/Uapplication.h"
#include "shell/Uformbase.h"
#include "shell/Uthrdcloseform.h"
#include "ui/UiTest.h"

using namespace wutest;

namespace {

TEST(CloseForm, ClosesNestedModalFormsTopFirstThenCompletesOnTheUiThread) {
  TFormBase a(nullptr, "FormA"), b(nullptr, "FormB");
  std::vector<std::string> closed;
  std::vector<size_t> listAtClose;
  a.OnClose = [&](TCloseAction&) {
    closed.push_back("A");
    listAtClose.push_back(TFormBase::ModalForms().size());
  };
  b.OnClose = [&](TCloseAction&) {
    closed.push_back("B");
    listAtClose.push_back(TFormBase::ModalForms().size());
  };
  bool done = false;
  DWORD doneThread = 0;
  size_t modalAtDone = 99;
  int resultB = 0;
  After(20, [&] {
    After(20, [&] {
      new CThrdCloseForm([&] {
        done = true;
        doneThread = GetCurrentThreadId();
        modalAtDone = TFormBase::ModalForms().size();
      });
    });
    resultB = b.ShowModal();
  });
  int resultA = a.ShowModal();
  ASSERT_TRUE(WaitUntil([&] { return done; }, 10000));
  EXPECT_EQ(closed, (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(listAtClose, (std::vector<size_t>{2, 1}));  // each asked while on top
  EXPECT_EQ(resultB, mrCancel);
  EXPECT_EQ(resultA, mrCancel);
  EXPECT_EQ(doneThread, GetCurrentThreadId());
  EXPECT_EQ(modalAtDone, 0u);
}

TEST(CloseForm, WithoutModalFormsItEndsAfterOnePass) {
  bool done = false;
  new CThrdCloseForm([&] { done = true; });
  EXPECT_TRUE(WaitUntil([&] { return done; }, 10000));
}

TEST(CloseForm, WorksWithoutACompletionHandler) {
  TFormBase dialog(nullptr, "FormChart");
  After(20, [] { new CThrdCloseForm(); });
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

TEST(CloseForm, LeavesTheApplicationsMainWindowAlone) {
  TFormBase main(nullptr, "FormMain");
  HWND saved = Application.MainWindow;
  Application.MainWindow = main.Handle();
  bool done = false, stillModal = false;
  After(20, [&] {
    new CThrdCloseForm([&] {
      done = true;
      stillModal = main.InModal();
      main.SetModalResult(mrOk);
    });
  });
  EXPECT_EQ(main.ShowModal(), mrOk);
  Application.MainWindow = saved;
  EXPECT_TRUE(done);
  EXPECT_TRUE(stillModal);
}

TEST(CloseForm, AFormThatRefusesOnceIsNotAskedAgainUntilAnotherIsOnTop) {
  // The thread asks each window once; a refusal keeps it open, and the
  // thread keeps waiting for it to leave the list.
  TFormBase dialog(nullptr, "FormAsk");
  int asked = 0;
  dialog.OnClose = [&](TCloseAction& action) {
    if (++asked == 1) action = TCloseAction::None;
  };
  bool done = false;
  After(20, [&] { new CThrdCloseForm([&] { done = true; }); });
  After(400, [&] { dialog.Close(); });  // the user closes it later
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(WaitUntil([&] { return done; }, 10000));
}

}  // namespace
