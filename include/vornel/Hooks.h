// Process-wide hooks through which the library talks to its host: notices
// meant for the user, progress of long work, and diagnostic trace lines.
//
// Each setter replaces the previous hook; an empty hook restores the
// default. Set hooks before the managers that use them start working. A
// hook may call the library again, set hooks included. The manager whose
// call raised the hook is in the middle of that call: while it reads, runs
// a statement or takes a step of a transaction (a trace line or a notice
// about a row, a query or a statement), its reads, writes, transactions,
// table drops and connections fail, returning 0 with the reason, and its
// clearDatabase leaves the database open. That manager must not be
// destroyed, moved from or assigned to in a hook, nor closed or connected
// anew in one but the progress sink of a bulk update, whose update then
// ends. That sink runs between the update's statements, where the
// manager's calls are done as any other: a read into the cache whose array
// the update was given releases the blocks it is writing from. An
// exception that leaves a hook is caught and dropped: the call that raised
// it goes on as if the hook had returned (a progress sink cannot stop the
// work so).
#ifndef VORNEL_HOOKS_H
#define VORNEL_HOOKS_H

#include <functional>
#include <string>

#include "vornel/Export.h"

namespace vornel {

// A message for the user (text and caption). The default writes
// "提示: <text>" to stderr.
using NoticeHandler = std::function<void(const std::string& text, const std::string& caption)>;
VORNEL_API void setNoticeHandler(NoticeHandler handler);

// Progress of a long operation: start with a message and a caption, then
// positions in percent from 0 (the last may fall short of 100), then end.
// By default a one-line bar is drawn on stderr when stderr is a terminal,
// and nothing otherwise.
struct ProgressSink {
    std::function<void(const std::string& message, const std::string& caption)> start;
    std::function<void(long percent)> setPos;
    std::function<void()> end;
};
VORNEL_API void setProgressSink(ProgressSink sink);

// Diagnostic trace lines of a debug build (release builds write none).
// The default writes them to stderr.
using TraceSink = std::function<void(const std::string& line)>;
VORNEL_API void setTraceSink(TraceSink sink);

// True when this library was built with its diagnostic trace.
VORNEL_API bool traceEnabled();

}  // namespace vornel

#endif
