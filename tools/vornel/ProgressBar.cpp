#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "vornel/Hooks.h"

namespace vornel::cli {
namespace {

constexpr int kWidth = 30;

}  // namespace

bool stderrIsTerminal() {
    static const bool isTerminal = isatty(STDERR_FILENO) != 0;
    return isTerminal;
}

ProgressBar::ProgressBar(std::string label) : label_(std::move(label)) {}

ProgressBar::~ProgressBar() {
    if (shown_ >= 0) {
        // Clear the line: the results that follow stand alone.
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(label_.size()) + kWidth + 8, "");
        std::fflush(stderr);
    }
}

void ProgressBar::update(double fraction) {
    setPercent(static_cast<long>(std::clamp(fraction, 0.0, 1.0) * 100));
}

void ProgressBar::setPercent(long percent) {
    if (!stderrIsTerminal() || percent == shown_) {
        return;
    }
    shown_ = percent;
    const int filled = static_cast<int>(std::clamp(percent, 0L, 100L) * kWidth / 100);
    std::fprintf(stderr, "\r%s [%s%*s] %3ld%%", label_.c_str(), std::string(filled, '#').c_str(),
                 kWidth - filled, "", percent);
    std::fflush(stderr);
}

namespace {

std::string& labelForLibrary() {
    static std::string label;
    return label;
}

}  // namespace

LibraryProgressLabel::LibraryProgressLabel(std::string label) {
    labelForLibrary() = std::move(label);
}

LibraryProgressLabel::~LibraryProgressLabel() {
    labelForLibrary().clear();
}

void showLibraryProgress() {
    auto bar = std::make_shared<std::unique_ptr<ProgressBar>>();
    ProgressSink sink;
    sink.start = [bar](const std::string& message, const std::string&) {
        const std::string& label = labelForLibrary();
        *bar = std::make_unique<ProgressBar>(label.empty() ? message : label);
    };
    sink.setPos = [bar](long percent) {
        if (*bar) {
            (*bar)->setPercent(percent);
        }
    };
    sink.end = [bar]() { bar->reset(); };
    setProgressSink(std::move(sink));
}

}  // namespace vornel::cli
