// Names on the station pages beyond what the walk through the real program
// sees: a survey row with a zero byte inside is refused and nothing is made
// of it; the link page shows a profile's store-text name as UTF-8.
#include <memory>
#include <string>

#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "pages/station/Uframelinkinfo.h"
#include "pages/station/Uframesurvey.h"
#include "shell/Uformmsgbox.h"
#include "shell/tformmain_support.h"

using namespace mainwin;

namespace {

template <class Page>
struct PageOnAdapter {
  PageOnAdapter() : host(nullptr, "FormHost"), adapter(nullptr, 0, TestDevice()) {
    page->InitPage();
    page->Show();
    page->AttachAdapter(&adapter, kAttach, kModeStation);
  }
  ~PageOnAdapter() {
    page->AttachAdapter(&adapter, kDetach, kModeStation);
    page->DonePage();
  }
  TForm host;
  CNICAdapter adapter;
  Page* page = new Page(&host, &host);
};

}  // namespace

TEST(NetworkNames, AZeroByteRowIsRefusedAndTheLinkPageShowsTheProfileNameAsUtf8) {
  const std::string kCafeMueller = "Caf\xC3\xA9 M\xC3\xBCller";
  MainWindowEnv env("", 6,
                    "[Network 1]\r\nSSID=" + kCafeMueller +
                        "\r\nBSSID=00:1D:4F:20:00:01\r\nChannel=6\r\nSignal=-40\r\n"
                        "[Network 2]\r\nSSIDHex=410042\r\nBSSID=00:1D:4F:20:00:02\r\n"
                        "Channel=6\r\nSignal=-50\r\n");
  ASSERT_TRUE(env.Bound());
  {
    PageOnAdapter<TFrameSurvey> p;
    TSortLv* list = p.page->LvSite;
    ASSERT_TRUE(WaitUntil([&] { return list->RowCount() == 2; }, kGenerous));
    auto box = std::make_shared<std::string>();
    Every(20, [box] {
      auto* shown = dynamic_cast<TFormMsgBox*>(TFormBase::TopModalForm());
      if (shown) *box = shown->LbMsg->Caption(), shown->BtnOk->Click();
      return shown != nullptr;
    });
    list->SelectRow(list->Row(0)->SubItem(0) == "A\\x00B" ? 0 : 1);
    SetField(g_GlobalVar.WorkProfile.ProfileName, "untouched");
    p.page->BtnConnectClick();
    EXPECT_EQ(*box,
              "The network 'A\\x00B' has a zero byte in its name; this utility cannot join it.");
    EXPECT_EQ(FieldText(g_GlobalVar.WorkProfile.ProfileName), "untouched") << "nothing made";
  }
  PageOnAdapter<TFrameLinkInfo> p;
  WLProfile work = p.adapter.DefProf;
  SetField(work.ProfileName, "Caf\xE9 M\xFCller");  // store text, 1252
  ASSERT_TRUE(SetSsidBytes(work, kCafeMueller));
  p.adapter.Connect(work);
  ASSERT_TRUE(Linked(p.adapter, kCafeMueller));
  WLProfile applied{};
  ASSERT_TRUE(WaitUntil([&] { return p.adapter.GetAppliedProf(applied); }, kGenerous));
  p.page->AdapterNotify(&p.adapter, kNotifyConnecting, 0);
  p.page->AdapterNotify(&p.adapter, kNotifyStatus, 0);
  EXPECT_EQ(p.page->LblProfName->Caption(), kCafeMueller);
}
