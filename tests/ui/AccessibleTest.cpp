// The toolkit as a screen reader sees it: graphic controls as elements of
// their container, picture buttons, standard controls named by their
// caption labels; default actions, hit-testing, navigation, events, and
// objects that outlive their controls.
#include <gtest/gtest.h>

#include "common/AccessTest.h"
#include "ui/Uaccessible.h"
#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upicbutton.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"

using namespace wutest;
namespace uia = ui::access;

namespace {

class Accessible : public ::testing::Test {
 protected:
  // As the program does at start, before the first control.
  static void SetUpTestSuite() { uia::Install(); }
  void SetUp() override {
    form_.SetClientSize(400, 300);
    bg_ = new TImage(&form_, &form_, "ImgBG");
    bg_->SetBounds(0, 0, 400, 300);
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
    root_ = ClientObject(form_.Handle());
    ASSERT_TRUE(root_);
  }
  void TearDown() override { form_.Hide(); }
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
  AccPtr root_;
};

TEST_F(Accessible, ControlsAreReadWithNameRoleStateAndPlace) {
  const std::string ssid = "A network with a very long name indeed";
  value_->SetCaption(ssid);
  ASSERT_NE(value_->DisplayText(), ssid) << "drawn cut";
  std::vector<AccNode> kids = Children(root_.get());
  // The background picture is decoration and left out.
  ASSERT_EQ(kids.size(), 6u);
  EXPECT_EQ(kids[0].name, "Link Info");
  EXPECT_EQ(kids[0].role, ROLE_SYSTEM_PAGETAB);
  EXPECT_EQ(kids[0].state & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_SELECTABLE),
            STATE_SYSTEM_SELECTED | STATE_SYSTEM_SELECTABLE);
  EXPECT_EQ(kids[0].action, "Switch");
  EXPECT_EQ(kids[0].location, Screen(tab1_));
  EXPECT_FALSE(kids[1].state & STATE_SYSTEM_SELECTED);
  EXPECT_EQ(kids[2].name, "Profile Name") << "no accelerator mark";
  EXPECT_EQ(kids[2].role, ROLE_SYSTEM_STATICTEXT);
  EXPECT_TRUE(kids[2].action.empty());
  EXPECT_EQ(kids[3].name, "Profile Name") << "the edit is named by its caption";
  EXPECT_EQ(kids[3].role, ROLE_SYSTEM_TEXT);
  EXPECT_EQ(kids[4].name, ssid) << "the whole value";
  EXPECT_EQ(kids[5].name, "Scan");
  EXPECT_EQ(kids[5].role, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(kids[5].action, "Press");
  EXPECT_TRUE(kids[5].state & STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(kids[5].location, Screen(button_));

  button_->SetEnabled(false);
  caption_->Hide();
  tab1_->SetSelected(false);
  tab2_->SetSelected(true);
  kids = Children(root_.get());
  EXPECT_EQ(kids[5].state & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSABLE),
            STATE_SYSTEM_UNAVAILABLE);
  EXPECT_TRUE(kids[2].state & STATE_SYSTEM_INVISIBLE);
  EXPECT_TRUE(kids[1].state & STATE_SYSTEM_SELECTED);
  VARIANT sel;
  ASSERT_EQ(root_->get_accSelection(&sel), S_OK);
  EXPECT_EQ(sel.lVal, kids[1].id);
}

TEST_F(Accessible, DefaultActionsDoWhatAClickDoesOnceTheCallHasReturned) {
  int presses = 0, clicks = 0, labelClicks = 0;
  tab2_->OnMouseDown = [&](TMouseButton b, UINT, int, int) { presses += b == TMouseButton::Left; };
  button_->OnClick = [&] { ++clicks; };
  std::vector<AccNode> kids = Children(root_.get());
  EXPECT_EQ(kids[1].DoDefault(), S_OK);
  EXPECT_EQ(kids[5].DoDefault(), S_OK);
  EXPECT_EQ(presses + clicks, 0) << "a click may open a modal window: not inside the call";
  Pump();
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(clicks, 1);
  // Selecting a tab chooses it as well.
  EXPECT_EQ(root_->accSelect(SELFLAG_TAKESELECTION, Child(kids[1].id)), S_OK);
  Pump();
  EXPECT_EQ(presses, 2);

  // Disabled: nothing; a plain caption has no action, one that acts on a
  // click has.
  button_->SetEnabled(false);
  EXPECT_NE(kids[5].DoDefault(), S_OK);
  EXPECT_NE(kids[2].DoDefault(), S_OK);
  caption_->OnClick = [&] { ++labelClicks; };
  EXPECT_EQ(Read(root_.get(), kids[2].id).action, "Click");
  EXPECT_EQ(kids[2].DoDefault(), S_OK);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(labelClicks, 1);
}

TEST_F(Accessible, HitTestingAndNavigationMatchWhatIsDrawn) {
  auto hit = [this](const TControl* c, int dx, int dy) {
    RECT r = Screen(c);
    VARIANT v;
    VariantInit(&v);
    root_->accHitTest(r.left + dx, r.top + dy, &v);
    return v;
  };
  VARIANT v = hit(tab2_, 5, 5);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, uia::ChildId(tab2_));
  v = hit(bg_, 390, 150);  // only the background there: the form itself
  EXPECT_EQ(v.lVal, CHILDID_SELF);
  v = hit(button_, 50, 15);
  ASSERT_EQ(v.vt, VT_DISPATCH);
  IAccessible* acc = nullptr;
  v.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&acc));
  VariantClear(&v);
  ASSERT_TRUE(acc);
  EXPECT_EQ(Read(acc, CHILDID_SELF).name, "Scan");
  acc->Release();

  VARIANT next;
  ASSERT_EQ(root_->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &next), S_OK);
  EXPECT_EQ(next.lVal, uia::ChildId(tab1_));
  ASSERT_EQ(root_->accNavigate(NAVDIR_NEXT, Child(next.lVal), &next), S_OK);
  EXPECT_EQ(next.lVal, uia::ChildId(tab2_));
  EXPECT_EQ(root_->accNavigate(NAVDIR_PREVIOUS, Child(uia::ChildId(tab1_)), &next), S_FALSE);
  EXPECT_EQ(root_->accNavigate(NAVDIR_NEXT, Child(99), &next), E_INVALIDARG);
}

