#include "library.h"

#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "debug.h"
#include "text.h"

namespace omx {

Library* Library::instance_ = nullptr;

namespace {

constexpr uint32_t kFileCheckMs = 250;
constexpr UINT kSendTimeoutMs = 1000;
constexpr DWORD kStopWaitMs = 5000;
constexpr DWORD kMaxWorldBytes = 1 << 20;

const GUID kNetClassGuid = {
    0xad498944, 0x762f, 0x11d0, {0x8d, 0xcb, 0x00, 0xc0, 0x4f, 0xc3, 0x35, 0x8c}};

struct WindowList {
  DWORD pid;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<WindowList*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == list->pid) list->windows.push_back(hwnd);
  return TRUE;
}

// Top-level windows of this process, hidden ones included.
std::vector<HWND> ProcessWindows() {
  WindowList list{GetCurrentProcessId(), {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&list));
  return list.windows;
}

}  // namespace

StatusOverlay* OverlayOf(WLStatus* status) {
  return reinterpret_cast<StatusOverlay*>(status->Lib240);
}
const StatusOverlay* OverlayOf(const WLStatus* status) {
  return reinterpret_cast<const StatusOverlay*>(status->Lib240);
}

void AdapterState::ResetDevice() {
  radioOn = true;
  infraMode = 1;
  link = LinkState::Idle;
  profile = StatusOverlay{};
  target = LinkTarget{};
  scanning = false;
  lastScan.clear();
  rxBytes = txBytes = 0;
  againPending = false;
}

bool FileStamp::operator==(const FileStamp& o) const {
  return exists == o.exists && size == o.size && written.dwLowDateTime == o.written.dwLowDateTime &&
         written.dwHighDateTime == o.written.dwHighDateTime;
}

// ---- lifecycle ----

Library::Library(HMODULE module) : module_(module) {
  InitializeCriticalSection(&lock_);
}

Library::~Library() {
  for (HANDLE h : {stopEvent_, wakeEvent_, runningEvent_, parkedEvent_, neverEvent_})
    if (h) CloseHandle(h);
  DeleteCriticalSection(&lock_);
}

void Library::OnAttach(HMODULE module) {
  DisableThreadLibraryCalls(module);
  instance_ = new (std::nothrow) Library(module);
}

void Library::OnDetach(bool processExit) {
  Library* lib = instance_;
  if (!lib) return;
  // At process exit the other threads are gone already; nothing to stop.
  if (processExit) return;
  instance_ = nullptr;
  bool clean = true;
  if (lib->thread_) {
    InterlockedExchange(&lib->stopping_, 1);
    SetEvent(lib->stopEvent_);
    // The watcher parks itself in a kernel wait once it has left this
    // module's code; only then is ending it harmless. Waiting for an event
    // (not for the thread) keeps clear of the loader lock.
    clean = WaitForSingleObject(lib->parkedEvent_, kStopWaitMs) == WAIT_OBJECT_0;
    if (!clean) Trace("watcher thread did not stop within %lu ms; ending it", kStopWaitMs);
    TerminateThread(lib->thread_, 0);
    CloseHandle(lib->thread_);
    lib->thread_ = nullptr;
  }
  // A watcher ended while it was busy may have left the lock taken: keep the
  // state then rather than free what it might have held.
  if (clean) delete lib;
}

void Library::EnsureStarted() {
  Lock guard(this);
  if (started_) return;
  started_ = true;
  worldPath_ = WorldPath();
  LoadInitialWorld();
  stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  wakeEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  runningEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  parkedEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  neverEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (stopEvent_ && wakeEvent_ && runningEvent_ && parkedEvent_ && neverEvent_)
    thread_ = CreateThread(nullptr, 0, WatcherMain, this, 0, nullptr);
  EnsureDeviceKeys(world_);
  // A thread that has not started yet, or that loads a DLL on its first
  // call into the window system, needs the loader lock, which an unload
  // holds: see it started and warmed up before going on.
  if (thread_ && WaitForSingleObject(runningEvent_, 10000) != WAIT_OBJECT_0)
    Trace("watcher thread is slow to start");
  if (!thread_)
    Trace(
        "cannot start the watcher thread (error %lu): the world is not re-read and no "
        "hot-plug events are sent",
        GetLastError());
}

void Library::PublishKnobs() {
  for (int i = 0; i < kEntryCount; ++i) {
    InterlockedExchange(&delayMs_[i], static_cast<LONG>(world_.faults.delayMs[i]));
    InterlockedExchange(&fail_[i], world_.faults.fail[i] ? 1 : 0);
    InterlockedExchange(&crash_[i], world_.faults.crash[i] ? 1 : 0);
  }
}

