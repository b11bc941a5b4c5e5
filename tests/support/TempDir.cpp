#include "support/TempDir.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

namespace vornel::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const {
    return path_ + "/" + name;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace vornel::test
