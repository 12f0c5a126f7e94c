// The main window's adapter: the selection and release of the device in
// use, the events of NotifyMsg, and the hand-over of the adapter to Windows'
// own wireless management and back.
#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

#include "adapter/Ulibrarylock.h"
#include "adapter/Unames.h"
#include "adapter/Unicadapter.h"
#include "app/Uapp.h"
#include "app/Udebug.h"
#include "app/Uscript.h"
#include "config/Uutility.h"
#include "pages/ap/Uframeapinfo.h"
#include "pages/station/Uframeprofile.h"
#include "shell/Propertypageframeunit.h"
#include "shell/Uformmain.h"
#include "shell/Ulibqueue.h"
#include "shell/Uthrdcloseform.h"
#include "shell/Utraynotes.h"
#include "workers/Uthrddetect.h"

namespace {

// Process-wide: the utility-control question is open.
bool g_QuestionOpen = false;

}  // namespace

bool TFormMain::QuestionOpen() {
  return g_QuestionOpen;
}

void TFormMain::SelectDevice(const DeviceRec& device) {
  Busy busy(this);
  if (device_) return;
  device_ = std::make_unique<DeviceRec>(device);
  LogWrite("Select Dev: <%s><%s><%s>", StoreFieldText(device_->Description).c_str(),
           FieldText(device_->HardwareId).c_str(), FieldText(device_->Tag).c_str());
  if (!adapter_) {
    try {
      // Its first reads may wait longer, but not for ever: a worker of an
      // adapter before it may still be stuck in the library.
      librarylock::CInterfaceBound bound(librarylock::kInterfaceLongWaitMs);
      adapter_ = new CNICAdapter(Handle(), CmdFlags, *device_);
    } catch (const std::exception& e) {
      LogWrite("Exception(TFormMain::SelectDevice): %s", e.what());
      device_.reset();
      return;
    }
  }
  WLProfile last{};
  if (CmdFlags & CmdService) adapter_->GetLastApplyProf(last);
  if (adapter_->AntennaEnabled) QueueAntenna(kModeStation);
  SetOperateMode(kModeStation);
  // SetOperateMode let other messages run: the adapter may be gone again.
  if (!adapter_) return;
  const bool softAP = adapter_->SoftAPCapable;
  BtnSoftAP->SetEnabled(softAP);
  BtnStation->SetEnabled(softAP);
  if (softAP) {
    std::vector<WLProfile> aps;
    adapter_->GetProfileList(kAPList, aps);
    g_GlobalVar.APProfile = aps.empty() ? adapter_->DefAPProf : aps.front();
  }
  AttachAll(kAttach, kModeStation);
  if (CmdFlags & CmdService) {
    if (!adapter_->UseWZC) adapter_->Connect(last);
  } else {
    if (!adapter_->UseWZC) FrameProfile1->InitConnect();
    SetTrayIcon(kIconDisconnected);
    if (!TrayIconMain->Visible()) TrayIconMain->SetVisible(true);
  }
  const bool takeOver = takeOver_;
  takeOver_ = false;
  if (device_ && !takeOver) notes_->AdapterArrived(StoreFieldText(device_->Description));
}

void TFormMain::DeviceNotice(int kind) {
  Busy busy(this);
  if (releasing_) {
    // The detection thread reports a change only once: look at the list
    // again when the release is over, or a device present now is missed.
    noticeDropped_ = true;
    return;
  }
  if (kind == kDevicesChanged) {
    std::vector<DeviceRec> list;
    if (g_ThrdDetect) g_ThrdDetect->GetDevList(list);
    if (!device_ && !list.empty()) {
      SelectDevice(list.front());
    } else if (device_) {
      bool present = false;
      for (const DeviceRec& d : list)
        if (std::memcmp(&d, device_.get(), sizeof(DeviceRec)) == 0) present = true;
      if (!present) {
        unplugged_ = true;
        std::vector<std::string> listed;
        for (const DeviceRec& d : list) listed.push_back(FieldText(d.HardwareId));
        displaced_ =
            !traynotes::LeftForSure(g_GlobalVar.HwIdList, FieldText(device_->HardwareId), listed);
        ReleaseDevice();
      }
    }
  } else if (kind == kDevicesGone) {
    if (device_) ReleaseDevice();
  }
}

void TFormMain::ReleaseDevice() {
  releasing_ = true;
  std::shared_ptr<bool> alive = alive_;
  new CThrdCloseForm([this, alive] {
    if (*alive) FinishRelease();
  });
}

void TFormMain::QueueAntenna(int mode) {
  // Set when the library can be had; the setting is read then.
  libqueue::Run(nullptr, "Antenna", [this, mode] {
    if (!adapter_ || !adapter_->AntennaEnabled) return;
    adapter_->SetAntenna(static_cast<uint8_t>(
        mode == kModeStation ? adapter_->ReadSet("AntennaMode", static_cast<int32_t>(4)) : 0));
  });
}

