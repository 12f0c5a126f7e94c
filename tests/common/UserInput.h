// Input to the toolkit's controls as a user gives it: characters typed into
// an edit, an item picked in a combo box. The page hears of it the way the
// control tells it, never through a handler called directly.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "config/Uunicode.h"
#include "ui/Ustdctrls.h"

// Key presses, one WM_CHAR per UTF-16 unit of the UTF-8 text ("\b" is a
// backspace), as a wide window gets them.
inline void Type(HWND edit, const std::string& text) {
  for (wchar_t c : Wide(text)) SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
}
inline void Type(TEdit* edit, const std::string& text) {
  Type(edit->Handle(), text);
}

// The selection moves to index, then the box tells its parent.
inline void Pick(TComboBox* box, int index) {
  box->SetItemIndex(index);
  SendMessageW(GetParent(box->Handle()), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(box->Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(box->Handle()));
}

// Picks the item with this value, or the one with this text; a failure of
// the running test when there is none.
inline void Choose(TComboBox* box, intptr_t value) {
  for (int i = 0; i < box->Count(); ++i)
    if (box->ItemValue(i) == value) return Pick(box, i);
  ADD_FAILURE() << box->Name() << " has no " << value;
}
inline void Choose(TComboBox* box, const std::string& text) {
  for (int i = 0; i < box->Count(); ++i)
    if (box->ItemText(i) == text) return Pick(box, i);
  ADD_FAILURE() << box->Name() << " has no " << text;
}
