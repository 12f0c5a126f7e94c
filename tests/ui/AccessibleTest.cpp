// The toolkit as a screen reader sees it: names, roles, states, locations
// and default actions of graphic controls, picture buttons and standard
// controls named by their caption labels; hit-testing and navigation;
// secrets; WinEvents; objects that outlive their controls.
#include <gtest/gtest.h>

#include "common/AccessTest.h"
#include "ui/Uaccessible.h"
#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

using namespace wutest;
namespace uia = ui::access;

namespace {

class Accessible : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.SetClientSize(400, 300);
    form_.SetCaption("Sample");
    bg_ = new TImage(&form_, &form_, "ImgBG");
    bg_->SetBounds(0, 0, 400, 300);
    bg_->SetPicture(TPicture::CreateOpaque(400, 300, RGB(200, 200, 200)));
    tab1_ = new TTabLabel(&form_, &form_, "LbTab1", "Link Info");
    tab1_->SetBounds(10, 10, 100, 24);
    tab2_ = new TTabLabel(&form_, &form_, "LbTab2", "Site Survey");
    tab2_->SetBounds(120, 10, 100, 24);
    tab1_->SetSelected(true);
    caption_ = new TLabel(&form_, &form_, "LbName", "Profile &Name");
    caption_->SetBounds(10, 50, 90, 16);
    edit_ = new TEdit(&form_, &form_, "EdtName");
    edit_->SetBounds(110, 46, 150, 22);
    value_ = new TValueLabel(&form_, &form_, "LblSSID");
    value_->SetBounds(10, 80, 40, 16);
    button_ = new TPicButton(&form_, &form_, "BtnScan", "Scan");
    button_->SetBounds(280, 250, 100, 30);
    form_.Show();
    Pump(20);
  }
  void TearDown() override { form_.Hide(); }

  AccPtr Root() { return ClientObject(form_.Handle()); }
  AccNode Named(const std::string& name, long role = 0) {
    AccNode n;
    AccPtr root = Root();
    EXPECT_TRUE(root && FindNode(root.get(), name, role, &n)) << name;
    return n;
  }
  static RECT Screen(const TControl* c) {
    RECT r = c->BoundsRect();
    MapWindowPoints(c->Parent()->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  TForm form_{nullptr, "FormSample"};
  TImage* bg_ = nullptr;
  TTabLabel *tab1_ = nullptr, *tab2_ = nullptr;
  TLabel* caption_ = nullptr;
  TEdit* edit_ = nullptr;
  TValueLabel* value_ = nullptr;
  TPicButton* button_ = nullptr;
};

TEST_F(Accessible, GraphicControlsAreChildrenWithNameRoleStateAndLocation) {
  AccPtr root = Root();
  ASSERT_TRUE(root);
  std::vector<AccNode> kids = Children(root.get());
  // The background picture is decoration: tabs, caption, edit, value, button.
  ASSERT_EQ(kids.size(), 6u);
  EXPECT_EQ(kids[0].name, "Link Info");
  EXPECT_EQ(kids[0].role, ROLE_SYSTEM_PAGETAB);
  EXPECT_TRUE(kids[0].state & STATE_SYSTEM_SELECTED);
  EXPECT_TRUE(kids[0].state & STATE_SYSTEM_SELECTABLE);
  EXPECT_EQ(kids[0].action, "Switch");
  EXPECT_EQ(kids[0].location, Screen(tab1_));
  EXPECT_EQ(kids[1].name, "Site Survey");
  EXPECT_FALSE(kids[1].state & STATE_SYSTEM_SELECTED);
  // The accelerator mark is not read.
  EXPECT_EQ(kids[2].name, "Profile Name");
  EXPECT_EQ(kids[2].role, ROLE_SYSTEM_STATICTEXT);
  EXPECT_TRUE(kids[2].action.empty());
  // The edit is named after the caption beside it.
  EXPECT_EQ(kids[3].name, "Profile Name");
  EXPECT_EQ(kids[3].role, ROLE_SYSTEM_TEXT);
  EXPECT_EQ(kids[4].role, ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(kids[5].name, "Scan");
  EXPECT_EQ(kids[5].role, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(kids[5].action, "Press");
  EXPECT_TRUE(kids[5].state & STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(kids[5].location, Screen(button_));

  // A value drawn cut with an ellipsis is read whole.
  const std::string ssid = "A network with a very long name indeed";
  value_->SetCaption(ssid);
  ASSERT_NE(value_->DisplayText(), ssid);
  EXPECT_EQ(Named(ssid).role, ROLE_SYSTEM_STATICTEXT);

  // Disabled, hidden and selection follow the controls.
  button_->SetEnabled(false);
  caption_->Hide();
  tab2_->SetSelected(true);
  tab1_->SetSelected(false);
  kids = Children(root.get());
  ASSERT_EQ(kids.size(), 6u);
  EXPECT_TRUE(kids[5].state & STATE_SYSTEM_UNAVAILABLE);
  EXPECT_FALSE(kids[5].state & STATE_SYSTEM_FOCUSABLE);
  EXPECT_TRUE(kids[2].state & STATE_SYSTEM_INVISIBLE);
  EXPECT_TRUE(kids[1].state & STATE_SYSTEM_SELECTED);
  EXPECT_FALSE(kids[0].state & STATE_SYSTEM_SELECTED);
  VARIANT sel;
  VariantInit(&sel);
  ASSERT_EQ(root->get_accSelection(&sel), S_OK);
  EXPECT_EQ(sel.vt, VT_I4);
  EXPECT_EQ(sel.lVal, kids[1].id);
}

TEST_F(Accessible, DescribedPicturesAndRowsStandForWhatTheyShow) {
  TImage* lamps[3];
  for (int i = 0; i < 3; ++i) {
    lamps[i] = new TImage(&form_, &form_, "ImgLamp" + std::to_string(i));
    lamps[i]->SetBounds(10 + 12 * i, 200, 10, 10);
  }
  uia::TAccInfo row;
  row.Role = ROLE_SYSTEM_INDICATOR;
  row.Name = [&lamps] {
    int lit = 0;
    for (TImage* l : lamps) lit += l->Visible();
    return "Signal: " + std::to_string(lit) + " of 3";
  };
  row.Bounds = [] { return RECT{10, 200, 44, 210}; };
  row.ShownWithParent = true;
  uia::Describe(lamps[0], row);
  for (int i = 1; i < 3; ++i) {
    uia::TAccInfo member;
    member.Role = uia::kHidden;
    member.NamedBy = lamps[0];
    uia::Describe(lamps[i], member);
  }
  lamps[2]->Hide();
  AccNode n = Named("Signal: 2 of 3");
  EXPECT_EQ(n.role, ROLE_SYSTEM_INDICATOR);
  EXPECT_FALSE(n.state & STATE_SYSTEM_INVISIBLE);
  RECT screen{10, 200, 44, 210};
  MapWindowPoints(form_.Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&screen), 2);
  EXPECT_EQ(n.location, screen);

  // No lamp lit: the row is still there and says so.
  WinEventLog log;
  for (TImage* l : lamps) l->Hide();
  Pump(50);
  n = Named("Signal: 0 of 3");
  EXPECT_FALSE(n.state & STATE_SYSTEM_INVISIBLE);
  if (log.Hooked()) {
    EXPECT_GE(log.Count(EVENT_OBJECT_NAMECHANGE, form_.Handle(), n.id), 1);
  }
  // A freed control takes its description with it.
  delete lamps[1];
  EXPECT_EQ(uia::Find(lamps[0])->Role, ROLE_SYSTEM_INDICATOR);
}

TEST_F(Accessible, DefaultActionsDoWhatAClickDoesAfterTheCallReturns) {
  int tabPresses = 0, clicks = 0;
  tab2_->OnMouseDown = [&](TMouseButton b, UINT, int, int) {
    tabPresses += b == TMouseButton::Left;
    tab1_->SetSelected(false);
    tab2_->SetSelected(true);
  };
  button_->OnClick = [&] { ++clicks; };
  AccPtr root = Root();
  std::vector<AccNode> kids = Children(root.get());
  ASSERT_EQ(kids.size(), 6u);
  EXPECT_EQ(kids[1].DoDefault(), S_OK);
  EXPECT_EQ(kids[5].DoDefault(), S_OK);
  EXPECT_EQ(tabPresses, 0);
  EXPECT_EQ(clicks, 0);
  Pump(50);
  EXPECT_EQ(tabPresses, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(tab2_->Selected());

  // Selecting a tab chooses it too.
  VARIANT id = Child(kids[1].id);
  EXPECT_EQ(root->accSelect(SELFLAG_TAKESELECTION, id), S_OK);
  Pump(50);
  EXPECT_EQ(tabPresses, 2);

  // A disabled control does nothing; a plain caption has no action.
  button_->SetEnabled(false);
  EXPECT_NE(kids[5].DoDefault(), S_OK);
  EXPECT_NE(kids[2].DoDefault(), S_OK);
  // A label with a click handler acts like one.
  int labelClicks = 0;
  caption_->OnClick = [&] { ++labelClicks; };
  AccNode label = Named("Profile Name", ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(label.action, "Click");
  EXPECT_EQ(label.DoDefault(), S_OK);
  Pump(50);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(labelClicks, 1);
}

TEST_F(Accessible, HitTestingAndNavigationMatchWhatIsDrawn) {
  AccPtr root = Root();
  auto hit = [&root](const TControl* c, int dx, int dy) {
    RECT r = Screen(c);
    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(root->accHitTest(r.left + dx, r.top + dy, &v), S_OK);
    return v;
  };
  VARIANT v = hit(tab2_, 5, 5);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, uia::ChildId(tab2_));
  // The picture behind everything is the form itself.
  v = hit(bg_, 390, 150);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, CHILDID_SELF);
  // A window is its own object.
  v = hit(button_, 50, 15);
  ASSERT_EQ(v.vt, VT_DISPATCH);
  IAccessible* acc = nullptr;
  v.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&acc));
  VariantClear(&v);
  ASSERT_TRUE(acc);
  EXPECT_EQ(Read(acc, CHILDID_SELF).name, "Scan");
  acc->Release();
  // Outside the window: nothing.
  RECT all;
  GetWindowRect(form_.Handle(), &all);
  VariantInit(&v);
  EXPECT_EQ(root->accHitTest(all.right + 50, all.bottom + 50, &v), S_FALSE);

  VARIANT next;
  VariantInit(&next);
  ASSERT_EQ(root->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &next), S_OK);
  EXPECT_EQ(next.lVal, uia::ChildId(tab1_));
  ASSERT_EQ(root->accNavigate(NAVDIR_NEXT, Child(next.lVal), &next), S_OK);
  EXPECT_EQ(next.lVal, uia::ChildId(tab2_));
  EXPECT_EQ(root->accNavigate(NAVDIR_PREVIOUS, Child(uia::ChildId(tab1_)), &next), S_FALSE);
  EXPECT_EQ(root->accNavigate(NAVDIR_NEXT, Child(99), &next), E_INVALIDARG);
}