TEST_F(Accessible, ChangesAreAnnouncedForTheElementThatChanged) {
  WinEventLog log;
  ASSERT_TRUE(log.Hooked());
  value_->SetCaption("HomeNet");
  tab2_->SetSelected(true);
  button_->SetCaption("Rescan");
  button_->SetEnabled(false);
  bg_->Hide();
  Pump(100);
  HWND form = form_.Handle();
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, form, uia::ChildId(value_)), 1);
  EXPECT_EQ(log.Count(EVENT_OBJECT_SELECTION, form, uia::ChildId(tab2_)), 1);
  EXPECT_GE(log.Count(EVENT_OBJECT_STATECHANGE, form, uia::ChildId(tab2_)), 1);
  EXPECT_EQ(log.Count(EVENT_OBJECT_NAMECHANGE, button_->Handle(), CHILDID_SELF), 1);
  EXPECT_GE(log.Count(EVENT_OBJECT_STATECHANGE, button_->Handle(), CHILDID_SELF), 1);
  EXPECT_EQ(log.Count(EVENT_OBJECT_HIDE, form, -1), 0) << "decoration is not announced";
  log.Clear();
  button_->SetEnabled(true);
  button_->SetFocus();
  Pump(50);
  EXPECT_GE(log.Count(EVENT_OBJECT_FOCUS, button_->Handle(), CHILDID_SELF), 1);
  EXPECT_TRUE(Read(ClientObject(button_->Handle()).get(), CHILDID_SELF).state &
              STATE_SYSTEM_FOCUSED);
}

