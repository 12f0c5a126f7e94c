#include "workers/Uthread.h"

#include <algorithm>
#include <exception>

#include "adapter/Ufaultguard.h"
#include "app/Udebug.h"
#include "app/Utimescale.h"

namespace {

// How often a stop that gave up waiting looks again whether the thread is
// inside the library or has ended.
constexpr DWORD kRecheckMs = 50;

}  // namespace

DWORD CThread::Slot() {
  // Win32 thread-local storage: reading it never allocates, unlike the
  // compiler's thread_local here, so it is safe on the way into a call.
  static const DWORD slot = TlsAlloc();
  return slot;
}

CThread::CThread() {
  Slot();  // allocated before any thread of ours runs
  handle_ = CreateThread(nullptr, 0, &CThread::ThreadProc, this, CREATE_SUSPENDED, &id_);
  if (!handle_) LogError(GetLastError(), "CreateThread");
}

CThread::~CThread() {
  if (handle_) {
    // A thread that was never started has run no code: nothing is held.
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
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

CThread* CThread::EnterLibrary() {
  CThread* self = static_cast<CThread*>(TlsGetValue(Slot()));
  if (!self) return nullptr;  // not one of ours: never killed
  int expected = kInOwnCode;
  // A call made from inside another (none is) leaves the outer mark alone.
  return self->place_.compare_exchange_strong(expected, kInLibrary) ? self : nullptr;
}

void CThread::LeaveLibrary(CThread* thread) {
  if (!thread) return;
  int expected = kInLibrary;
  if (thread->place_.compare_exchange_strong(expected, kInOwnCode)) return;
  // A killer took this thread while it was inside and is ending it. Here
  // nothing of the program is held but the library lock, which the killer
  // frees; going on would let the kill land anywhere.
  for (;;) Sleep(INFINITE);
}

bool CThread::KillInLibrary(const char* logLine) {
  if (!handle_ || !started_) return false;
  int expected = kInLibrary;
  if (!place_.compare_exchange_strong(expected, kBeingKilled)) return false;
  if (logLine) LogWrite("%s", logLine);
  // TerminateThread only asks; wait until the thread is really gone, so
  // that what it held (the library lock's mutex) is released by now.
  if (TerminateThread(handle_, 1)) WaitForSingleObject(handle_, 5000);
  state_ |= kFinished;
  return true;
}

CThread::StopOutcome CThread::WaitOrKillInLibrary(DWORD ms, bool answering, const char* killLine,
                                                  const char* waitLine, DWORD abandonMs) {
  auto wait = [&](DWORD t) { return answering ? WaitForAnswering(t) : WaitFor(t); };
  if (wait(ms)) return StopOutcome::kEnded;
  if (abandonMs == 0) abandonMs = timescale::Ms(kAbandonMs);
  const DWORD start = GetTickCount();
  bool told = false;
  for (;;) {
    if (KillInLibrary(killLine)) return StopOutcome::kKilled;
    if (!told && waitLine) LogWrite("%s", waitLine);
    told = true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= abandonMs) break;
    if (wait(std::min(kRecheckMs, abandonMs - elapsed))) return StopOutcome::kEnded;
  }
  // Stuck in the program's own code (a loop, a wait that ignores the stop):
  // a kill there could leave a lock of the process taken for good, so the
  // thread runs on and its caller goes on without it.
  if (KillInLibrary(killLine)) return StopOutcome::kKilled;
  state_ |= kAbandonedBit;
  LogWrite("Thread %lu abandoned: still running in its own code %lu ms after its stop%s",
           static_cast<unsigned long>(id_), static_cast<unsigned long>(ms + abandonMs),
           terminated_ ? "" : " (it was never told to end)");
  return StopOutcome::kAbandoned;
}

void CThread::Release() {
  // Never started, or already over: nobody else will free it.
  if (!handle_ || !started_ || (state_.fetch_or(kReleased) & kFinished)) delete this;
}

DWORD WINAPI CThread::ThreadProc(LPVOID self) {
  CThread* thread = static_cast<CThread*>(self);
  TlsSetValue(Slot(), thread);
  // The fault counter's thread storage is made now, not on the way out of
  // a faulted library call, where the thread may be killed.
  faultguard::ThreadFaults();
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
  // A fault inside a library call abandons the call: the mark goes with it.
  thread->place_ = kInOwnCode;
  TlsSetValue(Slot(), nullptr);
  if (thread->state_.fetch_or(kFinished) & kReleased) delete thread;
  return 0;
}
