// Display scaling: one form holding every kind of control, laid out at 96,
// 120, 144 and 192 DPI in one process (the DPI override), and a form taken
// from one DPI to another and back without losing what the user did.
#include <gtest/gtest.h>

#include <initializer_list>

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

RECT WindowIn(const TWinControl* c) {
  RECT r;
  GetWindowRect(c->Handle(), &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(c->Handle()), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int FontHeight(HFONT font) {
  LOGFONTA lf{};
  GetObjectA(font, sizeof(lf), &lf);
  return lf.lfHeight;
}

int SystemFontHeight(UINT dpi) {
  LOGFONTA lf{};
  EXPECT_TRUE(ui::dpi::MessageFont(dpi, lf));
  return lf.lfHeight;
}

void Press(HWND w, POINT p) {
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

TEST(Dpi, EveryKindOfControlLaysOutPaintsAndHearsTheMouseAtEachScale) {
  for (UINT dpi : {96u, 120u, 144u, 192u}) {
    SCOPED_TRACE(dpi);
    DpiOverride scale(dpi);
    auto px = [dpi](int v) { return ui::dpi::Scale(v, dpi); };
    TForm form(nullptr, "FormDpi");
    form.SetClientSize(400, 300);
    new TLabel(&form, &form, "LbA", "Network Name (SSID):");
    new TValueLabel(&form, &form, "LblA", "a long value that is cut");
    new TTabLabel(&form, &form, "TabA", "Link");
    auto* edit = new TEdit(&form, &form, "EdtA");
    auto* next = new TEdit(&form, &form, "EdtB");  // touching the first
    auto* combo = new TComboBox(&form, &form, "CmbA");
    auto* check = new TCheckBox(&form, &form, "ChkA", "Check");
    auto* radio = new TRadioButton(&form, &form, "RbA", "Radio");
    new TImage(&form, &form, "ImgA");
    auto* box = new TPaintBox(&form, &form, "PBoxA");
    auto* lv = new TSortLv(&form, &form, "LvA");
    auto* button = new TPicButton(&form, &form, "BtnA", "Scan");
    auto* panel = new TPanel(&form, &form, "PlA", "Panel");
    auto* frame = new TFrame(&form, &form, "FrameA");
    auto* inner = new TEdit(&form, frame, "EdtInner");
    auto* swatch = new TLabel(&form, frame, "LbSwatch");
    edit->SetBounds(120, 10, 33, 21);
    next->SetBounds(153, 10, 67, 21);
    combo->SetBounds(120, 40, 121, 21);
    check->SetBounds(10, 40, 97, 17);
    radio->SetBounds(10, 60, 97, 17);
    box->SetBounds(50, 80, 40, 40);
    lv->SetBounds(120, 80, 150, 90);
    lv->AddColumn("", 24);
    lv->AddColumn("SSID", 101);
    button->SetBounds(290, 10, 81, 25);
    panel->SetBounds(290, 80, 101, 61);
    frame->SetBounds(10, 180, 301, 111);
    inner->SetBounds(5, 7, 91, 21);
    swatch->SetBounds(150, 50, 21, 11);
    swatch->SetColor(RGB(255, 0, 0));
    frame->Show();

    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client, (RECT{0, 0, px(400), px(300)}));
    EXPECT_EQ(form.ClientWidth(), 400);
    EXPECT_EQ(form.ClientHeight(), 300);
    // Windows stand at the scaled edges, bounds stay in 96-DPI units.
    for (TWinControl* c : std::initializer_list<TWinControl*>{edit, next, check, radio, lv, button,
                                                              panel, frame, inner}) {
      SCOPED_TRACE(c->Name());
      EXPECT_EQ(WindowIn(c), ui::dpi::ScaleRect(c->BoundsRect(), dpi));
    }
    EXPECT_EQ(edit->BoundsRect(), (RECT{120, 10, 153, 31}));
    EXPECT_EQ(WindowIn(edit).right, WindowIn(next).left);
    const RECT comboPx = WindowIn(combo);  // the system sets the closed height
    EXPECT_EQ(comboPx.left, px(120));
    EXPECT_EQ(comboPx.right, px(241));
    EXPECT_EQ(combo->Width(), 121);
    // The system's font at this DPI, in the windows and measured with.
    EXPECT_EQ(FontHeight(reinterpret_cast<HFONT>(SendMessageA(edit->Handle(), WM_GETFONT, 0, 0))),
              SystemFontHeight(dpi));
    EXPECT_EQ(FontHeight(edit->FontHandle()), SystemFontHeight(dpi));
    EXPECT_EQ(lv->ColumnWidth(1), 101);
    EXPECT_EQ(SendMessageA(lv->Handle(), LVM_GETCOLUMNWIDTH, 1, 0), px(101));

    // Text measured in 96-DPI units fits on the screen when scaled back.
    auto* label = static_cast<TLabel*>(form.FindComponent("LbA"));
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, label->FontHandle());
    SIZE real;
    GetTextExtentPoint32A(dc, "Network Name (SSID):", 20, &real);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_GE(px(label->MeasureCaption().cx), real.cx);
    EXPECT_LE(px(label->MeasureCaption().cx - 1), real.cx);
    EXPECT_GE(px(label->TextExtent("Network Name (SSID):").cx), real.cx);

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
    Press(form.Handle(), POINT{px(60), px(90)});
    EXPECT_NEAR(got.x, 10, 1);
    EXPECT_NEAR(got.y, 10, 1);
    Press(form.Handle(), POINT{b.right - 1, b.bottom - 1});  // its last pixel
    EXPECT_EQ(got.x, 39);
    EXPECT_EQ(got.y, 39);
    Press(form.Handle(), POINT{b.right, b.top});  // just beside it
    EXPECT_EQ(clicks, 2);

    // Centred on its monitor's work area; never outside it.
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
  auto* edit = new TEdit(&form, &form, "EdtKey");
  edit->SetBounds(10, 10, 121, 21);
  auto* lv = new TSortLv(&form, &form, "LvSites");
  lv->SetBounds(10, 40, 300, 150);
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
  // The user dragged the second column wider.
  SendMessageA(lv->Handle(), LVM_SETCOLUMNWIDTH, 1, 150);
  const HFONT font96 = edit->FontHandle();
  const HWND editWindow = edit->Handle(), listWindow = lv->Handle();

  form.ApplyDpi(144, nullptr);
  EXPECT_EQ(form.FormDpi(), 144u);
  EXPECT_EQ(edit->Dpi(), 144u);
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client, (RECT{0, 0, 600, 450}));
  EXPECT_EQ(WindowIn(edit), (RECT{15, 15, 197, 47}));
  EXPECT_EQ(WindowIn(lv), (RECT{15, 60, 465, 285}));
  const HFONT font144 = reinterpret_cast<HFONT>(SendMessageA(editWindow, WM_GETFONT, 0, 0));
  EXPECT_EQ(FontHeight(font144), SystemFontHeight(144));
  EXPECT_EQ(SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, 0, 0), 180);
  EXPECT_EQ(SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, 1, 0), 225);
  EXPECT_EQ(lv->ColumnWidth(1), 150);
  EXPECT_NE(SendMessageA(listWindow, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);

  // The system's message, with the rectangle it suggests.
  RECT suggested{40, 30, 40 + 900, 30 + 700};
  SendMessageA(form.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  RECT w;
  GetWindowRect(form.Handle(), &w);
  EXPECT_EQ(w, suggested);
  EXPECT_EQ(form.Left(), 40);
  EXPECT_EQ(WindowIn(edit), (RECT{20, 20, 262, 62}));
  EXPECT_EQ(edit->BoundsRect(), (RECT{10, 10, 131, 31}));
  // The suggested size is the form's size now, in 96-DPI units.
  GetClientRect(form.Handle(), &client);
  const int keptWidth = form.ClientWidth(), keptHeight = form.ClientHeight();
  EXPECT_EQ(keptWidth, client.right / 2);

  form.ApplyDpi(96, nullptr);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(editWindow, WM_GETFONT, 0, 0)), font96);
  EXPECT_EQ(SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, 0, 0), 120);
  EXPECT_EQ(SendMessageA(listWindow, LVM_GETCOLUMNWIDTH, 1, 0), 150);
  EXPECT_EQ(WindowIn(edit), (RECT{10, 10, 131, 31}));
  // Nothing was made again: the same windows, with what the user left.
  EXPECT_EQ(edit->Handle(), editWindow);
  EXPECT_EQ(lv->Handle(), listWindow);
  EXPECT_EQ(GetFocus(), editWindow);
  EXPECT_EQ(edit->Caption(), "typed key");
  EXPECT_EQ(lv->SelectedIndex(), 1);
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client, (RECT{0, 0, keptWidth, keptHeight}));
}

}  // namespace
