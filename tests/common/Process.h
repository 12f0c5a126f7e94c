// Child processes of the tests: a started program that is always ended, and
// a run to the end with its standard output and error captured in files.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/WaitUntil.h"
#include "config/Uunicode.h"

namespace wutest {

// A started program that is ended when the object goes, whatever happened.
// Its path, arguments and folder are UTF-8, passed as the system's UTF-16.
// With out (and err; null: with out) its standard streams go to those
// inheritable handles.
class ChildProcess {
 public:
  ChildProcess(const std::string& exe, const std::string& args, const std::string& dir,
               HANDLE out = nullptr, HANDLE err = nullptr) {
    std::wstring cmd = Wide("\"" + exe + "\" " + args);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (out) {
      si.dwFlags = STARTF_USESTDHANDLES;
      si.hStdInput = nullptr;
      si.hStdOutput = out;
      si.hStdError = err ? err : out;
    }
    started_ = CreateProcessW(Wide(exe).c_str(), cmd.data(), nullptr, nullptr, out ? TRUE : FALSE,
                              0, nullptr, Wide(dir).c_str(), &si, &pi_) != 0;
  }
  ~ChildProcess() {
    if (started_) {
      if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 10000);
      }
      CloseHandle(pi_.hThread);
      CloseHandle(pi_.hProcess);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return pi_.dwProcessId; }
  HANDLE Handle() const { return pi_.hProcess; }
  bool WaitExit(DWORD timeoutMs) {
    return WaitUntil([this] { return !Running(); }, timeoutMs);
  }
  bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION pi_ = {};
  bool started_ = false;
};

struct RunResult {
  DWORD Code = 0xFFFF;  // also when the program could not start
  std::string Out, Err;
};

// Runs exe with args in dir to its end; ended (exit code 99) when it runs
// longer than boundMs. Its output goes to outFile, its errors to errFile
// (empty: to outFile as well); watch, when given, is called with the
// process id while it runs.
inline RunResult RunToEnd(const std::string& exe, const std::string& args, const std::string& dir,
                          const std::string& outFile, const std::string& errFile, DWORD boundMs,
                          const std::function<void(DWORD)>& watch = nullptr) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  auto create = [&](const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0,
                       nullptr);
  };
  HANDLE out = create(outFile);
  HANDLE err = errFile.empty() ? nullptr : create(errFile);
  RunResult r;
  {
    ChildProcess child(exe, args, dir, out, err);
    if (child.Started()) {
      WaitUntil(
          [&] {
            if (watch) watch(child.Id());
            return !child.Running();
          },
          boundMs);
      if (child.Running()) {
        TerminateProcess(child.Handle(), 99);
        WaitForSingleObject(child.Handle(), 10000);
      }
      r.Code = child.ExitCode();
    }
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err && err != INVALID_HANDLE_VALUE) CloseHandle(err);
  auto read = [](const std::string& path) {
    std::string text;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return text;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
    CloseHandle(h);
    return text;
  };
  r.Out = read(outFile);
  if (!errFile.empty()) r.Err = read(errFile);
  return r;
}

}  // namespace wutest