void TFormMain::FinishRelease() {
  Busy busy(this);
  // Nothing waiting for the library may run for an adapter that is gone;
  // the controls are given back before the pages let go of it.
  libqueue::Clear("adapter released");
  if (device_) {
    AttachAll(kDetach, mode_);
    BtnSoftAP->SetEnabled(false);
    BtnStation->SetEnabled(false);
    // Cleared first: stopping the worker answers what it sends meanwhile,
    // and those events must find no adapter here.
    CNICAdapter* adapter = adapter_;
    adapter_ = nullptr;
    CNICAdapter::Dispose(adapter);
    const std::string left = StoreFieldText(device_->Description);
    device_.reset();
    // Another adapter is listed and takes over at once (below): the window
    // and the icon stay for it.
    std::vector<DeviceRec> listed;
    if (unplugged_ && lifetime_ == Lifetime::Running && g_ThrdDetect)
      g_ThrdDetect->GetDevList(listed);
    const bool takeOver = !listed.empty();
    if (!(CmdFlags & CmdService)) {
      SetTrayIcon(kIconDisconnected);
      if (!(CmdFlags & CmdTrayIcon) && !takeOver) {
        TrayIconMain->SetVisible(false);
        Hide();
      }
    }
    notes_->LinkReset();
    // Only an icon that stays can carry the news.
    if (unplugged_ && !displaced_ && TrayIconMain->Visible()) notes_->AdapterLeft(left);
    takeOver_ = takeOver && !displaced_;
  }
  // A device that left the list may have left another supported one behind
  // it, and the detection thread will not report that list again: take it
  // now. A release for resume or a console disconnect waits for the next
  // pass instead, unless that pass already reported while this one ran. A
  // program on its way out takes nothing.
  const bool lookAgain = (unplugged_ || noticeDropped_) && lifetime_ == Lifetime::Running;
  unplugged_ = false;
  displaced_ = false;
  noticeDropped_ = false;
  releasing_ = false;
  if (lookAgain) DeviceNotice(kDevicesChanged);
  // Nothing was taken after all (the list changed again meanwhile).
  takeOver_ = false;
}

LRESULT TFormMain::NotifyMessage(WPARAM code, LPARAM value) {
  Busy busy(this);
  const int v = static_cast<int>(value);
  switch (code) {
    case kNotifyShow:
      MenuItOpenClick();
      break;
    case kNotifyDevice:
      DeviceNotice(v);
      break;
    case kNotifyStatus:
      if (!adapter_) break;
      UpdateTrayIcon();
      if (mode_ == kModeStation && !adapter_->UseWZC) {
        WLStatus status{};
        adapter_->GetStatus(status);
        // The name as the lists show it: every byte counts, a zero one too.
        notes_->LinkSample(status.MediaState == 0, SsidText(status));
      }
      ForwardNotify(kNotifyStatus, v);
      break;
    case kNotifyWZC:
      if (!adapter_) break;
      ForwardNotify(kNotifyWZC, v);
      WZCChanged(v == kWZCOn);
      break;
    case kNotifyStoreProfile:
      if (!(v & kNotifyAPSide)) return FrameProfile1->SaveProfile(v) ? 1 : 0;
      break;
    case kNotifyConnecting:
      if (!adapter_) break;
      if (!(v & kNotifyAPSide)) SetTrayIcon(kIconDisconnected);
      ForwardNotify(kNotifyConnecting, v);
      break;
    case kNotifyProfiles:
      if (!adapter_) break;
      ForwardNotify(kNotifyProfiles, v);
      break;
    case kNotifyClose:
      LogWrite("WPM_CLOSEALL");
      MenuItCloseClick();
      break;
    case kNotifyShowPage:
      ShowPage(v);
      break;
    case kNotifyShowProfile:
      SwitchPage(LbProfile, v);
      break;
    case kNotifyScript:
      ServePipeRequest(static_cast<uint32_t>(v));
      break;
    default:
      break;
  }
  return 0;
}

void TFormMain::ForwardNotify(int code, int value) {
  if (!adapter_) return;
  for (TPropertyPageFrame* page : Pages()) {
    // A page may run a message loop that releases the adapter.
    if (!adapter_) return;
    page->AdapterNotify(adapter_, code, value);
  }
}

void TFormMain::WZCChanged(bool on) {
  if (on) {
    new CThrdCloseForm();
    SetTrayIcon(kIconDisconnected);
    Hide();
  } else if (mode_ == kModeAP) {
    // Access-point mode showed its pages: they are built.
    if (TFrameAPInfo* info = FrameAPInfo1()) info->ConnectLast();
    ShowPage(kPageAPInfo);
  } else {
    FrameProfile1->InitConnect();
    ShowPage(kPageLinkInfo);
  }
}

bool TFormMain::ConfirmUtilityControl() {
  Busy busy(this);
  if (g_QuestionOpen) {
    ForceForeground(AppWindow());
    return false;
  }
  const std::string product =
      g_GlobalVar.StrFileRead("Utility", "ProductName", "Wireless Adapter Utility");
  const std::string text = FormatText(
      g_GlobalVar.StrFileRead("Message", "UseUtility", "Use %s manage this wireless adapter?"),
      product);
  g_QuestionOpen = true;
  ForceForeground(AppWindow());
  int answer = 0;
  try {
    answer = g_GlobalVar.ShowMsgBox(Handle(), text, 0x41);
  } catch (const std::exception& e) {
    LogWrite("Exception(TFormMain::ConfirmUtilityControl): %s", e.what());
  }
  g_QuestionOpen = false;
  return answer == 1;
}
