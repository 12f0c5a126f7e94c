#include "shell/Uthrdcloseform.h"

#include <exception>

#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "shell/Uformbase.h"
#include "ui/Uuithread.h"

CThrdCloseForm::CThrdCloseForm(std::function<void()> onTerminate)
    : onTerminate_(std::move(onTerminate)) {
  ui::InitUiThread();
  if (Handle()) {
    Start();
    return;
  }
  // No thread: the completion still runs, so a waiting release finishes.
  LogWrite("CThrdCloseForm: the thread could not be created");
  CThrdCloseForm* self = this;
  ui::Queue([self] { self->Finish(); });
}

void CThrdCloseForm::CloseStep() {
  TFormBase* top = TFormBase::TopModalForm();
  if (!top || top->Handle() == Application.MainWindow) {
    closedLast_ = nullptr;
  } else if (top != closedLast_) {
    closedLast_ = top;
    top->Close();
  }
}

void CThrdCloseForm::Execute() {
  try {
    for (;;) {
      if (!ui::Synchronize([this] { CloseStep(); })) break;
      if (!closedLast_) break;
      Sleep(10);
    }
  } catch (const std::exception& e) {
    LogWrite("Exception(CThrdCloseForm::Execute): %s", e.what());
  } catch (...) {
    LogWrite("Exception(CThrdCloseForm::Execute)");
  }
  // Nothing touches the object after this: the user-interface thread frees
  // it once the thread has really ended.
  CThrdCloseForm* self = this;
  if (!ui::Queue([self] { self->Finish(); }))
    LogWrite("CThrdCloseForm: the user-interface thread is gone");
}

void CThrdCloseForm::Finish() {
  if (!WaitFor(50)) {
    // Still on its way out of the thread procedure: look again later.
    CThrdCloseForm* self = this;
    ui::Queue([self] { self->Finish(); });
    return;
  }
  try {
    if (onTerminate_) onTerminate_();
  } catch (const std::exception& e) {
    LogWrite("Exception(CThrdCloseForm::OnTerminate): %s", e.what());
  } catch (...) {
    LogWrite("Exception(CThrdCloseForm::OnTerminate)");
  }
  delete this;
}
