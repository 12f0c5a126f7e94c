// The main window's notification-area icon: its picture, its menu and the
// menu's commands. The balloons are CTrayNotes' (Utraynotes.cpp).
#include "adapter/Unicadapter.h"
#include "app/Uapp.h"
#include "config/Uutility.h"
#include "shell/Uformmain.h"

HWND TFormMain::AppWindow() const {
  if (Handle() && IsWindowVisible(Handle())) return Handle();
  return TrayIconMain && TrayIconMain->Handle() ? TrayIconMain->Handle() : Handle();
}

void TFormMain::SetTrayIcon(int index) {
  if (TrayIconMain) TrayIconMain->SetIconIndex(index);
}

void TFormMain::UpdateTrayIcon() {
  if (!adapter_ || adapter_->UseWZC) return;
  WLStatus status{};
  adapter_->GetStatus(status);
  const int icon = mode_ == kModeAP ? kIconAccessPoint
                                    : (status.MediaState == 0 ? kIconConnected : kIconDisconnected);
  if (icon != TrayIconMain->IconIndex()) SetTrayIcon(icon);
}

void TFormMain::TrayIconMouseDown(TMouseButton button) {
  if (button == TMouseButton::Right) ForceForeground(AppWindow());
}

void TFormMain::TrayIconMouseUp(TMouseButton button) {
  if (button != TMouseButton::Right) return;
  Busy busy(this);
  if (HWND foreground = GetForegroundWindow()) {
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    if (process != GetCurrentProcessId()) return;
  }
  POINT p{0, 0};
  GetCursorPos(&p);
  PrepareTrayMenu();
  HWND owner = TrayIconMain->Handle();
  SetForegroundWindow(owner);
  PMTrayIcon->Popup(p.x, p.y, owner);
  PostMessageA(owner, WM_NULL, 0, 0);
}

void TFormMain::PrepareTrayMenu() {
  MenuItWZC->SetCaption(g_GlobalVar.StrFileRead("Menu", "MenuWZC", MenuItWZC->Caption()));
  MenuItOpen->SetCaption(g_GlobalVar.StrFileRead("Menu", "MenuOpen", MenuItOpen->Caption()));
  MenuItClose->SetCaption(g_GlobalVar.StrFileRead("Menu", "MenuClose", MenuItClose->Caption()));
  const bool wzc = g_GlobalVar.OsVersionCode >= 7 && adapter_;
  MenuItWZC->SetVisible(wzc);
  MenuItWZCLine->SetVisible(wzc);
  if (wzc) MenuItWZC->SetChecked(adapter_->UseWZC);
  MenuItOpen->SetVisible(false);
  MenuItDisconnect->SetCaption(
      g_GlobalVar.StrFileRead("Menu", "MenuDisconnect", MenuItDisconnect->Caption()));
  MenuItDisconnect->SetVisible(LinkUp());
}

bool TFormMain::LinkUp() {
  if (!adapter_ || adapter_->UseWZC || mode_ != kModeStation) return false;
  WLStatus status{};
  adapter_->GetStatus(status);
  return status.MediaState == 0;
}

void TFormMain::MenuItDisconnectClick() {
  Busy busy(this);
  if (LinkUp()) adapter_->Disconnect();
}

void TFormMain::MenuItWZCClick() {
  Busy busy(this);
  if (adapter_) adapter_->WriteUseWZC(!adapter_->UseWZC);
}

void TFormMain::MenuItOpenClick() {
  Busy busy(this);
  if (!adapter_ && !(CmdFlags & CmdTrayIcon)) return;
  if (adapter_ && adapter_->UseWZC) {
    if (!ConfirmUtilityControl()) return;
    // The question ran a message loop: the adapter may have gone meanwhile.
    if (!adapter_) return;
    adapter_->WriteUseWZC(false);
  }
  if (Handle() && IsWindowVisible(Handle()))
    Restore();
  else
    Show();
  ForceForeground(Handle());
}

void TFormMain::DpiChanged(UINT oldDpi, UINT newDpi) {
  TFormBase::DpiChanged(oldDpi, newDpi);
  // The list views remake their own image lists; the notification area
  // is told again so it takes the icon at the size it now wants.
  if (TrayIconMain && TrayIconMain->Icons()) TrayIconMain->SetIcons(TrayIconMain->Icons());
}
