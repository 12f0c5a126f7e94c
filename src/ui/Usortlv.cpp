#include "ui/Usortlv.h"

#include <algorithm>
#include <iterator>

#include "config/Uunicode.h"
#include "ui/Upicture.h"

namespace {

// Texts in the order Explorer sorts them: the user's locale, case ignored.
int CompareText(const std::string& a, const std::string& b) {
  const std::wstring wa = Wide(a), wb = Wide(b);
  const int r =
      CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), static_cast<int>(wa.size()),
                     wb.c_str(), static_cast<int>(wb.size()));
  if (r == 0) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  return r - CSTR_EQUAL;
}

}  // namespace

// ---- TLvRow ----------------------------------------------------------------------------

std::string TLvRow::Text(int column) const {
  if (column < 0 || column >= static_cast<int>(texts_.size())) return std::string();
  return texts_[column];
}

void TLvRow::SetText(int column, const std::string& text) {
  if (column < 0) return;
  if (column >= static_cast<int>(texts_.size())) texts_.resize(column + 1);
  texts_[column] = text;
  if (list_) list_->SetItemText(this, column, text);
}

void TLvRow::SetImageIndex(int index) {
  image_ = index;
  if (list_) list_->SetItemImage(this, index);
}

// ---- TSortLv ---------------------------------------------------------------------------

TSortLv::TSortLv(TComponent* owner, TContainer* parent, std::string name)
    : TWinControl(owner, parent, std::move(name), TKind::ListView) {
  SetBounds(0, 0, 250, 150);
  CreateHandle(
      WC_LISTVIEWA,
      WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS,
      WS_EX_CLIENTEDGE);
  DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
}

TSortLv::~TSortLv() {
  auto rows = std::move(rows_);
  rows_.clear();
  if (Handle()) SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
  for (auto& row : rows) Fire(OnDeleteRow, *row);
}

HWND TSortLv::Header() const {
  return Handle() ? reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0)) : nullptr;
}

int TSortLv::AddColumn(const std::string& caption, int width) {
  if (!Handle()) return -1;
  std::wstring text = Wide(caption);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = text.data();
  col.cx = width >= 0 ? Px(width) : 0;
  int index = ColumnCount();
  col.iSubItem = index;
  int r = static_cast<int>(SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(&col)));
  if (r >= 0) {
    widths_.insert(widths_.begin() + std::min<int>(r, static_cast<int>(widths_.size())),
                   std::max(0, width));
    if (width < 0) SetColumnWidth(r, width);
  }
  UpdateHeaderArrows();
  return r;
}

int TSortLv::ColumnCount() const {
  HWND h = Header();
  return h ? std::max(0, static_cast<int>(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0))) : 0;
}

std::string TSortLv::ColumnCaption(int column) const {
  if (!Handle() || column < 0 || column >= ColumnCount()) return std::string();
  wchar_t buffer[260] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = buffer;
  col.cchTextMax = static_cast<int>(std::size(buffer));
  SendMessageW(Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(column),
               reinterpret_cast<LPARAM>(&col));
  return Utf8(buffer);
}

void TSortLv::SetColumnCaption(int column, const std::string& caption) {
  if (!Handle() || column < 0 || column >= ColumnCount()) return;
  std::wstring text = Wide(caption);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = text.data();
  SendMessageW(Handle(), LVM_SETCOLUMNW, static_cast<WPARAM>(column),
               reinterpret_cast<LPARAM>(&col));
}

int TSortLv::LogicalWidth(int column, UINT dpi) const {
  if (!Handle() || column < 0 || column >= ColumnCount()) return 0;
  const int px =
      static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
  const size_t i = static_cast<size_t>(column);
  if (i < widths_.size() && ui::dpi::Scale(widths_[i], dpi) == px) return widths_[i];
  return ui::dpi::Unscale(px, dpi);
}

int TSortLv::ColumnWidth(int column) const {
  return LogicalWidth(column, Dpi());
}

void TSortLv::SetColumnWidth(int column, int width) {
  if (!Handle() || column < 0 || column >= ColumnCount()) return;
  const bool fit = width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER;
  SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
               fit ? width : Px(std::max(0, width)));
  if (widths_.size() < static_cast<size_t>(ColumnCount()))
    widths_.resize(static_cast<size_t>(ColumnCount()), 0);
  const int shown =
      static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
  widths_[static_cast<size_t>(column)] = fit ? ui::dpi::Unscale(shown, Dpi()) : std::max(0, width);
}

