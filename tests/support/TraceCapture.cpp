#include "support/TraceCapture.h"

#include "vornel/Hooks.h"

namespace vornel::test {

TraceCapture::TraceCapture() {
    setTraceSink([this](const std::string& line) { lines.push_back(line); });
    setNoticeHandler([this](const std::string& text, const std::string& caption) {
        notices.push_back(caption + "|" + text);
    });
}

TraceCapture::~TraceCapture() {
    setTraceSink(nullptr);
    setNoticeHandler(nullptr);
}

bool TraceCapture::has(const std::string& prefix) const {
    for (const auto& line : lines) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            return true;
        }
    }
    return false;
}

void TraceCapture::clear() {
    lines.clear();
    notices.clear();
}

}  // namespace vornel::test
