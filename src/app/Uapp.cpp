#include "app/Uapp.h"

#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

#include "adapter/Ulibrarylock.h"
#include "app/Uapplication.h"
#include "app/Udebug.h"
#include "app/Uscriptrun.h"
#include "config/Udefine.h"
#include "config/Unotify.h"
#include "config/Uunicode.h"

namespace {

struct Switch {
  const char* Literal;
  int32_t Bit;
};
constexpr Switch kSwitches[] = {
    {"/Close", CmdClose}, {"/Service", CmdService}, {"/UI", CmdUI}, {"/TrayIcon", CmdTrayIcon}};

void Broadcast(WPARAM code) {
  SendMessageA(HWND_BROADCAST, NotifyMsg, code, 0);
}

void StartupSteps(int argc, const char* const* argv, StartupState& state) {
  const int32_t flags = ParseCommandLine(argc, argv);
  script::Request request;
  std::string usage;
  const bool scripted = script::ParseCommandLine(argc, argv, request, usage);
  if (scripted && !(flags & CmdClose)) {
    // A script may run where nobody can click: what goes wrong goes to the
    // standard error and the log, never into a message box.
    g_GlobalVar.Unattended = true;
    state.ScriptDisplay = true;
    state.PreviousDisplay = Application.OnException;
    Application.OnException = [&state](const std::string& message) {
      script::WriteReply(script::Failure(script::kExitFailed, "The request failed: " + message));
      state.ExitCode = script::kExitFailed;
    };
  }
  if (!g_GlobalVar.Load(flags)) {
    if (g_GlobalVar.Unattended) {
      script::WriteReply(script::Failure(script::kExitNoLibrary,
                                         "The wireless library OMXWL.DLL could not be loaded."));
      state.ExitCode = script::kExitNoLibrary;
    }
    return;
  }

  if (flags & CmdClose) {
    LogWrite("PM_CLOSE");
    Broadcast(kNotifyClose);
    return;
  }
  // Scripts never bring a window up, here or in the running instance.
  if (scripted) {
    if (!usage.empty()) {
      script::WriteReply(script::Failure(script::kExitUsage, usage));
      state.ExitCode = script::kExitUsage;
    } else {
      state.ExitCode = script::Run(request);
    }
    return;
  }
  if (!CreateInstanceMutex(state.Mutex)) return;

  // The window's thread: its waits for the library are bounded.
  librarylock::SetInterfaceThread(GetCurrentThreadId());
  Application.Initialize();
  Application.Title = g_GlobalVar.AppTitle;
  Application.HelpFile.clear();
  if (!CreateMainForm(flags)) throw std::runtime_error("Cannot create the main window");
  if (!(flags & CmdUI)) Application.ShowMainForm = false;
  Application.Run();
}

void Teardown(StartupState& state) {
  if (Application.MainWindow && IsWindow(Application.MainWindow)) {
    DestroyWindow(Application.MainWindow);
  }
  Application.MainWindow = nullptr;
  if (state.Mutex) {
    CloseHandle(state.Mutex);
    state.Mutex = nullptr;
  }
  if (state.ScriptDisplay) {
    Application.OnException = state.PreviousDisplay;
    state.ScriptDisplay = false;
  }
}

void ShowGuarded(const char* message) {
  try {
    Application.ShowException(message);
  } catch (...) {
    // Nothing leaves the entry point.
  }
}

}  // namespace

int32_t ParseCommandLine(int argc, const char* const* argv) {
  int32_t flags = 0;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv && argv[i] ? argv[i] : "";
    // UTF-8, and one line whatever was typed.
    LogWrite("Param(%d) %s", i, EscapeControls(arg).c_str());
    for (const Switch& s : kSwitches) {
      if (_stricmp(arg, s.Literal) == 0) flags |= s.Bit;
    }
  }
  return flags;
}

bool CreateInstanceMutex(HANDLE& mutex, const InstanceRetry& retry) {
  // The root may hold any character: the same W name the script side opens.
  const std::wstring name = Wide(g_GlobalVar.MutexName);
  mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  DWORD error = GetLastError();
  if (!mutex) {
    // The name exists but cannot be opened: ask whoever holds it to end.
    LogError(error, "can't create instance mutex");
    for (int i = 0; i < retry.Attempts && !mutex; ++i) {
      LogWrite("broadcast close message and wait %d", i);
      Broadcast(kNotifyClose);
      Sleep(retry.WaitMs);
      mutex = CreateMutexW(nullptr, FALSE, name.c_str());
      error = GetLastError();
    }
    if (!mutex) {
      LogError(error, "can't create instance mutex again");
      return false;
    }
  }
  if (error == ERROR_ALREADY_EXISTS) {
    LogWrite("Instance mutex already exists");
    Broadcast(kNotifyShow);
    CloseHandle(mutex);
    mutex = nullptr;
    return false;
  }
  return true;
}

int RunGuarded(StartupState& state, const std::function<void(StartupState&)>& body) {
  try {
    body(state);
  } catch (const std::exception& e) {
    ShowGuarded(e.what());
    LogWrite("Exception(WinMain): %s", e.what());
  } catch (...) {
    // Not an exception object: shown as one with an empty message.
    LogWrite("Exception(WinMain)");
    ShowGuarded(std::runtime_error("").what());
  }
  Teardown(state);
  return state.ExitCode;
}

int RunProgram(int argc, const char* const* argv) {
  StartupState state;
  return RunGuarded(state, [&](StartupState& s) { StartupSteps(argc, argv, s); });
}
