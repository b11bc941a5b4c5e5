#include "platform/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "vornel/Hooks.h"

namespace vornel {
namespace {

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}

TraceSink& sink() {
    static TraceSink s;
    return s;
}

}  // namespace

void setTraceSink(TraceSink s) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    sink() = std::move(s);
}

bool traceEnabled() {
#ifdef NDEBUG
    return false;
#else
    return true;
#endif
}

namespace trace {

void write(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) {
        std::vsnprintf(line.data(), line.size() + 1, format, args);
    }
    va_end(args);

    std::lock_guard<std::mutex> lock(sinkMutex());
    if (sink()) {
        sink()(line);
    } else {
        std::fputs(line.c_str(), stderr);
    }
}

}  // namespace trace
}  // namespace vornel