TEST_F(Accessible, MaskedSecretsAreProtectedAndNeverRead) {
  const std::string secret = "correct horse battery";
  edit_->SetText(secret);
  edit_->SetMasked(true);
  AccNode n = Named("Profile Name", ROLE_SYSTEM_TEXT);
  EXPECT_TRUE(n.state & STATE_SYSTEM_PROTECTED);
  EXPECT_EQ(n.valueResult, E_ACCESSDENIED);
  EXPECT_TRUE(n.value.empty());
  AccPtr root = Root();
  for (const std::string& text : AllTexts(root.get()))
    EXPECT_EQ(text.find("horse"), std::string::npos);
  // Typed over: the plain text the user sees is read again.
  edit_->SetMasked(false);
  n = Named("Profile Name", ROLE_SYSTEM_TEXT);
  EXPECT_FALSE(n.state & STATE_SYSTEM_PROTECTED);
  EXPECT_EQ(n.value, secret);
}

TEST_F(Accessible, ChangesAreAnnouncedForTheElementThatChanged) {
  WinEventLog log;
  if (!log.Hooked()) GTEST_SKIP() << "no WinEvent hooks here";
  value_->SetCaption("HomeNet");
  tab2_->SetSelected(true);
  button_->SetEnabled(false);
  button_->SetCaption("Rescan");
  Pump(100);
  HWND form = form_.Handle();
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, form, uia::ChildId(value_)), 1);
  EXPECT_EQ(log.Count(EVENT_OBJECT_SELECTION, form, uia::ChildId(tab2_)), 1);
  EXPECT_GE(log.Count(EVENT_OBJECT_STATECHANGE, form, uia::ChildId(tab2_)), 1);
  EXPECT_GE(log.Count(EVENT_OBJECT_STATECHANGE, button_->Handle(), CHILDID_SELF), 1);
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, button_->Handle(), CHILDID_SELF), 1);
  // The focus moving to a picture button is announced for its window.
  log.Clear();
  button_->SetEnabled(true);
  button_->SetFocus();
  Pump(50);
  EXPECT_GE(log.Count(EVENT_OBJECT_FOCUS, button_->Handle(), CHILDID_SELF), 1);
  EXPECT_TRUE(Read(ClientObject(button_->Handle()).get(), CHILDID_SELF).state &
              STATE_SYSTEM_FOCUSED);
  // Decoration is not announced.
  log.Clear();
  bg_->Hide();
  Pump(50);
  EXPECT_EQ(log.Count(EVENT_OBJECT_HIDE, form, -1), 0);
  EXPECT_EQ(log.Count(EVENT_OBJECT_HIDE, form, 0), 0);
}

