#include "ui/Umaskedit.h"

#include <cctype>
#include <vector>

#include "config/Uunicode.h"

namespace {

// Separators a pasted address may carry besides the mask's own literals.
bool IsSeparator(char c) {
  return c == ':' || c == '-' || c == '.' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// UTF-8; read as UTF-16, so that a character outside the code page is not
// turned into a look-alike digit on the way.
std::string ClipboardText(HWND owner) {
  std::wstring text;
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return {};
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      // Never past the block the clipboard holds, terminator or not.
      const SIZE_T size = GlobalSize(data) / sizeof(wchar_t);
      SIZE_T n = 0;
      while (n < size && p[n]) ++n;
      text.assign(p, n);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return Utf8(text);
}

}  // namespace

TMaskEdit::TMaskEdit(TComponent* owner, TContainer* parent, std::string name,
                     const std::string& mask)
    : TEdit(owner, parent, std::move(name)), mask_(mask), slots_(mask.size(), '\0') {
  SetMaxLength(static_cast<int>(mask_.size()));
  Render(0);
}

char TMaskEdit::Accept(char c) const {
  if (UpperCase) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return c != 0 && Accepted.find(c) != std::string::npos ? c : 0;
}

std::string TMaskEdit::Value() const {
  std::string value;
  for (size_t i = 0; i < mask_.size(); ++i)
    if (IsSlot(i)) value += slots_[i] ? slots_[i] : BlankValue;
  return value;
}

bool TMaskEdit::IsEmpty() const {
  for (size_t i = 0; i < mask_.size(); ++i)
    if (IsSlot(i) && slots_[i]) return false;
  return true;
}

void TMaskEdit::SetValue(const std::string& value) {
  slots_.assign(mask_.size(), '\0');
  size_t pos = 0;
  for (char c : value) {
    while (pos < mask_.size() && !IsSlot(pos)) ++pos;
    if (pos >= mask_.size()) break;
    // Literals of the mask may come along with a value; skip them.
    if (mask_.find(c) != std::string::npos && c != 'a') continue;
    if (c != BlankShown) slots_[pos] = Accept(c);
    ++pos;
  }
  Render(SelStart());
}

void TMaskEdit::SetCaption(const std::string& caption) {
  if (caption.size() == mask_.size()) {
    bool layout = true;
    for (size_t i = 0; i < mask_.size() && layout; ++i)
      if (!IsSlot(i) && caption[i] != mask_[i]) layout = false;
    if (layout) {
      for (size_t i = 0; i < mask_.size(); ++i)
        slots_[i] = IsSlot(i) && caption[i] != BlankShown ? Accept(caption[i]) : '\0';
      Render(SelStart());
      return;
    }
  }
  SetValue(caption);
}

int TMaskEdit::SelStart() const {
  int from, to;
  Selection(from, to);
  return from;
}

void TMaskEdit::SetSelStart(int pos) {
  if (Handle()) SendMessageW(Handle(), EM_SETSEL, pos, pos);
}

void TMaskEdit::Selection(int& from, int& to) const {
  DWORD a = 0, b = 0;
  if (Handle())
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  from = static_cast<int>(a);
  to = static_cast<int>(b);
}

void TMaskEdit::Render(int caret) {
  const std::string shown = Shown();
  rendering_ = true;
  TWinControl::SetCaption(shown);
  rendering_ = false;
  if (caret > static_cast<int>(shown.size())) caret = static_cast<int>(shown.size());
  SetSelStart(caret < 0 ? 0 : caret);
}

bool TMaskEdit::ClearRange(int from, int to) {
  bool changed = false;
  for (int i = from < 0 ? 0 : from; i < to && i < static_cast<int>(mask_.size()); ++i) {
    if (IsSlot(i) && slots_[i]) {
      slots_[i] = '\0';
      changed = true;
    }
  }
  return changed;
}

std::string TMaskEdit::Shown() const {
  std::string shown = mask_;
  for (size_t i = 0; i < mask_.size(); ++i)
    if (IsSlot(i)) shown[i] = slots_[i] ? slots_[i] : BlankShown;
  return shown;
}

void TMaskEdit::ClearSelection(bool copy) {
  if (copy) DefaultProc(WM_COPY, 0, 0);
  int from, to;
  Selection(from, to);
  ClearRange(from, to);
  Render(from);
}

void TMaskEdit::TypeChar(char c) {
  const char ch = Accept(c);
  if (!ch) {
    MessageBeep(MB_OK);
    return;
  }
  int from, to;
  Selection(from, to);
  ClearRange(from, to);
  size_t pos = static_cast<size_t>(from);
  while (pos < mask_.size() && !IsSlot(pos)) ++pos;
  if (pos >= mask_.size()) {
    MessageBeep(MB_OK);
    Render(from);
    return;
  }
  slots_[pos++] = ch;
  while (pos < mask_.size() && !IsSlot(pos)) ++pos;
  Render(static_cast<int>(pos));
}

void TMaskEdit::Backspace() {
  int from, to;
  Selection(from, to);
  if (from < to) {
    ClearRange(from, to);
    Render(from);
    return;
  }
  int pos = from - 1;
  while (pos >= 0 && !IsSlot(static_cast<size_t>(pos))) --pos;
  if (pos < 0) return;
  slots_[static_cast<size_t>(pos)] = '\0';
  Render(pos);
}

void TMaskEdit::DeleteKey() {
  int from, to;
  Selection(from, to);
  if (from < to) {
    ClearRange(from, to);
  } else {
    size_t pos = static_cast<size_t>(from);
    while (pos < mask_.size() && !IsSlot(pos)) ++pos;
    if (pos < mask_.size()) slots_[pos] = '\0';
  }
  Render(from);
}

void TMaskEdit::Paste() {
  std::string chars;
  for (char c : ClipboardText(Handle())) {
    if (const char ch = Accept(c)) {
      chars += ch;
    } else if (!IsSeparator(c) && mask_.find(c) == std::string::npos) {
      MessageBeep(MB_OK);  // not something this field can hold
      return;
    }
  }
  if (chars.empty()) return;
  size_t slots = 0;
  for (size_t i = 0; i < mask_.size(); ++i) slots += IsSlot(i);
  if (chars.size() >= slots) {
    // A whole value replaces what the field holds.
    slots_.assign(mask_.size(), '\0');
    size_t k = 0;
    for (size_t i = 0; i < mask_.size(); ++i)
      if (IsSlot(i)) slots_[i] = chars[k++];
    Render(static_cast<int>(mask_.size()));
    return;
  }
  int from, to;
  Selection(from, to);
  ClearRange(from, to);
  size_t pos = static_cast<size_t>(from);
  for (char ch : chars) {
    while (pos < mask_.size() && !IsSlot(pos)) ++pos;
    if (pos >= mask_.size()) break;
    slots_[pos++] = ch;
  }
  while (pos < mask_.size() && !IsSlot(pos)) ++pos;
  Render(static_cast<int>(pos));
}

LRESULT TMaskEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // Every change of the text goes through the positions, so the literals
  // stay where they are.
  const bool editable = !ReadOnly() && Enabled();
  const std::string before = Shown();
  auto done = [&] {
    if (Shown() != before) Fire(OnChange);
    return 0;
  };
  switch (msg) {
    case WM_CHAR: {
      wchar_t key = static_cast<wchar_t>(wp);
      if (key == L'\t' || key == L'\r' || key == 27 || key == 3) break;  // focus, dialog, copy
      if (key == 1) {                                                    // Ctrl+A
        SelectAll();
        return 0;
      }
      if (!editable) return 0;
      if (OnKeyPress && key >= L' ') {
        Fire(OnKeyPress, key);
        if (key == 0) return 0;
      }
      if (key == 8) {
        Backspace();
      } else if (key == 22) {  // Ctrl+V
        Paste();
      } else if (key == 24) {  // Ctrl+X
        ClearSelection(true);
      } else if (key >= 0x80) {
        // The positions hold ASCII only; cut to a byte, a character such as
        // U+0141 would pass for the letter A.
        MessageBeep(MB_OK);
        return 0;
      } else if (key >= L' ') {
        TypeChar(static_cast<char>(key));
      }
      return done();
    }
    case WM_KEYDOWN:
      if (wp == VK_DELETE || (wp == VK_INSERT && (GetKeyState(VK_SHIFT) & 0x8000))) {
        if (!editable) return 0;
        if (wp == VK_INSERT) {
          Paste();
        } else if (GetKeyState(VK_SHIFT) & 0x8000) {
          ClearSelection(true);  // Shift+Delete cuts
        } else {
          DeleteKey();
        }
        return done();
      }
      break;
    case WM_PASTE:
      if (editable) Paste();
      return done();
    case WM_CUT:
    case WM_CLEAR:
      if (!editable) return 0;
      ClearSelection(msg == WM_CUT);
      return done();
    case WM_UNDO:
    case EM_UNDO:
      return 0;  // the edit's own undo would break the layout
  }
  return TEdit::WndProc(msg, wp, lp);
}

bool TMaskEdit::HandleCommand(WORD code, LRESULT& result) {
  if (code == EN_CHANGE) {
    result = 0;
    if (rendering_) return true;
    // Changed by a way round the positions (the edit's own menu): read the
    // text back into them.
    const std::string before = Shown();
    const int caret = SelStart();
    SetCaption(WindowText(Handle()));
    SetSelStart(caret);
    if (Shown() != before) Fire(OnChange);
    return true;
  }
  return TEdit::HandleCommand(code, result);
}
