// Ownership, parents and destruction of components and controls.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ui/Uform.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"
#include "ui/Utimer.h"

namespace {

TEST(Component, OwnedComponentsKeepCreationOrderAndAreFoundByNameInAnyCase) {
  TForm form(nullptr, "Form1");
  auto* a = new TLabel(&form, &form, "LbA");
  auto* panel = new TPanel(&form, &form, "PlB");
  auto* edit = new TEdit(&form, panel, "EdtC");
  auto* timer = new TTimer(&form, "TimerD");
  EXPECT_EQ(form.Components(), (std::vector<TComponent*>{a, panel, edit, timer}));
  EXPECT_EQ(form.FindComponent("edtc"), edit);
  EXPECT_EQ(form.FindComponent("Nothing"), nullptr);
  EXPECT_TRUE(a->IsLabel());
  EXPECT_FALSE(edit->IsLabel());
  EXPECT_EQ(timer->AsControl(), nullptr);

  // Owner and parent differ: the edit is shown by the panel.
  EXPECT_EQ(edit->Parent(), panel);
  EXPECT_EQ(GetParent(edit->Handle()), panel->Handle());
  EXPECT_EQ(edit->ParentForm(), &form);
  EXPECT_EQ(panel->Controls(), (std::vector<TControl*>{edit}));
}

TEST(Component, FreeingAParentLeavesItsForeignChildrenDetachedNotDangling) {
  TForm form(nullptr, "Form1");
  auto* panel = new TPanel(&form, &form, "PlB");
  auto* edit = new TEdit(&form, panel, "EdtC");
  auto* label = new TLabel(&form, panel, "LbD");
  delete panel;
  EXPECT_EQ(form.Components(), (std::vector<TComponent*>{edit, label}));
  EXPECT_EQ(edit->Parent(), nullptr);
  EXPECT_EQ(label->Parent(), nullptr);
  // The edit's window went with the panel's.
  EXPECT_EQ(edit->Handle(), nullptr);
  edit->SetCaption("still safe");
  edit->SetBounds(1, 2, 3, 4);
  label->SetCaption("still safe");
  label->Invalidate();
  EXPECT_EQ(edit->Caption(), "still safe");
}

DWORD WINAPI LookUpElsewhere(LPVOID arg) {
  auto* asked = static_cast<std::pair<HWND, TWinControl*>*>(arg);
  asked->second = TWinControl::FromHandle(asked->first);
  return 0;
}

TEST(Component, WindowsLeadToTheirLivingControlsOnly) {
  TForm form(nullptr, "Form1");
  auto* panel = new TPanel(&form, &form, "PlB");  // a class of our own
  auto* edit = new TEdit(&form, panel, "EdtC");   // a subclassed EDIT
  auto* list = new TSortLv(&form, &form, "LvD");  // a subclassed list view
  const HWND panelWnd = panel->Handle(), editWnd = edit->Handle(), listWnd = list->Handle();
  EXPECT_EQ(TWinControl::FromHandle(form.Handle()), &form);
  EXPECT_EQ(TWinControl::FromHandle(panelWnd), panel);
  EXPECT_EQ(TWinControl::FromHandle(editWnd), edit);
  EXPECT_EQ(TWinControl::FromHandle(listWnd), list);
  EXPECT_EQ(TWinControl::FromHandle(GetDesktopWindow()), nullptr);
  EXPECT_EQ(TWinControl::FromHandle(nullptr), nullptr);

  // Other threads ask too (a window handed to a worker).
  std::pair<HWND, TWinControl*> asked{editWnd, nullptr};
  HANDLE t = CreateThread(nullptr, 0, &LookUpElsewhere, &asked, 0, nullptr);
  ASSERT_NE(t, nullptr);
  WaitForSingleObject(t, 10000);
  CloseHandle(t);
  EXPECT_EQ(asked.second, edit);

  // Freed objects and windows that went with their parent lead nowhere,
  // nor do handles the system hands out again afterwards.
  delete list;
  EXPECT_EQ(TWinControl::FromHandle(listWnd), nullptr);
  DestroyWindow(panelWnd);
  EXPECT_EQ(TWinControl::FromHandle(panelWnd), nullptr);
  EXPECT_EQ(TWinControl::FromHandle(editWnd), nullptr);
  EXPECT_EQ(edit->Handle(), nullptr);
  std::vector<HWND> fresh;
  for (int i = 0; i < 50; ++i)
    fresh.push_back(CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1, form.Handle(), nullptr,
                                    GetModuleHandleA(nullptr), nullptr));
  for (HWND w : fresh) {
    EXPECT_EQ(TWinControl::FromHandle(w), nullptr);
    DestroyWindow(w);
  }
}

