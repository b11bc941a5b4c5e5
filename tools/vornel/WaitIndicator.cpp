#include "WaitIndicator.h"

#include <chrono>
#include <cstdio>

#include "ProgressBar.h"

namespace vornel::cli {
namespace {

// Indicators alive now. Only the outermost draws: a step made of several
// reads is shown as one wait, not as a row of reads each too short to show.
int alive = 0;

}  // namespace

WaitIndicator::WaitIndicator(std::string label) : label_(std::move(label)) {
    if (alive++ == 0 && stderrIsTerminal()) {
        drawer_ = std::thread(&WaitIndicator::draw, this);
    }
}

WaitIndicator::~WaitIndicator() {
    --alive;
    if (drawer_.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        over_.notify_one();
        drawer_.join();
    }
}

void WaitIndicator::draw() {
    std::unique_lock<std::mutex> lock(mutex_);
    int seconds = 0;
    while (!over_.wait_for(lock, std::chrono::seconds(1), [this] { return done_; })) {
        std::fprintf(stderr, "\r%s ... %d s", label_.c_str(), ++seconds);
        std::fflush(stderr);
    }
    if (seconds > 0) {
        // Clear the line: the results that follow stand alone.
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(label_.size()) + 16, "");
        std::fflush(stderr);
    }
}

}  // namespace vornel::cli
