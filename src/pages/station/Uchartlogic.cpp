#include "pages/station/Uchartlogic.h"

#include <cmath>
#include <utility>

#include "ui/Udpi.h"

namespace chartlogic {

double ChartRate(uint64_t now, uint64_t before, uint32_t elapsedMs) {
  if (now < before || elapsedMs == 0) return 0.0;
  // Units of 128 bytes are kilobits.
  return static_cast<double>((now - before) >> 7) / elapsedMs * 1000.0;
}

int PointHeight(double rate, int gridHeight) {
  int h = 1;
  if (rate > 0) {
    // The epsilon keeps a whole decade (log10 of 10 may come out a hair
    // below 1) on its grid line.
    const double scaled = std::trunc(std::log10(rate) * (gridHeight / kDecades) + 1e-9);
    // Far beyond the top (or not a number): the top.
    h = scaled >= gridHeight || std::isnan(scaled) ? gridHeight : static_cast<int>(scaled);
  }
  if (h > gridHeight)
    h = gridHeight;
  else if (h == 0)
    h = 1;
  return h;
}

void AddPoint(PointList& list, uint32_t elapsedMs, double rate, int gridWidth, int gridHeight) {
  if (elapsedMs == 0) return;
  const int h = PointHeight(rate, gridHeight);
  while (!list.empty() && static_cast<int>(list.size()) > gridWidth) list.pop_front();
  list.push_back({static_cast<int>(elapsedMs / 1000), h});
}

std::vector<POINT> TracePoints(const PointList& list, int gridWidth, int gridHeight, UINT dpi) {
  using ui::dpi::Scale;
  std::vector<POINT> points;
  const long right = Scale(gridWidth, dpi) - 1;
  // Units left of the newest point; bounded, since the trace stops at the
  // first point left of the grid.
  long back = 0;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const long x = right - Scale(static_cast<int>(back), dpi);
    points.push_back({x, Scale(gridHeight - it->Height, dpi)});
    if (x < 0) break;
    back += 2L * it->Seconds;
  }
  return points;
}

SIZE GridPixels(int gridWidth, int gridHeight, UINT dpi) {
  return {ui::dpi::Scale(gridWidth, dpi), ui::dpi::Scale(gridHeight, dpi)};
}

void SampleClock::SetSource(Source now) {
  now_ = std::move(now);
  started_ = false;
}

uint32_t SampleClock::Elapsed() {
  const DWORD now = now_();
  const DWORD elapsed = started_ ? now - last_ : 0;
  started_ = true;
  last_ = now;
  return elapsed;
}

int GridLineY(int i, int gridHeight) {
  return gridHeight / kDecades * i;
}

int GridLineY(int i, int gridHeight, UINT dpi) {
  return ui::dpi::Scale(GridLineY(i, gridHeight), dpi);
}

}  // namespace chartlogic
