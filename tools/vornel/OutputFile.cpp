#include "OutputFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "Failure.h"

namespace vornel::cli {

OutputFile::OutputFile(std::string path)
    : path_(std::move(path)), partial_(path_ + ".partial-" + std::to_string(::getpid())) {
    out_.open(partial_, std::ios::binary | std::ios::trunc);
    if (!out_) {
        throw Failure(path_ + ": cannot write: " + std::strerror(errno));
    }
}

OutputFile::~OutputFile() {
    if (!committed_) {
        out_.close();
        std::error_code ignored;
        std::filesystem::remove(partial_, ignored);
    }
}

void OutputFile::commit() {
    out_.close();
    if (!out_) {
        throw Failure(path_ + ": writing failed (is the disk full?)");
    }
    std::error_code ec;
    std::filesystem::rename(partial_, path_, ec);
    if (ec) {
        throw Failure(path_ + ": cannot put the file in place: " + ec.message());
    }
    committed_ = true;
}

}  // namespace vornel::cli
