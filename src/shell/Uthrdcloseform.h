// A short-lived thread that closes the open modal windows one after the
// other, through the user-interface thread, until only the main window is
// left. It frees itself when it ends.
#pragma once

#include <functional>

#include "workers/Uthread.h"

class TFormBase;

class CThrdCloseForm : public CThread {
 public:
  // Starts at once; onTerminate (optional) runs on the user-interface
  // thread after the thread has ended, then the object is freed. Create it
  // on the user-interface thread, with new; never delete it.
  explicit CThrdCloseForm(std::function<void()> onTerminate = nullptr);

 protected:
  void Execute() override;

 private:
  ~CThrdCloseForm() override = default;
  // On the user-interface thread: asks the top modal form to close once.
  void CloseStep();
  // On the user-interface thread, once the thread has ended.
  void Finish();

  std::function<void()> onTerminate_;
  TFormBase* closedLast_ = nullptr;
};
