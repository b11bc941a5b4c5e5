// printf into a string of any length.
#ifndef VORNEL_PLATFORM_FORMAT_H
#define VORNEL_PLATFORM_FORMAT_H

#include <cstdarg>
#include <string>

namespace vornel {

std::string formatv(const char* format, va_list args);

}  // namespace vornel

#endif
