// The entry point of every test program of wu_test_folder: GoogleTest, with
// the program's own periods (timescale::Ms) scaled by WU_TIME_SCALE when the
// run sets it. A test that checks a real period sets the scale back to 1
// for its own span (timescale::CScoped).
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Utimescale.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (const char* scale = std::getenv("WU_TIME_SCALE")) timescale::Set(std::atof(scale));
  return RUN_ALL_TESTS();
}
