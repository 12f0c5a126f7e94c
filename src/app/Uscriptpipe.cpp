#include "app/Uscriptpipe.h"

#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

#include "app/Udebug.h"
#include "config/Udefine.h"
#include "config/Uunicode.h"

namespace script {

namespace {

// Conversations at once; one more instance listens meanwhile.
constexpr int kMaxConversations = 8;
constexpr DWORD kInstances = kMaxConversations + 1;
constexpr DWORD kOutBuffer = 64 * 1024;

// The user SID of a process's token; empty when it cannot be read.
std::vector<BYTE> ProcessUser(HANDLE process) {
  std::vector<BYTE> sid;
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return sid;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> info(size);
  if (size && GetTokenInformation(token, TokenUser, info.data(), size, &size)) {
    PSID user = reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid;
    if (IsValidSid(user)) {
      const BYTE* p = static_cast<const BYTE*>(user);
      sid.assign(p, p + GetLengthSid(user));
    }
  }
  CloseHandle(token);
  return sid;
}

std::wstring ImageOf(HANDLE process) {
  std::vector<wchar_t> path(32768);
  DWORD n = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process, 0, path.data(), &n)) return std::wstring();
  return std::wstring(path.data(), n);
}

struct Identity {
  std::vector<BYTE> User;
  DWORD Session = 0xFFFFFFFF;
  std::wstring Image;
};

const Identity& Self() {
  static const Identity self = [] {
    Identity id;
    id.User = ProcessUser(GetCurrentProcess());
    ProcessIdToSessionId(GetCurrentProcessId(), &id.Session);
    id.Image = ImageOf(GetCurrentProcess());
    return id;
  }();
  return self;
}

std::string SidText(const std::vector<BYTE>& sid) {
  if (sid.empty()) return std::string();
  char* text = nullptr;
  if (!ConvertSidToStringSidA(const_cast<BYTE*>(sid.data()), &text)) return std::string();
  std::string s(text);
  LocalFree(text);
  return s;
}

// One overlapped step on h (a connect, read or write that start begins),
// waited for at most ms, or until stop (may be null) is set; cancelled
// then. The result is 0 when it completed, WAIT_TIMEOUT, ERROR_CANCELLED
// when stopped, or the step's own error (ERROR_MORE_DATA: a message longer
// than the buffer, bytes of it read).
template <class StartStep>
DWORD Overlapped(HANDLE h, DWORD ms, HANDLE stop, DWORD& bytes, StartStep start) {
  bytes = 0;
  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!ov.hEvent) return GetLastError();
  DWORD err = 0;
  if (!start(&ov)) {
    err = GetLastError();
    if (err == ERROR_IO_PENDING) {
      HANDLE waits[2] = {ov.hEvent, stop};
      const DWORD w = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, ms);
      if (w != WAIT_OBJECT_0) CancelIo(h);
      // Returns at once after the cancel; ov must not outlive the step.
      err = GetOverlappedResult(h, &ov, &bytes, TRUE) ? 0 : GetLastError();
      if (err == ERROR_OPERATION_ABORTED) err = w == WAIT_TIMEOUT ? WAIT_TIMEOUT : ERROR_CANCELLED;
    } else {
      GetOverlappedResult(h, &ov, &bytes, FALSE);
    }
  } else {
    GetOverlappedResult(h, &ov, &bytes, FALSE);
  }
  CloseHandle(ov.hEvent);
  return err;
}

DWORD ReadStep(HANDLE h, void* data, DWORD size, DWORD ms, HANDLE stop, DWORD& bytes) {
  return Overlapped(h, ms, stop, bytes,
                    [&](OVERLAPPED* ov) { return ReadFile(h, data, size, nullptr, ov); });
}

DWORD WriteStep(HANDLE h, const std::string& data, DWORD ms, HANDLE stop) {
  DWORD bytes = 0;
  const DWORD err = Overlapped(h, ms, stop, bytes, [&](OVERLAPPED* ov) {
    return WriteFile(h, data.data(), static_cast<DWORD>(data.size()), nullptr, ov);
  });
  return err == 0 && bytes != data.size() ? ERROR_WRITE_FAULT : err;
}

}  // namespace

