// Reading in a child process. The Access file comes from elsewhere and its
// parser was not written for hostile input: whatever a damaged file makes it
// do (crash, loop, chatter on stdout and stderr) stays in the child, and the
// parent receives only what was read, through a pipe.
#ifndef VORNEL_MIGRATE_READERPROCESS_H
#define VORNEL_MIGRATE_READERPROCESS_H

#include <functional>
#include <string>

#include "migrate/AccessData.h"

namespace vornel::migrate {

using ReadFunction = std::function<void(AccessSink& sink)>;

// Runs read() in a child process and hands everything it passes to its sink
// to `sink` here, as it comes. `source` names what is read, for messages.
// Throws MigrationError with read()'s own error when it failed, or when the
// child stopped before read() returned, sent something garbled, or sent
// nothing for idleTimeoutMs (the child is then ended). An exception from
// `sink` ends the child and passes on.
void readInChild(const std::string& source, const ReadFunction& read, AccessSink& sink,
                 int idleTimeoutMs);

}  // namespace vornel::migrate

#endif