bool Library::CrashKnob(Entry entry) const {
  return crash_[static_cast<int>(entry)] != 0;
}

void Library::Knobs(Entry entry, uint32_t* delayMs, bool* fail) const {
  const int i = static_cast<int>(entry);
  *delayMs = static_cast<uint32_t>(delayMs_[i]);
  *fail = fail_[i] != 0;
}

void Library::DelayCall(Entry entry, uint32_t ms) {
  Trace("%s: delayed by %u ms (fault knob)", EntryName(entry), ms);
  DWORD start = GetTickCount();
  for (;;) {
    if (stopping_) return;
    uint32_t want = 0;
    bool fail = false;
    Knobs(entry, &want, &fail);  // a world change may shorten or end the delay
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= want) return;
    Sleep(std::min<DWORD>(50, want - elapsed));
  }
}

uint32_t Library::Random() {
  // xorshift32: jitter and traffic only need to look lively
  rng_ ^= rng_ << 13;
  rng_ ^= rng_ >> 17;
  rng_ ^= rng_ << 5;
  return rng_;
}

// ---- the world file ----

std::string Library::WorldPath() const {
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetEnvironmentVariableA("OMXWL_WORLD", buf, sizeof buf);
  if (n > 0 && n < sizeof buf) return std::string(buf, n);
  if (n >= sizeof buf) Trace("OMXWL_WORLD is longer than %d characters; ignored", MAX_PATH);
  n = GetModuleFileNameA(module_, buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "OMXWL.world";
  std::string path(buf, n);
  size_t slash = path.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "OMXWL.world";
}

FileStamp Library::Stamp(const std::string& path) {
  FileStamp s;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
      !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    s.exists = true;
    s.written = data.ftLastWriteTime;
    s.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return s;
}

bool Library::ReadWorldFile(const std::string& path, std::string* text, std::string* why) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *why = Format("cannot open it (error %lu)", GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(h, &size) != 0;
  if (ok && size.QuadPart > kMaxWorldBytes) {
    CloseHandle(h);
    *why = "it is larger than 1 MB";
    return false;
  }
  std::string buf(ok ? static_cast<size_t>(size.QuadPart) : 0, '\0');
  DWORD got = 0;
  if (ok && !buf.empty())
    ok = ReadFile(h, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr);
  CloseHandle(h);
  if (!ok) {
    *why = Format("cannot read it (error %lu)", GetLastError());
    return false;
  }
  buf.resize(got);
  if (buf.find('\0') != std::string::npos) {
    *why = "it holds a zero byte (not a text file)";
    return false;
  }
  *text = std::move(buf);
  return true;
}

void Library::LoadInitialWorld() {
  FileStamp st = Stamp(worldPath_);
  loadedStamp_ = seenStamp_ = st;
  lastFileCheck_ = GetTickCount();
  World w;
  std::string text, why;
  if (st.exists) {
    if (ReadWorldFile(worldPath_, &text, &why) && ParseWorld(text, &w, &why)) {
      world_ = std::move(w);
      worldFromFile_ = true;
      PublishKnobs();
      Trace("world read from %s", worldPath_.c_str());
      return;
    }
    Trace("world file %s cannot be used: %s; using the built-in world", worldPath_.c_str(),
          why.c_str());
  }
  if (!ParseWorld(DefaultWorldText(), &w, &why))
    Trace("built-in world is broken: %s", why.c_str());  // caught by the tests
  world_ = std::move(w);
  PublishKnobs();
}

// Watcher thread only: the stamps and the check time are its own.
void Library::CheckWorldFile() {
  DWORD now = GetTickCount();
  if (now - lastFileCheck_ < kFileCheckMs) return;
  lastFileCheck_ = now;
  FileStamp st = Stamp(worldPath_);
  if (st == loadedStamp_) {
    seenStamp_ = st;
    return;
  }
  // Read only once the file has stood still for one check, so that a
  // writer caught halfway is not taken for a broken world.
  if (!(st == seenStamp_)) {
    seenStamp_ = st;
    return;
  }
  loadedStamp_ = st;
  if (!st.exists) {
    Trace("world file %s is gone; keeping the last world", worldPath_.c_str());
    return;
  }
  std::string text, why;
  World w;
  if (!ReadWorldFile(worldPath_, &text, &why) || !ParseWorld(text, &w, &why)) {
    Trace("world file %s cannot be used: %s; keeping the last good world", worldPath_.c_str(),
          why.c_str());
    return;
  }
  worldFromFile_ = true;
  Trace("world re-read from %s", worldPath_.c_str());
  World copy = w;
  std::vector<Event> events;
  {
    Lock guard(this);
    events = ApplyWorld(std::move(w));
  }
  EnsureDeviceKeys(copy);
  Deliver(events);
}

std::vector<Library::Event> Library::ApplyWorld(World next) {
  auto presentIn = [](const World& w, const std::string& key) {
    for (const AdapterDef& a : w.adapters)
      if (a.present && a.Key() == key) return true;
    return false;
  };
  std::vector<Event> events;
  for (const AdapterDef& a : world_.adapters) {
    if (a.present && !presentIn(next, a.Key())) {
      Trace("adapter %s unplugged", a.InstanceId().c_str());
      events.push_back({false, a.InterfacePath(), a.InstanceId()});
      StateOf(a).ResetDevice();
    }
  }
  for (const AdapterDef& a : next.adapters) {
    if (a.present && !presentIn(world_, a.Key())) {
      Trace("adapter %s plugged in", a.InstanceId().c_str());
      events.push_back({true, a.InterfacePath(), a.InstanceId()});
      StateOf(a).ResetDevice();
    }
  }
  world_ = std::move(next);
  PublishKnobs();
  Advance(GetTickCount());
  return events;
}

// ---- hot-plug ----

// The device-class entry that maps an interface path to its device
// instance, as device detection reads it. It stays after a removal, as it
// does for a real device, so that a removal can be resolved too.
void Library::EnsureDeviceKeys(const World& w) {
  for (const AdapterDef& a : w.adapters) {
    std::string path = a.InterfacePath();
    size_t last = path.find_last_of('\\');
    std::string key = std::string("System\\CurrentControlSet\\Control\\DeviceClasses\\") +
                      kNetClassGuidText + "\\##?#" + path.substr(4, last - 4);
    HKEY h = nullptr;
    LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                             &h, nullptr);
    if (r == ERROR_SUCCESS) {
      std::string id = a.InstanceId();
      r = RegSetValueExA(h, "DeviceInstance", 0, REG_SZ, reinterpret_cast<const BYTE*>(id.c_str()),
                         static_cast<DWORD>(id.size() + 1));
      RegCloseKey(h);
    }
    if (r != ERROR_SUCCESS) Trace("cannot write HKLM\\%s (error %ld)", key.c_str(), r);
  }
}

