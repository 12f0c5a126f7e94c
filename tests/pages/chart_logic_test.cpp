// The throughput chart's rules without a window: measured rates, heights on
// the logarithmic scale, the bounded point lists and the trace geometry.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "pages/station/Uchartlogic.h"
#include "ui/Udpi.h"

using namespace chartlogic;

namespace {

constexpr int kW = 186;  // the grid of the chart's 190 x 94 paint box
constexpr int kH = 90;

TEST(ChartLogic, RatesInKilobitsPerSecond) {
  EXPECT_DOUBLE_EQ(ChartRate(128000, 0, 1000), 1000.0);
  EXPECT_DOUBLE_EQ(ChartRate(1128000, 1000000, 2000), 500.0);
  EXPECT_DOUBLE_EQ(ChartRate(128, 0, 2000), 0.5) << "fractions are kept";
  EXPECT_DOUBLE_EQ(ChartRate(100, 5000, 1000), 0.0) << "a counter that went backwards";
  EXPECT_DOUBLE_EQ(ChartRate(5000, 100, 0), 0.0) << "no time passed";
  EXPECT_GT(ChartRate(UINT64_MAX, 0, 1), 1e15);
}

TEST(ChartLogic, HeightsFollowTheDecadesAndStayOnTheGrid) {
  EXPECT_EQ(PointHeight(100, kH), 36);
  EXPECT_EQ(PointHeight(10, kH), 18);
  EXPECT_EQ(PointHeight(99999, kH), 89);
  EXPECT_EQ(PointHeight(100000, kH), 90);
  EXPECT_EQ(PointHeight(5e9, kH), 90);
  EXPECT_EQ(PointHeight(std::numeric_limits<double>::infinity(), kH), 90);
  EXPECT_EQ(PointHeight(0, kH), 1) << "no traffic runs along the bottom";
  EXPECT_EQ(PointHeight(1, kH), 1) << "height 0 is lifted to the bottom line";
  EXPECT_EQ(PointHeight(1.1, kH), 1);
  EXPECT_EQ(PointHeight(0.5, kH), -5) << "below 1 kbit/s lies under the visible area";
}

TEST(ChartLogic, PointsNeedElapsedTimeAndTheListIsBounded) {
  PointList list;
  AddPoint(list, 0, 100, kW, kH);
  EXPECT_TRUE(list.empty());
  AddPoint(list, 2999, 100, kW, kH);
  AddPoint(list, 500, 0, kW, kH);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Seconds, 2);
  EXPECT_EQ(list[0].Height, 36);
  EXPECT_EQ(list[1].Seconds, 0) << "whole seconds";
  EXPECT_EQ(list[1].Height, 1);

  for (int i = 0; i < 3 * kW; ++i) AddPoint(list, 1000, i + 2, kW, kH);
  ASSERT_EQ(list.size(), static_cast<size_t>(kW + 1));
  EXPECT_EQ(list.back().Height, PointHeight(3 * kW + 1, kH)) << "the newest stays";
  EXPECT_EQ(list.front().Height, PointHeight(3 * kW + 1 - kW, kH)) << "the oldest went first";
}

TEST(ChartLogic, SamplesAreTimedByTheirClockAcrossItsWrapAndARestartStartsOver) {
  DWORD now = 0xFFFFFF00u;
  SampleClock clock([&] { return now; });
  EXPECT_EQ(clock.Elapsed(), 0u) << "the first sample has no elapsed time";
  now += 0x180;  // past the 49.7-day wrap of the tick count
  EXPECT_EQ(clock.Elapsed(), 0x180u);
  now += 1100;
  EXPECT_EQ(clock.Elapsed(), 1100u);
  EXPECT_EQ(clock.Elapsed(), 0u) << "no time passed";
  clock.Restart();
  now += 5000;
  EXPECT_EQ(clock.Elapsed(), 0u);
  now += 7;
  EXPECT_EQ(clock.Elapsed(), 7u);
  DWORD other = 0;
  clock.SetSource([&] { return other; });
  EXPECT_EQ(clock.Elapsed(), 0u) << "a new clock starts over";
  other = 40;
  EXPECT_EQ(clock.Elapsed(), 40u);
}

TEST(ChartLogic, TheNewestPointSitsAtTheRightEdgeAndOlderOnesTwoPixelsPerSecondLeft) {
  EXPECT_TRUE(TracePoints({}, kW, kH).empty());
  PointList list{{2, 36}, {0, 18}, {3, 90}};  // oldest first
  const auto points = TracePoints(list, kW, kH);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].x, kW - 1);
  EXPECT_EQ(points[0].y, 0) << "the top";
  EXPECT_EQ(points[1].x, kW - 1 - 6);
  EXPECT_EQ(points[1].y, kH - 18);
  EXPECT_EQ(points[2].x, points[1].x) << "less than a second apart: the same x";
  EXPECT_EQ(points[2].y, kH - 36);

  // The trace ends with the first point left of the grid.
  PointList many(200, ChartPoint{2, 1});
  const auto cut = TracePoints(many, kW, kH);
  ASSERT_FALSE(cut.empty());
  EXPECT_LT(cut.back().x, 0);
  EXPECT_GE(cut[cut.size() - 2].x, 0);
  EXPECT_EQ(cut.size(), static_cast<size_t>((kW - 1) / 4 + 2));
}

// Points stay in grid units; only drawing maps them to pixels. At every
// scale the trace spans the scaled grid, keeps its shape without rounding
// adding up along it, and a whole decade lies on its scaled grid line.
TEST(ChartLogic, TracesMapTheSameUnitsToThePixelsOfEveryScale) {
  PointList list, decades;
  for (int i = 0; i < 120; ++i) AddPoint(list, 1000 + (i % 3) * 700, 10 + i * 40, kW, kH);
  AddPoint(decades, 1000, 100, kW, kH);  // 100 kbit/s on grid line 3 from the top
  AddPoint(decades, 1000, 10, kW, kH);   // 10 on line 4
  const auto units = TracePoints(list, kW, kH);
  for (UINT dpi : {96u, 120u, 144u, 192u}) {
    SCOPED_TRACE(dpi);
    const SIZE grid = GridPixels(kW, kH, dpi);
    EXPECT_EQ(std::make_pair(grid.cx, grid.cy),
              std::make_pair(LONG{ui::dpi::Scale(kW, dpi)}, LONG{ui::dpi::Scale(kH, dpi)}));
    const auto px = TracePoints(list, kW, kH, dpi);
    ASSERT_GE(px.size(), 2u);
    if (dpi == 96) {
      EXPECT_EQ(px.size(), units.size()) << "96 DPI is the unit";
    }
    EXPECT_EQ(px.front().x, grid.cx - 1) << "the newest at the right edge";
    for (size_t i = 0; i < px.size() && i < units.size(); ++i) {
      // Each point where its unit position scales to, within a pixel.
      const int exact = grid.cx - 1 - (kW - 1 - units[i].x) * static_cast<int>(dpi) / 96;
      EXPECT_LE(std::abs(px[i].x - exact), 1) << "point " << i;
      EXPECT_EQ(px[i].y, ui::dpi::Scale(units[i].y, dpi)) << "point " << i;
    }
    EXPECT_LT(px.back().x, 0) << "the trace ends left of the grid";
    EXPECT_GE(px[px.size() - 2].x, 0);
    const auto d = TracePoints(decades, kW, kH, dpi);
    EXPECT_EQ(d[0].y, GridLineY(4, kH, dpi));
    EXPECT_EQ(d[1].y, GridLineY(3, kH, dpi));
  }
}

}  // namespace
