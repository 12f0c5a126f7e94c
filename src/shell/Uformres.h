// The invisible form that holds every picture of the user interface: 70
// named images and 5 image lists, built in and replaceable from a
// directory of image files.
#pragma once

#include <string>
#include <string_view>

#include "config/Udefine.h"
#include "ui/Uform.h"
#include "ui/Upicture.h"
#include "ui/Ustdctrls.h"

// Names in ownership order; each is also the name of the built-in picture.
// clang-format off
#define WU_FORMRES_IMAGES(X)                                                                     \
  X(ImgMainInfo) X(ImgMainSurvey) X(ImgMainProfile) X(ImgMainAdapter) X(ImgBtnAboutH)           \
  X(ImgBtnAboutN) X(ImgBtnHelpH) X(ImgBtnHelpN) X(ImgBtnEnable) X(ImgBtnDisable) X(ImgAboutBG)  \
  X(ImgBtnCloseH) X(ImgBtnCloseN) X(ImgMark) X(ImgBtnTChart) X(ImgBtnTChartOn) X(ImgLight)      \
  X(ImgBtnActOn) X(ImgBtnAct) X(ImgBtnActlater) X(ImgBtnActlaterOn) X(ImgBtnActnow)             \
  X(ImgBtnActnowOn) X(ImgBtnAdd) X(ImgBtnAddOn) X(ImgBtnApply) X(ImgBtnApplyOn) X(ImgBtnBackOn) \
  X(ImgBtnBack) X(ImgBtnBrowseOn) X(ImgBtnBrowse) X(ImgBtnCancel) X(ImgBtnCancelOn)             \
  X(ImgBtnChart) X(ImgBtnChartOn) X(ImgBtnConnect) X(ImgBtnConnectOn) X(ImgBtnDelete)           \
  X(ImgBtnDeleteOn) X(ImgBtnEdit) X(ImgBtnEditOn) X(ImgBtnExit) X(ImgBtnExitOn) X(ImgBtnNext)   \
  X(ImgBtnNextOn) X(ImgBtnRefresh) X(ImgBtnRefreshOn) X(ImgBtnSave) X(ImgBtnSaveOn)             \
  X(ImgBtnScan) X(ImgBtnScanOn) X(ImgBtnSelect) X(ImgBtnSelectOn) X(ImgBtnStartOn)              \
  X(ImgBtnStart) X(ImgBtnStatisticsOn) X(ImgBtnStatistics) X(ImgAPInfo) X(ImgAPCfg)             \
  X(ImgAPFilter) X(ImgFrAPInfo) X(ImgFrAPCfg) X(ImgFrAPFilter) X(ImgFrLink) X(ImgFrProfile)     \
  X(ImgSurvey) X(ImgAdapter) X(ImgFrProfSet) X(ImgFrActive) X(ImgChartBG)

#define WU_FORMRES_IMAGE_LISTS(X) X(ImgsNull) X(ImgsSort) X(ImgsType) X(ImgsKvIcon) X(ImgsKvIconXP)
// clang-format on

class TFormRes : public TForm {
 public:
  // Loads the built-in pictures, then replaces them from "Res_Path".
  explicit TFormRes(TComponent* owner = nullptr);
  ~TFormRes() override;

#define WU_DECLARE_IMAGE(n) TImage* n = nullptr;
  WU_FORMRES_IMAGES(WU_DECLARE_IMAGE)
#undef WU_DECLARE_IMAGE
#define WU_DECLARE_IMAGE_LIST(n) TImageList* n = nullptr;
  WU_FORMRES_IMAGE_LISTS(WU_DECLARE_IMAGE_LIST)
#undef WU_DECLARE_IMAGE_LIST

  static constexpr int kImageCount = 70;
  static constexpr int kImageListCount = 5;

  // By name, without regard to case; null when there is none.
  TImage* Image(std::string_view name) const;
  TImageList* ImageList(std::string_view name) const;

  // Replaces pictures from the directory named by "Res_Path" below the
  // program's directory, file names from section "FormRes_TImage"; files
  // named like the picture's file with "_150" or "_200" after the stem,
  // beside it, are its drawings for 150 % and 200 %.
  void ReplaceFromResPath();

 private:
  MsgBoxHandler previousMsgBox_ = nullptr;
};

// A built-in picture with its sets for 150 % and 200 % ("Name_150",
// "Name_200"); empty when the module has no such picture.
TPicture BuiltInPicture(const char* name);

// The one instance, from its creation to its end.
extern TFormRes* FormRes;

// The picture of the instance's image of that name; an empty one when there
// is no instance or no such image.
const TPicture& ResPicture(const char* name);
