// The notification protocol: the codes of the registered message NotifyMsg
// (wParam) and the values that travel with them (lParam), the attach kinds
// and operating modes of the page protocol, and the page switch flags.
// Every sender and receiver uses these names, never the bare numbers.
#pragma once

#include <windows.h>

// ---- NotifyMsg codes (wParam) ---------------------------------------------------
// Codes 1 and 9 cross instances; the rest stay inside the process.
constexpr WPARAM kNotifyShow = 1;    // show the window, as "Open" does
constexpr WPARAM kNotifyDevice = 2;  // device notice (posted): lParam is a device kind
constexpr WPARAM kNotifyStatus = 3;  // a status sample was collected (posted)
constexpr WPARAM kNotifyWZC = 4;     // the Windows-management switch changed (sent): lParam 1 = on
constexpr WPARAM kNotifyStoreProfile = 5;  // store WorkProfile (sent): lParam = wizard flags
constexpr WPARAM kNotifyConnecting = 7;    // a connection starts (sent)
constexpr WPARAM kNotifyProfiles = 8;      // the stored profile list changed (posted)
constexpr WPARAM kNotifyClose = 9;         // close the program
constexpr WPARAM kNotifyShowPage = 10;     // show a page (posted): lParam is a page code
constexpr WPARAM kNotifyShowProfile = 11;  // show the profile page (sent): lParam = switch flags
// Posted by the instance's own script pipe server: a request waits under the
// id in lParam (script::CScriptServer::Take).
constexpr WPARAM kNotifyScript = 12;

// lParam of codes 5, 7 and 8: bit 0 set means the access-point side.
constexpr LPARAM kNotifyAPSide = 1;
// lParam of code 4.
constexpr LPARAM kWZCOff = 0;
constexpr LPARAM kWZCOn = 1;

// ---- device kinds (lParam of kNotifyDevice) ------------------------------------------
constexpr LPARAM kDevicesGone = 3;     // resume or console disconnect: drop the adapter
constexpr LPARAM kDevicesChanged = 4;  // the device list changed

// ---- page codes (lParam of kNotifyShowPage, return page of the wizard) ---------------
constexpr int kPageLinkInfo = 1;
constexpr int kPageProfile = 2;
constexpr int kPageSurvey = 3;
constexpr int kPageAPInfo = 4;

// ---- page switch flags (EnterPage flags, lParam of codes 5 and 11) -------------------
constexpr int kProfEditMode = 0x100;  // the working profile replaces an edited one
constexpr int kProfKeyOnly = 0x200;   // the wizard asks only for the network's security
constexpr int kSurveyNoScan = 0x400;  // the survey page opens without a new scan
// With kProfEditMode in code 5 from outside the wizard: only the profile of
// the working profile's own name is replaced, never the one Edit opened.
constexpr int kProfOwnName = 0x800;

// ---- page protocol ---------------------------------------------------------------------
// AttachAdapter kinds.
constexpr int kAttach = 1;  // an adapter object is available
constexpr int kDetach = 2;  // the adapter object is about to go away
// Operating modes (AttachAdapter's mode; bit 0 set = access point).
constexpr int kModeStation = 0;
constexpr int kModeAP = 1;
// Directions of EnterPage and LeavePage.
constexpr int kDirForward = 1;
constexpr int kDirBack = 2;
constexpr int kDirNone = 0;  // a tab switch of the main window