TEST(Component, DeletingAChildRemovesItFromItsOwnerAndParent) {
  TForm form(nullptr, "Form1");
  auto* a = new TLabel(&form, &form, "LbA");
  auto* b = new TLabel(&form, &form, "LbB");
  delete a;
  EXPECT_EQ(form.Components(), (std::vector<TComponent*>{b}));
  EXPECT_EQ(form.Controls(), (std::vector<TControl*>{b}));
  EXPECT_EQ(form.GraphicChildAt(POINT{1, 1}), b);
}

TEST(Component, EventsStayQuietWhileTheOwnerIsBeingDestroyed) {
  int deleted = 0;
  int clicks = 0;
  {
    TForm form(nullptr, "Form1");
    auto* lv = new TSortLv(&form, &form, "LvA");
    lv->AddColumn("A", 50);
    lv->AddRow("1");
    lv->AddRow("2");
    lv->OnDeleteRow = [&](TLvRow&) { ++deleted; };
    auto* check = new TCheckBox(&form, &form, "ChkB");
    check->OnClick = [&] { ++clicks; };
    lv->DeleteRow(0);
    EXPECT_EQ(deleted, 1);
  }
  // The form's half-destroyed state was never called back into.
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(clicks, 0);
}

TEST(Component, NegativeSizesAreClampedToZero) {
  TForm form(nullptr, "Form1");
  auto* edit = new TEdit(&form, &form, "EdtA");
  edit->SetBounds(10, 10, -40, -3);
  EXPECT_EQ(edit->Width(), 0);
  EXPECT_EQ(edit->Height(), 0);
  auto* label = new TLabel(&form, &form, "LbA");
  label->SetWidth(-1);
  EXPECT_EQ(label->Width(), 0);
}

}  // namespace

namespace {

TEST(Component, LaterControlsLieAboveEarlierOnesAndTabFollowsCreationOrder) {
  TForm form(nullptr, "Form1");
  form.SetClientSize(300, 200);
  auto* first = new TEdit(&form, &form, "EdtFirst");
  first->SetBounds(10, 10, 100, 21);
  auto* list = new TSortLv(&form, &form, "LvSite");
  list->SetBounds(10, 40, 200, 120);
  auto* panel = new TPanel(&form, &form, "PlSearch", "Searching");
  panel->SetBounds(50, 60, 100, 40);
  auto* inner = new TComboBox(&form, panel, "CmbInner");
  inner->SetBounds(5, 5, 80, 21);
  auto* last = new TEdit(&form, &form, "EdtLast");
  last->SetBounds(10, 170, 100, 21);
  auto* hidden = new TEdit(&form, &form, "EdtHidden");
  hidden->Hide();

  POINT over{60, 90};  // inside both the list and the panel
  EXPECT_EQ(RealChildWindowFromPoint(form.Handle(), over), panel->Handle());
  panel->SendToBack();
  EXPECT_EQ(RealChildWindowFromPoint(form.Handle(), over), list->Handle());
  panel->BringToFront();
  EXPECT_EQ(RealChildWindowFromPoint(form.Handle(), over), panel->Handle());

  EXPECT_EQ(form.TabOrder(), (std::vector<TWinControl*>{first, list, inner, last}));
  form.Show();
  first->SetFocus();
  ASSERT_TRUE(first->Focused());
  SendMessageA(first->Handle(), WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(list->Focused());
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(inner->Focused());
  SendMessageA(inner->Handle(), WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(last->Focused());
  SendMessageA(last->Handle(), WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(first->Focused());  // wraps, skipping the hidden edit
  form.SelectNext(first, false);
  EXPECT_TRUE(last->Focused());
  // The Tab character that follows does not reach the text.
  first->SetText("abc");
  first->SetMasked(true);
  SendMessageA(first->Handle(), WM_CHAR, '\t', 1);
  EXPECT_EQ(first->Text(), "abc");
  EXPECT_TRUE(first->Masked());
  form.Hide();
}

}  // namespace
