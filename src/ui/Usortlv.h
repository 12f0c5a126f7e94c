// The sortable list view: report style, whole-row selection, columns with
// captions, rows that carry a data pointer, a sort column and direction set
// by clicks on the header (one column may be excluded), the direction shown
// in the header, and a comparison supplied by the page.
#pragma once

#include <windows.h>
// (needs the types of windows.h)
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Ucontrol.h"

class TImageList;
class TSortLv;

// One row: its caption (column 0), sub-items (columns 1..), icon and data.
class TLvRow {
 public:
  std::string Caption() const { return Text(0); }
  // Sub-item i is column i + 1; empty when absent.
  std::string SubItem(int i) const { return Text(i + 1); }
  int SubItemCount() const { return static_cast<int>(texts_.size()) - 1; }
  std::string Text(int column) const;
  int ImageIndex() const { return image_; }

  void SetCaption(const std::string& text) { SetText(0, text); }
  // Missing sub-items before i are added empty.
  void SetSubItem(int i, const std::string& text) { SetText(i + 1, text); }
  void AddSubItem(const std::string& text) { SetText(static_cast<int>(texts_.size()), text); }
  void SetImageIndex(int index);

  TSortLv* List() const { return list_; }
  // The page's record of this row (the page decides who frees it).
  void* Data = nullptr;

 private:
  friend class TSortLv;
  explicit TLvRow(TSortLv* list) : list_(list), texts_(1) {}
  void SetText(int column, const std::string& text);

  TSortLv* list_;
  std::vector<std::string> texts_;
  int image_ = -1;
  mutable int indexHint_ = -1;  // where the list last had the row
};

class TSortLv : public TWinControl {
 public:
  TSortLv(TComponent* owner, TContainer* parent, std::string name);
  ~TSortLv() override;

  // Columns; widths in 96-DPI units (the list shows them at its DPI).
  // LVSCW_AUTOSIZE and LVSCW_AUTOSIZE_USEHEADER as widths fit the column.
  int AddColumn(const std::string& caption, int width);
  int ColumnCount() const;
  std::string ColumnCaption(int column) const;
  void SetColumnCaption(int column, const std::string& caption);
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);

  // Rows, in display order.
  TLvRow* AddRow(const std::string& caption = "", void* data = nullptr);
  // Inserts before index (0 = at the top).
  TLvRow* InsertRow(int index, const std::string& caption = "", void* data = nullptr);
  void DeleteRow(int index);
  void DeleteRow(TLvRow* row);
  void Clear();
  int RowCount() const;
  TLvRow* Row(int index) const;
  int IndexOf(const TLvRow* row) const;
  // Called for every row that is deleted (DeleteRow, Clear, and the end of
  // the list unless its owner is being destroyed), after it left the view.
  std::function<void(TLvRow& row)> OnDeleteRow;

  // Selection (single).
  TLvRow* Selected() const;
  int SelectedIndex() const;
  // Selects the row and gives it the focus mark; -1 clears the selection.
  void SelectRow(int index);
  void ClearSelection();
  void MakeVisible(int index);
  // Redraw is suspended between the two (nesting allowed).
  void BeginUpdate();
  void EndUpdate();

  // Sorting. Column SkipSort1 is never a sort column (-1: none).
  int SortColunm() const { return sortColumn_; }
  void SetSortColumn(int column);
  // Ascending when true.
  bool Increase() const { return increase_; }
  void SetIncrease(bool ascending);
  int SkipSort1 = -1;
  // The page's comparison of two rows (negative, 0, positive), direction
  // included. Without one, the sort column's texts are compared without
  // regard to case, reversed when descending.
  std::function<int(const TLvRow& a, const TLvRow& b)> OnCompare;
  void Sort();
  // A click on a sortable column header, after the sort column and
  // direction were updated and the rows sorted again.
  std::function<void(int column)> OnColumnClick;
  // Clicks on the header as the user would (tests, keyboard shortcuts).
  void ClickColumn(int column);
  // The header's direction mark of a column: 1 ascending, -1 descending,
  // 0 none.
  int HeaderSortMark(int column) const;

  // Images: row icons, and sort arrows for the header (cell 0 ascending,
  // 1 descending; without them the header draws its own arrows).
  void SetSmallImages(const TImageList* images);
  void SetSortImages(const TImageList* images);
  void SetGridLines(bool on);

  // Selection changes of a row.
  std::function<void(TLvRow* row, bool selected)> OnSelectItem;
  // Background of a row; CLR_NONE for the normal one.
  std::function<COLORREF(const TLvRow& row)> OnRowColor;

  // The context menu is asked for (right button, the menu key or Shift+F10),
  // at a point in screen coordinates: the cursor, or for the keyboard the
  // selected row (the list's corner without one).
  std::function<void(int x, int y)> OnContextMenu;

  bool HandleNotify(NMHDR* header, LRESULT& result) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void DpiChanged(UINT oldDpi, UINT newDpi) override;

 private:
  friend class TLvRow;
  // A column's width in 96-DPI units as shown at dpi: the one set, unless
  // the user dragged the column since.
  int LogicalWidth(int column, UINT dpi) const;
  HWND Header() const;
  void UpdateHeaderArrows();
  void SetItemText(const TLvRow* row, int column, const std::string& text);
  void SetItemImage(const TLvRow* row, int image);
  bool Owns(const TLvRow* row) const;
  static int CALLBACK CompareProc(LPARAM a, LPARAM b, LPARAM self);

  std::vector<std::unique_ptr<TLvRow>> rows_;
  int sortColumn_ = 0;
  bool increase_ = true;
  int updateDepth_ = 0;
  const TImageList* sortImages_ = nullptr;
  const TImageList* smallImages_ = nullptr;
  // The widths set per column, in 96-DPI units.
  std::vector<int> widths_;
};
