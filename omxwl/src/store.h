// The profile store: every profile of one root in one file under the user's
// application data, replaced whole through a temporary file.
#pragma once

#include <string>
#include <vector>

#include "omxwl.h"

namespace omx {

struct StoredProfile {
  std::string name;  // exact, case-sensitive
  WLProfile record;
};

enum class StoreLoad { Ok, Missing, Corrupt, TooNew, IoError };

constexpr size_t kMaxProfileName = 64;

// A root names one folder: no path separators, no reserved names.
bool ValidProfileRoot(const std::string& root);
// %APPDATA% (or the shell's application-data folder) without a trailing backslash.
bool AppDataFolder(std::string* folder);

StoreLoad ReadStore(const std::string& file, std::vector<StoredProfile>* list, std::string* why);
bool WriteStore(const std::string& file, const std::string& temp,
                const std::vector<StoredProfile>& list, std::string* why);
// Moves an unreadable store aside (WLProfiles.bad, WLProfiles.1.bad, ...).
bool MoveStoreAside(const std::string& file, std::string* movedTo);

}  // namespace omx
