#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace vornel {

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncPath(const char* path) noexcept {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void syncDirectoryOf(const std::string& path) noexcept {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        syncPath(".");
        return;
    }
    char directory[PATH_MAX];
    const size_t length = slash == 0 ? 1 : slash;
    if (length < sizeof directory) {
        path.copy(directory, length);
        directory[length] = '\0';
        syncPath(directory);
    }
}

}  // namespace vornel
