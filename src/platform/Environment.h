// Waits that a host (or a test) may set through the environment, for it would
// rather hear sooner or wait longer than the library's own choice.
#ifndef VORNEL_PLATFORM_ENVIRONMENT_H
#define VORNEL_PLATFORM_ENVIRONMENT_H

namespace vornel {

// The environment variable `name`, read at each call, as milliseconds;
// `fallback` when it is unset, empty or not a whole number from 0 to INT_MAX.
int millisecondsFromEnvironment(const char* name, int fallback);

}  // namespace vornel

#endif
