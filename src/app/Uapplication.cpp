#include "app/Uapplication.h"

#include "config/Uunicode.h"
#include "ui/Uform.h"

CApplication Application;

void CApplication::Initialize() {
  threadId_ = GetCurrentThreadId();
  terminated_ = false;
}

bool CApplication::HandleMessage(MSG& msg, bool wait) {
  if (wait) {
    const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0 || r == -1) {
      terminated_ = true;
      return false;
    }
  } else {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      return false;
    }
  }
  // Tab and the arrow keys move the focus in whatever window is active.
  HWND active = GetActiveWindow();
  if (active && TForm::DialogMessage(active, msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void CApplication::Run() {
  if (MainWindow && ShowMainForm) {
    ShowWindow(MainWindow, SW_SHOW);
    UpdateWindow(MainWindow);
  }
  MSG msg;
  while (!terminated_) {
    HandleMessage(msg, true);
    if (MainWindow && !IsWindow(MainWindow)) terminated_ = true;
  }
}

void CApplication::ProcessMessages() {
  MSG msg;
  while (!terminated_ && HandleMessage(msg, false)) {
  }
}

void CApplication::Terminate() {
  terminated_ = true;
  if (threadId_ == 0 || threadId_ == GetCurrentThreadId()) {
    PostQuitMessage(0);
  } else {
    // Wakes the loop so that it sees the flag.
    PostThreadMessageW(threadId_, WM_NULL, 0, 0);
  }
}

void CApplication::ShowException(const std::string& message) {
  if (OnException) {
    OnException(message);
    return;
  }
  HWND owner = MainWindow && IsWindow(MainWindow) ? MainWindow : nullptr;
  MessageBoxW(owner, Wide(message).c_str(), Wide(Title).c_str(), MB_OK | MB_ICONERROR);
}
