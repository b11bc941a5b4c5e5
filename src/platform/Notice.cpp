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
    // The library's call goes on past a handler that throws: it is in the
    // middle of its work, and promises its caller a status. Called on a
    // copy, outside the lock: a handler may call the library again, or set
    // another handler.
    try {
        NoticeHandler current;
        {
            std::lock_guard<std::mutex> lock(handlerMutex());
            current = handler();
        }
        if (current) {
            current(text, caption);
        } else {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        }
    } catch (...) {
    }
}

}  // namespace vornel
