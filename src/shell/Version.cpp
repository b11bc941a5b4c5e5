#include "vornel/Version.h"

namespace vornel {

const char* version() {
    return VORNEL_VERSION_STRING;
}

}  // namespace vornel
