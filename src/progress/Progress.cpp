#include "progress/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <new>
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
// False when the report could not be made (memory short).
template <class Callback, class Draw, class... Args>
bool report(Callback vornel::ProgressSink::*part, Draw drawn, const Args&... args) noexcept {
    Callback callback;
    try {
        std::lock_guard<std::mutex> lock(sinkMutex());
        State& s = state();
        if (!hostSink(s.sink)) {
            if (drawBar()) {
                (s.bar.*drawn)(args...);
            }
            return true;
        }
        callback = s.sink.*part;
    } catch (...) {
        return false;
    }
    try {
        if (callback) {
            callback(args...);
        }
    } catch (...) {
    }
    return true;
}

}  // namespace

namespace vornel {

void setProgressSink(ProgressSink sink) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    state().sink = std::move(sink);
}

}  // namespace vornel

// A window whose start cannot be reported is not shown: its handle, 0,
// moves and ends nothing, so that the host never sees an end without its start.
QvProgressHandle qvStartProgress(const char* message, const char* caption) {
    static std::atomic<QvProgressHandle> next{1};
    try {
        const std::string text = message;
        const std::string title = caption;
        if (!report(&vornel::ProgressSink::start, &TerminalBar::start, text, title)) {
            return 0;
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return next++;
}

long qvSetPos(QvProgressHandle handle, long position) {
    if (handle != 0) {
        report(&vornel::ProgressSink::setPos, &TerminalBar::setPos, position);
    }
    return 1;
}

long qvEndProgress(QvProgressHandle handle) {
    if (handle != 0) {
        report(&vornel::ProgressSink::end, &TerminalBar::end);
    }
    return 1;
}
