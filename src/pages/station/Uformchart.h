// The throughput chart: the current transmit and receive rates as numbers
// and as two scrolling traces on a logarithmic scale. It has no timer; the
// link information page hands it every status sample while it is open.
#pragma once

#include <cstdint>
#include <utility>

#include "pages/station/Uchartlogic.h"
#include "shell/Uformbase.h"
#include "ui/Upicbutton.h"
#include "ui/Upicture.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFormChart : public TFormBase {
 public:
  explicit TFormChart(TComponent* owner = nullptr);

  TImage* ImgBG;
  TLabel* LbDataRate;
  TLabel* LbTx;
  TEdit* EdtTx;
  TLabel* LbTxKbps;
  TLabel* LbRx;
  TEdit* EdtRx;
  TLabel* LbRxKbps;
  TPaintBox* PBoxTx;
  TPaintBox* PBoxRx;
  TLabel* Lb0;
  TLabel* Lb10;
  TLabel* Lb100;
  TLabel* Lb1000;
  TLabel* Lb10000;
  TLabel* Lb100000;
  TPicButton* BtnClose;

  // Remembers the adapter, centres the window over the owner (or the
  // screen) and shows it modally; returns the modal result.
  int ShowChart(TForm* owner, CNICAdapter* adapter);
  // Everything of ShowChart except the modal loop.
  void Prepare(TForm* owner, CNICAdapter* adapter);

  // Passed on by the link information page.
  void AttachAdapter(CNICAdapter* adapter, int kind, int mode);
  void AdapterNotify(CNICAdapter* adapter, int code, int value);

  // One step of both traces from the adapter's status.
  void Sample();
  // Both numbers "0", both traces empty, the next linked sample starts over.
  void ResetChart();

  // The millisecond clock the samples are timed by (the tick count by
  // default); the next sample starts over.
  void SetClock(chartlogic::SampleClock::Source now) { clock_.SetSource(std::move(now)); }

  CNICAdapter* Adapter() const { return adapter_; }
  const chartlogic::PointList& TxPoints() const { return txPoints_; }
  const chartlogic::PointList& RxPoints() const { return rxPoints_; }
  // The grid in 96-DPI units (the traces' points are in these units).
  int GridWidth() const { return gridWidth_; }
  int GridHeight() const { return gridHeight_; }
  // The working picture of a trace (the grid with its polyline), in pixels
  // at the chart's DPI.
  const TPicture& TracePicture(bool receive) const { return receive ? rxTrace_ : txTrace_; }

  void DialogKey(int id) override;

 protected:
  // Pictures at the new pixel size, the traces drawn again from their
  // points, the rate rows measured again.
  void DpiChanged(UINT oldDpi, UINT newDpi) override;

 private:
  void PlaceRateRow(TLabel* caption, TEdit* value, TLabel* unit);
  void PlaceScaleLabels();
  // Grid and trace pictures at the pixel size for the chart's DPI.
  void MakePictures();
  void DrawGrid();
  // Both traces from the bare grid and their points.
  void RedrawTraces();
  void DrawTrace(TPicture& picture, const chartlogic::PointList& list);
  void PaintBox(HDC dc, const RECT& rect, const TPicture& picture);
  // The traces are read as their rates: a change of the numbers (shown
  // before as "tx/rx") renames them.
  void AnnounceRates(const std::string& before);

  CNICAdapter* adapter_ = nullptr;
  bool firstSample_ = true;
  chartlogic::SampleClock clock_;
  uint64_t prevRx_ = 0;
  uint64_t prevTx_ = 0;
  chartlogic::PointList txPoints_;
  chartlogic::PointList rxPoints_;
  int gridWidth_ = 1;
  int gridHeight_ = 1;
  TPicture grid_;
  TPicture txTrace_;
  TPicture rxTrace_;
};
