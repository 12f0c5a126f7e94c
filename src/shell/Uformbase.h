// The base of the program's top-level windows: the list of open modal
// windows, and captions from the string file, positions and visibility
// from the settings file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/Uform.h"
#include "ui/Ustdctrls.h"

class TPicButton;

class TFormBase : public TForm {
 public:
  TFormBase(TComponent* owner, std::string name, DWORD style = kDefaultStyle,
            DWORD exStyle = WS_EX_CONTROLPARENT);
  ~TFormBase() override;

  // Runs the modal loop with the form appended to the modal list.
  int ShowModal() override;
  // The most recent modal form, or null.
  static TFormBase* TopModalForm();
  static const std::vector<TFormBase*>& ModalForms();
  // Marks a system dialog or pop-up menu of a page as open (file dialogs,
  // context menus): they run a message loop of their own, so the main
  // window ends them and waits before it frees itself.
  class SystemDialogScope {
   public:
    SystemDialogScope();
    ~SystemDialogScope();
    SystemDialogScope(const SystemDialogScope&) = delete;
    SystemDialogScope& operator=(const SystemDialogScope&) = delete;
  };
  static int SystemDialogs();

  // Positions (section name + "_CtrlPos") and visibility (name + "_Visible")
  // of the controls that component owns; frames recursively under
  // "<name>_<frame>".
  virtual void ApplyLayout(TComponent* component, const std::string& name);
  // Left, top, width, height from a comma list; fewer numbers change only
  // the leading ones, items that are not integers are skipped.
  virtual void ApplyCtrlPos(TControl* control, const std::string& section);
  // A mark image left of the label, vertically centred on it; null when the
  // label or the picture is missing.
  virtual TImage* PlaceMarkImage(TLabel* label, const TPicture* picture);
  // Captions of every label the form owns from a string-file section.
  virtual void LocaliseLabels(const std::string& section);
  // Label width = measured caption width + 6; returns it.
  virtual int FitLabel(TLabel* label);
  // Fits the label and puts the value control 6 pixels right of the text,
  // reaching to right.
  virtual void FitLabelPair(TLabel* label, TControl* value, int right);

 protected:
  // What a borderless window (the about box, the chart) has instead of a
  // frame: a close button "BtnClose" at the top right of its background that
  // ends the modal loop with mrOk, and the background, which drags the
  // window as a caption would. The button is for the mouse: the keyboard
  // closes through DialogKey.
  TPicButton* MakeBorderlessFrame(TImage* background);
  // A borderless window's background "ImgBG" at (0, 0) with the picture, the
  // window's client area sized to it (width x height without a picture).
  TImage* MakeBorderlessBackground(const TPicture& picture, int width, int height);
  // Takes a button meant for the mouse out of the Tab order, so that no
  // focus mark sits on a button nobody chose.
  static void MouseOnly(TWinControl* control);
};

// Shared by forms and pages.
namespace layout {
// The integers of a comma text (commas or blanks separate, double quotes
// group), in order; items that are not decimal integers are skipped.
std::vector<int> CommaIntegers(const std::string& text);
void ApplyLayout(TComponent* component, const std::string& name);
void ApplyCtrlPos(TControl* control, const std::string& section);
// For a control built after its form applied the layout: what ApplyLayout of
// the form would have given it and what it holds (sections named after its
// owners, the form's name first).
void ApplyLateLayout(TControl* control);
// The measured caption width (the label becomes 6 pixels wider).
int FitLabel(TLabel* label);
void FitLabelPair(TLabel* label, TControl* value, int right);
// An image of the picture, owned by owner, in the label's parent, at the
// given left edge and centred on the label.
TImage* MarkImage(TComponent* owner, TContainer* fallbackParent, TLabel* label,
                  const TPicture* picture, int left);
}  // namespace layout
