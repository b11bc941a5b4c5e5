#include "progress/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>

#include "vornel/Hooks.h"

namespace {

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}

// Without a host sink: a one-line bar on stderr when it is a terminal.
struct TerminalBar {
    std::string message;
    long shown = -1;

    void start(const std::string& text) {
        message = text;
        shown = -1;
    }
    void setPos(long percent) {
        if (percent == shown) {
            return;
        }
        shown = percent;
        const int filled = static_cast<int>(std::clamp(percent, 0L, 100L) / 5);
        std::fprintf(stderr, "\r%s [%.*s%*s] %3ld%%", message.c_str(), filled,
                     "####################", 20 - filled, "", percent);
        std::fflush(stderr);
    }
    void end() {
        if (shown >= 0) {
            std::fputs("\n", stderr);
        }
        shown = -1;
    }
};

struct State {
    vornel::ProgressSink sink;
    TerminalBar bar;
    QvProgressHandle next = 1;
};

State& state() {
    static State s;
    return s;
}

bool drawBar() {
    static const bool terminal = isatty(STDERR_FILENO) != 0;
    return terminal;
}

}  // namespace

namespace vornel {

void setProgressSink(ProgressSink sink) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    state().sink = std::move(sink);
}

}  // namespace vornel

// A host sink with any callback set replaces the bar; callbacks it leaves
// empty do nothing.
static bool hostSink(const State& s) {
    return s.sink.start || s.sink.setPos || s.sink.end;
}

QvProgressHandle qvStartProgress(const char* message, const char* caption) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    State& s = state();
    if (hostSink(s)) {
        if (s.sink.start) {
            s.sink.start(message, caption);
        }
    } else if (drawBar()) {
        s.bar.start(message);
    }
    return s.next++;
}

long qvSetPos(QvProgressHandle, long position) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    State& s = state();
    if (hostSink(s)) {
        if (s.sink.setPos) {
            s.sink.setPos(position);
        }
    } else if (drawBar()) {
        s.bar.setPos(position);
    }
    return 1;
}

long qvEndProgress(QvProgressHandle) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    State& s = state();
    if (hostSink(s)) {
        if (s.sink.end) {
            s.sink.end();
        }
    } else if (drawBar()) {
        s.bar.end();
    }
    return 1;
}
