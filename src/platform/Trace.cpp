#include "platform/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/Format.h"
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
    const std::string line = formatv(format, args);
    va_end(args);

    // Called on a copy, outside the lock, as notices are.
    TraceSink current;
    {
        std::lock_guard<std::mutex> lock(sinkMutex());
        current = sink();
    }
    if (current) {
        current(line);
    } else {
        std::fputs(line.c_str(), stderr);
    }
}

}  // namespace trace
}  // namespace vornel
