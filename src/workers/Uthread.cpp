#include "workers/Uthread.h"

#include <exception>

#include "adapter/Ufaultguard.h"
#include "app/Udebug.h"

CThread::CThread() {
  handle_ = CreateThread(nullptr, 0, &CThread::ThreadProc, this, CREATE_SUSPENDED, &id_);
  if (!handle_) LogError(GetLastError(), "CreateThread");
}

CThread::~CThread() {
  if (handle_) {
    // A thread that was never started would hold the object forever.
    if (!started_) TerminateThread(handle_, 0);
    CloseHandle(handle_);
  }
}

void CThread::Start() {
  if (handle_ && !started_) {
    started_ = true;
    ResumeThread(handle_);
  }
}

bool CThread::WaitFor(DWORD ms) const {
  if (!handle_ || !started_) return true;
  return WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0;
}

bool CThread::WaitForAnswering(DWORD ms) const {
  if (!handle_ || !started_) return true;
  HANDLE thread = handle_;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, ms - elapsed, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    // Peeking delivers the sent messages; nothing posted is taken.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void CThread::Kill() {
  // TerminateThread only asks; wait until the thread is really gone, so
  // that what it held (the library lock's mutex) is released by now.
  if (handle_ && !finished_ && TerminateThread(handle_, 1)) WaitForSingleObject(handle_, 5000);
  finished_ = true;
}

DWORD WINAPI CThread::ThreadProc(LPVOID self) {
  CThread* thread = static_cast<CThread*>(self);
  // Nothing may propagate out of a thread body, not even a hardware fault:
  // the thread ends, and a library lock it held is abandoned, which the
  // lock's next taker notices.
  faultguard::Fault fault;
  const bool finished = faultguard::Run(
      [thread] {
        try {
          thread->Execute();
        } catch (const std::exception& e) {
          LogWrite("Exception(CThread::Execute): %s", e.what());
        } catch (...) {
          LogWrite("Exception(CThread::Execute)");
        }
      },
      &fault);
  if (!finished) LogWrite("Exception(CThread::Execute): %s", faultguard::Describe(fault).c_str());
  thread->finished_ = true;
  return 0;
}
