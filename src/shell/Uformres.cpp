#include "shell/Uformres.h"

#include "app/Udebug.h"
#include "config/Uutility.h"
#include "shell/Uformmsgbox.h"

TFormRes* FormRes = nullptr;

namespace {

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TFormRes::TFormRes(TComponent* owner) : TForm(owner, "FormRes") {
#define WU_CREATE_IMAGE(n)                                             \
  n = new TImage(this, this, #n);                                      \
  {                                                                    \
    TPicture p;                                                        \
    if (!p.LoadFromResource(#n)) LogWrite("TFormRes: no picture " #n); \
    n->SetPicture(p);                                                  \
    n->FitToPicture();                                                 \
  }
  WU_FORMRES_IMAGES(WU_CREATE_IMAGE)
#undef WU_CREATE_IMAGE
#define WU_CREATE_IMAGE_LIST(n)                                        \
  n = new TImageList(this, #n);                                        \
  {                                                                    \
    TPicture p;                                                        \
    if (!p.LoadFromResource(#n)) LogWrite("TFormRes: no picture " #n); \
    n->SetPicture(p);                                                  \
  }
  WU_FORMRES_IMAGE_LISTS(WU_CREATE_IMAGE_LIST)
#undef WU_CREATE_IMAGE_LIST
  ReplaceFromResPath();
  if (!FormRes) FormRes = this;
  // From here on the program's questions use the program's own box.
  previousMsgBox_ = InstallMsgBox();
}

TFormRes::~TFormRes() {
  SetMsgBoxHandler(previousMsgBox_);
  if (FormRes == this) FormRes = nullptr;
}

TImage* TFormRes::Image(std::string_view name) const {
  TComponent* c = FindComponent(name);
  return c && c->Kind() == TKind::Image ? static_cast<TImage*>(c) : nullptr;
}

TImageList* TFormRes::ImageList(std::string_view name) const {
  TComponent* c = FindComponent(name);
  return c && c->Kind() == TKind::ImageList ? static_cast<TImageList*>(c) : nullptr;
}

void TFormRes::ReplaceFromResPath() {
  std::string sub = g_GlobalVar.InfoReadString("Setting", "Res_Path", "");
  if (sub.empty()) return;
  std::string dir = g_GlobalVar.ExeDir + sub;
  if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
  if (!DirectoryExists(dir)) return;
  for (TComponent* c : Components()) {
    if (c->Kind() != TKind::Image) continue;
    auto* image = static_cast<TImage*>(c);
    std::string file = g_GlobalVar.InfoReadString("FormRes_TImage", image->Name(), "");
    if (file.empty() || !FileExists(dir + file)) continue;
    TPicture p;
    if (p.LoadFromFile(dir + file)) {
      image->SetPicture(p);
      image->FitToPicture();
    } else {
      LogWrite("TFormRes: cannot load %s", (dir + file).c_str());
    }
  }
}

const TPicture& ResPicture(const char* name) {
  static const TPicture empty;
  TImage* image = FormRes && name ? FormRes->Image(name) : nullptr;
  return image ? image->Picture() : empty;
}
