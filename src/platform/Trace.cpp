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
    // Trace lines are written on failure paths, from catch blocks among
    // them: nothing thrown may leave here. A line that cannot be made, for
    // want of memory, is lost.
    va_list args;
    va_start(args, format);
    std::string line;
    try {
        line = formatv(format, args);
    } catch (...) {
    }
    va_end(args);
    if (line.empty()) {
        return;
    }
    // Called on a copy, outside the lock, as notices are.
    try {
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
    } catch (...) {
    }
}

}  // namespace trace
}  // namespace vornel