TEST_F(Accessible, AnObjectThatOutlivesItsControlFailsQuietly) {
  AccPtr button = ClientObject(button_->Handle());
  delete button_;
  BSTR name = nullptr;
  EXPECT_EQ(button->get_accName(Child(CHILDID_SELF), &name), RPC_E_DISCONNECTED);
  EXPECT_EQ(button->accDoDefaultAction(Child(CHILDID_SELF)), RPC_E_DISCONNECTED);
  long count = 0;
  root_->get_accChildCount(&count);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(root_->get_accName(Child(6), &name), E_INVALIDARG) << "an id past the end";
}

TEST_F(Accessible, AStandardControlKeepsItsOwnElements) {
  auto* heading = new TLabel(&form_, &form_, "LbList", "Profile List");
  heading->SetBounds(10, 110, 200, 16);
  auto* list = new TSortLv(&form_, &form_, "LvProf");
  list->SetBounds(10, 130, 200, 100);
  list->AddColumn("Profile Name", 120);
  list->AddRow("Home");
  AccPtr ours = ClientObject(list->Handle());
  IAccessible* raw = nullptr;
  ASSERT_EQ(CreateStdAccessibleObject(list->Handle(), OBJID_CLIENT, IID_IAccessible,
                                      reinterpret_cast<void**>(&raw)),
            S_OK);
  AccPtr system(raw);
  EXPECT_EQ(Read(ours.get(), CHILDID_SELF).name, "Profile List");
  long count = 0, systemCount = -1;
  ours->get_accChildCount(&count);
  system->get_accChildCount(&systemCount);
  ASSERT_EQ(count, systemCount);
  for (long id = 1; id <= count; ++id) {
    AccNode mine = Read(ours.get(), id), theirs = Read(system.get(), id);
    EXPECT_EQ(mine.name, theirs.name) << id;
    EXPECT_EQ(mine.state, theirs.state) << id;
    EXPECT_EQ(mine.action, theirs.action) << id;
  }
}

TEST(AccessibleRules, CaptionLabelsNameTheFieldBesideOrBelowThem) {
  TForm form(nullptr, "FormRules");
  auto label = [&form](const char* name, const char* text, int x, int y, int w) {
    auto* l = new TLabel(&form, &form, name, text);
    l->SetBounds(x, y, w, 16);
    return l;
  };
  TLabel* ssid = label("LbSSID", "SSID", 16, 76, 60);
  label("LbDistant", "Further away", 0, 76, 10);
  auto* edit = new TEdit(&form, &form, "EdtSSID");
  edit->SetBounds(120, 72, 150, 22);
  EXPECT_EQ(uia::CaptionLabelOf(edit), ssid) << "the nearest on the left";
  label("LbList", "Profile List", 300, 10, 200);
  auto* list = new TComboBox(&form, &form, "CmbList");
  list->SetBounds(300, 30, 200, 22);
  EXPECT_EQ(uia::NameOf(list), "Profile List") << "directly above";
  auto* radio = new TRadioButton(&form, &form, "RBtnInfra");
  radio->SetBounds(16, 132, 16, 16);
  label("LbInfra", "&Infrastructure", 38, 132, 200);
  EXPECT_EQ(uia::NameOf(radio), "Infrastructure") << "a bare radio button: on its right";

  // A value never names a field, nor a label far below it.
  auto* value = new TValueLabel(&form, &form, "LblValue", "00:11:22");
  value->SetBounds(16, 200, 60, 16);
  auto* lone = new TEdit(&form, &form, "EdtLone");
  lone->SetBounds(120, 198, 100, 22);
  TLabel* below = label("LbBelow", "Below", 120, 260, 100);
  EXPECT_EQ(uia::CaptionLabelOf(lone), nullptr);
  uia::TAccInfo info;
  info.LabelledBy = below;
  uia::Describe(lone, info);
  EXPECT_EQ(uia::NameOf(lone), "Below");

  EXPECT_EQ(uia::StripAccel("Tom && Jerry"), "Tom & Jerry");
  EXPECT_EQ(uia::StripAccel("&&&x"), "&x");
  EXPECT_EQ(uia::StripAccel("End&"), "End");
}

}  // namespace
