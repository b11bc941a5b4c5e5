#include "db/Failure.h"

#include <new>

#include "platform/Trace.h"

namespace vornel::db {

const char* messageOf(const std::exception& e) noexcept {
    return dynamic_cast<const std::bad_alloc*>(&e) != nullptr ? "out of memory" : e.what();
}

void traceFailure([[maybe_unused]] const char* format, [[maybe_unused]] const char* message,
                  [[maybe_unused]] const char* file, [[maybe_unused]] int line) noexcept {
    VORNEL_TRACE(format, message, file, line);
}

}  // namespace vornel::db