std::string OwnPipeName() {
  return PipeName(g_GlobalVar.ProfRoot, SidText(Self().User), Self().Session);
}

bool SameProgram(DWORD pid, std::string& why) {
  if (pid == GetCurrentProcessId()) return true;
  const Identity& self = Self();
  DWORD session = 0;
  if (!pid || !ProcessIdToSessionId(pid, &session) || session != self.Session) {
    why = "another session";
    return false;
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) {
    why = "the process cannot be inspected";
    return false;
  }
  const std::vector<BYTE> user = ProcessUser(process);
  const std::wstring image = ImageOf(process);
  CloseHandle(process);
  if (user.empty() || self.User.empty() || user != self.User) {
    why = "another user";
    return false;
  }
  if (image.empty() || self.Image.empty() ||
      CompareStringOrdinal(image.c_str(), -1, self.Image.c_str(), -1, TRUE) != CSTR_EQUAL) {
    why = (image.empty() ? std::string("its program") : Utf8(image)) + " is not this program";
    return false;
  }
  return true;
}

// ---- the instance's side -------------------------------------------------------------

struct CScriptServer::Shared {
  Shared(const std::string& pipeName, HWND window, UINT msg, WPARAM code)
      : Name(Wide(pipeName)),
        Window(window),
        Msg(msg),
        Code(code),
        Stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Shared() {
    if (First != INVALID_HANDLE_VALUE) CloseHandle(First);
    if (Stop) CloseHandle(Stop);
  }
  Shared(const Shared&) = delete;
  Shared& operator=(const Shared&) = delete;

  struct Waiting {
    explicit Waiting(const Request& r)
        : Req(r), Done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Waiting() {
      if (Done) CloseHandle(Done);
    }
    Request Req;
    bool Taken = false;
    bool Answered = false;
    Reply Rep;
    HANDLE Done;
  };

  const std::wstring Name;
  const HWND Window;
  const UINT Msg;
  const WPARAM Code;
  const HANDLE Stop;
  HANDLE First = INVALID_HANDLE_VALUE;  // the first instance, made at once
  std::atomic<int> Live{0};             // conversation threads running
  // Only this user may open the pipe or make another instance of it.
  std::vector<BYTE> Sid, Acl;
  SECURITY_DESCRIPTOR Sd{};
  SECURITY_ATTRIBUTES Sa{};

  std::mutex Lock;
  std::map<uint32_t, std::shared_ptr<Waiting>> Requests;
  uint32_t NextId = 0;

  bool MakeSecurity() {
    Sid = Self().User;
    if (Sid.empty()) return false;
    const DWORD size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + static_cast<DWORD>(Sid.size());
    Acl.assign(size, 0);
    auto* acl = reinterpret_cast<ACL*>(Acl.data());
    if (!InitializeAcl(acl, size, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, Sid.data()) ||
        !InitializeSecurityDescriptor(&Sd, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&Sd, TRUE, acl, FALSE))
      return false;
    Sa = SECURITY_ATTRIBUTES{sizeof Sa, &Sd, FALSE};
    return true;
  }

  HANDLE MakeInstance(bool first) {
    return CreateNamedPipeW(
        Name.c_str(),
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
        kInstances, kOutBuffer, static_cast<DWORD>(kMaxRequestBytes), 0, &Sa);
  }

  bool Stopped() const { return WaitForSingleObject(Stop, 0) == WAIT_OBJECT_0; }

