// The progress window of long operations: started with a message and a
// caption, moved in percent, ended. What it shows is up to the host's
// progress sink.
#ifndef VORNEL_PROGRESS_PROGRESS_H
#define VORNEL_PROGRESS_PROGRESS_H

#include <cstdint>

using QvProgressHandle = int32_t;

QvProgressHandle qvStartProgress(const char* message, const char* caption);
long qvSetPos(QvProgressHandle handle, long position);
long qvEndProgress(QvProgressHandle handle);

#endif
