// How the wrappers report a caught failure: one trace line (debug builds)
// and a note on the connection that later explains a failed operation.
#ifndef VORNEL_DB_FAILURE_H
#define VORNEL_DB_FAILURE_H

#include <exception>

namespace vornel::db {

// The text of a caught failure: the engine's description, or the standard
// text of its code, as a ComError's what() holds them; "out of memory"
// for std::bad_alloc, whose own text means nothing to a user. Taken without
// allocating: the handlers that ask for it run in destructors too, and when
// memory has run out.
const char* messageOf(const std::exception& e) noexcept;

// Writes `format` (placeholders: message, source file, line) to the trace.
void traceFailure(const char* format, const char* message, const char* file, int line) noexcept;

}  // namespace vornel::db

#endif