  // A request handed to the interface thread; its reply, or why none came.
  Reply Serve(const Request& request) {
    auto waiting = std::make_shared<Waiting>(request);
    uint32_t id = 0;
    {
      std::lock_guard<std::mutex> l(Lock);
      if (++NextId == 0) ++NextId;
      id = NextId;
      Requests[id] = waiting;
    }
    Reply reply;
    if (!waiting->Done || !PostMessageW(Window, Msg, Code, static_cast<LPARAM>(id))) {
      reply = Failure(kExitNoAnswer, "The utility is closing.");
    } else {
      HANDLE waits[2] = {waiting->Done, Stop};
      // First for the interface thread to serve it; a /Connect it took may
      // then wait for the adapter, and is answered within its own bound.
      if (WaitForMultipleObjects(2, waits, FALSE, kRequestMs) == WAIT_TIMEOUT) {
        bool taken = false;
        {
          std::lock_guard<std::mutex> l(Lock);
          taken = waiting->Taken;
        }
        if (taken) WaitForMultipleObjects(2, waits, FALSE, kConnectWaitMs + kConnectReplyMarginMs);
      }
      std::lock_guard<std::mutex> l(Lock);
      if (waiting->Answered)
        reply = waiting->Rep;
      else if (Stopped())
        reply = Failure(kExitNoAnswer, "The utility closed before it could answer.");
      else if (!waiting->Taken)
        reply = Failure(kExitNoAnswer, "The running utility did not take the request.");
      else
        reply = Failure(kExitNoAnswer, "The running utility did not finish the request.");
    }
    std::lock_guard<std::mutex> l(Lock);
    Requests.erase(id);
    return reply;
  }

  // One client: checked, its request read, served, the reply written.
  void Converse(HANDLE pipe) {
    ULONG pid = 0;
    std::string why;
    if (!GetNamedPipeClientProcessId(pipe, &pid))
      why = "the client cannot be told";
    else
      SameProgram(pid, why);
    if (!why.empty()) {
      LogWrite("Script request refused: %s (process %lu)", why.c_str(),
               static_cast<unsigned long>(pid));
      return;
    }
    std::string data(kMaxRequestBytes, '\0');
    DWORD n = 0;
    DWORD err = ReadStep(pipe, data.data(), static_cast<DWORD>(data.size()), kPipeIoMs, Stop, n);
    if (err == ERROR_MORE_DATA) {
      LogWrite("Script request refused: longer than %u bytes",
               static_cast<unsigned>(kMaxRequestBytes));
      return;
    }
    if (err != 0) {
      LogWrite("Script request not read: error %lu", static_cast<unsigned long>(err));
      return;
    }
    data.resize(n);
    Request request;
    const Reply reply = DecodeRequest(data.data(), data.size(), request)
                            ? Serve(request)
                            : Failure(kExitUsage, "The request could not be read.");
    err = WriteStep(pipe, EncodeReply(reply), kPipeIoMs, nullptr);
    if (err != 0) {
      LogWrite("Script reply not written: error %lu", static_cast<unsigned long>(err));
      return;
    }
    // Closing before the script has read would take the reply with it: the
    // script closes its end once it has the reply.
    char byte = 0;
    ReadStep(pipe, &byte, 1, kPipeIoMs, nullptr, n);
  }
};

