// The image resource form: every named picture and image list built in,
// their replacement from "Res_Path", and the message box it installs.
#include <gtest/gtest.h>

#include <vector>

#include "shell/Uformmsgbox.h"
#include "shell/Uformres.h"
#include "ui/UiTest.h"

using namespace wutest;

namespace {

SIZE SizeOf(const TImage* image) {
  return SIZE{image->Picture().Width(), image->Picture().Height()};
}

TEST(FormRes, HoldsEveryNamedPictureAndImageListBuiltIn) {
  GlobalFiles files("", "");
  TFormRes res;
  EXPECT_EQ(FormRes, &res);
  const auto& owned = res.Components();
  ASSERT_EQ(owned.size(), static_cast<size_t>(TFormRes::kImageCount + TFormRes::kImageListCount));
  const char* first[] = {"ImgMainInfo", "ImgMainSurvey", "ImgMainProfile", "ImgMainAdapter"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(owned[i]->Name(), first[i]);
  EXPECT_EQ(owned[69]->Name(), "ImgChartBG");
  EXPECT_EQ(owned[70]->Name(), "ImgsNull");
  EXPECT_EQ(owned[74]->Name(), "ImgsKvIconXP");
  for (int i = 0; i < TFormRes::kImageCount; ++i) {
    ASSERT_EQ(owned[i]->Kind(), TKind::Image);
    EXPECT_FALSE(static_cast<TImage*>(owned[i])->Picture().Empty()) << owned[i]->Name();
  }
  // The sizes the windows are laid out for.
  auto is = [](const TImage* img, int w, int h) {
    return SizeOf(img).cx == w && SizeOf(img).cy == h;
  };
  EXPECT_TRUE(is(res.ImgMainInfo, 600, 440));
  EXPECT_TRUE(is(res.ImgAPFilter, 600, 440));
  EXPECT_TRUE(is(res.ImgFrLink, 552, 276));
  EXPECT_TRUE(is(res.ImgBtnConnectOn, 100, 30));
  EXPECT_TRUE(is(res.ImgBtnHelpN, 28, 28));
  EXPECT_TRUE(is(res.ImgBtnTChart, 30, 30));
  EXPECT_TRUE(is(res.ImgAboutBG, 380, 240));
  EXPECT_TRUE(is(res.ImgBtnCloseH, 20, 20));
  EXPECT_TRUE(is(res.ImgChartBG, 460, 300));
  EXPECT_TRUE(is(res.ImgMark, 8, 8));
  EXPECT_TRUE(is(res.ImgLight, 10, 14));
  EXPECT_EQ(res.ImgsNull->Count(), 1);
  EXPECT_EQ(res.ImgsSort->Count(), 2);
  EXPECT_EQ(res.ImgsType->Count(), 4);
  EXPECT_EQ(res.ImgsKvIcon->Count(), 3);
  EXPECT_EQ(res.ImgsKvIconXP->Count(), 3);
  EXPECT_EQ(res.ImgsType->CellWidth(), 16);
  EXPECT_EQ(res.ImgsSort->CellWidth(), 12);
  EXPECT_EQ(res.Image("imgmark"), res.ImgMark);
  EXPECT_EQ(res.Image("ImgsType"), nullptr);
  EXPECT_EQ(res.ImageList("ImgsType"), res.ImgsType);
  EXPECT_FALSE(res.Visible());

  // Every picture and strip has its drawings for 100, 150 and 200 %, each
  // exactly its 96-DPI size at that scale.
  for (TComponent* c : owned) {
    SCOPED_TRACE(c->Name());
    const TPicture& p = c->Kind() == TKind::Image ? static_cast<TImage*>(c)->Picture()
                                                  : static_cast<TImageList*>(c)->Picture();
    ASSERT_EQ(p.SetDpis(), (std::vector<UINT>{96, 144, 192}));
    EXPECT_EQ(p.PixelWidth(), p.Width());
    for (int dpi : {144, 192})
      EXPECT_EQ(std::make_pair(p.ForDpi(dpi).PixelWidth() * 96, p.ForDpi(dpi).PixelHeight() * 96),
                std::make_pair(p.Width() * dpi, p.Height() * dpi));
  }
  EXPECT_EQ(&ResPicture("ImgMark"), &res.ImgMark->Picture());
}

TEST(FormRes, ReplacesPicturesFromResPathAndKeepsWhatCannotBeLoaded) {
  GlobalFiles files(
      "[Setting]\r\nRes_Path=skin\r\n"
      "[FormRes_TImage]\r\n"
      "ImgMark=mark.bmp\r\n"
      "ImgLight=missing.bmp\r\n"
      "ImgMainInfo=notes.txt\r\n"
      "ImgBtnAct=broken.png\r\n"
      "ImgsType=mark.bmp\r\n",
      "");
  CreateDirectoryA((files.Dir() / "skin").c_str(), nullptr);
  WriteText(files.Dir() / "skin\\mark.bmp",
            Bmp(3, 5, RGB(0xAB, 0xCD, 0xEF), RGB(0xAB, 0xCD, 0xEF)));
  WriteText(files.Dir() / "skin\\notes.txt", Bmp(3, 5, RGB(0, 0, 0), RGB(0, 0, 0)));
  WriteText(files.Dir() / "skin\\broken.png", "\x89PNG\r\n\x1a\ngarbage");
  TFormRes res;
  EXPECT_EQ(SizeOf(res.ImgMark).cx, 3);
  EXPECT_EQ(SizeOf(res.ImgMark).cy, 5);
  EXPECT_EQ(res.ImgMark->Picture().Pixel(1, 1), 0xFFABCDEFu);
  EXPECT_EQ(res.ImgMark->Width(), 3);
  EXPECT_EQ(SizeOf(res.ImgLight).cx, 10);      // file missing
  EXPECT_EQ(SizeOf(res.ImgMainInfo).cx, 600);  // not a picture format
  EXPECT_EQ(SizeOf(res.ImgBtnAct).cx, 100);    // unreadable
  EXPECT_EQ(res.ImgsType->Count(), 4);         // image lists are never replaced
}

TEST(FormRes, AReplacementTakesItsLargerDrawingsFromBesideItAndRefusesMisfits) {
  GlobalFiles files(
      "[Setting]\r\nRes_Path=skin\r\n"
      "[FormRes_TImage]\r\n"
      "ImgMark=mark.bmp\r\n"
      "ImgLight=light.bmp\r\n"
      "ImgBtnAct=act.bmp\r\n",
      "");
  CreateDirectoryA((files.Dir() / "skin").c_str(), nullptr);
  const COLORREF blue = RGB(0x10, 0x20, 0xF0), green = RGB(0x10, 0xF0, 0x20);
  WriteText(files.Dir() / "skin\\mark.bmp", Bmp(4, 6, blue, blue));
  WriteText(files.Dir() / "skin\\mark_150.bmp", Bmp(6, 9, green, green));
  WriteText(files.Dir() / "skin\\mark_200.bmp", Bmp(8, 12, green, green));
  WriteText(files.Dir() / "skin\\light.bmp", Bmp(5, 3, blue, blue));
  WriteText(files.Dir() / "skin\\light_150.bmp", Bmp(8, 4, green, green));  // 7.5 x 4.5 either way
  WriteText(files.Dir() / "skin\\light_200.bmp", Bmp(20, 20, green, green));  // not its shape
  WriteText(files.Dir() / "skin\\act.bmp", Bmp(10, 4, blue, blue));           // alone
  TFormRes res;

  const TPicture& mark = res.ImgMark->Picture();
  EXPECT_EQ(mark.SetDpis(), (std::vector<UINT>{96, 144, 192}));
  EXPECT_EQ(mark.Width(), 4);
  EXPECT_EQ(mark.ForDpi(144).Pixel(5, 8), 0xFF10F020u);
  EXPECT_EQ(mark.ForDpi(96).Pixel(3, 5), 0xFF1020F0u);

  const TPicture& light = res.ImgLight->Picture();
  EXPECT_EQ(light.SetDpis(), (std::vector<UINT>{96, 144}));
  EXPECT_EQ(light.ForDpi(192).PixelWidth(), 10);  // scaled from the 150 % file
  EXPECT_EQ(light.ForDpi(192).PixelHeight(), 6);

  // A lone file is scaled up smoothly wherever the window is.
  const TPicture& act = res.ImgBtnAct->Picture();
  EXPECT_EQ(act.SetDpis(), (std::vector<UINT>{96}));
  for (UINT dpi : {120u, 144u, 192u}) {
    TPicture p = act.ForDpi(dpi);
    EXPECT_EQ(p.PixelWidth(), MulDiv(10, dpi, 96));
    EXPECT_EQ(p.Pixel(p.PixelWidth() / 2, 1), 0xFF1020F0u);
  }
}

TEST(FormRes, AMissingResPathDirectoryKeepsAllBuiltInPictures) {
  GlobalFiles files("[Setting]\r\nRes_Path=nowhere\\\r\n[FormRes_TImage]\r\nImgMark=mark.bmp\r\n",
                    "");
  WriteText(files.Dir() / "mark.bmp", Bmp(3, 5, RGB(1, 2, 3), RGB(1, 2, 3)));
  TFormRes res;
  EXPECT_EQ(SizeOf(res.ImgMark).cx, 8);
}

TEST(FormRes, InstallsTheProgramsMessageBoxForItsLifetime) {
  GlobalFiles files("", "");
  MsgBoxHandler probe = [](HWND, const std::string&, int) { return 42; };
  MsgBoxHandler before = SetMsgBoxHandler(probe);
  {
    TFormRes res;
    MsgBoxHandler current = SetMsgBoxHandler(probe);
    EXPECT_EQ(current, &ShowMsgBox);
    SetMsgBoxHandler(current);
  }
  EXPECT_EQ(g_GlobalVar.ShowMsgBox(nullptr, "x", 0), 42);
  EXPECT_EQ(FormRes, nullptr);
  SetMsgBoxHandler(before);
}

}  // namespace
