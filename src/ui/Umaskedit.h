// An edit with a fixed layout: input positions (the letter 'a' in the mask)
// between literal characters that always stay in place, as in
// "aa:aa:aa:aa:aa:aa". Typing overwrites one position after the other and
// jumps over the literals; only the accepted characters go in. The value is
// the input positions alone, an empty position reading as the blank value.
#pragma once

#include <string>

#include "ui/Uedit.h"

class TMaskEdit : public TEdit {
 public:
  TMaskEdit(TComponent* owner, TContainer* parent, std::string name,
            const std::string& mask = "aa:aa:aa:aa:aa:aa");

  const std::string& Mask() const { return mask_; }
  // Characters an input position takes (default: hex digits); upper-cased
  // first when UpperCase is on (default).
  std::string Accepted = "0123456789ABCDEFabcdef";
  bool UpperCase = true;
  // Shown for an empty position.
  char BlankShown = '_';
  // Read for an empty position.
  char BlankValue = '0';

  // The input positions in order, empty ones as BlankValue.
  std::string Value() const;
  // Fills the positions from the characters of value (literals of the mask
  // are skipped, characters that are not accepted leave a position empty).
  // Does not fire OnChange.
  void SetValue(const std::string& value);
  // No position filled.
  bool IsEmpty() const;
  // Caret position in the shown text.
  int SelStart() const;
  void SetSelStart(int pos);

  // A text in the mask's own layout fills the positions it shows; any other
  // text is read as a value. An empty text empties every position.
  void SetCaption(const std::string& caption) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool HandleCommand(WORD code, LRESULT& result) override;

 private:
  bool IsSlot(size_t pos) const { return pos < mask_.size() && mask_[pos] == 'a'; }
  // The character as a position takes it, or 0 when it is refused.
  char Accept(char c) const;
  void Render(int caret);
  void Selection(int& from, int& to) const;
  // Empties the positions in [from, to); true when one changed.
  bool ClearRange(int from, int to);
  void TypeChar(char c);
  void Backspace();
  void DeleteKey();
  void Paste();
  // Empties the selected positions, copying them first when asked (cut).
  void ClearSelection(bool copy);
  // The text as the mask shows it.
  std::string Shown() const;

  std::string mask_;
  std::string slots_;  // one entry per mask position; 0 = empty or literal
  bool rendering_ = false;
};