namespace {

using SharedPtr = std::shared_ptr<CScriptServer::Shared>;

struct ConversationStart {
  SharedPtr Server;
  HANDLE Pipe;
};

DWORD WINAPI ConversationProc(LPVOID p) {
  std::unique_ptr<ConversationStart> start(static_cast<ConversationStart*>(p));
  try {
    start->Server->Converse(start->Pipe);
  } catch (const std::exception& e) {
    LogWrite("Exception(script conversation): %s", e.what());
  }
  DisconnectNamedPipe(start->Pipe);
  CloseHandle(start->Pipe);
  --start->Server->Live;
  return 0;
}

DWORD WINAPI ListenProc(LPVOID p) {
  std::unique_ptr<SharedPtr> hold(static_cast<SharedPtr*>(p));
  CScriptServer::Shared& s = **hold;
  HANDLE pipe = s.First;
  s.First = INVALID_HANDLE_VALUE;
  bool told = false;
  while (!s.Stopped()) {
    if (pipe == INVALID_HANDLE_VALUE) {
      // Every instance busy: the next client waits in WaitNamedPipe.
      if (s.Live >= kMaxConversations) {
        WaitForSingleObject(s.Stop, 50);
        continue;
      }
      pipe = s.MakeInstance(false);
      if (pipe == INVALID_HANDLE_VALUE) {
        if (!told)
          LogWrite("Script channel: no new pipe instance, error %lu",
                   static_cast<unsigned long>(GetLastError()));
        told = true;
        WaitForSingleObject(s.Stop, 1000);
        continue;
      }
      told = false;
    }
    DWORD n = 0;
    const DWORD err = Overlapped(pipe, INFINITE, s.Stop, n,
                                 [&](OVERLAPPED* ov) { return ConnectNamedPipe(pipe, ov); });
    if (err == ERROR_CANCELLED) break;
    if (err != 0 && err != ERROR_PIPE_CONNECTED) {
      // A client that came and went: the same instance listens again, so
      // the name never lapses.
      DisconnectNamedPipe(pipe);
      if (err != ERROR_NO_DATA) WaitForSingleObject(s.Stop, 100);
      continue;
    }
    auto* start = new ConversationStart{*hold, pipe};
    ++s.Live;
    HANDLE thread = CreateThread(nullptr, 0, ConversationProc, start, 0, nullptr);
    if (!thread) {
      --s.Live;
      delete start;
      DisconnectNamedPipe(pipe);
      continue;
    }
    CloseHandle(thread);
    pipe = INVALID_HANDLE_VALUE;
  }
  if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
  return 0;
}

}  // namespace

CScriptServer::CScriptServer(const std::string& pipeName, HWND window, UINT msg, WPARAM code)
    : shared_(std::make_shared<Shared>(pipeName, window, msg, code)) {
  Shared& s = *shared_;
  if (!s.Stop || !s.MakeSecurity()) {
    LogWrite("Script channel: no security for the pipe; scripts are not served");
    return;
  }
  // A name that exists already is another program's: a first instance of
  // ours would fail, or (where that is not enforced) sit beside it.
  const bool taken = WaitNamedPipeW(s.Name.c_str(), 1) || GetLastError() == ERROR_SEM_TIMEOUT;
  HANDLE first = taken ? INVALID_HANDLE_VALUE : s.MakeInstance(true);
  if (first == INVALID_HANDLE_VALUE) {
    LogWrite(
        "Script channel: the pipe %s is held by another program (error %lu); scripts are not "
        "served",
        pipeName.c_str(),
        static_cast<unsigned long>(taken ? ERROR_ALREADY_EXISTS : GetLastError()));
    return;
  }
  s.First = first;
  listener_ = CreateThread(nullptr, 0, ListenProc, new SharedPtr(shared_), 0, nullptr);
  if (!listener_) {
    LogWrite("Script channel: no listening thread; scripts are not served");
    return;
  }
  LogWrite("Script channel open: %s", pipeName.c_str());
}

CScriptServer::~CScriptServer() {
  Stop();
}

bool CScriptServer::Take(uint32_t id, Request& request) {
  std::lock_guard<std::mutex> l(shared_->Lock);
  auto it = shared_->Requests.find(id);
  if (it == shared_->Requests.end() || it->second->Taken) return false;
  it->second->Taken = true;
  request = it->second->Req;
  return true;
}

void CScriptServer::Answer(uint32_t id, const Reply& reply) {
  std::lock_guard<std::mutex> l(shared_->Lock);
  auto it = shared_->Requests.find(id);
  if (it == shared_->Requests.end() || !it->second->Taken || it->second->Answered) return;
  it->second->Answered = true;
  it->second->Rep = reply;
  SetEvent(it->second->Done);
}

