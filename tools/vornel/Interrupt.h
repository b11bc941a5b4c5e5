// Files that an interrupted command removes. Ctrl-C, a hang-up or a kill
// would otherwise leave a half-written output, or a database the command
// had only begun, beside the user's files.
#ifndef VORNEL_CLI_INTERRUPT_H
#define VORNEL_CLI_INTERRUPT_H

#include <csignal>
#include <string>

namespace vornel::cli {

// From here on SIGINT, SIGTERM, SIGHUP and SIGPIPE (those not ignored)
// remove the files named by the guards alive at that moment, then end the
// process as the signal would.
void removeFilesWhenInterrupted();

// What is stored for good from here on, said if the command is stopped
// after all (while it shows what it did): "storing R in m.db". No file
// named so far is removed after that: what the command made is no longer
// unfinished. One named later (a drawing made next) still is.
void sayDoneWhenInterrupted(const std::string& done);

// What the last sayDoneWhenInterrupted said was done; empty if nothing.
std::string doneSoFar();

// Holds those signals back while it lives, for a step that must end before
// the command does (a commit, and saying that it was made); they arrive
// when it ends.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t before_{};
};

// Names a file, and for a database its journal files too, for removal if
// the command is interrupted while the guard lives.
class RemovedIfInterrupted {
public:
    RemovedIfInterrupted(const std::string& path, bool database);
    ~RemovedIfInterrupted();
    RemovedIfInterrupted(const RemovedIfInterrupted&) = delete;
    RemovedIfInterrupted& operator=(const RemovedIfInterrupted&) = delete;

private:
    int slots_[4] = {-1, -1, -1, -1};
};

}  // namespace vornel::cli

#endif
