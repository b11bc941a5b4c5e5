// Files that an interrupted command removes. Ctrl-C, a hang-up or a kill
// would otherwise leave a half-written output, or a database the command
// had only begun, beside the user's files.
#ifndef VORNEL_CLI_INTERRUPT_H
#define VORNEL_CLI_INTERRUPT_H

#include <string>

namespace vornel::cli {

// From here on SIGINT, SIGTERM, SIGHUP and SIGPIPE (those not ignored)
// remove the files named by the guards alive at that moment, then end the
// process as the signal would.
void removeFilesWhenInterrupted();

// What is stored for good from here on, said if the command is stopped
// after all (while it shows what it did): "storing R in m.db".
void sayDoneWhenInterrupted(const std::string& done);

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
