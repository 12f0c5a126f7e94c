// The sortable list view: header clicks (through the real header), sort
// column and direction, the unsortable column, the header arrows, rows
// with data, selection events and deletion.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upicture.h"
#include "ui/Usortlv.h"

using namespace wutest;

namespace {

class SortLv : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.SetClientSize(400, 300);
    lv_ = new TSortLv(&form_, &form_, "LvSite");
    lv_->SetBounds(0, 0, 400, 300);
    lv_->AddColumn("", 24);
    lv_->AddColumn("SSID", 120);
    lv_->AddColumn("Channel", 80);
    lv_->AddColumn("Signal", 80);
    lv_->SkipSort1 = 0;
    lv_->SetSortColumn(3);
    lv_->SetIncrease(false);
    // As the survey page compares: numbers for signal, texts otherwise.
    lv_->OnCompare = [this](const TLvRow& a, const TLvRow& b) {
      int c = lv_->SortColunm(), r;
      if (c == 3)
        r = std::atoi(a.SubItem(2).c_str()) - std::atoi(b.SubItem(2).c_str());
      else
        r = lstrcmpiA(a.Text(c).c_str(), b.Text(c).c_str());
      r = r < 0 ? -1 : r > 0 ? 1 : 0;
      return lv_->Increase() ? r : -r;
    };
    lv_->OnColumnClick = [this](int column) { clicked_.push_back(column); };
    Add("beta", "6", "40");
    Add("Alpha", "1", "90");
    Add("gamma", "11", "10");
    lv_->Sort();
  }
  void Add(const char* ssid, const char* channel, const char* signal) {
    TLvRow* row = lv_->AddRow();
    row->AddSubItem(ssid);
    row->AddSubItem(channel);
    row->AddSubItem(signal);
  }
  std::vector<std::string> Ssids() const {
    std::vector<std::string> out;
    for (int i = 0; i < lv_->RowCount(); ++i) out.push_back(lv_->Row(i)->SubItem(0));
    return out;
  }
  // A click on a header item with the mouse, as the user makes it.
  void ClickHeader(int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(lv_->Handle(), LVM_GETHEADER, 0, 0));
    RECT r;
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
  }

  TForm form_{nullptr, "Form1"};
  TSortLv* lv_ = nullptr;
  std::vector<int> clicked_;
};