TEST_F(Accessible, AnObjectThatOutlivesItsControlFailsQuietly) {
  AccPtr button = ClientObject(button_->Handle());
  AccPtr root = Root();
  ASSERT_TRUE(button && root);
  delete button_;
  button_ = nullptr;
  BSTR name = nullptr;
  EXPECT_EQ(button->get_accName(Child(CHILDID_SELF), &name), RPC_E_DISCONNECTED);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(button->accDoDefaultAction(Child(CHILDID_SELF)), RPC_E_DISCONNECTED);
  // The form lost a child; its old ids past the end are refused.
  long count = 0;
  root->get_accChildCount(&count);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(root->get_accName(Child(6), &name), E_INVALIDARG);
}

TEST(AccessibleRules, CaptionLabelsNameTheControlBesideOrBelowThem) {
  TForm form(nullptr, "FormRules");
  auto* left = new TLabel(&form, &form, "LbSSID", "SSID");
  left->SetBounds(16, 76, 60, 16);
  auto* distant = new TLabel(&form, &form, "LbDistant", "Further away");
  distant->SetBounds(0, 76, 10, 16);
  auto* edit = new TEdit(&form, &form, "EdtSSID");
  edit->SetBounds(120, 72, 150, 22);
  EXPECT_EQ(uia::CaptionLabelOf(edit), left);

  auto* heading = new TLabel(&form, &form, "LbList", "Profile List");
  heading->SetBounds(300, 10, 200, 16);
  auto* list = new TComboBox(&form, &form, "CmbList");
  list->SetBounds(300, 30, 200, 22);
  EXPECT_EQ(uia::NameOf(list), "Profile List");

  auto* radio = new TRadioButton(&form, &form, "RBtnInfra");
  radio->SetBounds(16, 132, 16, 16);
  auto* radioText = new TLabel(&form, &form, "LbInfra", "&Infrastructure");
  radioText->SetBounds(38, 132, 200, 16);
  EXPECT_EQ(uia::CaptionLabelOf(radio), radioText);
  EXPECT_EQ(uia::NameOf(radio), "Infrastructure");

  // A value never names a field, nor does a label distant below it.
  auto* value = new TValueLabel(&form, &form, "LblValue", "00:11:22");
  value->SetBounds(16, 200, 60, 16);
  auto* lone = new TEdit(&form, &form, "EdtLone");
  lone->SetBounds(120, 198, 100, 22);
  EXPECT_EQ(uia::CaptionLabelOf(lone), nullptr);
  auto* below = new TLabel(&form, &form, "LbBelow", "Below");
  below->SetBounds(120, 260, 100, 16);
  EXPECT_EQ(uia::CaptionLabelOf(lone), nullptr);
  // Named explicitly, it keeps that name.
  uia::TAccInfo info;
  info.LabelledBy = below;
  uia::Describe(lone, info);
  EXPECT_EQ(uia::NameOf(lone), "Below");

  EXPECT_EQ(uia::StripAccel("&Save"), "Save");
  EXPECT_EQ(uia::StripAccel("Tom && Jerry"), "Tom & Jerry");
  EXPECT_EQ(uia::StripAccel("End&"), "End");
  EXPECT_EQ(uia::StripAccel("&&&x"), "&x");
}

}  // namespace
