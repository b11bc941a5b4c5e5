// Wall-clock time of a step, for the timings the commands print.
#ifndef VORNEL_CLI_STOPWATCH_H
#define VORNEL_CLI_STOPWATCH_H

#include <chrono>
#include <cstdio>
#include <string>

namespace vornel::cli {

class Stopwatch {
public:
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    // "0.42 s", or "1.2 ms" for short steps.
    std::string text() const {
        const double s = seconds();
        char out[32];
        if (s < 0.1) {
            std::snprintf(out, sizeof out, "%.1f ms", s * 1000);
        } else {
            std::snprintf(out, sizeof out, "%.2f s", s);
        }
        return out;
    }
    void restart() { start_ = std::chrono::steady_clock::now(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace vornel::cli

#endif
