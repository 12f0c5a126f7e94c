// The access-point pages are built when the window first needs them: they
// must come out as the window built them with itself, in the same place
// among the pages (the order in which pages are attached and told of
// events), the same place among the windows (the tab order), with the
// settings file's layout.
#include <string>
#include <vector>

#include "pages/ap/Uframeapcfg.h"
#include "pages/ap/Uframeapfilter.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframelinkinfo.h"
#include "tformmain_support.h"

using namespace mainwin;

namespace {

constexpr const char* kLayout = "[FormMain_FrameAPCfg1_CtrlPos]\r\nEdtSSID=140,20,180,21\r\n";

std::vector<std::string> PageNames(const TFormMain* form) {
  std::vector<std::string> names;
  for (TPropertyPageFrame* page : form->Pages()) names.push_back(page->Name());
  return names;
}

}  // namespace

TEST(TFormMainLatePages, AccessPointPagesBuiltLateStandWhereTheWindowWouldHaveBuiltThem) {
  MainWindowEnv env(kLayout);
  ASSERT_TRUE(env.Bound());
  auto* form = new TFormMain(nullptr);
  std::vector<PageEvent> events;
  new TRecordingPage(form, form, "FrameRec", &events);
  EXPECT_FALSE(form->APPagesBuilt()) << "station mode does not need them";
  EXPECT_EQ(form->FrameAPInfo1(), nullptr) << "asking for a page built it";
  EXPECT_EQ(PageNames(form),
            (std::vector<std::string>{"FrameLinkInfo1", "FrameSurvey1", "FrameProfile1",
                                      "FrameAdapter1", "FrameRec"}));

  // Access-point mode without an adapter: the tab shows its page.
  form->BtnSoftAPClick(form->BtnSoftAP);
  ASSERT_TRUE(form->APPagesBuilt());
  EXPECT_EQ(form->CurrentPage(), static_cast<TPropertyPageFrame*>(form->FrameAPInfo1()));
  EXPECT_TRUE(form->FrameAPInfo1()->Visible());
  EXPECT_FALSE(form->FrameAPCfg1()->Visible());
  EXPECT_EQ(PageNames(form), (std::vector<std::string>{
                                 "FrameLinkInfo1", "FrameSurvey1", "FrameProfile1", "FrameAdapter1",
                                 "FrameAPInfo1", "FrameAPCfg1", "FrameAPFilter1", "FrameRec"}));
  // The same z-order and Tab order: the pages lie in the window's list of
  // controls, and their windows on top of one another, in creation order.
  std::vector<TPropertyPageFrame*> listed;
  for (TControl* c : form->Controls())
    if (auto* page = dynamic_cast<TPropertyPageFrame*>(c)) listed.push_back(page);
  EXPECT_EQ(listed, form->Pages());
  std::vector<HWND> topDown;
  for (HWND w = GetWindow(form->FrameLinkInfo1->Handle(), GW_HWNDFIRST); w;
       w = GetWindow(w, GW_HWNDNEXT))
    for (TPropertyPageFrame* page : form->Pages())
      if (page->Handle() == w) topDown.push_back(w);
  std::vector<HWND> expected;
  for (TPropertyPageFrame* page : form->Pages()) expected.insert(expected.begin(), page->Handle());
  EXPECT_EQ(topDown, expected);
  EXPECT_EQ(form->FrameAPCfg1()->EdtSSID->Left(), 140) << "the settings file's layout";
  EXPECT_EQ(form->FrameAPCfg1()->EdtSSID->Width(), 180);
  EXPECT_EQ(form->FrameAPInfo1()->Left(), form->FrameLinkInfo1->Left());
  EXPECT_EQ(form->FrameAPInfo1()->Top(), form->FrameLinkInfo1->Top());

  // Built once: back to station mode and again keeps the same pages.
  TFrameAPInfo* info = form->FrameAPInfo1();
  form->BtnSoftAPClick(form->BtnStation);
  form->BtnSoftAPClick(form->BtnSoftAP);
  EXPECT_EQ(form->FrameAPInfo1(), info);
  EXPECT_EQ(form->Pages().size(), 8u);
  delete form;
}
