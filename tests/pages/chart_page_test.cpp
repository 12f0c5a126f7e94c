// The throughput chart on the simulated adapter: the link page's chart
// button, the chart's numbers and traces from real status samples, and the
// chart opened from the main window closing when the adapter is unplugged.
#include "adapter/Unicadapter.h"
#include "config/Unotify.h"
#include "pages/station/Uformchart.h"
#include "pages/station/Uframelinkinfo.h"
#include "shell/tformmain_support.h"

using namespace mainwin;

namespace {

TEST(ChartButton, IsEnabledExactlyWhileTheUtilityManagesTheAdapter) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  TForm host(nullptr, "FormHost");
  CNICAdapter adapter(nullptr, 0, TestDevice());
  auto* page = new TFrameLinkInfo(&host, &host);
  page->InitPage();
  EXPECT_FALSE(page->BtnTChart->Enabled());
  page->AttachAdapter(&adapter, kAttach, kModeAP);
  EXPECT_FALSE(page->BtnTChart->Enabled()) << "not a station page's adapter";
  page->AttachAdapter(&adapter, kAttach, kModeStation);
  EXPECT_TRUE(page->BtnTChart->Enabled());
  page->AdapterNotify(&adapter, kNotifyWZC, kWZCOn);
  EXPECT_FALSE(page->BtnTChart->Enabled());
  page->AdapterNotify(&adapter, kNotifyWZC, kWZCOff);
  EXPECT_TRUE(page->BtnTChart->Enabled());
  page->AttachAdapter(&adapter, kDetach, kModeStation);
  EXPECT_FALSE(page->BtnTChart->Enabled());

  adapter.UseWZC = true;
  page->AttachAdapter(&adapter, kAttach, kModeStation);
  EXPECT_FALSE(page->BtnTChart->Enabled()) << "Windows manages it: nothing to chart";
  page->BtnTChartClick();  // a click that slipped through opens nothing modal
  adapter.UseWZC = false;
  page->AttachAdapter(&adapter, kDetach, kModeStation);
  page->BtnTChartClick();
  EXPECT_EQ(TFrameLinkInfo::Chart(), nullptr);
}

