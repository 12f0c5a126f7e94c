// The script channel: a named pipe that only this program, run by the same
// user in the same session, may use from either end. The instance serves
// it on threads of its own and hands each request to its interface thread;
// a script connects, checks who serves the pipe, and asks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/Uscript.h"

namespace script {

// Bounds of the exchange.
// A script for the instance's pipe, while the instance holds its mutex
// (a starting one has no pipe yet).
constexpr DWORD kFindServerMs = 10000;
// The instance for one read or write of a conversation, and for the
// script to close its end after the reply.
constexpr DWORD kPipeIoMs = 5000;
// The interface thread for a request (it may wait for the library), and
// the script for the reply: this, and for /Connect kConnectWaitMs +
// kConnectReplyMarginMs more.
constexpr DWORD kRequestMs = 60000;
// Quitting for the pipe's threads to end; then they are left to end alone.
constexpr DWORD kServerStopMs = 2000;

// The pipe of this program's profile root, user and session (UTF-8).
std::string OwnPipeName();

// True when the process pid is this program (same image, compared as full
// paths ignoring case) run by this user in this session, or this process
// itself; else false, with why saying what differs.
bool SameProgram(DWORD pid, std::string& why);

// Serves the pipe. Each request read from an accepted client is posted to
// window as msg with wParam code and lParam its id; the interface thread
// takes it (Take) and answers it (Answer), now or later.
class CScriptServer {
 public:
  CScriptServer(const std::string& pipeName, HWND window, UINT msg, WPARAM code);
  // Stop().
  ~CScriptServer();
  CScriptServer(const CScriptServer&) = delete;
  CScriptServer& operator=(const CScriptServer&) = delete;

  // The request posted under id, once; false for an id not waiting.
  bool Take(uint32_t id, Request& request);
  // The reply for a request taken; an id no longer waiting is ignored.
  void Answer(uint32_t id, const Reply& reply);
  // Ends accepting, answers what still waits with kExitNoAnswer and waits
  // at most kServerStopMs for the threads; later calls do nothing.
  void Stop();

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
  HANDLE listener_ = nullptr;
};

// The exchange of a script with the running instance: connects within
// findMs, checks the server, sends the request and waits for the reply
// within the bounds above. Any failure is kExitNoAnswer with a message.
Reply AskInstance(const Request& request, DWORD findMs);

}  // namespace script