// Sends the events to every top-level window of the process. Device
// broadcasts carry a pointer, so they can only be sent synchronously; a
// window that does not answer within a second still gets the message later,
// so its broadcast is kept alive. The short wait also bounds how long an
// unload can be held up by a window of the unloading thread.
void Library::Deliver(const std::vector<Event>& events) {
  if (events.empty()) return;
  std::vector<HWND> windows = ProcessWindows();
  for (const Event& ev : events) {
    size_t size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) + ev.path.size() + 1;
    auto* b = static_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(std::calloc(1, size));
    if (!b) return;
    b->dbcc_size = static_cast<DWORD>(size);
    b->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    b->dbcc_classguid = kNetClassGuid;
    std::memcpy(b->dbcc_name, ev.path.c_str(), ev.path.size() + 1);
    bool unanswered = false;
    for (HWND h : windows) {
      if (stopping_) break;
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutA(h, WM_DEVICECHANGE,
                               ev.arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                               reinterpret_cast<LPARAM>(b), SMTO_NORMAL, kSendTimeoutMs, &result) &&
          IsWindow(h)) {
        unanswered = true;
        Trace("window %p did not take the device event in time", static_cast<void*>(h));
      }
    }
    if (!unanswered) std::free(b);
    if (stopping_) return;
  }
  for (HWND h : windows) {
    if (stopping_) return;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(h, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_NORMAL, kSendTimeoutMs,
                        &result);
  }
}

// ---- watcher ----

DWORD WINAPI Library::WatcherMain(void* self) {
  auto* lib = static_cast<Library*>(self);
  // The window system's first use may load the display driver.
  GetDesktopWindow();
  ProcessWindows();
  SetEvent(lib->runningEvent_);
  lib->WatchLoop();
  // Park outside this module's code; unloading ends the thread here.
  SignalObjectAndWait(lib->parkedEvent_, lib->neverEvent_, INFINITE, FALSE);
  return 0;
}

void Library::Wake() {
  if (wakeEvent_) SetEvent(wakeEvent_);
}

void Library::WatchLoop() {
  while (!stopping_) {
    bool busy = false;
    {
      Lock guard(this);
      Advance(GetTickCount());
      for (const auto& [key, st] : states_)
        busy = busy || st.scanning || st.link == LinkState::Searching;
    }
    HANDLE waits[2] = {stopEvent_, wakeEvent_};
    DWORD r = WaitForMultipleObjects(2, waits, FALSE, busy ? 50 : kFileCheckMs);
    if (r == WAIT_OBJECT_0 || stopping_) break;
    CheckWorldFile();
  }
}

}  // namespace omx