TEST(Chart, NumbersAndTracesFollowTheSamplesAndAConnectionStartClearsThem) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  CNICAdapter adapter(nullptr, 0, TestDevice());
  TFormChart chart;
  // The test drives the chart's clock: a sample is 1.1 s after the one
  // before whatever the machine's load.
  DWORD now = 1000;
  chart.SetClock([&] { return now; });
  chart.Prepare(nullptr, &adapter);
  EXPECT_EQ(chart.GridWidth(), 186);
  EXPECT_EQ(chart.GridHeight(), 90);
  EXPECT_EQ(chart.LbTxKbps->Caption(), "Kbps");

  // Without a link: zeros along the bottom.
  chart.AdapterNotify(&adapter, kNotifyStatus, 0);
  EXPECT_TRUE(chart.TxPoints().empty()) << "the first sample has no elapsed time";
  now += 1100;
  chart.AdapterNotify(&adapter, kNotifyStatus, 0);
  ASSERT_EQ(chart.RxPoints().size(), 1u);
  EXPECT_EQ(chart.RxPoints().back().Seconds, 1);
  EXPECT_EQ(chart.RxPoints().back().Height, 1);
  EXPECT_EQ(chart.EdtRx->Text(), "0");

  adapter.Connect(adapter.DefProf);
  ASSERT_TRUE(Linked(adapter));
  now += 1100;
  chart.Sample();  // the first linked sample only takes the counters
  EXPECT_EQ(chart.EdtTx->Text(), "0");
  EXPECT_EQ(chart.TxPoints().back().Height, 1);
  // The chart took these counters or older ones. The next sample waits for
  // the worker's snapshot to show two kilobits more each way: over the 1.1 s
  // of its clock a rate the scale shows above its bottom line.
  WLStatus after{};
  adapter.GetStatus(after);
  constexpr uint64_t kTwoKilobits = 2 * 128;
  ASSERT_TRUE(WaitUntil(
      [&] {
        WLStatus s{};
        adapter.GetStatus(s);
        return s.RxCounter >= after.RxCounter + kTwoKilobits &&
               s.TxCounter >= after.TxCounter + kTwoKilobits;
      },
      kGenerous))
      << "the link carried no traffic";
  now += 1100;
  chart.Sample();
  EXPECT_NE(chart.EdtRx->Text(), "0");
  EXPECT_NE(chart.EdtTx->Text(), "0");
  EXPECT_GT(chart.RxPoints().back().Height, 1);
  EXPECT_GT(chart.TxPoints().back().Height, 1);
  EXPECT_EQ(chart.RxPoints().size(), 3u);

  // Moved to a monitor at 200 % and back: the trace is kept in grid units,
  // drawn again at twice the pixels, and comes back pixel for pixel.
  const auto pixels = [](const TPicture& p) {
    std::vector<uint32_t> v;
    for (int y = 0; y < p.PixelHeight(); ++y)
      for (int x = 0; x < p.PixelWidth(); ++x) v.push_back(p.Pixel(x, y) & 0xFFFFFF);
    return v;
  };
  const std::vector<uint32_t> before = pixels(chart.TracePicture(true));
  ASSERT_EQ(chart.TracePicture(true).PixelWidth(), 186);
  chart.ApplyDpi(192, nullptr);
  const TPicture& large = chart.TracePicture(true);
  EXPECT_EQ(std::make_pair(large.PixelWidth(), large.PixelHeight()), std::make_pair(372, 180));
  EXPECT_EQ(large.Dpi(), 192u);
  EXPECT_EQ(chart.GridWidth(), 186) << "the grid's units stay";
  const POINT newest = chartlogic::TracePoints(chart.RxPoints(), 186, 90, 192).front();
  EXPECT_EQ(large.Pixel(newest.x, newest.y) & 0xFFFFFF, 0xFFFFFFu) << "the trace is drawn";
  bool dotted = false;  // a grid line at its scaled place
  for (int x = 0; x < 12; ++x)
    dotted |= (large.Pixel(x, chartlogic::GridLineY(2, 90, 192)) & 0xFFFFFF) != 0;
  EXPECT_TRUE(dotted);
  chart.ApplyDpi(96, nullptr);
  EXPECT_EQ(pixels(chart.TracePicture(true)), before);

  // Access-point side events are not the chart's; a station connection is.
  chart.AdapterNotify(&adapter, kNotifyConnecting, kNotifyAPSide);
  EXPECT_EQ(chart.RxPoints().size(), 3u);
  chart.AdapterNotify(&adapter, kNotifyConnecting, 0);
  EXPECT_TRUE(chart.RxPoints().empty());
  EXPECT_TRUE(chart.TxPoints().empty());
  EXPECT_EQ(chart.EdtRx->Text(), "0");

  chart.AttachAdapter(&adapter, kDetach, kModeStation);
  EXPECT_EQ(chart.Adapter(), nullptr);
  chart.AdapterNotify(&adapter, kNotifyStatus, 0);
  EXPECT_TRUE(chart.RxPoints().empty()) << "no adapter, no samples";
}

TEST(Chart, OpensFromTheLinkPageMovesWithTrafficAndClosesWhenTheAdapterIsUnplugged) {
  MainWindowEnv env;
  ASSERT_TRUE(env.Bound());
  auto* form = new TFormMain(nullptr);
  form->Start(0);
  Application.MainWindow = form->Handle();
  ASSERT_TRUE(WaitAdapter(form, true));
  form->Show();
  TFrameLinkInfo* page = form->FrameLinkInfo1;
  ASSERT_TRUE(page->BtnTChart->Enabled());

  bool moved = false, second = false;
  const DWORD start = GetTickCount();
  Every(100, [&] {
    TFormChart* chart = TFrameLinkInfo::Chart();
    if (!chart) return GetTickCount() - start > kGenerous;
    if (chart->Adapter() != form->Adapter()) return false;
    if (GetTickCount() - start > kGenerous) {
      chart->SetModalResult(mrOk);  // never moved: give up without hanging
      return true;
    }
    if (chart->RxPoints().size() < 2 || chart->EdtRx->Text() == "0") return false;
    moved = true;
    page->BtnTChartClick();  // one chart at a time
    second = TFormBase::TopModalForm() != chart;
    env.WriteWorld(false);
    return true;
  });
  page->BtnTChartClick();
  EXPECT_TRUE(moved) << "the traces never moved with the traffic";
  EXPECT_FALSE(second);
  EXPECT_EQ(TFrameLinkInfo::Chart(), nullptr);
  EXPECT_TRUE(WaitAdapter(form, false)) << "the chart closed, the adapter went";
  delete form;
}

}  // namespace
