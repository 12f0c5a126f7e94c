// The controls tell a screen reader of their changes only through the one
// announcer installed, and a window answers a screen reader only through it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/AccessTest.h"
#include "ui/Uaccessible.h"
#include "ui/Uannounce.h"
#include "ui/Uform.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

using namespace wutest;

namespace {

// Every report as "what name".
class TRecorder final : public ui::TAnnouncer {
 public:
  std::vector<std::string> log;
  int getObject = 0;

  void NameChanged(const TControl* c) override { Add("name", c); }
  void StateChanged(const TControl* c) override { Add("state", c); }
  void VisibilityChanged(const TControl* c) override { Add("visibility", c); }
  void SelectionChanged(const TControl* c, bool selected) override {
    Add(selected ? "selected" : "unselected", c);
  }
  void FocusChanged(const TControl* c, bool focused) override {
    Add(focused ? "focused" : "unfocused", c);
  }
  void Destroyed(const TControl* c) override { Add("destroyed", c); }
  bool Answer(TWinControl*, UINT msg, WPARAM, LPARAM, LRESULT&) override {
    getObject += msg == WM_GETOBJECT;
    return false;
  }

 private:
  void Add(const char* what, const TControl* c) {
    log.push_back(std::string(what) + " " + c->Name());
  }
};

// The screen-reader side is the announcer again afterwards.
struct TAnnouncerScope {
  explicit TAnnouncerScope(ui::TAnnouncer* announcer) { ui::SetAnnouncer(announcer); }
  ~TAnnouncerScope() { ui::access::Install(); }
};

TEST(Announcer, ControlsReportEachChangeOnceAndTheirEnd) {
  TRecorder recorder;
  TAnnouncerScope scope(&recorder);
  TForm form(nullptr, "FormAnnounce");
  auto* label = new TLabel(&form, &form, "LbName", "Name");
  auto* tab = new TTabLabel(&form, &form, "LbTab", "Link Info");
  auto* button = new TPicButton(&form, &form, "BtnScan", "Scan");
  auto* edit = new TEdit(&form, &form, "EdtKey");
  form.Show();
  recorder.log.clear();

  label->SetCaption("SSID");
  label->SetCaption("SSID");  // no change, no report
  label->SetVisible(false);
  label->SetEnabled(false);
  tab->SetSelected(true);
  tab->SetFocusMark(true);
  tab->SetFocusMark(true);
  tab->SetFocusMark(false);
  tab->SetSelected(false);
  button->SetCaption("Rescan");
  button->SetEnabled(false);
  edit->SetMasked(true);
  delete label;
  EXPECT_EQ(recorder.log,
            (std::vector<std::string>{"name LbName", "visibility LbName", "state LbName",
                                      "selected LbTab", "focused LbTab", "unfocused LbTab",
                                      "unselected LbTab", "name BtnScan", "state BtnScan",
                                      "state EdtKey", "destroyed LbName"}));

  // A screen reader's question reaches the announcer, which left it to the
  // system: no toolkit object behind the button.
  AccPtr object = ClientObject(button->Handle());
  EXPECT_GE(recorder.getObject, 1);
  ASSERT_TRUE(object);
  EXPECT_NE(Read(object.get(), CHILDID_SELF).role, ROLE_SYSTEM_PUSHBUTTON);
  ui::access::Install();
  EXPECT_EQ(Read(ClientObject(button->Handle()).get(), CHILDID_SELF).role, ROLE_SYSTEM_PUSHBUTTON);
}

TEST(Announcer, ADescriptionIsForgottenWithItsControlWhateverWasInstalled) {
  TAnnouncerScope scope(nullptr);
  TForm form(nullptr, "FormForget");
  auto* label = new TLabel(&form, &form, "LbLamp");
  ui::access::TAccInfo info;
  info.Name = [] { return std::string("Signal: 4 of 10"); };
  ui::access::Describe(label, std::move(info));
  ASSERT_NE(ui::access::Find(label), nullptr);
  delete label;
  // A control made later at the same address must not inherit it.
  EXPECT_EQ(ui::access::Find(label), nullptr);
}

}  // namespace
