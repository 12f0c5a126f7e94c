#include "app/Ustandinmain.h"

#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "config/Udefine.h"
#include "config/Uutility.h"

namespace {

const char kClassName[] = "WirelessUtilityMain";

class TStandInMain {
 public:
  void Start(int32_t flags) { flags_ = flags; }
  int32_t Flags() const { return flags_; }

  // Same as choosing "Open": show and bring to the front.
  void Open(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    ShowWindow(window, SW_SHOW);
    ForceForeground(window);
  }
  // Same as choosing "Close": the window closes for real.
  void CloseAll(HWND window) {
    closing_ = true;
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  bool Closing() const { return closing_; }

  // Set once the window exists; until then the creator frees the object.
  bool OwnedByWindow = false;

 private:
  int32_t flags_ = 0;
  bool closing_ = false;
};

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<TStandInMain*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (form && NotifyMsg != 0 && message == NotifyMsg) {
    if (wParam == 1) {
      form->Open(window);
    } else if (wParam == 9) {
      LogWrite("WPM_CLOSEALL");
      form->CloseAll(window);
    }
    return 0;
  } else if (message == WM_CLOSE && form) {
    // The close box only hides; the program ends through the close request.
    if (!form->Closing()) {
      ShowWindow(window, SW_HIDE);
      return 0;
    }
    DestroyWindow(window);
    return 0;
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (form && form->OwnedByWindow) delete form;
    if (Application.MainWindow == window) Application.Terminate();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, kClassName, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  return RegisterClassExA(&wc) != 0;
}

}  // namespace

HWND CreateMainForm(int32_t flags) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterMainClass(instance)) {
    LogError(GetLastError(), "RegisterClass(%s) failed", kClassName);
    return nullptr;
  }
  auto* form = new TStandInMain;
  HWND window =
      CreateWindowExA(0, kClassName, g_GlobalVar.AppTitle.c_str(),
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                      CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, form);
  if (!window) {
    LogError(GetLastError(), "CreateWindow(%s) failed", kClassName);
    delete form;
    return nullptr;
  }
  form->OwnedByWindow = true;
  Application.MainWindow = window;
  form->Start(flags);
  return window;
}
