#include "shell/Uformbase.h"

#include <algorithm>

#include "config/Udefine.h"
#include "config/Uutility.h"
#include "shell/Uaccessnames.h"
#include "shell/Uformres.h"
#include "ui/Upicbutton.h"

namespace {

std::vector<TFormBase*>& ModalList() {
  static std::vector<TFormBase*> list;
  return list;
}

void RemoveLast(TFormBase* form) {
  auto& list = ModalList();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (*it == form) {
      list.erase(std::next(it).base());
      return;
    }
  }
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

// ---- layout -----------------------------------------------------------------------------

std::vector<int> layout::CommaIntegers(const std::string& text) {
  std::vector<int32_t> values(static_cast<size_t>(ParseIntList(text, nullptr, 0)));
  ParseIntList(text, values.data(), static_cast<int>(values.size()));
  return std::vector<int>(values.begin(), values.end());
}

void layout::ApplyCtrlPos(TControl* control, const std::string& section) {
  if (!control) return;
  std::string value = Trim(g_GlobalVar.InfoReadString(section, control->Name(), ""));
  if (value.empty()) return;
  std::vector<int> v = CommaIntegers(value);
  if (v.empty()) return;
  int left = control->Left(), top = control->Top();
  int width = control->Width(), height = control->Height();
  if (v.size() > 0) left = v[0];
  if (v.size() > 1) top = v[1];
  if (v.size() > 2) width = v[2];
  if (v.size() > 3) height = v[3];
  control->SetBounds(left, top, width, height);
}

void layout::ApplyLayout(TComponent* component, const std::string& name) {
  if (!component) return;
  const std::string pos = name + "_CtrlPos";
  const std::string vis = name + "_Visible";
  // A copy: applying may not add components, but be safe if it does.
  std::vector<TComponent*> owned = component->Components();
  for (TComponent* c : owned) {
    TControl* control = c->AsControl();
    if (!control) continue;
    if (!control->Components().empty()) ApplyLayout(control, name + "_" + control->Name());
    ApplyCtrlPos(control, pos);
    control->SetVisible(g_GlobalVar.InfoReadBool(vis, control->Name(), control->Visible()));
  }
}

void layout::ApplyLateLayout(TControl* control) {
  if (!control || !control->Owner()) return;
  std::string name;
  for (TComponent* c = control->Owner(); c; c = c->Owner())
    name = name.empty() ? c->Name() : c->Name() + "_" + name;
  if (!control->Components().empty()) ApplyLayout(control, name + "_" + control->Name());
  ApplyCtrlPos(control, name + "_CtrlPos");
  control->SetVisible(
      g_GlobalVar.InfoReadBool(name + "_Visible", control->Name(), control->Visible()));
}

int layout::FitLabel(TLabel* label) {
  if (!label) return 0;
  int measured = label->MeasureCaption().cx;
  label->SetWidth(measured + 6);
  return measured;
}

void layout::FitLabelPair(TLabel* label, TControl* value, int right) {
  if (!label) return;
  int measured = FitLabel(label);
  if (!value) return;
  int left = label->Left() + measured + 6;
  value->SetBounds(left, value->Top(), right - left, value->Height());
}

TImage* layout::MarkImage(TComponent* owner, TContainer* fallbackParent, TLabel* label,
                          const TPicture* picture, int left) {
  if (!label || !picture) return nullptr;
  // In the label's own parent, so that the coordinates agree even for a
  // label inside a panel.
  TContainer* parent = label->Parent() ? label->Parent() : fallbackParent;
  auto* image = new TImage(owner, parent, label->Name() + "Mark");
  image->SetPicture(*picture);
  int top = label->Top() + (label->Height() - picture->Height()) / 2;
  image->SetBounds(left, top, picture->Width(), picture->Height());
  image->SetVisible(label->Visible());
  return image;
}

// ---- TFormBase --------------------------------------------------------------------------

TFormBase::TFormBase(TComponent* owner, std::string name, DWORD style, DWORD exStyle)
    : TForm(owner, std::move(name), style, exStyle) {
  accessnames::InstallTexts();
}

TFormBase::~TFormBase() {
  // Never leave a freed form in the modal list.
  auto& list = ModalList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

int TFormBase::ShowModal() {
  ModalList().push_back(this);
  struct Entry {
    TFormBase* form;
    ~Entry() { RemoveLast(form); }
  } entry{this};
  return TForm::ShowModal();
}

TFormBase* TFormBase::TopModalForm() {
  auto& list = ModalList();
  return list.empty() ? nullptr : list.back();
}

const std::vector<TFormBase*>& TFormBase::ModalForms() {
  return ModalList();
}

namespace {
int g_SystemDialogs = 0;
}  // namespace

TFormBase::SystemDialogScope::SystemDialogScope() {
  ++g_SystemDialogs;
}

TFormBase::SystemDialogScope::~SystemDialogScope() {
  --g_SystemDialogs;
}

int TFormBase::SystemDialogs() {
  return g_SystemDialogs;
}

void TFormBase::ApplyLayout(TComponent* component, const std::string& name) {
  layout::ApplyLayout(component, name);
}

void TFormBase::ApplyCtrlPos(TControl* control, const std::string& section) {
  layout::ApplyCtrlPos(control, section);
}

TImage* TFormBase::PlaceMarkImage(TLabel* label, const TPicture* picture) {
  if (!label || !picture) return nullptr;
  return layout::MarkImage(this, this, label, picture, label->Left() - picture->Width() - 6);
}

void TFormBase::LocaliseLabels(const std::string& section) {
  for (TComponent* c : Components()) {
    if (!c->IsLabel()) continue;
    auto* label = static_cast<TControl*>(c->AsControl());
    label->SetCaption(g_GlobalVar.StrFileRead(section, label->Name(), label->Caption()));
  }
}

int TFormBase::FitLabel(TLabel* label) {
  if (!label) return 0;
  layout::FitLabel(label);
  return label->Width();
}

void TFormBase::FitLabelPair(TLabel* label, TControl* value, int right) {
  layout::FitLabelPair(label, value, right);
}

TPicButton* TFormBase::MakeBorderlessFrame(TImage* background) {
  auto* close = new TPicButton(this, this, "BtnClose");
  close->SetFaces(ResPicture("ImgBtnCloseN"), ResPicture("ImgBtnCloseH"),
                  ResPicture("ImgBtnCloseH"));
  close->SetBounds(background->Width() - 28, 10, 20, 20);
  accessnames::NameButton(close, "Close", "Close");
  MouseOnly(close);
  close->OnClick = [this] { SetModalResult(mrOk); };
  background->OnMouseMove = [this](UINT keys, int, int) {
    if (!(keys & MK_LBUTTON) || !Handle()) return;
    ReleaseCapture();
    SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  };
  return close;
}

TImage* TFormBase::MakeBorderlessBackground(const TPicture& picture, int width, int height) {
  auto* background = new TImage(this, this, "ImgBG");
  background->SetPicture(picture);
  if (!picture.Empty()) {
    width = picture.Width();
    height = picture.Height();
  }
  background->SetBounds(0, 0, width, height);
  SetClientSize(width, height);
  return background;
}

void TFormBase::MouseOnly(TWinControl* control) {
  SetWindowLongW(control->Handle(), GWL_STYLE,
                 GetWindowLongW(control->Handle(), GWL_STYLE) & ~WS_TABSTOP);
}
