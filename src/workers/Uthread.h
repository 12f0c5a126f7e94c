// The platform thread class: a Win32 thread with a handle, a terminated flag
// and a virtual Execute. The object is never freed by its thread unless its
// owner hands it over (Release); otherwise the owner stops it and deletes
// it, so a killed thread never leaves the object dangling.
//
// A thread is killed only while it is inside a call into the vendor library,
// the one place it can hang that the program cannot interrupt. Anywhere else
// it may hold a lock of the process (the heap's, the C runtime's) that its
// death would keep taken for good, and it is in the program's own code,
// which should reach its next stop check; there it is waited for, a bounded
// time: a thread that does not end then is abandoned, and its owner keeps
// (leaks) what the thread may still touch.
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
  bool Finished() const { return (state_ & kFinished) != 0; }
  HANDLE Handle() const { return handle_; }
  DWORD ThreadId() const { return id_; }

  // True when the thread has ended within ms milliseconds.
  bool WaitFor(DWORD ms) const;
  // The same, answering meanwhile the messages other threads send to the
  // calling thread, so a thread that sends to its waiter can still end.
  bool WaitForAnswering(DWORD ms) const;

  // Kills the thread if, and only if, it is inside a library call now;
  // logLine (may be null) is written just before. A thread caught on its
  // way out of the call is held there until it is gone. True when killed.
  bool KillInLibrary(const char* logLine);

  enum class StopOutcome { kEnded, kKilled, kAbandoned };
  // The stop of a thread that was told to end: waits ms (answering sent
  // messages when answering); a thread still running then is killed the
  // first time it is seen inside a library call, and otherwise waited for
  // (waitLine written once) up to abandonMs more, 0 meaning kAbandonMs on
  // the time scale. A thread still in its own code then is abandoned: its
  // state is logged and it runs on; the caller must not free the object or
  // anything the thread may touch.
  static constexpr DWORD kAbandonMs = 5000;
  StopOutcome WaitOrKillInLibrary(DWORD ms, bool answering, const char* killLine,
                                  const char* waitLine, DWORD abandonMs = 0);
  // True once a stop gave up on the thread (kAbandoned).
  bool Abandoned() const { return (state_ & kAbandonedBit) != 0; }

  // Gives the object to its thread: it is deleted when Execute ends, at
  // once when that has happened already. The caller must not touch it
  // afterwards.
  void Release();

  // Marks the calling thread as inside a library call, when it is one of
  // these threads; the result goes to LeaveLibrary. Used by the library
  // binding around every call.
  static CThread* EnterLibrary();
  static void LeaveLibrary(CThread* thread);
  // True while the thread is inside a library call (tests, logging).
  bool InLibrary() const { return place_ != kInOwnCode; }

 protected:
  virtual void Execute() = 0;

 private:
  static DWORD WINAPI ThreadProc(LPVOID self);
  static DWORD Slot();

  // Where the thread is, as a killer sees it; only a killer moves it from
  // kInLibrary to kBeingKilled.
  enum : int { kInOwnCode = 0, kInLibrary = 1, kBeingKilled = 2 };
  // Bits of state_.
  enum : int { kFinished = 1, kReleased = 2, kAbandonedBit = 4 };

  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
  bool started_ = false;
  std::atomic<bool> terminated_{false};
  std::atomic<int> state_{0};
  std::atomic<int> place_{kInOwnCode};
};
