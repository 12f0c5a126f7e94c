// Loads OMXWL.DLL as the program does (LoadLibrary + GetProcAddress), with
// its own world file, application-data folder and profile root per test.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/WaitUntil.h"
#include "omxwl.h"

struct OmxApi {
#define OMX_API_FIELD(name, args) PFN_##name name = nullptr;
  OMXWL_ENTRY_POINTS(OMX_API_FIELD)
#undef OMX_API_FIELD
};

// A fresh temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

std::string ReadFileText(const std::string& path);
void WriteFileAtomic(const std::string& path, const std::string& text);
// data/OMXWL.world of the source tree.
std::string DefaultWorldText();
// The default world with one line replaced ("Key=old" -> "Key=new").
std::string Edited(std::string text, const std::string& from, const std::string& to);

class OmxTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads the library with the given world text (empty: no world file).
  void Load(const std::string& world = std::string());
  void Unload();
  void WriteWorld(const std::string& text);

  // An independent client: builds the status record from the profile,
  // applies it, and waits for the link.
  bool Apply(const WLProfile& p);
  bool WaitLinked(const std::string& ssid, DWORD ms = 10000);
  bool StaysUnlinked(DWORD ms);
  WLStatus Status();
  std::vector<SiteEntry> Scan();  // scan, wait, fetch
  DWORD scanWaitMs_ = 1700;       // a little above the world's ScanTime

  HMODULE module_ = nullptr;
  OmxApi api_;
  std::unique_ptr<TempDir> dir_;
  std::string worldPath_;
};

// Profiles for the joins.
WLProfile OpenProfile(const char* ssid);
WLProfile WepProfile(const char* ssid, int level, int index, const char* key);
WLProfile PskProfile(const char* ssid, int type, const char* passphrase);
WLProfile EapProfile(const char* ssid, int type, int method, const char* user, const char* password,
                     const char* cert = "", const char* ca = "");
void SetText(char* field, size_t size, const std::string& text);
#define SET_TEXT(field, text) SetText(field, sizeof(field), text)

// The library's trace while one lives: OutputDebugStringA raises
// DBG_PRINTEXCEPTION_C first, so a vectored handler sees every line.
class TraceLog {
 public:
  TraceLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    text_.clear();
    handler_ = AddVectoredExceptionHandler(1, &Handler);
  }
  ~TraceLog() { RemoveVectoredExceptionHandler(handler_); }
  bool Has(const std::string& part) { return Text().find(part) != std::string::npos; }
  std::string Text() {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }

 private:
  static LONG CALLBACK Handler(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2) {
      const char* line = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
      std::lock_guard<std::mutex> lock(mutex_);
      text_.append(line, strnlen(line, r->ExceptionInformation[0]));
    }
    return EXCEPTION_CONTINUE_SEARCH;
  }
  static inline std::mutex mutex_;
  static inline std::string text_;
  void* handler_;
};
