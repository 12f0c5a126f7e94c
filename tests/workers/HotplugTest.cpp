// Hot-plug through the simulated OMXWL.DLL: the library's device events
// reach the detection window, and the device list follows the adapter.
#include "adapter/SimLibrary.h"
#include "workers/Uthrddetect.h"

TEST(WithSimulatedLibrary, UnplugEmptiesTheDeviceListAndPlugBringsItBack) {
  TestEnv env("", false);
  g_GlobalVar.OsVersionCode = 6;
  SimLibrary lib(env);
  ASSERT_TRUE(lib.Bound());
  NotifyRecorder rec;
  CThrdDetect detect(rec.Wnd());
  auto devices = [&] {
    std::vector<DeviceRec> list;
    detect.GetDevList(list);
    return list;
  };
  ASSERT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesChanged) == 1; }, 5000));
  ASSERT_EQ(devices().size(), 1u);
  EXPECT_EQ(FieldText(devices()[0].HardwareId), "VID_1D4F&PID_0A71");
  EXPECT_EQ(FieldText(devices()[0].Description), "Ombrix 802.11a/b/g USB Wireless Adapter");

  lib.WriteWorld(false);
  ASSERT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesChanged) == 2; }, 8000));
  EXPECT_TRUE(devices().empty());
  EXPECT_FALSE(env.LogLines("Remove HWID: USB\\VID_1D4F&PID_0A71\\OMX0001").empty());

  lib.WriteWorld(true);
  ASSERT_TRUE(WaitUntil([&] { return rec.CountOf(kNotifyDevice, kDevicesChanged) == 3; }, 8000));
  EXPECT_EQ(devices().size(), 1u);
  EXPECT_FALSE(env.LogLines("Arrival HWID: USB\\VID_1D4F&PID_0A71\\OMX0001").empty());
}
