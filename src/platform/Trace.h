// The diagnostic trace of debug builds.
//
// VORNEL_TRACE(format, ...) formats one line printf-style and hands it to the
// host's trace sink. Under NDEBUG it compiles to nothing: neither the line
// nor its arguments are evaluated.
#ifndef VORNEL_PLATFORM_TRACE_H
#define VORNEL_PLATFORM_TRACE_H

namespace vornel::trace {

void write(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vornel::trace

#ifdef NDEBUG
#define VORNEL_TRACE(...) ((void)0)
#else
#define VORNEL_TRACE(...) ::vornel::trace::write(__VA_ARGS__)
#endif

#endif
