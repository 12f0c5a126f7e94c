// The page base: localisation of labels, check boxes, panels and list-view
// columns; mark images; label fitting and shrinking; the previous page.
#include <gtest/gtest.h>

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

}  // namespace
