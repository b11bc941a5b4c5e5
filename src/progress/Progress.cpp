#include "progress/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
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

    void start(const std::string& text, const std::string& /*caption*/) {
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
};

State& state() {
    static State s;
    return s;
}

bool drawBar() {
    static const bool terminal = isatty(STDERR_FILENO) != 0;
    return terminal;
}

// A host sink with any callback set replaces the bar; callbacks it leaves
// empty do nothing.
bool hostSink(const vornel::ProgressSink& sink) {
    return sink.start || sink.setPos || sink.end;
}

// Calls the host's callback, picked by `part`, on a copy taken under the
// lock and run outside it: a callback may call the library again or set
// another sink. Without a host sink, moves the bar under the lock. The work
// goes on past a callback that throws, as past one that returns: the
// operation promises its caller a status, and has no way to stop half done.
template <class Callback, class Draw, class... Args>
void report(Callback vornel::ProgressSink::*part, Draw drawn, const Args&... args) noexcept {
    try {
        Callback callback;
        {
            std::lock_guard<std::mutex> lock(sinkMutex());
            State& s = state();
            if (!hostSink(s.sink)) {
                if (drawBar()) {
                    (s.bar.*drawn)(args...);
                }
                return;
            }
            callback = s.sink.*part;
        }
        if (callback) {
            callback(args...);
        }
    } catch (...) {
    }
}

}  // namespace

namespace vornel {

void setProgressSink(ProgressSink sink) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    state().sink = std::move(sink);
}

}  // namespace vornel

QvProgressHandle qvStartProgress(const char* message, const char* caption) {
    static std::atomic<QvProgressHandle> next{1};
    report(&vornel::ProgressSink::start, &TerminalBar::start, message, caption);
    return next++;
}

long qvSetPos(QvProgressHandle, long position) {
    report(&vornel::ProgressSink::setPos, &TerminalBar::setPos, position);
    return 1;
}

long qvEndProgress(QvProgressHandle) {
    report(&vornel::ProgressSink::end, &TerminalBar::end);
    return 1;
}
