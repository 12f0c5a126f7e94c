// The page base: localisation of labels, check boxes, panels and list-view
// columns; mark images; label fitting and shrinking; the previous page; a
// page built after the others.
#include <gtest/gtest.h>

#include <stdexcept>

#include "shell/Propertypageframeunit.h"
#include "ui/UiTest.h"
#include "ui/Usortlv.h"

using namespace wutest;

namespace {

class TTestPage : public TPropertyPageFrame {
 public:
  explicit TTestPage(TContainer* parent) : TPropertyPageFrame(parent, parent, "FrameSurvey1") {
    SetBounds(24, 116, 552, 276);
    LbNetList = new TLabel(this, this, "LbNetList", "Available Network List");
    LblTime = new TValueLabel(this, this, "LblTime", "12:00:00");
    ChkA = new TCheckBox(this, this, "ChkA", "Check");
    PlSearch = new TPanel(this, this, "PlSearch", "Searching");
    EdtX = new TEdit(this, this, "EdtX");
    EdtX->SetText("typed");
    LvSite = new TSortLv(this, this, "LvSite");
    LvSite->AddColumn("", 20);
    LvSite->AddColumn("SSID", 100);
    LvSite->AddColumn("Channel", 60);
  }
  TLabel* LbNetList;
  TValueLabel* LblTime;
  TCheckBox* ChkA;
  TPanel* PlSearch;
  TEdit* EdtX;
  TSortLv* LvSite;
};

class Page : public ::testing::Test {
 protected:
  TForm form_{nullptr, "FormMain"};
};

TEST_F(Page, LocalisesCaptionsAndOnlyTheListColumnsThatHaveEntries) {
  GlobalFiles files("[Setting]\r\nX=1\r\n",
                    "[FrameSurvey]\r\nLvSite_Col1=Network\r\nLbNetList=Networks\r\n"
                    "ChkA=Tick\r\nPlSearch=Looking...\r\nEdtX=never\r\nLblTime=now\r\n");
  TTestPage page(&form_);
  page.LocalisePage("FrameSurvey");
  EXPECT_EQ(page.LvSite->ColumnCaption(0), "");
  EXPECT_EQ(page.LvSite->ColumnCaption(1), "Network");
  EXPECT_EQ(page.LvSite->ColumnCaption(2), "Channel");
  EXPECT_EQ(page.LbNetList->Caption(), "Networks");
  EXPECT_EQ(page.LblTime->Caption(), "now");
  EXPECT_EQ(page.ChkA->Caption(), "Tick");
  EXPECT_EQ(page.PlSearch->Caption(), "Looking...");
  EXPECT_EQ(page.EdtX->Text(), "typed");
}

TEST_F(Page, WithoutEntriesEverythingKeepsItsCaption) {
  GlobalFiles files("[Setting]\r\nX=1\r\n", "[Other]\r\nLbNetList=No\r\n");
  TTestPage page(&form_);
  page.LocalisePage("FrameSurvey");
  EXPECT_EQ(page.LvSite->ColumnCaption(1), "SSID");
  EXPECT_EQ(page.LbNetList->Caption(), "Available Network List");
  EXPECT_EQ(page.PlSearch->Caption(), "Searching");
}

TEST_F(Page, MarkImageEndsSixPixelsLeftOfTheLabel) {
  TTestPage page(&form_);
  TPicture mark = TPicture::CreateOpaque(8, 8, RGB(1, 2, 3));
  page.LbNetList->SetBounds(30, 40, 120, 15);
  TImage* image = page.PlaceMarkImage(page.LbNetList, &mark);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Owner(), &page);
  EXPECT_EQ(image->Parent(), &page);
  EXPECT_EQ(image->BoundsRect(), (RECT{16, 43, 24, 51}));
  page.LblTime->Hide();
  EXPECT_FALSE(page.PlaceMarkImage(page.LblTime, &mark)->Visible());
  EXPECT_EQ(page.PlaceMarkImage(nullptr, &mark), nullptr);
  EXPECT_EQ(page.PlaceMarkImage(page.LbNetList, nullptr), nullptr);
}

