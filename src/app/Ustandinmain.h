// A minimal main window that serves until the real one exists: it answers
// the instance broadcasts (code 1 shows it, code 9 ends the program) and
// nothing else. It implements CreateMainForm of Uapp.h; the real main
// window replaces this unit by implementing that function itself.
#pragma once

#include "app/Uapp.h"
