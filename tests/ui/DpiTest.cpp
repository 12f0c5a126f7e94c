// Display scaling: one form holding every kind of control, laid out at 96,
// 120, 144 and 192 DPI in one process (the DPI override), and a form taken
// from one DPI to another and back without losing what the user did.
#include <gtest/gtest.h>

#include "ui/Uform.h"
#include "ui/UiTest.h"
#include "ui/Upicbutton.h"
#include "ui/Upicture.h"
#include "ui/Usortlv.h"
#include "ui/Ustdctrls.h"

using namespace wutest;

namespace {

struct DpiOverride {
  explicit DpiOverride(UINT dpi) { ui::dpi::SetOverride(dpi); }
  ~DpiOverride() { ui::dpi::SetOverride(0); }
};

template <class C>
C* Place(C* c, int left, int top, int width, int height) {
  c->SetBounds(left, top, width, height);
  return c;
}

RECT WindowIn(const TWinControl* c) {
  RECT r;
  GetWindowRect(c->Handle(), &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(c->Handle()), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT Client(const TForm& form) {
  RECT r;
  GetClientRect(form.Handle(), &r);
  return r;
}

int FontHeight(HFONT font) {
  LOGFONTA lf{};
  GetObjectA(font, sizeof(lf), &lf);
  return lf.lfHeight;
}

int SystemFontHeight(UINT dpi) {
  LOGFONTA lf{};
  return ui::dpi::MessageFont(dpi, lf) ? lf.lfHeight : 0;
}

HFONT WindowFont(const TWinControl* c) {
  return reinterpret_cast<HFONT>(SendMessageA(c->Handle(), WM_GETFONT, 0, 0));
}

void Press(HWND w, int x, int y) {
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST(Dpi, EveryKindOfControlLaysOutPaintsAndHearsTheMouseAtEachScale) {
  for (UINT dpi : {96u, 120u, 144u, 192u}) {
    SCOPED_TRACE(dpi);
    DpiOverride scale(dpi);
    auto px = [dpi](int v) { return ui::dpi::Scale(v, dpi); };
    TForm form(nullptr, "FormDpi");
    form.SetClientSize(400, 300);
    auto* label = Place(new TLabel(&form, &form, "LbA", "Network Name (SSID):"), 10, 10, 100, 13);
    Place(new TValueLabel(&form, &form, "LblA", "a value cut short"), 10, 25, 60, 13);
    Place(new TTabLabel(&form, &form, "TabA", "Link"), 70, 25, 40, 13);
    Place(new TImage(&form, &form, "ImgA"), 10, 130, 16, 16);
    auto* box = Place(new TPaintBox(&form, &form, "PBoxA"), 50, 80, 40, 40);
    auto* combo = Place(new TComboBox(&form, &form, "CmbA"), 120, 40, 121, 21);
    auto* lv = Place(new TSortLv(&form, &form, "LvA"), 120, 80, 150, 90);
    lv->AddColumn("SSID", 101);
    auto* frame = Place(new TFrame(&form, &form, "FrameA"), 10, 180, 301, 111);
    auto* swatch = Place(new TLabel(&form, frame, "LbSwatch"), 150, 50, 21, 11);
    swatch->SetColor(RGB(255, 0, 0));
    frame->Show();
    // The two edits touch: no gap or overlap at any scale.
    const std::vector<TWinControl*> windows = {
        Place(new TEdit(&form, &form, "EdtA"), 120, 10, 33, 21),
        Place(new TEdit(&form, &form, "EdtB"), 153, 10, 67, 21),
        Place(new TCheckBox(&form, &form, "ChkA", "Check"), 10, 40, 97, 17),
        Place(new TRadioButton(&form, &form, "RbA", "Radio"), 10, 60, 97, 17),
        Place(new TPicButton(&form, &form, "BtnA", "Scan"), 290, 10, 81, 25),
        Place(new TPanel(&form, &form, "PlA", "Panel"), 290, 80, 101, 61),
        Place(new TEdit(&form, frame, "EdtInner"), 5, 7, 91, 21),
        lv,
        frame};

    EXPECT_EQ(Client(form), (RECT{0, 0, px(400), px(300)}));
    EXPECT_EQ(form.ClientWidth(), 400);
    EXPECT_EQ(form.ClientHeight(), 300);
    for (TWinControl* c : windows) {
      SCOPED_TRACE(c->Name());
      EXPECT_EQ(WindowIn(c), ui::dpi::ScaleRect(c->BoundsRect(), dpi));
    }
    EXPECT_EQ(windows[0]->BoundsRect(), (RECT{120, 10, 153, 31}));  // no drift
    EXPECT_EQ(WindowIn(windows[0]).right, WindowIn(windows[1]).left);
    // The system sets a combo box's closed height, not its edges.
    EXPECT_EQ(std::make_pair(WindowIn(combo).left, WindowIn(combo).right),
              std::make_pair(LONG{px(120)}, LONG{px(241)}));
    EXPECT_EQ(FontHeight(WindowFont(windows[0])), SystemFontHeight(dpi));
    EXPECT_EQ(FontHeight(label->FontHandle()), SystemFontHeight(dpi));
    EXPECT_EQ(lv->ColumnWidth(0), 101);
    EXPECT_EQ(SendMessageA(lv->Handle(), LVM_GETCOLUMNWIDTH, 0, 0), px(101));

    // Measured in 96-DPI units rounded up: scaled back it holds the text.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, label->FontHandle());
    SIZE real;
    GetTextExtentPoint32A(dc, "Network Name (SSID):", 20, &real);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int measured = label->MeasureCaption().cx;
    EXPECT_TRUE(px(measured) >= real.cx && px(measured - 1) <= real.cx) << measured;
    EXPECT_EQ(label->TextExtent("Network Name (SSID):").cx, measured);

    // A graphic child paints exactly over its pixel bounds.
    Snapshot shot(frame->Handle());
    const RECT sw = swatch->PixelBounds();
    EXPECT_EQ(shot.At(sw.left, sw.top), 0xFF0000u);
    EXPECT_EQ(shot.At(sw.right - 1, sw.bottom - 1), 0xFF0000u);
    EXPECT_NE(shot.At(sw.right, sw.bottom - 1), 0xFF0000u);
    EXPECT_NE(shot.At(sw.left - 1, sw.top), 0xFF0000u);

    // Clicks at pixel points reach the graphic child in 96-DPI units.
    POINT got{-1, -1};
    int clicks = 0;
    box->OnMouseDown = [&got](TMouseButton, UINT, int x, int y) { got = POINT{x, y}; };
    box->OnClick = [&clicks] { ++clicks; };
    const RECT b = box->PixelBounds();
    Press(form.Handle(), px(60), px(90));
    EXPECT_TRUE(std::abs(got.x - 10) <= 1 && std::abs(got.y - 10) <= 1) << got.x << "," << got.y;
    Press(form.Handle(), b.right - 1, b.bottom - 1);  // its last pixel
    EXPECT_TRUE(got.x == 39 && got.y == 39) << got.x << "," << got.y;
    Press(form.Handle(), b.right, b.top);  // just beside it
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

TEST(Dpi, ADpiChangeKeepsFocusTextAndSelectionAndComesBackToTheSameFont) {
  DpiOverride scale(96);
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
  edit->SetFocus();
  edit->SetCaption("typed key");
  lv->SelectRow(1);
  SendMessageA(lv->Handle(), LVM_SETCOLUMNWIDTH, 1, 150);  // the user dragged it
  const HFONT font96 = edit->FontHandle();
  const HWND editWindow = edit->Handle(), listWindow = lv->Handle();
  auto columns = [listWindow] {
    return std::make_pair(SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, 0, 0),
                          SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, 1, 0));
  };

  form.ApplyDpi(144, nullptr);
  EXPECT_EQ(edit->Dpi(), 144u);
  EXPECT_EQ(Client(form), (RECT{0, 0, 600, 450}));
  EXPECT_EQ(WindowIn(edit), (RECT{15, 15, 197, 47}));
  EXPECT_EQ(WindowIn(lv), (RECT{15, 60, 465, 285}));
  EXPECT_EQ(FontHeight(WindowFont(edit)), SystemFontHeight(144));
  EXPECT_EQ(columns(), std::make_pair(LRESULT{180}, LRESULT{225}));
  EXPECT_EQ(lv->ColumnWidth(1), 150);
  EXPECT_NE(SendMessageA(listWindow, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);

  // The system's message, with the rectangle it suggests: the form's size
  // in 96-DPI units from then on.
  RECT suggested{40, 30, 40 + 900, 30 + 700};
  SendMessageA(form.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  RECT w;
  GetWindowRect(form.Handle(), &w);
  EXPECT_EQ(w, suggested);
  EXPECT_EQ(form.Left(), 40);
  EXPECT_EQ(WindowIn(edit), (RECT{20, 20, 262, 62}));
  const int keptWidth = form.ClientWidth(), keptHeight = form.ClientHeight();
  EXPECT_EQ(keptWidth, Client(form).right / 2);

  form.ApplyDpi(96, nullptr);
  EXPECT_EQ(WindowFont(edit), font96);
  EXPECT_EQ(columns(), std::make_pair(LRESULT{120}, LRESULT{150}));
  EXPECT_EQ(WindowIn(edit), (RECT{10, 10, 131, 31}));
  EXPECT_EQ(Client(form), (RECT{0, 0, keptWidth, keptHeight}));
  // Nothing was made again: the same windows, with what the user left.
  EXPECT_TRUE(edit->Handle() == editWindow && lv->Handle() == listWindow);
  EXPECT_EQ(GetFocus(), editWindow);
  EXPECT_EQ(edit->Caption(), "typed key");
  EXPECT_EQ(lv->SelectedIndex(), 1);
}

}  // namespace
