// The library's version.
#ifndef VORNEL_VERSION_H
#define VORNEL_VERSION_H

#include "vornel/Export.h"

#define VORNEL_VERSION_MAJOR 1
#define VORNEL_VERSION_MINOR 0
#define VORNEL_VERSION_PATCH 0
#define VORNEL_VERSION_STRING "1.0.0"

namespace vornel {

// The version of the library the program runs with, as "major.minor.patch".
VORNEL_API const char* version();

}  // namespace vornel

#endif
