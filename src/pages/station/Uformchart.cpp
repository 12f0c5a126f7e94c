#include "pages/station/Uformchart.h"

#include <cstdio>

#include "adapter/Unicadapter.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "pages/station/Upageparts.h"
#include "shell/Uaccessnames.h"
#include "ui/Uaccessible.h"
#include "ui/Upalette.h"

using namespace chartlogic;

namespace {

constexpr int kWidth = 460;
constexpr int kHeight = 300;
// The paint boxes at their usual size; the grid leaves 2 units of frame.
constexpr int kBoxWidth = 190;
constexpr int kBoxHeight = 94;
constexpr int kFrame = 2;
constexpr int kBoxTop = 150;
constexpr int kTxLeft = 16;
constexpr int kRxLeft = kWidth - 16 - kBoxWidth;
constexpr int kRowTop = 106;
constexpr int kEditWidth = 72;
constexpr int kScaleHeight = 13;

// Copies one picture's bitmap onto another of the same size.
void CopyPicture(const TPicture& to, const TPicture& from) {
  HDC src = CreateCompatibleDC(nullptr);
  HDC dst = CreateCompatibleDC(nullptr);
  HGDIOBJ oldSrc = SelectObject(src, from.Handle());
  HGDIOBJ oldDst = SelectObject(dst, to.Handle());
  BitBlt(dst, 0, 0, to.PixelWidth(), to.PixelHeight(), src, 0, 0, SRCCOPY);
  SelectObject(dst, oldDst);
  SelectObject(src, oldSrc);
  DeleteDC(dst);
  DeleteDC(src);
}

}  // namespace

TFormChart::TFormChart(TComponent* owner)
    : TFormBase(owner, "FormChart", WS_POPUP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT) {
  SetColor(palette::Panel);
  accessnames::DescribeDialog(this);
  ImgBG = MakeBorderlessBackground(pageparts::Picture("ImgChartBG"), kWidth, kHeight);

  LbDataRate = pageparts::MakeHeading(this, this, "LbDataRate", "Data Rate", 16, 64, 200);
  LbTx = pageparts::MakeCaption(this, this, "LbTx", "Transmit", kTxLeft + 12, kRowTop + 3);
  EdtTx = new TEdit(this, this, "EdtTx");
  LbTxKbps = pageparts::MakeCaption(this, this, "LbTxKbps", "Kbps", 0, kRowTop + 3);
  LbRx = pageparts::MakeCaption(this, this, "LbRx", "Receive", kRxLeft + 12, kRowTop + 3);
  EdtRx = new TEdit(this, this, "EdtRx");
  LbRxKbps = pageparts::MakeCaption(this, this, "LbRxKbps", "Kbps", 0, kRowTop + 3);
  for (TEdit* e : {EdtTx, EdtRx}) {
    e->SetBounds(0, kRowTop, kEditWidth, 21);
    e->SetReadOnly(true);
  }

  PBoxTx = new TPaintBox(this, this, "PBoxTx");
  PBoxTx->SetBounds(kTxLeft, kBoxTop, kBoxWidth, kBoxHeight);
  PBoxRx = new TPaintBox(this, this, "PBoxRx");
  PBoxRx->SetBounds(kRxLeft, kBoxTop, kBoxWidth, kBoxHeight);
  PBoxTx->OnPaint = [this](HDC dc, const RECT& r) { PaintBox(dc, r, txTrace_); };
  PBoxRx->OnPaint = [this](HDC dc, const RECT& r) { PaintBox(dc, r, rxTrace_); };

  // One scale between the two boxes serves both.
  TLabel** scale[] = {&Lb0, &Lb10, &Lb100, &Lb1000, &Lb10000, &Lb100000};
  const char* texts[] = {"0", "10", "100", "1000", "10000", "100000"};
  for (int i = 0; i < 6; ++i) {
    auto* l = new TLabel(this, this, std::string("Lb") + texts[i], texts[i]);
    l->SetFontHeight(-10);
    l->SetFontColor(palette::CaptionText);
    l->SetShowAccelChar(false);
    l->SetAlignment(TAlignment::Center);
    *scale[i] = l;
  }

  // Enter and Escape close the chart too (DialogKey).
  BtnClose = MakeBorderlessFrame(ImgBG);
  accessnames::DescribeTrace(PBoxTx, EdtTx, "ChartTx", "Transmit: %s Kbps");
  accessnames::DescribeTrace(PBoxRx, EdtRx, "ChartRx", "Receive: %s Kbps");

  // Texts and layout.
  ApplyLayout(this, Name());
  LocaliseLabels(Name());
  SetCaption(g_GlobalVar.AppTitle);
  LbTxKbps->SetCaption(g_GlobalVar.CommonStrings[csKbps]);
  LbRxKbps->SetCaption(g_GlobalVar.CommonStrings[csKbps]);
  const TPicture& mark = pageparts::Picture("ImgMark");
  if (!mark.Empty()) {
    PlaceMarkImage(LbTx, &mark);
    PlaceMarkImage(LbRx, &mark);
  }
  PlaceRateRow(LbTx, EdtTx, LbTxKbps);
  PlaceRateRow(LbRx, EdtRx, LbRxKbps);
  PlaceScaleLabels();

  const int gridWidth = PBoxTx->Width() - 2 * kFrame;
  const int gridHeight = PBoxTx->Height() - 2 * kFrame;
  gridWidth_ = gridWidth > 0 ? gridWidth : 1;
  gridHeight_ = gridHeight > 0 ? gridHeight : 1;
  MakePictures();
  ResetChart();
}

