// A critical section and its scope guard: every section of the program is
// entered through CSectionGuard, so no return path and no exception between
// entering and leaving can leave it taken.
#pragma once

#include <windows.h>

// Owns one CRITICAL_SECTION for the object's lifetime. Recursive, as the
// system's sections are: a thread that holds it may enter it again.
class CCriticalSection {
 public:
  CCriticalSection() { InitializeCriticalSection(&cs_); }
  ~CCriticalSection() { DeleteCriticalSection(&cs_); }
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;

 private:
  friend class CSectionGuard;
  CRITICAL_SECTION cs_;
};

// Holds a section for its scope:
//   CSectionGuard guard(lock_);
class CSectionGuard {
 public:
  explicit CSectionGuard(CCriticalSection& section) : cs_(&section.cs_) {
    EnterCriticalSection(cs_);
  }
  ~CSectionGuard() { LeaveCriticalSection(cs_); }
  CSectionGuard(const CSectionGuard&) = delete;
  CSectionGuard& operator=(const CSectionGuard&) = delete;

 private:
  CRITICAL_SECTION* cs_;
};