void CScriptServer::Stop() {
  if (!shared_->Stop || shared_->Stopped()) return;
  SetEvent(shared_->Stop);
  const DWORD start = GetTickCount();
  if (listener_) {
    if (WaitForSingleObject(listener_, kServerStopMs) != WAIT_OBJECT_0)
      LogWrite("Script channel: the listening thread did not end; left to end alone");
    CloseHandle(listener_);
    listener_ = nullptr;
  }
  while (shared_->Live > 0 && GetTickCount() - start < kServerStopMs) Sleep(10);
  if (shared_->Live > 0)
    LogWrite("Script channel: %d conversations left to end alone", shared_->Live.load());
}

// ---- the script's side ------------------------------------------------------------------

Reply AskInstance(const Request& request, DWORD findMs) {
  const std::wstring name = Wide(OwnPipeName());
  const DWORD start = GetTickCount();
  HANDLE pipe = INVALID_HANDLE_VALUE;
  DWORD err = 0;
  for (;;) {
    // Identification only: a server may learn who asks, never act as it.
    pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                       nullptr);
    if (pipe != INVALID_HANDLE_VALUE) break;
    err = GetLastError();
    // Our instance admits this user: a pipe that does not is another's.
    if (err == ERROR_ACCESS_DENIED) break;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= findMs) break;
    const DWORD left = findMs - elapsed;
    // A starting instance holds the mutex before its pipe exists.
    if (err == ERROR_PIPE_BUSY)
      WaitNamedPipeW(name.c_str(), std::min<DWORD>(left, 1000));
    else
      Sleep(std::min<DWORD>(left, 100));
  }
  const std::string squatted = "Another program holds the utility's script channel (";
  const std::string nothingSent = "); nothing was sent.";
  if (pipe == INVALID_HANDLE_VALUE) {
    if (err == ERROR_ACCESS_DENIED) {
      LogWrite("Script channel: the pipe may not be opened; squatted");
      return Failure(kExitNoAnswer, squatted + "it may not be opened" + nothingSent);
    }
    if (err == ERROR_PIPE_BUSY)
      return Failure(kExitNoAnswer, "The running utility's script channel stays busy.");
    return Failure(kExitNoAnswer, "The running utility does not answer.");
  }
  struct Closer {
    HANDLE h;
    ~Closer() { CloseHandle(h); }
  } closer{pipe};

  ULONG pid = 0;
  std::string why;
  if (!GetNamedPipeServerProcessId(pipe, &pid))
    why = "its server cannot be told";
  else
    SameProgram(pid, why);
  if (!why.empty()) {
    LogWrite("Script channel squatted: %s (process %lu)", why.c_str(),
             static_cast<unsigned long>(pid));
    return Failure(kExitNoAnswer, squatted + EscapeControls(why) + nothingSent);
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
  if (WriteStep(pipe, EncodeRequest(request), kPipeIoMs, nullptr) != 0)
    return Failure(kExitNoAnswer, "The running utility did not take the request.");

  // The instance answers within its own bounds; this waits a little longer.
  DWORD bound = kRequestMs + kPipeIoMs;
  if (request.Cmd == Command::Connect) bound += kConnectWaitMs + kConnectReplyMarginMs;
  const DWORD asked = GetTickCount();
  std::string got;
  std::vector<char> chunk(16 * 1024);
  for (;;) {
    const DWORD elapsed = GetTickCount() - asked;
    if (elapsed >= bound) {
      err = WAIT_TIMEOUT;
      break;
    }
    DWORD n = 0;
    err =
        ReadStep(pipe, chunk.data(), static_cast<DWORD>(chunk.size()), bound - elapsed, nullptr, n);
    got.append(chunk.data(), n);
    if (err != ERROR_MORE_DATA || got.size() > kMaxReplyBytes) break;
  }
  if (err == WAIT_TIMEOUT)
    return Failure(kExitNoAnswer, "The running utility did not finish the request.");
  Reply reply;
  if (err == 0 && DecodeReply(got.data(), got.size(), reply)) return reply;
  if (err == 0) return Failure(kExitNoAnswer, "The running utility's reply could not be read.");
  return Failure(kExitNoAnswer,
                 "The running utility refused the request or closed before it answered.");
}

}  // namespace script
