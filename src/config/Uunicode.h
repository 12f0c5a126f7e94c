// Text in the program is UTF-8; UTF-16 only at a W call, code-page bytes only
// in the vendor library's records (store text) and in network names, which
// are raw bytes. Everything here is pure logic apart from the code-page
// conversions; the code page is a parameter so that any of them can be tried
// whatever the system's own is.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 to UTF-16 and back, for the W calls. Malformed input becomes U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view text);

// Bytes in code page cp (store text, an ANSI file) as UTF-8.
std::string FromCodePage(std::string_view bytes, UINT cp = CP_ACP);

// UTF-8 as store text in code page cp. False when a character cannot be held
// exactly (no best-fit substitutes, no zero character, no malformed UTF-8);
// then refused, if given, names the first such character in UTF-8 (a
// malformed byte or the zero character as \xNN) and out is left unchanged.
bool ToStore(std::string_view utf8, std::string& out, std::string* refused = nullptr,
             UINT cp = CP_ACP);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no
// cut sequences. The empty text is valid; a zero byte is valid.
bool IsUtf8(std::string_view text);

// A network name (at most 32 bytes of anything) as one line of UTF-8 text:
// valid UTF-8 as UTF-8, anything else in code page cp. A byte that does not
// decode, a C0 or C1 control, U+007F and a zero byte show as \xNN (uppercase
// hex), a backslash as \\, so that names differing in bytes differ on screen.
std::string SsidDisplay(const uint8_t* bytes, size_t n, UINT cp = CP_ACP);

// A profile name proposed for a network: its display text with every escape
// and every character the store cannot hold replaced by '_', cut to at most
// maxStoreBytes bytes of store text and never inside a character. UTF-8.
std::string ProposedName(const uint8_t* ssid, size_t n, size_t maxStoreBytes = 64,
                         UINT cp = CP_ACP);

// A typed network name as its UTF-8 bytes. False (bytes unchanged) when it is
// longer than 32 bytes, not valid UTF-8 or holds a control character; it is
// never cut.
bool TypedSsid(std::string_view utf8, std::string& bytes);

// Cuts text to at most units UTF-16 units without splitting a surrogate pair.
void CutUtf16(std::wstring& text, size_t units);

// The same name whatever the case, for UTF-8 names (profile names, names
// typed on a command line): ordinal, case folded by the system's table, not
// by the user's locale, so the answer is the same on every machine.
bool SameName(std::string_view a, std::string_view b);

// UTF-8 text (a profile name, a file name) as one line: every C0 or C1
// control and U+007F shows as \xNN; a malformed byte shows as \xNN too.
// A backslash stays as it is: unlike a network name this is the user's own
// text, and an escape in it would change what a script has to type.
std::string EscapeControls(std::string_view utf8);
