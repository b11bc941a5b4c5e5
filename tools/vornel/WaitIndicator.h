// Long work whose share done cannot be known, such as a library call that
// reads a whole table: once it has taken a second, "label ... N s" on
// stderr, redrawn each second until the work ends. Like the progress bar, it
// is drawn only when stderr is a terminal. One made while another lives
// draws nothing: the outer one's label and count stand for both.
#ifndef VORNEL_CLI_WAITINDICATOR_H
#define VORNEL_CLI_WAITINDICATOR_H

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace vornel::cli {

class WaitIndicator {
public:
    explicit WaitIndicator(std::string label);
    ~WaitIndicator();
    WaitIndicator(const WaitIndicator&) = delete;
    WaitIndicator& operator=(const WaitIndicator&) = delete;

private:
    void draw();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable over_;
    bool done_ = false;
    std::thread drawer_;
};

}  // namespace vornel::cli

#endif
