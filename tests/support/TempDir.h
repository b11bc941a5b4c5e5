// A scratch directory for one test, removed with everything in it.
#ifndef VORNEL_TESTS_TEMPDIR_H
#define VORNEL_TESTS_TEMPDIR_H

#include <string>

namespace vornel::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path()/name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

bool fileExists(const std::string& path);

}  // namespace vornel::test

#endif
