// The main window's life: its start, the close that hides it, the Close
// that frees it once nothing of its own runs, and the end of a session.
#include <exception>

#include "adapter/Unicadapter.h"
#include "app/Uapp.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "shell/Propertypageframeunit.h"
#include "shell/Uformmain.h"
#include "shell/Uformres.h"
#include "shell/Ulibqueue.h"
#include "shell/Uthrdcloseform.h"
#include "shell/Utraynotes.h"
#include "workers/Uthrddetect.h"

namespace {

// The file dialogs of the pages: they are asked to close (Cancel) when the
// program ends under them.
BOOL CALLBACK CancelDialog(HWND hwnd, LPARAM) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(hwnd))
    PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

void CancelSystemDialogs() {
  EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
}

void StopDetection() {
  if (!g_ThrdDetect) return;
  CThrdDetect* detect = g_ThrdDetect;
  g_ThrdDetect = nullptr;
  CThrdDetect::Dispose(detect);
}

}  // namespace

void TFormMain::Start(int32_t flags) {
  Busy busy(this);
  CmdFlags = flags;
  if (!g_ThrdDetect) g_ThrdDetect = new CThrdDetect(Handle());
  SetTrayIcon(kIconDisconnected);
  if (CmdFlags & CmdTrayIcon) TrayIconMain->SetVisible(true);
  OpenScriptChannel(true);
}

TFormMain::~TFormMain() {
  *alive_ = false;
  FormDestroy();
  // Components go now, while the image resource form they draw from still
  // exists.
  DestroyComponents();
  if (OwnedFormRes) {
    delete OwnedFormRes;
    OwnedFormRes = nullptr;
  }
  if (FormMain == this) FormMain = nullptr;
  if (Application.MainWindow && Application.MainWindow == Handle()) {
    Application.MainWindow = nullptr;
    Application.Terminate();
  }
}

void TFormMain::FormDestroy() {
  if (lifetime_ == Lifetime::Destroyed) return;
  lifetime_ = Lifetime::Destroyed;
  KillTimer(Handle(), kFreeRetryTimer);
  libqueue::Clear("window closed");
  OpenScriptChannel(false);
  for (TPropertyPageFrame* page : Pages()) {
    try {
      page->DonePage();
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::FormDestroy %s): %s", page->Name().c_str(), e.what());
    }
  }
  StopDetection();
  device_.reset();
  if (adapter_) {
    CNICAdapter* adapter = adapter_;
    adapter_ = nullptr;
    CNICAdapter::Dispose(adapter);
  }
}

void TFormMain::MenuItCloseClick() {
  if (lifetime_ == Lifetime::Running) lifetime_ = Lifetime::CloseRequested;
  Close();
}

void TFormMain::EndSession() {
  LogWrite("TFormMain::EndSession()");
  MenuItCloseClick();
  TrayIconMain->SetVisible(false);
  StopDetection();
  libqueue::Clear("session ends");
  if (adapter_) {
    AttachAll(kDetach, mode_);
    // Deleting the adapter waits for a connection in progress to finish
    // writing what it applied.
    CNICAdapter* adapter = adapter_;
    adapter_ = nullptr;
    CNICAdapter::Dispose(adapter);
    device_.reset();
  }
}

void TFormMain::FormClose(TCloseAction& action) {
  // The toolkit would end the program itself; this window decides.
  action = TCloseAction::None;
  TForm::FormClose(action);
  action = TCloseAction::None;
  if (lifetime_ == Lifetime::Running)
    Hide();
  else
    ScheduleFree();
}

void TFormMain::ScheduleFree() {
  Hide();
  if (lifetime_ != Lifetime::CloseRequested) return;
  lifetime_ = Lifetime::FreeScheduled;
  PostMessageW(Handle(), kMsgFree, 0, 0);
}

void TFormMain::TryFree() {
  if (lifetime_ != Lifetime::FreeScheduled) return;
  // Not under a running handler, modal window or menu of ours: close those
  // first and look again shortly.
  if (busy_ > 0 || TFormBase::TopModalForm() || TFormBase::SystemDialogs() > 0) {
    if (TFormBase::TopModalForm() && !closeThreadStarted_) {
      closeThreadStarted_ = true;
      new CThrdCloseForm();
    }
    if (TFormBase::SystemDialogs() > 0) CancelSystemDialogs();
    EndMenu();
    SetTimer(Handle(), kFreeRetryTimer, 50, nullptr);
    return;
  }
  KillTimer(Handle(), kFreeRetryTimer);
  delete this;
}
