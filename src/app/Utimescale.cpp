#include "app/Utimescale.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// In thousandths, so that it is read and written whole from any thread.
std::atomic<long> g_Permille{1000};

}  // namespace

namespace timescale {

DWORD Ms(DWORD ms) {
  if (ms == INFINITE || ms == 0) return ms;
  const long permille = g_Permille;
  if (permille == 1000) return ms;
  const unsigned long long scaled = static_cast<unsigned long long>(ms) * permille / 1000;
  if (scaled == 0) return 1;
  return scaled >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(scaled);
}

double Get() {
  return g_Permille / 1000.0;
}

void Set(double scale) {
  if (!(scale > 0)) return;
  g_Permille = std::max(1L, std::lround(scale * 1000));
}

}  // namespace timescale
