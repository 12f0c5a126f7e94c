// Building blocks the pages share: pictures from the image resource form,
// the page background, headings, caption/value rows and page buttons, all in
// the colours of the built-in pictures.
#pragma once

#include <string>

#include "shell/Propertypageframeunit.h"
#include "ui/Upicbutton.h"
#include "ui/Ustdctrls.h"

class TImageList;

namespace pageparts {

// Size of every page at 100 % scale (the page card of the main window).
constexpr int kPageWidth = 552;
constexpr int kPageHeight = 276;
// The action bar at the bottom of pages with buttons: buttons at this top,
// the right-most one at kButtonRight, 8 pixels apart.
constexpr int kButtonTop = 239;
constexpr int kButtonRight = 440;
constexpr int kButtonGap = 8;
// Height of one caption/value row.
constexpr int kRowHeight = 16;

// The picture of an image of the image resource form; an empty picture when
// the form or the image is missing.
const TPicture& Picture(const char* name);
// An image list of the image resource form, or null.
const TImageList* Images(const char* name);

// The page's ImgBG at (0, 0) with the named picture; the page takes the
// picture's size (the standard page size without one). parent defaults to
// the page itself.
TImage* MakeBackground(TPropertyPageFrame* page, const char* picture, TContainer* parent = nullptr);
// A heading label: accent colour, bold.
TLabel* MakeHeading(TComponent* owner, TContainer* parent, const std::string& name,
                    const std::string& caption, int left, int top, int width);
// A caption label left of a value.
TLabel* MakeCaption(TComponent* owner, TContainer* parent, const std::string& name,
                    const std::string& caption, int left, int top);
// A value label (cut with an ellipsis), empty.
TValueLabel* MakeValue(TComponent* owner, TContainer* parent, const std::string& name, int left,
                       int top, int width);
// Rows of a caption label and a value label beside it, top to bottom (the
// information columns of the pages). Fill it with designated initializers:
//   LabelRows rows{.Owner = this, .Parent = this, .CaptionLeft = 32,
//                  .ValueLeft = 132, .ValueWidth = 100, .Top = 38, .Pitch = 24};
//   rows.Add(LbSSID, LblSSID, "LbSSID", "LblSSID", "SSID:");
// Set CaptionLeft, ValueLeft and Top again for another column.
struct LabelRows {
  TComponent* Owner = nullptr;
  TContainer* Parent = nullptr;
  int CaptionLeft = 0;
  int ValueLeft = 0;
  int ValueWidth = 0;
  // Top of the next row.
  int Top = 0;
  int Pitch = 24;

  // Makes the row's caption (MakeCaption) and its empty value (MakeValue),
  // then moves Top down a row.
  void Add(TLabel*& caption, TValueLabel*& value, const std::string& captionName,
           const std::string& valueName, const std::string& text);
};

// Rows of a caption label and an input field beside it, top to bottom (the
// settings pages). The caption stands 4 pixels lower than its field, so that
// their texts line up, and ends CaptionGap pixels left of the field:
//   FieldRows rows{.Owner = this, .Parent = this, .CaptionLeft = 40,
//                  .FieldLeft = 190, .FieldWidth = 180, .Top = 48, .Pitch = 36};
//   LbPower = rows.Caption("LbPower", "Power Saving Mode:");
//   CmbPower = rows.Combo("CmbPower");
//   rows.Next();
struct FieldRows {
  TComponent* Owner = nullptr;
  TContainer* Parent = nullptr;
  int CaptionLeft = 0;
  int FieldLeft = 0;
  int FieldWidth = 0;
  // Top of the current row.
  int Top = 0;
  int Pitch = 32;
  int CaptionGap = 8;

  TLabel* Caption(const std::string& name, const std::string& text) const;
  // A drop-down list of the field's width.
  TComboBox* Combo(const std::string& name) const;
  // An edit of the field's width.
  TEdit* Edit(const std::string& name) const;
  void Next() { Top += Pitch; }
};

// A page button with the faces "<face>" and "<face>On" (hover and pressed).
TPicButton* MakeButton(TComponent* owner, TContainer* parent, const std::string& name,
                       const std::string& caption, const char* face, int left, int top);

// Captions of the page's picture buttons from its string-file section, keyed
// by the button's name (the page base localises labels and lists only).
void LocaliseButtons(TPropertyPageFrame* page, const std::string& section);
// Focuses a list (or any control) when it can take the focus and the page's
// parent shows; a failure is logged as "Exception(<where>): <message>".
void FocusControl(TWinControl* control, const TControl* page, const char* where);
// "%.1f Mbps" for odd, "%d Mbps" for even rates in units of 500 kbit/s
// (the unit text from the display strings).
std::string RateText(int rate);
}  // namespace pageparts