void TFormChart::MakePictures() {
  const UINT dpi = Dpi();
  const SIZE px = GridPixels(gridWidth_, gridHeight_, dpi);
  grid_ = TPicture::CreateOpaque(px.cx, px.cy, palette::ChartBackground, dpi);
  DrawGrid();
  txTrace_ = TPicture::CreateOpaque(px.cx, px.cy, palette::ChartBackground, dpi);
  rxTrace_ = TPicture::CreateOpaque(px.cx, px.cy, palette::ChartBackground, dpi);
  RedrawTraces();
}

void TFormChart::RedrawTraces() {
  // An empty list leaves the bare grid.
  for (auto [picture, list] :
       {std::pair{&txTrace_, &txPoints_}, std::pair{&rxTrace_, &rxPoints_}}) {
    CopyPicture(*picture, grid_);
    DrawTrace(*picture, *list);
  }
}

void TFormChart::DpiChanged(UINT oldDpi, UINT newDpi) {
  TFormBase::DpiChanged(oldDpi, newDpi);
  // Captions measure differently at another DPI (fonts do not grow in
  // step with the layout); the points are kept and drawn anew.
  PlaceRateRow(LbTx, EdtTx, LbTxKbps);
  PlaceRateRow(LbRx, EdtRx, LbRxKbps);
  MakePictures();
  PBoxTx->Invalidate();
  PBoxRx->Invalidate();
}

void TFormChart::PlaceRateRow(TLabel* caption, TEdit* value, TLabel* unit) {
  FitLabel(caption);
  value->SetBounds(caption->Left() + caption->Width(), value->Top(), value->Width(),
                   value->Height());
  unit->SetLeft(value->Left() + value->Width() + 4);
  FitLabel(unit);
}

void TFormChart::PlaceScaleLabels() {
  // Centred on their grid lines, between the two boxes; the bottom of the
  // grid is the "0" line and its top 100000.
  const int left = PBoxTx->Left() + PBoxTx->Width();
  const int width = PBoxRx->Left() - left;
  const int gridTop = PBoxTx->Top() + kFrame;
  const int gridHeight = PBoxTx->Height() - 2 * kFrame;
  TLabel* scale[] = {Lb0, Lb10, Lb100, Lb1000, Lb10000, Lb100000};
  for (int i = 0; i < 6; ++i) {
    const int y = i == 0 ? gridHeight : (i == 5 ? 0 : GridLineY(5 - i, gridHeight));
    scale[i]->SetBounds(left, gridTop + y - kScaleHeight / 2, width > 0 ? width : 0, kScaleHeight);
  }
}

void TFormChart::DrawGrid() {
  const int w = Px(1);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBitmap = SelectObject(dc, grid_.Handle());
  // Dots as long as they are thick: a wide cosmetic dotted pen would be
  // drawn solid.
  HPEN pen = nullptr;
  if (w <= 1) {
    pen = CreatePen(PS_DOT, 1, palette::ChartGrid);
  } else {
    LOGBRUSH brush{BS_SOLID, palette::ChartGrid, 0};
    const DWORD dashes[2] = {3u * w, 3u * w};
    pen = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, static_cast<DWORD>(w), &brush,
                       2, dashes);
  }
  HGDIOBJ oldPen = SelectObject(dc, pen);
  SetBkColor(dc, palette::ChartBackground);
  SetBkMode(dc, OPAQUE);
  for (int i = 1; i < kDecades; ++i) {
    const int y = GridLineY(i, gridHeight_, Dpi());
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, grid_.PixelWidth(), y);
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
}

