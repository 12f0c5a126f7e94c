// Profile files: the library's export of stored profiles to a file and its
// import from one. Any thread; every call holds the library lock, whose
// wait ends when stopEvent is set (thread, when given, is then marked
// terminated). Names and paths are UTF-8 here and store text at the library
// call; one the store cannot hold is never passed on (nothing found, 0).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CThread;

namespace profilefile {

// The library's own name of a stored profile: name itself, else the first
// stored name that differs from it only in letter case; empty when none.
std::string StoredName(const std::string& name, HANDLE stopEvent, CThread* thread);
// Writes the profile storedName (empty: every profile) to path; the number
// of profiles written, 0 when nothing was written.
int32_t Export(const std::string& storedName, const std::string& path, HANDLE stopEvent,
               CThread* thread);
// Adds the profiles of an export file to the store (same names, also in
// another letter case, are replaced: the stored name stays, the file's
// later record wins); the number of profiles imported, names that differ
// only in letter case counted once. 0 for a file that is not an export, and
// when the store and the file together may hold more profiles than the
// library keeps (4096): then nothing is written. refused (may be null) gets the number of records
// that were not taken: the working profile's reserved name, or a record the
// library would not put under its proper name.
int32_t Import(const std::string& path, HANDLE stopEvent, CThread* thread,
               int32_t* refused = nullptr);

}  // namespace profilefile
