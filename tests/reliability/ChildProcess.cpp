#include "reliability/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace vornel::test {
namespace {

using Clock = std::chrono::steady_clock;

void makePipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args) {
    int out[2];
    int in[2];
    makePipe(out);
    makePipe(in);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> words{VORNEL_CHILD_PROGRAM};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv(words.size() + 1, nullptr);
    std::transform(words.begin(), words.end(), argv.begin(),
                   [](std::string& w) { return w.data(); });
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(in[0]);
    out_ = out[0];
    in_ = in[1];
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + words[0]);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill();
        wait(std::chrono::seconds(10));
    }
    closeInput();
    if (out_ >= 0) {
        ::close(out_);
    }
}

bool ChildProcess::readLine(std::string& line, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::max<long>(left.count(), 0))) <= 0) {
            if (Clock::now() >= deadline) {
                return false;
            }
            continue;
        }
        char chunk[4096];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n <= 0) {
            return false;
        }
        pending_.append(chunk, static_cast<size_t>(n));
    }
}

void ChildProcess::closeInput() {
    if (in_ >= 0) {
        ::close(in_);
        in_ = -1;
    }
}

void ChildProcess::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
    }
}

int ChildProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (pid_ > 0) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
        }
        if (r < 0 || Clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

bool awaitLine(ChildProcess& child, const std::string& expected, std::chrono::milliseconds timeout,
               std::string& got) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (!child.readLine(got, left)) {
            return false;
        }
        if (got == expected) {
            return true;
        }
    }
    return false;
}

}  // namespace vornel::test
