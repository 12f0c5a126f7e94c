// Small stateless helpers shared by several units.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// True when path names an existing file (not a folder). Writes nothing to
// the debug log, which uses it to decide whether to log at all.
bool FileExists(const std::string& path);
// File version of a file's version resource with n parts ("5", "5.1",
// "5.1.2600", otherwise "5.1.2600.0"); empty when the file or the resource
// is missing.
std::string GetFileVersionText(const std::string& path, int n);
// The driver file named by the vendor library: below the Windows directory
// as given, else by its bare name in System32\Drivers; empty when neither
// exists.
std::string ResolveDriverPath(const std::string& path);
// Brings a window to the front even when another thread owns the foreground.
void ForceForeground(HWND window);
// Selects the first item of a combo box whose item data equals value; false
// (selection unchanged) when none does.
bool SelectComboByData(HWND combo, intptr_t value);
// True when every character is a hexadecimal digit (the empty text too).
bool IsHexText(const std::string& text);
// Integers of a comma list (commas or blanks separate, double quotes
// group) in order; the first n go to values. Returns how many were found.
int ParseIntList(const std::string& text, int32_t* values, int n);
// Every backslash followed by the letter n becomes a line feed.
std::string ExpandLineBreaks(const std::string& text);
