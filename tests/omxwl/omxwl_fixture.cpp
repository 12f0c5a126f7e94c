#include "omxwl_fixture.h"

#include <cstring>
#include <fstream>
#include <sstream>

TempDir::TempDir() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static LONG counter = 0;
  for (;;) {
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%somxwl_test_%lu_%ld", base, GetCurrentProcessId(),
             InterlockedIncrement(&counter));
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      return;
    }
  }
}

static void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      if (n == "." || n == "..") continue;
      std::string full = dir + "\\" + n;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        DeleteFileA(full.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

TempDir::~TempDir() {
  RemoveTree(path_);
}

std::string ReadFileText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteFileAtomic(const std::string& path, const std::string& text) {
  std::string tmp = path + ".writing";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    f << text;
  }
  // The library's watcher opens the world file to read it, and a file that
  // is open cannot be replaced: try again until the read is over.
  DWORD error = 0;
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
    error = GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
    Sleep(25);
  }
  FAIL() << "cannot replace " << path << " (error " << error << ")";
}

std::string DefaultWorldText() {
  std::string text = ReadFileText(std::string("Z:") + OMXWL_SOURCE_DIR + "/data/OMXWL.world");
  EXPECT_FALSE(text.empty()) << "data/OMXWL.world not found";
  return text;
}

std::string Edited(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "no \"" << from << "\" in the world";
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

void SetText(char* field, size_t size, const std::string& text) {
  memset(field, 0, size);
  memcpy(field, text.data(), std::min(size - 1, text.size()));
}

void OmxTest::SetUp() {
  dir_ = std::make_unique<TempDir>();
  worldPath_ = dir_->File("test.world");
  CreateDirectoryA(dir_->File("appdata").c_str(), nullptr);
  SetEnvironmentVariableA("APPDATA", dir_->File("appdata").c_str());
  SetEnvironmentVariableA("OMXWL_WORLD", worldPath_.c_str());
}

void OmxTest::TearDown() {
  Unload();
  SetEnvironmentVariableA("OMXWL_WORLD", nullptr);
  dir_.reset();
}

void OmxTest::WriteWorld(const std::string& text) {
  WriteFileAtomic(worldPath_, text);
}

void OmxTest::Load(const std::string& world) {
  if (!world.empty()) WriteWorld(world);
  module_ = LoadLibraryA("OMXWL.DLL");
  ASSERT_NE(module_, nullptr) << "OMXWL.DLL not found beside the test";
#define OMX_BIND(name, args)                                                                 \
  api_.name =                                                                                \
      reinterpret_cast<PFN_##name>(reinterpret_cast<void*>(GetProcAddress(module_, #name))); \
  ASSERT_NE(api_.name, nullptr) << #name;
  OMXWL_ENTRY_POINTS(OMX_BIND)
#undef OMX_BIND
  ASSERT_EQ(api_.OMXWL_Initial("OmxTest", 1), 1);
}

void OmxTest::Unload() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
  api_ = OmxApi{};
}

bool OmxTest::Apply(const WLProfile& p) {
  WLStatus st{};
  if (api_.OMXWL_WLProfileToWLStatus(&p, &st) != 1) return false;
  int32_t word = 0;
  return api_.OMXWL_SetWLANStatus(&word, &st) == 1;
}

WLStatus OmxTest::Status() {
  WLStatus st{};
  int32_t again = 0;
  EXPECT_EQ(api_.OMXWL_GetWLANStatus(&again, &st), 1);
  return st;
}

bool OmxTest::WaitLinked(const std::string& ssid, DWORD ms) {
  return WaitUntil(
      [&] {
        WLStatus st = Status();
        return st.MediaState == 0 && st.SsidLength == ssid.size() &&
               memcmp(st.Ssid, ssid.data(), ssid.size()) == 0;
      },
      ms);
}

bool OmxTest::StaysUnlinked(DWORD ms) {
  return !WaitUntil([&] { return Status().MediaState == 0; }, ms);
}

std::vector<SiteEntry> OmxTest::Scan() {
  EXPECT_EQ(api_.OMXWL_SiteSurveyScan(), 1);
  std::vector<SiteEntry> out;
  auto list = std::make_unique<SiteList>();
  // A scan takes its time; the previous result stays until it is done.
  Sleep(scanWaitMs_);
  WaitUntil(
      [&] {
        uint32_t len = sizeof(SiteList);
        memset(list.get(), 0, sizeof(SiteList));
        return api_.OMXWL_SiteSurveyGet(list.get(), &len) == 1 && list->Count > 0;
      },
      5000);
  for (uint32_t i = 0; i < std::min<uint32_t>(list->Count, kMaxSiteEntries); ++i)
    out.push_back(list->Entries[i]);
  return out;
}

static WLProfile BaseProfile(const char* ssid) {
  WLProfile p{};
  SET_TEXT(p.ProfileName, std::string("P-") + ssid);
  SET_TEXT(p.Ssid1, ssid);
  p.NetworkMode = 1;
  p.ABGMode = 34;
  p.TxRate = 15;
  p.AuthenticationMode = 2;
  p.WPAEncryptionType = 1;
  p.WEPKeyFormat = 1;
  p.PeapEap = 2;
  return p;
}

WLProfile OpenProfile(const char* ssid) {
  return BaseProfile(ssid);
}

WLProfile WepProfile(const char* ssid, int level, int index, const char* key) {
  WLProfile p = BaseProfile(ssid);
  p.EncryptionMethod = 1;
  p.WEPEncryptionLevel = level;
  p.DefaultKey = index;
  char* keys[4] = {p.WEPKey1, p.WEPKey2, p.WEPKey3, p.WEPKey4};
  SetText(keys[index], sizeof p.WEPKey1, key);
  return p;
}

WLProfile PskProfile(const char* ssid, int type, const char* passphrase) {
  WLProfile p = BaseProfile(ssid);
  p.EncryptionMethod = type;
  p.AuthenticationMode = type == 6 ? 7 : 4;
  p.WPAEncryptionType = 2;
  SET_TEXT(p.WPAPassphrase, passphrase);
  return p;
}

WLProfile EapProfile(const char* ssid, int type, int method, const char* user, const char* password,
                     const char* cert, const char* ca) {
  WLProfile p = BaseProfile(ssid);
  p.EncryptionMethod = type;
  p.AuthenticationMode = type == 7 ? 6 : type == 3 ? 3 : 2;
  p.MS8021xAuthMode = method;
  SET_TEXT(p.LoginName, user);
  SET_TEXT(p.LoginPassword, password);
  SET_TEXT(p.sCertificate, cert);
  SET_TEXT(p.sCertAuthority, ca);
  return p;
}