void TFormChart::DrawTrace(TPicture& picture, const PointList& list) {
  if (list.empty()) return;
  const std::vector<POINT> points = TracePoints(list, gridWidth_, gridHeight_, Dpi());
  HDC dst = CreateCompatibleDC(nullptr);
  HGDIOBJ oldDst = SelectObject(dst, picture.Handle());
  HPEN pen = CreatePen(PS_SOLID, Px(1), RGB(0xFF, 0xFF, 0xFF));
  HGDIOBJ oldPen = SelectObject(dst, pen);
  Polyline(dst, points.data(), static_cast<int>(points.size()));
  SelectObject(dst, oldPen);
  DeleteObject(pen);
  SelectObject(dst, oldDst);
  DeleteDC(dst);
}

void TFormChart::PaintBox(HDC dc, const RECT& rect, const TPicture& picture) {
  // rect is the box in pixels; the grid sits centred in its sunken frame.
  RECT frame = rect;
  DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  picture.Draw(dc, rect.left + (w - picture.PixelWidth()) / 2,
               rect.top + (h - picture.PixelHeight()) / 2);
}

void TFormChart::Prepare(TForm* owner, CNICAdapter* adapter) {
  adapter_ = adapter;
  CenterOn(owner && owner->Showing() ? owner : nullptr);
}

int TFormChart::ShowChart(TForm* owner, CNICAdapter* adapter) {
  Prepare(owner, adapter);
  PopupParent = owner && owner->Showing() ? owner : nullptr;
  return ShowModal();
}

void TFormChart::AttachAdapter(CNICAdapter* adapter, int kind, int mode) {
  if (kind == kAttach) {
    if (adapter && !(mode & kModeAP)) adapter_ = adapter;
  } else if (kind == kDetach) {
    ResetChart();
    adapter_ = nullptr;
  }
}

void TFormChart::AdapterNotify(CNICAdapter* adapter, int code, int value) {
  (void)adapter;
  if (!adapter_) return;
  if (code == kNotifyStatus)
    Sample();
  else if (code == kNotifyConnecting && !(value & kNotifyAPSide))
    ResetChart();
}

void TFormChart::ResetChart() {
  const std::string shown = EdtTx->Text() + "/" + EdtRx->Text();
  EdtTx->SetText("0");
  EdtRx->SetText("0");
  AnnounceRates(shown);
  firstSample_ = true;
  clock_.Restart();
  txPoints_.clear();
  rxPoints_.clear();
  RedrawTraces();
  PBoxTx->Invalidate();
  PBoxRx->Invalidate();
}

void TFormChart::Sample() {
  if (!adapter_) return;
  WLStatus status{};
  adapter_->GetStatus(status);
  const DWORD elapsed = clock_.Elapsed();

  const std::string shown = EdtTx->Text() + "/" + EdtRx->Text();
  double tx = 0, rx = 0;
  if (status.MediaState != 0) {
    EdtTx->SetText("0");
    EdtRx->SetText("0");
  } else {
    if (firstSample_) {
      firstSample_ = false;
    } else {
      tx = ChartRate(status.TxCounter, prevTx_, elapsed);
      rx = ChartRate(status.RxCounter, prevRx_, elapsed);
      char text[64];
      std::snprintf(text, sizeof text, "%.0f", tx);
      EdtTx->SetText(text);
      std::snprintf(text, sizeof text, "%.0f", rx);
      EdtRx->SetText(text);
    }
    prevTx_ = status.TxCounter;
    prevRx_ = status.RxCounter;
  }
  AnnounceRates(shown);
  AddPoint(txPoints_, elapsed, tx, gridWidth_, gridHeight_);
  AddPoint(rxPoints_, elapsed, rx, gridWidth_, gridHeight_);
  RedrawTraces();
  PBoxTx->Repaint();
  PBoxRx->Repaint();
}

void TFormChart::AnnounceRates(const std::string& before) {
  // Each trace only when its own rate changed: a screen reader would read
  // the other one again for nothing.
  const size_t cut = before.find('/');
  const std::string tx = before.substr(0, cut);
  const std::string rx = cut == std::string::npos ? std::string() : before.substr(cut + 1);
  if (tx != EdtTx->Text()) ui::access::NotifyNameChange(PBoxTx);
  if (rx != EdtRx->Text()) ui::access::NotifyNameChange(PBoxRx);
}

void TFormChart::DialogKey(int id) {
  if (id == IDOK || id == IDCANCEL) SetModalResult(mrOk);
}