TEST_F(SortLv, HeaderClicksFlipTheSortColumnOrChooseAnotherKeepingTheDirection) {
  form_.Show();
  EXPECT_EQ(Ssids(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));  // strongest first
  EXPECT_EQ(lv_->HeaderSortMark(3), -1);

  ClickHeader(3);  // the sort column again: weakest first
  EXPECT_EQ(clicked_, std::vector<int>{3});
  EXPECT_TRUE(lv_->Increase());
  EXPECT_EQ(Ssids(), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
  EXPECT_EQ(lv_->HeaderSortMark(3), 1);

  lv_->SetIncrease(false);
  lv_->Sort();
  ClickHeader(1);  // another column keeps the direction: Z to A
  EXPECT_EQ(lv_->SortColunm(), 1);
  EXPECT_FALSE(lv_->Increase());
  EXPECT_EQ(Ssids(), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
  EXPECT_EQ(lv_->HeaderSortMark(1), -1);
  EXPECT_EQ(lv_->HeaderSortMark(3), 0);

  ClickHeader(1);  // and again: A to Z, without regard to case
  EXPECT_TRUE(lv_->Increase());
  EXPECT_EQ(Ssids(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
  EXPECT_EQ(lv_->HeaderSortMark(1), 1);
  form_.Hide();
}

TEST_F(SortLv, TheUnsortableColumnIgnoresClicks) {
  form_.Show();
  ClickHeader(0);
  lv_->ClickColumn(0);
  EXPECT_TRUE(clicked_.empty());
  EXPECT_EQ(lv_->SortColunm(), 3);
  EXPECT_FALSE(lv_->Increase());
  EXPECT_EQ(lv_->HeaderSortMark(0), 0);
  form_.Hide();
}

TEST_F(SortLv, SortImagesMarkTheHeaderInsteadOfTheSystemArrows) {
  TImageList arrows(nullptr, "ImgsSort");
  TPicture strip;
  ASSERT_TRUE(strip.LoadFromResource("ImgsSort"));
  arrows.SetPicture(strip);
  ASSERT_EQ(arrows.Count(), 2);
  lv_->SetSortImages(&arrows);
  EXPECT_EQ(lv_->HeaderSortMark(3), -1);
  lv_->ClickColumn(3);
  EXPECT_EQ(lv_->HeaderSortMark(3), 1);
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv_->Handle(), LVM_GETHEADER, 0, 0));
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_IMAGE;
  SendMessageA(header, HDM_GETITEMA, 3, reinterpret_cast<LPARAM>(&item));
  EXPECT_NE(item.fmt & HDF_IMAGE, 0);
  EXPECT_EQ(item.fmt & (HDF_SORTUP | HDF_SORTDOWN), 0);
  EXPECT_EQ(item.iImage, 0);
  lv_->SetSortImages(nullptr);
}

TEST_F(SortLv, RowsKeepTheirDataThroughSortingInsertionAndDeletion) {
  int a = 1, b = 2;
  lv_->Clear();
  TLvRow* first = lv_->AddRow("", &a);
  first->AddSubItem("first");
  TLvRow* top = lv_->InsertRow(0, "", &b);
  top->SetSubItem(1, "top");  // sub-item 0 added empty on the way
  EXPECT_EQ(top->SubItemCount(), 2);
  EXPECT_EQ(top->SubItem(0), "");
  EXPECT_EQ(lv_->Row(0), top);
  EXPECT_EQ(lv_->IndexOf(first), 1);
  EXPECT_EQ(lv_->Row(1)->Data, &a);
  EXPECT_EQ(lv_->Row(5), nullptr);

  std::vector<std::pair<TLvRow*, bool>> events;
  lv_->OnSelectItem = [&](TLvRow* row, bool selected) { events.push_back({row, selected}); };
  lv_->SelectRow(1);
  EXPECT_EQ(lv_->Selected(), first);
  lv_->SelectRow(0);
  EXPECT_EQ(lv_->Selected(), top);
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events[0], std::make_pair(first, true));
  EXPECT_EQ(events[1], std::make_pair(first, false));
  EXPECT_EQ(events.back(), std::make_pair(top, true));

  int countInCallback = -1;
  void* freed = nullptr;
  lv_->OnDeleteRow = [&](TLvRow& row) {
    countInCallback = lv_->RowCount();
    freed = row.Data;
  };
  lv_->DeleteRow(top);
  EXPECT_EQ(freed, &b);
  EXPECT_EQ(countInCallback, 1);  // the row had left the view already
  EXPECT_EQ(lv_->SelectedIndex(), -1);
  int deletions = 0;
  lv_->OnDeleteRow = [&](TLvRow&) { ++deletions; };
  lv_->Clear();
  EXPECT_EQ(deletions, 1);
  EXPECT_EQ(lv_->RowCount(), 0);
  EXPECT_EQ(lv_->Selected(), nullptr);
}

TEST_F(SortLv, AHighlightedRowIsPaintedInItsColour) {
  form_.Show();
  lv_->ClearSelection();
  TLvRow* marked = lv_->Row(1);
  lv_->OnRowColor = [marked](const TLvRow& row) {
    return &row == marked ? RGB(0xD8, 0xEF, 0xEB) : CLR_NONE;
  };
  lv_->Invalidate();
  RECT r{};
  r.left = LVIR_BOUNDS;
  SendMessageA(lv_->Handle(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  Snapshot shot(lv_->Handle());
  // Far right in the row: past any text.
  EXPECT_EQ(shot.At(r.right - 6, r.top + 2), 0xD8EFEBu);
  RECT r0{};
  r0.left = LVIR_BOUNDS;
  SendMessageA(lv_->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r0));
  EXPECT_NE(shot.At(r0.right - 6, r0.top + 2), 0xD8EFEBu);
  form_.Hide();
}

}  // namespace
