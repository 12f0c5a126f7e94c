// The library's entry points, numbered in the order of the shared header's
// table. The exports run under the fault knobs of their number, and the
// world file names knobs after the same table, so a knob and its export
// cannot drift apart.
#pragma once

#include <string_view>

#include "omxwl.h"

namespace omx {

enum class Entry : int {
#define OMX_ENTRY_ENUM(name, args) name,
  OMXWL_ENTRY_POINTS(OMX_ENTRY_ENUM)
#undef OMX_ENTRY_ENUM
};

constexpr int kEntryCount = 0
#define OMX_ENTRY_COUNT(name, args) +1
    OMXWL_ENTRY_POINTS(OMX_ENTRY_COUNT)
#undef OMX_ENTRY_COUNT
    ;
static_assert(kEntryCount == 35, "the library has 35 entry points");

// The name without its "OMXWL_", e.g. "DevDetect".
const char* EntryName(Entry entry);
// The entry named with or without "OMXWL_", without regard to case; false
// when there is none.
bool FindEntry(std::string_view name, Entry* entry);

}  // namespace omx
