// Plugging and unplugging through the world file: the operating system's
// device events reach the process's top-level windows.
#include <windows.h>
// after windows.h
#include <dbt.h>

#include "omxwl_fixture.h"

namespace {

struct DeviceEvent {
  WPARAM code = 0;
  DWORD deviceType = 0;
  GUID classGuid{};
  std::string name;
};

std::vector<DeviceEvent> g_events;

LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DEVICECHANGE) {
    DeviceEvent ev;
    ev.code = wp;
    if ((wp == DBT_DEVICEARRIVAL || wp == DBT_DEVICEREMOVECOMPLETE) && lp) {
      auto* hdr = reinterpret_cast<const DEV_BROADCAST_HDR*>(lp);
      ev.deviceType = hdr->dbch_devicetype;
      if (hdr->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
        auto* di = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(lp);
        ev.classGuid = di->dbcc_classguid;
        size_t max = di->dbcc_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
        ev.name.assign(di->dbcc_name, strnlen(di->dbcc_name, max));
      }
    }
    g_events.push_back(ev);
    return TRUE;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A hidden top-level window, as the program's detection window is.
class Recorder {
 public:
  Recorder() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OmxTestRecorder";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, "OmxTestRecorder", "rec", WS_OVERLAPPED, 0, 0, 10, 10,
                            nullptr, nullptr, wc.hInstance, nullptr);
    g_events.clear();
  }
  ~Recorder() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

const GUID kNetClass = {
    0xad498944, 0x762f, 0x11d0, {0x8d, 0xcb, 0x00, 0xc0, 0x4f, 0xc3, 0x35, 0x8c}};
const char kPath[] =
    "\\\\?\\USB#VID_1D4F&PID_0A71#OMX0001#{ad498944-762f-11d0-8dcb-00c04fc3358c}\\OMXWL";

bool Seen(WPARAM code) {
  for (const DeviceEvent& e : g_events)
    if (e.code == code) return true;
  return false;
}

const DeviceEvent* Find(WPARAM code) {
  for (const DeviceEvent& e : g_events)
    if (e.code == code) return &e;
  return nullptr;
}

// Resolves the interface path the way device detection does: the path from
// its fifth character up to and including its last backslash.
std::string InstanceOfPath(const std::string& path) {
  std::string key =
      "System\\CurrentControlSet\\Control\\DeviceClasses\\"
      "{ad498944-762f-11d0-8dcb-00c04fc3358c}\\##?#" +
      path.substr(4, path.find_last_of('\\') - 4 + 1);
  HKEY h;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return "";
  char buf[256] = {};
  DWORD size = sizeof buf - 1, type = 0;
  LONG r =
      RegQueryValueExA(h, "DeviceInstance", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(h);
  return r == ERROR_SUCCESS && type == REG_SZ ? std::string(buf) : "";
}

}  // namespace

TEST_F(OmxTest, UnplugAndPlugSendDeviceEventsToTheProcessWindows) {
  std::string world = DefaultWorldText();
  world = Edited(world, "AssociateTime=1000", "AssociateTime=100");
  Load(world);
  Recorder rec;

  // a link first, to see it dropped
  ASSERT_TRUE(Apply(OpenProfile("Ombrix-Open")));
  ASSERT_TRUE(WaitLinked("Ombrix-Open"));

  WriteWorld(Edited(world, "Present=1", "Present=0"));
  ASSERT_TRUE(
      WaitUntil([] { return Seen(DBT_DEVICEREMOVECOMPLETE) && Seen(DBT_DEVNODES_CHANGED); }));
  const DeviceEvent* removal = Find(DBT_DEVICEREMOVECOMPLETE);
  EXPECT_EQ(removal->deviceType, static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE));
  EXPECT_TRUE(IsEqualGUID(removal->classGuid, kNetClass));
  EXPECT_EQ(removal->name, kPath);
  // the entry stays so that a removal can be resolved
  EXPECT_EQ(InstanceOfPath(removal->name), "USB\\VID_1D4F&PID_0A71\\OMX0001");
  EXPECT_FALSE(Seen(DBT_DEVICEARRIVAL));

  // unplugged: no device, no link
  DetectRec dr{};
  SET_TEXT(dr.HardwareId, "VID_1D4F&PID_0A71");
  EXPECT_EQ(api_.OMXWL_DevDetect(&dr), 0);
  int32_t again = 0;
  WLStatus st{};
  EXPECT_EQ(api_.OMXWL_GetWLANStatus(&again, &st), 0);
  uint32_t media = 0, n = 0;
  EXPECT_NE(api_.OMXWL_QueryOID(OMXWL_OID_GEN_MEDIA_CONNECT_STATUS, &media, 4, &n), 0);

  g_events.clear();
  WriteWorld(world);
  ASSERT_TRUE(WaitUntil([] { return Seen(DBT_DEVICEARRIVAL) && Seen(DBT_DEVNODES_CHANGED); }));
  const DeviceEvent* arrival = Find(DBT_DEVICEARRIVAL);
  EXPECT_EQ(arrival->name, kPath);
  EXPECT_TRUE(IsEqualGUID(arrival->classGuid, kNetClass));
  EXPECT_EQ(InstanceOfPath(arrival->name), "USB\\VID_1D4F&PID_0A71\\OMX0001");
  // the arrival came after the devnodes notice of the removal was cleared
  EXPECT_FALSE(Seen(DBT_DEVICEREMOVECOMPLETE));

  // plugged back: present, but the old link is gone until settings are applied
  EXPECT_EQ(api_.OMXWL_DevDetect(&dr), 1);
  EXPECT_TRUE(StaysUnlinked(600));
  ASSERT_TRUE(Apply(OpenProfile("Ombrix-Open")));
  EXPECT_TRUE(WaitLinked("Ombrix-Open"));
}

