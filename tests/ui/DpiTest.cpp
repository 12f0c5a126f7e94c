// Display scaling beyond what the walk of the program's windows shows:
// clicks, painting at pixel edges, measuring, centring, and a form taken
// from one DPI to another and back.
#include <gtest/gtest.h>

#include "common/PixelFit.h"
#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upicbutton.h"
#include "ui/Upicture.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"

using namespace wutest;

namespace {

template <class C>
C* Place(C* c, int left, int top, int width, int height) {
  c->SetBounds(left, top, width, height);
  return c;
}

void Press(HWND w, int x, int y) {
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST(Dpi, EdgesTouchClicksLandMeasuresRoundUpAndFormsCentreAtEachScale) {
  for (UINT dpi : {96u, 120u, 144u, 192u}) {
    SCOPED_TRACE(dpi);
    ScopedDpi scale(dpi);
    TForm form(nullptr, "FormDpi");
    form.SetClientSize(400, 300);
    auto* label = Place(new TLabel(&form, &form, "LbA", "Network Name (SSID):"), 10, 10, 100, 13);
    auto* box = Place(new TPaintBox(&form, &form, "PBoxA"), 50, 80, 40, 40);
    auto* left = Place(new TEdit(&form, &form, "EdtA"), 120, 10, 33, 21);
    auto* right = Place(new TEdit(&form, &form, "EdtB"), 153, 10, 67, 21);
    auto* frame = Place(new TFrame(&form, &form, "FrameA"), 10, 180, 301, 111);
    auto* swatch = Place(new TLabel(&form, frame, "LbSwatch"), 150, 50, 21, 11);
    swatch->SetColor(RGB(255, 0, 0));
    frame->Show();

    // Touching controls still touch, and the bounds do not drift.
    EXPECT_EQ(PixelRectOf(left).right, PixelRectOf(right).left);
    EXPECT_EQ(left->BoundsRect(), (RECT{120, 10, 153, 31}));

    // Measured in 96-DPI units rounded up: scaled back it holds the text.
    const int real = DrawnSize(label->FontHandle(), label->Caption(), DT_SINGLELINE).cx;
    const int measured = label->MeasureCaption().cx;
    EXPECT_TRUE(ui::dpi::Scale(measured, dpi) >= real && ui::dpi::Scale(measured - 1, dpi) <= real)
        << measured;
    EXPECT_EQ(label->TextExtent(label->Caption()).cx, measured);

    // A graphic child paints exactly over its pixel bounds.
    Snapshot shot(frame->Handle());
    const RECT sw = swatch->PixelBounds();
    EXPECT_EQ(shot.At(sw.left, sw.top), 0xFF0000u);
    EXPECT_EQ(shot.At(sw.right - 1, sw.bottom - 1), 0xFF0000u);
    EXPECT_NE(shot.At(sw.right, sw.bottom - 1), 0xFF0000u);
    EXPECT_NE(shot.At(sw.left - 1, sw.top), 0xFF0000u);

    // Clicks at pixel points reach it in 96-DPI units; its last pixel is
    // its own, the one beside it is not.
    POINT got{-1, -1};
    int clicks = 0;
    box->OnMouseDown = [&got](TMouseButton, UINT, int x, int y) { got = POINT{x, y}; };
    box->OnClick = [&clicks] { ++clicks; };
    const RECT b = box->PixelBounds();
    Press(form.Handle(), ui::dpi::Scale(60, dpi), ui::dpi::Scale(90, dpi));
    EXPECT_TRUE(std::abs(got.x - 10) <= 1 && std::abs(got.y - 10) <= 1) << got.x << "," << got.y;
    Press(form.Handle(), b.right - 1, b.bottom - 1);
    EXPECT_TRUE(got.x == 39 && got.y == 39) << got.x << "," << got.y;
    Press(form.Handle(), b.right, b.top);
    EXPECT_EQ(clicks, 2);

    // Centred on its monitor's work area, and never outside it.
    const RECT area = ui::dpi::WorkAreaOf(form.Handle());
    form.CenterOn(nullptr);
    RECT w;
    GetWindowRect(form.Handle(), &w);
    EXPECT_EQ(w.left, area.left + ((area.right - area.left) - (w.right - w.left)) / 2);
    EXPECT_EQ(w.top, area.top + ((area.bottom - area.top) - (w.bottom - w.top)) / 2);
    EXPECT_EQ(form.Left(), w.left);
    TForm huge(nullptr, "FormHuge");
    huge.SetClientSize(ui::dpi::Unscale(area.right - area.left, dpi) + 100, 100);
    huge.CenterOn(&form);  // not showing: the work area
    GetWindowRect(huge.Handle(), &w);
    EXPECT_EQ(w.left, area.left);
  }
  EXPECT_EQ(ui::dpi::Override(), 0u);
}

TEST(Dpi, ADpiChangeKeepsDraggedColumnsAndTheSizeAskedAndComesBackToTheSameFont) {
  ScopedDpi scale(96);
  TForm form(nullptr, "FormMove");
  form.SetClientSize(400, 300);
  auto* edit = Place(new TEdit(&form, &form, "EdtKey"), 10, 10, 121, 21);
  auto* lv = Place(new TSortLv(&form, &form, "LvSites"), 10, 40, 300, 150);
  lv->AddColumn("SSID", 120);
  lv->AddColumn("Signal", 80);
  TImageList icons(nullptr, "Icons");
  icons.SetPicture(TPicture::CreateOpaque(32, 16, RGB(0, 128, 0)));
  lv->SetSmallImages(&icons);
  for (const char* ssid : {"alpha", "beta", "gamma"}) lv->AddRow(ssid)->SetImageIndex(1);
  form.Show();
  lv->SelectRow(1);
  SendMessageA(lv->Handle(), LVM_SETCOLUMNWIDTH, 1, 150);  // the user dragged it
  const HFONT font96 = DrawnFont(edit);
  const HWND editWindow = edit->Handle(), listWindow = lv->Handle();
  auto columns = [listWindow] {
    return std::make_pair(SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, 0, 0),
                          SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, 1, 0));
  };

  form.ApplyDpi(144, nullptr);
  EXPECT_EQ(columns(), std::make_pair(LRESULT{180}, LRESULT{225}));
  EXPECT_EQ(lv->ColumnWidth(1), 150);
  EXPECT_EQ(SendMessageA(listWindow, LVM_GETIMAGELIST, LVSIL_SMALL, 0),
            reinterpret_cast<LRESULT>(icons.Handle(144)));

  // The system's message, with the rectangle it suggests: the form's size
  // in 96-DPI units from then on.
  RECT suggested{40, 30, 40 + 900, 30 + 700}, w;
  SendMessageA(form.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  GetWindowRect(form.Handle(), &w);
  EXPECT_EQ(w, suggested);
  EXPECT_EQ(form.Left(), 40);
  const int keptWidth = form.ClientWidth(), keptHeight = form.ClientHeight();
  GetClientRect(form.Handle(), &w);
  EXPECT_EQ(keptWidth, w.right / 2);

  form.ApplyDpi(96, nullptr);
  EXPECT_EQ(DrawnFont(edit), font96);
  EXPECT_EQ(columns(), std::make_pair(LRESULT{120}, LRESULT{150}));
  GetClientRect(form.Handle(), &w);
  EXPECT_EQ(w, (RECT{0, 0, keptWidth, keptHeight}));
  // Nothing was made again: the same windows, the same row chosen.
  EXPECT_TRUE(edit->Handle() == editWindow && lv->Handle() == listWindow);
  EXPECT_EQ(lv->SelectedIndex(), 1);
}

}  // namespace
