// How the wrappers report a caught failure: one trace line (debug builds)
// and a note on the connection that later explains a failed operation.
#ifndef VORNEL_DB_FAILURE_H
#define VORNEL_DB_FAILURE_H

#include <exception>
#include <string>

namespace vornel::db {

// The text of a caught failure: the engine's description, or the standard
// text of its code.
std::string messageOf(const std::exception& e);

// Writes `format` (placeholders: message, source file, line) to the trace.
void traceFailure(const char* format, const std::string& message, const char* file, int line);

}  // namespace vornel::db

#endif