void TSortLv::DpiChanged(UINT oldDpi, UINT newDpi) {
  if (!Handle()) return;
  // Widths as they were shown (a dragged column keeps its dragged width),
  // then shown again at the new DPI.
  const int n = ColumnCount();
  std::vector<int> widths(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) widths[static_cast<size_t>(i)] = LogicalWidth(i, oldDpi);
  widths_ = widths;
  for (int i = 0; i < n; ++i)
    SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                 ui::dpi::Scale(widths[static_cast<size_t>(i)], newDpi));
  if (smallImages_) SetSmallImages(smallImages_);
  if (sortImages_) SetSortImages(sortImages_);
}

TLvRow* TSortLv::AddRow(const std::string& caption, void* data) {
  return InsertRow(RowCount(), caption, data);
}

TLvRow* TSortLv::InsertRow(int index, const std::string& caption, void* data) {
  if (!Handle()) return nullptr;
  auto row = std::unique_ptr<TLvRow>(new TLvRow(this));
  row->texts_[0] = caption;
  row->Data = data;
  int n = RowCount();
  if (index < 0 || index > n) index = n;
  std::wstring text = Wide(caption);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = index;
  item.pszText = text.data();
  item.iImage = -1;
  item.lParam = reinterpret_cast<LPARAM>(row.get());
  TLvRow* raw = row.get();
  rows_.push_back(std::move(row));
  const LRESULT at = SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  if (at < 0) {
    rows_.pop_back();
    return nullptr;
  }
  raw->indexHint_ = static_cast<int>(at);
  return raw;
}

bool TSortLv::Owns(const TLvRow* row) const {
  return row && std::any_of(rows_.begin(), rows_.end(),
                            [row](const std::unique_ptr<TLvRow>& r) { return r.get() == row; });
}

int TSortLv::IndexOf(const TLvRow* row) const {
  if (!Handle() || !row) return -1;
  // A row is mostly filled right after it was added: look where it was
  // before searching the whole list, which made filling a long list slow.
  if (row->indexHint_ >= 0) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row->indexHint_;
    if (SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) &&
        item.lParam == reinterpret_cast<LPARAM>(row))
      return row->indexHint_;
  }
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM;
  find.lParam = reinterpret_cast<LPARAM>(row);
  row->indexHint_ = static_cast<int>(SendMessageW(Handle(), LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(&find)));
  return row->indexHint_;
}

void TSortLv::DeleteRow(TLvRow* row) {
  DeleteRow(IndexOf(row));
}

void TSortLv::DeleteRow(int index) {
  TLvRow* row = Row(index);
  if (!row) return;
  SendMessageW(Handle(), LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
  auto it = std::find_if(rows_.begin(), rows_.end(),
                         [row](const std::unique_ptr<TLvRow>& r) { return r.get() == row; });
  if (it == rows_.end()) return;
  std::unique_ptr<TLvRow> owned = std::move(*it);
  rows_.erase(it);
  Fire(OnDeleteRow, *owned);
}

void TSortLv::Clear() {
  auto rows = std::move(rows_);
  rows_.clear();
  if (Handle()) SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
  for (auto& row : rows) Fire(OnDeleteRow, *row);
}

int TSortLv::RowCount() const {
  return Handle() ? static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)) : 0;
}

TLvRow* TSortLv::Row(int index) const {
  if (!Handle() || index < 0 || index >= RowCount()) return nullptr;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  auto* row = reinterpret_cast<TLvRow*>(item.lParam);
  return Owns(row) ? row : nullptr;
}

