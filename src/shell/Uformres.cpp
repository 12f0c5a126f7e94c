#include "shell/Uformres.h"

#include "app/Udebug.h"
#include "config/Uunicode.h"
#include "config/Uutility.h"
#include "shell/Uformmsgbox.h"

TFormRes* FormRes = nullptr;

namespace {

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The larger drawings beside every picture: name suffix and the DPI they are
// made for.
struct TScaleSet {
  const char* suffix;
  UINT dpi;
};
constexpr TScaleSet kScaleSets[] = {{"_150", 144}, {"_200", 192}};

// A set drawn for dpi fits when each side is the 96-DPI side at that scale,
// rounded either way; any other size would break the layout.
bool FitsScale(const TPicture& base, const TPicture& set, UINT dpi) {
  auto fits = [dpi](int logical, int pixels) {
    const int exact = logical * static_cast<int>(dpi);
    const int base = static_cast<int>(ui::dpi::kBase);
    return pixels * base > exact - base && pixels * base < exact + base;
  };
  return fits(base.Width(), set.PixelWidth()) && fits(base.Height(), set.PixelHeight());
}

// A replacement file with its larger drawings beside it ("mark.png",
// "mark_150.png", "mark_200.png"); false when the file itself cannot be
// loaded. Without them the picture is scaled up when drawn.
bool LoadReplacement(const std::string& path, TPicture& out) {
  TPicture p;
  if (!p.LoadFromFile(path)) return false;
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("\\/");
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string stem = hasExt ? path.substr(0, dot) : path;
  const std::string ext = hasExt ? path.substr(dot) : "";
  for (const TScaleSet& set : kScaleSets) {
    const std::string name = stem + set.suffix + ext;
    if (!FileExists(name)) continue;
    TPicture v;
    if (v.LoadFromFile(name) && FitsScale(p, v, set.dpi))
      p.AddVariant(v, set.dpi);
    else
      LogWrite("TFormRes: cannot use %s (not a picture %dx%d at %u DPI)", name.c_str(), p.Width(),
               p.Height(), set.dpi);
  }
  out = p;
  return true;
}

}  // namespace

TPicture BuiltInPicture(const char* name) {
  TPicture p;
  if (!name || !p.LoadFromResource(name)) {
    LogWrite("TFormRes: no picture %s", name ? name : "");
    return p;
  }
  for (const TScaleSet& set : kScaleSets) {
    TPicture v;
    if (v.LoadFromResource((std::string(name) + set.suffix).c_str()))
      p.AddVariant(v, set.dpi);
    else
      LogWrite("TFormRes: no picture %s%s", name, set.suffix);
  }
  return p;
}

TFormRes::TFormRes(TComponent* owner) : TForm(owner, "FormRes") {
#define WU_CREATE_IMAGE(n)           \
  n = new TImage(this, this, #n);    \
  n->SetPicture(BuiltInPicture(#n)); \
  n->FitToPicture();
  WU_FORMRES_IMAGES(WU_CREATE_IMAGE)
#undef WU_CREATE_IMAGE
#define WU_CREATE_IMAGE_LIST(n) \
  n = new TImageList(this, #n); \
  n->SetPicture(BuiltInPicture(#n));
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
    if (LoadReplacement(dir + file, p)) {
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
