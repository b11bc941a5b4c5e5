// The reliability tests' other process (Child.cpp), started with its stdout
// read line by line and its stdin held open. Going out of scope kills and
// reaps it, so no test leaves a process behind.
#ifndef VORNEL_TESTS_RELIABILITY_CHILDPROCESS_H
#define VORNEL_TESTS_RELIABILITY_CHILDPROCESS_H

#include <sys/types.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vornel::test {

class ChildProcess {
public:
    // Runs the child program with these arguments (the mode first).
    explicit ChildProcess(const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of output, waiting at most `timeout`. False when the
    // output ended or nothing came in time.
    bool readLine(std::string& line, std::chrono::milliseconds timeout);
    // Lets a holding child go.
    void closeInput();
    // SIGKILL, at once.
    void kill();
    // Reaps the child, waiting at most `timeout`: its exit code, 128 plus
    // the signal that ended it, or -1 if it is still running.
    int wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::string pending_;
};

// The long runs: VORNEL_LONG set to anything but 0 (`./run test --long`,
// `./run fuzz --long`) makes the reliability tests repeat far more.
inline bool longRun() {
    const char* v = std::getenv("VORNEL_LONG");
    return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}

// Reads lines until `expected` arrives, at most `timeout`; false otherwise,
// with what came instead in `got`.
bool awaitLine(ChildProcess& child, const std::string& expected, std::chrono::milliseconds timeout,
               std::string& got);

}  // namespace vornel::test

#endif
