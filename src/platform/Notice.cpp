#include "platform/Notice.h"

#include <cstdio>
#include <mutex>

#include "vornel/Hooks.h"

namespace vornel {
namespace {

std::mutex& handlerMutex() {
    static std::mutex m;
    return m;
}

NoticeHandler& handler() {
    static NoticeHandler h;
    return h;
}

}  // namespace

void setNoticeHandler(NoticeHandler h) {
    std::lock_guard<std::mutex> lock(handlerMutex());
    handler() = std::move(h);
}

void showNotice(const std::string& text, const std::string& caption) {
    std::lock_guard<std::mutex> lock(handlerMutex());
    if (handler()) {
        handler()(text, caption);
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
}

}  // namespace vornel
