#include "platform/Format.h"

#include <cstdio>

#include "platform/CNumbers.h"

namespace vornel {

std::string formatv(const char* format, va_list args) {
    const CNumbers numbers;
    char small[256];
    va_list measure;
    va_copy(measure, args);
    // va_copy initialises `measure`; the analyser does not follow it.
    const int size = std::vsnprintf(small, sizeof small, format,
                                    measure);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(measure);
    if (size < 0) {
        return {};
    }
    if (static_cast<size_t>(size) < sizeof small) {
        return std::string(small, static_cast<size_t>(size));
    }
    std::string out(static_cast<size_t>(size), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    return out;
}

}  // namespace vornel