TEST_F(Page, FitsPairsAndShrinksCaptionsThatDoNotFit) {
  TTestPage page(&form_);
  page.LbNetList->SetBounds(10, 10, 20, 15);
  int measured = page.LbNetList->MeasureCaption().cx;
  page.FitLabelPair(page.LbNetList, page.LblTime, 300);
  EXPECT_EQ(page.LblTime->Left(), 10 + measured + 6);
  EXPECT_EQ(page.LblTime->Width(), 300 - (10 + measured + 6));

  int before = page.LblTime->Font().Height;
  page.LblTime->SetWidth(1000);
  page.ShrinkCaption(page.LblTime);
  EXPECT_EQ(page.LblTime->Font().Height, before);
  page.LbNetList->SetWidth(20);
  page.ShrinkCaption(page.LbNetList);
  EXPECT_EQ(page.LbNetList->Font().Height, -11);
}

TEST_F(Page, ThePreviousPageIsKeptOnlyForForwardEntryAndClearedGoingBack) {
  TTestPage page(&form_), other(&form_);
  EXPECT_TRUE(page.EnterPage(&other, kDirNone, kSurveyNoScan));
  EXPECT_EQ(page.PrevPage(), nullptr);
  EXPECT_TRUE(page.EnterPage(&other, kDirForward, 0));
  EXPECT_EQ(page.PrevPage(), &other);
  EXPECT_TRUE(page.LeavePage(nullptr, kDirNone, 0));
  EXPECT_EQ(page.PrevPage(), &other);
  EXPECT_TRUE(page.LeavePage(nullptr, kDirBack, 0));
  EXPECT_EQ(page.PrevPage(), nullptr);
}

TEST_F(Page, IsCreatedHiddenAndPaintsWithoutErasing) {
  TTestPage page(&form_);
  EXPECT_FALSE(page.Visible());
  EXPECT_NE(SendMessageA(page.Handle(), WM_ERASEBKGND, 0, 0), 0);
}

// A page that counts its initialisations; one that fails throws in them.
class TLatePage : public TPropertyPageFrame {
 public:
  TLatePage(TContainer* parent, const char* name, bool fail = false)
      : TPropertyPageFrame(parent, parent, name), fail_(fail) {
    SetBounds(0, 0, 100, 50);
    EdtLate = new TEdit(this, this, "EdtLate");
  }
  void InitPage() override {
    ++Inits;
    Show();
    if (fail_) throw std::runtime_error("no strings");
  }
  TEdit* EdtLate;
  int Inits = 0;

 private:
  bool fail_;
};

TEST_F(Page, APageBuiltLateStandsWhereItWouldHaveBeenBuiltInitialisedAndHidden) {
  GlobalFiles files(
      "[FormMain_CtrlPos]\r\nFrameLate=30\r\n[FormMain_FrameLate_CtrlPos]\r\n"
      "EdtLate=5,6,70,21\r\n",
      "");
  LogCapture log;
  TLatePage first(&form_, "FrameFirst"), last(&form_, "FrameLast");
  TLatePage late(&form_, "FrameLate"), failing(&form_, "FrameFailing", true);
  late.FinishLateBuild(&first, 10, 20, 200, 100, "TTest::Build");
  failing.FinishLateBuild(&late, 10, 20, 200, 100, "TTest::Build");

  const std::vector<TComponent*> owned = {&first, &late, &failing, &last};
  EXPECT_EQ(form_.Components(), owned) << "not in its place among the pages";
  const std::vector<TControl*> stacked = {&first, &late, &failing, &last};
  EXPECT_EQ(form_.Controls(), stacked) << "not in its place in the Tab order";
  EXPECT_EQ(GetWindow(late.Handle(), GW_HWNDPREV), failing.Handle()) << "not in its z-order";
  EXPECT_EQ(GetWindow(late.Handle(), GW_HWNDNEXT), first.Handle());
  EXPECT_EQ(late.BoundsRect(), (RECT{30, 20, 230, 120})) << "the settings file's left, else ours";
  EXPECT_EQ(late.EdtLate->BoundsRect(), (RECT{5, 6, 75, 27}));
  for (TLatePage* page : {&late, &failing}) {
    EXPECT_EQ(page->Inits, 1) << page->Name();
    EXPECT_FALSE(page->Visible()) << page->Name() << " waits hidden until it is entered";
  }
  EXPECT_NE(log.Text().find("Exception(TTest::Build FrameFailing): no strings"), std::string::npos)
      << log.Text();
}

}  // namespace
