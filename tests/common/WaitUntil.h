// Waiting in tests: one bounded wait for a condition. It dispatches the
// calling thread's messages meanwhile, so the thread's windows keep
// answering (timers, posted notifications, broadcasts sent from elsewhere)
// while the test waits for what they do.
#pragma once

#include <windows.h>

#include <algorithm>

// Dispatches the sent and posted messages waiting for this thread.
inline void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Waits until condition() holds, for at most timeoutMs; false when it never
// did. The condition is checked once at the start and once more at the
// bound. With a condition that never holds it simply pumps for timeoutMs.
template <typename F>
bool WaitUntil(F&& condition, DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  for (;;) {
    PumpMessages();
    if (condition()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(20, timeoutMs - elapsed),
                              QS_ALLINPUT);
  }
}
