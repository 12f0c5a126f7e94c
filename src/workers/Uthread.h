// The platform thread class: a Win32 thread with a handle, a terminated flag
// and a virtual Execute. The object is never freed by its thread; its owner
// stops it (and, after a time-out, kills it) and then deletes it, so a killed
// thread never leaves the object dangling.
#pragma once

#include <windows.h>

#include <atomic>

class CThread {
 public:
  // The thread is created suspended; a derived class calls Start() at the
  // end of its own constructor, so Execute never sees a half-built object.
  CThread();
  virtual ~CThread();
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

  void Start();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Finished() const { return finished_; }
  HANDLE Handle() const { return handle_; }
  DWORD ThreadId() const { return id_; }

  // True when the thread has ended within ms milliseconds.
  bool WaitFor(DWORD ms) const;
  // The same, answering meanwhile the messages other threads send to the
  // calling thread, so a thread that sends to its waiter can still end.
  bool WaitForAnswering(DWORD ms) const;
  // Forced termination; only after WaitFor gave up.
  void Kill();

 protected:
  virtual void Execute() = 0;

 private:
  static DWORD WINAPI ThreadProc(LPVOID self);

  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
  bool started_ = false;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
};
