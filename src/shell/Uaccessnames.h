// What a screen reader reads where the toolkit cannot know it: names of
// buttons that show only a picture, rows of lamps, the chart's traces, the
// message box's icon, and the toolkit's own words, all from the string
// file's section "Accessible" with English defaults.
#pragma once

#include <string>

class TControl;
class TImage;
class TPaintBox;
class TPicButton;
class TEdit;

namespace accessnames {

// A text of the section "Accessible".
std::string Text(const char* key, const char* def);
// Installs the screen-reader side and has it take its words ("Press",
// "Switch") from the string file.
void InstallTexts();
// fmt with each "%d" or "%s" replaced by the next argument, in order; any
// other "%" stays as it is, and extra marks stay empty, so a translated
// text can never read what is not there.
std::string FillIn(const std::string& fmt, const std::string& first,
                   const std::string& second = "");

// A button that shows only a picture.
void NameButton(TPicButton* button, const char* key, const char* def);
// A row of lamps read as one indicator, "Signal: 4 of 10": fmt from the
// key, lit lamps and the row's length; the row is there with none lit.
void DescribeLampRow(TImage* const* lamps, int count, const char* key, const char* def);
// A trace of the chart, read as its current rate taken from the edit that
// shows it.
void DescribeTrace(TPaintBox* box, const TEdit* rate, const char* key, const char* def);
// The message box's icon by the message-box icon flags (0x10 ... 0x40).
void DescribeMessageIcon(TImage* icon, int iconFlags);
// A window that asks or tells something and is then closed (message box,
// about box, chart): a screen reader reads it as a dialog with its title.
void DescribeDialog(TControl* form);
// A page of the main window, named after its tab.
void DescribePage(TControl* page, const TControl* tab);

}  // namespace accessnames
