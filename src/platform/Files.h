// Small file-system steps that more than one layer takes around writing a
// whole database file.
#ifndef VORNEL_PLATFORM_FILES_H
#define VORNEL_PLATFORM_FILES_H

#include <string>

namespace vornel {

// True when something, a dangling link included, is at `path`.
bool pathExists(const std::string& path);

// The folder that holds `path`: "." for a bare name, "/" for one in the root.
std::string directoryOf(const std::string& path);

// Flushes the file or folder at `path` to the disk; a folder's flush makes a
// rename in it survive a crash of the machine. One that cannot be opened is
// let be: the work it follows has been done.
void syncPath(const char* path) noexcept;

// syncPath() of the folder that holds `path`. It asks for no memory: it
// follows a rename, which a failure after it would seem to undo.
void syncDirectoryOf(const std::string& path) noexcept;

}  // namespace vornel

#endif
