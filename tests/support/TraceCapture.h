// Collects the library's trace lines and notices while it lives.
#ifndef VORNEL_TESTS_TRACECAPTURE_H
#define VORNEL_TESTS_TRACECAPTURE_H

#include <string>
#include <vector>

namespace vornel::test {

class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> lines;
    // "caption|text" of each notice.
    std::vector<std::string> notices;

    // True when some trace line starts with the prefix.
    bool has(const std::string& prefix) const;
    void clear();
};

}  // namespace vornel::test

#endif
