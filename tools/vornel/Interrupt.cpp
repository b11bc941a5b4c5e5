#include "Interrupt.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>

namespace vornel::cli {
namespace {

// The handler may only read plain memory and call unlink: the names live in
// fixed buffers, each marked in use only once it is whole.
constexpr int kSlots = 16;
constexpr size_t kLongestPath = 4096;
char g_paths[kSlots][kLongestPath];
volatile std::sig_atomic_t g_inUse[kSlots];
// Named before the command said what it stored for good: no longer unfinished.
volatile std::sig_atomic_t g_finished[kSlots];
// A file the command writes, not a journal the engine may keep beside it.
volatile std::sig_atomic_t g_own[kSlots];
char g_done[2 * kLongestPath];
volatile std::sig_atomic_t g_doneSet = 0;

void say(const char* text) {
    const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
    static_cast<void>(written);  // nothing more can be done about a failed word
}

extern "C" void removeAndEnd(int signal) {
    bool removed = false;
    for (int i = 0; i < kSlots; ++i) {
        // One put in place already is gone from its name: it is not told of.
        if (g_inUse[i] != 0 && g_finished[i] == 0 && ::unlink(g_paths[i]) == 0) {
            removed = removed || g_own[i] != 0;
        }
    }
    // A reader gone (head, a pager quit) ends the command as quietly as any
    // other program's.
    if (signal != SIGPIPE) {
        say("\nvornel: stopped");
        say(removed ? "; the unfinished file was removed" : "");
        if (g_doneSet != 0) {
            say(", after ");
            say(g_done);
        }
        say("\n");
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Every signal whose default ends the program, but SIGKILL and SIGSTOP
// (which no handler sees), faults (after which nothing is to be trusted)
// and SIGXFSZ (ignored, so that a write past a size limit fails instead).
constexpr int kInterrupts[] = {SIGINT,  SIGTERM, SIGHUP,    SIGPIPE, SIGQUIT, SIGUSR1,
                               SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU};

sigset_t interrupts() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kInterrupts) {
        sigaddset(&set, signal);
    }
    return set;
}

int take(const std::string& path, bool own) {
    if (path.size() >= kLongestPath) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        if (g_inUse[i] == 0) {
            std::memcpy(g_paths[i], path.c_str(), path.size() + 1);
            g_finished[i] = 0;
            g_own[i] = own ? 1 : 0;
            g_inUse[i] = 1;
            return i;
        }
    }
    return -1;
}

}  // namespace

void removeFilesWhenInterrupted() {
    struct sigaction action {};
    action.sa_handler = removeAndEnd;
    action.sa_mask = interrupts();
    for (const int signal : kInterrupts) {
        // One ignored already (a background job's SIGINT, nohup's SIGHUP) stays so.
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
}

void sayDoneWhenInterrupted(const std::string& done) {
    for (int i = 0; i < kSlots; ++i) {
        g_finished[i] = g_inUse[i];
    }
    g_doneSet = 0;
    const size_t length = std::min(done.size(), sizeof g_done - 1);
    std::memcpy(g_done, done.data(), length);
    g_done[length] = '\0';
    g_doneSet = 1;
}

std::string doneSoFar() {
    return g_doneSet != 0 ? std::string(g_done) : std::string();
}

InterruptsHeld::InterruptsHeld() {
    const sigset_t held = interrupts();
    pthread_sigmask(SIG_BLOCK, &held, &before_);
}

InterruptsHeld::~InterruptsHeld() {
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

RemovedIfInterrupted::RemovedIfInterrupted(const std::string& path, bool database) {
    slots_[0] = take(path, true);
    if (database) {
        slots_[1] = take(path + "-wal", false);
        slots_[2] = take(path + "-shm", false);
        slots_[3] = take(path + "-journal", false);
    }
}

RemovedIfInterrupted::~RemovedIfInterrupted() {
    for (const int slot : slots_) {
        if (slot >= 0) {
            g_inUse[slot] = 0;
        }
    }
}

}  // namespace vornel::cli