void TSortLv::SetItemText(const TLvRow* row, int column, const std::string& text) {
  int index = IndexOf(row);
  if (index < 0) return;
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

void TSortLv::SetItemImage(const TLvRow* row, int image) {
  int index = IndexOf(row);
  if (index < 0) return;
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  item.iImage = image;
  SendMessageW(Handle(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int TSortLv::SelectedIndex() const {
  if (!Handle()) return -1;
  return static_cast<int>(
      SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

TLvRow* TSortLv::Selected() const {
  return Row(SelectedIndex());
}

void TSortLv::SelectRow(int index) {
  if (!Handle()) return;
  if (index < 0 || index >= RowCount()) {
    ClearSelection();
    return;
  }
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

void TSortLv::ClearSelection() {
  if (!Handle()) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&item));
}

void TSortLv::MakeVisible(int index) {
  if (Handle()) SendMessageW(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

void TSortLv::BeginUpdate() {
  if (updateDepth_++ == 0 && Handle()) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TSortLv::EndUpdate() {
  if (updateDepth_ == 0) return;
  if (--updateDepth_ == 0 && Handle()) {
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    Invalidate();
  }
}

void TSortLv::SetSortColumn(int column) {
  sortColumn_ = column;
  UpdateHeaderArrows();
}

void TSortLv::SetIncrease(bool ascending) {
  increase_ = ascending;
  UpdateHeaderArrows();
}

int CALLBACK TSortLv::CompareProc(LPARAM a, LPARAM b, LPARAM self) {
  auto* list = reinterpret_cast<TSortLv*>(self);
  const auto* ra = reinterpret_cast<const TLvRow*>(a);
  const auto* rb = reinterpret_cast<const TLvRow*>(b);
  if (list->OnCompare) return list->OnCompare(*ra, *rb);
  int r = CompareText(ra->Text(list->sortColumn_), rb->Text(list->sortColumn_));
  return list->increase_ ? r : -r;
}

void TSortLv::Sort() {
  if (!Handle() || RowCount() < 2) return;
  SendMessageW(Handle(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(this),
               reinterpret_cast<LPARAM>(&TSortLv::CompareProc));
}

void TSortLv::ClickColumn(int column) {
  if (column < 0 || column >= ColumnCount() || column == SkipSort1) return;
  if (column == sortColumn_)
    increase_ = !increase_;
  else
    sortColumn_ = column;
  UpdateHeaderArrows();
  Sort();
  Fire(OnColumnClick, column);
}

void TSortLv::UpdateHeaderArrows() {
  HWND h = Header();
  if (!h) return;
  int n = ColumnCount();
  for (int i = 0; i < n; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(h, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN | HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    if (i == sortColumn_ && i != SkipSort1) {
      if (sortImages_ && sortImages_->Count() >= 2) {
        item.mask |= HDI_IMAGE;
        item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
        item.iImage = increase_ ? 0 : 1;
      } else {
        item.fmt |= increase_ ? HDF_SORTUP : HDF_SORTDOWN;
      }
    }
    SendMessageW(h, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

int TSortLv::HeaderSortMark(int column) const {
  HWND h = Header();
  if (!h || column < 0 || column >= ColumnCount()) return 0;
  HDITEMW item{};
  item.mask = HDI_FORMAT | HDI_IMAGE;
  SendMessageW(h, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  if (item.fmt & HDF_SORTUP) return 1;
  if (item.fmt & HDF_SORTDOWN) return -1;
  if (item.fmt & HDF_IMAGE) return item.iImage == 0 ? 1 : -1;
  return 0;
}

void TSortLv::SetSmallImages(const TImageList* images) {
  smallImages_ = images;
  if (!Handle()) return;
  HIMAGELIST il = images ? images->Handle(Dpi()) : nullptr;
  SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(il));
}

void TSortLv::SetSortImages(const TImageList* images) {
  sortImages_ = images;
  HWND h = Header();
  if (h) {
    HIMAGELIST il = images ? images->Handle(Dpi()) : nullptr;
    SendMessageW(h, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(il));
  }
  UpdateHeaderArrows();
}

void TSortLv::SetGridLines(bool on) {
  if (Handle())
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES,
                 on ? LVS_EX_GRIDLINES : 0);
}

LRESULT TSortLv::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CONTEXTMENU && OnContextMenu && Handle()) {
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (lp == -1) {
      // From the keyboard: below the selected row's caption.
      RECT r{8, 8, 8, 8};
      const int index = SelectedIndex();
      if (index >= 0) {
        RECT item{};
        item.left = LVIR_LABEL;
        if (SendMessageW(Handle(), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)))
          r = item;
      }
      p = POINT{r.left, r.bottom};
      ClientToScreen(Handle(), &p);
    }
    Fire(OnContextMenu, static_cast<int>(p.x), static_cast<int>(p.y));
    return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

bool TSortLv::HandleNotify(NMHDR* header, LRESULT& result) {
  result = 0;
  switch (header->code) {
    case LVN_COLUMNCLICK: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
      ClickColumn(nm->iSubItem);
      return true;
    }
    case LVN_ITEMCHANGED: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
      if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) {
        auto* row = reinterpret_cast<TLvRow*>(nm->lParam);
        if (nm->iItem >= 0 && Owns(row))
          Fire(OnSelectItem, row, (nm->uNewState & LVIS_SELECTED) != 0);
      }
      return true;
    }
    case NM_DBLCLK:
      DblClick();
      return true;
    case NM_CUSTOMDRAW: {
      auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
      if (!OnRowColor) {
        result = CDRF_DODEFAULT;
        return true;
      }
      if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
      }
      if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT ||
          cd->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
        auto* row = reinterpret_cast<const TLvRow*>(cd->nmcd.lItemlParam);
        COLORREF color = Owns(row) && !Destroying() ? OnRowColor(*row) : CLR_NONE;
        if (color != CLR_NONE) {
          // Every column of the row, not only the first.
          cd->clrTextBk = color;
          result = CDRF_NEWFONT;
          if (!(cd->nmcd.dwDrawStage & CDDS_SUBITEM)) result |= CDRF_NOTIFYSUBITEMDRAW;
          return true;
        }
      }
      result = CDRF_DODEFAULT;
      return true;
    }
  }
  return false;
}
