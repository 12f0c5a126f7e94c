// The user-interface thread's hidden window: it serves the toolkit's timers
// and lets other threads run code on the user-interface thread.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

// Creates the hidden window on the calling thread, which from then on is the
// user-interface thread. Later calls (from any thread) do nothing.
void InitUiThread();
HWND UiThreadWindow();
bool IsUiThread();

// Runs fn on the user-interface thread and waits for it. An exception thrown
// by fn is thrown again in the caller. Returns false when fn could not run
// because the user-interface thread's window is gone.
bool Synchronize(const std::function<void()>& fn);

// Runs fn later on the user-interface thread (posted); false when it could
// not be posted.
bool Queue(std::function<void()> fn);

// Timers of the hidden window: the callback runs on the user-interface
// thread. Returns the timer id (never 0), or 0 on failure.
UINT_PTR StartTimer(UINT intervalMs, std::function<void()> onTimer);
void StopTimer(UINT_PTR id);

}  // namespace ui
