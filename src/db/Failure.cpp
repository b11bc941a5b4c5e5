#include "db/Failure.h"

#include "platform/ComError.h"
#include "platform/Trace.h"

namespace vornel::db {

std::string messageOf(const std::exception& e) {
    if (const auto* com = dynamic_cast<const ComError*>(&e)) {
        return com->errorMessage();
    }
    return e.what();
}

void traceFailure([[maybe_unused]] const char* format, [[maybe_unused]] const std::string& message,
                  [[maybe_unused]] const char* file, [[maybe_unused]] int line) {
    VORNEL_TRACE(format, message.c_str(), file, line);
}

}  // namespace vornel::db