TEST_F(OmxTest, AdapterAddedToOrRemovedFromTheWorldIsAPlugEvent) {
  std::string world = DefaultWorldText();
  std::string second =
      "\n[Adapter Second]\nHardwareId=PCI\\VEN_1D4F&DEV_0A72\nInstance=4&1B2C&0&00E0\n"
      "Description=Ombrix PCI Wireless Adapter\nMAC=00:1D:4F:00:00:02\nBands=b,g\n";
  Load(world);
  Recorder rec;
  WriteWorld(world + second);
  ASSERT_TRUE(WaitUntil([] { return Seen(DBT_DEVICEARRIVAL); }));
  EXPECT_EQ(Find(DBT_DEVICEARRIVAL)->name,
            "\\\\?\\PCI#VEN_1D4F&DEV_0A72#4&1B2C&0&00E0#{ad498944-762f-11d0-8dcb-00c04fc3358c}"
            "\\OMXWL");
  EXPECT_EQ(InstanceOfPath(Find(DBT_DEVICEARRIVAL)->name), "PCI\\VEN_1D4F&DEV_0A72\\4&1B2C&0&00E0");

  g_events.clear();
  WriteWorld(world);
  ASSERT_TRUE(WaitUntil([] { return Seen(DBT_DEVICEREMOVECOMPLETE); }));
  EXPECT_NE(Find(DBT_DEVICEREMOVECOMPLETE)->name.find("PCI#VEN_1D4F&DEV_0A72"), std::string::npos);
  // the USB adapter never moved
  for (const DeviceEvent& e : g_events) EXPECT_EQ(e.name.find("USB#"), std::string::npos);
}

TEST_F(OmxTest, FreeLibraryStopsTheWatcherAndAReloadWorks) {
  // several load/unload rounds in one process: no hang, no crash
  for (int round = 0; round < 3; ++round) {
    Load(round == 0 ? DefaultWorldText() : std::string());
    EXPECT_EQ(api_.OMXWL_SiteSurveyScan(), 1);
    Unload();
  }
  Load();
  DetectRec dr{};
  EXPECT_EQ(api_.OMXWL_DevDetect(&dr), 1);
}

TEST_F(OmxTest, DeviceClassKeyOpensWithOrWithoutTheTrailingBackslash) {
  Load();
  DetectRec rec{};
  ASSERT_EQ(api_.OMXWL_DevDetect(&rec), 1);  // the keys exist once the library runs
  const std::string base =
      "System\\CurrentControlSet\\Control\\DeviceClasses\\{ad498944-762f-11d0-8dcb-00c04fc3358c}"
      "\\##?#USB#VID_1D4F&PID_0A71#OMX0001#{ad498944-762f-11d0-8dcb-00c04fc3358c}";
  for (const std::string& key : {base, base + "\\"}) {
    HKEY h;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS)
        << key;
    RegCloseKey(h);
  }
  EXPECT_EQ(InstanceOfPath(kPath), "USB\\VID_1D4F&PID_0A71\\OMX0001");
}

TEST_F(OmxTest, UnloadRightAfterAnEventDoesNotHang) {
  std::string world = DefaultWorldText();
  Load(world);
  Recorder rec;
  WriteWorld(Edited(world, "Present=1", "Present=0"));
  DetectRec dr{};
  // no pumping: the events are on their way to this thread's window
  while (api_.OMXWL_DevDetect(&dr) == 1) Sleep(20);
  DWORD start = GetTickCount();
  Unload();
  EXPECT_LT(GetTickCount() - start, 4000u);  // the watcher gives up a blocked send
  Load(world);
  EXPECT_EQ(api_.OMXWL_DevDetect(&dr), 1);
}
