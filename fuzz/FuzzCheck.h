// What the fuzz targets share: a property that must hold ends the run where
// it fails, values compare bit for bit, and readers that take a path read
// each input from one file.
#ifndef VORNEL_FUZZ_FUZZCHECK_H
#define VORNEL_FUZZ_FUZZCHECK_H

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vornel/Types.h"

namespace vornel::fuzz {

// Aborts, which the fuzzer reports with the input, when `holds` is false.
inline void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Bit for bit, so that NaNs compare too.
inline bool same(double a, double b) {
    uint64_t x = 0;
    uint64_t y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

inline bool same(const D_3DOT& a, const D_3DOT& b) {
    return same(a.x, b.x) && same(a.y, b.y) && same(a.z, b.z);
}

// A file of this process, removed with it, that holds the input in turn.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& suffix)
        : path_("/tmp/vornel-fuzz-" + std::to_string(getpid()) + suffix) {}
    ~ScratchFile() { std::remove(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }

    void write(const uint8_t* data, size_t size) const {
        FILE* f = std::fopen(path_.c_str(), "wb");
        require(f != nullptr);
        require(std::fwrite(data, 1, size, f) == size);
        std::fclose(f);
    }

private:
    std::string path_;
};

}  // namespace vornel::fuzz

#endif
