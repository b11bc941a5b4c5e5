#include "migrate/ReaderProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "migrate/MigrationError.h"
#include "migrate/Wire.h"

namespace vornel::migrate {
namespace {

// The child's exit status when memory ran out in the library's own code:
// one that no exit of libmdb's would give.
constexpr int kOutOfMemory = 97;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }

private:
    int fd_;
};

// The child: libmdb's own messages go nowhere, its text comes out in UTF-8
// whatever the host's environment asks for, and it never returns into the
// parent's code. It ends with the parent: nothing would read what it sends,
// and on a damaged file it may loop, taking ever more memory.
[[noreturn]] void runChild(const ReadFunction& read, Fd& readEnd, int writeEnd, pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(1);
    }
    readEnd.reset();
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::setenv("MDBICONV", "UTF-8", 1);
    int status = 0;
    try {
        WireWriter out(writeEnd);
        try {
            read(out);
            out.finish();
        } catch (const MigrationError& e) {
            out.failure(e.what());
        } catch (const std::bad_alloc&) {
            throw;  // its message could not be made either
        } catch (const std::exception& e) {
            out.failure(std::string("reading failed: ") + e.what());
        }
    } catch (const std::bad_alloc&) {
        status = kOutOfMemory;
    } catch (...) {
        status = 1;
    }
    ::_exit(status);
}

// How a child ended, for a message: empty when that cannot be told.
std::string ending(int status) {
    if (status < 0) {
        return {};
    }
    if (WIFSIGNALED(status)) {
        return " (" + std::string(strsignal(WTERMSIG(status))) + ")";
    }
    return " (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

// Whether the child was ended by a signal that a damaged file does not
// raise: one sent from outside, by a user or by the system short of memory.
bool endedFromOutside(int status) {
    if (status < 0 || !WIFSIGNALED(status)) {
        return false;
    }
    const int signal = WTERMSIG(status);
    return signal == SIGKILL || signal == SIGTERM || signal == SIGINT || signal == SIGHUP;
}

// Reaps the child when it goes out of scope, ending it first if it is
// still at work.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Waits for the child to end: its wait status, or -1 when that cannot
    // be told (a host that ignores SIGCHLD has its children reaped for it).
    int wait() noexcept {
        int status = 0;
        pid_t got = -1;
        do {
            got = ::waitpid(pid_, &status, 0);
        } while (got < 0 && errno == EINTR);
        pid_ = -1;
        return got < 0 ? -1 : status;
    }

    void stop() { ::kill(pid_, SIGKILL); }

private:
    pid_t pid_;
};

}  // namespace

void readInChild(const std::string& source, const ReadFunction& read, AccessSink& sink,
                 int idleTimeoutMs) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw MigrationError("cannot start reading '" + source + "': " + std::strerror(errno));
    }
    Fd readEnd(ends[0]);
    Fd writeEnd(ends[1]);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw MigrationError("cannot start reading '" + source + "': " + std::strerror(errno));
    }
    if (pid == 0) {
        runChild(read, readEnd, writeEnd.get(), parent);
    }
    Child child(pid);
    writeEnd.reset();
    switch (replayWire(readEnd.get(), sink, idleTimeoutMs)) {
        case WireEnd::Finished:
            child.wait();
            return;
        case WireEnd::Closed: {
            const int status = child.wait();
            if (WIFEXITED(status) && WEXITSTATUS(status) == kOutOfMemory) {
                throw MigrationError("reading '" + source + "' ran out of memory");
            }
            throw MigrationError("reading '" + source + "' stopped unexpectedly" + ending(status) +
                                 (endedFromOutside(status)
                                      ? "; something outside ended the reader (the system "
                                        "does, short of memory): run the migration again"
                                      : "; the file is probably damaged"));
        }
        case WireEnd::Garbled:
            child.stop();
            child.wait();
            throw MigrationError("reading '" + source + "' failed: the reader sent garbled data");
        case WireEnd::Silent:
            child.stop();
            child.wait();
            throw MigrationError("reading '" + source + "' made no progress for " +
                                 (idleTimeoutMs % 1000 == 0
                                      ? std::to_string(idleTimeoutMs / 1000) + " s"
                                      : std::to_string(idleTimeoutMs) + " ms") +
                                 " and was stopped; the file is probably damaged");
    }
}

}  // namespace vornel::migrate
