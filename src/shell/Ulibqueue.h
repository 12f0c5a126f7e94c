// User actions that need the vendor library, kept in order on the interface
// thread while another thread holds the library lock. The interface thread
// never sits in the lock wait: an action that cannot have the lock within
// librarylock's bound waits here, its control disabled, and runs as soon as
// the lock is freed (librarylock::Release posts the wake-up; a short timer
// looks again in case that post was missed). When the lock stays taken past
// kGiveUpMs the waiting actions are dropped and the user is told once that
// the adapter is not answering.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

class TControl;

namespace libqueue {

// How long queued actions wait for the lock before they are dropped.
constexpr DWORD kGiveUpMs = 5000;
// How often the queue looks at the lock besides the wake-up.
constexpr DWORD kRetryMs = 100;

// Runs action now when the lock can be had (and nothing waits before it),
// else queues it behind the others with busy (may be null) disabled until it
// runs or is dropped. True when it ran now. what names it in the log.
bool Run(TControl* busy, const std::string& what, std::function<void()> action);
// Queues action without looking at the lock first: for a caller whose own
// call has just missed it (a page that showed what it could, a retry).
void Queue(TControl* busy, const std::string& what, std::function<void()> action);

// Drops every waiting action without running it and gives the controls back
// (adapter released, window closing). why names the cause in the log.
void Clear(const char* why);

// Drops the waiting actions of control busy without giving it back its
// state: its owner is setting a new one (a list reset while Windows takes
// the adapter).
void Forget(TControl* busy);

// Actions waiting.
size_t Count();

// Runs what can run now and drops what waited too long. The wake-up message
// and the timer call it; a test may call it too.
void Pump();

// Told once per drop, on the interface thread: by default the program's
// message box over the main window. A test replaces it.
extern std::function<void(size_t dropped)> OnNotAnswering;

}  // namespace libqueue
