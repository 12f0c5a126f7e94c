// The rules of the throughput chart that need no window: the measured rate,
// the height of a point on the logarithmic scale, the point lists and where
// their points lie in the trace. Points are kept in 96-DPI units of the
// grid, so a trace outlives a change of the window's DPI; they become pixels
// only when drawn.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace chartlogic {

// One sample of a trace: whole seconds since the sample before it, and its
// height in 96-DPI units above the bottom of the grid.
struct ChartPoint {
  int Seconds;
  int Height;
};
using PointList = std::deque<ChartPoint>;

// The scale has five decades (1 to 100000 kbit/s), one per fifth of the grid.
constexpr int kDecades = 5;

// Transfer rate in kbit/s from two byte counters elapsedMs apart; 0 when the
// counter went backwards (the adapter was reset) or no time passed.
double ChartRate(uint64_t now, uint64_t before, uint32_t elapsedMs);

// Height of a rate on a grid gridHeight units high: the decades of the rate
// times a fifth of the grid, at most the grid's height. A rate of 0 and one
// that rounds to 0 lie on the bottom line (1); a rate below 1 kbit/s gives a
// negative height, which lies below the visible area.
int PointHeight(double rate, int gridHeight);

// Appends the point of a sample taken elapsedMs after the one before it;
// nothing when no time passed. The list keeps at most gridWidth + 1 points,
// dropping the oldest first.
void AddPoint(PointList& list, uint32_t elapsedMs, double rate, int gridWidth, int gridHeight);

// The polyline of a list in pixels of a grid gridWidth x gridHeight units
// drawn at dpi (GridPixels): the newest point at the right edge, each older
// one 2 units per second of its successor's distance further left, ending
// with the first point that falls left of the grid. Distances are scaled
// from the newest point, so rounding never adds up along the trace.
std::vector<POINT> TracePoints(const PointList& list, int gridWidth, int gridHeight, UINT dpi = 96);

// The pixel size of a grid of gridWidth x gridHeight units at dpi.
SIZE GridPixels(int gridWidth, int gridHeight, UINT dpi);

// Milliseconds between samples, read from a millisecond clock: the
// system's tick count, or a test's. The first sample after a start (or a
// Restart) has no elapsed time.
class SampleClock {
 public:
  using Source = std::function<DWORD()>;
  explicit SampleClock(Source now = GetTickCount) : now_(std::move(now)) {}

  void SetSource(Source now);
  void Restart() { started_ = false; }
  // The time since the sample before; the tick count's wrap is harmless.
  uint32_t Elapsed();

 private:
  Source now_;
  bool started_ = false;
  DWORD last_ = 0;
};

// Vertical position of grid line i (1 to 4, top to bottom) on the grid, in
// units; in pixels at dpi when given (where the trace's decades lie).
int GridLineY(int i, int gridHeight);
int GridLineY(int i, int gridHeight, UINT dpi);

}  // namespace chartlogic
