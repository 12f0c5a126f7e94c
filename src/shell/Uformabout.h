// The about box: product name, copyright lines, and the driver and utility
// versions. A borderless window that is dragged by its background.
#pragma once

#include <string>

#include "shell/Uformbase.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class CNICAdapter;

class TFormAbout : public TFormBase {
 public:
  explicit TFormAbout(TComponent* owner = nullptr);

  TImage* ImgBG;
  TPicButton* BtnClose;
  TLabel* LbProduct;
  TLabel* LbDriverVer;
  TValueLabel* LblDriverVer;
  TLabel* LbUtilityVer;
  TValueLabel* LblUtilityVer;
  TLabel* LbCopyright;
  TLabel* LbRight;

  // Fills the driver version from the adapter (when there is one), centres
  // the box over the main window (or the screen) and shows it modally.
  int ShowAbout(TForm* mainWindow, CNICAdapter* adapter);
  // Everything of ShowAbout except the modal loop.
  void Prepare(TForm* mainWindow, CNICAdapter* adapter);

  void DialogKey(int id) override;

 protected:
  // The version rows are measured again at the new DPI.
  void DpiChanged(UINT oldDpi, UINT newDpi) override;

 private:
  // The version rows: values right of the wider caption.
  void LayoutText();
};

// Built-in texts of the product, used when the string file has none.
extern const char* const kDefaultCopyright;
extern const char* const kDefaultRights;
