#include "platform/Environment.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vornel {

int millisecondsFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    char* end = nullptr;
    errno = 0;
    const long ms = std::strtol(text, &end, 10);
    if (*end != '\0' || errno != 0 || ms < 0 || ms > INT_MAX) {
        return fallback;
    }
    return static_cast<int>(ms);
}

}  // namespace vornel
