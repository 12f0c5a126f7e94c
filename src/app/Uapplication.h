// The application object: title, main window, message loop and the standard
// display of an exception.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

class CApplication {
 public:
  CApplication() = default;
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  std::string Title;
  std::string HelpFile;
  HWND MainWindow = nullptr;
  // Cleared to keep the main window hidden when Run starts.
  bool ShowMainForm = true;
  // Replaces the message box of ShowException when set (tests, embedding).
  std::function<void(const std::string&)> OnException;

  // Binds the object to the calling thread, which runs the message loop.
  void Initialize();
  // Shows the main window (unless ShowMainForm is off) and dispatches
  // messages until Terminate, WM_QUIT or the end of the main window.
  void Run();
  // Dispatches what is queued now, without waiting.
  void ProcessMessages();
  // Ends Run; callable from any thread.
  void Terminate();
  bool Terminated() const { return terminated_; }

  void ShowException(const std::string& message);

 private:
  // One message: false when there is nothing (peek) or the loop must end.
  bool HandleMessage(MSG& msg, bool wait);

  std::atomic<bool> terminated_{false};
  DWORD threadId_ = 0;
};

extern CApplication Application;
