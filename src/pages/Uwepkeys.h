// The WEP key editor of the wizard's WEP page and of the access-point
// configuration page: key size, authentication, pass phrase, transmit key and
// four key edits, of which only the transmit key's shows. The controls belong
// to the page (their names, positions and texts come from the page's section);
// the editor moves values between them and a profile by the rules of
// config/Uweprules.
#pragma once

#include <cstdint>
#include <string>

#include "config/Udefine.h"
#include "config/Uweprules.h"
#include "pages/station/Upageparts.h"

class CNICAdapter;

class TWEPKeyEditor {
 public:
  // Builds the five rows from rows.Top down, in Tab order, owned by the page.
  // section: the page's string-file section ("LbKey1".."LbKey4" name the key
  // row); transmitWidth: width of the transmit key list.
  TWEPKeyEditor(TPropertyPageFrame* page, std::string section, pageparts::FieldRows rows,
                int transmitWidth);
  ~TWEPKeyEditor();
  TWEPKeyEditor(const TWEPKeyEditor&) = delete;
  TWEPKeyEditor& operator=(const TWEPKeyEditor&) = delete;

  TLabel* LbWEP;
  TComboBox* CmbWEP;
  TLabel* LbAuthen;
  TComboBox* CmbAuthen;
  TLabel* LbPhrase;
  TEdit* EdtPhrase;
  TLabel* LbDefKey;
  TComboBox* CmbDefKey;
  TLabel* LbKey;
  TEdit* EdtKey1;
  TEdit* EdtKey2;
  TEdit* EdtKey3;
  TEdit* EdtKey4;

  // The adapter that lists the sizes and makes keys from a pass phrase; null
  // while none is attached.
  void SetAdapter(CNICAdapter* adapter) { adapter_ = adapter; }
  CNICAdapter* Adapter() const { return adapter_; }

  // Authentication items (open, shared, and automatic when withAuto, which is
  // then the default) and the transmit keys 1 to 4.
  void FillLists(bool withAuto);
  // The sizes the adapter allows ("WEP64" and "WEP128" on, "WEP152" off by
  // default), after an item for no WEP when withNone; without an adapter only
  // that item.
  void FillSizes(bool withNone);
  // No size chosen, the secrets empty and shown plainly, key 1 showing.
  void Reset();
  // A profile's entry: its size (else the first offered), authentication
  // (else the default), transmit key (else key 1), pass phrase and keys, the
  // secrets masked.
  void Load(const WLProfile& profile);
  // Empties the pass phrase and the keys: no secret stays in a window that
  // outlives the page.
  void ClearSecrets();
  // Writes the entry into profile: with a size, the checked transmit key,
  // the keys and EncWEP; without one, no WEP and EncNone; the authentication
  // in both cases. A refused transmit key is told in a message box over the
  // page and nothing is written: false.
  bool Store(WLProfile& profile);

  // Where the user types first: the pass phrase when it is enabled, else the
  // key edit shown.
  TWinControl* FirstFocus() const;
  // Key edit of a transmit key value 0..3 (null outside).
  TEdit* KeyEdit(int index) const;
  int32_t SelectedSize() const;

  // Event handlers, public for the pages' tests.
  void CmbWEPSelect();
  void CmbDefKeySelect();
  // Keys made from the pass phrase, or emptied with it.
  void EdtPhraseChange();
  // A key typed over any key edit: the keys no longer come from the pass
  // phrase, so it is emptied.
  void EdtKeyChange();

 private:
  TPropertyPageFrame* page_;
  std::string section_;
  CNICAdapter* adapter_ = nullptr;
  int32_t authDefault_ = AuthOpen;
  // Set while the editor writes into its own controls.
  bool filling_ = false;
  // Set while keys are written from the pass phrase.
  bool generating_ = false;
  // Keys from the phrase wait for the library (libqueue).
  bool phraseQueued_ = false;
};
